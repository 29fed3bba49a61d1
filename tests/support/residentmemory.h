#pragma once

// Resident memory of this process, from the system's own count, for the checks that a
// misbehaving server costs no memory.

#include <QByteArray>
#include <QFile>
#include <QList>

namespace qd::test {

inline qint64 residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * 4 : -1;
}

// AddressSanitizer keeps freed memory in quarantine, so under it the resident figure grows
// with every allocation and says nothing about what the program holds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kResidentMemoryTells = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kResidentMemoryTells = false;
#else
inline constexpr bool kResidentMemoryTells = true;
#endif
#else
inline constexpr bool kResidentMemoryTells = true;
#endif

} // namespace qd::test
