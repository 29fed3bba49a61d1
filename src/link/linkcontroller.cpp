#include "link/linkcontroller.h"

#include <QCoreApplication>

#include "link/discoverylistener.h"
#include "link/failure.h"
#include "link/lineconnection.h"
#include "link/logging.h"
#include "link/porttext.h"

#include <QTimer>

namespace qd::link {

namespace {

// One character per byte; bytes above 0x7F are not ASCII and read as U+FFFD.
QString decodeReply(const QByteArray &data)
{
    QString text;
    text.reserve(data.size());
    for (const char byte : data)
        text.append(static_cast<unsigned char>(byte) < 0x80 ? QChar(QLatin1Char(byte))
                                                            : QChar(QChar::ReplacementCharacter));
    return text;
}

} // namespace

LinkController::LinkController(const LinkSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_connection(new LineConnection(this)),
      m_listener(new DiscoveryListener(this)), m_timer(new QTimer(this))
{
    m_connection->setConnectTimeoutMs(settings.connectTimeoutMs);
    m_connection->setReadWaitMs(settings.readWaitMs);
    connect(m_connection, &LineConnection::connected, this, &LinkController::attemptSucceeded);
    connect(m_connection, &LineConnection::connectFailed, this, &LinkController::attemptFailed);
    connect(m_connection, &LineConnection::disconnected, this, &LinkController::IdTCPClient1Disconnected);
    connect(m_connection, &LineConnection::connectionLost, this, &LinkController::IdTCPClient1Lost);

    m_listener->setListenPort(settings.listenPort);
    m_listener->setProbeTarget(settings.probeTarget, settings.probePort);
    if (settings.probeTargetOnly)
        m_listener->setNetworkSweep(DiscoveryListener::NetworkSweep::Never);
    connect(m_listener, &DiscoveryListener::replyReceived, this, &LinkController::IdUDPServer1UDPRead);

    m_timer->setInterval(2000);
    connect(m_timer, &QTimer::timeout, this, &LinkController::Timer1Timer);

    m_hostText = settings.pinned() ? settings.pinnedHost : settings.hostText;
    m_portText = settings.pinned() ? QString::number(settings.pinnedPort) : settings.portText;
}

LinkController::~LinkController()
{
    // The link ends without a word to the server and without the disconnected event: first
    // the listener, then the connection.
    m_timer->stop();
    disconnect(m_connection, nullptr, this, nullptr);
    m_listener->close();
    delete m_connection;
    m_connection = nullptr;
}

void LinkController::setHostText(const QString &text)
{
    if (text == m_hostText)
        return;
    m_hostText = text;
    emit hostTextChanged(text);
}

void LinkController::setPortText(const QString &text)
{
    if (text == m_portText)
        return;
    m_portText = text;
    emit portTextChanged(text);
}

bool LinkController::discoveryRunning() const
{
    return m_timer->isActive();
}

void LinkController::start()
{
    // A run that renders the windows offscreen never probes the network.
    if (!m_settings.networkEnabled)
        return;
    if (m_settings.pinned()) {
        // No listener and no probe: the first tick connects to the pinned server at once.
        m_timer->start();
        Timer1Timer();
        return;
    }
    try {
        m_listener->open();
    } catch (const Failure &failure) {
        discoveryFailed(failure.text(), false);
    }
    m_timer->start();
}

void LinkController::enableDiscovery()
{
    if (!m_settings.networkEnabled)
        return;
    if (!m_timer->isActive())
        m_timer->start();
}

void LinkController::restartDiscovery()
{
    qCDebug(lcDiscovery) << "restarted from the indicator";
    m_listener->close();
    enableDiscovery();
}

void LinkController::stopTimers()
{
    m_timer->stop();
}

void LinkController::toggleConnection()
{
    if (connectBusy())
        return;
    try {
        if (m_connection->connectedTest()) {
            m_connection->disconnectFromServer();
            return;
        }
        const Target target{m_hostText, portFromText(m_portText)};
        // An empty host would fail without a word, which shows the user an empty box.
        if (target.host.isEmpty())
            throw Failure(QCoreApplication::translate("qd::link", "No host given."));
        // The user's connect takes the place of one that discovery started.
        abortAttempt();
        beginAttempt(target, true);
    } catch (const Failure &f) {
        // A reply that was waiting behind the discovery connect just given up still gets its turn.
        tryWaitingReply();
        emit failure(f.text());
    }
}

void LinkController::beginAttempt(const Target &target, bool byHand)
{
    qCDebug(lcLink).noquote() << "connecting to" << QStringLiteral("%1:%2").arg(target.host).arg(target.port)
                              << (byHand                ? "(by hand)"
                                  : m_settings.pinned() ? "(pinned server)"
                                                        : "(discovery reply)");
    m_connection->setHost(target.host);
    m_connection->setPort(target.port);
    m_connection->startConnect();
    m_attempt = Attempt{byHand};
    if (byHand)
        emit connectBusyChanged(true);
}

void LinkController::attemptSucceeded()
{
    const std::optional<Attempt> attempt = m_attempt;
    m_attempt.reset();
    qCDebug(lcLink) << "connected";
    // A reply that waited would be refused now: the connection is open.
    m_waitingReply.reset();
    IdTCPClient1Connected();
    if (attempt && attempt->byHand)
        emit connectBusyChanged(false);
    else if (attempt)
        m_timer->stop();
}

void LinkController::attemptFailed(const QString &text)
{
    const std::optional<Attempt> attempt = m_attempt;
    m_attempt.reset();
    qCDebug(lcLink).noquote() << "connect failed:" << text;
    tryWaitingReply();
    // A connect from a reply fails without a word; one by hand reaches the error report.
    if (attempt && attempt->byHand) {
        emit connectBusyChanged(false);
        emit failure(text);
    }
}

void LinkController::abortAttempt()
{
    if (!m_attempt)
        return;
    const bool byHand = m_attempt->byHand;
    m_attempt.reset();
    m_connection->abortConnect();
    if (byHand)
        emit connectBusyChanged(false);
}

void LinkController::tryWaitingReply()
{
    if (m_attempt || !m_waitingReply)
        return;
    const Target target = *m_waitingReply;
    m_waitingReply.reset();
    try {
        beginAttempt(target, false);
    } catch (const Failure &) {
    }
}

void LinkController::sendWithReply(const QString &word)
{
    try {
        m_connection->writeLine(word);
        qCDebug(lcLink).noquote() << "sent" << word;
        setReplyText(m_connection->readLine());
        qCDebug(lcLink).noquote() << "reply" << (m_replyText.isEmpty() ? QStringLiteral("(empty line)") : m_replyText);
        // The reply rule: "ok" or an empty line is accepted; anything else means the server is
        // not the one we think, so drop the link and look for it again.
        if (m_replyText != QLatin1String("ok") && !m_replyText.isEmpty()) {
            qCDebug(lcLink) << "reply rejected: disconnecting and looking for the server again";
            emit sendFailed(SendFailure::Side);
            m_connection->disconnectFromServer();
            enableDiscovery();
        }
        setReplyText(QStringLiteral("x"));
    } catch (const std::exception &e) {
        qCDebug(lcLink).noquote() << "send of" << word << "failed:" << QString::fromUtf8(e.what());
        enableDiscovery();
        switchIndicator(false);
        emit sendFailed(SendFailure::Main);
    }
}

void LinkController::sendWithoutReply(const QString &word)
{
    try {
        m_connection->writeLine(word);
        qCDebug(lcLink).noquote() << "sent" << word << "(no reply read)";
    } catch (const std::exception &e) {
        qCDebug(lcLink).noquote() << "send of" << word << "failed:" << QString::fromUtf8(e.what());
        emit sendFailed(SendFailure::Side);
    }
}

void LinkController::Timer1Timer()
{
    if (m_settings.pinned()) {
        // A tick with a pinned server reconnects there instead of probing.
        if (m_attempt || m_connection->connectedTest())
            return;
        try {
            beginAttempt(Target{m_settings.pinnedHost, m_settings.pinnedPort}, false);
        } catch (const Failure &) {
        }
        return;
    }
    try {
        m_listener->open();
        m_listener->sendProbe();
    } catch (const Failure &failure) {
        discoveryFailed(failure.text(), true);
        return;
    }
    if (lcDiscovery().isDebugEnabled()) {
        QStringList went;
        for (const DiscoveryListener::ProbeResult &r : m_listener->lastProbe())
            went.append(r.address.toString() +
                        (r.failure.isEmpty() ? QString() : QStringLiteral(" (") + r.failure + QLatin1Char(')')));
        qCDebug(lcDiscovery).noquote() << "probe sent from port" << m_listener->boundPort() << "to"
                                       << went.join(QStringLiteral(", "));
    }
    // Discovery works again: a later failure is a new episode and is reported again.
    m_failureLogged = false;
    m_failureShown = false;
}

void LinkController::discoveryFailed(const QString &text, bool report)
{
    // One report per episode: a log line and at most one box, however many ticks fail;
    // the timer keeps retrying quietly meanwhile.
    qCDebug(lcDiscovery).noquote() << "failed:" << text;
    if (!m_failureLogged) {
        m_failureLogged = true;
        emit logLine(
            QStringLiteral("Discovery failed: %1").arg(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    if (report && !m_failureShown) {
        m_failureShown = true;
        emit failure(text);
    }
}

void LinkController::IdUDPServer1UDPRead(const QByteArray &data)
{
    // A pinned server is not to be redirected by whoever answers on the network.
    if (m_settings.pinned())
        return;
    QString host = decodeReply(data);
    host.chop(1);
    qCDebug(lcDiscovery).noquote() << "reply of" << data.size() << "bytes:" << host;
    setHostText(host);
    // A reply that leads nowhere is dropped without a word; discovery keeps running.
    Target target;
    try {
        target = Target{host, portFromText(m_portText)};
    } catch (const Failure &) {
        return;
    }
    // One connect at a time: a reply that comes meanwhile waits, and a later one replaces it,
    // so a burst of replies costs one attempt after the current one, not one each.
    if (m_attempt) {
        m_waitingReply = target;
        return;
    }
    try {
        beginAttempt(target, false);
    } catch (const Failure &) {
    }
}

void LinkController::IdTCPClient1Connected()
{
    emit logLine(QStringLiteral("Client connected with server"));
    switchIndicator(true);
}

void LinkController::IdTCPClient1Disconnected()
{
    qCDebug(lcLink) << "disconnected";
    emit logLine(QStringLiteral("Client disconnected from server"));
    switchIndicator(false);
    enableDiscovery();
}

void LinkController::IdTCPClient1Lost()
{
    // The server has closed or reset the connection, stopped reading or answering, or sent more
    // than it may; our side is closed already. Look for a server again, without a word: nothing
    // was lost that a tap's own message would not report.
    switchIndicator(false);
    enableDiscovery();
}

void LinkController::setReplyText(const QString &text)
{
    m_replyText = text;
    emit replyTextChanged(text);
}

void LinkController::switchIndicator(bool connected)
{
    // Every switch is reported; the indicator itself ignores one to the state it is in.
    m_indicatorConnected = connected;
    emit indicatorChanged(connected);
}

} // namespace qd::link
