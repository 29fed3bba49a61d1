#include "program.h"

#include "QD_client.h"
#include "Unit1.h"
#include "diafora.h"
#include "martyries.h"
#include "messages.h"
#include "taktopoihsi.h"

#include <palette/errorreport.h>
#include <palette/looks.h>
#include <palette/windowset.h>

#include <art/artbook.h>

#include <link/linkcontroller.h>
#include <link/socket_platform.h>

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QSocketNotifier>
#include <QTranslator>

namespace qd::windows {

namespace {
const QString kHostKey = QStringLiteral("server/host");
const QString kPortKey = QStringLiteral("server/port");

// The host and port of the last run, where there are any; a pinned server leaves them alone.
LinkSettings withRememberedServer(LinkSettings settings)
{
    if (settings.rememberServer && !settings.pinned()) {
        const QSettings store;
        settings.hostText = store.value(kHostKey, settings.hostText).toString();
        settings.portText = store.value(kPortKey, settings.portText).toString();
    }
    return settings;
}
} // namespace

bool useLanguage(const QString &language)
{
    // One translation at a time: English turns the windows' Greek into English, Greek turns
    // the link's English failure texts (socket errors among them) into Greek.
    static QTranslator translation;
    QString chosen = language;
    if (chosen.isEmpty()) {
        chosen = QStringLiteral("el");
        for (const QString &ui : QLocale::system().uiLanguages()) {
            if (ui.startsWith(QLatin1String("en")) || ui.startsWith(QLatin1String("el"))) {
                chosen = ui.left(2);
                break;
            }
        }
    }
    if (chosen != QLatin1String("el") && chosen != QLatin1String("en"))
        return false;
    QCoreApplication::removeTranslator(&translation);
    if (!translation.load(QStringLiteral(":/i18n/qdclient_%1.qm").arg(chosen)))
        qFatal("the translation %s is missing from the resources", qPrintable(chosen));
    QCoreApplication::installTranslator(&translation);
    return true;
}

void loadLookSet()
{
    qd::palette::LookSet::load();
    qd::art::ArtBook::instance();
}

void closeMainWindowOnTerminationRequest()
{
    namespace platform = qd::link::platform;
    const platform::SocketHandle socket = platform::watchTerminationRequests();
    if (socket == platform::kNoSocket)
        return;
    static QPointer<QSocketNotifier> notifier;
    if (notifier)
        return;
    notifier = new QSocketNotifier(qintptr(socket), QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [socket] {
        platform::takeTerminationRequests(socket);
        auto &set = qd::palette::WindowSet::instance();
        if (qd::palette::FormWindow *main = set.mainWindow())
            set.close(main);
        else
            QCoreApplication::exit(0);
    });
}

Program::Program(const LinkSettings &settings)
    : m_link(std::make_unique<qd::link::LinkController>(withRememberedServer(settings)))
{
    using qd::link::LinkController;
    // Whatever the settings window shows, typed or found by discovery, is what the next run
    // starts with. QSettings writes it out in the background and when the program ends.
    if (settings.rememberServer && !settings.pinned()) {
        QObject::connect(m_link.get(), &LinkController::hostTextChanged, m_link.get(),
                         [](const QString &text) { QSettings().setValue(kHostKey, text); });
        QObject::connect(m_link.get(), &LinkController::portTextChanged, m_link.get(),
                         [](const QString &text) { QSettings().setValue(kPortKey, text); });
    }
    // What the link reports and no window shows itself: the two fixed messages of a failed
    // send and the failures for the default error report.
    QObject::connect(m_link.get(), &LinkController::sendFailed, m_link.get(), [](LinkController::SendFailure which) {
        qd::palette::showMessage(which == LinkController::SendFailure::Main ? mainSendFailureMessage()
                                                                            : sideSendFailureMessage());
    });
    QObject::connect(m_link.get(), &LinkController::failure, m_link.get(),
                     [](const QString &text) { qd::palette::reportError(text); });

    m_main = std::make_unique<TMainClient>(*m_link);
    m_settings = std::make_unique<TclientForm>(*m_link);
    // Discovery runs from the creation of the settings window on.
    m_link->start();
    m_martyries = std::make_unique<TFormMartyries>(*m_link);
    m_diafora = std::make_unique<TFormDiafora>(*m_link);
    m_move = std::make_unique<Tmoveform>(*m_link);
    m_main->setDestinations({m_settings.get(), m_martyries.get(), m_diafora.get(), m_move.get()});
    m_screenSaver.watch(m_main.get());
    m_screenSaver.watch(m_martyries.get());
    m_screenSaver.watch(m_diafora.get());
}

Program::~Program()
{
    // Timers first, so nothing fires while the windows go.
    for (auto *w : qd::palette::WindowSet::instance().windows())
        w->stopTimers();
    m_link->stopTimers();
    m_move.reset();
    m_diafora.reset();
    m_martyries.reset();
    m_settings.reset();
    // The link ends with the settings window, before the main window goes.
    m_link.reset();
    m_main.reset();
}

void Program::start()
{
    qd::palette::WindowSet::instance().show(m_main.get());
}

} // namespace qd::windows
