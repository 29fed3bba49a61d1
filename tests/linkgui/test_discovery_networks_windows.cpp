// Discovery through the windows on a machine whose networks come and go, in a private network
// namespace of its own (in-isolated-network.sh) with no default route: the probe to
// 255.255.255.255 fails at every tick, and a network the test adds (10.213.9.x, where nothing
// answers) is probed by its broadcast address. Whether a tick fails is decided by all of its
// probes together: the user hears of it once an episode, and only when no probe left at all.

#include <guiharness.h>
#include <testnetwork.h>

#include <Unit1.h>

#include <link/discoverylistener.h>

#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QTest>
#include <QUdpSocket>

#include <memory>

using qd::test::MessageCapture;
using qd::test::TestNetwork;

class DiscoveryNetworksWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!qd::test::inIsolatedNetwork())
            QSKIP("runs only in a network namespace of its own (in-isolated-network.sh)");
        TestNetwork trial(QStringLiteral("qdtry0"), QStringLiteral("10.213.9.193/26"), false);
        if (!trial.error().isNull())
            QSKIP(qPrintable(QStringLiteral("cannot make test networks here: %1").arg(trial.error())));
    }

    void failureOnlyWhenNoProbeLeaves()
    {
        QUdpSocket hearer;
        QVERIFY(hearer.bind(QHostAddress::AnyIPv4, 0));
        // The program's own probe target with a port of the test's.
        auto settings = qd::test::loopbackSettings(hearer.localPort());
        settings.probeTarget = QHostAddress(QHostAddress::Broadcast);
        auto wired = std::make_unique<TestNetwork>(QStringLiteral("qdwire0"), QStringLiteral("10.213.9.1/26"), true);
        QVERIFY2(wired->error().isNull(), qPrintable(wired->error()));
        MessageCapture messages;
        const auto program = qd::test::startProgram(settings);

        // Ticks that reach the wired network are not failures, though 255.255.255.255 fails.
        int heardOnWire = 0;
        connect(&hearer, &QUdpSocket::readyRead, this, [&] {
            while (hearer.hasPendingDatagrams()) {
                const QNetworkDatagram probe = hearer.receiveDatagram();
                if (probe.data() == "qd" && probe.destinationAddress() == QHostAddress(QStringLiteral("10.213.9.63")))
                    ++heardOnWire;
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(heardOnWire >= 2, 10000);
        QCOMPARE(messages.count(), 0);
        QCOMPARE(log(), QStringList{});

        // The cable is pulled: no probe leaves, one box and one log line however many ticks fail.
        wired.reset();
        QTRY_COMPARE_WITH_TIMEOUT(messages.count(), 1, 10000);
        const QString box = messages.texts().first();
        QVERIFY2(box.startsWith(QStringLiteral("Socket Error # ")) && box.endsWith(QLatin1Char('.')), qPrintable(box));
        QTest::qWait(4500);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(log().size(), 1);
        QVERIFY2(log().first().startsWith(QStringLiteral("Discovery failed: Socket Error # ")),
                 qPrintable(log().first()));

        // Plugged in again: probing goes on without a word ...
        wired = std::make_unique<TestNetwork>(QStringLiteral("qdwire0"), QStringLiteral("10.213.9.1/26"), true);
        QVERIFY2(wired->error().isNull(), qPrintable(wired->error()));
        const int before = heardOnWire;
        QTRY_VERIFY_WITH_TIMEOUT(heardOnWire >= before + 2, 10000);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(log().size(), 1);
        // ... and pulled once more it is a new episode, told again.
        wired.reset();
        QTRY_COMPARE_WITH_TIMEOUT(messages.count(), 2, 10000);
        QCOMPARE(log().size(), 2);
    }

private:
    QStringList log() const
    {
        const QString text = clientForm->Memo1->toPlainText();
        return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
    }
};

QD_GUI_TEST_MAIN(DiscoveryNetworksWindowsTest)
#include "test_discovery_networks_windows.moc"
