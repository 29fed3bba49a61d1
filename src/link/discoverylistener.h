#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QObject>

#include <functional>

class QUdpSocket;

namespace qd::link {

// One network interface as the probe sees it: what QNetworkInterface reports, in a form a test
// can make up.
struct NetworkInterfaceInfo
{
    QString name;
    QNetworkInterface::InterfaceFlags flags;
    QList<QNetworkAddressEntry> addresses;
};

using InterfaceSource = std::function<QList<NetworkInterfaceInfo>()>;

// The machine's interfaces as they are now.
QList<NetworkInterfaceInfo> systemInterfaces();

// The directed broadcast address of every IPv4 network on an interface that is up, is not
// loopback and can broadcast, in interface order and each once. Where no broadcast address is
// named for a network, it is made from the address and the netmask; networks of 31 and 32 bits
// have none.
QList<QHostAddress> directedBroadcastAddresses(const QList<NetworkInterfaceInfo> &interfaces);

// The UDP listener of discovery (the settings window's `IdUDPServer1`): it sends the probe and
// hands on the replies. The probe timer lives in the window.
//
// Datagrams are taken in the user-interface thread as the event loop reports them, one at a
// time, so a reply handler that blocks (it connects) holds back the next reply until it returns;
// the ones that arrive meanwhile wait in the socket.
class DiscoveryListener : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kDefaultListenPort = 8091;
    static constexpr quint16 kDefaultProbePort = 8090;
    // Replies longer than this are discarded whole.
    static constexpr qint64 kMaxReplySize = 20;

    explicit DiscoveryListener(QObject *parent = nullptr);
    ~DiscoveryListener() override;

    void setListenPort(quint16 port) { m_listenPort = port; }
    quint16 listenPort() const { return m_listenPort; }
    void setProbeTarget(const QHostAddress &address, quint16 port);
    QHostAddress probeAddress() const { return m_probeAddress; }
    quint16 probePort() const { return m_probePort; }

    // A probe to 255.255.255.255 leaves by one interface only (the one of the default route),
    // so a machine on several networks also probes the directed broadcast address of each
    // network it is on. Which targets get that sweep:
    enum class NetworkSweep {
        WithBroadcastTarget, // the default: when the probe target is 255.255.255.255; a target
                             // of one network or one host is probed alone
        Always,              // for any target (tests aim it at loopback with interfaces of their own)
        Never,               // the probe target alone, whatever it is
    };
    void setNetworkSweep(NetworkSweep sweep) { m_sweep = sweep; }
    NetworkSweep networkSweep() const { return m_sweep; }
    // Where the interfaces come from (systemInterfaces unless a test hands in its own). Asked
    // at every probe, so networks that come and go are picked up at the next one.
    void setInterfaceSource(InterfaceSource source);
    // Where a probe sent now goes: the probe target first, then each network's directed
    // broadcast address, each once.
    QList<QHostAddress> probeAddresses() const;

    // Binds the IPv4 any-address at the listen port, and the IPv6 any-address at the same port
    // where the system has IPv6 (a failure there is ignored). Does nothing when already active.
    // Throws Failure("Could not bind socket. Address and port are already in use.").
    void open();
    void close();
    bool isActive() const;

    // Sends the probe "qd" from the IPv4 socket, so its source port is the listen port, to
    // every one of probeAddresses(). A network that cannot be reached is no failure while the
    // probe left for another; only when it left for none does this throw, with the failure of
    // the first address: Failure ("Socket Error # <n>\n<description>").
    void sendProbe();

    // What became of the last probe at each of its addresses: a null failure text where it was
    // sent, the failure's text where not.
    struct ProbeResult
    {
        QHostAddress address;
        QString failure;
    };
    QList<ProbeResult> lastProbe() const { return m_lastProbe; }

    // The port the IPv4 socket is bound to (useful when listening on port 0), 0 when inactive.
    quint16 boundPort() const;
    bool hasIPv6Socket() const;
    // Whether the IPv4 socket may send to a broadcast address.
    bool broadcastPermitted() const;

signals:
    // A reply of 1 to 20 bytes.
    void replyReceived(const QByteArray &data);

private:
    void takeDatagrams(QUdpSocket *socket);

    quint16 m_listenPort = kDefaultListenPort;
    QHostAddress m_probeAddress{QHostAddress::Broadcast};
    quint16 m_probePort = kDefaultProbePort;
    NetworkSweep m_sweep = NetworkSweep::WithBroadcastTarget;
    InterfaceSource m_interfaces;
    QList<ProbeResult> m_lastProbe;
    QUdpSocket *m_ipv4 = nullptr;
    QUdpSocket *m_ipv6 = nullptr;
    bool m_delivering = false;
};

} // namespace qd::link
