#include "Unit1.h"

#include "QD_client.h"
#include "messages.h"

#include <palette/errorreport.h>
#include <palette/windowset.h>

#include <link/discoverylistener.h>
#include <link/failure.h>
#include <link/lineconnection.h>
#include <link/porttext.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

using qd::palette::WindowSet;

TclientForm *clientForm = nullptr;

TclientForm::TclientForm(const qd::windows::LinkSettings &settings)
    : FormWindow(QStringLiteral("clientForm")), m_settings(settings)
{
    clientForm = this;
    bind(QStringLiteral("CornerButton1Click"), [this](QObject *s) { CornerButton1Click(s); });
    bind(QStringLiteral("Button1Click"), [this](QObject *) { WindowSet::instance().close(this); });
    build();

    Edit2 = control<QLineEdit>(QStringLiteral("Edit2"));
    Edit3 = control<QLineEdit>(QStringLiteral("Edit3"));
    Memo1 = control<QPlainTextEdit>(QStringLiteral("Memo1"));
    Label1 = control<QLabel>(QStringLiteral("Label1"));
    if (!Edit2 || !Edit3 || !Memo1 || !Label1)
        qFatal("settings window: Edit2, Edit3, Memo1 or Label1 is missing");

    IdTCPClient1 = new qd::link::LineConnection(this);
    IdTCPClient1->setConnectTimeoutMs(settings.connectTimeoutMs);
    IdTCPClient1->setReadWaitMs(settings.readWaitMs);
    connect(IdTCPClient1, &qd::link::LineConnection::connected, this, &TclientForm::IdTCPClient1Connected);
    connect(IdTCPClient1, &qd::link::LineConnection::disconnected, this, &TclientForm::IdTCPClient1Disconnected);

    IdUDPServer1 = new qd::link::DiscoveryListener(this);
    IdUDPServer1->setListenPort(settings.listenPort);
    IdUDPServer1->setProbeTarget(settings.probeTarget, settings.probePort);
    connect(IdUDPServer1, &qd::link::DiscoveryListener::replyReceived, this, &TclientForm::IdUDPServer1UDPRead);

    Timer1 = new QTimer(this);
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &TclientForm::Timer1Timer);

    if (settings.networkEnabled) {
        // A port held by another program must not stop the program from starting: the
        // user can still connect by hand, and every tick tries the port again.
        try {
            IdUDPServer1->open();
        } catch (const qd::link::Failure &failure) {
            discoveryFailed(failure.text());
        }
        Timer1->start();
    }
    m_creating = false;
    WindowSet::instance().add(this);
}

TclientForm::~TclientForm()
{
    // The link ends without a word to the server and without the disconnected event.
    Timer1->stop();
    disconnect(IdTCPClient1, nullptr, this, nullptr);
    IdUDPServer1->close();
    delete IdTCPClient1;
    IdTCPClient1 = nullptr;
    clientForm = nullptr;
}

void TclientForm::stopTimers()
{
    Timer1->stop();
    FormWindow::stopTimers();
}

void TclientForm::enableDiscovery()
{
    // A run that renders the windows offscreen never probes the network.
    if (!m_settings.networkEnabled)
        return;
    if (!Timer1->isActive())
        Timer1->start();
}

void TclientForm::restartDiscovery()
{
    IdUDPServer1->close();
    enableDiscovery();
}

void TclientForm::appendLog(const QString &line)
{
    Memo1->appendPlainText(line);
}

void TclientForm::CornerButton1Click(QObject *)
{
    if (IdTCPClient1->connectedTest()) {
        IdTCPClient1->disconnectFromServer();
        return;
    }
    IdTCPClient1->setHost(Edit2->text());
    IdTCPClient1->setPort(qd::link::portFromText(Edit3->text()));
    if (IdTCPClient1->host().isEmpty())
        throw qd::link::Failure(qd::windows::noHostMessage());
    IdTCPClient1->connectToServer();
}

void TclientForm::IdTCPClient1Connected()
{
    appendLog(QStringLiteral("Client connected with server"));
    if (MainClient)
        MainClient->switchToConnected();
}

void TclientForm::IdTCPClient1Disconnected()
{
    appendLog(QStringLiteral("Client disconnected from server"));
    if (MainClient)
        MainClient->switchToSearching();
    enableDiscovery();
}

void TclientForm::Timer1Timer()
{
    try {
        IdUDPServer1->open();
        IdUDPServer1->sendProbe();
    } catch (const qd::link::Failure &failure) {
        discoveryFailed(failure.text());
        return;
    }
    // Discovery works again: a later failure is a new episode and is reported again.
    m_failureLogged = false;
    m_failureShown = false;
}

void TclientForm::discoveryFailed(const QString &text)
{
    // One report per episode: a log line and at most one box, however many ticks fail;
    // the timer keeps retrying quietly meanwhile.
    if (!m_failureLogged) {
        m_failureLogged = true;
        appendLog(
            QStringLiteral("Discovery failed: %1").arg(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    if (!m_failureShown && !m_creating) {
        m_failureShown = true;
        qd::palette::reportError(text);
    }
}

void TclientForm::IdUDPServer1UDPRead(const QByteArray &data)
{
    QString text;
    text.reserve(data.size());
    for (const char byte : data)
        text.append(static_cast<unsigned char>(byte) < 0x80 ? QChar(QLatin1Char(byte))
                                                            : QChar(QChar::ReplacementCharacter));
    text.chop(1);
    Edit2->setText(text);
    // A reply that leads nowhere is dropped without a word; discovery keeps running.
    try {
        IdTCPClient1->setHost(Edit2->text());
        IdTCPClient1->setPort(qd::link::portFromText(Edit3->text()));
        IdTCPClient1->connectToServer();
        Timer1->stop();
    } catch (const std::exception &) {
    }
}
