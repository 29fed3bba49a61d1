// LineConnection against real sockets on loopback: a QTcpServer in the test where the test must
// control every byte and the moment of a close or reset, and the qd-peer process where the
// reply must come while the client is already waiting.

#include "../support/residentmemory.h"
#include "failureof.h"
#include "link/lineconnection.h"
#include "link/socket_platform.h"
#include "support/peerprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <cerrno>
#include <memory>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using qd::link::Failure;
using qd::link::LineConnection;

namespace {

// Socket failure texts as this system words them.
QString socketError(int code, const char *description)
{
    return QStringLiteral("Socket Error # %1\n%2").arg(code).arg(QLatin1String(description));
}
QString resetText()
{
    return socketError(ECONNRESET, "Connection reset by peer.");
}
QString brokenPipeText()
{
    return socketError(EPIPE, "Broken pipe.");
}

const QString kNotConnected = QStringLiteral("Not connected.");
const QString kClosedByServer = QStringLiteral("Connection closed by the server.");
const QString kTooLong = QStringLiteral("Reply line longer than 16384 bytes.");

using qd::test::failureOf;

int intOption(qd::link::platform::SocketHandle socket, int level, int name)
{
    int value = -1;
    socklen_t length = sizeof value;
    if (::getsockopt(socket, level, name, &value, &length) != 0)
        return -1;
    return value;
}

// A port that nothing listens on: the system hands out a free one, and it is let go at once.
quint16 closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

} // namespace

class TestLineConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void replyLines_data();
    void replyLines();
    void tooLongLineFailsOnceAndLaterLinesRead_data();
    void tooLongLineFailsOnceAndLaterLinesRead();
    void incompleteLineYieldsEmptyLineAfterTheWait();

    void writeSendsOneAsciiLine_data();
    void writeSendsOneAsciiLine();
    void writeAndReadWithoutConnectionObjectFail();
    void writeAfterDisconnectFails();

    void connectFailures_data();
    void connectFailures();
    void connectResolvesHostName();
    void connectWhileConnectedIsRefused();
    void connectTimeIsBounded();
    void disconnectSignalsOnceOnly();

    void connectedTestTakesArrivedBytes();
    void closeByServerFoundByRead();
    void closeByServerFoundByConnectedTest();
    void resetFoundByRead();
    void resetFoundByWrite();
    void writeAfterServerCloseSucceedsOnceThenFails();

    void exchangeWithPeer_data();
    void exchangeWithPeer();

    // A broken or hostile server.
    void streamingServerEndsWithinTheBound_data();
    void streamingServerEndsWithinTheBound();
    void streamingServersCostNoMemory();
    void endlessLongLineEndsTheConnection();
    void serverThatStopsReadingCostsOneBoundedStall();
    void lossNoticedWithoutATap_data();
    void lossNoticedWithoutATap();
    void lossReportedOnceAndNeverForANewConnection();
    void livenessOptions_data();
    void livenessOptions();

private:
    // Connects the connection under test to the test's server and accepts the server end.
    bool openPair();
    bool serverSends(const QByteArray &bytes);
    QByteArray serverReceives(qsizetype count);
    void serverCloses();
    void serverResets();

    std::unique_ptr<QTcpServer> m_server;
    std::unique_ptr<LineConnection> m_connection;
    QTcpSocket *m_peer = nullptr;
};

void TestLineConnection::init()
{
    m_server = std::make_unique<QTcpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
    m_connection = std::make_unique<LineConnection>();
    m_connection->setHost(QStringLiteral("127.0.0.1"));
    m_connection->setPort(m_server->serverPort());
    // Reads that expect a line get it as soon as it is there; only a missing line costs the wait.
    m_connection->setReadWaitMs(30000);
    m_peer = nullptr;
}

void TestLineConnection::cleanup()
{
    m_connection.reset();
    m_server.reset();
}

bool TestLineConnection::openPair()
{
    try {
        m_connection->connectToServer();
    } catch (const Failure &failure) {
        qWarning() << "connect failed:" << failure.text();
        return false;
    }
    if (!m_server->waitForNewConnection(30000))
        return false;
    m_peer = m_server->nextPendingConnection();
    return m_peer != nullptr;
}

