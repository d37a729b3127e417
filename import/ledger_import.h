#pragma once
// The ledger import: fills the ledger from the ledger import book of the
// import folder. Item k of the book overwrites record k; records beyond the
// last item stay as they were, and the completion message says how many
// items were written and which records were kept.
//
// All or nothing. The book is read and checked whole first (an Excel
// 97-2003 workbook of the layout, holding items, every cell storable; see
// ImportBook and readLedgerBook); then the locks of the ledger and of
// SharedSettings are taken and the ledger must be writable. Only then does
// anything change, as one change of both files (shared_change.h): the new
// ledger (the imported records followed by the records kept, byte for
// byte) and SharedSettings with slot 9 (the start month, written to the
// file only when it is 7 characters long) and slot 13 (the day of the last
// index rebuild, cleared so every ledger screen rebuilds its list) are
// written beside them, synced, and take the old files' places together. A
// failure or a crash at any point leaves the ledger and both slots as they
// were (or, once decided, both new). A book with more items than the
// ledger holds (capacity - 1) is refused whole. The word lists and the
// index cache files are not touched.

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
        Completed,       // every item written; the completion message was shown
        CapacityReached, // more items than the ledger holds; nothing written
        Refused,         // no ledger book of the layout, or cells that cannot be stored; nothing written
        Failed,          // the book, the office or the ledger could not be used; nothing written
    };
    // Called while the new ledger is made: items done so far, of total.
    using Progress = std::function<void(int written, int total)>;

    LedgerImport(Dolvb &d, excel::Spreadsheet &office) : m_d(d), m_office(office) {}

    // folder ends with a separator.
    Result run(const QString &folder, const Progress &progress = {});
    int written() const { return m_written; }
    // Records kept beyond the imported ones: keptFrom()..keptTo() (none when keptTo() < keptFrom()).
    int keptFrom() const { return m_written + 1; }
    int keptTo() const { return m_keptTo; }
    // How long to wait for another client's ledger lock (default 10 s).
    void setLockTimeout(int ms) { m_lockTimeoutMs = ms; }
    // How many records a progress call is made after.
    static constexpr int kProgressStep = 50;

    // The completion message.
    static QString completionText(int written, int keptTo);

private:
    bool replaceLedger(const std::vector<LedgerRecord> &records, const QString &startMonth, const Progress &progress);

    Dolvb &m_d;
    excel::Spreadsheet &m_office;
    int m_written = 0;
    int m_keptTo = 0;
    int m_lockTimeoutMs = 10000;
};

} // namespace kpv::import
