#pragma once
// Copies of whole data files: a copy never leaves half a file behind, and
// a shared file is copied only while its lock is held (an append during
// the copy would tear it).

#include <QString>

namespace kpv {

class Dolvb;

enum class CopyResult { Copied, Busy, Failed, JournalFailed };
// Copies the shared file at from over dest: under the source's lock (no
// client changes it while it is read) and dest's (another client may use
// the folder already), the copy is made beside dest, synced, with dest's
// mode, owner and group, and takes its place in one step; the folder is
// synced. dest is its old file (or none) or a whole copy. A source in a
// folder nobody can write, where no lock can be made and no client can
// change the file, is copied without its lock. Busy when another client
// holds either lock; Failed when the source cannot be read or the copy
// cannot be put in place. Nothing changed then.
CopyResult copySharedFile(const QString &from, const QString &dest);
// The same for the ledger of a data folder (the data transfer): the change
// is journaled in dest's folder, whose ledger changes, with the ledger it
// replaces kept in that folder's history (change_journal.h). JournalFailed:
// the entry could not be written (problem says why); nothing changed.
CopyResult copyLedgerInto(const QString &from, const QString &dest, QString *problem = nullptr);

// The ledger backup of this PC, made after a registration when the backup
// switch (ClientSettings slot 18) is on: the data folder's ledger into the
// program folder's "原本Excel" under the same name, copied as above, so a
// failed copy leaves the earlier backup. True when a backup was made; a
// failure is not told.
bool backupLedger(const Dolvb &d);

// Whether a file can be created in folder: 0 when it can, else the error
// number (errno) of the attempt.
int folderWriteError(const QString &folder);

} // namespace kpv
