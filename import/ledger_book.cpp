#include "import/ledger_book.h"

#include "excel/import_books.h"
#include "storage/numbers.h"
#include "storage/text.h"

#include <algorithm>
#include <cstring>

namespace kpv::import {

using namespace ledger_book;
using excel::Block;
using excel::Range;

QString achievementRate(const QString &total, const QString &planned)
{
    const double t = leadingNumber(total);
    const double p = leadingNumber(planned);
    if (t == 0 || p == 0) return QString();
    return numberText(floorNumber(1000 * t / p));
}

namespace {

// Places accepted bytes into a field or cell, padded with spaces as every
// stored text is.
void place(LedgerRecord &rec, int offset, int width, const QByteArray &bytes)
{
    char *dest = rec.data() + offset;
    std::memcpy(dest, bytes.constData(), size_t(bytes.size()));
    std::memset(dest + bytes.size(), ' ', size_t(width - bytes.size()));
}

class ItemReader {
public:
    ItemReader(const Block &block, int firstRow, CellCheck &check) : m_block(block), m_firstRow(firstRow), m_check(check) {}

    QString text(int r, int col) const { return m_block.at(r, col - kFirstCol).text(); }
    bool nameEmpty(int r) const { return cleanText(text(r, kNameCol)).isEmpty(); }

    // Reads the item whose receipts row is block row r into rec.
    void read(int r, bool readStartOfUse, LedgerRecord &rec)
    {
        const int row = m_firstRow + r;
        QByteArray bytes;
        for (int col = kFirstCol; col <= kLastFieldCol; ++col) {
            const int n = col - kFirstCol;
            const QString value = cleanText(text(r, col));
            const bool ok = n == 0 ? m_check.itemNumber(row, col, value, LedgerRecord::kFieldWidth)
                                   && m_check.encode(row, col, value, LedgerRecord::kFieldWidth, bytes)
                                   : m_check.encode(row, col, value, LedgerRecord::kFieldWidth, bytes);
            if (ok) place(rec, LedgerRecord::fieldOffset(n), LedgerRecord::kFieldWidth, bytes);
        }
        if (readStartOfUse) {
            const QString value = trimSpaces(text(r, kStartOfUseCol));
            if (m_check.encode(row, kStartOfUseCol, value, LedgerRecord::kFieldWidth, bytes))
                place(rec, LedgerRecord::fieldOffset(kStartOfUseField), LedgerRecord::kFieldWidth, bytes);
        }
        readMonths(r, 1, rec);
        readMonths(r + 1, 2, rec);
    }

private:
    void cell(int r, int col, int cellRow, int slot, LedgerRecord &rec, QString *value = nullptr)
    {
        const QString v = cleanText(text(r, col));
        QByteArray bytes;
        if (m_check.encode(m_firstRow + r, col, v, LedgerRecord::kCellWidth, bytes))
            place(rec, LedgerRecord::cellOffset(cellRow, slot), LedgerRecord::kCellWidth, bytes);
        if (value) *value = v;
    }

    void readMonths(int r, int cellRow, LedgerRecord &rec)
    {
        for (int m = 1; m <= 12; ++m) cell(r, kFirstMonthCol + m - 1, cellRow, m, rec);
        QString total, planned;
        cell(r, kTotalCol, cellRow, 13, rec, &total);
        cell(r, kPlannedCol, cellRow, 14, rec, &planned);
        // The rate is written in full; a rate wider than its cell (a total
        // far above its plan) is held at the largest that fits.
        QString rate = achievementRate(total, planned);
        if (rate.size() > LedgerRecord::kCellWidth) rate = QStringLiteral("9999999");
        place(rec, LedgerRecord::cellOffset(cellRow, 15), LedgerRecord::kCellWidth, rate.toLatin1());
    }

    const Block &m_block;
    int m_firstRow;
    CellCheck &m_check;
};

} // namespace

namespace {

// Reads the items of one sheet into content. True when the items ran to the
// sheet's last row (the ledger may go on on the next sheet).
excel::Result<bool> readItems(excel::Worksheet &sheet, bool readStartOfUse, int maxItems, LedgerBookContent &content)
{
    // Rows below the last used one are not read (the issues row of an item
    // on the last used row is read with it); when the sheet cannot tell,
    // blocks are read until the first empty name.
    int end = kLastSheetRow;
    if (auto used = sheet.lastUsedRow(); used.ok()) end = std::min(used.value() + 1, kLastSheetRow);
    for (int first = kFirstRow; first <= end; first += kBlockRows) {
        const int last = std::min(first + kBlockRows - 1, end);
        auto block = sheet.readBlock(Range::of(first, kFirstCol, last, kLastCol));
        if (!block.ok()) return block.failure();
        ItemReader reader(block.value(), first, content.check);
        for (int r = 0; r + 1 < block->rows(); r += 2) {
            if (reader.nameEmpty(r)) return false;
            if (int(content.records.size()) >= maxItems) {
                content.overCapacity = true;
                return false;
            }
            content.records.emplace_back();
            reader.read(r, readStartOfUse, content.records.back());
        }
    }
    return end == kLastSheetRow; // the sheet's last row reached
}

} // namespace

excel::Result<LedgerBookContent> readLedgerBook(excel::Worksheet &sheet, bool readStartOfUse, int maxItems)
{
    LedgerBookContent content;
    auto o4 = sheet.readBlock(Range::cell(kStartMonthRow, kStartMonthCol));
    if (!o4.ok()) return o4.failure();
    content.startMonth = cleanText(o4->at(0, 0).text()).left(kStartMonthLength);
    content.check.quotedValue(kStartMonthRow, kStartMonthCol, content.startMonth, kStartMonthLength * 2);
    auto full = readItems(sheet, readStartOfUse, maxItems, content);
    if (!full.ok()) return full.failure();
    return content;
}

excel::Result<LedgerBookContent> readLedgerBook(excel::Workbook &book, bool readStartOfUse, int maxItems)
{
    auto content = readLedgerBook(book.firstSheet(), readStartOfUse, maxItems);
    if (!content.ok()) return content;
    // A ledger longer than one sheet goes on on the next sheet, in the same
    // layout, as long as each sheet is filled to its last row.
    const int lastRow = kFirstRow + 2 * int(content->records.size()) - 1;
    if (lastRow + 1 < kLastSheetRow || content->overCapacity) return content;
    auto count = book.sheetCount();
    if (!count.ok()) return count.failure();
    for (int n = 2; n <= count.value(); ++n) {
        auto sheet = book.sheet(n);
        if (!sheet.ok()) return sheet.failure();
        auto full = readItems(*sheet.value(), readStartOfUse, maxItems, content.value());
        if (!full.ok()) return full.failure();
        if (!full.value()) break;
    }
    return content;
}

} // namespace kpv::import
