// The real program on the client host of the lan-pair test network, as a user starts it: no
// option at all, full screen on a real X server (Xvfb) with a window manager (openbox). It must
// find the reference peer on the server host by itself; then a real pointer click (xdotool) on
// the key a15 must reach the peer. The program is then ended by its process id.
// With --dead-replies the program probes only its own host, so the peer hears nothing; this
// test sends the replies itself: one and then a burst naming addresses of the test network
// where no host answers, while real clicks open and close the modal-signature window, each of
// which must be handled within 0.5 s; then a reply naming the peer, after which a15 must arrive.
// Run only by lan-pair-test.sh on the client host; exits 77 where Xvfb, openbox or xdotool
// is missing.
//   usage: real_client_on_x QDCLIENT [--dead-replies]
//          (environment: QD_PEER_OUTPUT, QD_PEER_ERRORS, QD_PEER_PROBES)

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QThread>
#include <QUdpSocket>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QString kScreen = QStringLiteral("1024x768");

// Ends the run with an exit status; thrown, so that the children are ended on the way out.
struct Finish
{
    int status;
    QString message;
};

[[noreturn]] void finish(int status, const QString &message)
{
    throw Finish{status, message};
}

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Polls until `done` holds, for up to `ms`.
template <class Done>
bool waitFor(Done done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

// The rectangle of one control in window pixels, from the program's own layout dump.
QRectF controlRect(const QString &qdclient, const QString &name,
                   const QString &windowName = QStringLiteral("MainClient"))
{
    QProcess dump;
    dump.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dump.start(qdclient, {QStringLiteral("--screen"), kScreen, QStringLiteral("--layout-json")});
    if (!dump.waitForFinished(60000) || dump.exitCode() != 0)
        finish(1, QStringLiteral("qdclient --layout-json failed"));
    const QJsonArray windows =
        QJsonDocument::fromJson(dump.readAllStandardOutput())[QStringLiteral("windows")].toArray();
    for (const QJsonValue &window : windows) {
        if (window[QStringLiteral("name")].toString() != windowName)
            continue;
        for (const QJsonValue &control : window[QStringLiteral("controls")].toArray()) {
            if (control[QStringLiteral("name")].toString() != name)
                continue;
            const QJsonArray r = control[QStringLiteral("rect")].toArray();
            return QRectF(r[0].toDouble(), r[1].toDouble(), r[2].toDouble(), r[3].toDouble());
        }
    }
    finish(1, QStringLiteral("no control %1 in the layout").arg(name));
}

// Children started here and ended here, each by its own process id, last started first.
class Children
{
public:
    ~Children()
    {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
            QProcess &process = **it;
            if (process.state() == QProcess::NotRunning)
                continue;
            process.terminate();
            if (!process.waitForFinished(10000)) {
                process.kill();
                process.waitForFinished(10000);
            }
        }
    }
    QProcess &start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                    QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels)
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess &process = *m_processes.back();
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(channels);
        process.start(program, arguments);
        if (!process.waitForStarted(30000))
            finish(1, QStringLiteral("cannot start %1").arg(program));
        return process;
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// Runs xdotool; its output, or a null array when it failed.
QByteArray xdotool(const QProcessEnvironment &x, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(x);
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput() + ' ';
}

void click(const QProcessEnvironment &x, const QPointF &at)
{
    if (xdotool(x, {QStringLiteral("mousemove"), QString::number(qRound(at.x())), QString::number(qRound(at.y())),
                    QStringLiteral("click"), QStringLiteral("1")})
            .isNull())
        finish(1, QStringLiteral("xdotool could not click"));
}

} // namespace

int run(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        return run(argc, argv);
    } catch (const Finish &f) {
        std::fprintf(stderr, "real_client_on_x: %s\n", qPrintable(f.message));
        return f.status;
    }
}

