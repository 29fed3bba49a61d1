// The server link as the windows use it, against the real reference peer over loopback:
// the settings window's toggle and log, the main window's send with its reply rule, the
// side sends, and what each outcome leaves behind.

#include <guiharness.h>
#include <peerprocess.h>
#include <silentlistener.h>

#include <QD_client.h>
#include <Unit1.h>
#include <diafora.h>
#include <martyries.h>
#include <taktopoihsi.h>

#include <palette/windowset.h>

#include <link/lineconnection.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <link/linkcontroller.h>

using namespace qd::test::running;

using qd::palette::WindowSet;
using qd::test::MessageCapture;

class LinkWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_program = qd::test::startProgram();
        QVERIFY(MainClient()->isActiveWindow());
    }
    void cleanup()
    {
        m_program.reset();
        m_peer.reset();
    }

    void toggleCycleWithLogLines()
    {
        startPeer();
        MessageCapture messages;
        controller()->Timer1()->stop();
        toggle();
        QVERIFY(controller()->IdTCPClient1()->isOpen());
        QCOMPARE(log(), QStringList{qd::test::kConnectedLine});
        QVERIFY(MainClient()->indicatorConnected());
        // A connect by hand leaves the discovery timer as it was.
        QVERIFY(!controller()->discoveryRunning());

        toggle();
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QCOMPARE(log(), (QStringList{qd::test::kConnectedLine, qd::test::kDisconnectedLine}));
        QVERIFY(!MainClient()->indicatorConnected());
        QVERIFY(controller()->discoveryRunning());

        toggle();
        QVERIFY(controller()->IdTCPClient1()->isOpen());
        QCOMPARE(log(), (QStringList{qd::test::kConnectedLine, qd::test::kDisconnectedLine, qd::test::kConnectedLine}));
        QCOMPARE(messages.count(), 0);
    }

    void toggleFailuresReachTheErrorReport_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("shown");
        QTest::newRow("refused") << "127.0.0.1"
                                 << "<closed>"
                                 << "Socket Error # 111\nConnection refused.";
        QTest::newRow("not an integer") << "127.0.0.1"
                                        << "60a0"
                                        << "'60a0' is not a valid integer value.";
        QTest::newRow("port 0") << "127.0.0.1"
                                << "0"
                                << "";
        QTest::newRow("empty host") << ""
                                    << "6000"
                                    << "No host given.";
        // A port the user never typed must not be connected to: 70000 is refused, not cut to 4464.
        QTest::newRow("port 70000") << "127.0.0.1"
                                    << "70000"
                                    << "'70000' is not a valid port number (1 to 65535).";
        QTest::newRow("port 65536") << "127.0.0.1"
                                    << "65536"
                                    << "'65536' is not a valid port number (1 to 65535).";
        QTest::newRow("negative port") << "127.0.0.1"
                                       << "-1"
                                       << "'-1' is not a valid port number (1 to 65535).";
    }
    void toggleFailuresReachTheErrorReport()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, shown);
        if (port == QLatin1String("<closed>"))
            port = QString::number(closedTcpPort());
        MessageCapture messages;
        clientForm()->Edit2->setText(host);
        clientForm()->Edit3->setText(port);
        showSettingsAndTap(QStringLiteral("CornerButton1"));
        QCOMPARE(messages.texts(), QStringList{shown});
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QVERIFY(log().isEmpty());
        QVERIFY(!MainClient()->indicatorConnected());
    }

    // Which reply lines the main window's send accepts. The peer answers every line with the
    // given text and LF.
    void replyRule_data()
    {
        QTest::addColumn<QStringList>("peerArgs");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ok LF") << QStringList{QStringLiteral("--mode"), QStringLiteral("ok")} << true;
        QTest::newRow("ok CR LF") << rejectWith(QStringLiteral("ok\r")) << true;
        QTest::newRow("CR LF alone") << rejectWith(QStringLiteral("\r")) << true;
        QTest::newRow("LF alone") << QStringList{QStringLiteral("--mode"), QStringLiteral("empty")} << true;
        QTest::newRow("OK") << rejectWith(QStringLiteral("OK")) << false;
        QTest::newRow("ok space") << rejectWith(QStringLiteral("ok ")) << false;
        QTest::newRow("ok CR CR LF") << rejectWith(QStringLiteral("ok\r\r")) << false;
        QTest::newRow("no") << rejectWith(QStringLiteral("no")) << false;
    }
    void replyRule()
    {
        QFETCH(QStringList, peerArgs);
        QFETCH(bool, accepted);
        startPeer(peerArgs);
        connectByHand();
        controller()->Timer1()->stop();
        MessageCapture messages;
        tapMain(QStringLiteral("a15"));
        QVERIFY(m_peer->waitForWords(1));
        QCOMPARE(m_peer->receivedWords(), QStringList{QStringLiteral("a15")});
        QCOMPARE(clientForm()->Label1->text(), QStringLiteral("x"));
        if (accepted) {
            QCOMPARE(messages.count(), 0);
            QVERIFY(controller()->IdTCPClient1()->isOpen());
            QVERIFY(MainClient()->indicatorConnected());
            QVERIFY(!controller()->discoveryRunning());
            QCOMPARE(log(), QStringList{qd::test::kConnectedLine});
        } else {
            QCOMPARE(messages.texts(), QStringList{qd::test::kSideSendFailure});
            QVERIFY(!controller()->IdTCPClient1()->isOpen());
            QVERIFY(!MainClient()->indicatorConnected());
            QVERIFY(controller()->discoveryRunning());
            QCOMPARE(log(), (QStringList{qd::test::kConnectedLine, qd::test::kDisconnectedLine}));
        }
    }

    void overlongReplyLineFailsTheRead()
    {
        startPeer(rejectWith(QString(16385, QLatin1Char('o'))));
        connectByHand();
        controller()->Timer1()->stop();
        MessageCapture messages;
        tapMain(QStringLiteral("a15"));
        QCOMPARE(messages.texts(), QStringList{qd::test::kMainSendFailure});
        QVERIFY(!MainClient()->indicatorConnected());
        QVERIFY(controller()->discoveryRunning());
        QCOMPARE(clientForm()->Label1->text(), QStringLiteral("ok"));
    }

    void closeByServerFoundByTheNextMainTap()
    {
        startPeer({QStringLiteral("--mode"), QStringLiteral("close-after"), QStringLiteral("1")});
        connectByHand();
        controller()->Timer1()->stop();
        MessageCapture messages;
        tapMain(QStringLiteral("a15"));
        QCOMPARE(messages.count(), 0);
        // The client does not watch the connection: it still counts itself connected.
        QVERIFY(MainClient()->indicatorConnected());
        tapMain(QStringLiteral("a16"));
        QCOMPARE(messages.texts(), QStringList{qd::test::kMainSendFailure});
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QVERIFY(!MainClient()->indicatorConnected());
        QVERIFY(controller()->discoveryRunning());
        QCOMPARE(log(), QStringList{qd::test::kConnectedLine});
        // With nothing left unread, the toggle finds the connection closed and connects anew.
        toggle();
        QVERIFY(controller()->IdTCPClient1()->isOpen());
        QCOMPARE(log(), (QStringList{qd::test::kConnectedLine, qd::test::kConnectedLine}));
    }

    void closeIsNoticedWithoutATapAndSideSendsFailWithoutLosingWords()
    {
        startPeer({QStringLiteral("--mode"), QStringLiteral("close-after"), QStringLiteral("1")});
        connectByHand();
        MessageCapture messages;
        tapMain(QStringLiteral("a15"));
        QVERIFY(m_peer->waitForWords(1));
        // The close is noticed as it comes: searching, discovery on, no message, no log line.
        QTRY_VERIFY(!MainClient()->indicatorConnected());
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QVERIFY(controller()->discoveryRunning());
        QCOMPARE(messages.count(), 0);
        // So the next side word is not written into the closed connection and reported sent.
        FormMartyries()->kataxorisi(namedObject(QStringLiteral("ark1")));
        QCOMPARE(messages.texts(), QStringList{qd::test::kSideSendFailure});
        QCOMPARE(log(), QStringList{qd::test::kConnectedLine});
        QCOMPARE(m_peer->receivedWords(), QStringList{QStringLiteral("a15")});
    }

    void sideSendsLeaveRepliesQueuedForTheMainWindow()
    {
        startPeer();
        connectByHand();
        MessageCapture messages;
        FormDiafora()->kataxorisi(namedObject(QStringLiteral("par4")));
        FormMartyries()->kataxorisi(namedObject(QStringLiteral("mh9")));
        QVERIFY(m_peer->waitForWords(2));
        tapMain(QStringLiteral("a15"));
        QVERIFY(m_peer->waitForWords(3));
        QCOMPARE(m_peer->receivedWords(),
                 (QStringList{QStringLiteral("par4"), QStringLiteral("mh9"), QStringLiteral("a15")}));
        // The main read took the oldest line; the two newer replies wait their turn.
        QTRY_COMPARE(pendingLines(), 2);
        QCOMPARE(messages.count(), 0);
    }

    void noConnectionYet_data()
    {
        QTest::addColumn<QString>("send");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("restartsDiscovery");
        QTest::newRow("main key") << "main" << qd::test::kMainSendFailure << true;
        QTest::newRow("modal-signature key") << "martyries" << qd::test::kSideSendFailure << false;
        QTest::newRow("miscellaneous key") << "diafora" << qd::test::kSideSendFailure << false;
        QTest::newRow("arrange key") << "arrange" << qd::test::kMainSendFailure << true;
    }
    void noConnectionYet()
    {
        QFETCH(QString, send);
        QFETCH(QString, message);
        QFETCH(bool, restartsDiscovery);
        controller()->Timer1()->stop();
        MainClient()->switchToConnected(); // so that a switch to searching shows
        MessageCapture messages;
        if (send == QLatin1String("main"))
            MainClient()->kataxorisi(namedObject(QStringLiteral("a15")));
        else if (send == QLatin1String("martyries"))
            FormMartyries()->kataxorisi(namedObject(QStringLiteral("ark1")));
        else if (send == QLatin1String("diafora"))
            FormDiafora()->kataxorisi(namedObject(QStringLiteral("en1")));
        else
            moveform()->SpeedButton25Click(namedObject(QStringLiteral("SpeedButton7")));
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(controller()->discoveryRunning(), restartsDiscovery);
        QCOMPARE(MainClient()->indicatorConnected(), !restartsDiscovery);
    }

    // The toggle's connect to a host that does not answer: the toggle is greyed under the busy
    // pointer while it runs, the windows take taps meanwhile, and the time-out reaches the
    // error report.
    void toggleIsGreyedWhileItsConnectRuns()
    {
        qd::test::SilentListener silent;
        QVERIFY(silent.start());
        MessageCapture messages;
        clientForm()->Edit2->setText(QStringLiteral("127.0.0.1"));
        clientForm()->Edit3->setText(QString::number(silent.port()));
        const QRectF toggleRect = clientForm()->controlRect(QStringLiteral("CornerButton1"));
        WindowSet::instance().show(clientForm());
        qd::test::tapCentre(clientForm(), toggleRect);
        QVERIFY(!clientForm()->CornerButton1->isEnabled());
        QCOMPARE(clientForm()->cursor().shape(), Qt::BusyCursor);
        // A tap on the greyed toggle starts nothing more.
        qd::test::tapCentre(clientForm(), toggleRect);
        QVERIFY(controller()->connectBusy());
        WindowSet::instance().close(clientForm());
        QTRY_VERIFY(MainClient()->isActiveWindow());
        // Meanwhile a key behaves as without a connection.
        tapMain(QStringLiteral("a15"));
        QCOMPARE(messages.texts(), QStringList{qd::test::kMainSendFailure});

        QTRY_VERIFY_WITH_TIMEOUT(clientForm()->CornerButton1->isEnabled(), 15000);
        QCOMPARE(messages.texts(), (QStringList{qd::test::kMainSendFailure,
                                                QStringLiteral("Socket Error # 110\nConnection timed out.")}));
        QCOMPARE(clientForm()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QVERIFY(log().isEmpty());
    }

    void arrangeWindowSendsMoveClient()
    {
        startPeer();
        connectByHand();
        MessageCapture messages;
        tapMain(QStringLiteral("SpeedButton2"));
        QVERIFY(moveform()->isVisible());
        QVERIFY(m_peer->waitForWords(1));
        QCOMPARE(pendingLines(), 0); // the opening send read its reply
        qd::test::tapCentre(moveform(), moveform()->controlRect(QStringLiteral("SpeedButton7")));
        qd::test::tapCentre(moveform(), moveform()->controlRect(QStringLiteral("Button1")));
        QVERIFY(!moveform()->isVisible());
        QVERIFY(m_peer->waitForWords(3));
        QTRY_COMPARE(pendingLines(), 1); // the closing send reads none
        tapMain(QStringLiteral("SpeedButton2"));
        moveform()->close(); // as the window system would close it
        QVERIFY(m_peer->waitForWords(5));
        QCOMPARE(m_peer->receivedWords(), (QStringList{QStringLiteral("move_client"), QStringLiteral("SpeedButton7"),
                                                       QStringLiteral("move_client"), QStringLiteral("move_client"),
                                                       QStringLiteral("move_client")}));
        QCOMPARE(messages.count(), 0);
    }

    void arrangeWindowShownEvenWhenTheOpeningSendFails()
    {
        MessageCapture messages;
        tapMain(QStringLiteral("SpeedButton2"));
        QVERIFY(moveform()->isVisible());
        QCOMPARE(messages.texts(), QStringList{qd::test::kMainSendFailure});
        qd::test::tapCentre(moveform(), moveform()->controlRect(QStringLiteral("Button1")));
        QVERIFY(!moveform()->isVisible());
        QCOMPARE(messages.texts(), (QStringList{qd::test::kMainSendFailure, qd::test::kSideSendFailure}));
    }

    // The program ends without a word to the peer, which sees the connection closed; the one
    // "move_client" of opening the arrange window is all it gets, however the end is asked for.
    void quitClosesTheConnectionWithoutAWord_data()
    {
        QTest::addColumn<bool>("byOff");
        QTest::addColumn<bool>("arrangeShown");
        QTest::newRow("off") << true << false;
        QTest::newRow("window system") << false << false;
        QTest::newRow("window system, arrange window shown") << false << true;
    }
    void quitClosesTheConnectionWithoutAWord()
    {
        QFETCH(bool, byOff);
        QFETCH(bool, arrangeShown);
        startPeer();
        connectByHand();
        MessageCapture messages;
        QStringList expected;
        if (arrangeShown) {
            tapMain(QStringLiteral("SpeedButton2"));
            QVERIFY(m_peer->waitForWords(1));
            expected.append(QStringLiteral("move_client"));
        }
        const int status = qd::test::runUntilQuit([this, byOff] {
            if (byOff)
                tapMain(QStringLiteral("off"));
            else
                MainClient()->close();
        });
        QCOMPARE(status, 0);
        m_program.reset();
        QVERIFY2(m_peer->waitForClose(), m_peer->errorOutput().constData());
        QCOMPARE(m_peer->receivedWords(), expected);
        QCOMPARE(messages.count(), 0);
    }

private:
    static QStringList rejectWith(const QString &text)
    {
        return {QStringLiteral("--mode"), QStringLiteral("reject"), QStringLiteral("--reject-text"), text};
    }
    void startPeer(const QStringList &args = {})
    {
        m_peer = std::make_unique<PeerProcess>();
        QStringList all{QStringLiteral("--no-discovery")};
        all += args;
        QVERIFY2(m_peer->start(all), qPrintable(m_peer->errorString()));
    }
    void connectByHand()
    {
        toggle();
        QVERIFY(controller()->IdTCPClient1()->isOpen());
    }
    void toggle()
    {
        if (m_peer) {
            clientForm()->Edit2->setText(QStringLiteral("127.0.0.1"));
            clientForm()->Edit3->setText(QString::number(m_peer->tcpPort()));
        }
        showSettingsAndTap(QStringLiteral("CornerButton1"));
    }
    void showSettingsAndTap(const QString &control)
    {
        WindowSet::instance().show(clientForm());
        qd::test::tapCentre(clientForm(), clientForm()->controlRect(control));
        QVERIFY(qd::test::waitForConnectAttempt());
        WindowSet::instance().close(clientForm());
    }
    void tapMain(const QString &control) { qd::test::tapCentre(MainClient(), MainClient()->controlRect(control)); }
    QStringList log() const
    {
        const QString text = clientForm()->Memo1->toPlainText();
        return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
    }
    int pendingLines() const
    {
        controller()->IdTCPClient1()->connectedTest();
        return int(controller()->IdTCPClient1()->pendingBytes().count('\n'));
    }
    QObject *namedObject(const QString &name)
    {
        m_named.setObjectName(name);
        return &m_named;
    }
    static quint16 closedTcpPort()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        return server.serverPort();
    }

    QObject m_named;
    std::unique_ptr<PeerProcess> m_peer;
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(LinkWindowsTest)
#include "test_link_windows.moc"