bool TestLineConnection::serverSends(const QByteArray &bytes)
{
    m_peer->write(bytes);
    while (m_peer->bytesToWrite() > 0) {
        if (!m_peer->waitForBytesWritten(30000))
            return false;
    }
    return true;
}

QByteArray TestLineConnection::serverReceives(qsizetype count)
{
    QByteArray received;
    while (received.size() < count) {
        if (m_peer->bytesAvailable() == 0 && !m_peer->waitForReadyRead(30000))
            break;
        received += m_peer->readAll();
    }
    return received;
}

void TestLineConnection::serverCloses()
{
    m_peer->disconnectFromHost();
    if (m_peer->state() != QAbstractSocket::UnconnectedState)
        m_peer->waitForDisconnected(30000);
}

void TestLineConnection::serverResets()
{
    QVERIFY(qd::link::platform::setAbortiveClose(m_peer->socketDescriptor()));
    m_peer->abort();
}

void TestLineConnection::replyLines_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("lines");

    const QString longLine(16384, QLatin1Char('a'));
    QTest::newRow("ok LF") << QByteArray("ok\n") << QStringList{"ok"};
    QTest::newRow("ok CR LF") << QByteArray("ok\r\n") << QStringList{"ok"};
    QTest::newRow("CR LF alone") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("LF alone") << QByteArray("\n") << QStringList{""};
    QTest::newRow("upper case") << QByteArray("OK\n") << QStringList{"OK"};
    QTest::newRow("trailing space") << QByteArray("ok \n") << QStringList{"ok "};
    QTest::newRow("only one CR dropped") << QByteArray("ok\r\r\n") << QStringList{"ok\r"};
    QTest::newRow("CR inside kept") << QByteArray("o\rk\n") << QStringList{"o\rk"};
    QTest::newRow("bytes above 0x7F") << QByteArray("\xce\xb1\x80\xff!\x7f\n")
                                      << QStringList{QString::fromUtf16(u"\uFFFD\uFFFD\uFFFD\uFFFD!\x7f")};
    QTest::newRow("NUL byte") << QByteArray("a\0b\n", 4) << QStringList{QString::fromUtf16(u"a\0b", 3)};
    QTest::newRow("oldest first") << QByteArray("first\nsecond\r\n\nthird\n")
                                  << QStringList{"first", "second", "", "third"};
    QTest::newRow("16384 bytes") << (longLine.toLatin1() + '\n') << QStringList{longLine};
    QByteArray many;
    QStringList manyLines;
    for (int i = 0; i < 5000; ++i) {
        many += QByteArray::number(i) + "\r\n";
        manyLines << QString::number(i);
    }
    QTest::newRow("more than one receive of lines") << many << manyLines;
}

void TestLineConnection::replyLines()
{
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, lines);
    QVERIFY(openPair());
    QVERIFY(serverSends(sent));
    for (const QString &expected : std::as_const(lines)) {
        QString line;
        QCOMPARE(failureOf([&] { line = m_connection->readLine(); }), QString());
        QCOMPARE(line, expected);
    }
    QCOMPARE(m_connection->pendingBytes(), QByteArray());
    QVERIFY(m_connection->isOpen());
}

void TestLineConnection::tooLongLineFailsOnceAndLaterLinesRead_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("later");

    const QByteArray a16385(16385, 'a');
    QTest::newRow("16385 bytes") << a16385 + "\nok\n" << QByteArray();
    QTest::newRow("16384 bytes and CR") << QByteArray(16384, 'a') + "\r\nok\n" << QByteArray();
    QTest::newRow("longer than one receive") << QByteArray(40000, 'a') + "\nok\n" << QByteArray();
    QTest::newRow("end of line still to come") << a16385 << QByteArray("rest of it\nok\n");
}

void TestLineConnection::tooLongLineFailsOnceAndLaterLinesRead()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, later);
    QVERIFY(openPair());
    QVERIFY(serverSends(first));
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kTooLong);
    QVERIFY(serverSends(later));
    QString line;
    QCOMPARE(failureOf([&] { line = m_connection->readLine(); }), QString());
    QCOMPARE(line, QStringLiteral("ok"));
    QVERIFY(m_connection->isOpen());
}

