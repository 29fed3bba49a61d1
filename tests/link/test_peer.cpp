// The reference peer qd-peer, driven through plain Qt sockets on loopback.

#include "link/failure.h"
#include "link/lineconnection.h"
#include "support/peerprocess.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <cerrno>

class TestPeer : public QObject
{
    Q_OBJECT

private slots:
    void replyModes_data();
    void replyModes();
    void resetAfter();
    void linesInAnyPieces();
    void connectionsOneAfterAnother();
    void closeAtOnce();
    void stopsReading();
    void streams_data();
    void streams();
    void discoveryReply_data();
    void discoveryReply();
    void onlyTheProbeIsAnswered();
    void noDiscovery();
    void probeLogRecordsEveryDatagram();
    void badArgumentsRefused_data();
    void badArgumentsRefused();
};

namespace {

bool connectTo(QTcpSocket &socket, quint16 port)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(30000);
}

// Reads until `count` bytes have come or the connection has ended.
QByteArray readBytes(QTcpSocket &socket, qsizetype count)
{
    QByteArray received;
    while (received.size() < count) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(30000))
            break;
        received += socket.readAll();
    }
    return received;
}

} // namespace

void TestPeer::replyModes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("replies"); // to the two lines "a15" and "b"
    QTest::addColumn<bool>("closes");

    QTest::newRow("ok") << QStringList() << QByteArray("ok\nok\n") << false;
    QTest::newRow("empty") << QStringList{"--mode", "empty"} << QByteArray("\n\n") << false;
    QTest::newRow("silent") << QStringList{"--mode", "silent"} << QByteArray() << false;
    QTest::newRow("reject") << QStringList{"--mode", "reject"} << QByteArray("no\nno\n") << false;
    QTest::newRow("reject text") << QStringList{"--mode", "reject", "--reject-text", "nope"}
                                 << QByteArray("nope\nnope\n") << false;
    QTest::newRow("delay") << QStringList{"--mode", "delay", "200"} << QByteArray("ok\nok\n") << false;
    QTest::newRow("delay, joined number") << QStringList{"--mode", "delay=0"} << QByteArray("ok\nok\n") << false;
    QTest::newRow("close after 2") << QStringList{"--mode", "close-after", "2"} << QByteArray("ok\nok\n") << true;
    QTest::newRow("close after 1") << QStringList{"--mode", "close-after", "1"} << QByteArray("ok\n") << true;
}

void TestPeer::replyModes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, replies);
    QFETCH(bool, closes);

    PeerProcess peer;
    QVERIFY2(peer.start(arguments), qPrintable(peer.errorString()));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, peer.tcpPort()));
    socket.write("a15\r\nb\r\n");
    QVERIFY(socket.waitForBytesWritten(30000));

    const int lines = closes && replies == "ok\n" ? 1 : 2;
    QVERIFY(peer.waitForWords(lines));
    QCOMPARE(peer.receivedWords(), QStringList({"a15", "b"}).mid(0, lines));
    // The peer answers before it prints the word, so whatever answer there is has been sent.
    QCOMPARE(readBytes(socket, replies.size()), replies);
    if (closes) {
        QVERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(30000));
    } else {
        QVERIFY(!socket.waitForReadyRead(200));
        QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    }
}

void TestPeer::resetAfter()
{
    // Read through the link itself, which tells a reset from an orderly close.
    PeerProcess peer;
    QVERIFY2(peer.start({"--mode", "reset-after", "2"}), qPrintable(peer.errorString()));
    qd::link::LineConnection connection;
    connection.setHost(QStringLiteral("127.0.0.1"));
    connection.setPort(peer.tcpPort());
    connection.setReadWaitMs(30000);
    connection.connectToServer();
    connection.writeLine(QStringLiteral("a15"));
    QCOMPARE(connection.readLine(), QStringLiteral("ok"));
    connection.writeLine(QStringLiteral("b"));
    try {
        connection.readLine();
        QFAIL("no reset");
    } catch (const qd::link::Failure &failure) {
        QCOMPARE(failure.text(), QStringLiteral("Socket Error # %1\nConnection reset by peer.").arg(ECONNRESET));
    }
    QVERIFY(!connection.closedByServer());
    QVERIFY(peer.waitForWords(2));
}

