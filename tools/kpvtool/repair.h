#pragma once
// The administrator's repair of the shared files of a data folder, after a
// crash or a faulty client:
// - a ledger that ends in a partial record: a part the program counts as a
//   record is completed with NUL bytes, a part it does not count is cut off;
// - a record whose line end is not CR LF gets CR LF; a settings or list file
//   whose last line has no line end gets one;
// - a word list whose count (SharedSettings slot list + 1) disagrees with
//   its lines: the count becomes the number of lines (no word is dropped);
// - a lock file left by a PC that is gone (a process of this PC that has
//   ended, or not refreshed for the stale bound), a half-done change of a
//   crashed client (finished as the next lock holder would), and new files
//   a crashed client left beside a shared file.
// It says what it would change; only with apply does it change it, under
// the files' locks, keeping a copy of every file it changes in the folder
// "repair-<date>-<time>" inside the data folder.

#include <QString>
#include <QStringList>

namespace kpv::tool {

struct RepairResult {
    bool readable = true;   // false: the folder or a file cannot be read
    QStringList findings;   // what is wrong and what is (or would be) done, one per line
    QStringList copies;     // the copies kept (apply)
    bool failed = false;    // a change could not be made (apply)
};
RepairResult repairDataFolder(const QString &dataFolder, bool apply);

} // namespace kpv::tool
