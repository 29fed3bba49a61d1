#pragma once

#include <QHostAddress>
#include <QString>

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
    // The host and port text the settings window starts with (remembered from the last run).
    QString hostText = QStringLiteral("127.0.0.1");
    QString portText = QStringLiteral("6000");
    // A pinned server (--server): the link connects there and keeps reconnecting at every tick;
    // discovery neither probes nor takes replies, so nobody on the network can redirect it.
    QString pinnedHost;
    quint16 pinnedPort = 0;
    bool pinned() const { return !pinnedHost.isEmpty(); }
    // The program remembers the settings window's host and port between runs (QSettings, the
    // platform's usual place); tests and rendering runs leave it off and touch no stored settings.
    bool rememberServer = false;
};

} // namespace qd::link
