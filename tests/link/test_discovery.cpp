// DiscoveryListener on loopback, on ports the system picks. The probe is aimed at a test socket
// instead of the broadcast address, except in broadcastReachesThisHost, which runs only in a
// network namespace of its own.

#include "failureof.h"
#include "link/discoverylistener.h"
#include "link/failure.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using qd::link::DiscoveryListener;
using qd::link::Failure;

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

QTEST_GUILESS_MAIN(TestDiscovery)
#include "test_discovery.moc"
