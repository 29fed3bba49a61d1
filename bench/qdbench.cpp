// qdbench: speed and memory of the program, each figure beside its floor (the same work done
// with plain sockets or a bare Qt program) measured in the same run. Run it offscreen inside the
// isolated network namespace:
//
//     QT_QPA_PLATFORM=offscreen ../shared/tools/isolated build/release/bench/qdbench
//
// Options: --taps N (default 10000), --section NAME (tap, burst, startup, repaint, rescale,
// discovery, probe; default all), --screen WxH (default 1024x720), --client PATH (the program the
// start-up section launches, to compare two builds; default this build's qdclient),
// --launch-platform NAME (the Qt platform of the launched programs, e.g. xcb on an X server;
// default the bench's own offscreen screen), --discovery-server ADDRESS and
// --discovery-port N (6000): the discovery figure against a peer already listening there, as
// on the two-host test LAN:
//
//     ../shared/tools/lan-pair "exec build/release/peer/qd-peer --no-discovery"
//         env QT_QPA_PLATFORM=offscreen build/release/bench/qdbench --section discovery
//         --discovery-server 10.213.0.2
//
// (one command line).

#include "benchpeer.h"
#include "benchsystem.h"
#include "runningprogram.h"

#include <QD_client.h>
#include <Unit1.h>
#include <martyries.h>
#include <program.h>

#include <link/discoverylistener.h>
#include <link/lineconnection.h>
#include <link/socket_platform.h>
#include <palette/application.h>
#include <palette/offscreenscreen.h>
#include <palette/windowset.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <QWindow>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>

using namespace qd::bench;
using qd::palette::WindowSet;

