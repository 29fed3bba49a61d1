// The program with its own defaults on the client host of the vanishing-server test network
// (lan-vanish-test.sh): it finds the server by broadcast, notices without a tap that the
// server's host has gone (its cable pulled), looks for it again, connects when it is back, and
// the next main and side taps arrive with no message.

#include "serverlink.h"

#include <guiharness.h>

#include <QD_client.h>
#include <Unit1.h>
#include <martyries.h>

#include <palette/windowset.h>

#include <link/lineconnection.h>
#include <link/linkcontroller.h>

#include <QElapsedTimer>
#include <QTest>

using namespace qd::test;
using qd::palette::WindowSet;
using namespace qd::test::running;

class LanVanishWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("LAN_SERVER_IP") || lanDir().isEmpty())
            QSKIP("runs only on the client host of the lan-pair test network");
        QVERIFY(setServerLink(true));
    }

    void vanishedServerIsNoticedAndFoundAgain()
    {
        qd::windows::Program program;
        qd::test::setCurrentProgram(&program);
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(MainClient()->indicatorConnected(), 20000);
        MessageCapture messages;
        tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QTRY_COMPARE_WITH_TIMEOUT(peerOutput().count("\na15\t") + peerOutput().startsWith("a15\t"), 1, 10000);

        QVERIFY(setServerLink(false));
        QElapsedTimer since;
        since.start();
        QTRY_VERIFY_WITH_TIMEOUT(!MainClient()->indicatorConnected(), int(3 * lossBoundMs()));
        const qint64 noticed = since.elapsed();
        QVERIFY(controller()->discoveryRunning());
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QCOMPARE(messages.count(), 0);

        QVERIFY(setServerLink(true));
        since.restart();
        QTRY_VERIFY_WITH_TIMEOUT(MainClient()->indicatorConnected(), 30000);
        const qint64 back = since.elapsed();
        qInfo("the vanished server was noticed after %lld ms without a tap; once back, found again after %lld ms",
              noticed, back);
        QVERIFY2(noticed < lossBoundMs(), qPrintable(QString::number(noticed)));

        const QByteArray before = peerOutput();
        tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a16")));
        WindowSet::instance().show(FormMartyries());
        tapCentre(FormMartyries(), FormMartyries()->controlRect(QStringLiteral("ark1")));
        QTRY_VERIFY_WITH_TIMEOUT(peerOutput().mid(before.size()).count('\n') >= 2, 10000);
        const QByteArray after = peerOutput().mid(before.size());
        QVERIFY2(after.startsWith("a16\t") && after.contains("\nark1\t"), after.constData());
        QCOMPARE(messages.count(), 0);
    }
};

QD_GUI_TEST_MAIN(LanVanishWindowsTest)
#include "test_lan_vanish_windows.moc"
