#pragma once
// Reads ledger records in large blocks for the scans that go over many
// records: one read call per block of records instead of one per record.
//
// The file is opened for reading only and unbuffered (another client may
// have changed it since the last scan). Records counted but not in the file
// read as NUL bytes, as a single record read would.

#include "search/large_buffer.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

namespace kpv::search {

class LedgerReader {
public:
    // Records per block: about half a megabyte, still in the processor's
    // cache when its records are examined.
    static constexpr int kBlockRecords = 512;

    explicit LedgerReader(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }

    // Records first..first + count - 1 (count at most kBlockRecords is not
    // required), 926 bytes each one after the other; nullptr when the file is
    // not open.
    const char *block(int first, int count);

    // Every byte of the file (for the whole-ledger rewrites); out.size() is
    // the number read. One record's room of NUL bytes follows them, so a
    // trailing partial record reads whole.
    // Pieces of a megabyte or so are read one after the other, and each is
    // handed to piece (when given) as soon as it is in, while it is still in
    // the cache: together the pieces are every byte read, in order.
    static bool readAll(const QString &path, LargeBuffer &out, const std::function<void(const char *, size_t)> &piece = {});

private:
    QFile m_file;
    QByteArray m_buffer;
};

} // namespace kpv::search