void TestLineConnection::incompleteLineYieldsEmptyLineAfterTheWait()
{
    QVERIFY(openPair());
    QVERIFY(serverSends("par"));
    m_connection->setReadWaitMs(50);
    QString line = QStringLiteral("unset");
    QCOMPARE(failureOf([&] { line = m_connection->readLine(); }), QString());
    QCOMPARE(line, QString());
    QVERIFY(m_connection->isOpen());
    // The start of the line stays queued for the next read.
    QCOMPARE(m_connection->pendingBytes(), QByteArray("par"));
    QVERIFY(serverSends("tial\n"));
    m_connection->setReadWaitMs(30000);
    QCOMPARE(failureOf([&] { line = m_connection->readLine(); }), QString());
    QCOMPARE(line, QStringLiteral("partial"));
}

void TestLineConnection::writeSendsOneAsciiLine_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("key name") << QStringLiteral("a15") << QByteArray("a15\r\n");
    QTest::newRow("move_client") << QStringLiteral("move_client") << QByteArray("move_client\r\n");
    QTest::newRow("empty") << QString() << QByteArray("\r\n");
    QTest::newRow("Greek") << QString::fromUtf16(u"x\u03b1\u03b2y") << QByteArray("x??y\r\n");
    QTest::newRow("Latin-1 letter") << QString::fromUtf16(u"\u00e9") << QByteArray("?\r\n");
    QTest::newRow("outside the BMP counts once") << QString::fromUtf16(u"x\U0001D046y") << QByteArray("x?y\r\n");
}

void TestLineConnection::writeSendsOneAsciiLine()
{
    QFETCH(QString, word);
    QFETCH(QByteArray, bytes);
    QVERIFY(openPair());
    QCOMPARE(failureOf([&] { m_connection->writeLine(word); }), QString());
    QCOMPARE(serverReceives(bytes.size()), bytes);
}

void TestLineConnection::writeAndReadWithoutConnectionObjectFail()
{
    QVERIFY(!m_connection->hasConnectionObject());
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), kNotConnected);
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kNotConnected);
    QVERIFY(!m_connection->connectedTest());

    // A failed connect leaves no connection object behind either.
    m_connection->setPort(closedPort());
    QVERIFY(!failureOf([&] { m_connection->connectToServer(); }).isNull());
    QVERIFY(!m_connection->hasConnectionObject());
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), kNotConnected);
}

void TestLineConnection::writeAfterDisconnectFails()
{
    QVERIFY(openPair());
    m_connection->disconnectFromServer();
    QVERIFY(m_connection->hasConnectionObject());
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), kNotConnected);
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kNotConnected);
}

void TestLineConnection::connectFailures_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port"); // -1: a port nothing listens on
    QTest::addColumn<bool>("objectBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("objectAfter");

    const QString refused = socketError(ECONNREFUSED, "Connection refused.");
    const QString notFound = QStringLiteral("Socket Error # 11001\nHost not found.");
    for (const bool before : {false, true}) {
        const char *const suffix = before ? " after a connection" : "";
        // Failures before the connection object is touched leave it as it was.
        QTest::addRow("empty host%s", suffix) << QString() << 6000 << before << QStringLiteral("") << before;
        QTest::addRow("port 0%s", suffix) << QStringLiteral("127.0.0.1") << 0 << before << QStringLiteral("") << before;
        // Socket failures discard it.
        QTest::addRow("refused%s", suffix) << QStringLiteral("127.0.0.1") << -1 << before << refused << false;
        // A name the resolver refuses without asking any server.
        QTest::addRow("invalid name%s", suffix) << QStringLiteral("a..b") << -1 << before << notFound << false;
        // Only IPv4 addresses are used.
        QTest::addRow("IPv6 address%s", suffix) << QStringLiteral("::1") << -1 << before << notFound << false;
    }
}

