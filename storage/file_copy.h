#pragma once
// Copies of whole data files: a copy never leaves half a file behind, and
// the ledger is copied only while its lock is held (an append during the
// copy would tear it).

#include <QString>

namespace kpv {

class Dolvb;

// Copies from over dest in one step: the copy is made beside dest and then
// takes its place, so a failed copy leaves dest (or its absence) as it was.
bool copyFileReplacing(const QString &from, const QString &dest);

enum class LedgerCopy { Copied, Busy, Failed };
// Copies the ledger at ledgerPath over dest (as copyFileReplacing) while
// holding the ledger lock, the lock file every client's appends and
// rewrites take; with lockDest also the lock of a ledger at dest (a data
// folder other clients may already use). Busy when another client holds a
// lock; a lock that cannot be made at all (a folder nobody can write) does
// not stop the copy.
LedgerCopy copyLedger(const QString &ledgerPath, const QString &dest, bool lockDest);

// The ledger backup of this PC, made after a registration when the backup
// switch (ClientSettings slot 18) is on: the data folder's ledger into the
// program folder's "原本Excel" under the same name, copied beside the earlier
// backup and then over it, under the ledger lock, so a failed copy leaves
// the earlier backup. True when a backup was made; a failure is not told.
bool backupLedger(const Dolvb &d);

// Whether a file can be created in folder: 0 when it can, else the error
// number (errno) of the attempt.
int folderWriteError(const QString &folder);

} // namespace kpv