void TestPeer::linesInAnyPieces()
{
    PeerProcess peer;
    QVERIFY2(peer.start({"--mode", "silent"}), qPrintable(peer.errorString()));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, peer.tcpPort()));
    // A line split over two sends, a line ended by LF alone, an empty line, two in one send.
    socket.write("a1");
    QVERIFY(socket.waitForBytesWritten(30000));
    socket.write("5\r\nmove_client\n\r\nx\r\ny\r\n");
    QVERIFY(socket.waitForBytesWritten(30000));
    QVERIFY(peer.waitForWords(5));
    QCOMPARE(peer.receivedWords(), QStringList({"a15", "move_client", "", "x", "y"}));
}

void TestPeer::connectionsOneAfterAnother()
{
    PeerProcess peer;
    QVERIFY2(peer.start({"--mode", "close-after", "1"}), qPrintable(peer.errorString()));
    for (const char *word : {"first", "second", "third"}) {
        QTcpSocket socket;
        QVERIFY(connectTo(socket, peer.tcpPort()));
        socket.write(QByteArray(word) + "\r\n");
        QCOMPARE(readBytes(socket, 3), QByteArray("ok\n"));
        QVERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(30000));
    }
    QVERIFY(peer.waitForWords(3));
    QCOMPARE(peer.receivedWords(), QStringList({"first", "second", "third"}));
}

void TestPeer::closeAtOnce()
{
    PeerProcess peer;
    QVERIFY2(peer.start({"--mode", "close-after", "0"}), qPrintable(peer.errorString()));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, peer.tcpPort()));
    QVERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(30000));
    QCOMPARE(socket.readAll(), QByteArray());
}

void TestPeer::stopsReading()
{
    PeerProcess peer;
    QVERIFY2(peer.start({"--mode", "stop-reading-after", "1", "--receive-buffer", "4096"}),
             qPrintable(peer.errorString()));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, peer.tcpPort()));
    socket.write("a15\r\nb\r\n");
    QCOMPARE(readBytes(socket, 3), QByteArray("ok\n"));
    // Far more than the buffers of both sides hold: whatever the peer does not read stays here.
    socket.write(QByteArray(64 << 20, 'x'));
    while (socket.waitForBytesWritten(1000)) {
    }
    QVERIFY(socket.bytesToWrite() > 0);
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    QVERIFY(peer.waitForWords(1));
    QCOMPARE(peer.receivedWords(), QStringList{"a15"});
    QVERIFY(!socket.waitForReadyRead(100));
}

void TestPeer::streams_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("unit");
    QTest::newRow("lines") << QStringLiteral("stream-lines") << QByteArray("ok\n");
    QTest::newRow("bytes") << QStringLiteral("stream-bytes") << QByteArray("x");
}

void TestPeer::streams()
{
    QFETCH(QString, mode);
    QFETCH(QByteArray, unit);
    PeerProcess peer;
    QVERIFY2(peer.start({"--mode", mode}), qPrintable(peer.errorString()));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, peer.tcpPort()));
    // Unasked, and more than any buffer of the peer's: it streams without end.
    const qsizetype size = 3 << 20;
    const QByteArray received = readBytes(socket, size).left(size);
    QCOMPARE(received.size(), size);
    QCOMPARE(received, unit.repeated(size / unit.size()));
    // It still takes the words sent to it, and does not answer them.
    socket.write("a15\r\n");
    QVERIFY(socket.waitForBytesWritten(30000));
    QVERIFY(peer.waitForWords(1));
    QCOMPARE(peer.receivedWords(), QStringList{"a15"});
}

void TestPeer::discoveryReply_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("default host text") << QStringList() << QByteArray("127.0.0.1\n");
    QTest::newRow("host name") << QStringList{"--host-text", "qdserver"} << QByteArray("qdserver\n");
}

