#include "search/sort_session.h"

#include "storage/codepage.h"
#include "storage/dolvb.h"

#include <QFile>

#include <future>
#include <thread>

namespace kpv::search {

namespace {
// Asks for the bytes at p to be brought into the cache while other work
// goes on.
inline void prefetch(const char *p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
    __builtin_prefetch(p + 64);
#else
    (void)p;
#endif
}

// The records with a name in sorted order (record numbers from 1), from
// the ledger bytes: the sort key of each record is its name, then its item
// number, decoded straight from the record's bytes (a record counted but not
// wholly in the file reads NUL-filled after the bytes that are).
std::vector<int> sortedRecords(const char *bytes, size_t size, int records)
{
    const int count = std::min<int>(records, int((size + LedgerRecord::kSize - 1) / LedgerRecord::kSize));
    std::vector<char> named(size_t(std::max(count, 0)), 0);
    std::vector<int> order = collatedOrder(named.size(), [&](size_t first, size_t last, TextRun &keys) {
        constexpr size_t kAhead = 8;
        for (size_t i = first; i < last; ++i) {
            const char *rec = bytes + i * LedgerRecord::kSize;
            if (i + kAhead < last) prefetch(rec + kAhead * LedgerRecord::kSize);
            int nameAt = 0, numberAt = 0;
            const int nameLength = cp932::trimmedRange(rec + LedgerRecord::fieldOffset(1), LedgerRecord::kFieldWidth, nameAt);
            if (nameLength == 0) {
                keys.end(0);
                continue;
            }
            named[i] = 1;
            const int numberLength = cp932::trimmedRange(rec + LedgerRecord::fieldOffset(0), LedgerRecord::kFieldWidth, numberAt);
            char16_t *text = keys.room(size_t(nameLength + numberLength));
            int used = cp932::decodeTo(rec + LedgerRecord::fieldOffset(1) + nameAt, nameLength, text);
            used += cp932::decodeTo(rec + LedgerRecord::fieldOffset(0) + numberAt, numberLength, text + used);
            keys.end(size_t(used));
        }
    });
    std::erase_if(order, [&](int position) { return !named[size_t(position)]; });
    for (int &position : order) ++position;
    return order;
}

} // namespace

SortSession::~SortSession()
{
    letGoOfLedger();
}

void SortSession::letGoOfLedger()
{
    if (m_prepared.valid()) m_prepared.wait();
    m_prepared = {};
}

bool SortSession::open()
{
    BusyGuard busy(m_d.pointer());
    letGoOfLedger();
    LargeBuffer &ledger = ledgerBuffer();
    if (!lockAndRead(ledger)) return false;
    takeStamp(ledger);
    fillSortRows(m_d.indexTable, ledger.data(), m_records);
    m_listed = m_records;
    m_order.clear();
    // While the user looks at the list, the order is made on a thread of its
    // own from the bytes just read; "Sort開始" takes it when the ledger is
    // still as read.
    m_prepared = std::async(std::launch::async, [bytes = ledger.data(), size = ledger.size(), records = m_records] {
        return sortedRecords(bytes, size, records);
    });
    return true;
}

bool SortSession::sort()
{
    if (!isOpen()) return false;
    BusyGuard busy(m_d.pointer());
    LargeBuffer &ledger = ledgerBuffer();
    IndexTable &table = m_d.indexTable;
    // The list shows the records of `shown` (after an earlier sort) or the
    // ledger in its order (empty).
    std::vector<int> shown = std::move(m_order);
    m_order.clear();
    // The order of the bytes held: made since the opening, or the one shown
    // after an earlier sort of the same bytes.
    std::vector<int> order = m_prepared.valid() ? m_prepared.get() : shown;

    // The sorted ledger waits in the temporary ledger until it is
    // registered. It is written on a second thread while this one makes sure
    // that the ledger still holds the bytes sorted and puts the list in
    // sorted order. The temporary ledger is not the ledger: it is not
    // flushed to the disk (registering writes the ledger anew and flushes
    // that).
    m_d.deleteTempLedger();
    QFile temp(m_d.tempLedgerPath());
    bool written = false;
    std::thread writer;
    const auto startWriting = [&] {
        written = temp.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        if (written)
            writer = std::thread([&] { written = writeRecordsInOrder(temp, ledger.data(), ledger.size(), m_records, order, false); });
    };
    const auto finishWriting = [&] {
        if (writer.joinable()) writer.join();
        temp.close();
    };
    if (!order.empty()) startWriting();
    if (order.empty() || !ledgerStillAsRead(ledger)) {
        // Changed meanwhile (or nothing made yet): the ledger is read again,
        // listed in its order and sorted here.
        finishWriting();
        if (!lockAndRead(ledger)) {
            m_d.deleteTempLedger();
            return false;
        }
        takeStamp(ledger);
        fillSortRows(table, ledger.data(), m_records);
        m_listed = m_records;
        shown.clear();
        order = m_records > 0 ? sortedRecords(ledger.data(), ledger.size(), m_records) : std::vector<int>{};
        if (order.empty()) {
            m_d.deleteTempLedger();
            return false;
        }
        startWriting();
    }

    std::vector<int> fromRows = order;
    if (!shown.empty()) {
        std::vector<int> rowOf(size_t(m_records) + 1, 0);
        for (size_t i = 0; i < shown.size(); ++i) rowOf[size_t(shown[i])] = int(i + 1);
        for (int &row : fromRows) row = rowOf[size_t(row)];
    }
    table.reorderRows(fromRows);
    finishWriting();
    if (!written) {
        // The list goes back to the ledger's present order.
        fillSortRows(table, ledger.data(), m_records);
        m_listed = m_records;
        m_d.messages().tell(QStringLiteral("登録確認"), m_d.tempLedgerPath() + QLatin1Char('\r') + QStringLiteral("　ファイルに書き込めません。"));
        return false;
    }
    m_order = std::move(order);
    m_listed = int(m_order.size());
    return true;
}

bool SortSession::registerSort()
{
    if (!isOpen()) return false;
    if (!sorted()) {
        m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("　Sort開始の後で登録してください。"));
        return false;
    }
    if (!replaceLedger(m_order, QStringLiteral("　もう一度Sortしてから登録してください。"), changes::Op::Sort)) return false;
    m_order.clear();
    m_listed = 0;
    return true;
}

int SortSession::indexRow(int listRow) const
{
    return listRow >= 1 && listRow <= m_listed ? listRow : 0;
}

} // namespace kpv::search
