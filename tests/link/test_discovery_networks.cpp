// DiscoveryListener on the machine's real interfaces, in a private network namespace that
// starts with loopback alone (in-isolated-network.sh): the test adds, takes down and removes
// networks of its own between probes and listens on all of them. There is no default route,
// so 255.255.255.255 cannot be sent at all; the networks it adds are reached by their directed
// broadcast addresses (10.213.9.x, where nothing answers) and Linux loops each of those back to
// this host's sockets.

#include "failureof.h"
#include "link/discoverylistener.h"

#include <testnetwork.h>

#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

#include <memory>

using qd::link::DiscoveryListener;
using qd::test::failureOf;
using qd::test::TestNetwork;

class TestDiscoveryNetworks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void probesFollowTheMachinesNetworks();

private:
    // The probes this tick brought to the hearer, by destination address.
    QStringList probesHeard(const DiscoveryListener &listener);

    QUdpSocket m_hearer;
};

void TestDiscoveryNetworks::initTestCase()
{
    if (!qd::test::inIsolatedNetwork())
        QSKIP("runs only in a network namespace of its own (in-isolated-network.sh)");
    TestNetwork trial(QStringLiteral("qdtry0"), QStringLiteral("10.213.9.193/26"), false);
    if (!trial.error().isNull())
        QSKIP(qPrintable(QStringLiteral("cannot make test networks here: %1").arg(trial.error())));
    QVERIFY(m_hearer.bind(QHostAddress::AnyIPv4, 0));
}

QStringList TestDiscoveryNetworks::probesHeard(const DiscoveryListener &listener)
{
    // A marker behind the probes: whatever comes before it was sent by this tick.
    QUdpSocket marker;
    if (marker.writeDatagram("end", QHostAddress(QHostAddress::LocalHost), m_hearer.localPort()) != 3)
        return {QStringLiteral("marker not sent")};
    QStringList heard;
    for (;;) {
        if (!m_hearer.hasPendingDatagrams() && !m_hearer.waitForReadyRead(30000))
            return heard << QStringLiteral("marker lost");
        const QNetworkDatagram datagram = m_hearer.receiveDatagram();
        if (datagram.data() == "end")
            return heard;
        if (datagram.data() != "qd" || datagram.senderPort() != int(listener.boundPort()))
            heard << QStringLiteral("stray %1 from port %2")
                         .arg(QString::fromLatin1(datagram.data().toHex()))
                         .arg(datagram.senderPort());
        else
            heard << datagram.destinationAddress().toString();
    }
}

void TestDiscoveryNetworks::probesFollowTheMachinesNetworks()
{
    // The program's own settings but for the ports: 255.255.255.255 and every network.
    DiscoveryListener listener;
    listener.setListenPort(0);
    listener.setProbeTarget(QHostAddress(QHostAddress::Broadcast), m_hearer.localPort());
    listener.open();

    // Loopback alone: the probe leaves for nowhere, which is the failure of the tick.
    const QString unreachable = failureOf([&] { listener.sendProbe(); });
    QVERIFY2(unreachable.startsWith(QStringLiteral("Socket Error # ")), qPrintable(unreachable));
    QCOMPARE(listener.lastProbe().size(), 1);
    QCOMPARE(probesHeard(listener), QStringList{});

    // A cable is plugged in: its network is probed at the next tick, and 255.255.255.255 still
    // failing is no failure. Its address is added without "brd", as plain `ip addr add` does.
    auto wired = std::make_unique<TestNetwork>(QStringLiteral("qdwire0"), QStringLiteral("10.213.9.1/26"), false);
    QVERIFY2(wired->error().isNull(), qPrintable(wired->error()));
    QCOMPARE(failureOf([&] { listener.sendProbe(); }), QString());
    QCOMPARE(listener.lastProbe().size(), 2);
    QCOMPARE(listener.lastProbe().at(0).failure, unreachable);
    QCOMPARE(listener.lastProbe().at(1).address, QHostAddress(QStringLiteral("10.213.9.63")));
    QVERIFY(listener.lastProbe().at(1).failure.isNull());
    QCOMPARE(probesHeard(listener), QStringList{QStringLiteral("10.213.9.63")});

    // Wi-Fi joins a second network.
    TestNetwork wifi(QStringLiteral("qdwifi0"), QStringLiteral("10.213.9.65/26"), true);
    QVERIFY2(wifi.error().isNull(), qPrintable(wifi.error()));
    QCOMPARE(failureOf([&] { listener.sendProbe(); }), QString());
    QStringList heard = probesHeard(listener);
    heard.sort();
    QCOMPARE(heard, (QStringList{QStringLiteral("10.213.9.127"), QStringLiteral("10.213.9.63")}));

    // The wired interface goes down, then comes back.
    QCOMPARE(wired->setUp(false), QString());
    QCOMPARE(failureOf([&] { listener.sendProbe(); }), QString());
    QCOMPARE(probesHeard(listener), QStringList{QStringLiteral("10.213.9.127")});
    QCOMPARE(wired->setUp(true), QString());
    QCOMPARE(failureOf([&] { listener.sendProbe(); }), QString());
    heard = probesHeard(listener);
    heard.sort();
    QCOMPARE(heard, (QStringList{QStringLiteral("10.213.9.127"), QStringLiteral("10.213.9.63")}));

    // Both gone: nothing left to probe, and the tick fails again.
    wired.reset();
    wifi.remove();
    QCOMPARE(failureOf([&] { listener.sendProbe(); }), unreachable);
    QCOMPARE(listener.lastProbe().size(), 1);
    QCOMPARE(probesHeard(listener), QStringList{});
}

QTEST_GUILESS_MAIN(TestDiscoveryNetworks)
#include "test_discovery_networks.moc"
