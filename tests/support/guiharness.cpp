#include "guiharness.h"

#include <QD_client.h>
#include <Unit1.h>
#include <diafora.h>
#include <martyries.h>
#include <taktopoihsi.h>

#include <palette/application.h>
#include <palette/errorreport.h>
#include <palette/offscreenscreen.h>

#include <link/discoverylistener.h>
#include <link/linkcontroller.h>

#include <QMessageBox>
#include <QNetworkDatagram>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <QWidget>
#include <QWindow>

#include <cstring>
#include <vector>

namespace qd::test {

namespace {
QSize &currentScreen()
{
    static QSize size(1024, 720);
    return size;
}

qd::windows::Program *&current()
{
    static qd::windows::Program *program = nullptr;
    return program;
}
} // namespace

QSize screenSize()
{
    return currentScreen();
}

int runGuiTest(int argc, char **argv, const std::function<int(int, char **)> &exec)
{
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--screen") && i + 1 < argc) {
            currentScreen() = qd::palette::parseScreenSize(QString::fromLocal8Bit(argv[++i]));
            if (!currentScreen().isValid())
                qFatal("--screen needs WxH");
            continue;
        }
        args.push_back(argv[i]);
    }
    qd::palette::useOffscreenScreen(currentScreen());
    int count = int(args.size());
    args.push_back(nullptr);
    qd::palette::Application app(count, args.data());
    qd::windows::loadLookSet();
    return exec(count, args.data());
}

void tap(QWidget *window, const QPointF &windowPixel)
{
    QWindow *handle = window->windowHandle();
    Q_ASSERT(handle);
    const QPoint p = windowPixel.toPoint();
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, p);
}

void tapCentre(QWidget *window, const QRectF &windowRect)
{
    tap(window, windowRect.center());
}

void hoverAt(QWidget *window, const QPointF &windowPixel)
{
    QTest::mouseMove(window->windowHandle(), windowPixel.toPoint());
}

MessageCapture::MessageCapture() : m_texts(std::make_shared<QStringList>())
{
    auto texts = m_texts;
    qd::palette::setMessageObserver([texts](QMessageBox *box) {
        texts->append(box->text());
        QTimer::singleShot(0, box, &QMessageBox::accept);
    });
}

MessageCapture::~MessageCapture()
{
    qd::palette::setMessageObserver({});
}

qd::windows::LinkSettings loopbackSettings(quint16 probePort, quint16 listenPort)
{
    qd::windows::LinkSettings s;
    s.probeTarget = QHostAddress(QHostAddress::LocalHost);
    s.probePort = probePort;
    s.listenPort = listenPort;
    return s;
}

std::unique_ptr<qd::windows::Program> startProgram(const qd::windows::LinkSettings &settings)
{
    auto program = std::make_unique<qd::windows::Program>(settings);
    setCurrentProgram(program.get());
    program->start();
    TMainClient *main = program->MainClient();
    if (!QTest::qWaitFor([main] { return main->isActiveWindow(); }, 10000))
        qWarning("the main window did not become active");
    return program;
}

qd::windows::Program *currentProgram()
{
    return current();
}

void setCurrentProgram(qd::windows::Program *program)
{
    current() = program;
}

namespace running {
TMainClient *MainClient()
{
    return current()->MainClient();
}
TclientForm *clientForm()
{
    return current()->clientForm();
}
TFormMartyries *FormMartyries()
{
    return current()->FormMartyries();
}
TFormDiafora *FormDiafora()
{
    return current()->FormDiafora();
}
Tmoveform *moveform()
{
    return current()->moveform();
}
qd::link::LinkController *controller()
{
    return current()->link();
}
} // namespace running

void sendDiscoveryReply(const QByteArray &bytes)
{
    QUdpSocket server;
    server.writeDatagram(bytes, QHostAddress(QHostAddress::LocalHost), current()->link()->IdUDPServer1()->boundPort());
}

void drainDatagrams(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams())
        socket->receiveDatagram();
}

bool waitForConnectAttempt()
{
    qd::link::LinkController *link = current()->link();
    return QTest::qWaitFor([link] { return !link->connecting(); }, 20000);
}

int runUntilQuit(const std::function<void()> &action, int timeoutMs)
{
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, qApp, action);
    start.start(0);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(kLoopStillRunning); });
    watchdog.start(timeoutMs);
    return QCoreApplication::exec();
}

quint16 freeUdpPort()
{
    QUdpSocket socket;
    socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
    return socket.localPort();
}

} // namespace qd::test
