#include "program.h"

#include "QD_client.h"
#include "Unit1.h"
#include "diafora.h"
#include "martyries.h"
#include "taktopoihsi.h"

#include <palette/looks.h>
#include <palette/windowset.h>

#include <art/artbook.h>

namespace qd::windows {

void loadLookSet()
{
    qd::palette::LookSet::load();
    qd::art::ArtBook::instance();
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