void TestLineConnection::connectFailures()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, objectBefore);
    QFETCH(QString, text);
    QFETCH(bool, objectAfter);

    if (objectBefore) {
        QVERIFY(openPair());
        m_connection->disconnectFromServer();
    }
    QSignalSpy connectedSpy(m_connection.get(), &LineConnection::connected);
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    m_connection->setHost(host);
    m_connection->setPort(port < 0 ? closedPort() : quint16(port));
    QCOMPARE(failureOf([&] { m_connection->connectToServer(); }), text);
    QCOMPARE(m_connection->hasConnectionObject(), objectAfter);
    QVERIFY(!m_connection->isOpen());
    QCOMPARE(m_connection->host(), host);
    QCOMPARE(connectedSpy.count(), 0);
    QCOMPARE(disconnectedSpy.count(), 0);
}

void TestLineConnection::connectResolvesHostName()
{
    // localhost comes from the hosts file, without any name server.
    m_connection->setHost(QStringLiteral("localhost"));
    QSignalSpy connectedSpy(m_connection.get(), &LineConnection::connected);
    QVERIFY(openPair());
    QCOMPARE(connectedSpy.count(), 1);
    QVERIFY(m_connection->isOpen());
    QVERIFY(m_connection->connectedTest());
}

void TestLineConnection::connectWhileConnectedIsRefused()
{
    QVERIFY(openPair());
    QVERIFY(serverSends("ok\n"));
    QSignalSpy connectedSpy(m_connection.get(), &LineConnection::connected);
    QCOMPARE(failureOf([&] { m_connection->connectToServer(); }), QStringLiteral("Already connected."));
    QVERIFY(m_connection->isOpen());
    QCOMPARE(connectedSpy.count(), 0);
    // Nothing of the open connection was thrown away.
    QCOMPARE(m_connection->readLine(), QStringLiteral("ok"));
}

void TestLineConnection::connectTimeIsBounded()
{
    // A listening socket whose accept queue is full lets new connects hang unanswered, like a
    // host that does not answer, without any traffic leaving the machine.
    QTcpServer full;
    full.setListenBacklogSize(0);
    QVERIFY(full.listen(QHostAddress::LocalHost, 0));
    std::vector<std::unique_ptr<LineConnection>> fillers;
    QString text;
    for (int i = 0; i < 20 && text.isNull(); ++i) {
        auto connection = std::make_unique<LineConnection>();
        connection->setHost(QStringLiteral("127.0.0.1"));
        connection->setPort(full.serverPort());
        connection->setConnectTimeoutMs(500);
        text = failureOf([&] { connection->connectToServer(); });
        if (text.isNull())
            fillers.push_back(std::move(connection));
        else
            QVERIFY(!connection->hasConnectionObject());
    }
    if (text.isNull())
        QSKIP("this system accepted every connect; no way to make one hang on loopback");
    QCOMPARE(text, socketError(ETIMEDOUT, "Connection timed out."));
}

void TestLineConnection::disconnectSignalsOnceOnly()
{
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    m_connection->disconnectFromServer(); // never connected
    QCOMPARE(disconnectedSpy.count(), 0);

    QVERIFY(openPair());
    m_connection->disconnectFromServer();
    QCOMPARE(disconnectedSpy.count(), 1);
    QVERIFY(!m_connection->isOpen());
    QVERIFY(!m_connection->closedByServer());
    m_connection->disconnectFromServer();
    QCOMPARE(disconnectedSpy.count(), 1);
    // The server sees the end of the stream.
    QVERIFY(m_peer->waitForDisconnected(30000) || m_peer->state() == QAbstractSocket::UnconnectedState);
}

void TestLineConnection::connectedTestTakesArrivedBytes()
{
    QVERIFY(openPair());
    QVERIFY(serverSends("ok\nhalf"));
    QTRY_COMPARE_WITH_TIMEOUT((m_connection->connectedTest(), m_connection->pendingBytes()), QByteArray("ok\nhalf"),
                              30000);
    QVERIFY(m_connection->isOpen());
}

void TestLineConnection::closeByServerFoundByRead()
{
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(openPair());
    QVERIFY(serverSends("ok\n"));
    serverCloses();
    QCOMPARE(m_connection->readLine(), QStringLiteral("ok"));
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kClosedByServer);
    QVERIFY(!m_connection->isOpen());
    QVERIFY(m_connection->closedByServer());
    QVERIFY(m_connection->hasConnectionObject());
    QCOMPARE(disconnectedSpy.count(), 0);
    // Later reads and writes fail at once.
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kClosedByServer);
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), kNotConnected);
}

