#pragma once
// Whole-file reads and writes of the small shared files.

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

} // namespace kpv
