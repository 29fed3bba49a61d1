#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the reference peer qd-peer for a test: on loopback only, on ports the peer picks itself
// (so no two tests can collide), and stopped again by its process id when the test is done.
//
//     PeerProcess peer;
//     QVERIFY2(peer.start({ "--mode", "close-after", "2" }), qPrintable(peer.errorString()));
//     connection.setPort(peer.tcpPort());
//     ...
//     QVERIFY(peer.waitForWords(2));
//     QCOMPARE(peer.receivedWords(), QStringList({ "a15", "move_client" }));
class PeerProcess
{
public:
    PeerProcess();
    ~PeerProcess();
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;

    // Starts the peer with `--listen 127.0.0.1 --tcp-port 0 --udp-port 0` followed by the given
    // arguments (which may override those) and waits for its ready line.
    bool start(const QStringList &arguments = {}, int timeoutMs = 30000);
    // Ends the peer by its process id: SIGTERM, then SIGKILL if it does not go.
    void stop();

    quint16 tcpPort() const { return m_tcpPort; }
    quint16 udpPort() const { return m_udpPort; } // 0 when started with --no-discovery

    // The command words the peer has printed so far, in order.
    QStringList receivedWords();
    // Waits until at least `count` words have been printed.
    bool waitForWords(int count, int timeoutMs = 30000);

    // Waits until the peer has seen a client close its connection, and checks that nothing
    // but whole lines came before the close.
    bool waitForClose(int timeoutMs = 30000);

    // What went wrong in start(), with the peer's own error output.
    QString errorString() const { return m_error; }
    QByteArray errorOutput();

private:
    void takeOutput();

    QProcess m_process;
    quint16 m_tcpPort = 0;
    quint16 m_udpPort = 0;
    QByteArray m_stdout;
    QByteArray m_stderr;
    QString m_error;
};
