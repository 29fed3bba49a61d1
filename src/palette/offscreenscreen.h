#pragma once

#include <QSize>
#include <QString>

namespace qd::palette {

// Parses "WxH" (for example "1920x1080"); an invalid size when the text is not one.
QSize parseScreenSize(const QString &text);

// Makes the next QApplication use the offscreen platform with one screen of the given
// size. Must run before the application object exists; the developer options and the
// GUI tests use it to lay the windows out for any screen without a display.
void useOffscreenScreen(const QSize &size);

} // namespace qd::palette
