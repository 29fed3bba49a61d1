#pragma once

#include <QString>

namespace qd::windows {

// The two fixed messages of a failed send.
inline QString mainSendFailureMessage()
{
    return QStringLiteral("Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server QD");
}

inline QString sideSendFailureMessage()
{
    return QStringLiteral("Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server QD");
}

// A connect by hand with an empty host field. The connection itself fails without a word
// there, which would show the user an empty box.
inline QString noHostMessage()
{
    return QStringLiteral("No host given.");
}

} // namespace qd::windows
