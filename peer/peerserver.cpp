#include "peerserver.h"

#include "describeword.h"
#include "link/socket_platform.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

namespace qd::peer {

namespace {

const char *const kLinesProperty = "qdLines";
const char *const kBufferProperty = "qdBuffer";

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    // Tests and people watch this as it happens.
    std::fflush(stream);
}

void sendReply(QTcpSocket *socket, const QByteArray &reply)
{
    socket->write(reply);
    // Hand the reply to the system now, so that it is on its way before the word is printed.
    socket->flush();
}

} // namespace

std::optional<std::pair<ReplyMode, int>> parseMode(const QString &mode, const QString &number)
{
    QString name = mode;
    QString value = number;
    const qsizetype eq = mode.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        name = mode.left(eq);
        value = mode.mid(eq + 1);
    }
    struct Entry
    {
        const char *name;
        ReplyMode mode;
        bool needsNumber;
    };
    static const Entry entries[] = {
        {"ok", ReplyMode::Ok, false},
        {"empty", ReplyMode::Empty, false},
        {"silent", ReplyMode::Silent, false},
        {"reject", ReplyMode::Reject, false},
        {"close-after", ReplyMode::CloseAfter, true},
        {"reset-after", ReplyMode::ResetAfter, true},
        {"delay", ReplyMode::Delay, true},
        {"stop-reading-after", ReplyMode::StopReadingAfter, true},
        {"stream-lines", ReplyMode::StreamLines, false},
        {"stream-bytes", ReplyMode::StreamBytes, false},
    };
    for (const Entry &entry : entries) {
        if (name != QLatin1String(entry.name))
            continue;
        if (!entry.needsNumber)
            return value.isEmpty() ? std::optional(std::pair(entry.mode, 0)) : std::nullopt;
        bool ok = false;
        const int n = value.toInt(&ok);
        const bool zeroAllowed = entry.mode == ReplyMode::Delay || entry.mode == ReplyMode::CloseAfter ||
                                 entry.mode == ReplyMode::StopReadingAfter;
        if (!ok || n < (zeroAllowed ? 0 : 1))
            return std::nullopt;
        return std::pair(entry.mode, n);
    }
    return std::nullopt;
}

PeerServer::PeerServer(const PeerOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_server(new QTcpServer(this)), m_udp(new QUdpSocket(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &PeerServer::acceptConnections);
    connect(m_udp, &QUdpSocket::readyRead, this, &PeerServer::answerProbes);
}

bool PeerServer::start(QString *error)
{
    if (!m_server->listen(m_options.listenAddress, m_options.tcpPort)) {
        *error = QStringLiteral("cannot listen on tcp %1: %2").arg(m_options.tcpPort).arg(m_server->errorString());
        return false;
    }
    if (m_options.discovery && !m_udp->bind(m_options.listenAddress, m_options.udpPort)) {
        *error = QStringLiteral("cannot bind udp %1: %2").arg(m_options.udpPort).arg(m_udp->errorString());
        return false;
    }
    if (!m_options.probeLog.isEmpty()) {
        m_probeLog = new QFile(m_options.probeLog, this);
        if (!m_probeLog->open(QIODevice::WriteOnly | QIODevice::Append)) {
            *error = QStringLiteral("cannot write %1: %2").arg(m_options.probeLog, m_probeLog->errorString());
            return false;
        }
    }
    return true;
}

quint16 PeerServer::tcpPort() const
{
    return m_server->serverPort();
}

quint16 PeerServer::udpPort() const
{
    return m_udp->state() == QAbstractSocket::BoundState ? m_udp->localPort() : 0;
}

void PeerServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        const QString peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        printLine(stderr, QStringLiteral("qd-peer: connection from %1").arg(peer));
        socket->setProperty(kLinesProperty, 0);
        if (m_options.receiveBuffer > 0)
            socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, m_options.receiveBuffer);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readLines(socket); });
        // Whoever watches the peer learns that the client closed, and whether it left a piece
        // of a line behind.
        connect(socket, &QTcpSocket::disconnected, socket, [socket, peer] {
            const QByteArray rest = socket->property(kBufferProperty).toByteArray() + socket->readAll();
            printLine(stderr, rest.isEmpty() ? QStringLiteral("qd-peer: connection from %1 closed").arg(peer)
                                             : QStringLiteral("qd-peer: connection from %1 closed, %2 bytes after "
                                                              "the last line")
                                                   .arg(peer)
                                                   .arg(rest.size()));
            socket->deleteLater();
        });
        switch (m_options.mode) {
        case ReplyMode::CloseAfter:
            if (m_options.modeValue == 0)
                socket->disconnectFromHost();
            break;
        case ReplyMode::StopReadingAfter:
            if (m_options.modeValue == 0)
                stopReading(socket);
            break;
        case ReplyMode::StreamLines:
        case ReplyMode::StreamBytes:
            connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { stream(socket); });
            stream(socket);
            break;
        default: break;
        }
    }
}

