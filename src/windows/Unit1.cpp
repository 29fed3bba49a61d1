#include "Unit1.h"

#include <palette/windowset.h>

#include <link/linkcontroller.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

using qd::palette::WindowSet;

TclientForm::TclientForm(qd::link::LinkController &link) : FormWindow(QStringLiteral("clientForm")), m_link(link)
{
    bind(QStringLiteral("CornerButton1Click"), [this](QObject *s) { CornerButton1Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { WindowSet::instance().close(this); });
    build();

    Edit2 = control<QLineEdit>(QStringLiteral("Edit2"));
    Edit3 = control<QLineEdit>(QStringLiteral("Edit3"));
    Memo1 = control<QPlainTextEdit>(QStringLiteral("Memo1"));
    Label1 = control<QLabel>(QStringLiteral("Label1"));
    CornerButton1 = control<QAbstractButton>(QStringLiteral("CornerButton1"));
    if (!Edit2 || !Edit3 || !Memo1 || !Label1 || !CornerButton1)
        qFatal("settings window: Edit2, Edit3, Memo1, Label1 or CornerButton1 is missing");

    // The controller holds the host, the port text and the reply line; the controls show them.
    Edit2->setText(link.hostText());
    Edit3->setText(link.portText());
    Label1->setText(link.replyText());
    connect(Edit2, &QLineEdit::textChanged, &link, &qd::link::LinkController::setHostText);
    connect(Edit3, &QLineEdit::textChanged, &link, &qd::link::LinkController::setPortText);
    connect(&link, &qd::link::LinkController::hostTextChanged, Edit2, [this](const QString &text) {
        if (Edit2->text() != text)
            Edit2->setText(text);
    });
    connect(&link, &qd::link::LinkController::replyTextChanged, Label1, &QLabel::setText);
    // The log keeps its last lines only: a server that accepts and closes at once would
    // otherwise grow it by two lines a reconnect for as long as the program runs.
    Memo1->setMaximumBlockCount(kLogLines);
    connect(&link, &qd::link::LinkController::logLine, Memo1, &QPlainTextEdit::appendPlainText);
    // While a connect asked for by hand is under way the toggle is greyed and the window shows
    // the busy pointer; the window itself stays live.
    connect(&link, &qd::link::LinkController::connectBusyChanged, this, [this](bool busy) {
        CornerButton1->setEnabled(!busy);
        if (busy)
            setCursor(Qt::BusyCursor);
        else
            unsetCursor();
    });

    WindowSet::instance().add(this);
}

TclientForm::~TclientForm() = default;

void TclientForm::stopTimers()
{
    m_link.stopTimers();
    FormWindow::stopTimers();
}

void TclientForm::CornerButton1Click(QObject *)
{
    m_link.toggleConnection();
}
