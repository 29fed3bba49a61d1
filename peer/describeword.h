#pragma once

#include <QString>

namespace qd::peer {

// The text printed for a received command word. The one place to add the sign's name beside
// the word.
QString describeWord(const QString &word);

} // namespace qd::peer
