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
    // The probe goes to probeTarget alone, even 255.255.255.255 (a target the user named),
    // instead of also to every network's own broadcast address.
    bool probeTargetOnly = false;
    quint16 listenPort = 8091;
    int connectTimeoutMs = 3000;
    int readWaitMs = 1000;
};

} // namespace qd::link
