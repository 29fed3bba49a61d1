// Servers that misbehave for longer, through the real windows on loopback: a restart noticed
// without a tap, a server that stops reading, one that streams while discovery replies arrive,
// and the bound of the link log. Probes go to a socket of the test, replies come from the test.

#include "../support/residentmemory.h"
#include <guiharness.h>
#include <peerprocess.h>

#include <QD_client.h>
#include <Unit1.h>
#include <martyries.h>

#include <palette/windowset.h>

#include <link/discoverylistener.h>
#include <link/lineconnection.h>
#include <link/linkcontroller.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QUdpSocket>

#include <sys/socket.h>

using qd::palette::WindowSet;
using namespace qd::test::running;
using qd::test::MessageCapture;

namespace {

// What the windows show of the link.
qd::link::LineConnection *link()
{
    return controller()->IdTCPClient1();
}
bool discoveryRunning()
{
    return controller()->discoveryRunning();
}
QStringList logLines()
{
    const QString text = clientForm()->Memo1->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}

} // namespace

class HostileWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_probes = std::make_unique<QUdpSocket>();
        QVERIFY(m_probes->bind(QHostAddress(QHostAddress::LocalHost), 0));
        // A fixed listen port, so that replies reach the listener again once a tick has reopened it.
        m_program = qd::test::startProgram(qd::test::loopbackSettings(m_probes->localPort(), qd::test::freeUdpPort()));
        QVERIFY(MainClient()->isActiveWindow());
    }
    void cleanup()
    {
        m_program.reset();
        m_probes.reset();
    }

    void serverRestartIsNoticedWithoutATap()
    {
        auto peer = std::make_unique<PeerProcess>();
        QVERIFY2(peer->start({"--no-discovery"}), qPrintable(peer->errorString()));
        const quint16 port = peer->tcpPort();
        clientForm()->Edit3->setText(QString::number(port));
        MessageCapture messages;
        sendReply("127.0.0.1\n");
        QTRY_VERIFY(link()->isOpen());
        QVERIFY(MainClient()->indicatorConnected());
        QVERIFY(!discoveryRunning());

        // The server goes away and comes back at the same port.
        peer.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!MainClient()->indicatorConnected(), 10000);
        QVERIFY(!link()->isOpen());
        QVERIFY(discoveryRunning());
        peer = std::make_unique<PeerProcess>();
        QVERIFY2(peer->start({"--no-discovery", "--tcp-port", QString::number(port)}), qPrintable(peer->errorString()));
        // Discovery probes again; the server's answer connects.
        drainProbes();
        QVERIFY(waitForProbe());
        sendReply("127.0.0.1\n");
        QTRY_VERIFY(MainClient()->indicatorConnected());
        QVERIFY(link()->isOpen());
        QVERIFY(!discoveryRunning());

        // The next main and side taps arrive, with no message.
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        WindowSet::instance().show(FormMartyries());
        qd::test::tapCentre(FormMartyries(), FormMartyries()->controlRect(QStringLiteral("ark1")));
        QVERIFY(peer->waitForWords(2));
        QCOMPARE(peer->receivedWords(), QStringList({"a15", "ark1"}));
        QCOMPARE(messages.count(), 0);
        // A quiet loss: no disconnect line, only the two connects.
        QCOMPARE(logLines(), QStringList({qd::test::kConnectedLine, qd::test::kConnectedLine}));
    }

    void serverThatStopsReadingCostsOneStallThenTheClientMovesOn()
    {
        PeerProcess deaf;
        QVERIFY2(deaf.start({"--no-discovery", "--mode", "stop-reading-after", "0", "--receive-buffer", "2048"}),
                 qPrintable(deaf.errorString()));
        clientForm()->Edit3->setText(QString::number(deaf.tcpPort()));
        sendReply("127.0.0.1\n");
        QTRY_VERIFY(link()->isOpen());
        // Small buffers on our side too, so that a few thousand taps fill them.
        const int small = 2048;
        ::setsockopt(link()->socketHandle(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);

        MessageCapture messages;
        WindowSet::instance().show(FormMartyries());
        const QRectF key = FormMartyries()->controlRect(QStringLiteral("ark1"));
        qint64 longest = 0;
        int taps = 0;
        while (messages.count() == 0 && taps < 100000) {
            QElapsedTimer tap;
            tap.start();
            qd::test::tapCentre(FormMartyries(), key);
            longest = qMax(longest, tap.elapsed());
            ++taps;
        }
        qInfo("%d side taps went into the buffers; the longest took %lld ms", taps, longest);
        QCOMPARE(messages.texts(), QStringList{qd::test::kSideSendFailure});
        QVERIFY2(longest < 10 * link()->sendTimeoutMs(), qPrintable(QString::number(longest)));
        // The connection is closed and discovery looks for a server again.
        QVERIFY(!link()->isOpen());
        QTRY_VERIFY(!MainClient()->indicatorConnected());
        QVERIFY(discoveryRunning());

        // A server that reads again is reached by the next reply, and taps arrive with no message.
        PeerProcess reading;
        QVERIFY2(reading.start({"--no-discovery"}), qPrintable(reading.errorString()));
        clientForm()->Edit3->setText(QString::number(reading.tcpPort()));
        drainProbes();
        QVERIFY(waitForProbe());
        sendReply("127.0.0.1\n");
        QTRY_VERIFY(MainClient()->indicatorConnected());
        qd::test::tapCentre(FormMartyries(), key);
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QVERIFY(reading.waitForWords(2));
        QCOMPARE(reading.receivedWords(), QStringList({"ark1", "a15"}));
        QCOMPARE(messages.count(), 1);
    }

    void streamingServerWithRepliesArrivingKeepsMemoryFlat()
    {
        PeerProcess stream;
        QVERIFY2(stream.start({"--no-discovery", "--mode", "stream-bytes"}), qPrintable(stream.errorString()));
        clientForm()->Edit3->setText(QString::number(stream.tcpPort()));
        MessageCapture messages;
        // Discovery replies at 100 a second for 7 s, each free to connect to the streaming server
        // whenever the listener is open.
        QSignalSpy connects(link(), &qd::link::LineConnection::connected);
        qint64 before = 0;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 700; ++i) {
            if (i == 50)
                before = qd::test::residentKiB();
            sendReply("127.0.0.1\n");
            QTest::qWait(10);
            QVERIFY(link()->pendingBytes().size() <= qd::link::LineConnection::kMaxQueued);
        }
        const qint64 growth = qd::test::residentKiB() - before;
        QVERIFY(connects.count() >= 2);
        qInfo("%d connects to a streaming server in %lld ms; resident memory grew by %lld KiB", int(connects.count()),
              clock.elapsed(), growth);
        if (qd::test::kResidentMemoryTells)
            QVERIFY2(growth < 4096, qPrintable(QString::number(growth)));
        QCOMPARE(messages.count(), 0);
    }

    void logKeepsTheLastLines()
    {
        PeerProcess peer;
        QVERIFY2(peer.start({"--no-discovery"}), qPrintable(peer.errorString()));
        clientForm()->Edit3->setText(QString::number(peer.tcpPort()));
        WindowSet::instance().show(clientForm());
        const QRectF toggle = clientForm()->controlRect(QStringLiteral("CornerButton1"));
        const int bound = clientForm()->Memo1->maximumBlockCount();
        QVERIFY(bound >= 1000 && bound <= 10000);
        // Connect and disconnect by hand until far more lines than the bound have been written.
        for (int i = 0; i < bound / 2 + 100; ++i) {
            qd::test::tapCentre(clientForm(), toggle);
            qd::test::tapCentre(clientForm(), toggle);
        }
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), bound);
        QCOMPARE(lines.first(), qd::test::kConnectedLine);
        QCOMPARE(lines.last(), qd::test::kDisconnectedLine);
    }

private:
    void sendReply(const QByteArray &bytes) { qd::test::sendDiscoveryReply(bytes); }
    void drainProbes() { qd::test::drainDatagrams(m_probes.get()); }
    bool waitForProbe()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (m_probes->hasPendingDatagrams() && m_probes->receiveDatagram().data() == "qd")
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    std::unique_ptr<QUdpSocket> m_probes;
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(HostileWindowsTest)
#include "test_hostile_windows.moc"
