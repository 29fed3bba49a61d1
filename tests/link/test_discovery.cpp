// DiscoveryListener on loopback, on ports the system picks. The probe is aimed at a test socket
// instead of the broadcast address, except in broadcastReachesThisHost, which runs only in a
// network namespace of its own.

#include "failureof.h"
#include "link/discoverylistener.h"
#include "link/failure.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <algorithm>
#include <array>

using qd::link::DiscoveryListener;
using qd::link::Failure;
using qd::link::NetworkInterfaceInfo;

namespace {

const QString kCouldNotBind = QStringLiteral("Could not bind socket. Address and port are already in use.");

using qd::test::failureOf;

QList<QByteArray> repliesOf(const QSignalSpy &spy)
{
    QList<QByteArray> replies;
    for (const QList<QVariant> &arguments : spy)
        replies << arguments.at(0).toByteArray();
    return replies;
}

using Flags = QNetworkInterface::InterfaceFlags;
const Flags kUsual = Flags(QNetworkInterface::IsUp) | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast;

// An address on a made-up interface; a null broadcast stands for one the system does not name.
QNetworkAddressEntry entry(const char *ip, int prefix, const char *broadcast = nullptr)
{
    QNetworkAddressEntry e;
    e.setIp(QHostAddress(QString::fromLatin1(ip)));
    e.setPrefixLength(prefix);
    if (broadcast)
        e.setBroadcast(QHostAddress(QString::fromLatin1(broadcast)));
    return e;
}

NetworkInterfaceInfo network(const char *name, Flags flags, QList<QNetworkAddressEntry> addresses)
{
    return {QString::fromLatin1(name), flags, std::move(addresses)};
}

QList<QHostAddress> addresses(const QStringList &texts)
{
    QList<QHostAddress> list;
    for (const QString &text : texts)
        list << QHostAddress(text);
    return list;
}

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void probeComesFromTheListenPort();
    void replySizes_data();
    void replySizes();
    void openFailsWhenThePortIsTaken_data();
    void openFailsWhenThePortIsTaken();
    void othersCannotShareOurPort();
    void closeAndReopen();
    void handlerMayCloseTheListener();
    void repliesOverIPv6();
    void sendProbeWhenInactiveFails();
    void broadcastReachesThisHost();
    void directedBroadcasts_data();
    void directedBroadcasts();
    void whichTargetsAreSwept_data();
    void whichTargetsAreSwept();
    void networksThatComeAndGoArePickedUpAtTheNextProbe();

private:
    // Sends datagrams from a fresh loopback socket to the listener, then a marker, and waits
    // until the marker has been handed on, so that everything sent before it has been dealt with.
    bool sendAndSettle(DiscoveryListener &listener, QSignalSpy &spy, const QList<QByteArray> &datagrams,
                       const QHostAddress &to = QHostAddress(QHostAddress::LocalHost));
};

bool TestDiscovery::sendAndSettle(DiscoveryListener &listener, QSignalSpy &spy, const QList<QByteArray> &datagrams,
                                  const QHostAddress &to)
{
    static const QByteArray marker("end");
    QUdpSocket sender;
    for (const QByteArray &datagram : datagrams) {
        if (sender.writeDatagram(datagram, to, listener.boundPort()) != datagram.size())
            return false;
    }
    if (sender.writeDatagram(marker, to, listener.boundPort()) != marker.size())
        return false;
    for (int i = 0; i < 300; ++i) {
        if (!spy.isEmpty() && spy.last().at(0).toByteArray() == marker) {
            spy.removeLast();
            return true;
        }
        spy.wait(100);
    }
    return false;
}

void TestDiscovery::defaults()
{
    DiscoveryListener listener;
    QCOMPARE(listener.listenPort(), quint16(8091));
    QCOMPARE(listener.probeAddress(), QHostAddress(QHostAddress::Broadcast));
    QCOMPARE(listener.probePort(), quint16(8090));
    QVERIFY(!listener.isActive());
}

