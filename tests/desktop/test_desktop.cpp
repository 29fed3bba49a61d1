// The program on a real X server with a window manager, as a user meets it: the real qdclient,
// tapped with real X input (XTest, through xdotool), closed by the window manager and by
// signals, and watched from outside by the reference peer and by screenshots of the X screen.
// Run by desktop-test.sh only, which starts the X server and openbox in a private network
// namespace, so the client's own ports are free and its probe stays on loopback.

#include <peerprocess.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QRectF>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

const QString kMainCaption = QStringLiteral("QD Client V 2.0");
const QString kModalCaption = QStringLiteral("Αρκτικές Μαρτυρίες ήχου");
const QString kMiscCaption = QStringLiteral("Διάφορα");
const QString kArrangeCaption = QStringLiteral("Τακτοποίηση");

// How long the program may take to end once asked. The program needs well under a second; the
// bound is only there so that a program that never ends fails instead of hanging the tier.
constexpr int kExitBoundMs = 15000;

// The client under test: the one built beside this test, or QD_DESKTOP_CLIENT (to run the
// tier against another build).
QString clientPath()
{
    return qEnvironmentVariable("QD_DESKTOP_CLIENT", QStringLiteral(QD_CLIENT_PATH));
}

// Every control's rectangle in window pixels, per window, as the program lays them out
// offscreen at the same screen size.
using Layout = QHash<QString, QHash<QString, QRectF>>;

QString runTool(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(20000)) {
        tool.kill();
        tool.waitForFinished();
    }
    if (exitCode)
        *exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// Real X input: xdotool sends it through the XTest extension, as a mouse or keyboard would.
void xdo(const QStringList &args)
{
    int code = 0;
    runTool(QStringLiteral("xdotool"), args, &code);
    if (code != 0)
        qWarning("xdotool %s failed", qPrintable(args.join(QLatin1Char(' '))));
}

QString activeWindowName()
{
    return runTool(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")});
}

QImage grabScreen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixels in which two pictures of one size differ, outside `ignored`.
struct Difference
{
    int pixels = 0;
    QRect box;
};

Difference compare(const QImage &a, const QImage &b, const QRect &ignored)
{
    Difference d;
    if (a.size() != b.size()) {
        d.pixels = -1;
        return d;
    }
    for (int y = 0; y < a.height(); ++y) {
        const auto *ra = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if ((ra[x] & 0xffffff) == (rb[x] & 0xffffff) || ignored.contains(x, y))
                continue;
            ++d.pixels;
            d.box |= QRect(x, y, 1, 1);
        }
    }
    return d;
}

// The real client, started as a user would start it, with its probe on loopback.
class Client
{
public:
    ~Client()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_process.setProcessEnvironment(env);
        m_process.start(clientPath(), {QStringLiteral("--probe-target"), QStringLiteral("127.0.0.1"),
                                       QStringLiteral("--report-exposed")});
        if (!m_process.waitForStarted())
            return false;
        QElapsedTimer waited;
        waited.start();
        while (!m_stdout.contains("exposed\n")) {
            if (m_process.state() != QProcess::Running || waited.hasExpired(30000))
                return false;
            m_process.waitForReadyRead(100);
            m_stdout += m_process.readAllStandardOutput();
        }
        return true;
    }

    qint64 pid() const { return m_process.processId(); }

    // Waits for the process to end; returns how long that took, or -1 if it was still running
    // after kExitBoundMs.
    qint64 waitForExit()
    {
        QElapsedTimer took;
        took.start();
        if (!m_process.waitForFinished(kExitBoundMs))
            return -1;
        return took.elapsed();
    }
    bool exitedNormally() const { return m_process.exitStatus() == QProcess::NormalExit; }
    int exitCode() const { return m_process.exitCode(); }
    QByteArray errorOutput() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
    QByteArray m_stdout;
};

} // namespace

class DesktopTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_screen = QGuiApplication::primaryScreen()->size();
        QVERIFY(m_screen.isValid());
        const QString size = QStringLiteral("%1x%2").arg(m_screen.width()).arg(m_screen.height());
        m_pictures = qEnvironmentVariable("QD_DESKTOP_PICTURES", QDir::temp().filePath(QStringLiteral("qd-desktop")));
        QDir(m_pictures).removeRecursively();
        QVERIFY(QDir().mkpath(m_pictures));

        // The reference: the program's own offscreen rendering at the same size.
        QProcess offscreen;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        offscreen.setProcessEnvironment(env);
        offscreen.start(QStringLiteral(QD_CLIENT_PATH),
                        {QStringLiteral("--screen"), size, QStringLiteral("--layout-json"),
                         QStringLiteral("--screenshot"), QDir(m_pictures).filePath(QStringLiteral("offscreen"))});
        QVERIFY(offscreen.waitForFinished(60000));
        QCOMPARE(offscreen.exitCode(), 0);
        const QJsonArray windows = QJsonDocument::fromJson(offscreen.readAllStandardOutput())
                                       .object()
                                       .value(QStringLiteral("windows"))
                                       .toArray();
        for (const QJsonValue &w : windows) {
            auto &controls = m_layout[w.toObject().value(QStringLiteral("name")).toString()];
            for (const QJsonValue &c : w.toObject().value(QStringLiteral("controls")).toArray()) {
                const QJsonArray r = c.toObject().value(QStringLiteral("rect")).toArray();
                controls.insert(c.toObject().value(QStringLiteral("name")).toString(),
                                QRectF(r.at(0).toDouble(), r.at(1).toDouble(), r.at(2).toDouble(), r.at(3).toDouble()));
            }
        }
        QVERIFY(m_layout.value(QStringLiteral("MainClient")).contains(QStringLiteral("a15")));
        m_offscreenMain.load(QDir(m_pictures).filePath(QStringLiteral("offscreen/MainClient.png")));
        QCOMPARE(m_offscreenMain.size(), m_screen);
        m_offscreenMain = m_offscreenMain.convertToFormat(QImage::Format_RGB32);
    }

    void init()
    {
        m_took.start();
        // The pointer rests where no key lies, so that no key wears its hover disc.
        const QPointF rest = restingPoint();
        xdo({QStringLiteral("mousemove"), QString::number(int(rest.x())), QString::number(int(rest.y()))});
        m_peer = std::make_unique<PeerProcess>();
        // The program's own ports: this namespace is private, so they are free.
        QVERIFY2(m_peer->start({QStringLiteral("--tcp-port"), QStringLiteral("6000"), QStringLiteral("--udp-port"),
                                QStringLiteral("8090")}),
                 qPrintable(m_peer->errorString()));
        m_client = std::make_unique<Client>();
        QVERIFY2(m_client->start(), "the client did not show its main window");
        qInfo("main window exposed %lld ms after the start", m_took.elapsed());
    }
    void cleanup()
    {
        qInfo("case took %lld ms", m_took.elapsed());
        m_client.reset();
        m_peer.reset();
    }

    // The main window on the X screen equals the offscreen rendering at the same size: at its
    // first frame and once everything has settled (connected, indicator still).
    void mainWindowLooksAsRenderedOffscreen()
    {
        const QImage first = firstSteadyFrame();
        checkLooksAsOffscreen(first, QStringLiteral("x-first"));
        waitUntilConnected();
        QTest::qWait(1500); // the connected animation plays once
        QVERIFY(activeWindowName() == kMainCaption);
        checkLooksAsOffscreen(grabScreen(), QStringLiteral("x-settled"));

        // The window manager takes full screen away (the frame comes back) and gives it back.
        for (int i = 0; i < 2; ++i) {
            runTool(QStringLiteral("wmctrl"),
                    {QStringLiteral("-r"), kMainCaption, QStringLiteral("-b"), QStringLiteral("toggle,fullscreen")});
            QTest::qWait(300);
        }
        QVERIFY(waitForActive(kMainCaption));
        checkLooksAsOffscreen(firstSteadyFrame(), QStringLiteral("x-fullscreen-again"));
        quitBy(QStringLiteral("SIGTERM"));
    }

    // One key of each palette window and of the arrange window, tapped on the X screen,
    // reaches the peer; `off` then ends the program.
    void aKeyOfEachWindowReachesThePeer()
    {
        waitUntilConnected();
        tapControl(QStringLiteral("MainClient"), QStringLiteral("a15"));
        QVERIFY(m_peer->waitForWords(1));

        tapControl(QStringLiteral("MainClient"), QStringLiteral("martyriesshow"));
        QVERIFY(waitForActive(kModalCaption));
        tapControl(QStringLiteral("FormMartyries"), QStringLiteral("ark1"));
        QVERIFY(m_peer->waitForWords(2));
        tapControl(QStringLiteral("FormMartyries"), QStringLiteral("Button1"));
        QVERIFY(waitForActive(kMainCaption));

        tapControl(QStringLiteral("MainClient"), QStringLiteral("diaforashow"));
        QVERIFY(waitForActive(kMiscCaption));
        tapControl(QStringLiteral("FormDiafora"), QStringLiteral("en1"));
        QVERIFY(m_peer->waitForWords(3));
        tapControl(QStringLiteral("FormDiafora"), QStringLiteral("Button1"));
        QVERIFY(waitForActive(kMainCaption));

        tapControl(QStringLiteral("MainClient"), QStringLiteral("SpeedButton2"));
        QVERIFY(waitForActive(kArrangeCaption));
        QVERIFY(m_peer->waitForWords(4));
        tapControl(QStringLiteral("moveform"), QStringLiteral("SpeedButton25"));
        QVERIFY(m_peer->waitForWords(5));
        tapControl(QStringLiteral("moveform"), QStringLiteral("Button1"));
        QVERIFY(m_peer->waitForWords(6));
        QVERIFY(waitForActive(kMainCaption));

        quitBy(QStringLiteral("off"));
        QCOMPARE(m_peer->receivedWords(),
                 (QStringList{QStringLiteral("a15"), QStringLiteral("ark1"), QStringLiteral("en1"),
                              QStringLiteral("move_client"), QStringLiteral("SpeedButton25"),
                              QStringLiteral("move_client")}));
    }

    // Every way a desktop asks the program to end ends it with status 0; the peer sees the
    // connection closed, with nothing sent on the way out, not even while the arrange window
    // is shown.
    void quitRequests_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("arrangeShown");
        QTest::newRow("off") << "off" << false;
        QTest::newRow("window manager close") << "wmctrl" << false;
        QTest::newRow("window manager close, arrange window shown") << "wmctrl" << true;
        QTest::newRow("Alt+F4") << "Alt+F4" << false;
        QTest::newRow("SIGTERM, arrange window shown") << "SIGTERM" << true;
        QTest::newRow("SIGINT") << "SIGINT" << false;
    }
    void quitRequests()
    {
        QFETCH(QString, how);
        QFETCH(bool, arrangeShown);
        waitUntilConnected();
        QVERIFY(waitForActive(kMainCaption));
        QStringList expected;
        if (arrangeShown) {
            tapControl(QStringLiteral("MainClient"), QStringLiteral("SpeedButton2"));
            QVERIFY(waitForActive(kArrangeCaption));
            QVERIFY(m_peer->waitForWords(1));
            expected.append(QStringLiteral("move_client"));
        }
        quitBy(how);
        QCOMPARE(m_peer->receivedWords(), expected);
    }

