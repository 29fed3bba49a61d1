// The server the settings window names: remembered from one start to the next, and pinned with
// --server so that the client connects there and discovery neither probes nor redirects it.

#include <guiharness.h>
#include <peerprocess.h>

#include <QD_client.h>
#include <Unit1.h>

#include <link/linkcontroller.h>

#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace qd::test::running;

namespace {
void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}
} // namespace

class ServerSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The settings of this test live in a folder of its own, never in the user's.
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }
    void init() { QSettings().clear(); }
    void cleanup() { m_program.reset(); }

    void hostAndPortAreRememberedAcrossTwoStarts()
    {
        qd::windows::LinkSettings settings = qd::test::loopbackSettings();
        settings.rememberServer = true;
        m_program = qd::test::startProgram(settings);
        // Nothing saved yet: the program's own defaults.
        QCOMPARE(clientForm()->Edit2->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(clientForm()->Edit3->text(), QStringLiteral("6000"));
        retype(clientForm()->Edit2, QStringLiteral("127.0.0.9"));
        retype(clientForm()->Edit3, QStringLiteral("6123"));
        m_program.reset();

        m_program = qd::test::startProgram(settings);
        QCOMPARE(clientForm()->Edit2->text(), QStringLiteral("127.0.0.9"));
        QCOMPARE(clientForm()->Edit3->text(), QStringLiteral("6123"));
        // The remembered port is the one the toggle connects with, not just a text.
        QCOMPARE(controller()->portText(), QStringLiteral("6123"));
        m_program.reset();

        // A run that does not remember (the tests, the renderings) starts from the defaults.
        m_program = qd::test::startProgram(qd::test::loopbackSettings());
        QCOMPARE(clientForm()->Edit2->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(clientForm()->Edit3->text(), QStringLiteral("6000"));
    }

    void aPinnedServerIsConnectedWithNoProbeSent()
    {
        PeerProcess peer;
        QVERIFY2(peer.start({QStringLiteral("--no-discovery")}), qPrintable(peer.errorString()));
        // Where a probe would go: a socket of ours that counts every datagram.
        QUdpSocket probeCatcher;
        QVERIFY(probeCatcher.bind(QHostAddress::LocalHost, 0));
        const quint16 listenPort = qd::test::freeUdpPort();
        {
            QSettings store;
            store.setValue(QStringLiteral("server/host"), QStringLiteral("127.0.0.9"));
        }

        qd::windows::LinkSettings settings = qd::test::loopbackSettings(probeCatcher.localPort(), listenPort);
        settings.rememberServer = true;
        settings.pinnedHost = QStringLiteral("127.0.0.1");
        settings.pinnedPort = peer.tcpPort();
        m_program = qd::test::startProgram(settings);

        QTRY_VERIFY_WITH_TIMEOUT(controller()->indicatorConnected(), 20000);
        QCOMPARE(clientForm()->Edit2->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(clientForm()->Edit3->text(), QString::number(peer.tcpPort()));
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QVERIFY(peer.waitForWords(1));
        QCOMPARE(peer.receivedWords(), QStringList{QStringLiteral("a15")});

        // A reply from someone else on the network changes nothing.
        QUdpSocket stranger;
        stranger.writeDatagram(QByteArrayLiteral("127.0.0.77\n"), QHostAddress::LocalHost, listenPort);
        // Two discovery periods and more: no probe has left.
        QTest::qWait(4500);
        QCOMPARE(probeCatcher.pendingDatagramSize(), qint64(-1));
        QVERIFY(!probeCatcher.hasPendingDatagrams());
        QCOMPARE(clientForm()->Edit2->text(), QStringLiteral("127.0.0.1"));
        // The pinned server does not replace what the user's settings remember.
        QCOMPARE(QSettings().value(QStringLiteral("server/host")).toString(), QStringLiteral("127.0.0.9"));
    }

    // The link's reconnect with a pinned server: the server closes, the client comes back by itself.
    void aPinnedServerIsReconnected()
    {
        PeerProcess peer;
        QVERIFY2(peer.start({QStringLiteral("--no-discovery"), QStringLiteral("--mode"), QStringLiteral("reject")}),
                 qPrintable(peer.errorString()));
        qd::windows::LinkSettings settings = qd::test::loopbackSettings();
        settings.pinnedHost = QStringLiteral("127.0.0.1");
        settings.pinnedPort = peer.tcpPort();
        m_program = qd::test::startProgram(settings);
        QTRY_VERIFY_WITH_TIMEOUT(controller()->indicatorConnected(), 20000);
        // A rejected reply disconnects (and shows its box); a later tick connects again.
        qd::test::MessageCapture boxes;
        qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("a15")));
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(controller()->indicatorConnected(), 20000);
    }

private:
    QTemporaryDir m_config;
    std::unique_ptr<qd::windows::Program> m_program;
};

QD_GUI_TEST_MAIN(ServerSettingsTest)
#include "test_server_settings.moc"
