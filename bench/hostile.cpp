#include "hostile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>

namespace qd::bench {

namespace {

const char *const kAddresses[] = {"127.0.0.2", "127.0.0.3", "127.0.0.4", "10.213.9.2"};

// The isolated namespace's link to nowhere; the vanishing server's address goes on it.
const char *const kSinkLink = "sink0";

QString ipTool()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ip"));
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("ip"), {"/usr/sbin", "/sbin"}) : found;
}

} // namespace

HostileServers::HostileServers() = default;

HostileServers::~HostileServers()
{
    if (m_vanished)
        comeBack();
    for (auto &peer : m_peers) {
        if (!peer)
            continue;
        peer->terminate();
        if (!peer->waitForFinished(5000)) {
            peer->kill();
            peer->waitForFinished(5000);
        }
    }
    if (m_peers[Vanishes])
        runIp({"addr", "del", QStringLiteral("%1/32").arg(QLatin1String(kAddresses[Vanishes])), "dev", kSinkLink});
}

const char *HostileServers::name(Kind kind)
{
    switch (kind) {
    case StopsReading: return "stops reading";
    case StreamsLines: return "streams ok lines";
    case StreamsBytes: return "streams bytes";
    case Vanishes: return "vanishes";
    case KindCount: break;
    }
    return "?";
}

QByteArray HostileServers::reply(Kind kind) const
{
    return QByteArray(kAddresses[kind]) + '\n';
}

bool HostileServers::runIp(const QStringList &arguments)
{
    const QString ip = ipTool();
    if (ip.isEmpty())
        return false;
    QProcess process;
    process.start(ip, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool HostileServers::start(quint16 port, QString *error)
{
    // Only where the link to nowhere exists, and the address can be put on it.
    const bool canVanish =
        runIp({"link", "show", "dev", kSinkLink}) &&
        runIp({"addr", "add", QStringLiteral("%1/32").arg(QLatin1String(kAddresses[Vanishes])), "dev", kSinkLink});
    for (int k = 0; k < KindCount; ++k) {
        const auto kind = Kind(k);
        if (kind == Vanishes && !canVanish)
            continue;
        QStringList arguments{"--listen", kAddresses[kind], "--tcp-port", QString::number(port), "--no-discovery"};
        switch (kind) {
        case StopsReading:
            arguments << "--mode"
                      << "stop-reading-after"
                      << "0"
                      << "--receive-buffer"
                      << "2048";
            break;
        case StreamsLines:
            arguments << "--mode"
                      << "stream-lines";
            break;
        case StreamsBytes:
            arguments << "--mode"
                      << "stream-bytes";
            break;
        default: break;
        }
        // It says it is listening by writing its port file; nothing else it prints is looked at.
        const QString portFile = m_files.filePath(QStringLiteral("%1.port").arg(k));
        arguments << "--port-file" << portFile;
        auto peer = std::make_unique<QProcess>();
        peer->setStandardOutputFile(QProcess::nullDevice());
        peer->setStandardErrorFile(QProcess::nullDevice());
        peer->start(QStringLiteral(QD_PEER_PATH), arguments);
        const QDeadlineTimer deadline(10000);
        while (!QFile::exists(portFile) && peer->state() != QProcess::NotRunning && !deadline.hasExpired())
            peer->waitForFinished(20);
        if (!QFile::exists(portFile)) {
            *error = QStringLiteral("the server that %1 did not start on %2:%3")
                         .arg(QLatin1String(name(kind)), QLatin1String(kAddresses[kind]))
                         .arg(port);
            return false;
        }
        m_peers[kind] = std::move(peer);
    }
    return true;
}

bool HostileServers::vanish()
{
    m_vanished =
        runIp({"addr", "del", QStringLiteral("%1/32").arg(QLatin1String(kAddresses[Vanishes])), "dev", kSinkLink});
    return m_vanished;
}

bool HostileServers::comeBack()
{
    if (!runIp({"addr", "add", QStringLiteral("%1/32").arg(QLatin1String(kAddresses[Vanishes])), "dev", kSinkLink}))
        return false;
    m_vanished = false;
    return true;
}

} // namespace qd::bench
