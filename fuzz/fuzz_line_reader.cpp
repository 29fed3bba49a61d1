// Fuzzes the reply-line reader (LineConnection::readLine) over a real loopback connection. The
// input is a stream of chunks, each written by the server side in one go; after every chunk the
// reader must hand out exactly the lines and failures that a plain model of the line rules
// predicts for the bytes so far, and then report no further line. At the end the server closes
// (orderly or with a reset) and every later read must fail.
//
// Input: a list of chunks. Each chunk starts with a kind byte: kinds 0-5 are followed by a
// length byte and that many literal bytes; kind 6 repeats one byte a number of times given by
// two more bytes (to reach the 16 384-byte line limit cheaply); kind 7 ends the input with a reset.

#include <link/failure.h>
#include <link/lineconnection.h>
#include <link/socket_platform.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using qd::link::Failure;
using qd::link::LineConnection;

namespace {

// The line rules, written from the protocol rather than from the reader: a line is the bytes
// before an LF, one CR before the LF dropped, one character per byte with bytes above 0x7F read
// as U+FFFD; more than 16 384 bytes before the LF fail the read, once per such line.
struct Model
{
    QByteArray buffer;
    bool skipping = false;

    // One read's result: a line, or nothing for a failure.
    std::vector<std::optional<QString>> take()
    {
        std::vector<std::optional<QString>> events;
        for (;;) {
            if (skipping) {
                const qsizetype lf = buffer.indexOf('\n');
                if (lf < 0) {
                    buffer.clear();
                    return events;
                }
                buffer.remove(0, lf + 1);
                skipping = false;
            }
            const qsizetype lf = buffer.indexOf('\n');
            if (lf > LineConnection::kMaxLineLength) {
                events.emplace_back(std::nullopt);
                buffer.remove(0, lf + 1);
                continue;
            }
            if (lf >= 0) {
                const qsizetype length = (lf > 0 && buffer.at(lf - 1) == '\r') ? lf - 1 : lf;
                QString line;
                for (qsizetype i = 0; i < length; ++i) {
                    const auto byte = static_cast<unsigned char>(buffer.at(i));
                    line.append(byte < 0x80 ? QChar(byte) : QChar(QChar::ReplacementCharacter));
                }
                events.emplace_back(line);
                buffer.remove(0, lf + 1);
                continue;
            }
            if (buffer.size() > LineConnection::kMaxLineLength) {
                // Too long whatever follows: one failure now, the rest of the line is dropped.
                events.emplace_back(std::nullopt);
                buffer.clear();
                skipping = true;
                continue;
            }
            return events;
        }
    }
};

[[noreturn]] void finding(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "fuzz_line_reader: %s %s\n", what, qPrintable(detail));
    std::abort();
}

QTcpServer *server = nullptr;

// Everything the server side has written has reached the reader's socket once the write has
// returned: loopback hands the bytes over inside the send, and the input is kept far below the
// receive window.
void writeAll(QTcpSocket *peer, const QByteArray &bytes)
{
    peer->write(bytes);
    while (peer->bytesToWrite() > 0) {
        if (!peer->waitForBytesWritten(5000))
            finding("server side could not write");
    }
}

std::optional<QString> readOnce(LineConnection &reader)
{
    try {
        return reader.readLine();
    } catch (const Failure &) {
        return std::nullopt;
    }
}

QString show(const std::optional<QString> &event)
{
    return event ? QStringLiteral("line \"%1\" (%2 chars)").arg(event->left(40)).arg(event->size())
                 : QStringLiteral("failure");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    new QCoreApplication(*argc, *argv);
    server = new QTcpServer;
    if (!server->listen(QHostAddress::LocalHost, 0))
        finding("cannot listen on loopback");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Keep the whole stream well inside the loopback receive window.
    constexpr qsizetype kMaxStream = 48 * 1024;

    LineConnection reader;
    reader.setHost(QStringLiteral("127.0.0.1"));
    reader.setPort(server->serverPort());
    reader.setReadWaitMs(0);
    try {
        reader.connectToServer();
    } catch (const Failure &f) {
        finding("connect failed", f.text());
    }
    if (!server->waitForNewConnection(5000))
        finding("no connection to accept");
    QTcpSocket *peer = server->nextPendingConnection();
    // Each chunk must go out as it is written, not wait for the reader's acknowledgement.
    peer->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    Model model;
    qsizetype streamed = 0;
    bool reset = false;
    size_t pos = 0;
    while (pos < size && !reset) {
        const uint8_t kind = data[pos++] & 7;
        QByteArray chunk;
        if (kind == 7) {
            reset = true;
            break;
        }
        if (kind == 6) {
            if (pos + 3 > size)
                break;
            const char byte = char(data[pos]);
            const int count = 1 + ((data[pos + 1] << 8) | data[pos + 2]) % 20000;
            pos += 3;
            chunk = QByteArray(count, byte);
        } else {
            if (pos >= size)
                break;
            const size_t wanted = data[pos++];
            const size_t length = qMin<size_t>(wanted, size - pos);
            chunk = QByteArray(reinterpret_cast<const char *>(data + pos), qsizetype(length));
            pos += length;
        }
        if (streamed + chunk.size() > kMaxStream)
            break;
        streamed += chunk.size();
        writeAll(peer, chunk);
        model.buffer += chunk;

        // A read that is owed a line may wait for it, in case the system is slow to hand the
        // bytes over; one that is owed none must not wait, or it would swallow what comes next.
        reader.setReadWaitMs(5000);
        for (const auto &expected : model.take()) {
            const auto actual = readOnce(reader);
            if (actual != expected)
                finding("wrong read:", show(actual) + QStringLiteral(" instead of ") + show(expected));
        }
        reader.setReadWaitMs(0);
        // No complete line is left: the next read finds none, takes nothing and yields "".
        for (int attempt = 0;; ++attempt) {
            const auto rest = readOnce(reader);
            if (rest != QString())
                finding("a read found more than the model:", show(rest));
            if (model.skipping || reader.pendingBytes() == model.buffer)
                break;
            if (attempt == 1000 || !model.buffer.startsWith(reader.pendingBytes()))
                finding("queue differs from the model");
            QThread::msleep(1);
        }
        if (!reader.isOpen())
            finding("connection closed while the server keeps it open");
    }

    if (reset)
        qd::link::platform::setAbortiveClose(peer->socketDescriptor());
    peer->abort();
    delete peer;

    // Whatever was still queued was not a complete line, so every read from now on fails.
    reader.setReadWaitMs(5000);
    if (readOnce(reader))
        finding("read after the server's close did not fail");
    if (reader.isOpen())
        finding("connection still open after the server's close");
    if (readOnce(reader))
        finding("second read after the close did not fail");
    return 0;
}
