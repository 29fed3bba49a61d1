#include "windowset.h"

#include "logging.h"

#include "formwindow.h"

#include <QApplication>
#include <QScreen>

namespace qd::palette {

WindowSet &WindowSet::instance()
{
    static WindowSet set;
    return set;
}

void WindowSet::add(FormWindow *window)
{
    m_windows.append(window);
}

void WindowSet::remove(FormWindow *window)
{
    m_windows.removeAll(window);
    m_history.removeAll(window);
    // The quit request belongs to the run whose windows are now gone.
    if (m_windows.isEmpty())
        m_quitRequested = false;
}

void WindowSet::show(FormWindow *window)
{
    qCDebug(lcUi).noquote() << "show" << window->instanceName();
    if (window->isVisible()) {
        window->raise();
        if (activeWindow() != window)
            activate(window);
        return;
    }
    // Full screen on every platform: with a window manager the state does it; in a kiosk
    // session without one, the geometry does.
    if (QScreen *screen = window->screen())
        window->setGeometry(screen->geometry());
    window->showFullScreen();
    window->raise();
    activate(window);
    // A show from hidden always runs the activation handler, even if the window still
    // counted as active.
    window->FormActivate();
}

void WindowSet::close(FormWindow *window)
{
    qCDebug(lcUi).noquote() << "close" << window->instanceName();
    window->close();
}

FormWindow *WindowSet::activeWindow() const
{
    for (FormWindow *w : m_history) {
        if (w->isVisible())
            return w;
    }
    return nullptr;
}

void WindowSet::activate(FormWindow *window)
{
    window->activateWindow();
    noteActivated(window);
}

void WindowSet::noteActivated(FormWindow *window)
{
    m_history.removeAll(window);
    m_history.prepend(window);
}

void WindowSet::closeRequested(FormWindow *window)
{
    if (window != mainWindow() && !window->isVisible())
        return;
    window->runCloseHandler();
    if (window == mainWindow()) {
        requestQuit();
        return;
    }
    const bool wasActive = activeWindow() == window;
    window->hide();
    // Leave full-screen mode while hidden; the next Show makes it full screen again.
    window->setWindowState(window->windowState() & ~Qt::WindowFullScreen);
    m_history.removeAll(window);
    m_history.append(window);
    if (wasActive) {
        if (FormWindow *next = activeWindow()) {
            next->raise();
            activate(next);
            next->FormActivate();
        }
    }
}

void WindowSet::requestQuit()
{
    if (m_quitRequested)
        return;
    m_quitRequested = true;
    for (FormWindow *w : std::as_const(m_windows))
        w->stopTimers();
    // exit(), not quit(): a GUI application's quit() first asks every window to close, and a
    // close of the arrange window would send "move_client" while the main window refuses the
    // close and so cancels the quit. The windows are destroyed after the loop, never closed.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

} // namespace qd::palette
