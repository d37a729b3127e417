#pragma once
// What the sort and the delete sessions share: the lock on the temporary
// ledger for as long as the panel is open (one client at a time sorts or
// deletes), the stamp of the ledger the list
// was made from, the panel's list of items (filled into the index table the
// way the sort index is: item number, name, specification, maker and a
// record number), and the registering that replaces the ledger.
//
// Closing a session without registering leaves the ledger as it was and
// rebuilds the index from it, so that the item-number look-ups of the ledger
// screen see the ledger again and not the panel's list. Registering replaces
// the ledger (see ledger_rewrite.h), then rebuilds the index and its cache
// file; the temporary ledger is gone afterwards.

#include "search/large_buffer.h"
#include "search/ledger_rewrite.h"
#include "storage/file_lock.h"

#include <QString>

#include <functional>
#include <vector>

namespace kpv {
class Dolvb;
class IndexTable;
}

namespace kpv::search {

// Fills index rows 1..count from the ledger bytes (records of 926 bytes one
// after the other): row i from record i, or from record order[i - 1] when an
// order is given (count is then its length). Columns 1..4 get the cleaned
// fields 0..3, column 5 the row number. Rows after count are emptied.
void fillSortRows(IndexTable &table, const char *ledger, int count, const std::vector<int> *order = nullptr);
// Fills index row `row` of a refill (see IndexTable::startRefill) from one
// record the same way.
void fillSortRow(IndexTable &table, int row, const char *record);

class RewriteSession {
public:
    explicit RewriteSession(Dolvb &d);
    virtual ~RewriteSession();
    RewriteSession(const RewriteSession &) = delete;
    RewriteSession &operator=(const RewriteSession &) = delete;

    bool isOpen() const { return m_open; }
    // Rows of the panel's list: as many as the ledger had records.
    int listRows() const { return m_records; }
    // The index row shown in list row r (from 1); 0 for an empty row.
    virtual int indexRow(int listRow) const = 0;
    // The text of list row r, column 1..4 (item number, name,
    // specification, maker); "" for an empty row.
    QString cell(int listRow, int column) const;

    // Closes the panel without registering.
    void close();

    // Tests: called between writing the new ledger and renaming it.
    std::function<bool()> beforeRename;

protected:
    // Takes the session lock (a message naming the other PC when it is
    // held elsewhere) and reads the ledger whole into ledger.
    bool lockAndRead(LargeBuffer &ledger);
    // Whether the ledger file still holds exactly the bytes read last:
    // read again a piece at a time and compared.
    bool ledgerStillAsRead(const LargeBuffer &ledger) const;
    // Called before the ledger buffer is read into again or given back: a
    // session that hands the buffer to other threads waits for them here.
    virtual void letGoOfLedger() {}
    // The buffer the ledger is read into while the panel is open: reading
    // it again (the sort after the opening) reuses memory already faulted
    // in. Given back when the session ends.
    LargeBuffer &ledgerBuffer() { return m_ledger; }
    // Counts and stamps the ledger bytes just read.
    void takeStamp(const LargeBuffer &ledger);
    // Replaces the ledger by the records of order. again: the second line
    // of the refusal when the ledger changed meanwhile.
    bool replaceLedger(const std::vector<int> &order, const QString &again, changes::Op op);

    Dolvb &m_d;
    bool m_open = false;
    int m_records = 0;
    LedgerStamp m_stamp;

private:
    void end();
    // The panel's lock: the lock of the temporary ledger, held (and kept
    // fresh) while the panel is open. Another PC is told who has it; a lock
    // its holder stopped refreshing is offered to be broken.
    bool takeSessionLock();
    FileLock m_lock;
    LargeBuffer m_ledger;
    LedgerStamp m_readStamp;  // of the bytes lockAndRead read last
};

} // namespace kpv::search