namespace {

struct Options
{
    int taps = 10000;
    QString section;
    QSize screen{1024, 720};
    QString client;
    QString launchPlatform;
    // A peer already listening elsewhere (on a test LAN) for the discovery figure, instead of
    // the bench's own on loopback.
    QString discoveryServer;
    quint16 discoveryPort = 6000;
};
Options options;

// --- figures ------------------------------------------------------------------------------

struct Stats
{
    double p50 = 0, p99 = 0, max = 0; // microseconds
};

Stats stats(std::vector<qint64> ns)
{
    Stats s;
    if (ns.empty())
        return s;
    std::sort(ns.begin(), ns.end());
    auto at = [&](double q) { return double(ns[std::min(ns.size() - 1, size_t(q * double(ns.size())))]) / 1000.0; };
    s.p50 = at(0.50);
    s.p99 = at(0.99);
    s.max = double(ns.back()) / 1000.0;
    return s;
}

void line(const char *format, ...) __attribute__((format(printf, 1, 2)));
void line(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void compare(const char *name, const Stats &value, const Stats &floor, const char *target = nullptr)
{
    line("%-44s p50 %9.1f us  p99 %9.1f us | floor p50 %9.1f us  p99 %9.1f us | ratio p50 %5.2fx  p99 %5.2fx%s%s", name,
         value.p50, value.p99, floor.p50, floor.p99, value.p50 / floor.p50, value.p99 / floor.p99, target ? "  " : "",
         target ? target : "");
}

// --- the program under test ----------------------------------------------------------------

qd::windows::LinkSettings loopbackSettings()
{
    qd::windows::LinkSettings s;
    s.probeTarget = QHostAddress(QHostAddress::LocalHost);
    s.probePort = 9; // discard: probes go nowhere
    s.listenPort = 0;
    return s;
}

struct ProgramRun
{
    std::unique_ptr<qd::windows::Program> program;

    ProgramRun()
    {
        program = std::make_unique<qd::windows::Program>(loopbackSettings());
        runningProgram = program.get();
        program->start();
        if (!QTest::qWaitForWindowExposed(MainClient()))
            qFatal("main window not exposed");
    }
    ~ProgramRun()
    {
        for (auto *w : WindowSet::instance().windows())
            w->stopTimers();
        program.reset();
    }
    void connectTo(quint16 port)
    {
        clientForm()->Edit2->setText(QStringLiteral("127.0.0.1"));
        clientForm()->Edit3->setText(QString::number(port));
        clientForm()->CornerButton1Click(nullptr);
        const QDeadlineTimer deadline(5000);
        while (controller()->connecting() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        controller()->Timer1()->stop();
        if (!controller()->IdTCPClient1()->isOpen())
            qFatal("could not connect to the bench peer");
    }
};

void pressAndRelease(QWidget *window, const QPoint &at)
{
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

// A plain blocking client on the link's own socket layer: the floor of every exchange.
struct PlainClient
{
    qd::link::platform::SocketHandle socket = qd::link::platform::kNoSocket;
    QByteArray queue;

    explicit PlainClient(quint16 port)
    {
        int error = 0;
        socket = qd::link::platform::openTcpSocket(&error);
        if (qd::link::platform::connectIPv4(socket, 0x7f000001, port, 3000) != 0)
            qFatal("plain connect failed");
    }
    ~PlainClient() { qd::link::platform::closeSocket(socket); }
    void write(const QByteArray &bytes)
    {
        int error = 0;
        if (qd::link::platform::sendBytes(socket, bytes.constData(), bytes.size(), &error) != bytes.size())
            qFatal("plain send failed");
    }
    QByteArray readLine()
    {
        for (;;) {
            const qsizetype lf = queue.indexOf('\n');
            if (lf >= 0) {
                const QByteArray line = queue.left(lf);
                queue.remove(0, lf + 1);
                return line;
            }
            char buffer[4096];
            int error = 0;
            const qint64 n = qd::link::platform::receiveBytes(socket, buffer, sizeof buffer, &error);
            if (n <= 0)
                qFatal("plain receive failed");
            queue.append(buffer, n);
        }
    }
};

// --- sections ------------------------------------------------------------------------------

std::vector<qint64> timeRepeated(int count, const std::function<void()> &work)
{
    std::vector<qint64> ns;
    for (int i = 0; i < count; ++i) {
        const qint64 t0 = nowNs();
        work();
        ns.push_back(nowNs() - t0);
    }
    return ns;
}

void tapSection()
{
    BenchPeer peer;
    peer.begin();
    const int taps = options.taps;
    const QByteArray lineBytes("a15\r\n");

    // Floor: the same line written and its "ok" read back with plain sockets.
    std::vector<qint64> floorWire, floorWhole;
    {
        PlainClient plain(peer.port());
        for (int i = 0; i < 200; ++i) { // warm-up
            plain.write(lineBytes);
            plain.readLine();
        }
        peer.clear();
        for (int i = 0; i < taps; ++i) {
            const qint64 t0 = nowNs();
            plain.write(lineBytes);
            plain.readLine();
            const qint64 t1 = nowNs();
            floorWhole.push_back(t1 - t0);
            floorWire.push_back(peer.arrival(i) - t0);
        }
    }

    ProgramRun run;
    run.connectTo(peer.port());
    const QPoint key = MainClient()->controlRect(QStringLiteral("a15")).center().toPoint();
    for (int i = 0; i < 200; ++i) {
        pressAndRelease(MainClient(), key);
        QCoreApplication::processEvents();
    }
    peer.clear();
    std::vector<qint64> wire, whole, press, releaseToWire;
    QWindow *window = MainClient()->windowHandle();
    for (int i = 0; i < taps; ++i) {
        // Between taps the window repaints as it would between a user's taps; not timed.
        QCoreApplication::processEvents();
        const qint64 t0 = nowNs();
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, key);
        const qint64 pressed = nowNs();
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, key);
        const qint64 t1 = nowNs();
        whole.push_back(t1 - t0);
        wire.push_back(peer.arrival(i) - t0);
        press.push_back(pressed - t0);
        releaseToWire.push_back(peer.arrival(i) - pressed);
    }
    if (peer.lineCount() != taps || peer.words() != QStringList(taps, QStringLiteral("a15")))
        qFatal("tap bench: the peer did not get every word");
    const Stats w = stats(wire), fw = stats(floorWire);
    line("# %d taps on a15 of the main window, peer answers \"ok\" at once", taps);
    compare("tap-to-wire (press to line at peer)", w, fw,
            w.p50 <= 2 * fw.p50 ? "[target p50 <= 2x: met]" : "[target p50 <= 2x: MISSED]");
    compare("whole tap (reply read, page reset)", stats(whole), stats(floorWhole));
    const Stats p = stats(press), r = stats(releaseToWire);
    line("%-44s p50 %9.1f us  p99 %9.1f us", "  of which the press (key drawn down)", p.p50, p.p99);
    line("%-44s p50 %9.1f us  p99 %9.1f us", "  and the release to the line at the peer", r.p50, r.p99);
    // A button draws itself at once on press and again on release, before its click handler
    // runs; this is what one such drawing of the key costs.
    QWidget *keyWidget = MainClient()->control(QStringLiteral("a15"));
    const Stats k = stats(timeRepeated(1000, [&] { keyWidget->repaint(); }));
    line("%-44s p50 %9.1f us  p99 %9.1f us", "  (one repaint of the key alone)", k.p50, k.p99);
}

void burstSection()
{
    constexpr int kBurst = 1000;
    constexpr int kRounds = 7;
    BenchPeer peer;
    peer.begin();
    peer.setMode(BenchPeer::Mode::Silent);

    auto median = [](std::vector<qint64> v) {
        std::sort(v.begin(), v.end());
        return double(v[v.size() / 2]) / 1000.0;
    };
    // Each round: time from the first write (or press) to the last line's arrival.
    auto plainRounds = [&](bool noDelay) {
        std::vector<qint64> rounds;
        PlainClient plain(peer.port());
        if (noDelay)
            setNoDelayOnConnectionTo(peer.port());
        const QByteArray lineBytes("ark1\r\n");
        for (int r = 0; r < kRounds; ++r) {
            const int before = peer.lineCount();
            const qint64 t0 = nowNs();
            for (int i = 0; i < kBurst; ++i)
                plain.write(lineBytes);
            if (!peer.waitForLines(before + kBurst, 10000))
                qFatal("burst floor: lines lost");
            rounds.push_back(peer.arrival(before + kBurst - 1) - t0);
        }
        return rounds;
    };
    const double floorNagle = median(plainRounds(false));
    const double floorNoDelay = median(plainRounds(true));

    ProgramRun run;
    run.connectTo(peer.port());
    WindowSet::instance().show(FormMartyries());
    if (!QTest::qWaitForWindowExposed(FormMartyries()))
        qFatal("modal-signature window not exposed");
    const QPoint key = FormMartyries()->controlRect(QStringLiteral("ark1")).center().toPoint();
    // Also the latency of each line: from the release that sends it to its arrival.
    auto programRounds = [&](std::vector<qint64> *latency) {
        std::vector<qint64> rounds;
        std::vector<qint64> released(kBurst);
        for (int r = 0; r < kRounds; ++r) {
            QCoreApplication::processEvents();
            const int before = peer.lineCount();
            const qint64 t0 = nowNs();
            for (int i = 0; i < kBurst; ++i) {
                QTest::mousePress(FormMartyries()->windowHandle(), Qt::LeftButton, Qt::NoModifier, key);
                released[size_t(i)] = nowNs();
                QTest::mouseRelease(FormMartyries()->windowHandle(), Qt::LeftButton, Qt::NoModifier, key);
            }
            if (!peer.waitForLines(before + kBurst, 10000))
                qFatal("burst: lines lost");
            rounds.push_back(peer.arrival(before + kBurst - 1) - t0);
            for (int i = 0; i < kBurst; ++i)
                latency->push_back(peer.arrival(before + i) - released[size_t(i)]);
        }
        return rounds;
    };
    std::vector<qint64> latencyNagle, latencyNoDelay;
    const double programNagle = median(programRounds(&latencyNagle));
    const bool hooked = setNoDelayOnConnectionTo(peer.port());
    const double programNoDelay = hooked ? median(programRounds(&latencyNoDelay)) : -1;
    if (peer.words().size() != peer.lineCount() || peer.words().count(QStringLiteral("ark1")) != peer.lineCount())
        qFatal("burst: wrong words");

    line("# bursts of %d taps on ark1 of the modal-signature window (no reply read); median of %d rounds, press of the "
         "first tap to arrival of the last line",
         kBurst, kRounds);
    line("%-44s %9.1f us | floor (%d plain writes) %9.1f us | ratio %5.2fx", "burst, Nagle on (the program's default)",
         programNagle, kBurst, floorNagle, programNagle / floorNagle);
    if (hooked)
        line("%-44s %9.1f us | floor (%d plain writes) %9.1f us | ratio %5.2fx", "burst, TCP_NODELAY (bench only)",
             programNoDelay, kBurst, floorNoDelay, programNoDelay / floorNoDelay);
    if (hooked) {
        line("%-44s %+8.1f us per burst (%+.2f us per tap)", "cost of Nagle's algorithm in the program",
             programNagle - programNoDelay, (programNagle - programNoDelay) / kBurst);
        const Stats n = stats(latencyNagle), d = stats(latencyNoDelay);
        line("%-44s p50 %9.1f us  p99 %9.1f us  max %9.1f us", "line latency in the burst, Nagle on", n.p50, n.p99,
             n.max);
        line("%-44s p50 %9.1f us  p99 %9.1f us  max %9.1f us", "line latency in the burst, TCP_NODELAY", d.p50, d.p99,
             d.max);
    }
}

struct Launch
{
    double startMs = 0;
    qint64 peakKiB = 0;
};

Launch launchUntilExposed(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!options.launchPlatform.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), options.launchPlatform);
        process.setProcessEnvironment(environment);
    }
    QElapsedTimer timer;
    timer.start();
    process.start();
    QByteArray out;
    while (!out.contains("exposed\n")) {
        if (!process.waitForReadyRead(30000))
            qFatal("%s did not report its window exposed", qPrintable(program));
        out += process.readAllStandardOutput();
    }
    Launch l;
    l.startMs = double(timer.nsecsElapsed()) / 1e6;
    // Let it settle for a moment, so that what the first frames cost is in the peak.
    QThread::msleep(300);
    l.peakKiB = peakResidentKiB(process.processId());
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return l;
}

