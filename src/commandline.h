#pragma once

// The program's command line, read before the application object exists (the screen size of a
// rendering run decides the window platform) and before any window or socket opens. To add an
// option: a field in CommandLine, its QCommandLineOption and its check in commandline.cpp, and a
// row in the command-line test.

#include <QHostAddress>
#include <QSize>
#include <QString>
#include <QStringList>

namespace qd {

struct CommandLine
{
    // Developer runs: render offscreen at this size, send nothing and exit.
    QSize screen{1024, 720};
    QString screenshotDir;
    bool layoutJson = false;
    // Where the discovery probe goes; null keeps the program's broadcast address.
    QHostAddress probeTarget;
    bool reportExposed = false;
    // --server HOST[:PORT]: connect there only; discovery neither probes nor takes replies.
    QString serverHost;
    // --lang el|en: the windows' language; empty: the system's.
    QString language;
    quint16 serverPort = 0;

    bool developerRun() const { return layoutJson || !screenshotDir.isEmpty(); }
};

struct ParsedCommandLine
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    CommandLine options;
    // Help or version for stdout, or one line naming what was wrong for stderr; ends in LF.
    QString text;

    int exitStatus() const { return action == Action::Error ? 2 : 0; }
    bool toStdout() const { return action == Action::Help || action == Action::Version; }
};

// `arguments` as the program received them, the program's name first.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

} // namespace qd
