#pragma once

#include <link/failure.h>

#include <QString>

namespace qd::test {

// Runs `f` and returns the text of the link Failure it throws; a null string when it throws none.
template <typename F>
QString failureOf(F &&f)
{
    try {
        f();
    } catch (const qd::link::Failure &failure) {
        // An empty failure text must stay distinguishable from "no failure".
        return failure.text().isNull() ? QStringLiteral("") : failure.text();
    }
    return QString();
}

} // namespace qd::test
