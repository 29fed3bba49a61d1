#pragma once

// Test networks in a network namespace of the test's own: interfaces that a test adds, takes
// down and removes while the program runs, to see discovery follow the machine's networks.

#include <QString>
#include <QStringList>

namespace qd::test {

// Whether this process runs in a private network namespace made for the test (the runner,
// in-isolated-network.sh, sets QD_TEST_ISOLATED_NETWORK=1 there and nowhere else). Only then
// may a test change interfaces or broadcast.
bool inIsolatedNetwork();

// Runs `ip ARGS...`; a null string when it succeeded, else what it said.
QString ip(const QStringList &args);

// One IPv4 network on a veth pair: `name` holds the address, its other end `name`p is up too,
// so the link has carrier. Linux loops a broadcast sent on it back to this host's sockets; the
// other end takes the rest and hands it to no one. Removed when destroyed.
class TestNetwork
{
public:
    // `cidr` as "10.213.9.1/26". Without `namedBroadcast` the address is added without
    // "brd +", as plain `ip addr add` does, so the system names no broadcast address for it.
    TestNetwork(const QString &name, const QString &cidr, bool namedBroadcast);
    ~TestNetwork();
    TestNetwork(const TestNetwork &) = delete;
    TestNetwork &operator=(const TestNetwork &) = delete;

    // Null when the network is there; else why not.
    QString error() const { return m_error; }
    QString setUp(bool up);
    void remove();

private:
    QString m_name;
    QString m_error;
    bool m_made = false;
};

} // namespace qd::test
