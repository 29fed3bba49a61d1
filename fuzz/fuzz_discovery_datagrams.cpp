// Fuzzes the datagram filter of the discovery listener over real loopback UDP: every datagram of
// 1 to 20 bytes must be handed on whole, unchanged and in order; empty ones and longer ones must
// vanish without a trace, without cutting, and without holding back the ones behind them.
//
// Input: a list of datagrams, each a length byte (taken modulo 65, so 0 to 64) and that many bytes.

#include <link/discoverylistener.h>
#include <link/failure.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QUdpSocket>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using qd::link::DiscoveryListener;

namespace {

[[noreturn]] void finding(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "fuzz_discovery_datagrams: %s %s\n", what, qPrintable(detail));
    std::abort();
}

DiscoveryListener *listener = nullptr;
QUdpSocket *sender = nullptr;
QList<QByteArray> *received = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    new QCoreApplication(*argc, *argv);
    listener = new DiscoveryListener;
    listener->setListenPort(0);
    try {
        listener->open();
    } catch (const qd::link::Failure &f) {
        finding("cannot open the listener", f.text());
    }
    received = new QList<QByteArray>;
    QObject::connect(listener, &DiscoveryListener::replyReceived, listener,
                     [](const QByteArray &data) { received->append(data); });
    sender = new QUdpSocket;
    if (!sender->bind(QHostAddress::LocalHost, 0))
        finding("cannot bind the sender");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QHostAddress to(QHostAddress::LocalHost);
    const quint16 port = listener->boundPort();
    QList<QByteArray> expected;
    size_t pos = 0;
    int sent = 0;
    while (pos < size && sent < 128) {
        const size_t wanted = data[pos++] % 65;
        const size_t length = qMin<size_t>(wanted, size - pos);
        const QByteArray datagram(reinterpret_cast<const char *>(data + pos), qsizetype(length));
        pos += length;
        if (sender->writeDatagram(datagram, to, port) != datagram.size())
            finding("could not send a datagram");
        ++sent;
        if (datagram.size() >= 1 && datagram.size() <= DiscoveryListener::kMaxReplySize)
            expected.append(datagram);
    }
    // A last datagram that must come through: once it has, everything before it has been handled.
    static const QByteArray marker("end-of-input");
    sender->writeDatagram(marker, to, port);
    expected.append(marker);

    received->clear();
    const QDeadlineTimer deadline(10000);
    while (received->size() < expected.size()) {
        if (deadline.hasExpired())
            finding("datagrams lost:", QStringLiteral("%1 of %2 handed on").arg(received->size()).arg(expected.size()));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    if (*received != expected) {
        for (qsizetype i = 0; i < expected.size(); ++i) {
            if (received->at(i) != expected.at(i))
                finding("wrong datagram handed on at",
                        QStringLiteral("%1: got %2 bytes \"%3\", expected %4 bytes \"%5\"")
                            .arg(i)
                            .arg(received->at(i).size())
                            .arg(QString::fromLatin1(received->at(i).toHex()))
                            .arg(expected.at(i).size())
                            .arg(QString::fromLatin1(expected.at(i).toHex())));
        }
    }
    if (!listener->isActive())
        finding("listener closed itself");
    return 0;
}
