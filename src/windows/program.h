#pragma once

#include "linksettings.h"

#include <palette/screensaver.h>

#include <memory>

class TMainClient;
class TclientForm;
class TFormMartyries;
class TFormDiafora;
class Tmoveform;

namespace qd::windows {

// The window set of one run: created hidden in the fixed order main, settings,
// modal-signature, miscellaneous-signs, arrange; destroyed in the reverse order.
class Program
{
public:
    explicit Program(const LinkSettings &settings = {});
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Shows the main window full screen.
    void start();

private:
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

// Loads the look set and the bundled fonts; once per process, before the first window.
void loadLookSet();

} // namespace qd::windows