void startupSection()
{
    constexpr int kRuns = 9;
    const QString dir = QCoreApplication::applicationDirPath();
    const QString client = options.client.isEmpty() ? QStringLiteral(QD_CLIENT_PATH) : options.client;
    const QString bare = dir + QStringLiteral("/qdbare");
    std::vector<qint64> clientMs, bareMs;
    qint64 clientPeak = 0, barePeak = 0;
    for (int i = 0; i < kRuns; ++i) {
        // Interleaved, so that a change in the machine's load hits both alike.
        const Launch c = launchUntilExposed(client, {QStringLiteral("--probe-target"), QStringLiteral("127.0.0.1"),
                                                     QStringLiteral("--report-exposed")});
        const Launch b = launchUntilExposed(bare, {});
        clientMs.push_back(qint64(c.startMs * 1000));
        bareMs.push_back(qint64(b.startMs * 1000));
        clientPeak = std::max(clientPeak, c.peakKiB);
        barePeak = std::max(barePeak, b.peakKiB);
    }
    const Stats c = stats(clientMs), b = stats(bareMs);
    line("# start-up: launch to main window exposed, %d launches each, %s; peak memory is VmHWM", kRuns,
         options.launchPlatform.isEmpty() ? "offscreen" : qPrintable(options.launchPlatform));
    line("%-44s median %7.1f ms | bare Qt Widgets program %7.1f ms | ratio %5.2fx  [target <= 1.5x: %s]",
         "start-up to main window exposed", c.p50, b.p50, c.p50 / b.p50, c.p50 <= 1.5 * b.p50 ? "met" : "MISSED");
    line("%-44s %7.1f MiB | bare Qt Widgets program %7.1f MiB | ratio %5.2fx  [target <= 1.5x: %s]",
         "peak memory (VmHWM)", double(clientPeak) / 1024, double(barePeak) / 1024,
         double(clientPeak) / double(barePeak), clientPeak <= 1.5 * double(barePeak) ? "met" : "MISSED");
}

class PlainWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0xf0, 0xf0, 0xf0)); }
};

void repaintSection()
{
    constexpr int kRepaints = 200;
    PlainWindow plain;
    plain.showFullScreen();
    if (!QTest::qWaitForWindowExposed(&plain))
        qFatal("plain window not exposed");
    timeRepeated(10, [&] { plain.repaint(); });
    const Stats floor = stats(timeRepeated(kRepaints, [&] { plain.repaint(); }));
    plain.hide();

    ProgramRun run;
    timeRepeated(10, [&] { MainClient()->repaint(); });
    const Stats value = stats(timeRepeated(kRepaints, [&] { MainClient()->repaint(); }));
    const QByteArray name = QStringLiteral("repaint of the main window at %1x%2")
                                .arg(MainClient()->width())
                                .arg(MainClient()->height())
                                .toLatin1();
    compare(name.constData(), value, floor, "(floor: a full-screen window filled with one colour)");
}

void rescaleSection()
{
    constexpr int kRescales = 200;
    const QSize a = options.screen, b = options.screen - QSize(64, 48);
    PlainWindow plain;
    plain.show();
    int flip = 0;
    const Stats floor = stats(timeRepeated(kRescales, [&] { plain.resize(++flip % 2 ? b : a); }));
    plain.hide();

    ProgramRun run;
    MainClient()->setWindowState(Qt::WindowNoState);
    const int layoutsBefore = MainClient()->layoutCount();
    const Stats value = stats(timeRepeated(kRescales, [&] {
        MainClient()->resize(++flip % 2 ? b : a);
        MainClient()->FormActivate();
    }));
    const int layouts = MainClient()->layoutCount() - layoutsBefore;
    if (layouts < kRescales)
        qFatal("rescale bench: only %d of %d resizes laid the window out again", layouts, kRescales);
    compare("rescale of the main window (resize+FormActivate)", value, floor, "(floor: resize of a plain window)");
}

