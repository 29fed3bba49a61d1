// The link controller alone, without windows, over loopback: connects run in the background,
// replies that come meanwhile are merged with the latest winning, and the toggle's connect
// is busy while it runs. A connect that hangs is made against a listener whose accept queue is
// full, so the system drops the connect's SYN as a host that does not answer would.

#include "../support/silentlistener.h"

#include <link/discoverylistener.h>
#include <link/lineconnection.h>
#include <link/linkcontroller.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using qd::link::LinkController;
using qd::test::SilentListener;

namespace {

// A listener that counts the connections it is offered.
class CountingListener
{
public:
    bool start(const QString &address, quint16 port)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                ++m_count;
                s->setParent(&m_server);
            }
        });
        return m_server.listen(QHostAddress(address), port);
    }
    int count() const { return m_count; }

private:
    QTcpServer m_server;
    int m_count = 0;
};

qd::link::LinkSettings quietSettings()
{
    qd::link::LinkSettings settings;
    settings.networkEnabled = false; // no listener, no probes: replies are handed in directly
    settings.connectTimeoutMs = 500;
    return settings;
}

} // namespace

class LinkControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_silent = std::make_unique<SilentListener>();
        QVERIFY(m_silent->start());
    }
    void cleanup() { m_silent.reset(); }

    // A probe target the user named is probed alone, 255.255.255.255 too; by default that
    // address also brings every network's own broadcast address.
    void aNamedProbeTargetIsProbedAlone_data()
    {
        QTest::addColumn<bool>("only");
        QTest::addColumn<bool>("swept");
        QTest::newRow("default") << false << true;
        QTest::newRow("named") << true << false;
    }
    void aNamedProbeTargetIsProbedAlone()
    {
        QFETCH(bool, only);
        QFETCH(bool, swept);
        qd::link::LinkSettings settings = quietSettings();
        settings.probeTarget = QHostAddress(QHostAddress::Broadcast);
        settings.probeTargetOnly = only;
        LinkController link(settings);
        using Sweep = qd::link::DiscoveryListener::NetworkSweep;
        QCOMPARE(link.IdUDPServer1()->networkSweep() == Sweep::WithBroadcastTarget, swept);
        QCOMPARE(link.IdUDPServer1()->networkSweep() == Sweep::Never, !swept);
    }

    // Three replies while the first one's connect hangs: the second is replaced by the third,
    // which connects once the first has run out of time; the second is never tried.
    void repliesDuringAConnectAreMergedAndTheLatestWins()
    {
        CountingListener replaced, latest;
        QVERIFY(replaced.start(QStringLiteral("127.0.0.2"), m_silent->port()));
        QVERIFY(latest.start(QStringLiteral("127.0.0.3"), m_silent->port()));
        LinkController link(quietSettings());
        link.Timer1()->start();
        link.setPortText(QString::number(m_silent->port()));
        QSignalSpy log(&link, &LinkController::logLine);
        QSignalSpy failures(&link, &LinkController::failure);

        link.IdUDPServer1UDPRead("127.0.0.1\n");
        QVERIFY(link.connecting());
        link.IdUDPServer1UDPRead("127.0.0.2\n");
        link.IdUDPServer1UDPRead("127.0.0.3\n");
        // The handler returned at once each time; the host shown is the latest.
        QCOMPARE(link.hostText(), QStringLiteral("127.0.0.3"));
        QVERIFY(link.connecting());
        QVERIFY(!link.IdTCPClient1()->isOpen());

        QTRY_VERIFY_WITH_TIMEOUT(link.IdTCPClient1()->isOpen(), 10000);
        QTRY_COMPARE(latest.count(), 1);
        QCOMPARE(replaced.count(), 0);
        QVERIFY(!link.connecting());
        QVERIFY(!link.discoveryRunning());
        QVERIFY(link.indicatorConnected());
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.first().first().toString(), QStringLiteral("Client connected with server"));
        QCOMPARE(failures.size(), 0);

        // Connected now: a further reply is refused without a word and changes nothing.
        link.IdUDPServer1UDPRead("127.0.0.2\n");
        QVERIFY(!link.connecting());
        QTest::qWait(100);
        QCOMPARE(replaced.count(), 0);
    }

    // The toggle's connect: busy while it runs, a second tap does nothing, a send meanwhile
    // fails as one without a connection, and the failure reaches the error report at the end.
    void toggleConnectIsBusyUntilItEnds()
    {
        LinkController link(quietSettings());
        link.setHostText(QStringLiteral("127.0.0.1"));
        link.setPortText(QString::number(m_silent->port()));
        QSignalSpy busy(&link, &LinkController::connectBusyChanged);
        QSignalSpy failures(&link, &LinkController::failure);
        QSignalSpy sendFailures(&link, &LinkController::sendFailed);

        link.toggleConnection();
        QVERIFY(link.connectBusy());
        QCOMPARE(busy.size(), 1);
        QCOMPARE(busy.first().first().toBool(), true);
        link.toggleConnection();
        QCOMPARE(busy.size(), 1);

        link.sendWithReply(QStringLiteral("a15"));
        QCOMPARE(sendFailures.size(), 1);
        QCOMPARE(sendFailures.first().first().value<LinkController::SendFailure>(), LinkController::SendFailure::Main);
        QVERIFY(!link.indicatorConnected());

        QVERIFY(failures.wait(10000));
        QCOMPARE(failures.first().first().toString(), QStringLiteral("Socket Error # 110\nConnection timed out."));
        QVERIFY(!link.connectBusy());
        QCOMPARE(busy.size(), 2);
        QCOMPARE(busy.last().first().toBool(), false);
        QVERIFY(!link.IdTCPClient1()->hasConnectionObject());
    }

    // A tap on the toggle while a discovery connect hangs: the user's connect takes its place
    // at once, and, being a connect by hand, leaves discovery running.
    void toggleTakesThePlaceOfADiscoveryConnect()
    {
        CountingListener server;
        QVERIFY(server.start(QStringLiteral("127.0.0.3"), m_silent->port()));
        LinkController link(quietSettings());
        link.Timer1()->start();
        link.setPortText(QString::number(m_silent->port()));
        QSignalSpy failures(&link, &LinkController::failure);
        link.IdUDPServer1UDPRead("127.0.0.1\n");
        QVERIFY(link.connecting());
        QVERIFY(!link.connectBusy());

        link.setHostText(QStringLiteral("127.0.0.3"));
        link.toggleConnection();
        QVERIFY(link.connectBusy());
        QTRY_VERIFY_WITH_TIMEOUT(link.IdTCPClient1()->isOpen(), 10000);
        QTRY_COMPARE(server.count(), 1);
        QVERIFY(!link.connectBusy());
        QVERIFY(link.discoveryRunning());
        QCOMPARE(failures.size(), 0);
    }

private:
    std::unique_ptr<SilentListener> m_silent;
};

QTEST_GUILESS_MAIN(LinkControllerTest)
#include "test_linkcontroller.moc"
