// The real broadcast, end to end: the client on one host of a two-host test network finds
// the reference peer on the other host through 255.255.255.255 and a tapped word arrives.
// Only ever run on the client host of that network (lan-pair-test.sh), never on its own:
// it broadcasts on every network this host has.

#include <guiharness.h>

#include <QD_client.h>
#include <Unit1.h>

#include <link/lineconnection.h>

#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <link/linkcontroller.h>

using namespace qd::test::running;

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
        qd::test::setCurrentProgram(&program);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(controller()->IdTCPClient1()->isOpen(), 20000);
        QCOMPARE(clientForm()->Edit2->text(), qEnvironmentVariable("LAN_SERVER_IP"));
        QVERIFY(MainClient()->indicatorConnected());
        QVERIFY(!controller()->discoveryRunning());

        qd::test::MessageCapture messages;
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QCOMPARE(messages.count(), 0);
        const auto peerOutput = [] {
            QFile output(qEnvironmentVariable("QD_PEER_OUTPUT"));
            return output.open(QIODevice::ReadOnly) ? output.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(peerOutput().startsWith("a15\t"), 10000);
        QCOMPARE(peerOutput().count('\n'), 1);
    }
};

QD_GUI_TEST_MAIN(LanBroadcastTest)
#include "test_lan_broadcast.moc"
