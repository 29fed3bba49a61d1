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

} // namespace qd::windows