void TestDiscovery::probeComesFromTheListenPort()
{
    QUdpSocket server;
    QVERIFY(server.bind(QHostAddress::LocalHost, 0));
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.setProbeTarget(QHostAddress::LocalHost, server.localPort());
    QCOMPARE(failureOf([&] { listener.open(); }), QString());
    QVERIFY(listener.broadcastPermitted());

    QCOMPARE(failureOf([&] { listener.sendProbe(); }), QString());
    QVERIFY(server.hasPendingDatagrams() || server.waitForReadyRead(30000));
    const QNetworkDatagram probe = server.receiveDatagram();
    QCOMPARE(probe.data(), QByteArray("qd"));
    QCOMPARE(probe.senderPort(), int(listener.boundPort()));
    QCOMPARE(probe.senderAddress().toIPv4Address(), QHostAddress(QHostAddress::LocalHost).toIPv4Address());
}

void TestDiscovery::replySizes_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("handedOn");

    QTest::newRow("1 byte") << QByteArray("\n") << true;
    QTest::newRow("host and LF") << QByteArray("127.0.0.1\n") << true;
    QTest::newRow("host and CR LF, bytes unchanged") << QByteArray("10.0.0.7\r\n") << true;
    QTest::newRow("bytes above 0x7F unchanged") << QByteArray("h\xce\xb1\n") << true;
    QTest::newRow("20 bytes") << QByteArray(20, 'h') << true;
    QTest::newRow("21 bytes discarded whole") << QByteArray(21, 'h') << false;
    QTest::newRow("1000 bytes discarded whole") << QByteArray(1000, 'h') << false;
    QTest::newRow("empty ignored") << QByteArray() << false;
}

void TestDiscovery::replySizes()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, handedOn);
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.open();
    QSignalSpy spy(&listener, &DiscoveryListener::replyReceived);
    // Twice: a datagram that is dropped must not stop or swallow the one behind it.
    QVERIFY(sendAndSettle(listener, spy, {datagram, datagram}));
    const QList<QByteArray> expected = handedOn ? QList<QByteArray>{datagram, datagram} : QList<QByteArray>();
    QCOMPARE(repliesOf(spy), expected);
}

void TestDiscovery::openFailsWhenThePortIsTaken_data()
{
    QTest::addColumn<QHostAddress>("holderAddress");
    QTest::addColumn<int>("holderMode");

    QTest::newRow("held alone") << QHostAddress(QHostAddress::AnyIPv4) << int(QAbstractSocket::DontShareAddress);
    QTest::newRow("held, sharing offered") << QHostAddress(QHostAddress::AnyIPv4)
                                           << int(QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
    QTest::newRow("held on loopback only")
        << QHostAddress(QHostAddress::LocalHost) << int(QAbstractSocket::DontShareAddress);
}

void TestDiscovery::openFailsWhenThePortIsTaken()
{
    QFETCH(QHostAddress, holderAddress);
    QFETCH(int, holderMode);
    QUdpSocket holder;
    QVERIFY(holder.bind(holderAddress, 0, QAbstractSocket::BindMode(holderMode)));
    DiscoveryListener listener;
    listener.setListenPort(holder.localPort());
    QCOMPARE(failureOf([&] { listener.open(); }), kCouldNotBind);
    QVERIFY(!listener.isActive());
    QVERIFY(!listener.hasIPv6Socket());
}

void TestDiscovery::othersCannotShareOurPort()
{
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.open();
    for (const QHostAddress &address : {QHostAddress(QHostAddress::AnyIPv4), QHostAddress(QHostAddress::LocalHost)}) {
        QUdpSocket other;
        QVERIFY2(!other.bind(address, listener.boundPort(),
                             QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint),
                 qPrintable(address.toString()));
    }
}

void TestDiscovery::closeAndReopen()
{
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.close(); // inactive: nothing to do
    listener.open();
    const quint16 port = listener.boundPort();
    QVERIFY(port != 0);
    listener.open(); // already active: nothing to do
    QCOMPARE(listener.boundPort(), port);

    listener.close();
    QVERIFY(!listener.isActive());
    QCOMPARE(listener.boundPort(), quint16(0));
    listener.close();
    {
        // The port is free again.
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress));
    }

    listener.setListenPort(port);
    QCOMPARE(failureOf([&] { listener.open(); }), QString());
    QCOMPARE(listener.boundPort(), port);
    QVERIFY(listener.broadcastPermitted());
    QSignalSpy spy(&listener, &DiscoveryListener::replyReceived);
    QVERIFY(sendAndSettle(listener, spy, {QByteArray("127.0.0.1\n")}));
    QCOMPARE(repliesOf(spy), QList<QByteArray>{QByteArray("127.0.0.1\n")});
}

