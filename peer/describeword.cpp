#include "describeword.h"

namespace qd::peer {

QString describeWord(const QString &word)
{
    return word;
}

} // namespace qd::peer
