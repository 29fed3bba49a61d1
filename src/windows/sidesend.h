#pragma once

#include <QString>

namespace qd::windows {

// The send of the side palettes and of the arrange window's close: one line, no reply
// read. A failure shows the one-exclamation-mark message and changes nothing else.
void sendWithoutReply(const QString &word);

} // namespace qd::windows
