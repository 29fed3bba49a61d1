#pragma once

// The few plain socket calls the link makes itself, and the program's one other system call, the
// termination requests, which arrive through a socket pair. Everything here is the operating
// system's interface and nothing else: the POSIX and Winsock differences live in
// socket_platform.cpp alone, so a port to another system touches only that file.
//
// Errors are returned as the system's own error numbers (errno on POSIX, WSAGetLastError() on
// Windows), because the user-visible failure text carries that number.

#include <QString>
#include <QtGlobal>

namespace qd::link::platform {

#ifdef Q_OS_WIN
using SocketHandle = quintptr; // SOCKET
#else
using SocketHandle = int;
#endif
inline constexpr SocketHandle kNoSocket = SocketHandle(~SocketHandle(0));

enum class WaitResult { Ready, TimedOut, Failed };

// Error numbers that have no errno of their own or differ between systems.
int hostNotFoundError();
int timedOutError();

// "Socket Error # <n>\n<description>", the text the user sees for a socket failure.
QString socketErrorText(int error);

// True for the errors that mean the connection is gone for good: reset, abort, shut down, a
// broken pipe, and the system giving up on a peer that no longer answers (timed out, host or
// network unreachable). The caller closes its side on these and leaves the connection open on
// any other.
bool meansConnectionLost(int error);

// A blocking IPv4 TCP socket that never raises SIGPIPE and is not inherited by child processes.
SocketHandle openTcpSocket(int *error);

// Connects to an IPv4 address (host byte order) within timeoutMs. Returns 0 or the error
// number; a connect that does not finish in time returns timedOutError(). The socket is left in
// blocking mode either way.
int connectIPv4(SocketHandle socket, quint32 address, quint16 port, int timeoutMs);

// Starts a connect to an IPv4 address (host byte order) without waiting for it. Returns 0 with
// *pending true while the connect goes on (the socket reports writable when it has ended),
// 0 with *pending false when it is connected already, or the error number. The socket is left
// non-blocking until finishConnect().
int startConnectIPv4(SocketHandle socket, quint32 address, quint16 port, bool *pending);

// The outcome of a connect started by startConnectIPv4(), once the socket has reported
// writable (or an error): 0 or the error number. The socket is in blocking mode again.
int finishConnect(SocketHandle socket);

// Looks a host name up for IPv4 addresses only and gives the first one (host byte order).
// Blocks for as long as the system's resolver takes. Returns 0 or hostNotFoundError().
int lookupIPv4(const QByteArray &name, quint32 *address);

// Bounds a blocking send; a send that cannot hand over any byte for that long fails with
// timedOutError(). 0 means no bound.
bool setSendTimeout(SocketHandle socket, int timeoutMs);

// How soon a connected socket finds out that its peer has gone without a word (host off, cable
// pulled): keep-alive probes after idleSeconds without traffic, one every intervalSeconds, and
// a bound on how long sent data or probes may stay unanswered before the system drops the
// connection (TCP_USER_TIMEOUT on Linux, the nearest equivalent elsewhere). The dropped
// connection then reads as an error that meansConnectionLost() accepts. Returns false when the
// system refused a part of it; what it took stays in force.
struct Liveness
{
    int idleSeconds = 2;
    int intervalSeconds = 1;
    int probes = 3;
    int unansweredMs = 5000;
};
bool setLiveness(SocketHandle socket, const Liveness &liveness);

// One send / one receive. Return the byte count, or -1 with *error set. Interrupted calls are
// retried here.
qint64 sendBytes(SocketHandle socket, const char *data, qint64 size, int *error);
qint64 receiveBytes(SocketHandle socket, char *buffer, qint64 size, int *error);

// Waits until the socket has something to read (bytes, end of stream or an error). A timeout of
// 0 polls without waiting.
WaitResult waitReadable(SocketHandle socket, int timeoutMs, int *error);

void closeSocket(SocketHandle socket);

// Makes the next close send a reset instead of the orderly end of stream (SO_LINGER 0). Used
// by the reference peer and by tests to break a connection the hard way.
bool setAbortiveClose(qintptr socket);

// Permission to send to a broadcast address (SO_BROADCAST) on a UDP socket.
bool setBroadcast(qintptr socket, bool on);
bool broadcastEnabled(qintptr socket);

// One datagram to an IPv4 address (host byte order). Returns the byte count or -1 with *error.
qint64 sendDatagramIPv4(qintptr socket, const char *data, qint64 size, quint32 address, quint16 port, int *error);

// Termination requests from the system (SIGTERM and SIGINT on POSIX: a session's logout, a
// Ctrl+C) turned into bytes on a local socket, so that the event loop takes them like any other
// input and a handler runs nowhere but on the user-interface thread. Each call (re)arms the
// handlers for one request; a second request before the next call ends the process the
// system's way, so a shut-down that hangs can still be ended. Returns the socket to watch for
// reading, or kNoSocket where the system has no such requests.
SocketHandle watchTerminationRequests();
// Reads the requests waiting on that socket without blocking.
void takeTerminationRequests(SocketHandle socket);

} // namespace qd::link::platform
