// The screen-saver inhibit, against a private D-Bus daemon that this test starts and a stand-in
// for the desktop's screen-saver service on it: inhibited exactly while a palette window is
// shown, released when the last one goes, quiet where there is no bus or no service.

#include <guiharness.h>

#include <QD_client.h>

#include <palette/screensaver.h>
#include <palette/windowset.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using qd::palette::ScreenSaverInhibitor;

namespace {

// Plays org.freedesktop.ScreenSaver: hands out cookies and records what was asked of it.
class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QSet<uint> held;
    QStringList calls;

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        Q_UNUSED(application);
        Q_UNUSED(reason);
        const uint cookie = ++m_next;
        held.insert(cookie);
        calls.append(QStringLiteral("Inhibit"));
        return cookie;
    }
    void UnInhibit(uint cookie)
    {
        calls.append(held.remove(cookie) ? QStringLiteral("UnInhibit") : QStringLiteral("UnInhibit unknown"));
    }

private:
    uint m_next = 40;
};

// A bus daemon of our own, on a socket in a temporary folder, ended with the test.
class PrivateBus
{
public:
    bool start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty() || !m_dir.isValid())
            return false;
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                                  "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                  "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
                                  "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
                                  "</policy></busconfig>\n")
                       .arg(m_dir.path())
                       .toUtf8());
        file.close();
        m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
        m_daemon.setStandardErrorFile(QProcess::nullDevice());
        m_daemon.start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                                QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(30000))
            return false;
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(30000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(10000);
    }
    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

} // namespace

class ScreenSaverTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!m_bus.start())
            QSKIP("dbus-daemon is not available");
        m_service = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("fake-screensaver"));
        QVERIFY(m_service.isConnected());
        QVERIFY(m_service.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &m_fake,
                                         QDBusConnection::ExportAllSlots));
        QVERIFY(m_service.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    }
    void cleanupTestCase() { QDBusConnection::disconnectFromBus(QStringLiteral("fake-screensaver")); }
    // Whatever a test left held is handed back before the next one counts calls.
    void cleanup() { QTRY_VERIFY(m_fake.held.isEmpty()); }
    void init()
    {
        m_fake.held.clear();
        m_fake.calls.clear();
    }

    void inhibitsExactlyWhileAWatchedWindowIsShown()
    {
        QWidget first, second;
        ScreenSaverInhibitor inhibitor(m_bus.address());
        QVERIFY(inhibitor.hasBus());
        inhibitor.watch(&first);
        inhibitor.watch(&second);
        QVERIFY(!inhibitor.isInhibiting());
        QVERIFY(m_fake.calls.isEmpty());

        first.show();
        QTRY_VERIFY(inhibitor.isInhibiting());
        QCOMPARE(m_fake.held.size(), 1);
        second.show();
        first.hide();
        QTest::qWait(50);
        QVERIFY(inhibitor.isInhibiting());
        QCOMPARE(m_fake.calls, QStringList{QStringLiteral("Inhibit")});

        second.hide();
        QVERIFY(!inhibitor.isInhibiting());
        QTRY_VERIFY(m_fake.held.isEmpty());
        QCOMPARE(m_fake.calls, (QStringList{QStringLiteral("Inhibit"), QStringLiteral("UnInhibit")}));

        first.show();
        QTRY_COMPARE(m_fake.held.size(), 1);
    }

    // Shown and hidden again before the service answered: the inhibition that then arrives is
    // handed straight back, not kept.
    void aHideBeforeTheReplyReleasesOnArrival()
    {
        QWidget window;
        ScreenSaverInhibitor inhibitor(m_bus.address());
        inhibitor.watch(&window);
        QSignalSpy changes(&inhibitor, &ScreenSaverInhibitor::inhibitingChanged);
        window.show();
        window.hide();
        QTRY_COMPARE(changes.count(), 2);
        QVERIFY(!inhibitor.isInhibiting());
        QTRY_VERIFY(m_fake.held.isEmpty());
        QCOMPARE(m_fake.calls, (QStringList{QStringLiteral("Inhibit"), QStringLiteral("UnInhibit")}));
    }

    void endingReleasesTheInhibition()
    {
        {
            QWidget window;
            ScreenSaverInhibitor inhibitor(m_bus.address());
            inhibitor.watch(&window);
            window.show();
            QTRY_VERIFY(inhibitor.isInhibiting());
        }
        QTRY_VERIFY(m_fake.held.isEmpty());
        QCOMPARE(m_fake.calls.last(), QStringLiteral("UnInhibit"));
    }

    // A bus without the service, and no bus at all: nothing is held and nothing fails.
    void quietWithoutServiceOrBus()
    {
        QVERIFY(m_service.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver")));
        {
            QWidget window;
            ScreenSaverInhibitor inhibitor(m_bus.address());
            inhibitor.watch(&window);
            window.show();
            QTest::qWait(200);
            QVERIFY(!inhibitor.isInhibiting());
        }
        QVERIFY(m_service.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        QVERIFY(m_fake.calls.isEmpty());

        QWidget window;
        ScreenSaverInhibitor nowhere(QStringLiteral("unix:path=/nonexistent/qd-no-bus"));
        QVERIFY(!nowhere.hasBus());
        nowhere.watch(&window);
        window.show();
        QTest::qWait(50);
        QVERIFY(!nowhere.isInhibiting());
    }

    // The program itself: its palette windows hold the session bus's screen saver off from
    // start-up until the program ends; the settings window shown on top changes nothing.
    void theProgramInhibitsWhileItsPaletteIsShown()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        {
            auto program = qd::test::startProgram();
            QTRY_COMPARE(m_fake.held.size(), 1);
            qd::test::tapCentre(MainClient, MainClient->controlRect(QStringLiteral("rythmiseisshow")));
            QTRY_VERIFY(!MainClient->isActiveWindow());
            QTest::qWait(50);
            QCOMPARE(m_fake.calls, QStringList{QStringLiteral("Inhibit")});
        }
        QTRY_VERIFY(m_fake.held.isEmpty());
    }

private:
    PrivateBus m_bus;
    QDBusConnection m_service{QString()};
    FakeScreenSaver m_fake;
};

QD_GUI_TEST_MAIN(ScreenSaverTest)
#include "test_screensaver.moc"