void TestLineConnection::closeByServerFoundByConnectedTest()
{
    QSignalSpy connectedSpy(m_connection.get(), &LineConnection::connected);
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(openPair());
    QVERIFY(serverSends("ok\n"));
    serverCloses();
    // Unread bytes do not keep the closed connection counted as connected.
    QTRY_VERIFY_WITH_TIMEOUT(!m_connection->connectedTest(), 30000);
    QVERIFY(m_connection->closedByServer());
    QCOMPARE(disconnectedSpy.count(), 0);
    // Closing does not empty the queue: the line that came before the close is still read.
    QCOMPARE(m_connection->pendingBytes(), QByteArray("ok\n"));
    QCOMPARE(m_connection->readLine(), QStringLiteral("ok"));
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kClosedByServer);

    // A disconnect now raises nothing; the next connect opens a fresh connection on the same
    // object with an empty queue.
    m_connection->disconnectFromServer();
    QCOMPARE(disconnectedSpy.count(), 0);
    QVERIFY(openPair());
    QCOMPARE(connectedSpy.count(), 2);
    QVERIFY(!m_connection->closedByServer());
    QCOMPARE(m_connection->pendingBytes(), QByteArray());
}

void TestLineConnection::resetFoundByRead()
{
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(openPair());
    serverResets();
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), resetText());
    QVERIFY(!m_connection->isOpen());
    QVERIFY(!m_connection->closedByServer());
    QVERIFY(m_connection->hasConnectionObject());
    QCOMPARE(disconnectedSpy.count(), 0);
}

void TestLineConnection::resetFoundByWrite()
{
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(openPair());
    serverResets();
    const QString text = failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); });
    QVERIFY2(text == resetText() || text == brokenPipeText(), qPrintable(text));
    QVERIFY(!m_connection->isOpen());
    QCOMPARE(disconnectedSpy.count(), 0);
}

void TestLineConnection::writeAfterServerCloseSucceedsOnceThenFails()
{
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(openPair());
    serverCloses();
    // The write does not look at the connection first, so the first one after the close is
    // taken by the socket; the server's answer to it breaks the connection for a later one.
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), QString());
    QString text;
    for (int i = 0; i < 1000 && text.isNull(); ++i)
        text = failureOf([&] { m_connection->writeLine(QStringLiteral("a16")); });
    QVERIFY2(text == resetText() || text == brokenPipeText(), qPrintable(text));
    QVERIFY(!m_connection->isOpen());
    QCOMPARE(disconnectedSpy.count(), 0);
}

void TestLineConnection::exchangeWithPeer_data()
{
    QTest::addColumn<QStringList>("peerArguments");
    QTest::addColumn<int>("readWaitMs");
    // Per word written, the line read after it; "!" and a failure text for a failed read.
    QTest::addColumn<QStringList>("reads");
    // Whether one more read, without a write before it, finds the connection closed by the server.
    QTest::addColumn<bool>("thenClosed");

    const QString reset = QLatin1Char('!') + resetText();
    QTest::newRow("ok") << QStringList() << 30000 << QStringList{"ok", "ok"} << false;
    QTest::newRow("reply comes while the read waits")
        << QStringList{"--mode", "delay", "300"} << 30000 << QStringList{"ok", "ok"} << false;
    QTest::newRow("silent server, bounded wait")
        << QStringList{"--mode", "silent"} << 100 << QStringList{"", ""} << false;
    QTest::newRow("reject") << QStringList{"--mode", "reject"} << 30000 << QStringList{"no", "no"} << false;
    QTest::newRow("empty") << QStringList{"--mode", "empty"} << 30000 << QStringList{"", ""} << false;
    QTest::newRow("close after one") << QStringList{"--mode", "close-after", "1"} << 30000 << QStringList{"ok"} << true;
    QTest::newRow("reset at the second") << QStringList{"--mode", "reset-after", "2"} << 30000
                                         << QStringList{"ok", reset} << false;
}

