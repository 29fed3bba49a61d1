// Every way the peer can answer, against every kind of send, through the real windows and the
// reference peer on loopback. Each row taps the same key three times and, after every tap,
// compares the whole visible state of the link (messages, indicator, discovery timer, log,
// connection, Label1) with what the tap's outcome is meant to leave behind. The expected states
// are not written out per row: a small model applies each outcome to the previous state, so a
// row only says which outcome each tap has and how many words the peer gets.

#include <guiharness.h>
#include <peerprocess.h>

#include <QD_client.h>
#include <Unit1.h>
#include <diafora.h>
#include <martyries.h>
#include <taktopoihsi.h>

#include <palette/windowset.h>

#include <link/lineconnection.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <link/linkcontroller.h>

using namespace qd::test::running;

using qd::palette::WindowSet;
using qd::test::MessageCapture;

namespace {

constexpr int kTaps = 3;

// What one tap comes to, one letter per tap in the table:
//   A  reply accepted          R  reply rejected
//   M  main-window failure that finds the connection gone or closes it
//   m  main-window failure that leaves the connection open
//   S  side send written       F  side failure
//   a  reply accepted, s  side send written, and then the server's close or reset is noticed
//      before the next tap: the indicator shows searching and discovery runs, with no message
enum class Outcome {
    Accepted,
    Rejected,
    MainFailure,
    MainFailureStillOpen,
    SideSent,
    SideFailure,
    AcceptedThenLost,
    SideSentThenLost
};

Outcome outcomeOf(QChar c)
{
    switch (c.toLatin1()) {
    case 'A': return Outcome::Accepted;
    case 'R': return Outcome::Rejected;
    case 'M': return Outcome::MainFailure;
    case 'm': return Outcome::MainFailureStillOpen;
    case 'S': return Outcome::SideSent;
    case 'F': return Outcome::SideFailure;
    case 'a': return Outcome::AcceptedThenLost;
    case 's': return Outcome::SideSentThenLost;
    }
    qFatal("bad outcome letter");
}

// Everything a tap can change that the user or the server can see.
struct LinkState
{
    QStringList messages;
    bool indicatorConnected = false;
    bool discoveryRunning = false;
    QStringList log;
    bool open = false;
    QString label1;

    bool operator==(const LinkState &) const = default;

    QString describe() const
    {
        return QStringLiteral("messages=[%1] indicator=%2 discovery=%3 log=[%4] open=%5 Label1=\"%6\"")
            .arg(messages.join(QLatin1String(" | ")),
                 indicatorConnected ? QStringLiteral("connected") : QStringLiteral("searching"),
                 discoveryRunning ? QStringLiteral("on") : QStringLiteral("off"), log.join(QLatin1String(" | ")),
                 open ? QStringLiteral("yes") : QStringLiteral("no"), label1);
    }
};

// What each outcome leaves behind, applied to the state before the tap.
LinkState afterOutcome(LinkState s, Outcome outcome)
{
    switch (outcome) {
    case Outcome::Accepted: s.label1 = QStringLiteral("x"); break;
    case Outcome::Rejected:
        s.messages << qd::test::kSideSendFailure;
        if (s.open) {
            s.log << qd::test::kDisconnectedLine;
            s.indicatorConnected = false;
        }
        s.open = false;
        s.discoveryRunning = true;
        s.label1 = QStringLiteral("x");
        break;
    case Outcome::MainFailure:
    case Outcome::MainFailureStillOpen:
        s.messages << qd::test::kMainSendFailure;
        s.discoveryRunning = true;
        s.indicatorConnected = false;
        if (outcome == Outcome::MainFailure)
            s.open = false;
        break;
    case Outcome::SideSent: break;
    case Outcome::SideFailure:
        s.messages << qd::test::kSideSendFailure;
        s.open = false;
        break;
    case Outcome::AcceptedThenLost:
    case Outcome::SideSentThenLost:
        if (outcome == Outcome::AcceptedThenLost)
            s.label1 = QStringLiteral("x");
        s.open = false;
        s.indicatorConnected = false;
        s.discoveryRunning = true;
        break;
    }
    return s;
}

} // namespace

class FaultMatrixTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // One window set for the whole matrix; each row resets what the previous one left.
        m_program = std::make_unique<qd::windows::Program>(qd::test::loopbackSettings());
        qd::test::setCurrentProgram(m_program.get());
        m_program->start();
        QTRY_VERIFY(MainClient()->isActiveWindow());
    }
    void cleanupTestCase() { m_program.reset(); }

    void cleanup()
    {
        m_messages.reset();
        if (moveform()->isVisible())
            moveform()->hide();
        for (auto *w : {static_cast<QWidget *>(FormMartyries()), static_cast<QWidget *>(FormDiafora())})
            w->hide();
        // Drop the link quietly: a disconnect here would enable the timer and log a line.
        QSignalBlocker blocker(controller()->IdTCPClient1());
        controller()->IdTCPClient1()->disconnectFromServer();
        m_peer.reset();
    }

    void matrix_data()
    {
        QTest::addColumn<QStringList>("peerMode"); // empty: no peer, not connected
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("outcomes");
        QTest::addColumn<int>("wordsReceived");
        QTest::addColumn<int>("linesQueued"); // unread reply lines at the end, if still open; -1: not checked

        const QStringList mainKinds{QStringLiteral("main key"), QStringLiteral("arrange key"),
                                    QStringLiteral("opening move_client")};
        const QStringList sideKinds{QStringLiteral("modal-signature key"), QStringLiteral("miscellaneous key"),
                                    QStringLiteral("closing move_client")};
        struct Mode
        {
            const char *name;
            QStringList args;
            const char *mainOutcomes;
            int mainWords;
            int mainQueued;
            const char *sideOutcomes;
            int sideWords;
            int sideQueued;
        };
        const Mode modes[] = {
            // A peer that answers "ok", an empty line, or (silent) nothing within the read's
            // wait: all accepted. Side sends leave every answer queued.
            {"ok", {QStringLiteral("ok")}, "AAA", 3, 0, "SSS", 3, 3},
            {"empty", {QStringLiteral("empty")}, "AAA", 3, 0, "SSS", 3, 3},
            {"silent", {QStringLiteral("silent")}, "AAA", 3, 0, "SSS", 3, 0},
            {"delay 200", {QStringLiteral("delay"), QStringLiteral("200")}, "AAA", 3, 0, "SSS", 3, 3},
            // Rejected once; the reject's disconnect leaves nothing to write on. Side sends never
            // look at the reply.
            {"reject", {QStringLiteral("reject")}, "RMM", 1, 0, "SSS", 3, 3},
            // The peer answers the first line, then closes. The link notices the close as it comes,
            // so nothing is written into the closed connection: the next main and side sends fail.
            {"close-after 1", {QStringLiteral("close-after"), QStringLiteral("1")}, "aMM", 1, 0, "sFF", 1, 0},
            // The second line is met with a reset: the main read meets it at once; after a side
            // send the link notices it as it comes, and the next side send fails.
            {"reset-after 2", {QStringLiteral("reset-after"), QStringLiteral("2")}, "AMM", 2, 0, "SsF", 2, 0},
            // A reply line too long to read fails the read but not the connection: the indicator
            // shows searching while the words still reach the peer. (Where the tail of a long
            // line lands depends on how it arrives, so the queue is not checked after main sends.)
            {"overlong reply",
             {QStringLiteral("reject"), QStringLiteral("--reject-text"), QString(16385, QLatin1Char('o'))},
             "mmm",
             3,
             -1,
             "SSS",
             3,
             3},
            // No open connection to write on.
            {"not connected", {}, "MMM", 0, 0, "FFF", 0, 0},
        };
        for (const Mode &mode : modes) {
            QStringList peerMode;
            if (!mode.args.isEmpty())
                peerMode = QStringList{QStringLiteral("--mode")} + mode.args;
            for (const QString &kind : mainKinds)
                QTest::addRow("%s / %s", mode.name, qPrintable(kind))
                    << peerMode << kind << QString::fromLatin1(mode.mainOutcomes) << mode.mainWords << mode.mainQueued;
            for (const QString &kind : sideKinds)
                QTest::addRow("%s / %s", mode.name, qPrintable(kind))
                    << peerMode << kind << QString::fromLatin1(mode.sideOutcomes) << mode.sideWords << mode.sideQueued;
        }
    }

    void matrix()
    {
        QFETCH(QStringList, peerMode);
        QFETCH(QString, kind);
        QFETCH(QString, outcomes);
        QFETCH(int, wordsReceived);
        QFETCH(int, linesQueued);
        QCOMPARE(outcomes.size(), kTaps);

        resetWindows();
        if (!peerMode.isEmpty()) {
            m_peer = std::make_unique<PeerProcess>();
            QVERIFY2(m_peer->start(QStringList{QStringLiteral("--no-discovery")} + peerMode),
                     qPrintable(m_peer->errorString()));
            clientForm()->Edit2->setText(QStringLiteral("127.0.0.1"));
            clientForm()->Edit3->setText(QString::number(m_peer->tcpPort()));
            WindowSet::instance().show(clientForm());
            qd::test::tapCentre(clientForm(), clientForm()->controlRect(QStringLiteral("CornerButton1")));
            QVERIFY(qd::test::waitForConnectAttempt());
            WindowSet::instance().close(clientForm());
            QVERIFY(controller()->IdTCPClient1()->isOpen());
        } else {
            // So that a switch to searching shows.
            MainClient()->switchToConnected();
        }
        // Stopped, so that whatever enables it again shows.
        controller()->Timer1()->stop();
        m_messages = std::make_unique<MessageCapture>();

        LinkState expected = current();
        QCOMPARE(expected.open, !peerMode.isEmpty());
        QCOMPARE(expected.indicatorConnected, true);

        const QString word = prepare(kind);
        for (int i = 0; i < kTaps; ++i) {
            tapOnce(kind);
            if (QTest::currentTestFailed())
                return;
            if (m_peer) {
                // The peer prints a word only after it has answered, closed or reset, so once the
                // word is seen the next tap meets whatever the peer did about it.
                m_peer->waitForWords(qMin(i + 1, wordsReceived), 5000);
                QTest::qWait(30);
            }
            const Outcome outcome = outcomeOf(outcomes.at(i));
            if (outcome == Outcome::AcceptedThenLost || outcome == Outcome::SideSentThenLost) {
                // Noticed without any further tap, as soon as the close or reset arrives.
                QTRY_VERIFY_WITH_TIMEOUT(!MainClient()->indicatorConnected(), 10000);
            }
            expected = afterOutcome(expected, outcome);
            const LinkState actual = current();
            QVERIFY2(actual == expected, qPrintable(QStringLiteral("after tap %1:\n   actual: %2\n expected: %3")
                                                        .arg(i + 1)
                                                        .arg(actual.describe(), expected.describe())));
        }

        if (m_peer) {
            QCOMPARE(m_peer->receivedWords(), QStringList(wordsReceived, word));
            if (expected.open && linesQueued >= 0)
                QTRY_COMPARE(queuedLines(), linesQueued);
        }
    }

