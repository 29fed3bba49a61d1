// Name lookups of the link against a resolver of the test's own: the system's resolver is
// 127.0.0.1 port 53 (private-resolver.sh), where this test counts every query and answers
// it, or leaves it unanswered like a network whose DNS goes nowhere.

#include "failureof.h"

#include <link/lineconnection.h>
#include <link/linkcontroller.h>

#include <QDir>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

using qd::link::LineConnection;
using qd::link::LinkController;

namespace {

constexpr quint16 kTypeA = 1;

// A resolver on 127.0.0.1:53 that answers every A query with 127.0.0.1, or stays silent.
class FakeResolver : public QObject
{
public:
    struct Query
    {
        QString name;
        quint16 type = 0;
    };

    bool start()
    {
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams())
                answer(m_socket.receiveDatagram());
        });
        return m_socket.bind(QHostAddress(QHostAddress::LocalHost), 53);
    }
    void setSilent(bool silent) { m_silent = silent; }
    const QList<Query> &queries() const { return m_queries; }
    QStringList names() const
    {
        QStringList names;
        for (const Query &q : m_queries) {
            if (!names.contains(q.name))
                names.append(q.name);
        }
        return names;
    }

private:
    void answer(const QNetworkDatagram &datagram)
    {
        const QByteArray query = datagram.data();
        if (query.size() < 17)
            return;
        QString name;
        qsizetype at = 12;
        while (at < query.size() && query.at(at) != 0) {
            const int length = quint8(query.at(at));
            if (!name.isEmpty())
                name += QLatin1Char('.');
            name += QString::fromLatin1(query.mid(at + 1, length));
            at += 1 + length;
        }
        const qsizetype questionEnd = at + 5;
        if (questionEnd > query.size())
            return;
        const quint16 type = quint16((quint8(query.at(at + 1)) << 8) | quint8(query.at(at + 2)));
        m_queries.append({name, type});
        if (m_silent)
            return;
        QByteArray reply = query.left(questionEnd);
        reply[2] = char(0x81); // a response, recursion desired
        reply[3] = char(0x80); // recursion available, no error
        const bool a = type == kTypeA;
        reply[6] = 0;
        reply[7] = a ? 1 : 0; // one answer for A, none for anything else
        if (a) {
            // The name by pointer to the question, A, IN, TTL 60, four bytes: 127.0.0.1.
            reply.append("\xc0\x0c\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04\x7f\x00\x00\x01", 16);
        }
        m_socket.writeDatagram(reply, datagram.senderAddress(), quint16(datagram.senderPort()));
    }

    QUdpSocket m_socket;
    bool m_silent = false;
    QList<Query> m_queries;
};

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace

class LookupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("QD_PRIVATE_RESOLVER"))
            QSKIP("runs only with a private resolver (private-resolver.sh)");
        QVERIFY(m_resolver.start());
        QVERIFY(m_server.listen(QHostAddress(QHostAddress::AnyIPv4), 0));
    }
    void init()
    {
        m_resolver.setSilent(false);
        m_queriesBefore = int(m_resolver.queries().size());
    }

    // However the connect is asked for, a host written as an address causes no query at all;
    // a name causes A queries only.
    void queriesPerHost_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("queried");
        const QStringList ways{QStringLiteral("blocking"), QStringLiteral("non-blocking"),
                               QStringLiteral("discovery reply"), QStringLiteral("toggle")};
        // 127.0.0.5 is in no hosts file, so any lookup of it, a reverse one too, would ask the resolver.
        for (const QString &how : ways) {
            QTest::addRow("%s, address", qPrintable(how)) << how << QStringLiteral("127.0.0.5") << false;
            if (how != QLatin1String("blocking")) // the blocking connect would hold the resolver here
                QTest::addRow("%s, name", qPrintable(how)) << how << QStringLiteral("qd-server.test") << true;
        }
    }
    void queriesPerHost()
    {
        QFETCH(QString, how);
        QFETCH(QString, host);
        QFETCH(bool, queried);
        qd::link::LinkSettings settings;
        settings.networkEnabled = false;
        LinkController link(settings);
        LineConnection &connection = *link.IdTCPClient1();
        QSignalSpy connected(&connection, &LineConnection::connected);
        const QString port = QString::number(m_server.serverPort());
        if (how == QLatin1String("blocking") || how == QLatin1String("non-blocking")) {
            connection.setHost(host);
            connection.setPort(m_server.serverPort());
            if (how == QLatin1String("blocking"))
                connection.connectToServer();
            else
                connection.startConnect();
        } else if (how == QLatin1String("discovery reply")) {
            link.setPortText(port);
            link.IdUDPServer1UDPRead(host.toLatin1() + '\n');
        } else {
            link.setHostText(host);
            link.setPortText(port);
            link.toggleConnection();
        }
        QTRY_VERIFY_WITH_TIMEOUT(connection.isOpen(), 10000);
        QCOMPARE(connected.size(), 1);
        // Give a late query the time to show.
        QTest::qWait(200);
        const QList<FakeResolver::Query> queries = m_resolver.queries().mid(m_queriesBefore);
        QCOMPARE(!queries.isEmpty(), queried);
        for (const FakeResolver::Query &q : queries) {
            QCOMPARE(q.name, host);
            QCOMPARE(q.type, kTypeA);
        }
    }

    // A resolver that never answers: the attempt ends within the connect bound, long before
    // the resolver's own time-out of five seconds, and the event loop runs all the while.
    void silentResolverIsBounded()
    {
        m_resolver.setSilent(true);
        LineConnection connection;
        connection.setConnectTimeoutMs(300);
        connection.setHost(QStringLiteral("qd-silent.test"));
        connection.setPort(m_server.serverPort());
        QSignalSpy failed(&connection, &LineConnection::connectFailed);
        QElapsedTimer took;
        took.start();
        connection.startConnect();
        QVERIFY(connection.isConnecting());
        QVERIFY(failed.wait(4000));
        QVERIFY2(took.elapsed() < 4000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(failed.first().first().toString(), QStringLiteral("Socket Error # 11001\nHost not found."));
        QVERIFY(!connection.hasConnectionObject());
        QVERIFY(!connection.isOpen());
    }

    // A burst of replies naming hosts the silent resolver will not find: the lookups are not
    // queued behind each other on threads of their own. One lookup runs at a time and only
    // the latest name waits.
    void burstOfNamesDoesNotPileUp()
    {
        m_resolver.setSilent(true);
        qd::link::LinkSettings settings;
        settings.networkEnabled = false;
        settings.connectTimeoutMs = 300;
        LinkController link(settings);
        link.setPortText(QString::number(m_server.serverPort()));
        // One name first, so that the lookup thread exists before the threads are counted.
        link.IdUDPServer1UDPRead("qd-first.test\n");
        QTRY_VERIFY_WITH_TIMEOUT(!link.connecting(), 10000);
        QTest::qWait(100);
        const int threadsBefore = threadCount();
        const int namesBefore = int(m_resolver.names().size());
        for (int i = 0; i < 50; ++i)
            link.IdUDPServer1UDPRead("qd-" + QByteArray::number(i) + ".test\n");
        QCOMPARE(link.hostText(), QStringLiteral("qd-49.test"));
        QTRY_VERIFY_WITH_TIMEOUT(!link.connecting(), 10000);
        QCOMPARE(threadCount(), threadsBefore);
        // At most the first of the burst and the last, which waited: nothing in between.
        const QStringList names = m_resolver.names().mid(namesBefore);
        QVERIFY2(names.size() <= 2, qPrintable(names.join(QLatin1Char(' '))));
    }

private:
    FakeResolver m_resolver;
    QTcpServer m_server;
    int m_queriesBefore = 0;
};

QTEST_GUILESS_MAIN(LookupTest)
#include "test_lookup.moc"