void TestDiscovery::handlerMayCloseTheListener()
{
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.open();
    const quint16 port = listener.boundPort();
    QSignalSpy spy(&listener, &DiscoveryListener::replyReceived);
    connect(&listener, &DiscoveryListener::replyReceived, this, [&listener] { listener.close(); });
    QUdpSocket sender;
    // Both are waiting in the socket before the listener takes the first.
    QCOMPARE(sender.writeDatagram(QByteArray("first\n"), QHostAddress::LocalHost, port), 6);
    QCOMPARE(sender.writeDatagram(QByteArray("second\n"), QHostAddress::LocalHost, port), 7);
    QVERIFY(spy.wait(30000));
    QCoreApplication::processEvents();
    QCOMPARE(repliesOf(spy), QList<QByteArray>{QByteArray("first\n")});
    QVERIFY(!listener.isActive());
    // Open again later and it works as before.
    listener.setListenPort(port);
    listener.open();
    QVERIFY(listener.isActive());
}

void TestDiscovery::repliesOverIPv6()
{
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.open();
    if (!listener.hasIPv6Socket())
        QSKIP("no IPv6 on this system");
    QSignalSpy spy(&listener, &DiscoveryListener::replyReceived);
    QVERIFY(sendAndSettle(listener, spy, {QByteArray("::1 host\n")}, QHostAddress(QHostAddress::LocalHostIPv6)));
    QCOMPARE(repliesOf(spy), QList<QByteArray>{QByteArray("::1 host\n")});
}

void TestDiscovery::sendProbeWhenInactiveFails()
{
    DiscoveryListener listener;
    QVERIFY(!failureOf([&] { listener.sendProbe(); }).isNull());
}

void TestDiscovery::broadcastReachesThisHost()
{
    // Only where a broadcast cannot leave the machine: a private network namespace (see
    // `isolated --sink`) whose runner sets QD_TEST_ISOLATED_NETWORK=1.
    if (qEnvironmentVariable("QD_TEST_ISOLATED_NETWORK") != QLatin1String("1"))
        QSKIP("needs an isolated network namespace (QD_TEST_ISOLATED_NETWORK=1)");
    QUdpSocket server;
    QVERIFY(server.bind(QHostAddress::AnyIPv4, 0));
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.setProbeTarget(QHostAddress(QHostAddress::Broadcast), server.localPort());
    listener.open();
    QCOMPARE(failureOf([&] { listener.sendProbe(); }), QString());
    QVERIFY(server.hasPendingDatagrams() || server.waitForReadyRead(30000));
    const QNetworkDatagram probe = server.receiveDatagram();
    QCOMPARE(probe.data(), QByteArray("qd"));
    QCOMPARE(probe.senderPort(), int(listener.boundPort()));
}

