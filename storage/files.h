#pragma once
// Whole-file reads and writes of the small shared files.

#include "storage/file_lock.h"

#include <QByteArray>
#include <QString>

namespace kpv {

// Reads the whole file. False when it cannot be opened or read.
bool readWholeFile(const QString &path, QByteArray &out);

// Replaces the file whole: the bytes are written to a new file beside it
// (synced, with the old file's mode, owner and group), which then takes the
// old file's place in one step, and the folder is synced. A crash, a full
// disk or a reader on another client never sees half a file; of two
// writers, the last one wins. False (old file untouched) when it cannot be
// written, also when another PC kept the file open past the retry bound.
bool replaceFile(const QString &path, const QByteArray &bytes);

// Copies a shared file to another folder: under the source's lock (no
// client changes it while it is read) and the target's, the copy is made
// beside the target (synced) and takes its place in one step, so the
// target is its old file or a whole copy. False when either lock cannot be
// had or a file cannot be read or written; nothing changed then.
bool copySharedFile(const QString &from, const QString &to);

} // namespace kpv
