// qd-peer: a reference peer server for the QD client, for tests and trials.

#include "peerserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

bool parsePort(const QString &text, quint16 *port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = quint16(value);
    return true;
}

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "qd-peer: %s\n", qPrintable(message));
    std::exit(2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qd-peer"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reference peer server for the QD client. Prints every command word it receives on stdout,\n"
                       "one per line. Answers the discovery probe \"qd\" on UDP with the host text and LF.\n"
                       "\n"
                       "Reply modes:\n"
                       "  ok               \"ok\" LF to every line (default)\n"
                       "  empty            LF alone\n"
                       "  silent           no reply\n"
                       "  reject           the reject text and LF\n"
                       "  close-after N    \"ok\" LF to each line, then close after the Nth line\n"
                       "  reset-after N    \"ok\" LF to the first N-1 lines, reset the connection at the Nth\n"
                       "  delay MS         \"ok\" LF, MS milliseconds after each line\n"
                       "  stop-reading-after N\n"
                       "                   \"ok\" LF to the first N lines, then never read the connection again\n"
                       "  stream-lines     no replies; send \"ok\" LF lines without end from the accept on\n"
                       "  stream-bytes     no replies; send bytes without any LF without end from the accept on\n"
                       "close-after 0 and stop-reading-after 0 act at the accept."));
    parser.addHelpOption();
    const QCommandLineOption tcpPort(QStringLiteral("tcp-port"),
                                     QStringLiteral("TCP port of the command connection (0: any free port)."),
                                     QStringLiteral("N"), QStringLiteral("6000"));
    const QCommandLineOption udpPort(QStringLiteral("udp-port"),
                                     QStringLiteral("UDP port of the discovery probe (0: any free port)."),
                                     QStringLiteral("N"), QStringLiteral("8090"));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Address to listen on (default: every IPv4 address)."),
                                    QStringLiteral("ADDR"), QStringLiteral("0.0.0.0"));
    const QCommandLineOption hostText(QStringLiteral("host-text"), QStringLiteral("Host text of the discovery reply."),
                                      QStringLiteral("TEXT"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption noDiscovery(QStringLiteral("no-discovery"),
                                         QStringLiteral("Do not answer discovery probes."));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("Reply mode (see above); the number follows as the next argument."),
                                  QStringLiteral("MODE"), QStringLiteral("ok"));
    const QCommandLineOption rejectText(QStringLiteral("reject-text"), QStringLiteral("Reply of the reject mode."),
                                        QStringLiteral("TEXT"), QStringLiteral("no"));
    const QCommandLineOption receiveBuffer(
        QStringLiteral("receive-buffer"),
        QStringLiteral("Receive buffer of each connection in bytes, so that a client that is not read fills it soon."),
        QStringLiteral("BYTES"), QStringLiteral("0"));
    const QCommandLineOption portFile(
        QStringLiteral("port-file"), QStringLiteral("Write \"tcp N\" and \"udp N\" lines to this file once listening."),
        QStringLiteral("PATH"));
    const QCommandLineOption probeLog(
        QStringLiteral("probe-log"),
        QStringLiteral("Append a line for every datagram on the discovery port to this file:\n"
                       "\"from ADDR:PORT to ADDR bytes HEX\"."),
        QStringLiteral("PATH"));
    parser.addOptions(
        {tcpPort, udpPort, listen, hostText, noDiscovery, mode, rejectText, receiveBuffer, portFile, probeLog});
    parser.addPositionalArgument(QStringLiteral("N"),
                                 QStringLiteral("The number of a close-after, reset-after or delay mode."),
                                 QStringLiteral("[N]"));
    parser.process(app);

    qd::peer::PeerOptions options;
    if (!parsePort(parser.value(tcpPort), &options.tcpPort))
        fail(QStringLiteral("bad --tcp-port"));
    if (!parsePort(parser.value(udpPort), &options.udpPort))
        fail(QStringLiteral("bad --udp-port"));
    if (!options.listenAddress.setAddress(parser.value(listen)))
        fail(QStringLiteral("bad --listen address"));
    options.discovery = !parser.isSet(noDiscovery);
    options.hostText = parser.value(hostText);
    options.rejectText = parser.value(rejectText);
    options.probeLog = parser.value(probeLog);
    bool bufferOk = false;
    options.receiveBuffer = parser.value(receiveBuffer).toInt(&bufferOk);
    if (!bufferOk || options.receiveBuffer < 0)
        fail(QStringLiteral("bad --receive-buffer"));
    const QStringList numbers = parser.positionalArguments();
    if (numbers.size() > 1)
        fail(QStringLiteral("too many arguments"));
    const auto parsedMode = qd::peer::parseMode(parser.value(mode), numbers.value(0));
    if (!parsedMode)
        fail(QStringLiteral("bad --mode (try --help)"));
    options.mode = parsedMode->first;
    options.modeValue = parsedMode->second;

    qd::peer::PeerServer server(options);
    QString error;
    if (!server.start(&error))
        fail(error);

    const QString udp = options.discovery ? QString::number(server.udpPort()) : QStringLiteral("off");
    if (parser.isSet(portFile)) {
        QFile file(parser.value(portFile));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fail(QStringLiteral("cannot write %1").arg(file.fileName()));
        file.write(QStringLiteral("tcp %1\nudp %2\n").arg(server.tcpPort()).arg(udp).toLatin1());
    }
    // Tests wait for this line before they connect.
    std::fprintf(stderr, "qd-peer: listening on tcp %u, udp %s\n", unsigned(server.tcpPort()), qPrintable(udp));
    std::fflush(stderr);
    return app.exec();
}
