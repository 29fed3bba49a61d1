#pragma once

#include <QHostAddress>
#include <QObject>

class QUdpSocket;

namespace qd::link {

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

    // Binds the IPv4 any-address at the listen port, and the IPv6 any-address at the same port
    // where the system has IPv6 (a failure there is ignored). Does nothing when already active.
    // Throws Failure("Could not bind socket. Address and port are already in use.").
    void open();
    void close();
    bool isActive() const;

    // Sends the probe "qd" from the IPv4 socket, so its source port is the listen port.
    // Throws Failure ("Socket Error # <n>\n<description>").
    void sendProbe();

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
    QUdpSocket *m_ipv4 = nullptr;
    QUdpSocket *m_ipv6 = nullptr;
    bool m_delivering = false;
};

} // namespace qd::link
