#include "benchsystem.h"

#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#endif

namespace qd::bench {

bool setNoDelayOnConnectionTo(quint16 peerPort)
{
#ifdef Q_OS_LINUX
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const int last = int(qMin<rlim_t>(limit.rlim_cur, 4096));
    for (int fd = 0; fd < last; ++fd) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) != 0 || peer.sin_family != AF_INET)
            continue;
        int type = 0;
        socklen_t typeLength = sizeof type;
        if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 || type != SOCK_STREAM)
            continue;
        if (ntohs(peer.sin_port) != peerPort || ntohl(peer.sin_addr.s_addr) != INADDR_LOOPBACK)
            continue;
        const int on = 1;
        return setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
    }
#else
    Q_UNUSED(peerPort);
#endif
    return false;
}

namespace {

qint64 statusField(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

qint64 peakResidentKiB(qint64 pid)
{
    return statusField(pid, "VmHWM");
}

qint64 residentKiB(qint64 pid)
{
    return statusField(pid, "VmRSS");
}

} // namespace qd::bench
