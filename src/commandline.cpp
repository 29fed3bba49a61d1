#include "commandline.h"

#include <palette/offscreenscreen.h>

#include <QCommandLineParser>

namespace qd {

namespace {

ParsedCommandLine failed(const QString &reason)
{
    ParsedCommandLine parsed;
    parsed.action = ParsedCommandLine::Action::Error;
    parsed.text = QStringLiteral("qdclient: %1 (qdclient --help lists the options)\n").arg(reason);
    return parsed;
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-screen" means "--screen", not the short options s, c, r, e, e, n.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("QD Client: a full-screen touch palette for entering Byzantine music notation. Every tapped\n"
                       "key's command word goes to Server QD, which the client finds on the local network by a\n"
                       "UDP broadcast probe to 255.255.255.255:8090."));
    // Our own help option: QCommandLineParser's adds --help-all, whose Qt options this parser
    // does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's version and exit."));
    const QCommandLineOption probeTarget(
        QStringLiteral("probe-target"),
        QStringLiteral("Send the discovery probe to this IPv4 address (one network's broadcast address, or one "
                       "host) instead of 255.255.255.255."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption reportExposed(
        QStringLiteral("report-exposed"),
        QStringLiteral("Print \"exposed\" on stdout once the main window is on screen (for benchmarks)."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render all five windows offscreen into DIR/<window>.png and exit; sends nothing."),
        QStringLiteral("DIR"));
    const QCommandLineOption layoutJson(
        QStringLiteral("layout-json"),
        QStringLiteral("Print every control's rectangle in window pixels as JSON and exit; sends nothing."));
    const QCommandLineOption screen(
        QStringLiteral("screen"),
        QStringLiteral("Screen size of --screenshot and --layout-json, for example 1920x1080 (default 1024x720)."),
        QStringLiteral("WxH"));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Connect to this server only (port 6000 unless given) and keep reconnecting there; no "
                       "discovery probe is sent and no reply can redirect the client."),
        QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption lang(QStringLiteral("lang"),
                                  QStringLiteral("The windows' language: el (Greek, the default) or en (English); "
                                                 "without it the system's language decides."),
                                  QStringLiteral("el|en"));
    parser.addOptions({help, version, probeTarget, reportExposed, screenshot, layoutJson, screen, server, lang});

    if (!parser.parse(arguments))
        return failed(parser.errorText());

    ParsedCommandLine parsed;
    if (parser.isSet(help)) {
        parsed.action = ParsedCommandLine::Action::Help;
        parsed.text = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("qdclient"));
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.action = ParsedCommandLine::Action::Version;
        parsed.text = QStringLiteral("qdclient " QD_VERSION "\n");
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty())
        return failed(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));

    CommandLine &o = parsed.options;
    if (parser.isSet(screenshot)) {
        o.screenshotDir = parser.value(screenshot);
        if (o.screenshotDir.isEmpty())
            return failed(QStringLiteral("--screenshot needs a directory."));
    }
    o.layoutJson = parser.isSet(layoutJson);
    if (parser.isSet(screen)) {
        if (!o.developerRun())
            return failed(QStringLiteral("--screen applies only to --screenshot and --layout-json."));
        o.screen = qd::palette::parseScreenSize(parser.value(screen));
        if (!o.screen.isValid())
            return failed(
                QStringLiteral("--screen needs a size such as 1920x1080, not '%1'.").arg(parser.value(screen)));
    }
    if (parser.isSet(probeTarget)) {
        const QString text = parser.value(probeTarget);
        const QHostAddress target(text);
        if (target.isNull() || target.protocol() != QAbstractSocket::IPv4Protocol)
            return failed(QStringLiteral("--probe-target needs an IPv4 address, not '%1'.").arg(text));
        o.probeTarget = target;
    }
    if (parser.isSet(server)) {
        const QString text = parser.value(server);
        QString host = text;
        quint16 port = 6000;
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0) {
            bool ok = false;
            const uint value = QStringView(text).mid(colon + 1).toUInt(&ok);
            if (!ok || value == 0 || value > 65535)
                return failed(QStringLiteral("--server needs a port from 1 to 65535, not '%1'.").arg(text));
            host = text.left(colon);
            port = quint16(value);
        }
        if (host.isEmpty() || host.contains(QLatin1Char(':')) || host.contains(QLatin1Char(' ')))
            return failed(QStringLiteral("--server needs HOST or HOST:PORT, not '%1'.").arg(text));
        o.serverHost = host;
        o.serverPort = port;
    }
    if (parser.isSet(lang)) {
        o.language = parser.value(lang);
        if (o.language != QLatin1String("el") && o.language != QLatin1String("en"))
            return failed(QStringLiteral("--lang needs el or en, not '%1'.").arg(o.language));
    }
    o.reportExposed = parser.isSet(reportExposed);
    return parsed;
}

} // namespace qd
