// The real broadcast, end to end: the client on one host of a two-host test network finds
// the reference peer on the other host by its probe and a tapped word arrives. When the
// client's default route is on another network (QD_LAN_DEFAULT_ELSEWHERE=1), 255.255.255.255
// leaves by that one and the server's network hears only the probe to its own broadcast
// address. Only ever run on the client host of that network (lan-pair-test.sh), never on its
// own: it broadcasts on every network this host has.

#include <guiharness.h>

#include <QD_client.h>
#include <Unit1.h>

#include <link/lineconnection.h>

#include <QFile>
#include <QLineEdit>
#include <QSet>
#include <QTest>

class LanBroadcastTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("LAN_CLIENT_IP") || qEnvironmentVariableIsEmpty("QD_PEER_OUTPUT"))
            QSKIP("runs only on the client host of the lan-pair test network");
    }

    void findsTheServerByBroadcastAndSends()
    {
        // The program's own defaults: probe to 255.255.255.255:8090 from 8091, TCP 6000.
        qd::windows::Program program;
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(clientForm->IdTCPClient1->isOpen(), 20000);
        QCOMPARE(clientForm->Edit2->text(), qEnvironmentVariable("LAN_SERVER_IP"));
        QVERIFY(MainClient->indicatorConnected());
        QVERIFY(!clientForm->discoveryRunning());

        qd::test::MessageCapture messages;
        qd::test::tapCentre(MainClient, MainClient->controlRect(QStringLiteral("a15")));
        QCOMPARE(messages.count(), 0);
        const auto peerOutput = [] {
            QFile output(qEnvironmentVariable("QD_PEER_OUTPUT"));
            return output.open(QIODevice::ReadOnly) ? output.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(peerOutput().startsWith("a15\t"), 10000);
        QCOMPARE(peerOutput().count('\n'), 1);

        // Every datagram the peer saw was the probe: "qd" from the client's port 8091, sent to
        // the addresses expected on this network.
        QFile probeLog(qEnvironmentVariable("QD_PEER_PROBES"));
        QVERIFY(probeLog.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(probeLog.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        const QString from = QStringLiteral("from %1:8091 to ").arg(qEnvironmentVariable("LAN_CLIENT_IP"));
        const QString directed = QStringLiteral("10.213.0.255");
        const bool elsewhere = qEnvironmentVariable("QD_LAN_DEFAULT_ELSEWHERE") == QLatin1String("1");
        QSet<QString> sentTo;
        for (const QString &line : lines) {
            QVERIFY2(line.startsWith(from) && line.endsWith(QStringLiteral(" bytes 7164")), qPrintable(line));
            sentTo.insert(line.mid(from.size()).section(QLatin1Char(' '), 0, 0));
        }
        const QSet<QString> expected =
            elsewhere ? QSet<QString>{directed} : QSet<QString>{QStringLiteral("255.255.255.255"), directed};
        QCOMPARE(sentTo, expected);
    }
};

QD_GUI_TEST_MAIN(LanBroadcastTest)
#include "test_lan_broadcast.moc"
