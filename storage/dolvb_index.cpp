// The ledger index, its cache file and the stock value totals.
#include "storage/dolvb.h"

#include "storage/codepage.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/numbers.h"
#include "storage/quoted_lines.h"

namespace kpv {

namespace {
// Blocks of about half a megabyte: few enough reads, and each block is still
// in the processor's cache when its records are decoded.
constexpr int kBlockRecords = 512;
inline const char *fieldAt(const char *record, int n) { return record + LedgerRecord::fieldOffset(n); }
} // namespace

// One pass over the ledger in large blocks: the same result as reading each
// record into the record buffer, without a file call per record.
void Dolvb::fillIndex(bool sortIndex)
{
    if (!openLedger()) return;
    if (!sortIndex) totalStockValue = 0;
    const int count = recordCount;
    indexTable.reset(size_t(count) * 48);
    QByteArray block;
    const auto put = [this](int row, int column, const char *bytes) {
        char16_t *dest = indexTable.beginCell(LedgerRecord::kFieldWidth);
        indexTable.commitCell(row, column, size_t(cp932::decodeTrimmedTo(bytes, LedgerRecord::kFieldWidth, dest)));
    };
    for (int first = 1; first <= count; first += kBlockRecords) {
        const int want = std::min(kBlockRecords, count - first + 1);
        const int got = m_ledger.readBlock(first, want, block);
        for (int k = 0; k < want; ++k) {
            const int i = first + k;
            if (k >= got) {
                // Counted but not in the file: reads as an empty record.
                if (sortIndex) indexTable.set(i, 5, QString::number(i));
                continue;
            }
            const char *rec = block.constData() + qsizetype(k) * LedgerRecord::kSize;
            for (int f = 0; f < 4; ++f) put(i, f + 1, fieldAt(rec, f));
            if (sortIndex) {
                indexTable.set(i, 5, QString::number(i));
            } else {
                put(i, 5, fieldAt(rec, 6));
                totalStockValue += fieldNumberOf(fieldAt(rec, 6), LedgerRecord::kFieldWidth);
            }
            if (i == count) recordBuffer = LedgerRecord::fromBytes(rec, LedgerRecord::kSize);
        }
    }
    closeLedger();
}

void Dolvb::rebuildIndex()
{
    BusyGuard busy(m_pointer);
    fillIndex(false);
}

void Dolvb::buildSortIndex()
{
    BusyGuard busy(m_pointer);
    fillIndex(true);
}

bool Dolvb::saveIndexCache()
{
    BusyGuard busy(m_pointer);
    openLedger();
    closeLedger();
    QuotedLineWriter w;
    w.reserve(qsizetype(recordCount) * 64);
    for (int i = 1; i <= recordCount; ++i) {
        for (int c = 1; c <= 5; ++c) w.quoted(indexTable.value(i, c));
        w.endLine();
    }
    return replaceFile(dataFolder + names::indexCacheWritten(), w.bytes());
}

void Dolvb::loadIndexCache()
{
    BusyGuard busy(m_pointer);
    openLedger();
    closeLedger();
    QByteArray bytes;
    bool ok = readWholeFile(dataFolder + names::indexCacheRead(), bytes);
    if (ok) {
        QuotedLineReader reader(cp932::decodeAll(bytes));
        indexTable.reset(size_t(bytes.size()));
        QString v;
        for (int i = 1; ok && i <= recordCount; ++i) {
            for (int c = 1; c <= 5 && ok; ++c) {
                ok = reader.readField(v);
                if (ok) indexTable.set(i, c, v);
            }
        }
    }
    if (!ok) {
        rebuildIndex();
        saveIndexCache();
    }
}

void Dolvb::refreshIndex(const QDate &today)
{
    if (dailyIndexChecked) {
        loadIndexCache();
        return;
    }
    const QString todayText = today.toString(QStringLiteral("yyyy/MM/dd"));
    const QDate last = QDate::fromString(sharedSettings.value(13).left(10), QStringLiteral("yyyy/MM/dd"));
    if (!last.isValid() || last < today) {
        sharedSettings.set(13, todayText);
        saveSharedSettings();
        rebuildIndex();
        saveIndexCache();
    } else {
        loadIndexCache();
    }
    dailyIndexChecked = true;
}

void Dolvb::sumStockValue()
{
    BusyGuard busy(m_pointer);
    if (!openLedger()) return;
    totalStockValue = 0;
    QByteArray block;
    for (int first = 1; first <= recordCount; first += kBlockRecords) {
        const int got = m_ledger.readBlock(first, std::min(kBlockRecords, recordCount - first + 1), block);
        for (int k = 0; k < got; ++k)
            totalStockValue += fieldNumberOf(fieldAt(block.constData() + qsizetype(k) * LedgerRecord::kSize, 6), LedgerRecord::kFieldWidth);
    }
    closeLedger();
}

void Dolvb::sumListedStockValue(const std::vector<int> &recordNos)
{
    BusyGuard busy(m_pointer);
    if (!openLedger()) return;
    listedStockValue = 0;
    for (int no : recordNos) {
        if (no == 0) continue;
        if (readRecord(no)) listedStockValue += recordBuffer.fieldNumber(6);
    }
    closeLedger();
}

bool Dolvb::findItemNumber(const QString &key)
{
    BusyGuard busy(m_pointer);
    openLedger();
    foundFlag = 1;
    const int last = std::min(recordCount + 1, IndexTable::kRows - 1);
    for (int i = 1; i <= last; ++i) {
        if (indexTable.itemNumber(i) == key) {
            foundFlag = 2;
            foundRecordNo = i;
            foundRecordText = QString::number(i);
            break;
        }
    }
    return foundFlag == 2;
}

bool Dolvb::findOtherItemNumber(const QString &key)
{
    BusyGuard busy(m_pointer);
    openLedger();
    foundFlag = 1;
    const int last = std::min(recordCount, IndexTable::kRows - 1);
    for (int i = 1; i <= last; ++i) {
        if (i == currentRecordNo) continue;
        if (indexTable.itemNumber(i) == key) {
            foundFlag = 2;
            foundRecordNo = i;
            foundRecordText = QString::number(i);
            break;
        }
    }
    return foundFlag == 2;
}

} // namespace kpv
