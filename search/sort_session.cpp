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
    QByteArray ledger;
    if (!lockAndRead(ledger)) return false;
    takeStamp(ledger);
    ledger.resize(qsizetype(m_records) * LedgerRecord::kSize, '\0');
    fillSortRows(m_d.indexTable, ledger.constData(), m_records);
    m_listed = m_records;
    m_order.clear();
    return true;
}

bool SortSession::sort()
{
    if (!isOpen()) return false;
    BusyGuard busy(m_d.pointer());
    QByteArray ledger;
    if (!lockAndRead(ledger)) return false;
    takeStamp(ledger);
    m_order.clear();
    if (m_records == 0) return false;

    std::vector<QString> keys;
    std::vector<int> numbers;
    keys.reserve(size_t(m_records));
    numbers.reserve(size_t(m_records));
    const qsizetype have = ledger.size();
    for (int n = 1; n <= m_records; ++n) {
        const qsizetype at = qsizetype(n - 1) * LedgerRecord::kSize;
        if (at >= have) break;  // counted but not in the file: no name
        const LedgerRecord rec = LedgerRecord::fromBytes(ledger.constData() + at, int(std::min<qsizetype>(have - at, LedgerRecord::kSize)));
        const QString name = rec.field(1);
        if (name.isEmpty()) continue;
        keys.push_back(name + rec.field(0));
        numbers.push_back(n);
    }
    for (int position : collatedOrder(keys)) m_order.push_back(numbers[size_t(position)]);

    // The sorted ledger waits in the temporary ledger until it is registered.
    const QByteArray sortedBytes = assembleLedger(ledger, m_records, m_order);
    m_d.deleteTempLedger();
    QFile temp(m_d.tempLedgerPath());
    if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || temp.write(sortedBytes.constData(), qsizetype(m_order.size()) * LedgerRecord::kSize) != qsizetype(m_order.size()) * LedgerRecord::kSize) {
        m_d.messages().tell(QStringLiteral("登録確認"), m_d.tempLedgerPath() + QLatin1Char('\r') + QStringLiteral("　ファイルに書き込めません。"));
        m_order.clear();
        return false;
    }
    temp.close();
    fillSortRows(m_d.indexTable, sortedBytes.constData(), int(m_order.size()));
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
