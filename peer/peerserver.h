#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <optional>

class QFile;
class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace qd::peer {

// How the peer answers each command line.
enum class ReplyMode {
    Ok,               // "ok" LF
    Empty,            // LF alone
    Silent,           // no reply
    Reject,           // the reject text and LF
    CloseAfter,       // "ok" LF to each line; the connection is closed after the Nth line's reply (0: at once)
    ResetAfter,       // "ok" LF to the first N-1 lines; the Nth line is met with a reset instead
    Delay,            // "ok" LF, sent N milliseconds after the line came
    StopReadingAfter, // "ok" LF to the first N lines, then the connection is never read again
    StreamLines,      // no replies; "ok" LF lines are sent without end from the accept on
    StreamBytes,      // no replies; bytes without any LF are sent without end from the accept on
};

struct PeerOptions
{
    QHostAddress listenAddress{QHostAddress::AnyIPv4};
    quint16 tcpPort = 6000;
    quint16 udpPort = 8090;
    bool discovery = true;
    QString hostText = QStringLiteral("127.0.0.1");
    ReplyMode mode = ReplyMode::Ok;
    int modeValue = 0; // N of close-after / reset-after, milliseconds of delay
    QString rejectText = QStringLiteral("no");
    // Where every datagram that reaches the discovery port is written down, one a line;
    // nowhere when empty.
    QString probeLog;
    int receiveBuffer = 0; // SO_RCVBUF of each connection in bytes; 0 leaves the system's
};

// Parses "ok", "empty", "silent", "reject", "close-after N", "reset-after N", "delay MS",
// "stop-reading-after N", "stream-lines", "stream-bytes", where the number may also be joined
// with '=' ("close-after=3"). Returns nothing on bad input.
std::optional<std::pair<ReplyMode, int>> parseMode(const QString &mode, const QString &number);

// The reference peer: answers discovery probes on UDP and receives command lines on TCP,
// printing each command word on stdout. Connections are served side by side, each counting
// its own lines.
class PeerServer : public QObject
{
    Q_OBJECT

public:
    explicit PeerServer(const PeerOptions &options, QObject *parent = nullptr);

    // Binds the TCP and (unless discovery is off) the UDP port. On failure *error says why.
    bool start(QString *error);
    quint16 tcpPort() const;
    quint16 udpPort() const; // 0 when discovery is off

private:
    void acceptConnections();
    void readLines(QTcpSocket *socket);
    // Returns false when the connection has been closed or reset and no further line is taken.
    bool answerLine(QTcpSocket *socket, const QByteArray &line);
    // Keeps the stream of a streaming mode topped up in the socket's write buffer.
    void stream(QTcpSocket *socket);
    void stopReading(QTcpSocket *socket);
    void answerProbes();

    PeerOptions m_options;
    QTcpServer *m_server;
    QUdpSocket *m_udp;
    QFile *m_probeLog = nullptr;
};

} // namespace qd::peer
