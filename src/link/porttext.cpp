#include "link/porttext.h"

#include <QCoreApplication>

#include "link/failure.h"

#include <algorithm>

namespace qd::link {

quint16 portFromText(const QString &text)
{
    // A signed 32-bit decimal number with an optional sign; blanks around it are forgiven.
    const QString number = text.trimmed();
    const bool signedNumber = number.startsWith(QLatin1Char('+')) || number.startsWith(QLatin1Char('-'));
    const auto digits = QStringView(number).mid(signedNumber ? 1 : 0);
    const bool allDigits = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    bool ok = false;
    const int value = allDigits ? number.toInt(&ok, 10) : 0;
    if (!ok)
        throw Failure(QCoreApplication::translate("qd::link", "'%1' is not a valid integer value").arg(text));
    if (value < 0 || value > 65535)
        throw Failure(
            QCoreApplication::translate("qd::link", "'%1' is not a valid port number (1 to 65535).").arg(text));
    return quint16(value);
}

} // namespace qd::link
