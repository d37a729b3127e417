#include "excel/ledger_output.h"

#include "excel/create_from_template.h"
#include "excel/compound_file.h"
#include "excel/failure.h"
#include "excel/ledger_prototypes.h"
#include "excel/xls_book.h"
#include "excel/import_books.h"
#include "storage/list_format.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/messages.h"
#include "storage/numbers.h"
#include "storage/text.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <memory>

namespace kpv::workbooks {

using namespace import::ledger_book;
using excel::Block;
using excel::CellValue;
using excel::Range;
using excel::Status;

namespace {

constexpr int kColumns = kLastCol - kFirstCol + 1; // C..AD
constexpr int kTitleRow = 1;
constexpr int kDateRow = 2;
constexpr int kHeadingRow = 3;
constexpr int kMonthRow = 4;

constexpr int kHeadingColour = 0xF0E0C0;  // light blue (red C0, green E0, blue F0)
constexpr int kShadeColour = 0x808080;    // grey, shaded at 50 %
constexpr int kZeroFrameColour = 0x000080; // dark red
constexpr int kGridColour = 0x808080;
const QString kRateFormat = QStringLiteral("###.0"); // as the list shows the rate

int at(int col) { return col - kFirstCol; }

QString labelOr(const QString &label, const char *fallback)
{
    const QString l = cleanText(label);
    return l.isEmpty() ? QString::fromUtf8(fallback) : l;
}

// Runs of consecutive items with the same warning.
struct Run {
    int first = 0; // item index on the sheet
    int count = 0;
};

} // namespace

QString continuationSheetName(int n) { return QStringLiteral("在庫品台帳") + QString::number(n); }

StockWarning stockWarning(const LedgerRecord &rec)
{
    const QString stock = rec.field(10);
    if (stock.isEmpty()) return StockWarning::None;
    const double s = leadingNumber(stock);
    if (s == 0) return StockWarning::Zero;
    if (s < rec.fieldNumber(9)) return StockWarning::BelowProper;
    return StockWarning::None;
}

namespace {

// Row line (1 receipts, 2 issues) of an item into block row r: text as
// stored, every number in its shortest form as a number.
void putItemRow(const LedgerRecord &rec, int line, Block &b, int r)
{
    if (line == 1) {
        for (int n = 0; n <= 4; ++n) b.at(r, at(kFirstCol + n)) = CellValue(rec.field(n));
        for (int n = 5; n <= 10; ++n) b.at(r, at(kFirstCol + n)) = CellValue::numberOrText(rec.field(n));
        b.at(r, at(kStartOfUseCol)) = CellValue(rec.field(kStartOfUseField));
    }
    b.at(r, at(kStartMonthCol)) = CellValue(line == 1 ? QStringLiteral("入庫") : QStringLiteral("出庫"));
    for (int m = 1; m <= 12; ++m) b.at(r, at(kFirstMonthCol + m - 1)) = CellValue::numberOrText(rec.cell(line, m));
    b.at(r, at(kTotalCol)) = CellValue::numberOrText(rec.cell(line, 13));
    b.at(r, at(kPlannedCol)) = CellValue::numberOrText(rec.cell(line, 14));
    // The rate in percent, shown with one decimal by the column's format.
    const double rate = rec.cellNumber(line, 15);
    b.at(r, at(kRateCol)) = rate == 0 ? CellValue() : CellValue::number(rate / 10);
}

} // namespace

Block ledgerItemsBlock(const std::vector<LedgerRecord> &records, size_t first, size_t count)
{
    Block b(int(count) * 2, kColumns);
    for (size_t i = 0; i < count; ++i)
        for (int line = 1; line <= 2; ++line) putItemRow(records[first + i], line, b, int(i) * 2 + line - 1);
    return b;
}

Block ledgerTitleBlock(const std::array<QString, 21> &labels, const QString &startMonth, const QDate &today)
{
    Block b(kMonthRow, kColumns);
    auto head = [&](int col, const QString &text) { b.at(kHeadingRow - 1, at(col)) = CellValue(text); };
    b.at(kTitleRow - 1, 0) = CellValue(QStringLiteral("在庫品台帳"));
    b.at(kDateRow - 1, 0) = CellValue(QStringLiteral("出力日　") + today.toString(QStringLiteral("yyyy/MM/dd")));
    // Label positions 2 to 6 title the fields 0 to 4 (item number to location).
    head(kFirstCol, labelOr(labels[2], "在庫品No"));
    head(kFirstCol + 1, labelOr(labels[3], "品名"));
    head(kFirstCol + 2, labelOr(labels[4], "仕様"));
    head(kFirstCol + 3, labelOr(labels[5], "メーカー"));
    head(kFirstCol + 4, labelOr(labels[6], "保管場所"));
    head(kFirstCol + 5, labelOr(labels[7], "単価"));
    head(kFirstCol + 6, labelOr(labels[8], "在庫金額"));
    head(kFirstCol + 7, labelOr(labels[9], "単位"));
    head(kFirstCol + 8, labelOr(labels[10], "前年在庫"));
    head(kFirstCol + 9, labelOr(labels[11], "適正在庫"));
    head(kFirstCol + 10, labelOr(labels[12], "在庫数量"));
    head(kTotalCol, QStringLiteral("入出庫計"));
    head(kStartMonthCol, QStringLiteral("入出庫"));
    head(kFirstMonthCol, QStringLiteral("月毎入出庫数量"));
    head(kPlannedCol, QStringLiteral("予定数量"));
    head(kRateCol, QStringLiteral("達成率（％）"));
    head(kStartOfUseCol, labelOr(labels[18], "使用開始"));
    b.at(kMonthRow - 1, at(kTotalCol)) = CellValue(QStringLiteral("開始年月"));
    b.at(kMonthRow - 1, at(kStartMonthCol)) = CellValue(startMonth);
    const QStringList months = ledger::monthHeadings(startMonth);
    for (int m = 0; m < 12; ++m) b.at(kMonthRow - 1, at(kFirstMonthCol + m)) = CellValue(months[m]);
    return b;
}

QString LedgerOutput::outputPath(const QString &dataFolder, const QDate &day)
{
    return dataFolder + names::ledgerBooksFolder() + QChar('/') + QStringLiteral("在庫品台帳")
         + day.toString(QStringLiteral("yyyy年MM月dd日")) + QStringLiteral(".xls");
}

LedgerOutput::Outcome LedgerOutput::run(const std::vector<int> *recordNos, const QDate &today)
{
    m_written = 0;
    m_path.clear();
    // The records to write, read from one snapshot of the ledger.
    std::vector<LedgerRecord> records;
    if (m_d.openLedger()) {
        QByteArray bytes;
        if (readWholeFile(m_d.ledgerPath(), bytes)) {
            const int count = std::min<int>(m_d.recordCount, int(bytes.size() / LedgerRecord::kSize));
            auto take = [&](int n) {
                if (n >= 1 && n <= count)
                    records.push_back(LedgerRecord::fromBytes(bytes.constData() + qsizetype(n - 1) * LedgerRecord::kSize,
                                                              LedgerRecord::kSize));
            };
            if (recordNos) {
                for (int n : *recordNos) take(n);
            } else {
                records.reserve(size_t(count));
                for (int n = 1; n <= count; ++n) take(n);
            }
        }
    }
    if (records.empty()) {
        m_d.messages().tell(ledger_output_text::noRecordTitle(), ledger_output_text::noRecord());
        return Outcome::NothingToWrite;
    }

    const QString path = outputPath(m_d.dataFolder, today);
    // The day's book may have been edited and saved by the user (to import
    // it again): it is replaced only when the user says so.
    if (QFileInfo::exists(path) && !m_d.messages().ask(ledger_output_text::noRecordTitle(), ledger_output_text::replaceQuestion(path)))
        return Outcome::Cancelled;

    BusyGuard busy(m_d.pointer());
    m_progress->step(ledger_output_text::makingStep());
    bool rebuilt = false;
    Status s = m_throughOffice ? Status() : writeDirect(records, today, path, rebuilt);
    if (s && !rebuilt) s = writeThroughOffice(records, today, path);
    if (s) m_path = path;
    if (s && m_show) {
        m_progress->step(ledger_output_text::showingStep());
        auto book = m_office.bind(path, excel::Spreadsheet::Access::Write);
        if (!book.ok()) s = book.failure();
        if (s) s = book.value()->setApplicationVisible(true);
        if (s) s = book.value()->activateFirstSheet();
        if (s) s = book.value()->setWindowVisible(true);
    }
    if (!s) {
        excel::ReportExcelFailure(m_d.messages(), s);
        return s.kind() == excel::FailureKind::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    }
    m_written = int(records.size());
    return Outcome::Written;
}

namespace {

// The sheet's share of the records.
size_t sheetsFor(size_t items) { return (items + kItemsPerSheet - 1) / kItemsPerSheet; }

} // namespace

Status LedgerOutput::writeThroughOffice(const std::vector<LedgerRecord> &records, const QDate &today,
                                        const QString &path)
{
    auto book = excel::CreateFromTemplate(m_office, m_d.clientFolder, path, excel::TemplateUse::Replace);
    if (!book.ok()) return book.failure();
    Status s = writeBook(*book.value(), sheetsFor(records.size()), today, [&](size_t k) {
        const size_t first = k * kItemsPerSheet;
        SheetItems items;
        items.count = int(std::min<size_t>(kItemsPerSheet, records.size() - first));
        items.fill = [&records, first](int row, Block &piece) {
            for (int r = 0; r < piece.rows(); ++r)
                putItemRow(records[first + size_t((row + r) / 2)], (row + r) % 2 + 1, piece, r);
        };
        items.warning = [&records, first](int item) { return stockWarning(records[first + size_t(item)]); };
        return items;
    });
    if (s) {
        m_progress->step(ledger_output_text::storingStep());
        s = book.value()->storeAsXls(path);
    }
    if (!s || !m_show) {
        // A book not shown is closed; one that failed is closed unsaved.
        Status closed = book.value()->close();
        if (s) s = closed;
    }
    return s;
}

Status LedgerOutput::writePrototypes(const QString &path, size_t sheets, const QDate &today)
{
    auto book = excel::CreateFromTemplate(m_office, m_d.clientFolder, path, excel::TemplateUse::Replace);
    if (!book.ok()) return book.failure();
    // One item of every warning and content, one after the other.
    Status s = writeBook(*book.value(), sheets, today, [](size_t) {
        SheetItems items;
        items.count = prototypeItems();
        items.fill = [](int row, Block &piece) {
            for (int r = 0; r < piece.rows(); ++r) {
                const CellValue v = prototypeValue((row + r) / 2);
                for (int c = 0; c < piece.columns(); ++c) piece.at(r, c) = v;
            }
        };
        items.warning = [](int item) { return StockWarning(prototypeWarning(item)); };
        return items;
    });
    if (s) s = book.value()->storeAsXls(path);
    Status closed = book.value()->close();
    return s ? closed : s;
}

Status LedgerOutput::writeDirect(const std::vector<LedgerRecord> &records, const QDate &today, const QString &path,
                                 bool &rebuilt)
{
    rebuilt = false;
    if (Status s = excel::CheckReplaceable(m_office, path); !s) return s;
    QTemporaryDir work;
    if (!work.isValid()) return {};
    const QString stored = work.filePath(QStringLiteral("book.xls"));
    const size_t sheets = sheetsFor(records.size());
    if (Status s = writePrototypes(stored, sheets, today); !s) return s;

    QByteArray bytes;
    if (!readWholeFile(stored, bytes)) return {};
    auto file = excel::CompoundFile::parse(std::string_view(bytes.constData(), size_t(bytes.size())));
    std::string *stream = file ? file->stream(u"Workbook") : nullptr;
    if (!stream) return {};
    auto xls = excel::XlsBook::parse(*stream);
    if (!xls || size_t(xls->sheetCount()) < sheets) return {};
    bytes.clear();

    const int firstRow = kLedgerFirstItemRow - 1; // 0-based
    const int firstCol = kFirstCol - 1;
    // A newer office that formats the items otherwise than this writer
    // expects gets the items to write itself.
    for (size_t k = 0; k < sheets; ++k)
        if (const auto problem = prototypeProblem(*xls, int(k), firstRow, firstCol, kColumns, kRateCol - 1)) {
            qWarning("ledger workbook: the office's formats are not the expected ones (%s); the office writes the items",
                     qPrintable(*problem));
            return {};
        }
    const int total = int(records.size());
    for (size_t k = 0; k < sheets; ++k) {
        // The format of every warning, content, line and column.
        auto formats = std::make_shared<std::vector<std::uint16_t>>(size_t(kWarnings * kContents) * 2 * kColumns);
        for (int w = 0; w < kWarnings; ++w)
            for (int content = 0; content < kContents; ++content)
                for (int line = 0; line < 2; ++line)
                    for (int c = 0; c < kColumns; ++c)
                        (*formats)[(size_t(w * kContents + content) * 2 + size_t(line)) * kColumns + size_t(c)] =
                            std::uint16_t(xls->xfAt(int(k), firstRow + prototypeItem(w, Content(content)) * 2 + line,
                                                    firstCol + c));
        const size_t first = k * kItemsPerSheet;
        const int count = int(std::min<size_t>(kItemsPerSheet, records.size() - first));
        excel::XlsBook::Rows rows;
        rows.sheet = int(k);
        rows.firstRow = firstRow;
        rows.count = count * 2;
        rows.clearTo = firstRow + prototypeItems() * 2;
        rows.firstCol = firstCol;
        rows.columns = kColumns;
        rows.rowLike = [firstRow](int row) { return firstRow + (row - firstRow) % 2; };
        auto item = std::make_shared<Block>(2, kColumns);
        rows.source = [this, &records, first, firstRow, formats, item, total](int row, std::vector<excel::XlsCell> &cells) {
            const int line = (row - firstRow) % 2;
            const size_t n = first + size_t((row - firstRow) / 2);
            const LedgerRecord &rec = records[n];
            if (line == 0 && n % 1000 == 0) m_progress->count(int(n), total);
            if (line == 0) {
                *item = Block(2, kColumns);
                putItemRow(rec, 1, *item, 0);
                putItemRow(rec, 2, *item, 1);
            }
            const int w = int(stockWarning(rec));
            for (int c = 0; c < kColumns; ++c) {
                const CellValue &v = item->at(line, c);
                const Content content = contentOf(v);
                excel::XlsCell &cell = cells[size_t(c)];
                cell.xf = (*formats)[(size_t(w * kContents + content) * 2 + size_t(line)) * kColumns + size_t(c)];
                switch (content) {
                case Empty: cell.kind = excel::XlsCell::Kind::Empty; break;
                case Number:
                    cell.kind = excel::XlsCell::Kind::Number;
                    cell.number = v.numberValue();
                    break;
                default:
                    cell.kind = excel::XlsCell::Kind::Text;
                    cell.text = v.text();
                }
            }
        };
        xls->setRows(std::move(rows));
    }
    m_progress->step(ledger_output_text::writingStep());
    m_progress->count(0, total);
    excel::Result<std::string> written = xls->serialize();
    if (!written.ok()) return written.failure(); // beyond what the format holds: nothing is written
    *stream = std::move(written.value());
    m_progress->count(total, total);

    m_progress->step(ledger_output_text::storingStep());
    // Stopped before the book is in place: the earlier book stays as it was.
    if (m_progress->cancelled()) return Status::fail(excel::FailureKind::Cancelled, QStringLiteral("cancelled"));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return Status::fail(excel::FailureKind::InUse, QStringLiteral("cannot write: ") + path + QStringLiteral(": ")
                                                           + out.errorString());
    // The book is complete: a failure from here on is the write itself (a
    // full disk, an I/O error), and the earlier book stays as it was.
    if (!file->write(out) || !out.commit())
        return Status::fail(excel::FailureKind::WriteFailed, QStringLiteral("not written: ") + path + QStringLiteral(": ")
                                                                 + out.errorString());
    rebuilt = true;
    return {};
}

Status LedgerOutput::writeBook(excel::Workbook &book, size_t sheets, const QDate &today,
                               const std::function<SheetItems(size_t)> &items)
{
    Status s = book.setScreenUpdating(false);
    if (!s) return s;
    const Block titles =
        ledgerTitleBlock(m_d.itemLabels, cleanText(m_d.sharedSettings.value(9)).left(kStartMonthLength), today);
    for (size_t k = 0; k < sheets && s; ++k) {
        excel::Worksheet *sheet = &book.firstSheet();
        if (k > 0) {
            s = book.insertSheet(int(k) + 1, continuationSheetName(int(k) + 1));
            if (!s) break;
            auto next = book.sheet(int(k) + 1);
            if (!next.ok()) {
                s = next.failure();
                break;
            }
            sheet = next.value();
        }
        s = writeSheet(*sheet, items(k), titles);
    }
    Status on = book.setScreenUpdating(true);
    return s ? on : s;
}

Status LedgerOutput::writeSheet(excel::Worksheet &sheet, const SheetItems &items, const Block &titles)
{
    const int count = items.count;
    const int lastRow = kLedgerFirstItemRow + count * 2 - 1;
    const Range table = Range::of(kHeadingRow, kFirstCol, lastRow, kLastCol);
    std::vector<std::function<Status()>> steps = {
        [&] { return sheet.setTextFormatAllCells(); },
        [&] { return sheet.setNumberFormat(Range::of(kLedgerFirstItemRow, kRateCol, lastRow, kRateCol), kRateFormat); },
        [&] { return sheet.writeBlock(1, kFirstCol, titles); },
        [&] { return sheet.writeRows(kLedgerFirstItemRow, kFirstCol, count * 2, kColumns, items.fill); },
        [&] { return sheet.setFontSize(Range::cell(kTitleRow, kFirstCol), 14); },
        [&] { return sheet.setBold(Range::of(kTitleRow, kFirstCol, kHeadingRow, kLastCol), true); },
        [&] { return sheet.setInteriorColor(Range::of(kHeadingRow, kFirstCol, kMonthRow, kLastCol), kHeadingColour); },
        [&] { return sheet.setCentred(Range::of(kHeadingRow, kFirstCol, kMonthRow, kLastCol)); },
    };
    for (excel::Border b : {excel::Border::Left, excel::Border::Top, excel::Border::Bottom, excel::Border::Right,
                            excel::Border::InsideVertical, excel::Border::InsideHorizontal})
        steps.push_back([&sheet, table, b] { return sheet.setBorderLine(table, b, excel::LineWeight::Thin, kGridColour); });
    for (const auto &step : steps)
        if (Status s = step(); !s) return s;

    static constexpr double kWidths[kColumns] = {12, 24, 20, 14, 12, 10, 12, 6, 8, 8, 8, 8, 6, // C..O
                                                 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8,           // P..AA
                                                 8, 10, 10};                                   // AB..AD
    if (Status s = sheet.setColumnWidths(1, 2, 2); !s) return s;
    for (int c = 0; c < kColumns;) { // one call per run of equal widths
        int end = c + 1;
        while (end < kColumns && kWidths[end] == kWidths[c]) ++end;
        if (Status s = sheet.setColumnWidths(kFirstCol + c, kFirstCol + end - 1, kWidths[c]); !s) return s;
        c = end;
    }

    // The warnings: shaded runs of items below their proper stock, a heavy
    // frame round every item out of stock; each kind in one call.
    auto itemRange = [&](int item, int items) {
        const int row = kLedgerFirstItemRow + item * 2;
        return Range::of(row, kFirstCol, row + items * 2 - 1, kLastCol);
    };
    std::vector<Range> shaded, framed;
    Run run;
    auto flush = [&] {
        if (run.count > 0) shaded.push_back(itemRange(run.first, run.count));
        run.count = 0;
    };
    for (int i = 0; i < count; ++i) {
        const StockWarning w = items.warning(i);
        if (w == StockWarning::BelowProper) {
            if (run.count == 0) run.first = int(i);
            ++run.count;
            continue;
        }
        flush();
        if (w == StockWarning::Zero) framed.push_back(itemRange(int(i), 1));
    }
    flush();
    if (Status s = sheet.setPatternOnRanges(shaded, excel::Pattern::Gray50, kShadeColour); !s) return s;
    return sheet.setOutlineOnRanges(framed, excel::LineWeight::Thick, kZeroFrameColour);
}

} // namespace kpv::workbooks