void TestLineConnection::exchangeWithPeer()
{
    QFETCH(QStringList, peerArguments);
    QFETCH(int, readWaitMs);
    QFETCH(QStringList, reads);
    QFETCH(bool, thenClosed);

    PeerProcess peer;
    QVERIFY2(peer.start(peerArguments << QStringLiteral("--no-discovery")), qPrintable(peer.errorString()));
    m_connection->setPort(peer.tcpPort());
    m_connection->setReadWaitMs(readWaitMs);
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(failureOf([&] { m_connection->connectToServer(); }).isNull());

    const QStringList words{QStringLiteral("a15"), QStringLiteral("move_client")};
    for (qsizetype i = 0; i < reads.size(); ++i) {
        QCOMPARE(failureOf([&] { m_connection->writeLine(words.at(i)); }), QString());
        QString line;
        const QString failure = failureOf([&] { line = m_connection->readLine(); });
        if (reads.at(i).startsWith(QLatin1Char('!'))) {
            QCOMPARE(failure, reads.at(i).mid(1));
            QVERIFY(!m_connection->isOpen());
        } else {
            QCOMPARE(failure, QString());
            QCOMPARE(line, reads.at(i));
        }
    }
    if (thenClosed) {
        QCOMPARE(failureOf([&] { m_connection->readLine(); }), kClosedByServer);
        QVERIFY(m_connection->closedByServer());
    }
    QVERIFY(peer.waitForWords(int(reads.size())));
    QCOMPARE(peer.receivedWords(), words.mid(0, reads.size()));
    QCOMPARE(disconnectedSpy.count(), 0);
}

void TestLineConnection::streamingServerEndsWithinTheBound_data()
{
    QTest::addColumn<QString>("mode");
    // Whether the bytes are taken in by the socket's watch from the event loop, or by connected
    // tests alone, as every discovery reply runs one.
    QTest::addColumn<bool>("eventLoop");

    for (const bool eventLoop : {true, false}) {
        const char *const driver = eventLoop ? "watched" : "connected tests";
        QTest::addRow("ok lines, %s", driver) << QStringLiteral("stream-lines") << eventLoop;
        QTest::addRow("bytes without LF, %s", driver) << QStringLiteral("stream-bytes") << eventLoop;
    }
}

void TestLineConnection::streamingServerEndsWithinTheBound()
{
    QFETCH(QString, mode);
    QFETCH(bool, eventLoop);

    PeerProcess peer;
    QVERIFY2(peer.start({QStringLiteral("--mode"), mode, QStringLiteral("--no-discovery")}),
             qPrintable(peer.errorString()));
    m_connection->setPort(peer.tcpPort());
    QSignalSpy lostSpy(m_connection.get(), &LineConnection::connectionLost);
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QCOMPARE(failureOf([&] { m_connection->connectToServer(); }), QString());

    if (eventLoop) {
        QVERIFY(lostSpy.wait(30000));
    } else {
        QElapsedTimer patience;
        patience.start();
        while (m_connection->connectedTest() && patience.elapsed() < 30000) {
            QVERIFY(m_connection->pendingBytes().size() <= LineConnection::kMaxQueued);
        }
    }
    // Ended like a close by the server, with no more queued than the bound.
    QVERIFY(!m_connection->isOpen());
    QVERIFY(m_connection->closedByServer());
    QVERIFY(m_connection->pendingBytes().size() <= LineConnection::kMaxQueued);
    QCOMPARE(disconnectedSpy.count(), 0);

    // What was queued still reads, oldest first, up to the end.
    qsizetype lines = 0;
    QString failure;
    for (;;) {
        QString line;
        failure = failureOf([&] { line = m_connection->readLine(); });
        if (!failure.isNull())
            break;
        QCOMPARE(line, QStringLiteral("ok"));
        ++lines;
    }
    if (mode == QLatin1String("stream-lines")) {
        QVERIFY(lines > 0);
        QVERIFY(lines <= LineConnection::kMaxQueued / 3);
        QCOMPARE(failure, kClosedByServer);
    } else {
        QCOMPARE(lines, 0);
        QCOMPARE(failure, kTooLong);
        QCOMPARE(failureOf([&] { m_connection->readLine(); }), kClosedByServer);
    }
    QTRY_COMPARE_WITH_TIMEOUT(lostSpy.count(), 1, 30000);
}

