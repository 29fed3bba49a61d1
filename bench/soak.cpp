// qdsoak: a long run of real taps through the windows against a loopback peer that now and then
// rejects a line, closes the connection or resets it, with discovery replies bringing the
// connection back; then a discovery flood during taps. Checks, tap by tap, that every line the
// peer's connection took arrived once and in order and nothing else arrived; that every tap
// showed at most one message; and that resident memory stays flat after the warm-up.
// Run through tools/soak (offscreen, inside the isolated network namespace).
//
// Then servers that misbehave for longer (one that stops reading, two that stream, one whose host
// vanishes), each reached by a discovery reply: the client must come away from each at a bounded
// cost and reach the real peer again. The vanishing one needs `isolated --sink`.
//
// Options: --taps N (default 100000), --flood-seconds S (default 5), --flood-rate N datagrams
// per second (default 5000), --hostile-rounds N (default 5; the vanishing server takes at most 3).

#include "benchpeer.h"
#include "benchsystem.h"
#include "hostile.h"
#include "runningprogram.h"

#include <QD_client.h>
#include <Unit1.h>
#include <martyries.h>
#include <program.h>

#include <link/discoverylistener.h>
#include <link/lineconnection.h>
#include <palette/application.h>
#include <palette/errorreport.h>
#include <palette/offscreenscreen.h>
#include <palette/windowset.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QUdpSocket>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include <sys/socket.h>

using namespace qd::bench;
using qd::palette::WindowSet;

namespace {

int failures = 0;

void fail(const QString &what)
{
    ++failures;
    std::fprintf(stderr, "qdsoak: FAIL: %s\n", qPrintable(what));
    if (failures > 20) {
        std::fprintf(stderr, "qdsoak: too many failures, stopping\n");
        std::exit(1);
    }
}

qint64 rssKiB()
{
    return residentKiB(QCoreApplication::applicationPid());
}

// A small fixed pseudo-random sequence, so that every run taps the same mix.
struct Random
{
    quint64 state = 0x9e3779b97f4a7c15ull;
    quint32 next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return quint32(state >> 33);
    }
    int below(int n) { return int(next() % quint32(n)); }
};

// Sends datagrams of every length from 0 to 64 bytes, with arbitrary contents, to the listener.
class Flood : public QThread
{
public:
    Flood(quint16 port, int rate, int seconds) : m_port(port), m_rate(rate), m_seconds(seconds) {}
    std::atomic<qint64> sent{0};
    std::atomic<bool> stop{false};

protected:
    void run() override
    {
        QUdpSocket socket;
        socket.bind(QHostAddress::LocalHost, 0);
        Random random;
        QElapsedTimer timer;
        timer.start();
        const qint64 total = qint64(m_rate) * m_seconds;
        for (qint64 i = 0; i < total && !stop; ++i) {
            QByteArray datagram(int(i % 65), Qt::Uninitialized);
            for (char &c : datagram)
                c = char(random.next());
            socket.writeDatagram(datagram, QHostAddress::LocalHost, m_port);
            ++sent;
            // Keep to the rate: sleep whenever ahead of it.
            const qint64 due = i * 1000000 / m_rate;
            const qint64 elapsed = timer.nsecsElapsed() / 1000;
            if (due > elapsed)
                QThread::usleep(quint64(due - elapsed));
        }
    }

private:
    quint16 m_port;
    int m_rate;
    int m_seconds;
};

} // namespace