int run(int argc, char **argv)
{
    const bool deadReplies = argc == 3 && QLatin1String(argv[2]) == QLatin1String("--dead-replies");
    if ((argc != 2 && !deadReplies) || qEnvironmentVariableIsEmpty("QD_PEER_OUTPUT") ||
        qEnvironmentVariableIsEmpty("QD_PEER_ERRORS") || qEnvironmentVariableIsEmpty("QD_PEER_PROBES"))
        finish(2, QStringLiteral("usage: real_client_on_x QDCLIENT, on the lan-pair client host"));
    const QString qdclient = QString::fromLocal8Bit(argv[1]);
    for (const char *tool : {"Xvfb", "openbox", "xdotool", "wmctrl"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            finish(77, QStringLiteral("skipped: no %1").arg(QString::fromLatin1(tool)));
    }
    const QRectF a15 = controlRect(qdclient, QStringLiteral("a15"));

    // Xvfb picks a free display number itself and says which on its output.
    Children children;
    QProcess &xvfb = children.start(QStringLiteral("Xvfb"),
                                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                     QStringLiteral("0"), kScreen + QStringLiteral("x24"), QStringLiteral("-nolisten"),
                                     QStringLiteral("tcp")},
                                    QProcessEnvironment::systemEnvironment(), QProcess::ForwardedErrorChannel);
    if (!waitFor([&] { return xvfb.waitForReadyRead(100) && xvfb.canReadLine(); }, 30000))
        finish(1, QStringLiteral("Xvfb did not start"));
    bool ok = false;
    const int display = xvfb.readLine().trimmed().toInt(&ok);
    if (!ok)
        finish(1, QStringLiteral("Xvfb named no display"));
    QProcessEnvironment x = QProcessEnvironment::systemEnvironment();
    x.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(display));
    x.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    x.remove(QStringLiteral("WAYLAND_DISPLAY"));
    children.start(QStringLiteral("openbox"), {}, x);
    // The client starts once the window manager runs: a window mapped while it is still taking
    // over the screen can be left unmapped, which no user sees.
    const auto windowManagerRuns = [&] {
        QProcess wmctrl;
        wmctrl.setProcessEnvironment(x);
        wmctrl.start(QStringLiteral("wmctrl"), {QStringLiteral("-m")});
        return wmctrl.waitForFinished(10000) && wmctrl.exitStatus() == QProcess::NormalExit && wmctrl.exitCode() == 0;
    };
    if (!waitFor(windowManagerRuns, 30000))
        finish(1, QStringLiteral("openbox did not start"));
    const QString clientIp = qEnvironmentVariable("LAN_CLIENT_IP");
    QProcess &client = children.start(
        qdclient, deadReplies ? QStringList{QStringLiteral("--probe-target"), clientIp} : QStringList{}, x);
    const QRectF martyriesshow = controlRect(qdclient, QStringLiteral("martyriesshow"));
    const QRectF back = controlRect(qdclient, QStringLiteral("Button1"), QStringLiteral("FormMartyries"));
    const auto activeWindowName = [&] {
        return QString::fromUtf8(xdotool(x, {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}))
            .trimmed();
    };

    const QString fullScreen = QStringLiteral("Position: 0,0 (screen: 0)\n  Geometry: %1\n").arg(kScreen);
    QByteArray geometry;
    const auto mainWindowShown = [&] {
        geometry = xdotool(x, {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                               QStringLiteral("^QD Client V 2.0$"), QStringLiteral("getwindowgeometry")});
        return geometry.contains(fullScreen.toLatin1());
    };
    const auto notFullScreen = [&] {
        const QByteArray any = xdotool(x, {QStringLiteral("search"), QStringLiteral("--name"),
                                           QStringLiteral("^QD Client V 2.0$"), QStringLiteral("getwindowgeometry")});
        return QStringLiteral("the main window is not shown full screen (xdotool: %1; unmapped too: %2; client %3)")
            .arg(QString::fromUtf8(geometry).simplified(), QString::fromUtf8(any).simplified(),
                 client.state() == QProcess::Running ? QStringLiteral("running") : QStringLiteral("ended"));
    };
    if (deadReplies) {
        if (!waitFor(mainWindowShown, 30000))
            finish(1, notFullScreen());
        QUdpSocket replies;
        const auto reply = [&](const QByteArray &host) {
            replies.writeDatagram(host + '\n', QHostAddress(QHostAddress::LocalHost), 8091);
        };
        reply("10.213.0.77");
        for (int i = 0; i < 8; ++i)
            reply("10.213.0." + QByteArray::number(80 + i));
        // Real clicks while those connects run: each must open or close the window at once.
        const QString martyries = QStringLiteral("Αρκτικές Μαρτυρίες ήχου");
        const QString main = QStringLiteral("QD Client V 2.0");
        qint64 slowest = 0;
        QElapsedTimer during;
        during.start();
        int rounds = 0;
        while (during.elapsed() < 5000) {
            for (const auto &[at, shows] :
                 {std::pair{martyriesshow.center(), martyries}, std::pair{back.center(), main}}) {
                QElapsedTimer took;
                took.start();
                click(x, at);
                if (!waitFor([&] { return activeWindowName() == shows; }, 10000))
                    finish(1, QStringLiteral("a click did not show %1").arg(shows));
                slowest = qMax(slowest, took.elapsed());
                if (took.elapsed() >= 500)
                    finish(1, QStringLiteral("showing %1 took %2 ms").arg(shows).arg(took.elapsed()));
            }
            ++rounds;
        }
        std::fprintf(stderr, "real_client_on_x: %d rounds of clicks during the dead replies, slowest %lld ms\n", rounds,
                     slowest);
        reply(qgetenv("LAN_SERVER_IP"));
    }
    // Found: the peer takes a connection from the client host.
    const QByteArray connected = "qd-peer: connection from " + clientIp.toLatin1() + ':';
    if (!waitFor([&] { return fileText(qEnvironmentVariable("QD_PEER_ERRORS")).contains(connected); }, 30000))
        finish(1, QStringLiteral("the client never connected to the peer"));
    // One click, once the window manager shows the main window over the whole screen.
    if (!waitFor(mainWindowShown, 30000))
        finish(1, notFullScreen());
    const auto words = [] { return fileText(qEnvironmentVariable("QD_PEER_OUTPUT")); };
    click(x, a15.center());
    waitFor([&] { return !words().isEmpty(); }, 30000);
    if (!words().startsWith("a15\t"))
        finish(1, QStringLiteral("the peer did not get a15 (it printed: %1)").arg(QString::fromUtf8(words())));
    if (words().count('\n') != 1)
        finish(1, QStringLiteral("the peer got more than a15: %1").arg(QString::fromUtf8(words())));
    // What reached the server's network was the probe, "qd" from port 8091, and nothing else.
    const QList<QByteArray> probes = fileText(qEnvironmentVariable("QD_PEER_PROBES")).split('\n');
    const QByteArray probe = "from " + qgetenv("LAN_CLIENT_IP") + ":8091 to ";
    for (const QByteArray &line : probes) {
        if (!line.isEmpty() && (!line.startsWith(probe) || !line.endsWith(" bytes 7164")))
            finish(1, QStringLiteral("the peer saw a stray datagram: %1").arg(QString::fromLatin1(line)));
    }
    if (probes.size() < 2 && !deadReplies)
        finish(1, QStringLiteral("the peer saw no probe"));
    if (client.state() != QProcess::Running)
        finish(1, QStringLiteral("the program ended by itself"));
    std::fprintf(stderr, "real_client_on_x: found the peer, a15 arrived\n");
    return 0;
}