void TestLineConnection::streamingServersCostNoMemory()
{
    // Connection after connection to servers that stream without end, as discovery would make
    // them: memory stays where it was after the first few.
    PeerProcess lines;
    PeerProcess bytes;
    QVERIFY2(lines.start({"--mode", "stream-lines", "--no-discovery"}), qPrintable(lines.errorString()));
    QVERIFY2(bytes.start({"--mode", "stream-bytes", "--no-discovery"}), qPrintable(bytes.errorString()));
    QSignalSpy lostSpy(m_connection.get(), &LineConnection::connectionLost);
    qint64 before = 0;
    for (int i = 0; i < 400; ++i) {
        if (i == 40)
            before = qd::test::residentKiB();
        m_connection->setPort(i % 2 ? lines.tcpPort() : bytes.tcpPort());
        QCOMPARE(failureOf([&] { m_connection->connectToServer(); }), QString());
        QVERIFY(lostSpy.wait(30000));
        QVERIFY(m_connection->pendingBytes().size() <= LineConnection::kMaxQueued);
    }
    const qint64 growth = qd::test::residentKiB() - before;
    qInfo("resident memory grew by %lld KiB over 360 streaming connections", growth);
    if (qd::test::kResidentMemoryTells)
        QVERIFY2(growth < 2048, qPrintable(QString::number(growth)));
}

void TestLineConnection::endlessLongLineEndsTheConnection()
{
    // Reads alone, with no event loop in between: the refused line is skipped only up to the bound.
    PeerProcess peer;
    QVERIFY2(peer.start({"--mode", "stream-bytes", "--no-discovery"}), qPrintable(peer.errorString()));
    m_connection->setPort(peer.tcpPort());
    QCOMPARE(failureOf([&] { m_connection->connectToServer(); }), QString());
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kTooLong);
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kClosedByServer);
    QVERIFY(!m_connection->isOpen());
    QVERIFY(m_connection->closedByServer());
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), kNotConnected);
}

void TestLineConnection::serverThatStopsReadingCostsOneBoundedStall()
{
    const int bound = 300;
    m_connection->setSendTimeoutMs(bound);
    QSignalSpy lostSpy(m_connection.get(), &LineConnection::connectionLost);
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(openPair());
    // The server takes nothing more: Qt holds at most one byte, the buffers are small.
    m_peer->setReadBufferSize(1);
    m_peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    const int small = 4096;
    ::setsockopt(m_connection->socketHandle(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);

    const QString word(65536, QLatin1Char('w'));
    QString failure;
    qint64 stall = 0;
    for (int i = 0; i < 200 && failure.isNull(); ++i) {
        QElapsedTimer timer;
        timer.start();
        failure = failureOf([&] { m_connection->writeLine(word); });
        stall = timer.elapsed();
    }
    QCOMPARE(failure, socketError(ETIMEDOUT, "Connection timed out."));
    qInfo("the stalled send gave up after %lld ms (bound %d ms)", stall, bound);
    QVERIFY2(stall < 30 * bound, qPrintable(QString::number(stall)));
    // Part of that line may be at the server: the connection is closed, not reused.
    QVERIFY(!m_connection->isOpen());
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), kNotConnected);
    QVERIFY(lostSpy.wait(30000));
    QCOMPARE(lostSpy.count(), 1);
    QCOMPARE(disconnectedSpy.count(), 0);

    // A server that reads again gets the next word whole on a fresh connection.
    QVERIFY(openPair());
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); }), QString());
    QCOMPARE(serverReceives(5), QByteArray("a15\r\n"));
}

void TestLineConnection::lossNoticedWithoutATap_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QByteArray>("before"); // what the server sends before it goes
    QTest::newRow("close") << false << QByteArray();
    QTest::newRow("close after unread lines") << false << QByteArray("ok\nok\n");
    QTest::newRow("reset") << true << QByteArray();
}

