#pragma once
// Which file a path stood for when it was opened. A file that is replaced as a
// whole (a new one written beside it and renamed over it, as a registered sort
// or deletion does to the ledger) is another file afterwards, even when it has
// the same name, size and bytes; a file written in place stays the same file.
//
// The identity is the file's device and inode number together with its birth
// time, so that an inode number the file system hands out again to a later
// file is not taken for the old file. Where the system does not tell (no birth
// time, a platform without inode numbers) the identity is unknown, and two
// unknown identities are never said to differ.

#include <QtGlobal>

namespace kpv {

struct FileIdentity {
    bool known = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 birthSeconds = 0;
    quint32 birthNanoseconds = 0;

    bool operator==(const FileIdentity &) const = default;
    // True only when both are known and name different files.
    bool differsFrom(const FileIdentity &other) const { return known && other.known && !(*this == other); }
};

// The identity of the file open as descriptor fd (unknown when fd < 0).
FileIdentity identityOf(int fd);

} // namespace kpv
