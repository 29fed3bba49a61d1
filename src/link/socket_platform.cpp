#include "link/socket_platform.h"

#include <QCoreApplication>

#include <QDeadlineTimer>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace qd::link::platform {

namespace {

#ifndef Q_OS_WIN
// A write to a connection the server has closed must fail, not raise SIGPIPE.
#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0; // the socket carries SO_NOSIGPIPE instead
#endif
#endif

// Milliseconds left before the deadline, as an int a wait call accepts.
int remainingMs(const QDeadlineTimer &deadline)
{
    return int(qMin<qint64>(deadline.remainingTime(), 0x7fffffff));
}

sockaddr_in ipv4Address(quint32 address, quint16 port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address);
    return sa;
}

#ifdef Q_OS_WIN

int lastError()
{
    return WSAGetLastError();
}

// Qt starts Winsock for its own sockets, but the link may open a socket before Qt has.
bool ensureStarted()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool setBlocking(SocketHandle socket, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

#else

int lastError()
{
    return errno;
}

bool setBlocking(SocketHandle socket, bool blocking)
{
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0)
        return false;
    return ::fcntl(socket, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

#endif

} // namespace

// Neither system has an errno for a failed name lookup; this is the number the Windows socket
// layer reports (WSAHOST_NOT_FOUND), used everywhere so the text is the same on every system.
int hostNotFoundError()
{
    return 11001;
}

int timedOutError()
{
#ifdef Q_OS_WIN
    return WSAETIMEDOUT;
#else
    return ETIMEDOUT;
#endif
}

// The system's descriptions of the errors a user meets, for the translation.
[[maybe_unused]] const char *const kCommonErrors[] = {
    QT_TRANSLATE_NOOP("qd::link", "Connection refused."),
    QT_TRANSLATE_NOOP("qd::link", "Connection timed out."),
    QT_TRANSLATE_NOOP("qd::link", "No route to host."),
    QT_TRANSLATE_NOOP("qd::link", "Network is unreachable."),
    QT_TRANSLATE_NOOP("qd::link", "Connection reset by peer."),
    QT_TRANSLATE_NOOP("qd::link", "Broken pipe."),
    QT_TRANSLATE_NOOP("qd::link", "Address already in use."),
    QT_TRANSLATE_NOOP("qd::link", "Permission denied."),
};

QString socketErrorText(int error)
{
    QString description;
    if (error == hostNotFoundError()) {
        description = QCoreApplication::translate("qd::link", "Host not found.");
    } else {
#ifdef Q_OS_WIN
        wchar_t *buffer = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, DWORD(error), 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
        if (length > 0)
            description = QString::fromWCharArray(buffer, int(length)).trimmed();
        LocalFree(buffer);
#else
        description = QString::fromLocal8Bit(std::strerror(error));
#endif
        if (description.isEmpty())
            description = QCoreApplication::translate("qd::link", "Unknown error %1").arg(error);
        if (!description.endsWith(QLatin1Char('.')))
            description += QLatin1Char('.');
        // The system says it in English; the common ones have a translation of their own.
        description = QCoreApplication::translate("qd::link", description.toUtf8().constData());
    }
    return QCoreApplication::translate("qd::link", "Socket Error # %1\n%2").arg(error).arg(description);
}

bool meansConnectionLost(int error)
{
#ifdef Q_OS_WIN
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN || error == WSAENETRESET ||
           error == WSAETIMEDOUT || error == WSAEHOSTUNREACH || error == WSAENETUNREACH || error == WSAEHOSTDOWN ||
           error == WSAENETDOWN || error == WSAENOTCONN;
#else
    return error == ECONNRESET || error == ECONNABORTED || error == EPIPE || error == ESHUTDOWN || error == ENETRESET ||
           error == ETIMEDOUT || error == EHOSTUNREACH || error == ENETUNREACH || error == EHOSTDOWN ||
           error == ENETDOWN || error == ENOTCONN;
#endif
}

SocketHandle openTcpSocket(int *error)
{
#ifdef Q_OS_WIN
    if (!ensureStarted()) {
        *error = lastError();
        return kNoSocket;
    }
    const SOCKET s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        *error = lastError();
        return kNoSocket;
    }
    return SocketHandle(s);
#else
#ifdef SOCK_CLOEXEC
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
#else
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s >= 0)
        ::fcntl(s, F_SETFD, FD_CLOEXEC);
