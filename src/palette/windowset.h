#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

namespace qd::palette {

class FormWindow;

// The program's windows in order of creation, and the two window operations Show and
// Close. The first window added is the main window: closing it ends the program.
class WindowSet : public QObject
{
    Q_OBJECT
public:
    static WindowSet &instance();

    void add(FormWindow *window);
    void remove(FormWindow *window);
    const QList<FormWindow *> &windows() const { return m_windows; }
    FormWindow *mainWindow() const { return m_windows.isEmpty() ? nullptr : m_windows.first(); }

    // Show: visible, full screen, in front and active. On a window already shown it only
    // brings it to the front, and activates it unless it is the active window already.
    void show(FormWindow *window);
    // Close: asks the window to close, exactly as the window system would.
    void close(FormWindow *window);

    // The window shown and activated most recently, if any is still shown.
    FormWindow *activeWindow() const;

    // Stops every timer of the program, then posts the quit request, so nothing fires
    // while the windows are torn down.
    void requestQuit();
    bool quitRequested() const { return m_quitRequested; }

    // Called by windows.
    void noteActivated(FormWindow *window);
    void closeRequested(FormWindow *window);

private:
    void activate(FormWindow *window);

    QList<FormWindow *> m_windows;
    QList<FormWindow *> m_history; // most recently activated first
    bool m_quitRequested = false;
};

} // namespace qd::palette
