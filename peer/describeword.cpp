#include "describeword.h"

#include <art/signtable.h>

namespace qd::peer {

QString describeWord(const QString &word)
{
    // The word first, so that scripts can cut at the tab; the sign's name after it for
    // whoever watches the terminal.
    const QString name = qd::art::SignTable::instance().signName(word);
    return name.isEmpty() ? word : word + QLatin1Char('\t') + name;
}

} // namespace qd::peer