void discoverySection()
{
    constexpr int kRounds = 200;
    BenchPeer peer;
    const bool elsewhere = !options.discoveryServer.isEmpty();
    if (!elsewhere)
        peer.begin();
    const QHostAddress server(elsewhere ? options.discoveryServer : QStringLiteral("127.0.0.1"));
    const quint16 serverPort = elsewhere ? options.discoveryPort : peer.port();
    const QByteArray reply = server.toString().toLatin1() + '\n';
    QUdpSocket sender;
    sender.bind(QHostAddress::LocalHost, 0);

    // Floor: a datagram taken by a plain UDP socket in the event loop, then a plain connect.
    std::vector<qint64> floorNs;
    {
        QUdpSocket listener;
        listener.bind(QHostAddress::AnyIPv4, 0);
        qd::link::platform::SocketHandle socket = qd::link::platform::kNoSocket;
        QObject::connect(&listener, &QUdpSocket::readyRead, &listener, [&] {
            while (listener.hasPendingDatagrams()) {
                char buffer[20];
                listener.readDatagram(buffer, sizeof buffer);
                int error = 0;
                socket = qd::link::platform::openTcpSocket(&error);
                qd::link::platform::connectIPv4(socket, server.toIPv4Address(), serverPort, 3000);
            }
        });
        for (int i = 0; i < kRounds + 10; ++i) {
            const qint64 t0 = nowNs();
            sender.writeDatagram(reply, QHostAddress::LocalHost, listener.localPort());
            while (socket == qd::link::platform::kNoSocket)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
            if (i >= 10)
                floorNs.push_back(nowNs() - t0);
            qd::link::platform::closeSocket(socket);
            socket = qd::link::platform::kNoSocket;
        }
    }

    ProgramRun run;
    clientForm()->Edit3->setText(QString::number(serverPort));
    const quint16 listenPort = controller()->IdUDPServer1()->boundPort();
    std::vector<qint64> ns;
    for (int i = 0; i < kRounds + 10; ++i) {
        const qint64 t0 = nowNs();
        sender.writeDatagram(reply, QHostAddress::LocalHost, listenPort);
        const QDeadlineTimer deadline(5000);
        while (!controller()->IdTCPClient1()->isOpen()) {
            if (deadline.hasExpired())
                qFatal("discovery bench: no connect");
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        }
        if (i >= 10)
            ns.push_back(nowNs() - t0);
        controller()->IdTCPClient1()->disconnectFromServer();
    }
    compare(elsewhere ? "discovery reply to connected, LAN" : "discovery reply to connected", stats(ns), stats(floorNs),
            "(floor: plain UDP receive + plain connect)");
}

