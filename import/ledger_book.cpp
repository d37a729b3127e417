#include "import/ledger_book.h"

#include "excel/import_book.h"
#include "excel/import_books.h"
#include "storage/list_format.h"
#include "storage/numbers.h"
#include "storage/text.h"

#include <QStringList>

#include <algorithm>
#include <cstring>

namespace kpv::import {

using namespace ledger_book;
using excel::Block;
using excel::Range;

QString achievementRate(const QString &total, const QString &planned)
{
    return ledger::storedRate(leadingNumber(total), leadingNumber(planned));
}

namespace {

// The block columns (0 = C) read as the cell shows them: the text fields.
const std::vector<int> &textColumns()
{
    static const std::vector<int> columns = {0, 1, 2, 3, 4, kUnitCol - kFirstCol, kStartOfUseCol - kFirstCol};
    return columns;
}

// A heading as compared: without spaces of either width.
QString bare(const QString &text)
{
    QString out;
    for (const QChar c : text)
        if (!c.isSpace()) out += c;
    return out;
}

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
    // Both rows of the item whose receipts row is block row r hold nothing in C..AD.
    bool empty(int r) const
    {
        for (int row = r; row <= r + 1; ++row)
            for (int col = kFirstCol; col <= kLastCol; ++col)
                if (!cleanText(text(row, col)).isEmpty()) return false;
        return true;
    }

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
        const QString rate = achievementRate(total, planned);
        place(rec, LedgerRecord::cellOffset(cellRow, 15), LedgerRecord::kCellWidth, rate.toLatin1());
    }

    const Block &m_block;
    int m_firstRow;
    CellCheck &m_check;
};

// Reads the items of one sheet into content. True when the items ran to the
// sheet's last row (the ledger may go on on the next sheet).
excel::Result<bool> readItems(excel::Worksheet &sheet, bool readStartOfUse, int maxItems, LedgerBookContent &content)
{
    // Rows below the last used one are not read (the issues row of an item
    // on the last used row is read with it); when the sheet cannot tell,
    // blocks are read until the first empty item.
    int end = kLastSheetRow;
    if (auto used = sheet.lastUsedRow(); used.ok()) end = std::min(used.value() + 1, kLastSheetRow);
    for (int first = kFirstRow; first <= end; first += kBlockRows) {
        const int last = std::min(first + kBlockRows - 1, end);
        auto block = sheet.readBlockShown(Range::of(first, kFirstCol, last, kLastCol), textColumns());
        if (!block.ok()) return block.failure();
        ItemReader reader(block.value(), first, content.check);
        for (int r = 0; r + 1 < block->rows(); r += 2) {
            if (reader.empty(r)) return false;
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

int ledgerHeadingRow(const Block &rows)
{
    for (int row : kHeadingRows) {
        const int r = row - kHeadingRows[0];
        if (r >= rows.rows()) break;
        bool all = true;
        for (const Heading &h : kHeadings)
            all = all && bare(rows.at(r, h.col - kFirstCol).text()) == QString::fromUtf16(h.text);
        if (all) return row;
    }
    return 0;
}

excel::Result<LedgerBookContent> readLedgerBook(excel::Workbook &book, bool readStartOfUse, int maxItems,
                                                const std::vector<Range> &merged)
{
    LedgerBookContent content;
    excel::Worksheet &first = book.firstSheet();
    std::vector<int> all(size_t(kLastCol - kFirstCol + 1));
    for (size_t i = 0; i < all.size(); ++i) all[i] = int(i);
    auto head = first.readBlockShown(Range::of(kHeadingRows[0], kFirstCol, kStartMonthRow, kLastCol), all);
    if (!head.ok()) return head.failure();
    const int headingRow = ledgerHeadingRow(head.value());
    if (headingRow == 0) {
        QStringList names;
        for (const Heading &h : kHeadings)
            names << QStringLiteral("%1列「%2」").arg(columnLetters(h.col), QString::fromUtf16(h.text));
        content.refusal = QStringLiteral("1枚目のシートの3行目か4行目に在庫品台帳の見出し（%1）がありません。").arg(names.join(QStringLiteral("、")));
        return content;
    }
    content.startMonth =
        cleanText(head->at(kStartMonthRow - kHeadingRows[0], kStartMonthCol - kFirstCol).text()).left(kStartMonthLength);
    content.check.quotedValue(kStartMonthRow, kStartMonthCol, content.startMonth, kStartMonthLength * 2);

    auto full = readItems(first, readStartOfUse, maxItems, content);
    if (!full.ok()) return full.failure();
    const int items = int(content.records.size());
    if (items == 0 && !content.overCapacity) {
        content.refusal = QStringLiteral("5行目から在庫品がありません（C～AD列が空です）。");
        return content;
    }
    // A merged area hiding a heading, the start month or a cell of the items
    // (the two rows after them included, which end them).
    const int lastRead = std::min(kFirstRow + 2 * items + 1, kLastSheetRow);
    const auto hiding = mergeHidingRead(merged, Range::of(1, 1, lastRead, kLastCol), [&](int row, int col) {
        if (row >= kFirstRow) return col >= kFirstCol;
        if (row == kStartMonthRow && col == kStartMonthCol) return true;
        if (row != headingRow) return false;
        return std::any_of(std::begin(kHeadings), std::end(kHeadings), [&](const Heading &h) { return h.col == col; });
    });
    if (hiding) {
        content.refusal = mergedReason(*hiding);
        return content;
    }

    // A ledger longer than one sheet goes on on the next sheet, in the same
    // layout, as long as each sheet is filled to its last row.
    if (!full.value() || content.overCapacity) return content;
    auto count = book.sheetCount();
    if (!count.ok()) return count.failure();
    for (int n = 2; n <= count.value(); ++n) {
        auto sheet = book.sheet(n);
        if (!sheet.ok()) return sheet.failure();
        auto more = readItems(*sheet.value(), readStartOfUse, maxItems, content);
        if (!more.ok()) return more.failure();
        if (!more.value()) break;
    }
    return content;
}

} // namespace kpv::import