void TestDiscovery::directedBroadcasts_data()
{
    QTest::addColumn<QList<NetworkInterfaceInfo>>("interfaces");
    QTest::addColumn<QStringList>("expected");

    const auto lo =
        network("lo", Flags(QNetworkInterface::IsUp) | QNetworkInterface::IsRunning | QNetworkInterface::IsLoopBack,
                {entry("127.0.0.1", 8, "127.255.255.255")});
    QTest::newRow("the broadcast the system names")
        << QList{network("eth0", kUsual, {entry("10.213.0.1", 24, "10.213.0.255")})} << QStringList{"10.213.0.255"};
    QTest::newRow("none named: made from address and netmask")
        << QList{network("eth0", kUsual, {entry("10.213.0.1", 24), entry("10.213.4.9", 22)})}
        << QStringList{"10.213.0.255", "10.213.7.255"};
    QTest::newRow("every network of every interface, in order")
        << QList{lo, network("wlan0", kUsual, {entry("10.213.2.1", 24, "10.213.2.255")}),
                 network("eth0", kUsual, {entry("10.213.0.1", 24), entry("fe80::1", 64)})}
        << QStringList{"10.213.2.255", "10.213.0.255"};
    QTest::newRow("loopback, down, cannot broadcast: none")
        << QList{lo, network("eth0", kUsual & ~Flags(QNetworkInterface::IsUp), {entry("10.213.0.1", 24)}),
                 network("ppp0", kUsual & ~Flags(QNetworkInterface::CanBroadcast), {entry("10.213.1.1", 24)})}
        << QStringList{};
    QTest::newRow("up without carrier still probed")
        << QList{network("eth0", kUsual & ~Flags(QNetworkInterface::IsRunning), {entry("10.213.0.1", 24)})}
        << QStringList{"10.213.0.255"};
    QTest::newRow("IPv6 only: none") << QList{network("eth0", kUsual, {entry("fe80::1", 64), entry("fd00::1", 64)})}
                                     << QStringList{};
    QTest::newRow("/30 has one, /31 and /32 none")
        << QList{network("eth0", kUsual, {entry("10.213.0.1", 30), entry("10.213.0.9", 31), entry("10.213.0.20", 32)})}
        << QStringList{"10.213.0.3"};
    QTest::newRow("the same network twice: once")
        << QList{network("eth0", kUsual, {entry("10.213.0.1", 24)}),
                 network("eth1", kUsual, {entry("10.213.0.7", 24, "10.213.0.255")})}
        << QStringList{"10.213.0.255"};
    QTest::newRow("limited broadcast named as a network's: left out")
        << QList{network("eth0", kUsual, {entry("10.213.0.1", 24, "255.255.255.255")})} << QStringList{};
}

void TestDiscovery::directedBroadcasts()
{
    QFETCH(QList<NetworkInterfaceInfo>, interfaces);
    QFETCH(QStringList, expected);
    QCOMPARE(qd::link::directedBroadcastAddresses(interfaces), addresses(expected));
}

void TestDiscovery::whichTargetsAreSwept_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("sweep");
    QTest::addColumn<QStringList>("expected");

    using Sweep = DiscoveryListener::NetworkSweep;
    const QString limited = QStringLiteral("255.255.255.255");
    QTest::newRow("default: 255.255.255.255 and every network")
        << limited << int(Sweep::WithBroadcastTarget) << QStringList{limited, "10.213.0.255", "10.213.2.255"};
    QTest::newRow("default: one network's broadcast alone")
        << QStringLiteral("10.213.0.255") << int(Sweep::WithBroadcastTarget) << QStringList{"10.213.0.255"};
    QTest::newRow("default: one host alone")
        << QStringLiteral("127.0.0.1") << int(Sweep::WithBroadcastTarget) << QStringList{"127.0.0.1"};
    QTest::newRow("never: 255.255.255.255 alone") << limited << int(Sweep::Never) << QStringList{limited};
    QTest::newRow("always: a network target is not sent twice")
        << QStringLiteral("10.213.0.255") << int(Sweep::Always) << QStringList{"10.213.0.255", "10.213.2.255"};
}

