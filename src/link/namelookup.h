#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace qd::link {

// Host names to IPv4 addresses without blocking the caller.
//
// The system's resolver can take many seconds to give up (a resolver that does not answer, as
// on networks whose DNS goes nowhere), so lookups run on one worker thread of their own, shared
// by the whole program, one at a time. A lookup asked for while another is still running waits
// for it; a newer request replaces a waiting one, so however many hosts are named, there is at
// most one lookup running and one waiting, and no thread more.
class NameLookup : public QObject
{
    Q_OBJECT

public:
    // The address of a host written as a dotted IPv4 address, four decimal numbers of 0 to 255
    // (host byte order). Such a host needs no lookup and must not cause one.
    static std::optional<quint32> literalIPv4(const QString &host);

    explicit NameLookup(QObject *parent = nullptr);
    ~NameLookup() override;

    // Starts looking the name up; an earlier lookup of this object is forgotten. The answer
    // comes as finished() from the event loop, never from within start().
    void start(const QString &host);
    // Forgets the lookup under way: no finished() for it.
    void cancel();

    // Looks the name up and waits up to timeoutMs for the answer; 0 and the address, or
    // the socket layer's host-not-found error when there is none in time.
    static int lookupAndWait(const QString &host, int timeoutMs, quint32 *address);

signals:
    // error is 0 on success, the socket layer's host-not-found error otherwise.
    void finished(quint32 address, int error);

private:
    struct Channel;
    void deliver(quint64 generation, quint32 address, int error);

    std::shared_ptr<Channel> m_channel;
    quint64 m_generation = 0;
};

} // namespace qd::link