private:
    // The state every row starts from, whatever the previous row left behind.
    void resetWindows()
    {
        clientForm()->Memo1->clear();
        clientForm()->Label1->setText(QStringLiteral("ok"));
        MainClient()->switchToSearching();
    }

    LinkState current() const
    {
        LinkState s;
        s.messages = m_messages ? m_messages->texts() : QStringList{};
        s.indicatorConnected = MainClient()->indicatorConnected();
        s.discoveryRunning = controller()->discoveryRunning();
        const QString text = clientForm()->Memo1->toPlainText();
        s.log = text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
        s.open = controller()->IdTCPClient1()->isOpen();
        s.label1 = clientForm()->Label1->text();
        return s;
    }

    int queuedLines() const
    {
        controller()->IdTCPClient1()->connectedTest();
        return int(controller()->IdTCPClient1()->pendingBytes().count('\n'));
    }

    // Shows the window the kind is tapped on; returns the word its tap sends.
    QString prepare(const QString &kind)
    {
        if (kind == QLatin1String("main key"))
            return QStringLiteral("a15");
        if (kind == QLatin1String("opening move_client") || kind == QLatin1String("closing move_client"))
            return QStringLiteral("move_client");
        if (kind == QLatin1String("arrange key")) {
            WindowSet::instance().show(moveform());
            return QStringLiteral("SpeedButton7");
        }
        if (kind == QLatin1String("modal-signature key")) {
            WindowSet::instance().show(FormMartyries());
            return QStringLiteral("ark1");
        }
        WindowSet::instance().show(FormDiafora());
        return QStringLiteral("par4");
    }

    void tapOnce(const QString &kind)
    {
        using qd::test::tapCentre;
        if (kind == QLatin1String("main key")) {
            tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        } else if (kind == QLatin1String("arrange key")) {
            tapCentre(moveform(), moveform()->controlRect(QStringLiteral("SpeedButton7")));
        } else if (kind == QLatin1String("opening move_client")) {
            tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("SpeedButton2")));
            QVERIFY(moveform()->isVisible());
            // Hidden behind the window set's back, so that no closing send follows.
            moveform()->hide();
        } else if (kind == QLatin1String("closing move_client")) {
            WindowSet::instance().show(moveform());
            tapCentre(moveform(), moveform()->controlRect(QStringLiteral("Button1")));
            QVERIFY(!moveform()->isVisible());
        } else if (kind == QLatin1String("modal-signature key")) {
            tapCentre(FormMartyries(), FormMartyries()->controlRect(QStringLiteral("ark1")));
        } else {
            tapCentre(FormDiafora(), FormDiafora()->controlRect(QStringLiteral("par4")));
        }
    }

    std::unique_ptr<qd::windows::Program> m_program;
    std::unique_ptr<PeerProcess> m_peer;
    std::unique_ptr<MessageCapture> m_messages;
};

QD_GUI_TEST_MAIN(FaultMatrixTest)
#include "test_fault_matrix.moc"
