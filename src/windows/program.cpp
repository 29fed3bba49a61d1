#include "program.h"

#include "QD_client.h"
#include "Unit1.h"
#include "diafora.h"
#include "martyries.h"
#include "taktopoihsi.h"

#include <palette/looks.h>
#include <palette/windowset.h>

#include <art/artbook.h>

#include <link/socket_platform.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

namespace qd::windows {

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
{
    m_main = std::make_unique<TMainClient>();
    m_settings = std::make_unique<TclientForm>(settings);
    m_martyries = std::make_unique<TFormMartyries>();
    m_diafora = std::make_unique<TFormDiafora>();
    m_move = std::make_unique<Tmoveform>();
    m_screenSaver.watch(m_main.get());
    m_screenSaver.watch(m_martyries.get());
    m_screenSaver.watch(m_diafora.get());
}

Program::~Program()
{
    // Timers first, so nothing fires while the windows go.
    for (auto *w : qd::palette::WindowSet::instance().windows())
        w->stopTimers();
    m_move.reset();
    m_diafora.reset();
    m_martyries.reset();
    m_settings.reset();
    m_main.reset();
}

void Program::start()
{
    qd::palette::WindowSet::instance().show(m_main.get());
}

} // namespace qd::windows
