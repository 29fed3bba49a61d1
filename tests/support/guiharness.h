#pragma once

// Shared pieces of the GUI tests: a main() that lays the windows out for a chosen screen
// size, real mouse input at window pixel coordinates, capture of modal message boxes,
// and the window set of a run wired to loopback.

#include <program.h>

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QObject;
class QUdpSocket;
class QWidget;
class TMainClient;
class TclientForm;
class TFormMartyries;
class TFormDiafora;
class Tmoveform;

namespace qd::link {
class LinkController;
}

namespace qd::test {

// The program's own texts as the user sees them, typed here once (never taken from the
// program's code, so a slip there still fails the tests).
inline const QString kMainSendFailure = QStringLiteral("Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server QD");
inline const QString kSideSendFailure = QStringLiteral("Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server QD");
inline const QString kConnectedLine = QStringLiteral("Client connected with server");
inline const QString kDisconnectedLine = QStringLiteral("Client disconnected from server");

// The screen the test process runs on; set from `--screen WxH` (default 1024x720).
QSize screenSize();

// Runs a QtTest object on the offscreen platform with one screen of the size given by
// `--screen WxH`, after loading the look set as the program does.
int runGuiTest(int argc, char **argv, const std::function<int(int, char **)> &exec);

// A press and a release at a point of the window, in window pixels, delivered through
// the window system exactly as a mouse or a finger would deliver it.
void tap(QWidget *window, const QPointF &windowPixel);
void tapCentre(QWidget *window, const QRectF &windowRect);
// Moves the pointer onto a point of the window (and off it with an invalid point).
void hoverAt(QWidget *window, const QPointF &windowPixel);

// Records every modal message box the program shows and dismisses it as soon as its
// loop runs, as a user tapping OK would.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    QStringList texts() const { return *m_texts; }
    int count() const { return int(m_texts->size()); }
    void clear() { m_texts->clear(); }

private:
    std::shared_ptr<QStringList> m_texts;
};

// Loopback settings: discovery probes go to a port of the test's choosing on 127.0.0.1
// and the listener takes a free port, so nothing leaves the machine.
qd::windows::LinkSettings loopbackSettings(quint16 probePort = 9, quint16 listenPort = 0);

// Creates the window set of a run and shows the main window, as start-up does; returns once
// the main window is active (or after a generous time-out, which the caller's checks catch).
std::unique_ptr<qd::windows::Program> startProgram(const qd::windows::LinkSettings &settings = loopbackSettings());

// The window set the test started last, through startProgram() or setCurrentProgram().
qd::windows::Program *currentProgram();
void setCurrentProgram(qd::windows::Program *program);

// A discovery reply as a server would send it, to the running window set's listener.
void sendDiscoveryReply(const QByteArray &bytes);
// Throws away every datagram waiting at `socket` (the probes seen so far).
void drainDatagrams(QUdpSocket *socket);

// That window set's windows and link, by the names the program gives them, for the checks.
namespace running {
TMainClient *MainClient();
TclientForm *clientForm();
TFormMartyries *FormMartyries();
TFormDiafora *FormDiafora();
Tmoveform *moveform();
qd::link::LinkController *controller();
} // namespace running

// Waits until the connect attempt under way, if any, has ended; false if it has not after a
// generous time. Connects never block, so a test that taps the toggle waits here.
bool waitForConnectAttempt();

// Runs the application's event loop as the program's main() does, does `action` from inside it
// (where the program takes every input), and returns the loop's exit status once the program
// ends it, or kLoopStillRunning when it was still running after timeoutMs (generous: a loaded
// machine is slow, and a loop that never ends fails either way).
inline constexpr int kLoopStillRunning = -77;
int runUntilQuit(const std::function<void()> &action, int timeoutMs = 20000);

// A free TCP or UDP port on loopback at the time of the call.
quint16 freeUdpPort();

} // namespace qd::test

#define QD_GUI_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        return qd::test::runGuiTest(argc, argv, [](int c, char **v) {                                                  \
            TestObject test;                                                                                           \
            return QTest::qExec(&test, c, v);                                                                          \
        });                                                                                                            \
    }
