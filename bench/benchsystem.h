#pragma once

// The few system calls the benchmarks make beyond Qt, kept here. Both are measurement aids
// only; where a system does not offer them they report that they could not.

#include <QtGlobal>

namespace qd::bench {

// Switches Nagle's algorithm off (TCP_NODELAY) on this process's TCP socket that is connected
// to 127.0.0.1:peerPort. The program itself never does this; the burst benchmark uses it to
// show what Nagle's algorithm costs. Returns false if no such socket was found.
bool setNoDelayOnConnectionTo(quint16 peerPort);

// Peak resident memory (VmHWM) of a process in KiB, or -1 where unknown.
qint64 peakResidentKiB(qint64 pid);
// Current resident memory (VmRSS) of a process in KiB, or -1 where unknown.
qint64 residentKiB(qint64 pid);

} // namespace qd::bench
