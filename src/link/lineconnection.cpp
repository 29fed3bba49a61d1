#include "link/lineconnection.h"

#include <QCoreApplication>

#include "link/namelookup.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QTimer>

namespace qd::link {

namespace {

// Texts of the link's own failures. The windows show their own messages for failed sends, so
// these reach the user only through a connect made by hand.
QString notConnectedText()
{
    return QCoreApplication::translate("qd::link", "Not connected.");
}
QString closedByServerText()
{
    return QCoreApplication::translate("qd::link", "Connection closed by the server.");
}
QString lineTooLongText()
{
    return QCoreApplication::translate("qd::link", "Reply line longer than %1 bytes.")
        .arg(LineConnection::kMaxLineLength);
}

// A dotted IPv4 address is taken as it stands; anything else is a name, looked up for IPv4
// addresses only within the time given.
quint32 resolveIPv4(const QString &host, int timeoutMs)
{
    if (const auto literal = NameLookup::literalIPv4(host))
        return *literal;
    quint32 address = 0;
    const int error = NameLookup::lookupAndWait(host, timeoutMs, &address);
    if (error != 0)
        throw Failure(platform::socketErrorText(error));
    return address;
}

// Command words are ASCII on the wire; any other character, counted by code point, travels
// as '?'.
QByteArray encodeLine(const QString &word)
{
    QByteArray line;
    line.reserve(word.size() + 2);
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        if (c.unicode() <= 0x7f) {
            line.append(char(c.unicode()));
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < word.size() && word.at(i + 1).isLowSurrogate())
            ++i;
        line.append('?');
    }
    line.append("\r\n");
    return line;
}

// One character per byte; bytes above 0x7F are not ASCII and read as U+FFFD.
QString decodeLine(const char *data, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        out[i] = byte <= 0x7f ? QChar(byte) : QChar(QChar::ReplacementCharacter);
    }
    return text;
}

} // namespace

LineConnection::LineConnection(QObject *parent)
    : QObject(parent), m_lookup(new NameLookup(this)), m_connectBound(new QTimer(this))
{
    m_connectBound->setSingleShot(true);
    connect(m_connectBound, &QTimer::timeout, this, [this] {
        // Out of time in the lookup reads as a host that was not found.
        endAttempt(m_connectingSocket == platform::kNoSocket ? platform::hostNotFoundError()
                                                             : platform::timedOutError());
    });
    connect(m_lookup, &NameLookup::finished, this, [this](quint32 address, int error) {
        if (error != 0)
            endAttempt(error);
        else
            beginTcpConnect(address);
    });
}

LineConnection::~LineConnection()
{
    // Dropped without a word to the server and without an event, as at the program's end.
    abortConnect();
    delete m_watcher;
    platform::closeSocket(m_socket);
}

void LineConnection::connectToServer()
{
    if (connectedTest())
        throw Failure(QCoreApplication::translate("qd::link", "Already connected."));
    if (m_host.isEmpty() || m_port == 0)
        throw Failure(QString());

    abortConnect();
    m_hasObject = true;
    m_queue.clear();
    m_skippingLongLine = false;
    m_skipped = 0;
    m_closedByServer = false;
    try {
        const QDeadlineTimer deadline(m_connectTimeoutMs > 0 ? m_connectTimeoutMs : -1);
        const quint32 address = resolveIPv4(m_host, m_connectTimeoutMs);
        int error = 0;
        const platform::SocketHandle socket = platform::openTcpSocket(&error);
        if (socket == platform::kNoSocket)
            throw Failure(platform::socketErrorText(error));
        const int left = deadline.isForever() ? -1 : int(qMax<qint64>(deadline.remainingTime(), 1));
        error = platform::connectIPv4(socket, address, m_port, left);
        if (error != 0) {
            platform::closeSocket(socket);
            throw Failure(platform::socketErrorText(error));
        }
        if (m_sendTimeoutMs > 0)
            platform::setSendTimeout(socket, m_sendTimeoutMs);
        // A system that refuses a part of it still finds a dead server, only later.
        platform::setLiveness(socket, m_liveness);
        m_socket = socket;
    } catch (const Failure &) {
        dropObject();
        throw;
    }
    ++m_openings;
    watchSocket();
    emit connected();
}

void LineConnection::startConnect()
{
    if (m_connecting)
        throw Failure(QCoreApplication::translate("qd::link", "A connect is already under way."));
    if (connectedTest())
        throw Failure(QCoreApplication::translate("qd::link", "Already connected."));
    if (m_host.isEmpty() || m_port == 0)
        throw Failure(QString());

    m_hasObject = true;
    m_queue.clear();
    m_skippingLongLine = false;
    m_skipped = 0;
    m_closedByServer = false;
    m_connecting = true;
    ++m_attempt;
    if (m_connectTimeoutMs > 0)
        m_connectBound->start(m_connectTimeoutMs);
    if (const auto literal = NameLookup::literalIPv4(m_host))
        beginTcpConnect(*literal);
    else
        m_lookup->start(m_host);
}