private:
    // Asks the running client to end in the given way, then checks that it ended with status 0
    // and that the peer saw the connection closed.
    void quitBy(const QString &how)
    {
        QElapsedTimer took;
        took.start();
        if (how == QLatin1String("off")) {
            tapControl(QStringLiteral("MainClient"), QStringLiteral("off"));
        } else if (how == QLatin1String("wmctrl")) {
            // The window manager's close: _NET_CLOSE_WINDOW to openbox, WM_DELETE_WINDOW to us.
            runTool(QStringLiteral("wmctrl"), {QStringLiteral("-c"), kMainCaption});
        } else if (how == QLatin1String("Alt+F4")) {
            xdo({QStringLiteral("key"), QStringLiteral("alt+F4")});
        } else {
            ::kill(pid_t(m_client->pid()), how == QLatin1String("SIGTERM") ? SIGTERM : SIGINT);
        }
        const qint64 exitMs = m_client->waitForExit();
        const QByteArray clientErrors = m_client->errorOutput();
        QVERIFY2(exitMs >= 0, qPrintable(QStringLiteral("the client was still running %1 ms after %2; stderr: %3")
                                             .arg(kExitBoundMs)
                                             .arg(how, QString::fromLocal8Bit(clientErrors))));
        qInfo("%s: the program ended %lld ms after the request (%lld ms including the request)", qPrintable(how),
              exitMs, took.elapsed());
        QVERIFY2(m_client->exitedNormally(), "the client died from a signal");
        QCOMPARE(m_client->exitCode(), 0);
        QVERIFY2(m_peer->waitForClose(10000), m_peer->errorOutput().constData());
    }

    void waitUntilConnected()
    {
        // The first probe goes out two seconds after start; the connect follows its reply.
        QVERIFY2(QTest::qWaitFor([this] { return m_peer->errorOutput().contains("connection from"); }, 20000),
                 m_peer->errorOutput().constData());
        qInfo("connected %lld ms after the start", m_took.elapsed());
    }

    bool waitForActive(const QString &caption)
    {
        const bool active = QTest::qWaitFor([&] { return activeWindowName() == caption; }, 15000);
        if (!active)
            qWarning("active window: '%s', expected '%s'", qPrintable(activeWindowName()), qPrintable(caption));
        return active;
    }

    void tapControl(const QString &window, const QString &control)
    {
        const QRectF r = m_layout.value(window).value(control);
        QVERIFY2(r.isValid(), qPrintable(window + QLatin1Char('.') + control));
        const QPoint p = r.center().toPoint();
        // The server takes XTest events in order, so the click lands where the pointer went.
        xdo({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()), QStringLiteral("click"),
             QStringLiteral("1")});
    }

    // A point of the main window on no control but panels and pictures.
    QPointF restingPoint() const
    {
        const auto &controls = m_layout.value(QStringLiteral("MainClient"));
        const QList<QPointF> candidates{{m_screen.width() - 1.0, m_screen.height() - 1.0},
                                        {m_screen.width() / 2.0, m_screen.height() - 1.0},
                                        {1.0, m_screen.height() - 1.0}};
        for (const QPointF &p : candidates) {
            bool free = true;
            for (auto it = controls.cbegin(); it != controls.cend() && free; ++it) {
                if (!it.key().startsWith(QLatin1String("Panel")) && !it.key().startsWith(QLatin1String("Image")) &&
                    it.value().contains(p))
                    free = false;
            }
            if (free)
                return p;
        }
        return candidates.first();
    }

    // The first frame that stays the same for a moment: grabbed as soon as the window is on
    // screen, before any later input or event could correct it.
    QImage firstSteadyFrame()
    {
        QImage previous = grabScreen();
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            QTest::qWait(50);
            const QImage now = grabScreen();
            if (now == previous || waited.hasExpired(5000))
                return now;
            previous = now;
        }
    }

    // The indicator animates on its own and shows the link's state, so it is left out.
    void checkLooksAsOffscreen(const QImage &shot, const QString &name)
    {
        QVERIFY(shot.save(QDir(m_pictures).filePath(name + QStringLiteral(".png"))));
        const QRect indicator = m_layout.value(QStringLiteral("MainClient"))
                                    .value(QStringLiteral("ImageControl1"))
                                    .toAlignedRect()
                                    .adjusted(-2, -2, 2, 2);
        const Difference d = compare(shot, m_offscreenMain, indicator);
        QVERIFY2(d.pixels == 0,
                 qPrintable(QStringLiteral("%1 differs from the offscreen rendering in %2 pixels, within "
                                           "(%3, %4) to (%5, %6); pictures in %7")
                                .arg(name)
                                .arg(d.pixels)
                                .arg(d.box.left())
                                .arg(d.box.top())
                                .arg(d.box.right())
                                .arg(d.box.bottom())
                                .arg(m_pictures)));
    }

    QElapsedTimer m_took;
    QSize m_screen;
    QString m_pictures;
    Layout m_layout;
    QImage m_offscreenMain;
    std::unique_ptr<PeerProcess> m_peer;
    std::unique_ptr<Client> m_client;
};

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"