void TestDiscovery::whichTargetsAreSwept()
{
    QFETCH(QString, target);
    QFETCH(int, sweep);
    QFETCH(QStringList, expected);
    DiscoveryListener listener;
    QCOMPARE(listener.networkSweep(), DiscoveryListener::NetworkSweep::WithBroadcastTarget);
    listener.setProbeTarget(QHostAddress(target), 9);
    listener.setNetworkSweep(DiscoveryListener::NetworkSweep(sweep));
    listener.setInterfaceSource([] {
        return QList{network("eth0", kUsual, {entry("10.213.0.1", 24)}),
                     network("wlan0", kUsual, {entry("10.213.2.1", 24)})};
    });
    QCOMPARE(listener.probeAddresses(), addresses(expected));
}

void TestDiscovery::networksThatComeAndGoArePickedUpAtTheNextProbe()
{
    // Three "networks" on loopback: the probe target 127.0.0.1 and two interfaces whose
    // broadcast addresses are 127.0.0.2 and 127.0.0.3, each heard by a socket of its own at the
    // same port. The interface list changes between probes as Wi-Fi and cable come and go.
    std::array<QUdpSocket, 3> hearers;
    QVERIFY(hearers[0].bind(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    const quint16 port = hearers[0].localPort();
    for (int i = 1; i < 3; ++i)
        QVERIFY(hearers[i].bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(i + 1)), port));

    QList<NetworkInterfaceInfo> interfaces;
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.setProbeTarget(QHostAddress::LocalHost, port);
    listener.setNetworkSweep(DiscoveryListener::NetworkSweep::Always);
    listener.setInterfaceSource([&interfaces] { return interfaces; });
    listener.open();

    const auto wifi = network("wlan0", kUsual, {entry("127.0.0.2", 8, "127.0.0.2")});
    const auto cable = network("eth0", kUsual, {entry("127.0.0.3", 8, "127.0.0.3")});
    auto cableUnplugged = cable;
    cableUnplugged.flags &= ~Flags(QNetworkInterface::IsUp);
    struct Tick
    {
        QList<NetworkInterfaceInfo> interfaces;
        std::array<bool, 3> heard;
    };
    const QList<Tick> ticks{
        {{}, {true, false, false}},          {{wifi}, {true, true, false}},
        {{wifi, cable}, {true, true, true}}, {{wifi, cableUnplugged}, {true, true, false}},
        {{cable}, {true, false, true}},      {{}, {true, false, false}},
    };
    for (qsizetype t = 0; t < ticks.size(); ++t) {
        interfaces = ticks[t].interfaces;
        QCOMPARE(failureOf([&] { listener.sendProbe(); }), QString());
        QCOMPARE(listener.lastProbe().size(), 1 + std::count(ticks[t].heard.begin() + 1, ticks[t].heard.end(), true));
        for (const DiscoveryListener::ProbeResult &result : listener.lastProbe())
            QVERIFY2(result.failure.isNull(), qPrintable(result.failure));
        for (int i = 0; i < 3; ++i) {
            // A marker behind the probe: whatever comes before it was sent by this tick.
            QUdpSocket marker;
            QCOMPARE(marker.writeDatagram("end", hearers[i].localAddress(), port), 3);
            QList<QNetworkDatagram> got;
            while (got.isEmpty() || got.last().data() != "end") {
                QVERIFY2(hearers[i].hasPendingDatagrams() || hearers[i].waitForReadyRead(30000),
                         qPrintable(QStringLiteral("tick %1, network %2").arg(t).arg(i)));
                got << hearers[i].receiveDatagram();
            }
            got.removeLast();
            QCOMPARE(got.size(), ticks[t].heard[i] ? 1 : 0);
            for (const QNetworkDatagram &probe : got) {
                QCOMPARE(probe.data(), QByteArray("qd"));
                QCOMPARE(probe.senderPort(), int(listener.boundPort()));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "test_discovery.moc"
