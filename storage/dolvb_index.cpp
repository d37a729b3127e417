// The ledger index, its cache file and the stock value totals.
#include "storage/dolvb.h"

#include "storage/codepage.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/numbers.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace kpv {

namespace {
// Blocks of about half a megabyte: few enough reads, and each block is still
// in the processor's cache when its records are decoded.
constexpr int kBlockRecords = 512;
inline const char *fieldAt(const char *record, int n) { return record + LedgerRecord::fieldOffset(n); }

// The record number as the text of a cell.
void setNumber(IndexTable &table, int row, int column, int number)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    table.setBytes(row, column, digits, size_t(end - digits));
}

// The first row of first..last other than skip whose item number reads as
// key; 0 when there is none.
int findItemRow(const IndexTable &table, const QString &key, int first, int last, int skip)
{
    // Every character a valid item number decodes to can be stored, so a key
    // with a character that cannot is in no row. The one character that can
    // come out of the ledger without being storable is U+FFFD, for bytes that
    // are not code page 932: such an item number cannot be what anyone typed,
    // and it is not found even by a key holding U+FFFD.
    QByteArray k;
    if (!cp932::encode(key, k)) return 0;
    const bool asciiKey = std::all_of(k.cbegin(), k.cend(), [](char c) { return uchar(c) < 0x80; });
    for (int i = first; i <= last; ++i) {
        if (i == skip) continue;
        const QByteArrayView item = table.bytes(i, 1);
        // A character always takes the same number of bytes, in whichever of
        // its codes it is stored.
        if (item.size() != k.size()) continue;
        // Equal bytes of a valid key are the same text.
        if (std::memcmp(item.data(), k.constData(), size_t(k.size())) == 0) return i;
        // Different bytes can still be the same text: a few hundred
        // characters (NEC and IBM extensions) have two double-byte codes, and
        // the key is encoded with one of them. No byte of 0x80 and above reads
        // as ASCII, so an ASCII key only ever matches its own bytes.
        if (!asciiKey && table.value(i, 1) == key) return i;
    }
    return 0;
}
} // namespace

// One pass over the ledger in large blocks: the same result as reading each
// record into the record buffer, without a file call per record.
void Dolvb::fillIndex(bool sortIndex)
{
    if (!openLedger() || !prepareLedger()) return;
    if (!sortIndex) totalStockValue = 0;
    const int count = recordCount;
    indexTable.startRefill(count, size_t(count) * 64);
    QByteArray block;
    // The cells keep the cleaned bytes of the fields (decoded when asked for).
    const auto put = [this](int row, int column, const char *bytes) {
        char *dest = indexTable.beginCell(LedgerRecord::kFieldWidth);
        int begin;
        const int length = cp932::copyField(bytes, LedgerRecord::kFieldWidth, dest, begin);
        indexTable.commitCell(row, column, size_t(begin), size_t(length));
    };
    for (int first = 1; first <= count; first += kBlockRecords) {
        const int want = std::min(kBlockRecords, count - first + 1);
        const int got = m_ledger.readBlock(first, want, block);
        for (int k = 0; k < want; ++k) {
            const int i = first + k;
            if (k >= got) {
                // Counted but not in the file: reads as an empty record.
                for (int c = 1; c <= 5; ++c) indexTable.commitCell(i, c, 0, 0);
                if (sortIndex) setNumber(indexTable, i, 5, i);
                continue;
            }
            const char *rec = block.constData() + qsizetype(k) * LedgerRecord::kSize;
            for (int f = 0; f < 4; ++f) put(i, f + 1, fieldAt(rec, f));
            if (sortIndex) {
                setNumber(indexTable, i, 5, i);
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
    if (!dataFolderUsable()) return false;
    BusyGuard busy(m_pointer);
    openLedger();
    closeLedger();
    QuotedLineWriter w;
    w.reserve(qsizetype(recordCount) * 64);
    for (int i = 1; i <= recordCount; ++i) {
        for (int c = 1; c <= 5; ++c) {
            const auto cell = indexTable.bytes(i, c); // already code page 932
            // A double quote, CR or LF typed into an item would shift every
            // later cell of the cache: no cache then (the index is rebuilt
            // from the ledger instead), never a wrong one.
            if (cell.contains('"') || cell.contains('\r') || cell.contains('\n')) {
                QFile::remove(dataFolder + names::indexCacheWritten());
                return false;
            }
            w.quotedBytes(cell);
        }
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
    bool ok = dataFolderUsable() && readWholeFile(dataFolder + names::indexCacheRead(), bytes);
    if (ok) {
        QuotedByteReader reader(bytes);
        indexTable.reset(size_t(bytes.size()));
        QByteArrayView v;
        for (int i = 1; ok && i <= recordCount; ++i) {
            for (int c = 1; c <= 5 && ok; ++c) {
                ok = reader.readField(v);
                if (ok) indexTable.setBytes(i, c, v.data(), size_t(v.size()));
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
    const QDate last = QDate::fromString(sharedSettings.value(slot::shared::kLastIndexCheck).left(10), QStringLiteral("yyyy/MM/dd"));
    if (!last.isValid() || last < today) {
        changeSharedSettings({{slot::shared::kLastIndexCheck, todayText}});
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
    if (!openLedger() || !prepareLedger()) return;
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
    const int row = findItemRow(indexTable, key, 1, std::min(recordCount + 1, IndexTable::kRows - 1), 0);
    foundFlag = row > 0 ? 2 : 1;
    if (row > 0) {
        foundRecordNo = row;
        foundRecordText = QString::number(row);
    }
    return row > 0;
}

bool Dolvb::findOtherItemNumber(const QString &key)
{
    BusyGuard busy(m_pointer);
    openLedger();
    const int row = findItemRow(indexTable, key, 1, std::min(recordCount, IndexTable::kRows - 1), currentRecordNo);
    foundFlag = row > 0 ? 2 : 1;
    if (row > 0) {
        foundRecordNo = row;
        foundRecordText = QString::number(row);
    }
    return row > 0;
}

std::vector<int> Dolvb::recordsHoldingItemNumber(const QString &key) const
{
    std::vector<int> out;
    const int last = std::min(recordCount, IndexTable::kRows - 1);
    for (int from = 1; from <= last;) {
        const int row = findItemRow(indexTable, key, from, last, 0);
        if (row == 0) break;
        out.push_back(row);
        from = row + 1;
    }
    return out;
}

} // namespace kpv