void probeSection()
{
    // One tick's probe: the look at the machine's interfaces and a send to every network found.
    // The interfaces are the real ones, but each network is answered for by a loopback address,
    // so that nothing leaves the machine however this is run.
    constexpr int kRounds = 2000;
    int networks = 0;
    qd::link::DiscoveryListener listener;
    listener.setListenPort(0);
    listener.setProbeTarget(QHostAddress::LocalHost, 9);
    listener.setNetworkSweep(qd::link::DiscoveryListener::NetworkSweep::Always);
    listener.setInterfaceSource([&networks] {
        QList<qd::link::NetworkInterfaceInfo> interfaces = qd::link::systemInterfaces();
        networks = int(qd::link::directedBroadcastAddresses(interfaces).size());
        QList<qd::link::NetworkInterfaceInfo> standIns;
        for (int i = 0; i < networks; ++i) {
            QNetworkAddressEntry entry;
            entry.setIp(QHostAddress(0x7f000002u + quint32(i)));
            entry.setPrefixLength(8);
            entry.setBroadcast(entry.ip());
            standIns.append({QStringLiteral("bench%1").arg(i),
                             QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast,
                             {entry}});
        }
        return standIns;
    });
    listener.open();
    const std::vector<qint64> ns = timeRepeated(kRounds, [&] { listener.sendProbe(); });

    // Floor: the one plain send of the probe the tick made before it looked at the interfaces.
    QUdpSocket plain;
    plain.bind(QHostAddress::AnyIPv4, 0);
    const std::vector<qint64> floorNs = timeRepeated(kRounds, [&] {
        int error = 0;
        qd::link::platform::sendDatagramIPv4(plain.socketDescriptor(), "qd", 2, 0x7f000001, 9, &error);
    });
    line("probe tick: %d network(s) besides the target on this machine", networks);
    compare("probe tick, every network", stats(ns), stats(floorNs), "(floor: one plain send)");
}

bool wanted(const char *section)
{
    return options.section.isEmpty() || options.section == QLatin1String(section);
}

// The 4K repaint runs in a second process, because the screen size is fixed per process.
void repaintAtOtherSize(const QString &size)
{
    QProcess self;
    self.setProgram(QCoreApplication::applicationFilePath());
    self.setArguments({QStringLiteral("--section"), QStringLiteral("repaint"), QStringLiteral("--screen"), size});
    self.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    self.start();
    self.waitForFinished(300000);
    std::fputs(self.readAllStandardOutput().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--taps") && hasValue)
            options.taps = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--section") && hasValue)
            options.section = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--client") && hasValue)
            options.client = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--launch-platform") && hasValue)
            options.launchPlatform = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--discovery-server") && hasValue)
            options.discoveryServer = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--discovery-port") && hasValue)
            options.discoveryPort = quint16(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--screen") && hasValue)
            options.screen = qd::palette::parseScreenSize(QString::fromLocal8Bit(argv[++i]));
    }
    qd::palette::useOffscreenScreen(options.screen);
    qd::palette::Application app(argc, argv);
    qd::windows::loadLookSet();

    if (wanted("tap"))
        tapSection();
    if (wanted("burst"))
        burstSection();
    if (wanted("startup"))
        startupSection();
    if (wanted("repaint")) {
        repaintSection();
        if (options.section.isEmpty())
            repaintAtOtherSize(QStringLiteral("3840x2160"));
    }
    if (wanted("rescale"))
        rescaleSection();
    if (wanted("discovery"))
        discoverySection();
    if (wanted("probe"))
        probeSection();
    return 0;
}
