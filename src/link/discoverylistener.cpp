#include "link/discoverylistener.h"

#include <QCoreApplication>

#include "link/failure.h"
#include "link/socket_platform.h"

#include <QUdpSocket>

namespace qd::link {

namespace {

QString couldNotBindText()
{
    return QCoreApplication::translate("qd::link", "Could not bind socket. Address and port are already in use.");
}

// No address sharing of any kind: a port held by another program must make the bind fail, and
// no other program may bind ours while we hold it (on Linux, SO_REUSEADDR on a UDP port lets two
// sockets share it and split the replies between them).
constexpr QAbstractSocket::BindMode kExclusive = QAbstractSocket::DontShareAddress;

// The broadcast address of one IPv4 network, or 0 where it has none.
quint32 directedBroadcastOf(const QNetworkAddressEntry &entry)
{
    const QHostAddress given = entry.broadcast();
    if (given.protocol() == QAbstractSocket::IPv4Protocol && given.toIPv4Address() != 0)
        return given.toIPv4Address();
    const int prefix = entry.prefixLength();
    if (prefix < 1 || prefix > 30)
        return 0;
    const quint32 hostBits = ~quint32(0) >> prefix;
    return entry.ip().toIPv4Address() | hostBits;
}

} // namespace

QList<NetworkInterfaceInfo> systemInterfaces()
{
    QList<NetworkInterfaceInfo> interfaces;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces())
        interfaces.append({interface.name(), interface.flags(), interface.addressEntries()});
    return interfaces;
}

QList<QHostAddress> directedBroadcastAddresses(const QList<NetworkInterfaceInfo> &interfaces)
{
    QList<QHostAddress> addresses;
    for (const NetworkInterfaceInfo &interface : interfaces) {
        if (!interface.flags.testFlag(QNetworkInterface::IsUp) ||
            interface.flags.testFlag(QNetworkInterface::IsLoopBack) ||
            !interface.flags.testFlag(QNetworkInterface::CanBroadcast))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addresses) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            const quint32 broadcast = directedBroadcastOf(entry);
            // 255.255.255.255 is the limited broadcast, not one network's.
            if (broadcast == 0 || broadcast == ~quint32(0))
                continue;
            const QHostAddress address(broadcast);
            if (!addresses.contains(address))
                addresses.append(address);
        }
    }
    return addresses;
}

DiscoveryListener::DiscoveryListener(QObject *parent)
    : QObject(parent), m_interfaces(systemInterfaces), m_ipv4(new QUdpSocket(this)), m_ipv6(new QUdpSocket(this))
{
    // The sockets are made once and bound and closed as the listener opens and closes.
    connect(m_ipv4, &QUdpSocket::readyRead, this, [this] { takeDatagrams(m_ipv4); });
    connect(m_ipv6, &QUdpSocket::readyRead, this, [this] { takeDatagrams(m_ipv6); });
}

DiscoveryListener::~DiscoveryListener() = default;

void DiscoveryListener::setProbeTarget(const QHostAddress &address, quint16 port)
{
    m_probeAddress = address;
    m_probePort = port;
}

void DiscoveryListener::setInterfaceSource(InterfaceSource source)
{
    m_interfaces = source ? std::move(source) : InterfaceSource(systemInterfaces);
}

QList<QHostAddress> DiscoveryListener::probeAddresses() const
{
    QList<QHostAddress> addresses{m_probeAddress};
    const bool sweep = m_sweep == NetworkSweep::Always ||
                       (m_sweep == NetworkSweep::WithBroadcastTarget &&
                        m_probeAddress.toIPv4Address() == QHostAddress(QHostAddress::Broadcast).toIPv4Address());
    if (!sweep)
        return addresses;
    for (const QHostAddress &address : directedBroadcastAddresses(m_interfaces())) {
        if (address.toIPv4Address() != m_probeAddress.toIPv4Address())
            addresses.append(address);
    }
    return addresses;
}

void DiscoveryListener::open()
{
    if (isActive())
        return;
    if (!m_ipv4->bind(QHostAddress::AnyIPv4, m_listenPort, kExclusive))
        throw Failure(couldNotBindText());
    // Qt allows broadcasts on UDP sockets already; the probe depends on it, so make sure.
    if (!platform::setBroadcast(m_ipv4->socketDescriptor(), true)) {
        m_ipv4->close();
        throw Failure(couldNotBindText());
    }
    // Qt binds the IPv6 any-address as IPv6 only, so it can share the port number with the
    // IPv4 socket. Systems without IPv6 refuse the bind; that socket is then simply missing.
    if (!m_ipv6->bind(QHostAddress::AnyIPv6, m_ipv4->localPort(), kExclusive))
        m_ipv6->close();
}

void DiscoveryListener::close()
{
    m_ipv4->close();
    m_ipv6->close();
}

bool DiscoveryListener::isActive() const
{
    return m_ipv4->state() == QAbstractSocket::BoundState;
}

void DiscoveryListener::sendProbe()
{
    m_lastProbe.clear();
    if (!isActive())
        throw Failure(QCoreApplication::translate("qd::link", "The discovery listener is not open."));
    // Sent through the platform layer rather than QUdpSocket::writeDatagram so that a failure
    // carries the system's error number and description.
    static const char probe[] = {'q', 'd'};
    bool anySent = false;
    for (const QHostAddress &address : probeAddresses()) {
        int error = 0;
        const qint64 sent = platform::sendDatagramIPv4(m_ipv4->socketDescriptor(), probe, sizeof probe,
                                                       address.toIPv4Address(), m_probePort, &error);
        anySent = anySent || sent >= 0;
        m_lastProbe.append({address, sent < 0 ? platform::socketErrorText(error) : QString()});
    }
    // Only a probe that left for no network at all is a failure: a machine whose default route
    // has gone (Wi-Fi lost) still probes its wired network, and that is discovery working.
    if (!anySent)
        throw Failure(m_lastProbe.first().failure);
}

quint16 DiscoveryListener::boundPort() const
{
    return isActive() ? m_ipv4->localPort() : 0;
}

bool DiscoveryListener::hasIPv6Socket() const
{
    return m_ipv6->state() == QAbstractSocket::BoundState;
}

bool DiscoveryListener::broadcastPermitted() const
{
    return isActive() && platform::broadcastEnabled(m_ipv4->socketDescriptor());
}

void DiscoveryListener::takeDatagrams(QUdpSocket *socket)
{
    // A handler that runs the event loop must not start a second delivery; the loop below
    // picks up whatever arrived meanwhile.
    if (m_delivering)
        return;
    m_delivering = true;
    // The handler may close the listener; stop as soon as the socket is no longer bound.
    while (socket->state() == QAbstractSocket::BoundState && socket->hasPendingDatagrams()) {
        const qint64 size = socket->pendingDatagramSize();
        if (size < 1 || size > kMaxReplySize) {
            // Empty datagrams are ignored and longer ones discarded whole, never cut to size.
            char discard;
            socket->readDatagram(&discard, 0);
            continue;
        }
        QByteArray data(size, Qt::Uninitialized);
        const qint64 read = socket->readDatagram(data.data(), size);
        if (read < 1)
            continue;
        data.truncate(read);
        emit replyReceived(data);
    }
    m_delivering = false;
}

} // namespace qd::link
