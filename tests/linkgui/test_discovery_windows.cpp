// Discovery as the settings window runs it, on loopback: probes go to a socket of the
// test, replies come from the test, and the reference peer takes the connection.

#include <guiharness.h>
#include <peerprocess.h>

#include <QD_client.h>
#include <Unit1.h>

#include <palette/windowset.h>

#include <link/discoverylistener.h>
#include <link/lineconnection.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <link/linkcontroller.h>

using namespace qd::test::running;

using qd::palette::WindowSet;
using qd::test::MessageCapture;

class DiscoveryWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_probes = std::make_unique<QUdpSocket>();
        QVERIFY(m_probes->bind(QHostAddress(QHostAddress::LocalHost), 0));
        m_peer = std::make_unique<PeerProcess>();
        QVERIFY2(m_peer->start({QStringLiteral("--no-discovery")}), qPrintable(m_peer->errorString()));
    }
    void cleanup()
    {
        m_program.reset();
        m_peer.reset();
        m_probes.reset();
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("edit2");
        QTest::addColumn<int>("connects"); // 1 connects, 0 does not, -1 up to the resolver
        QTest::newRow("host and LF") << QByteArray("127.0.0.1\n") << "127.0.0.1" << 1;
        QTest::newRow("any last byte") << QByteArray("127.0.0.1#") << "127.0.0.1" << 1;
        // Only the last byte goes: the CR stays in the host text and is handed to the connect,
        // which some resolvers accept and others refuse; either way nothing is shown.
        QTest::newRow("host and CR LF") << QByteArray("127.0.0.1\r\n") << "127.0.0.1\r" << -1;
        QTest::newRow("one byte") << QByteArray("\n") << "" << 0;
        QTest::newRow("twenty bytes") << QByteArray("abcdefghijklmnopqrs\n") << "abcdefghijklmnopqrs" << 0;
        QTest::newRow("byte above 0x7F") << QByteArray("\xff"
                                                       "1\n")
                                         << QStringLiteral("\uFFFD1") << 0;
        QTest::newRow("twenty-one bytes") << QByteArray("127.0.0.1\n01234567890") << "<unchanged>" << 0;
        QTest::newRow("empty") << QByteArray() << "<unchanged>" << 0;
    }
    void replies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, edit2);
        QFETCH(int, connects);
        makeProgram();
        MessageCapture messages;
        clientForm()->Edit2->setText(QStringLiteral("unchanged"));
        if (edit2 == QLatin1String("<unchanged>"))
            edit2 = QStringLiteral("unchanged");
        QSignalSpy replies(controller()->IdUDPServer1(), &qd::link::DiscoveryListener::replyReceived);
        sendReply(reply);
        // A marker after it: once the marker has been handled, so has the reply.
        sendReply("marker!");
        QTRY_COMPARE(clientForm()->Edit2->text(), QStringLiteral("marker"));
        QCOMPARE(replies.size(), reply.isEmpty() || reply.size() > 20 ? 1 : 2);
        if (replies.size() == 2)
            QCOMPARE(replies.first().first().toByteArray(), reply);
        // Replay the reply alone to see its own effect on Edit2 and the link.
        clientForm()->Edit2->setText(QStringLiteral("unchanged"));
        sendReply(reply);
        sendReply("");
        QTest::qWait(300);
        QCOMPARE(clientForm()->Edit2->text(), edit2);
        const bool open = controller()->IdTCPClient1()->isOpen();
        if (connects >= 0)
            QCOMPARE(open, connects == 1);
        QCOMPARE(controller()->discoveryRunning(), !open);
        QCOMPARE(MainClient()->indicatorConnected(), open);
        QCOMPARE(messages.count(), 0);
    }

    void secondServerOverwritesEdit2ButNotTheConnection()
    {
        makeProgram();
        PeerProcess second;
        QVERIFY2(
            second.start({QStringLiteral("--no-discovery"), QStringLiteral("--listen"), QStringLiteral("127.0.0.2"),
                          QStringLiteral("--tcp-port"), QString::number(m_peer->tcpPort())}),
            qPrintable(second.errorString()));
        MessageCapture messages;
        sendReply("127.0.0.1\n");
        sendReply("127.0.0.2\n");
        QTRY_COMPARE(clientForm()->Edit2->text(), QStringLiteral("127.0.0.2"));
        QVERIFY(controller()->IdTCPClient1()->isOpen());
        QVERIFY(!controller()->discoveryRunning());
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QVERIFY(m_peer->waitForWords(1));
        QCOMPARE(m_peer->receivedWords(), QStringList{QStringLiteral("a15")});
        QCOMPARE(second.receivedWords(), QStringList{});
        QCOMPARE(messages.count(), 0);
    }

    void probesCarryQdFromTheListenerPortEveryTwoSeconds()
    {
        makeProgram();
        const quint16 listenPort = controller()->IdUDPServer1()->boundPort();
        QList<qint64> arrivals;
        QElapsedTimer clock;
        clock.start();
        while (arrivals.size() < 3 && clock.elapsed() < 20000) {
            if (!m_probes->hasPendingDatagrams() && !m_probes->waitForReadyRead(100)) {
                QCoreApplication::processEvents();
                continue;
            }
            const QNetworkDatagram probe = m_probes->receiveDatagram();
            QCOMPARE(probe.data(), QByteArray("qd"));
            QCOMPARE(probe.senderPort(), int(listenPort));
            arrivals.append(clock.elapsed());
        }
        QCOMPARE(arrivals.size(), 3);
        // The first probe comes a period after start; the next ones a period apart. Only the
        // lower bound is checked: a loaded machine may be late, never early.
        QVERIFY(arrivals[1] - arrivals[0] >= 1900);
        QVERIFY(arrivals[2] - arrivals[1] >= 1900);
    }

    void indicatorTapWhileConnectedRestartsProbes()
    {
        makeProgram();
        sendReply("127.0.0.1\n");
        QTRY_VERIFY(controller()->IdTCPClient1()->isOpen());
        QVERIFY(!controller()->discoveryRunning());
        drainProbes();
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("con_SpeedButton")));
        QVERIFY(!controller()->IdUDPServer1()->isActive());
        QVERIFY(controller()->discoveryRunning());
        QVERIFY(controller()->IdTCPClient1()->isOpen());
        // The next tick opens the listener again and probes; probing goes on while connected.
        QVERIFY(waitForProbe());
        QVERIFY(controller()->IdUDPServer1()->isActive());
        QVERIFY(waitForProbe());
        QVERIFY(controller()->IdTCPClient1()->isOpen());
        QVERIFY(MainClient()->indicatorConnected());
        // A reply while connected is refused quietly and leaves discovery running.
        sendReply("127.0.0.1\n");
        QTest::qWait(300);
        QVERIFY(controller()->discoveryRunning());
    }

    // What turns discovery back on. Each row starts connected by a discovery reply, so the
    // timer is off.
    void enablingTable_data()
    {
        QTest::addColumn<QString>("event");
        QTest::newRow("disconnected event") << "toggle";
        QTest::newRow("failed main send") << "failed send";
        QTest::newRow("rejected reply") << "rejected reply";
        QTest::newRow("indicator tap") << "indicator";
    }
    void enablingTable()
    {
        QFETCH(QString, event);
        if (event == QLatin1String("rejected reply")) {
            m_peer = std::make_unique<PeerProcess>();
            QVERIFY(
                m_peer->start({QStringLiteral("--no-discovery"), QStringLiteral("--mode"), QStringLiteral("reject")}));
        } else if (event == QLatin1String("failed send")) {
            m_peer = std::make_unique<PeerProcess>();
            QVERIFY(m_peer->start({QStringLiteral("--no-discovery"), QStringLiteral("--mode"),
                                   QStringLiteral("close-after"), QStringLiteral("1")}));
        }
        makeProgram();
        sendReply("127.0.0.1\n");
        QTRY_VERIFY(controller()->IdTCPClient1()->isOpen());
        QVERIFY(!controller()->discoveryRunning());
        MessageCapture messages;
        if (event == QLatin1String("toggle")) {
            clientForm()->CornerButton1Click(nullptr);
            QVERIFY(qd::test::waitForConnectAttempt());
        } else if (event == QLatin1String("failed send")) {
            tapMain(QStringLiteral("a15"));
            QVERIFY(!controller()->discoveryRunning());
            tapMain(QStringLiteral("a15"));
        } else if (event == QLatin1String("rejected reply")) {
            tapMain(QStringLiteral("a15"));
        } else {
            tapMain(QStringLiteral("con_SpeedButton"));
        }
        QVERIFY(controller()->discoveryRunning());
        // And the next reply connects again where the connection has gone.
        if (!controller()->IdTCPClient1()->isOpen()) {
            sendReply("127.0.0.1\n");
            QTRY_VERIFY(controller()->IdTCPClient1()->isOpen());
            QVERIFY(!controller()->discoveryRunning());
        }
    }

    void busyListenPortIsReportedOncePerEpisode()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress(QHostAddress::AnyIPv4), 0));
        const quint16 port = holder.localPort();
        MessageCapture messages;
        makeProgram(port);
        // The program starts and says why discovery cannot run, once, without a box yet.
        QVERIFY(!controller()->IdUDPServer1()->isActive());
        QCOMPARE(log().size(), 1);
        QVERIFY(log().first().contains(QStringLiteral("Could not bind socket")));
        QCOMPARE(messages.count(), 0);
        // Ticks keep trying; the first failing tick shows one box, later ones show none.
        QTRY_COMPARE_WITH_TIMEOUT(messages.count(), 1, 10000);
        QCOMPARE(messages.texts().first(),
                 QStringLiteral("Could not bind socket. Address and port are already in use."));
        QTest::qWait(4500);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(log().size(), 1);
        // Connecting by hand works meanwhile.
        clientForm()->Edit3->setText(QString::number(m_peer->tcpPort()));
        clientForm()->CornerButton1Click(nullptr);
        QVERIFY(qd::test::waitForConnectAttempt());
        QVERIFY(controller()->IdTCPClient1()->isOpen());
        // Once the port is free, discovery works again ...
        holder.close();
        QTRY_VERIFY_WITH_TIMEOUT(controller()->IdUDPServer1()->isActive(), 10000);
        // ... so a new failure is a new episode, reported again.
        tapMain(QStringLiteral("con_SpeedButton"));
        QVERIFY(holder.bind(QHostAddress(QHostAddress::AnyIPv4), port));
        QTRY_COMPARE_WITH_TIMEOUT(messages.count(), 2, 10000);
        QCOMPARE(log().size(), 3);
    }

private:
    void makeProgram(quint16 listenPort = 0)
    {
        auto settings = qd::test::loopbackSettings(m_probes->localPort(), listenPort);
        m_program = qd::test::startProgram(settings);
        QVERIFY(MainClient()->isActiveWindow());
        clientForm()->Edit3->setText(QString::number(m_peer->tcpPort()));
    }
    void sendReply(const QByteArray &bytes) { qd::test::sendDiscoveryReply(bytes); }
    void drainProbes() { qd::test::drainDatagrams(m_probes.get()); }
    bool waitForProbe()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (m_probes->hasPendingDatagrams() || m_probes->waitForReadyRead(50)) {
                m_probes->receiveDatagram();
                return true;
            }
            QCoreApplication::processEvents();
        }
        return false;
    }
    void tapMain(const QString &control) { qd::test::tapCentre(MainClient(), MainClient()->controlRect(control)); }
    QStringList log() const
    {
        const QString text = clientForm()->Memo1->toPlainText();
        return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
    }

    std::unique_ptr<QUdpSocket> m_probes;
    std::unique_ptr<PeerProcess> m_peer;
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(DiscoveryWindowsTest)
#include "test_discovery_windows.moc"
