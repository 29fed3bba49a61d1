// The program's start-up: load the look set, create the five windows hidden, show the
// main window full screen and run the event loop. Two developer options render the
// windows offscreen instead and send nothing on the network.

#include <QD_client.h>
#include <commandline.h>
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

namespace {

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
    // Settled before the application object exists: nothing opens for a bad command line, and
    // the screen size of a rendering run decides the platform.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const qd::ParsedCommandLine parsed = qd::parseCommandLine(arguments);
    if (parsed.action != qd::ParsedCommandLine::Action::Run) {
        std::fputs(parsed.text.toLocal8Bit().constData(), parsed.toStdout() ? stdout : stderr);
        return parsed.exitStatus();
    }
    const qd::CommandLine &options = parsed.options;
    const bool developerRun = options.developerRun();
    if (developerRun)
        qd::palette::useOffscreenScreen(options.screen);

    // Every log line with its time and category; QT_MESSAGE_PATTERN still overrides it. The qd.*
    // categories are off unless QT_LOGGING_RULES switches them on (for example "qd.*.debug=true").
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{if-category}%{category}: %{endif}%{message}"));
    qd::palette::Application app(argc, argv);
    qd::windows::useLanguage(options.language);
    qd::windows::loadLookSet();

    qd::windows::LinkSettings settings;
    settings.networkEnabled = !developerRun;
    settings.rememberServer = !developerRun;
    settings.pinnedHost = options.serverHost;
    settings.pinnedPort = options.serverPort;
    if (!options.probeTarget.isNull()) {
        settings.probeTarget = options.probeTarget;
        settings.probeTargetOnly = true;
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

    qd::windows::closeMainWindowOnTerminationRequest();
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
