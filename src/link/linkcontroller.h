#pragma once

#include "link/linksettings.h"

#include <QObject>
#include <QString>

#include <optional>

class QTimer;

namespace qd::link {

class DiscoveryListener;
class LineConnection;

// The server link in one place: the one TCP connection (`IdTCPClient1`), the discovery
// listener (`IdUDPServer1`) and its probe timer (`Timer1`), the host and port to connect to,
// the two send operations and the reply rule. It knows nothing of widgets: the windows
// forward taps and typed text to it and show what its signals report.
//
// Signals are delivered directly, in the thread of the caller: a slot that shows a modal
// message box for sendFailed() holds the send there until the box is dismissed, which is
// how a rejected reply is shown before its disconnect.
class LinkController : public QObject
{
    Q_OBJECT

public:
    // Which of the two fixed messages a failed send shows.
    enum class SendFailure { Main, Side };
    Q_ENUM(SendFailure)

    explicit LinkController(const LinkSettings &settings = {}, QObject *parent = nullptr);
    ~LinkController() override;

    LineConnection *IdTCPClient1() const { return m_connection; }
    DiscoveryListener *IdUDPServer1() const { return m_listener; }
    QTimer *Timer1() const { return m_timer; }

    // The host (an address or a name) and the port text the next connect uses. The user types
    // them; every discovery reply overwrites the host and says so by hostTextChanged().
    QString hostText() const { return m_hostText; }
    void setHostText(const QString &text);
    QString portText() const { return m_portText; }
    void setPortText(const QString &text);

    // The reply line under test while the reply rule runs, "x" once a test has run to its end.
    QString replyText() const { return m_replyText; }

    // What the connection indicator shows: connected after the connected event, searching
    // after the disconnected event or a failed main-window send.
    bool indicatorConnected() const { return m_indicatorConnected; }

    // Discovery runs exactly while the timer is enabled.
    bool discoveryRunning() const;

    // A connect attempt is under way (from a discovery reply or by hand). Connects never block:
    // the outcome comes later from the event loop, and sends meanwhile find no connection.
    bool connecting() const { return m_attempt.has_value(); }
    // The connect asked for with the toggle is under way; the toggle does nothing meanwhile.
    bool connectBusy() const { return m_attempt && m_attempt->byHand; }

    // Opens the listener and enables the timer, as the creation of the settings window does.
    // A listener that cannot bind is logged and retried at every tick; the program still
    // starts, so the user can connect by hand.
    void start();
    // Enabling a running timer changes nothing; enabling a stopped one starts a fresh period.
    void enableDiscovery();
    // The indicator's tap (`con_SpeedButtonClick`): close the listener, then enable the timer.
    void restartDiscovery();
    // The first step of shutting down: nothing fires once the windows start to go.
    void stopTimers();

    // The settings window's toggle (`CornerButton1Click`): disconnect when connected,
    // otherwise connect to hostText() at portText(), in place of any discovery connect under
    // way. Failures, the connect's too, are reported by failure().
    void toggleConnection();

    // The main window's send: one line, then one reply line under the reply rule. Failures
    // are reported by sendFailed(); none escapes.
    void sendWithReply(const QString &word);
    // The side palettes' send and the arrange window's closing word: one line, no reply read.
    void sendWithoutReply(const QString &word);

    // The tick, the reply handler and the two connection events.
    void Timer1Timer();
    void IdUDPServer1UDPRead(const QByteArray &data);
    void IdTCPClient1Connected();
    void IdTCPClient1Disconnected();
    // The connection ended on its own (LineConnection::connectionLost()): searching, discovery on.
    void IdTCPClient1Lost();

signals:
    void hostTextChanged(const QString &text);
    void portTextChanged(const QString &text);
    void replyTextChanged(const QString &text);
    // One line for the link log.
    void logLine(const QString &line);
    void indicatorChanged(bool connected);
    void connectBusyChanged(bool busy);
    // A send failed; the slot shows the message and returns once the user has closed it.
    void sendFailed(qd::link::LinkController::SendFailure which);
    // A failure for the program's default error report: a connect by hand that failed, or
    // discovery that cannot bind or send (once per episode).
    void failure(const QString &text);

private:
    struct Target
    {
        QString host;
        quint16 port = 0;
    };
    struct Attempt
    {
        bool byHand = false;
    };
    // Starts a connect; throws Failure for a refusal that is known at once.
    void beginAttempt(const Target &target, bool byHand);
    void attemptSucceeded();
    void attemptFailed(const QString &text);
    void abortAttempt();
    // The reply that came while an attempt was under way, tried once that attempt has failed.
    void tryWaitingReply();
    void setReplyText(const QString &text);
    void switchIndicator(bool connected);
    void discoveryFailed(const QString &text, bool report);

    LinkSettings m_settings;
    LineConnection *m_connection = nullptr;
    DiscoveryListener *m_listener = nullptr;
    QTimer *m_timer = nullptr;

    QString m_hostText;
    QString m_portText;
    QString m_replyText = QStringLiteral("ok");
    bool m_indicatorConnected = false;
    std::optional<Attempt> m_attempt;
    // Replies that come while a connect is under way are merged here: the latest host wins.
    std::optional<Target> m_waitingReply;
    bool m_failureLogged = false;
    bool m_failureShown = false;
};

} // namespace qd::link