int main(int argc, char **argv)
{
    int taps = 100000;
    int floodSeconds = 5;
    int floodRate = 5000;
    int hostileRounds = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--taps"))
            taps = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--flood-seconds"))
            floodSeconds = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--flood-rate"))
            floodRate = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--hostile-rounds"))
            hostileRounds = std::atoi(argv[++i]);
    }
    qd::palette::useOffscreenScreen(QSize(1024, 720));
    qd::palette::Application app(argc, argv);
    qd::windows::loadLookSet();

    int messages = 0;
    QString lastMessage;
    qd::palette::setMessageObserver([&messages, &lastMessage](QMessageBox *box) {
        ++messages;
        lastMessage = box->text();
        QTimer::singleShot(0, box, &QMessageBox::accept);
    });

    BenchPeer peer;
    peer.begin();

    qd::windows::LinkSettings settings;
    settings.probeTarget = QHostAddress(QHostAddress::LocalHost);
    settings.probePort = 9; // discard: the soak answers for the peer itself, at once
    settings.listenPort = 0;
    qd::windows::Program program(settings);
    runningProgram = &program;
    program.start();
    if (!QTest::qWaitForWindowExposed(MainClient()))
        qFatal("main window not exposed");
    WindowSet::instance().show(FormMartyries());
    if (!QTest::qWaitForWindowExposed(FormMartyries()))
        qFatal("modal-signature window not exposed");
    clientForm()->Edit3->setText(QString::number(peer.port()));
    const quint16 listenPort = controller()->IdUDPServer1()->boundPort();

    struct Key
    {
        QWidget *window;
        QString word;
        QPoint at;
        bool main;
    };
    QList<Key> keys;
    for (const char *name : {"a1", "a6", "a7", "a15", "a19", "a17", "a8", "a9"})
        keys.append({MainClient(), QLatin1String(name),
                     MainClient()->controlRect(QLatin1String(name)).center().toPoint(), true});
    for (const char *name : {"ark1", "ark2", "ark3", "ark4", "ark5", "ark6"})
        keys.append({FormMartyries(), QLatin1String(name),
                     FormMartyries()->controlRect(QLatin1String(name)).center().toPoint(), false});

    QUdpSocket discovery;
    discovery.bind(QHostAddress::LocalHost, 0);
    int reconnects = 0;
    // What the peer would send in answer to a probe; the listener's handler connects.
    qint64 reconnectNs = 0, messageTapNs = 0, quietTapNs = 0;
    auto reconnect = [&] {
        const qint64 started = nowNs();
        struct Account
        {
            qint64 started;
            qint64 &total;
            ~Account() { total += nowNs() - started; }
        } account{started, reconnectNs};
        const int before = peer.connectionCount();
        discovery.writeDatagram(QByteArray("127.0.0.1\n"), QHostAddress::LocalHost, listenPort);
        const QDeadlineTimer deadline(5000);
        while (!controller()->IdTCPClient1()->isOpen() || peer.connectionCount() == before || !peer.holdsConnection()) {
            if (deadline.hasExpired()) {
                fail(QStringLiteral("discovery did not reconnect"));
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(100);
        }
        ++reconnects;
        return true;
    };

    // Lines the peer should have by now; the words themselves are checked tap by tap and then
    // dropped, so that the run's own records do not grow.
    qint64 expectedLines = 0;
    int accepted = 0, rejected = 0, rejectedSeen = 0, mainFailures = 0, sideSent = 0, sideFailures = 0;
    const QString mainMessage = QStringLiteral("Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server QD");
    const QString sideMessage = QStringLiteral("Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server QD");
    Random random;
    QElapsedTimer timer;
    timer.start();
    const int warmUp = qMin(10000, taps / 10);
    qint64 rssAfterWarmUp = 0, rssMax = 0;

    // One tap, with every check that can be made at once.
    auto tap = [&](const Key &key, BenchPeer::Mode mode) {
        if (!controller()->IdTCPClient1()->isOpen() && !reconnect())
            return;
        peer.setMode(mode);
        const bool reaches = controller()->IdTCPClient1()->isOpen() && peer.holdsConnection();
        const int messagesBefore = messages;
        const int linesBefore = peer.lineCount();
        const qint64 t0 = nowNs();
        QTest::mousePress(key.window->windowHandle(), Qt::LeftButton, Qt::NoModifier, key.at);
        QTest::mouseRelease(key.window->windowHandle(), Qt::LeftButton, Qt::NoModifier, key.at);
        (messages != messagesBefore ? messageTapNs : quietTapNs) += nowNs() - t0;
        if (reaches) {
            ++expectedLines;
            if (!peer.waitForLines(linesBefore + 1, 5000))
                fail(QStringLiteral("%1 did not reach the peer").arg(key.word));
        }
        const QStringList arrived = peer.takeWords();
        if (peer.lineCount() != expectedLines)
            fail(QStringLiteral("after %1 the peer has %2 lines, expected %3")
                     .arg(key.word)
                     .arg(peer.lineCount())
                     .arg(expectedLines));
        else if (arrived != (reaches ? QStringList{key.word} : QStringList{}))
            fail(QStringLiteral("the peer got [%1] for a tap on %2").arg(arrived.join(QLatin1Char(',')), key.word));
        const int shown = messages - messagesBefore;
        if (shown > 1)
            fail(QStringLiteral("one tap on %1 showed %2 messages").arg(key.word).arg(shown));
        if (key.main) {
            if (shown == 0) {
                ++accepted;
            } else if (lastMessage == sideMessage && controller()->discoveryRunning() &&
                       !controller()->IdTCPClient1()->isOpen()) {
                // Rejected: disconnected and discovery restarted. (The indicator switches only if
                // the connection was still open; a queued reject can meet one already closed.)
                ++rejectedSeen;
            } else if (lastMessage == mainMessage && controller()->discoveryRunning() &&
                       !MainClient()->indicatorConnected()) {
                ++mainFailures;
            } else {
                fail(
                    QStringLiteral(
                        "a main tap showed \"%1\" and left discovery %2, the connection %3, the indicator %4")
                        .arg(lastMessage,
                             controller()->discoveryRunning() ? QStringLiteral("on") : QStringLiteral("off"),
                             controller()->IdTCPClient1()->isOpen() ? QStringLiteral("open") : QStringLiteral("closed"),
                             MainClient()->indicatorConnected() ? QStringLiteral("connected")
                                                                : QStringLiteral("searching")));
            }
        } else if (shown && lastMessage != sideMessage) {
            fail(QStringLiteral("a side tap showed \"%1\"").arg(lastMessage));
        } else {
            shown ? ++sideFailures : ++sideSent;
        }
    };

    const int logBefore = clientForm()->Memo1->document()->blockCount();
    for (int i = 0; i < taps; ++i) {
        const Key &key = keys.at(random.below(int(keys.size())));
        const int roll = random.below(1000);
        BenchPeer::Mode mode = BenchPeer::Mode::Ok;
        if (key.main) {
            if (roll < 10)
                mode = BenchPeer::Mode::Reject;
            else if (roll < 20)
                mode = BenchPeer::Mode::Close;
            else if (roll < 30)
                mode = BenchPeer::Mode::Reset;
        } else if (roll < 8) {
            mode = BenchPeer::Mode::Close;
        } else if (roll < 16) {
            mode = BenchPeer::Mode::Reset;
        }
        if (mode == BenchPeer::Mode::Reject)
            ++rejected;
        tap(key, mode);
        if (i % 16 == 0)
            QCoreApplication::processEvents();
        if (i + 1 == warmUp)
            rssAfterWarmUp = rssKiB();
        if (i % 1000 == 0)
            rssMax = qMax(rssMax, rssKiB());
        if ((i + 1) % qMax(1, taps / 5) == 0)
            std::printf("  after %d taps: resident %.2f MiB, log %d lines\n", i + 1, double(rssKiB()) / 1024,
                        clientForm()->Memo1->document()->blockCount());
    }
    const double mixedSeconds = double(timer.nsecsElapsed()) / 1e9;
    const qint64 rssEnd = rssKiB();
    rssMax = qMax(rssMax, rssEnd);
    const int logLines = clientForm()->Memo1->document()->blockCount() - logBefore;

    std::printf("mixed run: %d taps in %.1f s (%.0f us per tap)\n", taps, mixedSeconds, mixedSeconds * 1e6 / taps);
    std::printf(
        "  main taps accepted %d, rejected %d (peer told to reject %d), failed %d; side sends %d, side failures %d\n",
        accepted, rejectedSeen, rejected, mainFailures, sideSent, sideFailures);
    std::printf("  time in taps without a message %.1f s, in taps with one %.1f s, in reconnects %.1f s\n",
                double(quietTapNs) / 1e9, double(messageTapNs) / 1e9, double(reconnectNs) / 1e9);
    std::printf("  reconnects through discovery %d, lines at the peer %d (expected %lld), log lines added %d\n",
                reconnects, peer.lineCount(), static_cast<long long>(expectedLines), logLines);
    std::printf("  resident memory after %d warm-up taps %.2f MiB, at the end %.2f MiB, highest sample %.2f MiB: "
                "growth %+.2f MiB%s\n",
                warmUp, double(rssAfterWarmUp) / 1024, double(rssEnd) / 1024, double(rssMax) / 1024,
                double(rssMax - rssAfterWarmUp) / 1024,
                rssMax - rssAfterWarmUp > 2048 ? "  [limit 2 MiB: EXCEEDED]" : "  [limit 2 MiB: kept]");
    // Servers that misbehave for longer. The client is sent to each by a discovery reply, as any
    // host on the LAN could send it, and must come away at a bounded cost and then reach the real
    // peer again with no message.
    {
        using qd::bench::HostileServers;
        HostileServers hostile;
        QString error;
        if (!hostile.start(peer.port(), &error))
            fail(error);
        struct Episodes
        {
            int count = 0;
            qint64 longestMs = 0; // to come away: closed by the client, or found lost
            qint64 longestStallMs = 0;
            qint64 taps = 0;
        };
        Episodes episodes[HostileServers::KindCount];
        const Key &mainKey = keys.first();
        const Key &sideKey = keys.last();
        auto waitFor = [](auto condition, int ms) {
            const QDeadlineTimer deadline(ms);
            while (!condition()) {
                if (deadline.hasExpired())
                    return false;
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                QThread::usleep(200);
            }
            return true;
        };
        auto link = [] { return controller()->IdTCPClient1(); };
        int opened = 0;
        QObject::connect(link(), &qd::link::LineConnection::connected, link(), [&opened] { ++opened; });
        const int messagesBefore = messages;
        int messagesExpected = 0;
        const qint64 rssBefore = rssKiB();
        qint64 rssHighest = rssBefore;
        int afterwardsQuiet = 0;
        for (int round = 0; round < hostileRounds; ++round) {
            for (int k = 0; k < HostileServers::KindCount; ++k) {
                const auto kind = HostileServers::Kind(k);
                if (!hostile.has(kind) || (kind == HostileServers::Vanishes && round >= 3))
                    continue;
                const char *what = HostileServers::name(kind);
                // Away from the real peer: it closes after an accepted tap, which the client notices.
                if (!link()->isOpen() && !reconnect())
                    continue;
                tap(mainKey, BenchPeer::Mode::Close);
                if (!waitFor([&] { return !link()->isOpen(); }, 5000)) {
                    fail(QStringLiteral("the real peer's close was not noticed"));
                    continue;
                }
                // Counted by the connected event: a streaming server's connection may open and be
                // cut off within one turn of the event loop.
                const int openedBefore = opened;
                discovery.writeDatagram(hostile.reply(kind), QHostAddress::LocalHost, listenPort);
                if (!waitFor([&] { return opened > openedBefore; }, 5000)) {
                    fail(QStringLiteral("discovery did not connect to the server that %1").arg(QLatin1String(what)));
                    continue;
                }
                QElapsedTimer since;
                since.start();
                Episodes &e = episodes[kind];
                ++e.count;
                if (kind == HostileServers::StopsReading) {
                    // Small buffers on our side too (the bench's own doing), so that a few
                    // thousand side taps fill them; then one tap stalls and fails.
                    const int small = 2048;
                    ::setsockopt(link()->socketHandle(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
                    const int shownBefore = messages;
                    for (int i = 0; i < 200000 && messages == shownBefore && link()->isOpen(); ++i) {
                        const qint64 t0 = nowNs();
                        tap(sideKey, BenchPeer::Mode::Ok);
                        e.longestStallMs = qMax(e.longestStallMs, (nowNs() - t0) / 1000000);
                        ++e.taps;
                    }
                    if (messages != shownBefore + 1 || lastMessage != sideMessage)
                        fail(QStringLiteral("a server that stops reading did not cost exactly one side message"));
                    ++messagesExpected;
                } else if (kind == HostileServers::Vanishes) {
                    if (!hostile.vanish()) {
                        fail(QStringLiteral("could not take the vanishing server's address away"));
                        continue;
                    }
                    since.restart();
                }
                if (!waitFor([&] { return !link()->isOpen(); }, 30000))
                    fail(QStringLiteral("the client did not come away from the server that %1")
                             .arg(QLatin1String(what)));
                e.longestMs = qMax(e.longestMs, since.elapsed());
                if (kind == HostileServers::Vanishes && !hostile.comeBack())
                    fail(QStringLiteral("could not give the vanishing server's address back"));
                rssHighest = qMax(rssHighest, rssKiB());
                // Back at the real peer: the next main and side taps arrive with no message.
                if (!reconnect())
                    continue;
                const int shownBefore = messages;
                tap(mainKey, BenchPeer::Mode::Ok);
                tap(sideKey, BenchPeer::Mode::Ok);
                if (messages == shownBefore)
                    ++afterwardsQuiet;
                else
                    fail(QStringLiteral("a tap after the server that %1 showed \"%2\"")
                             .arg(QLatin1String(what), lastMessage));
            }
        }
        int total = 0;
        for (const Episodes &e : episodes)
            total += e.count;
        std::printf("hostile servers: %d episodes in %d rounds, each reached by a discovery reply\n", total,
                    hostileRounds);
        for (int k = 0; k < HostileServers::KindCount; ++k) {
            const auto kind = HostileServers::Kind(k);
            const Episodes &e = episodes[k];
            if (!hostile.has(kind)) {
                std::printf("  %-18s not run (needs the link to nowhere of isolated --sink)\n",
                            HostileServers::name(kind));
                continue;
            }
            if (kind == HostileServers::StopsReading)
                std::printf("  %-18s %d episodes: %.0f side taps each before a send stalled, longest stall %lld ms, "
                            "one side message, then closed\n",
                            HostileServers::name(kind), e.count, e.count ? double(e.taps) / e.count : 0.0,
                            static_cast<long long>(e.longestStallMs));
            else if (kind == HostileServers::Vanishes)
                std::printf("  %-18s %d episodes: found lost at most %lld ms after its host went\n",
                            HostileServers::name(kind), e.count, static_cast<long long>(e.longestMs));
            else
                std::printf("  %-18s %d episodes: closed by the client at most %lld ms after the connect\n",
                            HostileServers::name(kind), e.count, static_cast<long long>(e.longestMs));
        }
        std::printf("  messages %d (expected %d), quiet main and side taps at the real peer afterwards %d of %d\n",
                    messages - messagesBefore, messagesExpected, afterwardsQuiet, total);
        std::printf("  resident memory before %.2f MiB, highest %.2f MiB: growth %+.2f MiB%s\n",
                    double(rssBefore) / 1024, double(rssHighest) / 1024, double(rssHighest - rssBefore) / 1024,
                    rssHighest - rssBefore > 4096 ? "  [limit 4 MiB: EXCEEDED]" : "  [limit 4 MiB: kept]");
        if (rssHighest - rssBefore > 4096)
            fail(QStringLiteral("the hostile servers cost more than 4 MiB"));
    }

    // The flood: datagrams of every length from 0 to 64 bytes while taps go on. The peer only
    // answers "ok" now, so every tap must be accepted and arrive.
    if (!controller()->IdTCPClient1()->isOpen())
        reconnect();
    const int messagesBeforeFlood = messages;
    const qint64 linesBeforeFlood = expectedLines;
    const int acceptedBeforeFlood = accepted;
    int floodMainTaps = 0;
    Flood flood(listenPort, floodRate, floodSeconds);
    flood.start();
    int floodTaps = 0;
    timer.restart();
    while (!flood.isFinished()) {
        const Key &key = keys.at(random.below(int(keys.size())));
        tap(key, BenchPeer::Mode::Ok);
        ++floodTaps;
        floodMainTaps += key.main ? 1 : 0;
        // Let the event loop take the datagrams between taps, as between a user's taps.
        QCoreApplication::processEvents();
    }
    flood.wait();
    QCoreApplication::processEvents();
    const double floodElapsed = double(timer.nsecsElapsed()) / 1e9;
    const int floodMessages = messages - messagesBeforeFlood;
    const qint64 floodWords = peer.lineCount() - linesBeforeFlood;
    std::printf("discovery flood: %lld datagrams (lengths 0 to 64) in %.1f s (%.0f per second) during %d taps\n",
                static_cast<long long>(flood.sent.load()), floodElapsed, double(flood.sent.load()) / floodElapsed,
                floodTaps);
    std::printf("  main taps accepted %d of %d, words that reached the peer %lld, messages %d, connection %s\n",
                accepted - acceptedBeforeFlood, floodMainTaps, static_cast<long long>(floodWords), floodMessages,
                controller()->IdTCPClient1()->isOpen() ? "open" : "closed");
    if (floodMessages != 0 || floodWords != floodTaps || accepted - acceptedBeforeFlood != floodMainTaps)
        fail(QStringLiteral("a tap during the flood was not handled as accepted"));
    const qint64 rssFinal = rssKiB();
    std::printf("  resident memory after the flood %.2f MiB\n", double(rssFinal) / 1024);

    std::printf("%s\n", failures == 0 ? "soak: PASS" : "soak: FAIL");
    return failures == 0 ? 0 : 1;
}
