#pragma once

#include <QTcpServer>
#include <QTcpSocket>

namespace qd::test {

// A listener on 127.0.0.1 that answers no connect, like a host that is not there: its accept
// queue is filled by one connection that is never accepted, so the system drops the SYN of the
// next connect and that connect waits without an answer.
class SilentListener
{
public:
    bool start()
    {
        m_server.setListenBacklogSize(0);
        if (!m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
            return false;
        m_server.pauseAccepting();
        m_filler.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), m_server.serverPort());
        return m_filler.waitForConnected(5000);
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
    QTcpSocket m_filler;
};

} // namespace qd::test
