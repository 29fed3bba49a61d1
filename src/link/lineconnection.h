#pragma once

#include "link/failure.h"
#include "link/socket_platform.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace qd::link {

class NameLookup;

// The one TCP connection to the peer server (the settings window's `IdTCPClient1`).
//
// Writes and reply reads block the calling thread; a connect can run without blocking it
// (startConnect()) or block within its bound (connectToServer()). The state follows the
// connection object's life: there is none at the start and after a failed connect attempt; the
// first attempt makes one and later attempts reuse it. A connection ends either by
// disconnectFromServer(), which raises disconnected(), or on its own: closed or reset by the
// server, a server that sends more than the queue holds, a send that cannot hand over its line in
// time, or a server that has stopped answering at all. Those ends close our side and raise
// connectionLost() once, from the event loop.
//
// What a hostile or broken server can cost is bounded: the receive queue never holds more than
// kMaxQueued bytes, a send never blocks for longer than sendTimeoutMs(), and keep-alive probes
// with a bound on unanswered data find a vanished server within a few seconds. While open, the
// socket is watched from the event loop: whatever arrives is taken into the queue at once (reply
// lines stay queued for the reads), so a close or reset shows when it happens, not at the next tap.
class LineConnection : public QObject
{
    Q_OBJECT

public:
    // Reply lines longer than this (bytes before the LF) make the read fail.
    static constexpr int kMaxLineLength = 16384;
    // The most bytes one receive takes into the queue.
    static constexpr int kReceiveChunk = 32768;
    // The most bytes the receive queue holds: a few lines of the longest length. A server that
    // sends more than that without being read is failing, and the connection ends as if the
    // server had closed it. The same holds for a refused long line whose end never comes.
    static constexpr int kMaxQueued = 4 * kMaxLineLength;

    explicit LineConnection(QObject *parent = nullptr);
    ~LineConnection() override;

    void setHost(const QString &host) { m_host = host; }
    QString host() const { return m_host; }
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }

    // Our bound on a connect attempt, the name lookup included. The system's own would leave an
    // attempt going for minutes when the host does not answer. 0 or less leaves it to the system.
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    int connectTimeoutMs() const { return m_connectTimeoutMs; }

    // How long one reply read waits in total for a complete line before it gives up and yields
    // an empty line, which the reply check accepts. Never unbounded: a silent server must not
    // hang the windows.
    void setReadWaitMs(int ms) { m_readWaitMs = qMax(ms, 0); }
    int readWaitMs() const { return m_readWaitMs; }

    // Bound on the send of one line, e.g. to a server that has stopped reading. A send that runs
    // into it closes the connection: part of the line may have gone, and the next line would be
    // glued onto it. Taken at the next connect; 0 means no bound.
    void setSendTimeoutMs(int ms) { m_sendTimeoutMs = qMax(ms, 0); }
    int sendTimeoutMs() const { return m_sendTimeoutMs; }

    // How a connection finds out that the server has gone without a word; taken at the next
    // connect.
    void setLiveness(const platform::Liveness &liveness) { m_liveness = liveness; }
    platform::Liveness liveness() const { return m_liveness; }

    bool hasConnectionObject() const { return m_hasObject; }
    bool isOpen() const { return m_socket != platform::kNoSocket; }
    bool closedByServer() const { return m_closedByServer; }

    // Throws Failure: "Already connected."; an empty text for an empty host or port 0;
    // "Socket Error # <n>\n<description>" for a failed lookup or connect. Raises connected().
    // A host written as a dotted IPv4 address is connected to as it stands, without any
    // lookup; a host name is looked up for IPv4 addresses only. Blocks for up to the bound.
    void connectToServer();

    // The same connect without blocking: the refusals it can tell at once throw as above;
    // otherwise exactly one of connected() and connectFailed() follows from the event loop,
    // unless abortConnect() comes first. Lookup and connect together end within the bound.
    void startConnect();
    // Ends an attempt under way without a signal, as if it had failed.
    void abortConnect();
    bool isConnecting() const { return m_connecting; }

    // Runs the connected test, then closes the connection and raises disconnected() if it was
    // still open. Does nothing more on a connection that is not open.
    void disconnectFromServer();

    // Polls without waiting, moving arrived bytes into the receive queue; a close by the server,
    // a reset or an abort found here closes our side without disconnected(). True while open:
    // unread bytes do not keep a closed connection counted as connected, so that a disconnect
    // always leaves the next connect free to open a fresh one.
    bool connectedTest();

    // Sends word + CR LF in one send (characters above U+007F travel as '?'). Throws Failure.
    void writeLine(const QString &word);

    // Takes the oldest line from the receive queue, waiting up to readWaitMs() for one to
    // complete; yields an empty line when none did. Throws Failure.
    QString readLine();

    // The receive queue: bytes received and not yet read, in arrival order.
    QByteArray pendingBytes() const { return m_queue; }

    // The open connection's socket, kNoSocket while not open.
    platform::SocketHandle socketHandle() const { return m_socket; }

signals:
    void connected();
    void disconnected();
    // An attempt started by startConnect() failed; the text is the one connectToServer() throws.
    void connectFailed(const QString &text);
    // The connection has ended on its own and our side is closed. Raised from the event loop,
    // once per connection, and not at all when a new connection has opened in the meantime.
    void connectionLost();

private:
    void beginTcpConnect(quint32 address);
    void endAttempt(int error);
    // Appends one receive to the queue. Returns false when the connection ended (end of stream
    // or a lost connection, our side then closed) or failed; *error holds the error, 0 for end
    // of stream.
    bool receiveIntoQueue(int *error);
    // Closes our side after the connection has ended on its own, and reports it.
    void loseConnection();
    // Ends a connection whose server has sent more than it may; counted as a close by the server.
    void overflow();
    void closeOurSide();
    void dropObject();
    // Removes bytes at the front of the queue that still belong to a line already refused as too
    // long; true when that line's end has been reached.
    bool skipRestOfLongLine();
    void watchSocket();

    QString m_host;
    quint16 m_port = 0;
    int m_connectTimeoutMs = 3000;
    int m_readWaitMs = 1000;
    int m_sendTimeoutMs = 2000;
    platform::Liveness m_liveness;

    bool m_hasObject = false;
    platform::SocketHandle m_socket = platform::kNoSocket;
    bool m_closedByServer = false;
    QByteArray m_queue;
    bool m_skippingLongLine = false;

    // The attempt under way, if any.
    bool m_connecting = false;
    quint64 m_attempt = 0;
    platform::SocketHandle m_connectingSocket = platform::kNoSocket;
    NameLookup *m_lookup = nullptr;
    QTimer *m_connectBound = nullptr;
    QSocketNotifier *m_connectWritable = nullptr;
    QSocketNotifier *m_connectException = nullptr;
    qsizetype m_skipped = 0; // bytes of the refused line dropped so far
    QSocketNotifier *m_watcher = nullptr;
    quint64 m_openings = 0; // connections opened so far, to tell a stale loss from a new connection
};

} // namespace qd::link