void TestLineConnection::lossNoticedWithoutATap()
{
    QFETCH(bool, reset);
    QFETCH(QByteArray, before);

    QSignalSpy lostSpy(m_connection.get(), &LineConnection::connectionLost);
    QSignalSpy disconnectedSpy(m_connection.get(), &LineConnection::disconnected);
    QVERIFY(openPair());
    QVERIFY(serverSends(before));
    if (reset)
        serverResets();
    else
        serverCloses();
    // No read, no write, no connected test: the event loop alone finds it.
    QVERIFY(lostSpy.wait(30000));
    QVERIFY(!m_connection->isOpen());
    QCOMPARE(m_connection->closedByServer(), !reset);
    QCOMPARE(disconnectedSpy.count(), 0);
    // Reply lines that came before the close stay queued for the reads.
    QCOMPARE(m_connection->pendingBytes(), before);
    for (qsizetype i = 0; i < before.count('\n'); ++i)
        QCOMPARE(m_connection->readLine(), QStringLiteral("ok"));
    QVERIFY(!failureOf([&] { m_connection->readLine(); }).isNull());

    // The next connect opens a fresh connection at once.
    QVERIFY(openPair());
    QVERIFY(m_connection->connectedTest());
    QCOMPARE(lostSpy.count(), 1);
}

void TestLineConnection::lossReportedOnceAndNeverForANewConnection()
{
    QSignalSpy lostSpy(m_connection.get(), &LineConnection::connectionLost);

    // A reset met by writes is reported once, however many calls meet the closed connection.
    QVERIFY(openPair());
    serverResets();
    QString text;
    for (int i = 0; i < 1000 && text.isNull(); ++i)
        text = failureOf([&] { m_connection->writeLine(QStringLiteral("a15")); });
    QVERIFY(!text.isNull());
    QCOMPARE(failureOf([&] { m_connection->writeLine(QStringLiteral("a16")); }), kNotConnected);
    QVERIFY(!m_connection->connectedTest());
    QTRY_COMPARE_WITH_TIMEOUT(lostSpy.count(), 1, 30000);
    QTest::qWait(50);
    QCOMPARE(lostSpy.count(), 1);

    // A close found by a read and followed by a new connection before the event loop runs: the
    // new connection is not reported lost.
    QVERIFY(openPair());
    serverCloses();
    QCOMPARE(failureOf([&] { m_connection->readLine(); }), kClosedByServer);
    QVERIFY(openPair());
    QTest::qWait(50);
    QCOMPARE(lostSpy.count(), 1);
    QVERIFY(m_connection->isOpen());

    // Our own disconnect and a failed connect are no losses.
    m_connection->disconnectFromServer();
    m_connection->setPort(closedPort());
    QVERIFY(!failureOf([&] { m_connection->connectToServer(); }).isNull());
    QTest::qWait(50);
    QCOMPARE(lostSpy.count(), 1);
}

void TestLineConnection::livenessOptions_data()
{
    QTest::addColumn<bool>("custom");
    QTest::newRow("the link's own") << false;
    QTest::newRow("set by the owner") << true;
}

void TestLineConnection::livenessOptions()
{
    QFETCH(bool, custom);
    qd::link::platform::Liveness liveness;
    // A dead server is found within seconds, not the system's hours.
    QVERIFY(liveness.idleSeconds <= 5 && liveness.unansweredMs <= 10000);
    if (custom) {
        liveness = {7, 3, 4, 9000};
        m_connection->setLiveness(liveness);
    }
    QVERIFY(openPair());
    const auto socket = m_connection->socketHandle();
    QCOMPARE(intOption(socket, SOL_SOCKET, SO_KEEPALIVE), 1);
    QCOMPARE(intOption(socket, IPPROTO_TCP, TCP_KEEPIDLE), liveness.idleSeconds);
    QCOMPARE(intOption(socket, IPPROTO_TCP, TCP_KEEPINTVL), liveness.intervalSeconds);
    QCOMPARE(intOption(socket, IPPROTO_TCP, TCP_KEEPCNT), liveness.probes);
    QCOMPARE(intOption(socket, IPPROTO_TCP, TCP_USER_TIMEOUT), liveness.unansweredMs);
}

QTEST_GUILESS_MAIN(TestLineConnection)
#include "test_lineconnection.moc"
