#include "benchpeer.h"

#include <link/socket_platform.h>

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>

namespace qd::bench {

BenchPeer::BenchPeer()
{
    m_arrivals.reserve(1 << 20);
}

BenchPeer::~BenchPeer()
{
    m_stop = true;
    wait();
}

void BenchPeer::begin()
{
    start();
    m_ready.acquire();
}

int BenchPeer::lineCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_taken + int(m_arrivals.size());
}

qint64 BenchPeer::arrival(int index) const
{
    QMutexLocker lock(&m_mutex);
    return m_arrivals.at(size_t(index - m_taken));
}

QStringList BenchPeer::words(int from) const
{
    QMutexLocker lock(&m_mutex);
    return m_words.mid(qMax(0, from - m_taken));
}

QStringList BenchPeer::takeWords()
{
    QMutexLocker lock(&m_mutex);
    const QStringList words = m_words;
    m_taken += int(m_arrivals.size());
    m_arrivals.clear();
    m_words.clear();
    return words;
}

bool BenchPeer::waitForLines(int count, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (lineCount() < count) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(50);
    }
    return true;
}

void BenchPeer::clear()
{
    QMutexLocker lock(&m_mutex);
    m_taken = 0;
    m_arrivals.clear();
    m_words.clear();
}

void BenchPeer::run()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    m_port = server.serverPort();
    m_ready.release();

    while (!m_stop) {
        // Connections Qt has already taken in come first; waiting for a new one would leave them
        // queued behind it.
        QTcpSocket *socket = server.nextPendingConnection();
        if (!socket) {
            server.waitForNewConnection(50);
            continue;
        }
        m_holding = true;
        ++m_connections;
        // The peer's own answers must not wait for acknowledgements: only the client's side is
        // under test.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QByteArray buffer;
        bool open = true;
        while (open && !m_stop) {
            if (!socket->waitForReadyRead(50)) {
                if (socket->state() != QAbstractSocket::ConnectedState)
                    break;
                continue;
            }
            buffer += socket->readAll();
            const qint64 at = nowNs();
            qsizetype start = 0;
            QByteArray answer;
            for (qsizetype lf; open && (lf = buffer.indexOf('\n', start)) >= 0; start = lf + 1) {
                QByteArray line = buffer.mid(start, lf - start);
                if (line.endsWith('\r'))
                    line.chop(1);
                const Mode mode = Mode(m_mode.load());
                // Whoever sees this line counted must also see that the connection is going.
                if (mode == Mode::Close || mode == Mode::Reset)
                    m_holding = false;
                {
                    QMutexLocker lock(&m_mutex);
                    m_arrivals.push_back(at);
                    m_words.append(QString::fromLatin1(line));
                }
                switch (mode) {
                case Mode::Ok: answer += "ok\n"; break;
                case Mode::Silent: break;
                case Mode::Reject: answer += "no\n"; break;
                case Mode::Close:
                    answer += "ok\n";
                    open = false;
                    break;
                case Mode::Reset:
                    qd::link::platform::setAbortiveClose(socket->socketDescriptor());
                    answer.clear();
                    open = false;
                    socket->abort();
                    break;
                }
            }
            buffer.remove(0, start);
            if (!answer.isEmpty() && socket->state() == QAbstractSocket::ConnectedState) {
                socket->write(answer);
                socket->flush();
            }
        }
        m_holding = false;
        if (socket->state() == QAbstractSocket::ConnectedState) {
            socket->disconnectFromHost();
            if (socket->state() != QAbstractSocket::UnconnectedState)
                socket->waitForDisconnected(1000);
        }
        delete socket;
    }
}

} // namespace qd::bench
