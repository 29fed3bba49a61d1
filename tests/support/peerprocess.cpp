#include "support/peerprocess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

PeerProcess::PeerProcess() = default;

PeerProcess::~PeerProcess()
{
    stop();
}

bool PeerProcess::start(const QStringList &arguments, int timeoutMs)
{
    m_stdout.clear();
    m_stderr.clear();
    m_error.clear();
    QStringList all{QStringLiteral("--listen"), QStringLiteral("127.0.0.1"),  QStringLiteral("--tcp-port"),
                    QStringLiteral("0"),        QStringLiteral("--udp-port"), QStringLiteral("0")};
    all += arguments;
    m_process.setProgram(QStringLiteral(QD_PEER_PATH));
    m_process.setArguments(all);
    m_process.setReadChannel(QProcess::StandardError);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("qd-peer did not start: %1").arg(m_process.errorString());
        return false;
    }

    static const QRegularExpression ready(QStringLiteral("qd-peer: listening on tcp (\\d+), udp (\\d+|off)\n"));
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        takeOutput();
        const QRegularExpressionMatch match = ready.match(QString::fromUtf8(m_stderr));
        if (match.hasMatch()) {
            m_tcpPort = quint16(match.captured(1).toUInt());
            m_udpPort = quint16(match.captured(2).toUInt());
            return true;
        }
        if (m_process.state() != QProcess::Running || deadline.hasExpired() ||
            !m_process.waitForReadyRead(int(deadline.remainingTime()))) {
            takeOutput();
            m_error = QStringLiteral("qd-peer did not get ready: %1").arg(QString::fromUtf8(m_stderr));
            stop();
            return false;
        }
    }
}

void PeerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QStringList PeerProcess::receivedWords()
{
    takeOutput();
    const qsizetype end = m_stdout.lastIndexOf('\n');
    if (end < 0)
        return {};
    // Each line is the word, then a tab and the sign's name where the peer knows it.
    QStringList words = QString::fromUtf8(m_stdout.left(end)).split(QLatin1Char('\n'));
    for (QString &line : words)
        line = line.section(QLatin1Char('\t'), 0, 0);
    return words;
}

bool PeerProcess::waitForWords(int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    m_process.setReadChannel(QProcess::StandardOutput);
    for (;;) {
        if (receivedWords().size() >= count)
            return true;
        if (m_process.state() != QProcess::Running || deadline.hasExpired())
            return false;
        m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 100)));
    }
}

bool PeerProcess::waitForClose(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        takeOutput();
        const qsizetype at = m_stderr.indexOf(" closed");
        if (at >= 0 && m_stderr.indexOf('\n', at) >= 0)
            return !m_stderr.contains("bytes after the last line");
        if (m_process.state() != QProcess::Running || deadline.hasExpired())
            return false;
        m_process.setReadChannel(QProcess::StandardError);
        m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 100)));
    }
}

QByteArray PeerProcess::errorOutput()
{
    takeOutput();
    return m_stderr;
}

void PeerProcess::takeOutput()
{
    m_stdout += m_process.readAllStandardOutput();
    m_stderr += m_process.readAllStandardError();
}
