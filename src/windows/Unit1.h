#pragma once

#include "linksettings.h"

#include <palette/formwindow.h>

#include <QTimer>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace qd::link {
class DiscoveryListener;
class LineConnection;
} // namespace qd::link

// The settings window. It owns the whole server link: the one TCP connection, the
// discovery listener and the discovery timer, the host and port fields and the link log.
class TclientForm : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    explicit TclientForm(const qd::windows::LinkSettings &settings = {});
    ~TclientForm() override;

    qd::link::LineConnection *IdTCPClient1 = nullptr;
    qd::link::DiscoveryListener *IdUDPServer1 = nullptr;
    QTimer *Timer1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *Label1 = nullptr;

    // Discovery runs exactly while the timer is enabled. Enabling a running timer changes
    // nothing; enabling a stopped one starts a fresh period.
    void enableDiscovery();
    bool discoveryRunning() const { return Timer1->isActive(); }
    // The indicator's tap: close the listener, then enable the timer.
    void restartDiscovery();

    void CornerButton1Click(QObject *sender);
    void IdTCPClient1Connected();
    void IdTCPClient1Disconnected();
    void Timer1Timer();
    void IdUDPServer1UDPRead(const QByteArray &data);

    void stopTimers() override;

private:
    void discoveryFailed(const QString &text);
    void appendLog(const QString &line);

    qd::windows::LinkSettings m_settings;
    bool m_creating = true;
    bool m_failureLogged = false;
    bool m_failureShown = false;
};

extern TclientForm *clientForm;