#endif
    if (s < 0) {
        *error = lastError();
        return kNoSocket;
    }
#ifdef SO_NOSIGPIPE
    // Systems without MSG_NOSIGNAL take the SIGPIPE guard per socket.
    const int on = 1;
    ::setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    return s;
#endif
}

int connectIPv4(SocketHandle socket, quint32 address, quint16 port, int timeoutMs)
{
    // The connect runs non-blocking with a wait of our own, because the system's own connect
    // time-out is minutes of a frozen window. A negative time-out leaves the bound to the system.
    bool pending = false;
    const int started = startConnectIPv4(socket, address, port, &pending);
    if (started != 0 || !pending) {
        if (!setBlocking(socket, true) && started == 0)
            return lastError();
        return started;
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
#ifdef Q_OS_WIN
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket, &writable);
        FD_SET(socket, &failed);
        // A negative time-out means no bound of our own: select waits without a limit.
        const int ms = remainingMs(deadline);
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        const int n = ::select(0, nullptr, &writable, &failed, ms < 0 ? nullptr : &tv);
        if (n < 0) {
            const int error = lastError();
            setBlocking(socket, true);
            return error;
        }
#else
        pollfd p{socket, POLLOUT, 0};
        const int n = ::poll(&p, 1, remainingMs(deadline));
        if (n < 0) {
            if (errno == EINTR && !deadline.hasExpired())
                continue;
            const int error = errno == EINTR ? timedOutError() : lastError();
            setBlocking(socket, true);
            return error;
        }
#endif
        if (n == 0) {
            setBlocking(socket, true);
            return timedOutError();
        }
        return finishConnect(socket);
    }
}

int startConnectIPv4(SocketHandle socket, quint32 address, quint16 port, bool *pending)
{
    *pending = false;
    if (!setBlocking(socket, false))
        return lastError();
    const sockaddr_in sa = ipv4Address(address, port);
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0)
        return 0;
    const int started = lastError();
#ifdef Q_OS_WIN
    *pending = started == WSAEWOULDBLOCK;
#else
    // An interrupted connect goes on in the background like one in progress.
    *pending = started == EINPROGRESS || started == EINTR;
#endif
    return *pending ? 0 : started;
}

int finishConnect(SocketHandle socket)
{
    int soError = 0;
#ifdef Q_OS_WIN
    int length = sizeof soError;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&soError), &length) != 0)
        soError = lastError();
#else
    socklen_t length = sizeof soError;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &soError, &length) != 0)
        soError = lastError();
#endif
    if (!setBlocking(socket, true) && soError == 0)
        soError = lastError();
    return soError;
}

int lookupIPv4(const QByteArray &name, quint32 *address)
{
#ifdef Q_OS_WIN
    if (!ensureStarted())
        return hostNotFoundError();
#endif
    addrinfo hints{};
    hints.ai_family = AF_INET; // A records only: the connection is IPv4
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found)
        return hostNotFoundError();
    int result = hostNotFoundError();
    for (const addrinfo *a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addr) {
            *address = ntohl(reinterpret_cast<const sockaddr_in *>(a->ai_addr)->sin_addr.s_addr);
            result = 0;
            break;
        }
    }
    ::freeaddrinfo(found);
    return result;
}

bool setSendTimeout(SocketHandle socket, int timeoutMs)
{
#ifdef Q_OS_WIN
    const DWORD ms = DWORD(qMax(timeoutMs, 0));
    return ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char *>(&ms), sizeof ms) == 0;
#else
    timeval tv{};
    tv.tv_sec = qMax(timeoutMs, 0) / 1000;
    tv.tv_usec = (qMax(timeoutMs, 0) % 1000) * 1000;
    return ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0;
#endif
}

