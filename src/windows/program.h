#pragma once

#include "linksettings.h"

#include <palette/screensaver.h>

#include <memory>

class TMainClient;
class TclientForm;
class TFormMartyries;
class TFormDiafora;
class Tmoveform;

namespace qd::link {
class LinkController;
}

namespace qd::windows {

// The window set of one run and the link they share: the link controller first, then the
// windows, created hidden in the fixed order main, settings, modal-signature,
// miscellaneous-signs, arrange, and destroyed in the reverse order.
class Program
{
public:
    explicit Program(const LinkSettings &settings = {});
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Shows the main window full screen.
    void start();

    qd::link::LinkController *link() const { return m_link.get(); }
    TMainClient *MainClient() const { return m_main.get(); }
    TclientForm *clientForm() const { return m_settings.get(); }
    TFormMartyries *FormMartyries() const { return m_martyries.get(); }
    TFormDiafora *FormDiafora() const { return m_diafora.get(); }
    Tmoveform *moveform() const { return m_move.get(); }

private:
    std::unique_ptr<qd::link::LinkController> m_link;
    std::unique_ptr<TMainClient> m_main;
    std::unique_ptr<TclientForm> m_settings;
    std::unique_ptr<TFormMartyries> m_martyries;
    std::unique_ptr<TFormDiafora> m_diafora;
    std::unique_ptr<Tmoveform> m_move;
    // While a palette window is shown the screen stays awake.
    qd::palette::ScreenSaverInhibitor m_screenSaver;
};

// From now on a termination request of the system (SIGTERM, SIGINT) closes the main window,
// exactly as its `off` button does. Needs the application object.
void closeMainWindowOnTerminationRequest();

// The language of the program's texts: "el" (the windows' own; the link's failure texts are
// translated), "en" (the windows' texts translated), or empty for the system's: English where
// the user's languages put English before Greek, else Greek. Call
// before the windows are made; false for a language the program does not have.
bool useLanguage(const QString &language);

// Loads the look set and the bundled fonts; once per process, before the first window.
void loadLookSet();

} // namespace qd::windows
