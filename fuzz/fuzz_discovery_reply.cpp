// Fuzzes the link controller's discovery reply handler (LinkController::IdUDPServer1UDPRead) with
// arbitrary reply bytes: the host field must show the bytes decoded one character per byte
// (above 0x7F as U+FFFD) without the last one, and a connect that leads nowhere must be dropped
// without a message, leaving discovery as it was. The port field names a loopback port nobody
// listens on, so no reply can connect; host names are looked up by the system, so run this
// inside the isolated network namespace.

#include <Unit1.h>
#include <program.h>

#include <link/lineconnection.h>
#include <link/linkcontroller.h>
#include <palette/application.h>
#include <palette/errorreport.h>
#include <palette/offscreenscreen.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QTcpServer>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void finding(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "fuzz_discovery_reply: %s %s\n", what, qPrintable(detail));
    std::abort();
}

qd::link::LinkController *controller = nullptr;
TclientForm *form = nullptr;
int messagesShown = 0;

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qd::palette::useOffscreenScreen(QSize(1024, 720));
    new qd::palette::Application(*argc, *argv);
    qd::windows::loadLookSet();
    qd::palette::setMessageObserver([](QMessageBox *box) {
        ++messagesShown;
        QTimer::singleShot(0, box, &QMessageBox::accept);
    });
    qd::windows::LinkSettings settings;
    settings.networkEnabled = false; // no listener, no probes: the handler is called directly
    settings.connectTimeoutMs = 200;
    controller = new qd::link::LinkController(settings);
    form = new TclientForm(*controller);
    form->Edit3->setText(QString::number(closedPort()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The listener hands on 1 to 20 bytes; the handler itself is fed any length up to 64.
    if (size == 0 || size > 64)
        return 0;
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));

    QString expected;
    for (qsizetype i = 0; i + 1 < reply.size(); ++i) {
        const auto byte = static_cast<unsigned char>(reply.at(i));
        expected.append(byte < 0x80 ? QChar(byte) : QChar(QChar::ReplacementCharacter));
    }

    controller->Timer1()->start();
    controller->IdUDPServer1UDPRead(reply);
    // The connect runs in the background; wait for its end (within the 200 ms bound).
    while (controller->connecting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    if (form->Edit2->text() != expected)
        finding("host field shows", QStringLiteral("\"%1\" instead of \"%2\" for bytes %3")
                                        .arg(form->Edit2->text(), expected, QString::fromLatin1(reply.toHex())));
    if (controller->IdTCPClient1()->isOpen())
        finding("a reply connected to a port nobody listens on");
    if (!controller->discoveryRunning())
        finding("a failed connect stopped discovery");
    if (messagesShown != 0)
        finding("a failed connect showed a message");
    return 0;
}