void LineConnection::beginTcpConnect(quint32 address)
{
    int error = 0;
    const platform::SocketHandle socket = platform::openTcpSocket(&error);
    bool pending = false;
    if (socket != platform::kNoSocket) {
        m_connectingSocket = socket;
        error = platform::startConnectIPv4(socket, address, m_port, &pending);
    }
    if (!pending) {
        // Done at once, either way: the outcome still comes from the event loop, as promised.
        if (error == 0 && socket != platform::kNoSocket)
            error = platform::finishConnect(socket);
        QMetaObject::invokeMethod(
            this,
            [this, attempt = m_attempt, error] {
                if (m_connecting && attempt == m_attempt)
                    endAttempt(error);
            },
            Qt::QueuedConnection);
        return;
    }
    // Writable when the connect has ended; some systems report a failed one as an exception.
    const auto ended = [this] { endAttempt(platform::finishConnect(m_connectingSocket)); };
    m_connectWritable = new QSocketNotifier(qintptr(socket), QSocketNotifier::Write, this);
    m_connectException = new QSocketNotifier(qintptr(socket), QSocketNotifier::Exception, this);
    connect(m_connectWritable, &QSocketNotifier::activated, this, ended);
    connect(m_connectException, &QSocketNotifier::activated, this, ended);
}

void LineConnection::endAttempt(int error)
{
    if (!m_connecting)
        return;
    const platform::SocketHandle socket = m_connectingSocket;
    m_connectingSocket = platform::kNoSocket;
    abortConnect();
    if (error == 0 && socket != platform::kNoSocket) {
        if (m_sendTimeoutMs > 0)
            platform::setSendTimeout(socket, m_sendTimeoutMs);
        platform::setLiveness(socket, m_liveness);
        m_hasObject = true;
        m_socket = socket;
        ++m_openings;
        watchSocket();
        emit connected();
        return;
    }
    platform::closeSocket(socket);
    emit connectFailed(platform::socketErrorText(error));
}

