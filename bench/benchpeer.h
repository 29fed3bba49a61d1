#pragma once

// A loopback peer for the benchmarks and the soak run. It runs in a thread of its own, because
// the client blocks its user-interface thread in every reply read, and takes the time of each
// line's arrival with the same clock as the client side.

#include <QByteArray>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <chrono>
#include <vector>

namespace qd::bench {

using Clock = std::chrono::steady_clock;

inline qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

class BenchPeer : public QThread
{
public:
    enum class Mode {
        Ok,     // "ok" LF to every line
        Silent, // no answer
        Reject, // "no" LF to every line
        Close,  // "ok" LF, then close the connection
        Reset,  // reset the connection instead of answering
    };

    BenchPeer();
    ~BenchPeer() override;

    // Starts the thread and waits until it listens on 127.0.0.1.
    void begin();
    quint16 port() const { return m_port; }

    // How the next lines are answered; read by the peer thread before each answer.
    void setMode(Mode mode) { m_mode.store(int(mode)); }

    // Lines received so far (over every connection, in order) and their arrival times, by the
    // line's number counted from the first; lines already taken are no longer at hand.
    int lineCount() const;
    qint64 arrival(int index) const;
    QStringList words(int from = 0) const;
    // The words not taken yet, which are then dropped, so that a long run keeps no record.
    QStringList takeWords();
    bool waitForLines(int count, int timeoutMs) const;
    void clear();
    int connectionCount() const { return m_connections.load(); }
    // True while the peer holds a connection it has neither closed nor seen closed: a line
    // written on the client's side now will be received.
    bool holdsConnection() const { return m_holding.load(); }

protected:
    void run() override;

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_mode{int(Mode::Ok)};
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_holding{false};
    quint16 m_port = 0;
    QSemaphore m_ready;
    mutable QMutex m_mutex;
    int m_taken = 0;
    std::vector<qint64> m_arrivals;
    QStringList m_words;
};

} // namespace qd::bench
