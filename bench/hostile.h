#pragma once

// Servers that misbehave for minutes, for the soak run. Each is a qd-peer process on an address of
// its own at one shared port, so that a discovery reply naming that address sends the client to
// it: one that stops reading, one that streams "ok" lines without end, one that streams bytes
// without an LF, and one whose host vanishes without a word and comes back. The last needs the
// link to nowhere of the isolated namespace (`isolated --sink`): its address, 10.213.9.2, is added
// to that link and taken away again; where there is no such link it is left out.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <memory>

namespace qd::bench {

class HostileServers
{
public:
    enum Kind { StopsReading, StreamsLines, StreamsBytes, Vanishes, KindCount };

    HostileServers();
    ~HostileServers();

    // Starts every server this machine allows at the port. Returns false with *error when one
    // that should run did not.
    bool start(quint16 port, QString *error);
    bool has(Kind kind) const { return m_peers[kind] != nullptr; }
    static const char *name(Kind kind);
    // The discovery reply that sends the client to the server of that kind.
    QByteArray reply(Kind kind) const;

    // Takes the vanishing server's address away (its host is gone: nothing answers, nothing
    // resets) and gives it back.
    bool vanish();
    bool comeBack();

private:
    bool runIp(const QStringList &arguments);

    std::array<std::unique_ptr<QProcess>, KindCount> m_peers;
    bool m_vanished = false;
    QTemporaryDir m_files;
};

} // namespace qd::bench