bool setLiveness(SocketHandle socket, const Liveness &liveness)
{
#ifdef Q_OS_WIN
    auto set = [socket](int level, int name, DWORD value) {
        return ::setsockopt(socket, level, name, reinterpret_cast<const char *>(&value), sizeof value) == 0;
    };
    bool ok = set(SOL_SOCKET, SO_KEEPALIVE, TRUE);
#ifdef TCP_KEEPIDLE
    ok = set(IPPROTO_TCP, TCP_KEEPIDLE, DWORD(liveness.idleSeconds)) && ok;
    ok = set(IPPROTO_TCP, TCP_KEEPINTVL, DWORD(liveness.intervalSeconds)) && ok;
#endif
#ifdef TCP_KEEPCNT
    ok = set(IPPROTO_TCP, TCP_KEEPCNT, DWORD(liveness.probes)) && ok;
#endif
#ifdef TCP_MAXRT
    // Windows bounds the retransmission of unacknowledged data in whole seconds.
    ok = set(IPPROTO_TCP, TCP_MAXRT, DWORD(qMax(1, (liveness.unansweredMs + 999) / 1000))) && ok;
#endif
    return ok;
#else
    auto set = [socket](int level, int name, int value) {
        return ::setsockopt(socket, level, name, &value, sizeof value) == 0;
    };
    bool ok = set(SOL_SOCKET, SO_KEEPALIVE, 1);
#if defined(TCP_KEEPIDLE)
    ok = set(IPPROTO_TCP, TCP_KEEPIDLE, liveness.idleSeconds) && ok;
#elif defined(TCP_KEEPALIVE)
    ok = set(IPPROTO_TCP, TCP_KEEPALIVE, liveness.idleSeconds) && ok; // macOS spells the idle time so
#endif
#ifdef TCP_KEEPINTVL
    ok = set(IPPROTO_TCP, TCP_KEEPINTVL, liveness.intervalSeconds) && ok;
#endif
#ifdef TCP_KEEPCNT
    ok = set(IPPROTO_TCP, TCP_KEEPCNT, liveness.probes) && ok;
#endif
#if defined(TCP_USER_TIMEOUT)
    ok = set(IPPROTO_TCP, TCP_USER_TIMEOUT, liveness.unansweredMs) && ok;
#elif defined(TCP_RXT_CONNDROPTIME)
    // macOS bounds the retransmission of unacknowledged data in whole seconds.
    ok = set(IPPROTO_TCP, TCP_RXT_CONNDROPTIME, qMax(1, (liveness.unansweredMs + 999) / 1000)) && ok;
#endif
    return ok;
#endif
}

qint64 sendBytes(SocketHandle socket, const char *data, qint64 size, int *error)
{
    const int chunk = int(qMin<qint64>(size, 0x7fffffff));
#ifdef Q_OS_WIN
    const int n = ::send(socket, data, chunk, 0);
    if (n == SOCKET_ERROR) {
        *error = lastError();
        return -1;
    }
    return n;
#else
    const int flags = kSendFlags;
    for (;;) {
        const ssize_t n = ::send(socket, data, size_t(chunk), flags);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        // A blocking socket reports the end of its send time-out as "would block".
        *error = (errno == EAGAIN || errno == EWOULDBLOCK) ? timedOutError() : errno;
        return -1;
    }
#endif
}

qint64 receiveBytes(SocketHandle socket, char *buffer, qint64 size, int *error)
{
    const int chunk = int(qMin<qint64>(size, 0x7fffffff));
#ifdef Q_OS_WIN
    const int n = ::recv(socket, buffer, chunk, 0);
    if (n == SOCKET_ERROR) {
        *error = lastError();
        return -1;
    }
    return n;
#else
    for (;;) {
        const ssize_t n = ::recv(socket, buffer, size_t(chunk), 0);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        *error = errno;
        return -1;
    }
#endif
}

