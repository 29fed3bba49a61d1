#pragma once

#include <QCoreApplication>
#include <QString>

namespace qd::windows {

// The two fixed messages of a failed send.
inline QString mainSendFailureMessage()
{
    return QCoreApplication::translate("qd::windows", "Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server QD");
}

inline QString sideSendFailureMessage()
{
    return QCoreApplication::translate("qd::windows", "Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server QD");
}

} // namespace qd::windows
