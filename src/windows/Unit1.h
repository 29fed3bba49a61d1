#pragma once

#include <palette/formwindow.h>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace qd::link {
class LinkController;
}

// The settings window: the host and port the link connects to, the connect/disconnect
// toggle and the link log. The link itself lives in the link controller; this window shows
// its host, reply line and log lines and forwards what the user types and taps.
class TclientForm : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    explicit TclientForm(qd::link::LinkController &link);
    ~TclientForm() override;

    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    // How many of the latest lines the link log keeps.
    static constexpr int kLogLines = 2000;
    QLabel *Label1 = nullptr;
    QAbstractButton *CornerButton1 = nullptr;

    void CornerButton1Click(QObject *sender);

    void stopTimers() override;

private:
    qd::link::LinkController &m_link;
};