WaitResult waitReadable(SocketHandle socket, int timeoutMs, int *error)
{
    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    for (;;) {
#ifdef Q_OS_WIN
        WSAPOLLFD p{};
        p.fd = socket;
        p.events = POLLRDNORM;
        const int n = ::WSAPoll(&p, 1, remainingMs(deadline));
        if (n == SOCKET_ERROR) {
            *error = lastError();
            return WaitResult::Failed;
        }
        if (n == 0)
            return WaitResult::TimedOut;
        if (p.revents & POLLNVAL) {
            *error = WSAENOTSOCK;
            return WaitResult::Failed;
        }
        // Hang-up and error count as readable: the receive that follows reports them.
        return WaitResult::Ready;
#else
        pollfd p{socket, POLLIN, 0};
        const int n = ::poll(&p, 1, remainingMs(deadline));
        if (n < 0) {
            if (errno == EINTR && !deadline.hasExpired())
                continue;
            if (errno == EINTR)
                return WaitResult::TimedOut;
            *error = errno;
            return WaitResult::Failed;
        }
        if (n == 0)
            return WaitResult::TimedOut;
        if (p.revents & POLLNVAL) {
            *error = EBADF;
            return WaitResult::Failed;
        }
        // Hang-up and error count as readable: the receive that follows reports them.
        return WaitResult::Ready;
#endif
    }
}

void closeSocket(SocketHandle socket)
{
    if (socket == kNoSocket)
        return;
#ifdef Q_OS_WIN
    ::closesocket(socket);
#else
    ::close(socket);
#endif
}

bool setAbortiveClose(qintptr socket)
{
    linger l{};
    l.l_onoff = 1;
    l.l_linger = 0;
#ifdef Q_OS_WIN
    return ::setsockopt(SOCKET(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&l), sizeof l) == 0;
#else
    return ::setsockopt(int(socket), SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0;
#endif
}

bool setBroadcast(qintptr socket, bool on)
{
#ifdef Q_OS_WIN
    const BOOL value = on ? TRUE : FALSE;
    return ::setsockopt(SOCKET(socket), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char *>(&value),
                        sizeof value) == 0;
#else
    const int value = on ? 1 : 0;
    return ::setsockopt(int(socket), SOL_SOCKET, SO_BROADCAST, &value, sizeof value) == 0;
#endif
}

bool broadcastEnabled(qintptr socket)
{
#ifdef Q_OS_WIN
    BOOL value = FALSE;
    int length = sizeof value;
    return ::getsockopt(SOCKET(socket), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char *>(&value), &length) == 0 &&
           value;
#else
    int value = 0;
    socklen_t length = sizeof value;
    return ::getsockopt(int(socket), SOL_SOCKET, SO_BROADCAST, &value, &length) == 0 && value != 0;
#endif
}

qint64 sendDatagramIPv4(qintptr socket, const char *data, qint64 size, quint32 address, quint16 port, int *error)
{
    const sockaddr_in sa = ipv4Address(address, port);
#ifdef Q_OS_WIN
    const int n = ::sendto(SOCKET(socket), data, int(size), 0, reinterpret_cast<const sockaddr *>(&sa), sizeof sa);
    if (n == SOCKET_ERROR) {
        *error = lastError();
        return -1;
    }
    return n;
#else
    const int flags = kSendFlags;
    for (;;) {
        const ssize_t n =
            ::sendto(int(socket), data, size_t(size), flags, reinterpret_cast<const sockaddr *>(&sa), sizeof sa);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        *error = errno;
        return -1;
    }
#endif
}

#ifdef Q_OS_WIN
SocketHandle watchTerminationRequests()
{
    // A Windows GUI program is asked to end by a window message, which Qt turns into a close.
    return kNoSocket;
}

void takeTerminationRequests(SocketHandle) {}
#else
namespace {
// [0] is written by the signal handler, [1] is watched by the event loop.
int terminationPair[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::send(terminationPair[0], &byte, 1, MSG_DONTWAIT | kSendFlags);
    errno = saved;
}
} // namespace

SocketHandle watchTerminationRequests()
{
    if (terminationPair[1] == -1) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0)
            return kNoSocket;
        for (const int fd : pair) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        terminationPair[0] = pair[0];
        terminationPair[1] = pair[1];
    }
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return terminationPair[1];
}

void takeTerminationRequests(SocketHandle socket)
{
    char buffer[64];
    while (::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
    }
}
#endif

} // namespace qd::link::platform
