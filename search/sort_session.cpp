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

std::vector<int> collatedOrder(const std::vector<QString> &keys)
{
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(keys.size());
    for (const QString &k : keys) sortKeys.push_back(collator.sortKey(k));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sortKeys[size_t(a)].compare(sortKeys[size_t(b)]) < 0; });
    return order;
}

bool SortSession::open()
{
    BusyGuard busy(m_d.pointer());
    LargeBuffer ledger;
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
    LargeBuffer ledger;
    if (!lockAndRead(ledger)) return false;
    takeStamp(ledger);
    m_order.clear();
    if (m_records == 0) return false;

    std::vector<QString> keys;
    std::vector<int> numbers;
    keys.reserve(size_t(m_records));
    numbers.reserve(size_t(m_records));
    for (int n = 1; n <= m_records; ++n) {
        // A record counted but not (wholly) in the file: NUL bytes follow the
        // bytes read, so its fields read as far as they are there.
        const char *rec = ledger.data() + qsizetype(n - 1) * LedgerRecord::kSize;
        if (size_t(n - 1) * LedgerRecord::kSize >= ledger.size()) break;
        QString key = decodeCleanField(rec + LedgerRecord::fieldOffset(1), LedgerRecord::kFieldWidth);
        if (key.isEmpty()) continue;
        key += decodeCleanField(rec + LedgerRecord::fieldOffset(0), LedgerRecord::kFieldWidth);
        keys.push_back(std::move(key));
        numbers.push_back(n);
    }
    std::vector<int> order;
    order.reserve(numbers.size());
    for (int position : collatedOrder(keys)) order.push_back(numbers[size_t(position)]);

    // The sorted ledger waits in the temporary ledger until it is registered.
    m_d.deleteTempLedger();
    QFile temp(m_d.tempLedgerPath());
    bool written = temp.open(QIODevice::WriteOnly | QIODevice::Truncate)
                   && writeRecordsInOrder(temp, ledger.data(), ledger.size(), m_records, order, false);
    temp.close();
    if (!written) {
        m_d.messages().tell(QStringLiteral("登録確認"), m_d.tempLedgerPath() + QLatin1Char('\r') + QStringLiteral("　ファイルに書き込めません。"));
        return false;
    }
    fillSortRows(m_d.indexTable, ledger.data(), int(order.size()), &order);
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