void PeerServer::stream(QTcpSocket *socket)
{
    // About 64 KiB waiting at any time: enough to keep the connection full, little memory here.
    static const QByteArray lines = QByteArray("ok\n").repeated(8192);
    static const QByteArray bytes(24576, 'x');
    const QByteArray &chunk = m_options.mode == ReplyMode::StreamLines ? lines : bytes;
    while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 65536)
        socket->write(chunk);
}

void PeerServer::stopReading(QTcpSocket *socket)
{
    // Whatever the client sends from now on stays in the system's buffers, which fill up; Qt
    // takes no more than one byte into its own.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->setReadBufferSize(1);
}

void PeerServer::readLines(QTcpSocket *socket)
{
    QByteArray buffer = socket->property(kBufferProperty).toByteArray() + socket->readAll();
    qsizetype start = 0;
    for (;;) {
        const qsizetype lf = buffer.indexOf('\n', start);
        if (lf < 0)
            break;
        QByteArray line = buffer.mid(start, lf - start);
        if (line.endsWith('\r'))
            line.chop(1);
        start = lf + 1;
        if (!answerLine(socket, line))
            return;
        if (m_options.mode == ReplyMode::StopReadingAfter &&
            socket->property(kLinesProperty).toInt() >= m_options.modeValue) {
            stopReading(socket);
            return;
        }
    }
    socket->setProperty(kBufferProperty, buffer.mid(start));
}

bool PeerServer::answerLine(QTcpSocket *socket, const QByteArray &line)
{
    const QString word = QString::fromLatin1(line);
    const int count = socket->property(kLinesProperty).toInt() + 1;
    socket->setProperty(kLinesProperty, count);

    // The answer goes out before the word is printed: whoever sees the word can rely on the
    // answer (or the close) having happened.
    bool goOn = true;
    switch (m_options.mode) {
    case ReplyMode::Ok: sendReply(socket, "ok\n"); break;
    case ReplyMode::Empty: sendReply(socket, "\n"); break;
    case ReplyMode::Silent: break;
    case ReplyMode::Reject: sendReply(socket, m_options.rejectText.toLatin1() + '\n'); break;
    case ReplyMode::CloseAfter:
        sendReply(socket, "ok\n");
        if (count >= m_options.modeValue) {
            socket->disconnectFromHost();
            goOn = false;
        }
        break;
    case ReplyMode::ResetAfter:
        if (count >= m_options.modeValue) {
            // SO_LINGER 0 turns the close into a reset.
            qd::link::platform::setAbortiveClose(socket->socketDescriptor());
            socket->abort();
            goOn = false;
        } else {
            sendReply(socket, "ok\n");
        }
        break;
    case ReplyMode::Delay: {
        QTimer::singleShot(m_options.modeValue, socket, [socket] { sendReply(socket, "ok\n"); });
        break;
    }
    case ReplyMode::StopReadingAfter: sendReply(socket, "ok\n"); break;
    case ReplyMode::StreamLines:
    case ReplyMode::StreamBytes: break;
    }
    printLine(stdout, describeWord(word));
    return goOn;
}

void PeerServer::answerProbes()
{
    while (m_udp->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_udp->receiveDatagram();
        if (m_probeLog) {
            // Which network a probe came by shows in the address it was sent to.
            m_probeLog->write(QStringLiteral("from %1:%2 to %3 bytes %4\n")
                                  .arg(datagram.senderAddress().toString(), QString::number(datagram.senderPort()),
                                       datagram.destinationAddress().toString(),
                                       QString::fromLatin1(datagram.data().toHex()))
                                  .toLatin1());
            m_probeLog->flush();
        }
        if (datagram.data() != "qd")
            continue;
        // The host text and one more byte, which the client drops.
        m_udp->writeDatagram(m_options.hostText.toUtf8() + '\n', datagram.senderAddress(), datagram.senderPort());
        printLine(stderr, QStringLiteral("qd-peer: probe from %1:%2")
                              .arg(datagram.senderAddress().toString())
                              .arg(datagram.senderPort()));
    }
}

} // namespace qd::peer
