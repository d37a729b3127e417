#pragma once
// The ledger import: fills the ledger from the ledger import book of the
// import folder. Item k of the book overwrites record k; records beyond the
// last item stay as they were.
//
// The book is read and checked whole first: with any cell that cannot be
// stored, the user gets the list of those cells and nothing is written
// (neither a record nor the start month). Then the start month goes into
// SharedSettings slot 9 (written to the file only when it is 7 characters
// long) and the records are written under the ledger lock, held for all of
// them, so no other client appends between them: the new ledger is made
// whole beside the ledger and takes its place in one step, so the ledger is
// the old one or the new one, never a mix. At most capacity - 1
// records are written; a book with more items stops there with the
// capacity message, keeping what was written. The word lists and the index
// cache files are not touched; the day of the last index rebuild is cleared,
// so the ledger screen rebuilds its list from the imported records.

#include <QString>

#include <functional>
#include <vector>

namespace kpv {
class Dolvb;
class LedgerRecord;
}
namespace kpv::excel {
class Spreadsheet;
}

namespace kpv::import {

class LedgerImport {
public:
    enum class Result {
        Completed,      // every item written; the completion message was shown
        CapacityReached,// the first capacity - 1 items written; the capacity message was shown
        Refused,        // the book has cells that cannot be stored; nothing written
        Failed,         // the book or the ledger could not be used; the user was told
    };
    // Called while records are written: written so far, of total.
    using Progress = std::function<void(int written, int total)>;

    LedgerImport(Dolvb &d, excel::Spreadsheet &office) : m_d(d), m_office(office) {}

    // folder ends with a separator.
    Result run(const QString &folder, const Progress &progress = {});
    int written() const { return m_written; }
    // How long to wait for another client's ledger lock (default 10 s).
    void setLockTimeout(int ms) { m_lockTimeoutMs = ms; }
    // How many records a progress call is made after.
    static constexpr int kProgressStep = 50;

private:
    bool writeRecords(const std::vector<LedgerRecord> &records, const Progress &progress);

    Dolvb &m_d;
    excel::Spreadsheet &m_office;
    int m_written = 0;
    int m_lockTimeoutMs = 10000;
};

} // namespace kpv::import