void TestPeer::discoveryReply()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, reply);
    PeerProcess peer;
    QVERIFY2(peer.start(arguments), qPrintable(peer.errorString()));
    QVERIFY(peer.udpPort() != 0);
    QUdpSocket client;
    QVERIFY(client.bind(QHostAddress::LocalHost, 0));
    QCOMPARE(client.writeDatagram("qd", QHostAddress::LocalHost, peer.udpPort()), 2);
    QVERIFY(client.hasPendingDatagrams() || client.waitForReadyRead(30000));
    const QNetworkDatagram answer = client.receiveDatagram();
    QCOMPARE(answer.data(), reply);
    QCOMPARE(answer.senderPort(), int(peer.udpPort()));
}

void TestPeer::onlyTheProbeIsAnswered()
{
    PeerProcess peer;
    QVERIFY2(peer.start(), qPrintable(peer.errorString()));
    QUdpSocket other;
    QVERIFY(other.bind(QHostAddress::LocalHost, 0));
    for (const QByteArray &datagram : {QByteArray("xx"), QByteArray("qdx"), QByteArray("QD"), QByteArray("q")})
        QCOMPARE(other.writeDatagram(datagram, QHostAddress::LocalHost, peer.udpPort()), datagram.size());
    QUdpSocket prober;
    QVERIFY(prober.bind(QHostAddress::LocalHost, 0));
    QCOMPARE(prober.writeDatagram("qd", QHostAddress::LocalHost, peer.udpPort()), 2);
    QVERIFY(prober.hasPendingDatagrams() || prober.waitForReadyRead(30000));
    // The peer takes datagrams in order, so any answer to the others would be here by now.
    QVERIFY(!other.hasPendingDatagrams());
}

void TestPeer::noDiscovery()
{
    PeerProcess peer;
    QVERIFY2(peer.start({"--no-discovery"}), qPrintable(peer.errorString()));
    QCOMPARE(peer.udpPort(), quint16(0));
    QVERIFY(peer.tcpPort() != 0);
}

void TestPeer::probeLogRecordsEveryDatagram()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("probes.log"));
    PeerProcess peer;
    QVERIFY2(peer.start({QStringLiteral("--probe-log"), path}), qPrintable(peer.errorString()));
    QUdpSocket prober;
    QVERIFY(prober.bind(QHostAddress::LocalHost, 0));
    // Probe or not, each is written down; the answer to the last one says all are in.
    for (const QByteArray &datagram : {QByteArray("QD\n"), QByteArray("qd")})
        QCOMPARE(prober.writeDatagram(datagram, QHostAddress::LocalHost, peer.udpPort()), datagram.size());
    QVERIFY(prober.hasPendingDatagrams() || prober.waitForReadyRead(30000));
    QFile log(path);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString from = QStringLiteral("from 127.0.0.1:%1 to 127.0.0.1 bytes ").arg(prober.localPort());
    QCOMPARE(QString::fromLatin1(log.readAll()), from + QStringLiteral("51440a\n") + from + QStringLiteral("7164\n"));
}

void TestPeer::badArgumentsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown mode") << QStringList{"--mode", "chatty"};
    QTest::newRow("close-after without N") << QStringList{"--mode", "close-after"};
    QTest::newRow("reset-after 0") << QStringList{"--mode", "reset-after", "0"};
    QTest::newRow("stream-lines with N") << QStringList{"--mode", "stream-lines", "1"};
    QTest::newRow("negative receive buffer") << QStringList{"--receive-buffer", "-1"};
    QTest::newRow("ok with N") << QStringList{"--mode", "ok", "3"};
    QTest::newRow("port too big") << QStringList{"--tcp-port", "70000"};
}

void TestPeer::badArgumentsRefused()
{
    QFETCH(QStringList, arguments);
    PeerProcess peer;
    QVERIFY(!peer.start(arguments));
    QVERIFY2(peer.errorString().contains(QLatin1String("qd-peer: bad")), qPrintable(peer.errorString()));
}

QTEST_GUILESS_MAIN(TestPeer)
#include "test_peer.moc"
