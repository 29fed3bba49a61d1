#include "application.h"

#include "errorreport.h"

#include <QIcon>

namespace qd::palette {

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setQuitOnLastWindowClosed(false);
    // Where QSettings keeps what the program remembers: qdclient/qdclient.conf in the user's
    // configuration folder on Linux.
    setOrganizationName(QStringLiteral("qdclient"));
    setApplicationName(QStringLiteral("qdclient"));
    // The desktop entry's name, so a Wayland compositor matches the windows to the menu entry
    // and its icon; the same icon, built in, for window systems that take it from the window.
    setDesktopFileName(QStringLiteral("local.qdclient.QDClient"));
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/qdclient.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        reportError(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace qd::palette
