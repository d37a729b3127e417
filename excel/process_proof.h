#pragma once
// Proofs that a process is one of our offices, asked before anything signals
// it.
//
// A PID read back from a file (the test suite's office, the record of a
// crashed run) may by now belong to anybody: after a reboot or a container
// restart the same number is make, ctest or the user's editor. A process
// group counts as ours only when its number fits pid_t and is at least 2, and
// either its leader leads the group and names our pipe or our profile on its
// command line, or (the launcher gone) a member of that group does. Only such
// a group is signalled; anything else is forgotten. Without /proc nothing is
// proven and nothing is signalled.

#include <QString>
#include <QStringList>

#include <optional>

#include <sys/types.h>

namespace kpv::excel::proc {

// The value as a PID that may be signalled: 2 <= value <= the largest pid_t.
std::optional<pid_t> signallable(long long value);

// What our offices carry on their command line: the pipe they accept on, the
// profile they run with. An empty name gives an empty mark, which matches
// nothing (a record with an empty field proves nothing).
QString pipeMark(const QString &pipeName);
QString profileMark(const QString &profileUrl);
// The argument that names an office's profile, without the profile.
inline constexpr const char *kProfileArgument = "-env:UserInstallation=";

// The process's arguments; empty when it is gone or unreadable.
QStringList commandLine(pid_t pid);

// Whether the group led by pid (or, its leader gone, a member of it) is an
// office carrying one of the marks.
bool provenGroup(long long pid, const QStringList &marks);

// Whether anything of that group is still running.
bool groupRunning(pid_t pgid);

// Ends a proven group: SIGTERM, up to timeoutMs for it to go, then SIGKILL.
// True when the group is gone; true as well when it was never proven ours
// (nothing was signalled: the number is forgotten).
bool endProvenGroup(long long pid, const QStringList &marks, int timeoutMs);

// SIGKILL to a proven group at once (the call deadline). False when not proven.
bool killProvenGroup(long long pid, const QStringList &marks);

// Whether any running process has text (a folder, say) in an argument of its
// command line (true without /proc: then nothing can be ruled out; false for
// an empty text).
bool anyProcessNames(const QString &mark);

// Whether a process with this number exists (also one of another user).
bool processExists(long long pid);

} // namespace kpv::excel::proc
