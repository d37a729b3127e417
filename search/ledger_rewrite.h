#pragma once
// Replacing the ledger as a whole by a new order of its records (a sort) or
// by fewer of them (deletions).
//
// The new order is made from the ledger as it was read when the sort or the
// deletion list was made; that reading is kept as a stamp (its length and a
// hash of every byte). Replacing takes the ledger lock that every client's
// appends and rewrites take, reads the ledger again and compares it with the
// stamp: if another client changed or appended anything meanwhile the
// replacement is refused and nothing is written, so nobody's work is lost.
// Otherwise the new ledger is written whole into a file of this client's own
// beside the ledger (never the shared temporary ledger, which another PC's
// sort may be writing), synced to the disk with the ledger's mode, owner and
// group, and renamed over the ledger in one step (retried while another PC
// holds the ledger open): a crash leaves the old ledger or the new one,
// never a mix of both.
//
// Records are copied whole, all 926 bytes (spare fields, row 0 and slot 0
// included), with their line end set to CR LF. Bytes after the records the
// order refers to (records beyond the ledger's capacity, a trailing partial
// record) are kept at the end, unless the count rule would then take them for
// a record of their own (see LedgerFile::keptTail).

#include "storage/change_journal.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>

#include <functional>
#include <vector>

namespace kpv::search {

struct LedgerStamp {
    qint64 size = -1;
    size_t hash = 0;
    static LedgerStamp of(const char *bytes, size_t size);
    bool operator==(const LedgerStamp &) const = default;
};

// The stamp of bytes that arrive in pieces of any length: the same stamp as
// LedgerStamp::of over all of them.
class StampBuilder {
public:
    // bytes[0, size) follow the bytes added before.
    void add(const char *bytes, size_t size);
    LedgerStamp finish() const;

private:
    uint64_t m_lane[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x9E3779B97F4A7C15ull ^ 0x1234567ull, 0xC2B2AE3D27D4EB4Full ^ 0x89abcdefull};
    size_t m_total = 0;
    char m_pending[32] = {};  // the start of a 32-byte block not yet mixed in
    size_t m_pendingBytes = 0;
};

// Writes records of the ledger bytes (size bytes, followed by room for one
// record, see LedgerReader::readAll) in the given order (record numbers from
// 1; numbers outside 1..records are left out), each with its line end set;
// then, withTail, the bytes beyond the records. False when a write failed.
// Copies the records order[0..count) of the ledger bytes (as above) one
// after the other to `to` (room for count records), each with its line end
// set; numbers outside 1..records are left out. Returns the records copied.
size_t gatherRecords(const char *ledger, size_t size, int records, const int *order, size_t count, char *to);

bool writeRecordsInOrder(QIODevice &out, const char *ledger, size_t size, int records, const std::vector<int> &order, bool withTail);

enum class RewriteResult {
    Replaced,
    Changed,  // the ledger is no longer what the order was made from
    Busy,     // another client holds the ledger lock
    InUse,    // another PC kept the ledger open: it could not be replaced
    Failed,   // the new ledger could not be written or put in place
    JournalFailed, // the change journal could not be written (problem says why)
};

struct RewritePlan {
    QString ledgerPath;
    LedgerStamp expected;        // the ledger the order was made from
    int records = 0;             // records the order refers to
    std::vector<int> order;
    // Called after the new ledger is complete beside the ledger and before
    // it is renamed; returning false stops there, as a crash would.
    std::function<bool()> beforeRename;
    changes::Op op = changes::Op::Sort; // what the change journal calls it
};

RewriteResult rewriteLedger(const RewritePlan &plan, QString *problem = nullptr);

} // namespace kpv::search
