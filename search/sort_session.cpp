#include "search/sort_session.h"

#include "storage/codepage.h"
#include "storage/dolvb.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace kpv::search {

namespace {

QCollator japaneseCollator()
{
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

// Positions into sortKeys in ascending order, equal keys in their given
// order. Each key is made once; the sort compares the made keys.
std::vector<int> orderOfSortKeys(const std::vector<QCollatorSortKey> &sortKeys)
{
    std::vector<int> order(sortKeys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sortKeys[size_t(a)].compare(sortKeys[size_t(b)]) < 0; });
    return order;
}

// Records gathered, listed and written per step: about 1.8 MB, so that the
// records copied in sorted order are still in the cache when their row of
// the list is filled from them.
constexpr size_t kStepRecords = 2048;

} // namespace

std::vector<int> collatedOrder(const std::vector<QString> &keys)
{
    const QCollator collator = japaneseCollator();
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(keys.size());
    for (const QString &k : keys) sortKeys.push_back(collator.sortKey(k));
    return orderOfSortKeys(sortKeys);
}

bool SortSession::open()
{
    BusyGuard busy(m_d.pointer());
    LargeBuffer &ledger = ledgerBuffer();
    if (!lockAndRead(ledger)) return false;
    takeStamp(ledger);
    fillSortRows(m_d.indexTable, ledger.data(), m_records);
    m_listed = m_records;
    m_order.clear();
    return true;
}

bool SortSession::sort()
{
    if (!isOpen()) return false;
    BusyGuard busy(m_d.pointer());
    LargeBuffer &ledger = ledgerBuffer();
    if (!lockAndRead(ledger)) return false;
    takeStamp(ledger);
    m_order.clear();
    if (m_records == 0) return false;

    // The sort key of each record with a name, decoded straight from the
    // record's bytes into one buffer (name, then item number) and made into
    // the collator's key at once.
    const QCollator collator = japaneseCollator();
    std::vector<QCollatorSortKey> sortKeys;
    std::vector<int> numbers;
    sortKeys.reserve(size_t(m_records));
    numbers.reserve(size_t(m_records));
    char16_t text[2 * LedgerRecord::kFieldWidth];
    for (int n = 1; n <= m_records; ++n) {
        // A record counted but not (wholly) in the file: NUL bytes follow the
        // bytes read, so its fields read as far as they are there.
        if (size_t(n - 1) * LedgerRecord::kSize >= ledger.size()) break;
        const char *rec = ledger.data() + qsizetype(n - 1) * LedgerRecord::kSize;
        int begin = 0;
        int length = cp932::trimmedRange(rec + LedgerRecord::fieldOffset(1), LedgerRecord::kFieldWidth, begin);
        if (length == 0) continue;
        int used = cp932::decodeTo(rec + LedgerRecord::fieldOffset(1) + begin, length, text);
        length = cp932::trimmedRange(rec + LedgerRecord::fieldOffset(0), LedgerRecord::kFieldWidth, begin);
        used += cp932::decodeTo(rec + LedgerRecord::fieldOffset(0) + begin, length, text + used);
        sortKeys.push_back(collator.sortKey(QString::fromRawData(reinterpret_cast<const QChar *>(text), used)));
        numbers.push_back(n);
    }
    std::vector<int> order;
    order.reserve(numbers.size());
    for (int position : orderOfSortKeys(sortKeys)) order.push_back(numbers[size_t(position)]);
    sortKeys = {};

    // The sorted ledger waits in the temporary ledger until it is registered.
    // The records are gathered in sorted order a step at a time; each step
    // fills its rows of the list and is written in one call. The temporary
    // ledger is not the ledger: it is not flushed to the disk (registering
    // writes the ledger anew and flushes that).
    m_d.deleteTempLedger();
    QFile temp(m_d.tempLedgerPath());
    bool written = temp.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
    IndexTable &table = m_d.indexTable;
    const int count = int(order.size());
    table.startRefill(count, size_t(count) * 64);
    LargeBuffer step(kStepRecords * LedgerRecord::kSize);
    for (size_t i = 0; i < order.size(); i += kStepRecords) {
        const size_t records = std::min(kStepRecords, order.size() - i);
        gatherRecords(ledger.data(), ledger.size(), m_records, order.data() + i, records, step.data());
        for (size_t k = 0; k < records; ++k) fillSortRow(table, int(i + k + 1), step.data() + k * LedgerRecord::kSize);
        const qint64 bytes = qint64(records) * LedgerRecord::kSize;
        if (written && temp.write(step.data(), bytes) != bytes) written = false;
    }
    temp.close();
    if (!written) {
        // The list goes back to the ledger's present order.
        fillSortRows(table, ledger.data(), m_records);
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
    if (!replaceLedger(m_order, QStringLiteral("　もう一度Sortしてから登録してください。"))) return false;
    m_order.clear();
    m_listed = 0;
    return true;
}

int SortSession::indexRow(int listRow) const
{
    return listRow >= 1 && listRow <= m_listed ? listRow : 0;
}

} // namespace kpv::search
