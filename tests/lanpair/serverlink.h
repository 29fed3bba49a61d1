#pragma once

// For tests on the client host of the vanishing-server test network (lan-vanish-test.sh): the
// server host's link to the LAN is taken down and up through files in QD_LAN_DIR, and what the
// reference peer printed is read from QD_PEER_OUTPUT.

#include <link/socket_platform.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace qd::test {

inline QString lanDir()
{
    return qEnvironmentVariable("QD_LAN_DIR");
}

inline QByteArray serverLinkState()
{
    QFile state(lanDir() + QStringLiteral("/state"));
    return state.open(QIODevice::ReadOnly) ? state.readAll().trimmed() : QByteArray();
}

// Takes the server host's link down or up (its cable pulled or put back) and waits until it is.
inline bool setServerLink(bool up)
{
    QFile request(lanDir() + QStringLiteral("/down"));
    if (up)
        request.remove();
    else if (!request.open(QIODevice::WriteOnly))
        return false;
    QElapsedTimer patience;
    patience.start();
    while (serverLinkState() != (up ? "up" : "down")) {
        if (patience.elapsed() > 20000)
            return false;
        QTest::qWait(20);
    }
    return true;
}

inline QByteArray peerOutput()
{
    QFile output(qEnvironmentVariable("QD_PEER_OUTPUT"));
    return output.open(QIODevice::ReadOnly) ? output.readAll() : QByteArray();
}

// How long the link may take to find the server gone: the liveness bound, a keep-alive round and
// room for the system's timers. Anything near the system's own minutes is a fault.
inline qint64 lossBoundMs()
{
    const qd::link::platform::Liveness liveness;
    return liveness.unansweredMs + 1000 * (liveness.idleSeconds + liveness.intervalSeconds) + 5000;
}

} // namespace qd::test
