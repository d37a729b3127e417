#pragma once
// Who this PC and this process are, for the lock files that tell other
// clients who holds a shared file.

#include <QString>

namespace kpv {

// The PC's name: the environment variable COMPUTERNAME (set on Windows),
// else the host name.
QString machineName();

// Who is logged in on this PC: the environment variable USERNAME (set on
// Windows), else the account this process runs as.
QString userName();

// This process.
qint64 processId();
// When a process of this PC started (clock ticks since boot); 0 when it
// cannot be told (no such process, or no way to read it).
qint64 processStart(qint64 pid);
// Whether the process of this PC that had this id and start time still
// runs. A process id that now belongs to a process started at another time
// is a different process: the one asked about has ended.
bool processRunning(qint64 pid, qint64 start);

} // namespace kpv
