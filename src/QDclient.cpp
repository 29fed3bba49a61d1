// The program's start-up: load the look set, create the five windows hidden, show the
// main window full screen and run the event loop. Two developer options render the
// windows offscreen instead and send nothing on the network.

#include <QD_client.h>
#include <program.h>

#include <palette/application.h>
#include <palette/formwindow.h>
#include <palette/offscreenscreen.h>
#include <palette/windowset.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

namespace {

struct Options
{
    QSize screen{1024, 720};
    QString screenshotDir;
    bool layoutJson = false;
    QString probeTarget;
    bool reportExposed = false;
    bool ok = true;
};

// Read before the application object exists: the screen size decides the platform.
Options parseOptions(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(arg, "--screen") && hasValue) {
            o.screen = qd::palette::parseScreenSize(QString::fromLocal8Bit(argv[++i]));
            o.ok = o.ok && o.screen.isValid();
        } else if (!std::strcmp(arg, "--screenshot") && hasValue) {
            o.screenshotDir = QString::fromLocal8Bit(argv[++i]);
        } else if (!std::strcmp(arg, "--layout-json")) {
            o.layoutJson = true;
        } else if (!std::strcmp(arg, "--probe-target") && hasValue) {
            o.probeTarget = QString::fromLocal8Bit(argv[++i]);
        } else if (!std::strcmp(arg, "--report-exposed")) {
            o.reportExposed = true;
        } else if (!std::strcmp(arg, "--help")) {
            o.ok = false;
        }
    }
    return o;
}

// Shows every window full screen in turn, as the user would see it, and hands it to `visit`.
template <class Visit>
void visitWindows(Visit visit)
{
    auto &set = qd::palette::WindowSet::instance();
    for (qd::palette::FormWindow *w : set.windows()) {
        set.show(w);
        QCoreApplication::processEvents();
        visit(w);
        if (w != set.mainWindow())
            w->hide();
    }
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parseOptions(argc, argv);
    if (!options.ok) {
        std::fputs("usage: qdclient [--probe-target ADDRESS] [--report-exposed]\n"
                   "       qdclient [--screen WxH] --screenshot DIR | --layout-json\n",
                   stderr);
        return 2;
    }
    const bool developerRun = options.layoutJson || !options.screenshotDir.isEmpty();
    if (developerRun)
        qd::palette::useOffscreenScreen(options.screen);

    qd::palette::Application app(argc, argv);
    qd::windows::loadLookSet();

    qd::windows::LinkSettings settings;
    settings.networkEnabled = !developerRun;
    if (!options.probeTarget.isEmpty()) {
        const QHostAddress target(options.probeTarget);
        if (target.isNull() || target.protocol() != QAbstractSocket::IPv4Protocol) {
            std::fputs("qdclient: --probe-target needs an IPv4 address\n", stderr);
            return 2;
        }
        settings.probeTarget = target;
    }
    qd::windows::Program program(settings);

    if (developerRun) {
        if (!options.screenshotDir.isEmpty()) {
            QDir().mkpath(options.screenshotDir);
            visitWindows([&](qd::palette::FormWindow *w) {
                w->grab().save(QDir(options.screenshotDir).filePath(w->instanceName() + QStringLiteral(".png")));
            });
        }
        if (options.layoutJson) {
            QJsonArray windows;
            visitWindows([&](qd::palette::FormWindow *w) { windows.append(w->layoutJson()); });
            QTextStream(stdout)
                << QJsonDocument(QJsonObject{{QStringLiteral("windows"), windows}}).toJson(QJsonDocument::Compact)
                << '\n';
        }
        return 0;
    }

    program.start();
    if (options.reportExposed) {
        // For the start-up benchmark (bench/): one line on stdout once the main window is on
        // screen; the program then runs on as usual.
        auto *poll = new QTimer(&app);
        QObject::connect(poll, &QTimer::timeout, poll, [poll] {
            const QWidget *main = qd::palette::WindowSet::instance().mainWindow();
            if (main && main->windowHandle() && main->windowHandle()->isExposed()) {
                poll->stop();
                std::fputs("exposed\n", stdout);
                std::fflush(stdout);
            }
        });
        poll->start(0);
    }
    return app.exec();
}
