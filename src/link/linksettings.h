#pragma once

#include <QHostAddress>

namespace qd::link {

// Where the link looks for the peer server. The defaults are the program's own; tests
// and the developer options pass loopback addresses and free ports.
struct LinkSettings
{
    bool networkEnabled = true;                        // off for --screenshot and --layout-json
    QHostAddress probeTarget{QHostAddress::Broadcast}; // 255.255.255.255
    quint16 probePort = 8090;
    quint16 listenPort = 8091;
    int connectTimeoutMs = 3000;
    int readWaitMs = 1000;
};

} // namespace qd::link