void LineConnection::abortConnect()
{
    if (!m_connecting)
        return;
    m_connecting = false;
    ++m_attempt;
    m_connectBound->stop();
    m_lookup->cancel();
    // Deleted later: this may run inside one of their own signals.
    for (QSocketNotifier *notifier : {m_connectWritable, m_connectException}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_connectWritable = nullptr;
    m_connectException = nullptr;
    platform::closeSocket(m_connectingSocket);
    m_connectingSocket = platform::kNoSocket;
    dropObject();
}

void LineConnection::disconnectFromServer()
{
    connectedTest();
    if (!isOpen())
        return;
    closeOurSide();
    emit disconnected();
}

bool LineConnection::connectedTest()
{
    // Take in what has arrived, so that an end of stream behind it comes to light too. The queue's
    // bound keeps a server that never stops sending from holding us here or filling memory: once
    // the queue is full, more bytes end the connection.
    while (isOpen()) {
        int error = 0;
        if (platform::waitReadable(m_socket, 0, &error) != platform::WaitResult::Ready)
            break;
        if (!receiveIntoQueue(&error))
            break;
    }
    return isOpen();
}

void LineConnection::writeLine(const QString &word)
{
    if (!m_hasObject || !isOpen())
        throw Failure(notConnectedText());
    // The whole line goes to the socket in one send, so that it travels in one segment; a
    // partial send is followed by sends of the rest.
    //
    // The send bound covers the whole line: each send of a rest gets only what is left of it. A
    // send that times out counts as a lost connection, because the server may hold part of the
    // line, and the connection is closed.
    const QByteArray line = encodeLine(word);
    const QDeadlineTimer deadline(m_sendTimeoutMs > 0 ? qint64(m_sendTimeoutMs) : qint64(-1));
    bool boundShortened = false;
    qsizetype sent = 0;
    while (sent < line.size()) {
        int error = 0;
        qint64 n = platform::sendBytes(m_socket, line.constData() + sent, line.size() - sent, &error);
        if (n > 0) {
            sent += n;
            if (sent == line.size() || m_sendTimeoutMs == 0)
                continue;
            const qint64 left = deadline.remainingTime();
            if (left > 0) {
                boundShortened = platform::setSendTimeout(m_socket, int(left));
                continue;
            }
            n = -1;
            error = platform::timedOutError();
        }
        if (n == 0) {
            loseConnection();
            throw Failure(closedByServerText());
        }
        if (platform::meansConnectionLost(error))
            loseConnection();
        throw Failure(platform::socketErrorText(error));
    }
    if (boundShortened)
        platform::setSendTimeout(m_socket, m_sendTimeoutMs);
}

QString LineConnection::readLine()
{
    if (!m_hasObject)
        throw Failure(notConnectedText());
    const QDeadlineTimer deadline(m_readWaitMs);
    // Each scan for the LF starts where the previous one stopped.
    qsizetype scanFrom = 0;
    for (;;) {
        if (m_skippingLongLine && skipRestOfLongLine())
            scanFrom = 0;
        if (m_skippingLongLine && m_skipped > kMaxQueued && isOpen()) {
            // A line whose end never comes is a server that streams without end.
            overflow();
            throw Failure(closedByServerText());
        }
        if (!m_skippingLongLine) {
            const qsizetype lf = m_queue.indexOf('\n', scanFrom);
            if (lf > kMaxLineLength) {
                m_queue.remove(0, lf + 1);
                throw Failure(lineTooLongText());
            }
            if (lf >= 0) {
                const qsizetype length = (lf > 0 && m_queue.at(lf - 1) == '\r') ? lf - 1 : lf;
                const QString line = decodeLine(m_queue.constData(), length);
                m_queue.remove(0, lf + 1);
                return line;
            }
            scanFrom = m_queue.size();
            if (m_queue.size() > kMaxLineLength) {
                // The line is too long whatever comes next. Refuse it now rather than let the
                // queue grow, and drop the rest of it as it arrives, so that one long line costs
                // one failed read and the lines after it read normally.
                m_skipped = m_queue.size();
                m_queue.clear();
                m_skippingLongLine = true;
                throw Failure(lineTooLongText());
            }
        }
        if (!isOpen())
            throw Failure(m_closedByServer ? closedByServerText() : notConnectedText());

        int error = 0;
        const platform::WaitResult waited = platform::waitReadable(m_socket, int(deadline.remainingTime()), &error);
        if (waited == platform::WaitResult::TimedOut)
            return QString();
        if (waited == platform::WaitResult::Failed)
            throw Failure(platform::socketErrorText(error));
        if (!receiveIntoQueue(&error))
            throw Failure(error == 0 ? closedByServerText() : platform::socketErrorText(error));
    }
}

bool LineConnection::receiveIntoQueue(int *error)
{
    const qsizetype queued = m_queue.size();
    const qsizetype room = qMin<qsizetype>(kReceiveChunk, kMaxQueued - queued);
    qint64 n = 0;
    if (room > 0) {
        m_queue.resize(queued + room);
        n = platform::receiveBytes(m_socket, m_queue.data() + queued, room, error);
        m_queue.resize(queued + qMax<qint64>(n, 0));
        if (n > 0)
            return true;
    } else {
        // The queue is full. One byte tells an end of stream or a reset from a server that goes
        // on sending; the byte is not kept either way.
        char byte = 0;
        n = platform::receiveBytes(m_socket, &byte, 1, error);
        if (n > 0) {
            *error = 0;
            overflow();
            return false;
        }
    }
    if (n == 0) {
        *error = 0;
        m_closedByServer = true;
        loseConnection();
    } else if (platform::meansConnectionLost(*error)) {
        loseConnection();
    }
    return false;
}

bool LineConnection::skipRestOfLongLine()
{
    const qsizetype lf = m_queue.indexOf('\n');
    if (lf < 0) {
        m_skipped += m_queue.size();
        m_queue.clear();
        return false;
    }
    m_queue.remove(0, lf + 1);
    m_skippingLongLine = false;
    m_skipped = 0;
    return true;
}

void LineConnection::loseConnection()
{
    closeOurSide();
    // Reported from the event loop, so that whoever handles it never runs inside a connect, a
    // write or a read; a connection opened before then makes the report stale.
    const quint64 opening = m_openings;
    QMetaObject::invokeMethod(
        this,
        [this, opening] {
            if (m_openings == opening && !isOpen())
                emit connectionLost();
        },
        Qt::QueuedConnection);
}

void LineConnection::overflow()
{
    m_closedByServer = true;
    loseConnection();
}

void LineConnection::watchSocket()
{
    // Whatever the socket reports (bytes, an end of stream, a reset, a dropped dead connection)
    // is taken in by the connected test at once.
    m_watcher = new QSocketNotifier(qintptr(m_socket), QSocketNotifier::Read, this);
    connect(m_watcher, &QSocketNotifier::activated, this, [this] { connectedTest(); });
}

void LineConnection::closeOurSide()
{
    if (m_watcher) {
        // This may run inside the watcher's own signal: stop it now, delete it later.
        m_watcher->setEnabled(false);
        m_watcher->deleteLater();
        m_watcher = nullptr;
    }
    platform::closeSocket(m_socket);
    m_socket = platform::kNoSocket;
}

void LineConnection::dropObject()
{
    closeOurSide();
    m_hasObject = false;
    m_queue.clear();
    m_skippingLongLine = false;
    m_skipped = 0;
}

} // namespace qd::link
