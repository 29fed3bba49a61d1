#pragma once

#include <QString>

namespace qd::peer {

// The line printed for a received command word: the word, and where the sign table knows it,
// a tab and the sign's name.
QString describeWord(const QString &word);

} // namespace qd::peer
