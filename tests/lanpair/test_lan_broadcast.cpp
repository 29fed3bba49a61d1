// The link on a real two-host test network, where the resolver named by the system does not
// answer: the client on one host finds the reference peer on the other host by its probe and a
// tapped word arrives; replies that name addresses where nothing answers never hold the
// windows still. When the client's default route is on another network
// (QD_LAN_DEFAULT_ELSEWHERE=1), 255.255.255.255 leaves by that one and the server's network
// hears only the probe to its own broadcast address. Only ever run on the client host of that
// network (lan-pair-test.sh), never on its own: it broadcasts on every network this host has.

#include <guiharness.h>

#include <QD_client.h>
#include <Unit1.h>
#include <martyries.h>

#include <link/discoverylistener.h>
#include <link/lineconnection.h>
#include <link/linkcontroller.h>
#include <palette/windowset.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

using namespace qd::test::running;

namespace {

QByteArray peerOutput()
{
    QFile output(qEnvironmentVariable("QD_PEER_OUTPUT"));
    return output.open(QIODevice::ReadOnly) ? output.readAll() : QByteArray();
}

// The longest time the event loop went without running a 10 ms timer, while it was watched.
class StallWatch
{
public:
    StallWatch()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer,
                         [this] { m_longest = qMax(m_longest, m_sinceTick.restart()); });
        m_sinceTick.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

} // namespace

class LanBroadcastTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("LAN_CLIENT_IP") || qEnvironmentVariableIsEmpty("QD_PEER_OUTPUT"))
            QSKIP("runs only on the client host of the lan-pair test network");
    }

    void findsTheServerByBroadcastAndSends()
    {
        // The program's own defaults: probe to 255.255.255.255:8090 from 8091, TCP 6000.
        qd::windows::Program program;
        qd::test::setCurrentProgram(&program);
        QElapsedTimer sinceReply;
        // The reply handler shows the host before it connects.
        connect(controller(), &qd::link::LinkController::hostTextChanged, this, [&sinceReply] {
            if (!sinceReply.isValid())
                sinceReply.start();
        });
        qint64 replyToConnected = -1;
        connect(controller()->IdTCPClient1(), &qd::link::LineConnection::connected, this,
                [&] { replyToConnected = sinceReply.isValid() ? sinceReply.elapsed() : -1; });
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(controller()->IdTCPClient1()->isOpen(), 20000);
        QCOMPARE(clientForm()->Edit2->text(), qEnvironmentVariable("LAN_SERVER_IP"));
        QVERIFY(MainClient()->indicatorConnected());
        QVERIFY(!controller()->discoveryRunning());
        // The reply names a literal address: no lookup stands between it and the connect.
        qInfo("discovery reply to connected on the LAN: %lld ms", replyToConnected);
        QVERIFY2(replyToConnected >= 0 && replyToConnected < 1000, qPrintable(QString::number(replyToConnected)));

        qd::test::MessageCapture messages;
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QCOMPARE(messages.count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(peerOutput().startsWith("a15\t"), 10000);
        QCOMPARE(peerOutput().count('\n'), 1);

        // Every datagram the peer saw was the probe: "qd" from the client's port 8091, sent to
        // the addresses expected on this network.
        QFile probeLog(qEnvironmentVariable("QD_PEER_PROBES"));
        QVERIFY(probeLog.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(probeLog.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        const QString from = QStringLiteral("from %1:8091 to ").arg(qEnvironmentVariable("LAN_CLIENT_IP"));
        const QString directed = QStringLiteral("10.213.0.255");
        const bool elsewhere = qEnvironmentVariable("QD_LAN_DEFAULT_ELSEWHERE") == QLatin1String("1");
        QSet<QString> sentTo;
        for (const QString &line : lines) {
            QVERIFY2(line.startsWith(from) && line.endsWith(QStringLiteral(" bytes 7164")), qPrintable(line));
            sentTo.insert(line.mid(from.size()).section(QLatin1Char(' '), 0, 0));
        }
        const QSet<QString> expected =
            elsewhere ? QSet<QString>{directed} : QSet<QString>{QStringLiteral("255.255.255.255"), directed};
        QCOMPARE(sentTo, expected);
    }

    // Replies naming addresses of the test network where no host answers, one and then a
    // burst of them: every tap that opens a side window is handled at once all the while, and
    // the reply that names the real server still connects.
    void deadAddressesNeverHoldTheWindows()
    {
        // Probes go to a port of our own host where nothing listens, so the peer answers none:
        // this test sends every reply itself.
        qd::windows::LinkSettings settings;
        settings.probeTarget = QHostAddress(qEnvironmentVariable("LAN_CLIENT_IP"));
        settings.probePort = 9;
        qd::windows::Program program(settings);
        qd::test::setCurrentProgram(&program);
        program.start();
        QTRY_VERIFY(MainClient()->isActiveWindow());
        const quint16 listenPort = controller()->IdUDPServer1()->boundPort();
        QVERIFY(listenPort != 0);
        QUdpSocket replies;
        const auto reply = [&](const QByteArray &host) {
            replies.writeDatagram(host + '\n', QHostAddress(QHostAddress::LocalHost), listenPort);
        };

        StallWatch stalls;
        reply("10.213.0.77");
        QTRY_VERIFY(controller()->connecting());
        for (int i = 0; i < 8; ++i)
            reply("10.213.0." + QByteArray::number(80 + i));
        qd::test::MessageCapture messages;
        QElapsedTimer during;
        during.start();
        int taps = 0;
        while (during.elapsed() < 4000) {
            // The tap is posted, so that it waits behind whatever the event loop is doing.
            QElapsedTimer tap;
            tap.start();
            QTimer::singleShot(0, this, [] {
                qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("martyriesshow")));
            });
            QTRY_VERIFY_WITH_TIMEOUT(FormMartyries()->isActiveWindow(), 10000);
            QVERIFY2(tap.elapsed() < 500, qPrintable(QStringLiteral("tap %1 took %2 ms").arg(taps).arg(tap.elapsed())));
            qd::test::tapCentre(FormMartyries(), FormMartyries()->controlRect(QStringLiteral("Button1")));
            QTRY_VERIFY(MainClient()->isActiveWindow());
            ++taps;
            QTest::qWait(100);
        }
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QCOMPARE(clientForm()->Edit2->text(), QStringLiteral("10.213.0.87"));
        qInfo("%d taps during the dead replies; longest event-loop stall %lld ms", taps, stalls.longestMs());
        QVERIFY2(stalls.longestMs() < 500, qPrintable(QString::number(stalls.longestMs())));

        // The real server: it takes the place of the dead replies still waiting.
        reply(qEnvironmentVariable("LAN_SERVER_IP").toLatin1());
        QTRY_VERIFY_WITH_TIMEOUT(controller()->IdTCPClient1()->isOpen(), 15000);
        QVERIFY(MainClient()->indicatorConnected());
        QVERIFY(!controller()->discoveryRunning());
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QTRY_VERIFY_WITH_TIMEOUT(peerOutput().count("a15\t") == 2, 10000);
        QCOMPARE(messages.count(), 0);
        QVERIFY2(stalls.longestMs() < 500, qPrintable(QString::number(stalls.longestMs())));
    }
};

QD_GUI_TEST_MAIN(LanBroadcastTest)
#include "test_lan_broadcast.moc"
