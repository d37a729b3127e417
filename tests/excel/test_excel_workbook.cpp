// Every operation round-trips through a stored .xls, on the suite's shared
// office; binding by path returns the open workbook.

#include "excel/create_from_template.h"
#include "excel/libreoffice.h"
#include "excel/xls_file_check.h"
#include "xls_reader.h"

#include <gtest/gtest.h>

#include <atomic>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kpv::excel;
using kpv::testing::XlsReader;

namespace {

class Workbooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("KPV_SOFFICE_PIPE")) << "run through ctest (shared office)";
        ASSERT_TRUE(m_dir.isValid());
        m_office = std::make_unique<LibreOffice>();
    }
    void TearDown() override
    {
        for (auto &b : m_books) b->close();
        m_books.clear();
        m_office.reset();
    }
    Workbook &keep(Result<std::unique_ptr<Workbook>> r)
    {
        EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.failure().detail.toStdString());
        if (!r.ok()) throw std::runtime_error("no workbook");
        m_books.push_back(std::move(r.value()));
        return *m_books.back();
    }
    // Stores the book, closes it and opens the stored file again.
    Workbook &reopen(Workbook &book, const QString &path)
    {
        EXPECT_TRUE(book.storeAsXls(path).ok());
        EXPECT_TRUE(book.close().ok());
        for (auto it = m_books.begin(); it != m_books.end(); ++it)
            if (it->get() == &book) {
                m_books.erase(it);
                break;
            }
        return keep(m_office->bind(path));
    }
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    QTemporaryDir m_dir;
    std::unique_ptr<LibreOffice> m_office;
    std::vector<std::unique_ptr<Workbook>> m_books;
};

} // namespace

TEST_F(Workbooks, ValuesSurviveStoreAndReload)
{
    Workbook &book = keep(m_office->createNew());
    Worksheet &s = book.firstSheet();
    ASSERT_TRUE(s.setTextFormatAllCells());
    const struct {
        int row, col;
        CellValue value;
    } cells[] = {
        {1, 1, CellValue(QStringLiteral("在庫品仕様"))},
        {2, 3, CellValue(QStringLiteral("0089325"))},  // leading zeros stay
        {3, 2, CellValue(QStringLiteral("ＡＢＣ　全角 スペース "))},
        {4, 30, CellValue(QStringLiteral("2025/04"))}, // not a date
        {5, 5, CellValue(QStringLiteral("TRUE"))},
        {6, 6, CellValue::number(1234.5)},
        {7, 1, CellValue(QStringLiteral("行1\n行2"))},
    };
    for (const auto &c : cells) ASSERT_TRUE(s.setCell(c.row, c.col, c.value));
    const QString file = path(QStringLiteral("値の往復.xls"));
    Workbook &again = reopen(book, file);
    for (const auto &c : cells) {
        auto v = again.firstSheet().cell(c.row, c.col);
        ASSERT_TRUE(v.ok());
        EXPECT_EQ(v.value(), c.value) << c.row << "," << c.col << " " << v.value().text().toStdString();
    }
    EXPECT_TRUE(again.firstSheet().cell(9, 9).value().isEmpty());
    EXPECT_TRUE(again.firstSheet().format(50, 50).value().textFormat);

    XlsReader xls(file);
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ(xls.biffVersion(), 8);
    EXPECT_EQ(xls.text(1, 1), QStringLiteral("在庫品仕様"));
    EXPECT_EQ(xls.text(2, 3), QStringLiteral("0089325"));
    EXPECT_FALSE(xls.isNumber(2, 3));
    EXPECT_EQ(xls.text(4, 30), QStringLiteral("2025/04"));
    EXPECT_EQ(xls.text(6, 6), QStringLiteral("1234.5"));
}

TEST_F(Workbooks, BlocksRoundTripInPieces)
{
    // Large enough to go in several pieces from more than one thread, the
    // piece boundaries falling inside the rows; once as a block, once made
    // piece by piece.
    Workbook &book = keep(m_office->createNew());
    Block block(1500, 29);
    for (int r = 0; r < block.rows(); ++r)
        for (int c = 0; c < block.columns(); ++c) {
            if ((r + c) % 7 == 0) continue; // empty
            if (c % 3 == 0)
                block.at(r, c) = CellValue::number(r * 100 + c + 0.25);
            else
                block.at(r, c) = CellValue(QStringLiteral("品%1-%2").arg(r).arg(c, 3, 10, QLatin1Char('0')));
        }
    Worksheet &s = book.firstSheet();
    ASSERT_TRUE(s.setTextFormatAllCells()); // numbers stay numbers in text-formatted cells
    ASSERT_TRUE(s.setCell(4, 3, QStringLiteral("上")));
    ASSERT_TRUE(s.setCell(5 + 1500, 40, QStringLiteral("下")));
    ASSERT_TRUE(book.setScreenUpdating(false));
    ASSERT_TRUE(s.writeBlock(5, 3, block));
    std::atomic<int> calls{0};
    ASSERT_TRUE(s.writeRows(5, 40, block.rows(), block.columns(), [&](int first, Block &piece) {
        ++calls;
        ASSERT_EQ(piece.columns(), block.columns());
        for (int r = 0; r < piece.rows(); ++r)
            for (int c = 0; c < piece.columns(); ++c) piece.at(r, c) = block.at(first + r, c);
    }));
    EXPECT_GT(calls.load(), 1);
    ASSERT_TRUE(book.setScreenUpdating(true));
    const QString file = path(QStringLiteral("block.xls"));
    Workbook &again = reopen(book, file);
    for (int col : {3, 40}) {
        auto back = again.firstSheet().readBlock(Range::of(4, col, 5 + 1500, col + 28));
        ASSERT_TRUE(back.ok());
        for (int r = 0; r < block.rows(); ++r)
            for (int c = 0; c < block.columns(); ++c)
                ASSERT_EQ(back->at(r + 1, c), block.at(r, c)) << col << ":" << r << "," << c;
        EXPECT_EQ(back->at(0, 0).text(), col == 3 ? QStringLiteral("上") : QString());
        EXPECT_EQ(back->at(1501, 0).text(), col == 40 ? QStringLiteral("下") : QString());
    }
    XlsReader xls(file);
    EXPECT_EQ(xls.text(5 + 1, 3 + 2), QStringLiteral("品1-002"));
    EXPECT_EQ(xls.text(5 + 1000, 40 + 3), QStringLiteral("100003.25"));
    EXPECT_TRUE(xls.isNumber(5 + 1000, 40 + 3));
}

TEST(CellValues, NumberOnlyWhereItShowsAsTheSameText)
{
    struct Case {
        const char *text;
        bool number;
    };
    for (const Case &c : {Case{"12", true}, {"0", true}, {"0.5", true}, {"-3", true}, {"1234.5", true},
                          {"999999999999999", true}, {"012", false}, {"1,200", false}, {" 12", false},
                          {"12 ", false}, {"1E3", false}, {"12.0", false}, {".5", false}, {"-0", false},
                          {"+1", false}, {"1234567890123456", false}, {"0.1234567890123456", false},
                          {"１２", false}, {"12個", false}, {"在庫", false}}) {
        const CellValue v = CellValue::numberOrText(QString::fromUtf8(c.text));
        EXPECT_EQ(v.isNumber(), c.number) << c.text;
        EXPECT_EQ(v.text(), QString::fromUtf8(c.text)) << c.text;
    }
    EXPECT_TRUE(CellValue::numberOrText(QString()).isEmpty());
}

TEST_F(Workbooks, FormattingSurvivesStoreAndReload)
{
    Workbook &book = keep(m_office->createNew());
    Worksheet &s = book.firstSheet();
    ASSERT_TRUE(s.setCell(4, 2, QStringLiteral("在庫品番号")));
    ASSERT_TRUE(s.setColumnWidth(1, 4));
    ASSERT_TRUE(s.setColumnWidth(2, 20));
    ASSERT_TRUE(s.setColumnWidth(5, 40));
    ASSERT_TRUE(s.setRowHeight(Range::of(6, 2, 36, 6), 20));
    ASSERT_TRUE(s.setInteriorColor(Range::cell(4, 2), 16777184)); // FFFFE0: red E0, green FF, blue FF
    ASSERT_TRUE(s.setInteriorColor(Range::of(4, 3, 4, 6), 255)); // red
    ASSERT_TRUE(s.setFontSize(Range::cell(4, 2), 12));
    ASSERT_TRUE(s.setBold(Range::cell(4, 2), true));
    ASSERT_TRUE(s.setCentred(Range::cell(4, 2)));
    ASSERT_TRUE(s.setBorder(Range::of(4, 2, 4, 3), Border::Top));
    ASSERT_TRUE(s.setBorder(Range::of(4, 2, 4, 3), Border::Bottom));
    ASSERT_TRUE(s.setBorder(Range::of(10, 2, 14, 6), Border::InsideVertical));
    ASSERT_TRUE(s.setBorder(Range::of(10, 2, 14, 6), Border::InsideHorizontal));
    ASSERT_TRUE(s.setBorder(Range::of(10, 2, 14, 6), Border::Left));
    ASSERT_TRUE(s.setBorder(Range::of(10, 2, 14, 6), Border::Right));
    EXPECT_DOUBLE_EQ(s.columnWidth(1).value(), 4);
    EXPECT_DOUBLE_EQ(s.columnWidth(2).value(), 20);
    EXPECT_DOUBLE_EQ(s.columnWidth(5).value(), 40);

    Workbook &again = reopen(book, path(QStringLiteral("書式.xls")));
    Worksheet &t = again.firstSheet();
    // LibreOffice reads widths back through its own rounding of the stored units.
    EXPECT_NEAR(t.columnWidth(1).value(), 4, 0.05);
    EXPECT_NEAR(t.columnWidth(2).value(), 20, 0.05);
    EXPECT_NEAR(t.columnWidth(5).value(), 40, 0.05);
    EXPECT_NEAR(t.rowHeight(6).value(), 20, 0.05);
    EXPECT_NEAR(t.rowHeight(36).value(), 20, 0.05);
    const CellFormat b4 = t.format(4, 2).value();
    EXPECT_EQ(b4.interiorColor, 16777184);
    EXPECT_DOUBLE_EQ(b4.fontSize, 12);
    EXPECT_TRUE(b4.bold);
    EXPECT_TRUE(b4.centred);
    // The file names the Japanese face for Japanese text (read back as the cell's font).
    EXPECT_EQ(b4.fontName, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(t.format(4, 6).value().interiorColor, 255);
    EXPECT_EQ(t.format(5, 2).value().interiorColor, -1);
    EXPECT_FALSE(t.format(5, 2).value().bold);
    EXPECT_TRUE(t.hasBorder(Range::of(4, 2, 4, 3), Border::Top).value());
    EXPECT_TRUE(t.hasBorder(Range::of(4, 2, 4, 3), Border::Bottom).value());
    EXPECT_FALSE(t.hasBorder(Range::of(4, 2, 4, 3), Border::Left).value());
    for (Border b : {Border::Left, Border::Right, Border::InsideVertical, Border::InsideHorizontal})
        EXPECT_TRUE(t.hasBorder(Range::of(10, 2, 14, 6), b).value()) << int(b);
    EXPECT_FALSE(t.hasBorder(Range::of(10, 2, 14, 6), Border::Top).value());
}

TEST_F(Workbooks, BindReturnsTheOpenWorkbook)
{
    const QString file = path(QStringLiteral("在庫品仕様1001.xls"));
    {
        Workbook &book = keep(m_office->createNew());
        ASSERT_TRUE(book.storeAsXls(file));
    }
    Workbook &first = keep(m_office->bind(file));
    ASSERT_TRUE(first.firstSheet().setCell(8, 4, QStringLiteral("未保存の記入")));
    EXPECT_TRUE(m_office->isOpen(file));

    // The same file by another spelling of its path, and through a link.
    QDir().mkpath(path(QStringLiteral("sub")));
    const QString link = path(QStringLiteral("link.xls"));
    ASSERT_TRUE(QFile::link(file, link));
    for (const QString &p : {path(QStringLiteral("sub/../在庫品仕様1001.xls")), link}) {
        auto again = m_office->bind(p);
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(again.value()->firstSheet().cell(8, 4).value().text(), QStringLiteral("未保存の記入"));
        EXPECT_EQ(again.value()->path(), first.path());
    }
}

TEST_F(Workbooks, WhatIsNoWorkbookIsReported)
{
    EXPECT_EQ(m_office->bind(path(QStringLiteral("ない.xls"))).kind(), FailureKind::WorkbookNotFound);
    QFile text(path(QStringLiteral("memo.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a workbook\n");
    text.close();
    EXPECT_EQ(m_office->bind(text.fileName()).kind(), FailureKind::WorkbookNotFound);
}

TEST_F(Workbooks, TextColumnsReadAsShownTheFormatReadAndMergedAreasFound)
{
    Workbook &book = keep(m_office->createNew());
    Worksheet &s = book.firstSheet();
    for (int col = 1; col <= 2; ++col) {
        ASSERT_TRUE(s.setCell(1, col, CellValue::number(123)).ok());
        ASSERT_TRUE(s.setNumberFormat(Range::cell(1, col), QStringLiteral("000000")).ok());
    }
    ASSERT_TRUE(s.setCell(1, 3, CellValue(QStringLiteral("0089"))).ok());
    ASSERT_TRUE(s.setCell(3, 3, CellValue(QStringLiteral("結合"))).ok());
    ASSERT_TRUE(s.mergeCells(Range::of(3, 3, 3, 5)).ok());
    ASSERT_TRUE(s.mergeCells(Range::of(6, 2, 8, 2)).ok());
    const QString stored = path(QStringLiteral("shown.xls"));
    Workbook &back = reopen(book, stored);
    EXPECT_EQ(back.fileFormat().value(), QStringLiteral("MS Excel 97"));
    auto cells = back.firstSheet().readBlockShown(Range::of(1, 1, 1, 3), {0, 2});
    ASSERT_TRUE(cells.ok());
    EXPECT_EQ(cells->at(0, 0).text(), QStringLiteral("000123")); // a text column: as shown
    EXPECT_TRUE(cells->at(0, 1).isNumber());                     // a number column: the value
    EXPECT_EQ(cells->at(0, 1).text(), QStringLiteral("123"));
    EXPECT_EQ(cells->at(0, 2).text(), QStringLiteral("0089"));

    // The merged areas, from the stored bytes.
    const XlsFileCheck c = CheckXlsFile(stored);
    ASSERT_TRUE(c.ok()) << c.detail.toStdString();
    ASSERT_EQ(c.merged.size(), 2u);
    bool row3 = false, colB = false;
    for (const Range &r : c.merged) {
        row3 = row3 || (r.row1 == 3 && r.row2 == 3 && r.col1 == 3 && r.col2 == 5);
        colB = colB || (r.row1 == 6 && r.row2 == 8 && r.col1 == 2 && r.col2 == 2);
    }
    EXPECT_TRUE(row3 && colB);

    // A text file the office reads as text is not read by an Excel filter.
    QFile text(path(QStringLiteral("list.csv")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("A-1,ボルト\nA-2,ナット\n");
    text.close();
    auto csv = m_office->bind(text.fileName());
    ASSERT_TRUE(csv.ok());
    Workbook &csvBook = keep(std::move(csv));
    EXPECT_FALSE(IsXlsFilter(csvBook.fileFormat().value())) << csvBook.fileFormat().value().toStdString();
}

TEST_F(Workbooks, OutputFromTemplateKeepsEarlierContentAndRefusesInUse)
{
    // A client folder with a real template.
    const QString client = path(QStringLiteral("client/"));
    QDir().mkpath(client + QStringLiteral("原本Excel"));
    {
        Workbook &t = keep(m_office->createNew());
        ASSERT_TRUE(t.storeAsXls(ExcelTemplatePath(client)));
        ASSERT_TRUE(t.close());
        m_books.clear();
    }
    const QString out = path(QStringLiteral("在庫品仕様A-1.xls"));
    {
        auto book = CreateFromTemplate(*m_office, client, out);
        ASSERT_TRUE(book.ok()) << book.failure().detail.toStdString();
        ASSERT_TRUE(book.value()->firstSheet().setCell(8, 4, QStringLiteral("ユーザーの記入")));
        ASSERT_TRUE(book.value()->storeAsXls(out));
        ASSERT_TRUE(book.value()->setApplicationVisible(true));
        ASSERT_TRUE(book.value()->activateFirstSheet());
        ASSERT_TRUE(book.value()->setWindowVisible(true));
    }
    // Still open: the same book comes back with the user's entry.
    {
        auto book = CreateFromTemplate(*m_office, client, out);
        ASSERT_TRUE(book.ok());
        EXPECT_EQ(book.value()->firstSheet().cell(8, 4).value().text(), QStringLiteral("ユーザーの記入"));
        // Replacing the file under the open book is refused.
        EXPECT_EQ(CreateFromTemplate(*m_office, client, out, TemplateUse::Replace).kind(), FailureKind::InUse);
        ASSERT_TRUE(book.value()->close());
    }
    // Closed: the stored file is reused, and the entry is still there.
    {
        auto book = CreateFromTemplate(*m_office, client, out);
        ASSERT_TRUE(book.ok());
        EXPECT_EQ(book.value()->firstSheet().cell(8, 4).value().text(), QStringLiteral("ユーザーの記入"));
        ASSERT_TRUE(book.value()->close());
    }
    // Read-only output.
    QFile::setPermissions(out, QFile::ReadOwner | QFile::ReadGroup);
    EXPECT_EQ(CreateFromTemplate(*m_office, client, out).kind(), FailureKind::InUse);
    EXPECT_EQ(m_office->bind(out, Spreadsheet::Access::Write).kind(), FailureKind::InUse);
    auto readable = m_office->bind(out); // an import may still read it
    ASSERT_TRUE(readable.ok());
    readable.value()->close();
}

TEST_F(Workbooks, LinesPatternsDatesAndFittingSurviveStoreAndReload)
{
    Workbook &book = keep(m_office->createNew());
    Worksheet &s = book.firstSheet();
    EXPECT_EQ(s.lastUsedRow().value(), 0);
    const struct {
        int row;
        LineWeight weight;
        int color;
    } lines[] = {
        {2, LineWeight::Hairline, 0x0000FF},
        {4, LineWeight::Thin, 0x000000},
        {6, LineWeight::Medium, 0xFF0000},
        {8, LineWeight::Thick, 0x00C000},
    };
    for (const auto &l : lines) ASSERT_TRUE(s.setBorderLine(Range::of(l.row, 2, l.row, 4), Border::Bottom, l.weight, l.color));
    ASSERT_TRUE(s.setPattern(Range::of(10, 2, 10, 4), Pattern::Gray50, 255));
    ASSERT_TRUE(s.setCell(12, 3, CellValue::number(46113))); // 2026-04-01
    ASSERT_TRUE(s.setNumberFormat(Range::cell(12, 3), QStringLiteral("YYYY/MM")));
    EXPECT_EQ(s.cell(12, 3).value(), CellValue(QStringLiteral("2026/04")));
    // Three lines written with fitting held down, then fitted on request.
    ASSERT_TRUE(book.setScreenUpdating(false));
    Block text(1, 1);
    text.at(0, 0) = CellValue(QStringLiteral("一行目\n二行目\n三行目"));
    ASSERT_TRUE(s.writeBlock(14, 2, text));
    const double before = s.rowHeight(14).value();
    ASSERT_TRUE(s.autoFitRows(Range::cell(14, 2)));
    EXPECT_GT(s.rowHeight(14).value(), 2 * before);
    ASSERT_TRUE(book.setScreenUpdating(true));
    ASSERT_TRUE(s.setBorder(Range::of(30, 1, 40, 5), Border::InsideHorizontal)); // formatting only
    EXPECT_EQ(s.lastUsedRow().value(), 14);

    Workbook &again = reopen(book, path(QStringLiteral("線と網掛け.xls")));
    Worksheet &t = again.firstSheet();
    for (const auto &l : lines) {
        const BorderLine b = t.borderLine(Range::of(l.row, 2, l.row, 4), Border::Bottom).value();
        EXPECT_TRUE(b.drawn) << l.row;
        EXPECT_EQ(b.weight, l.weight) << l.row;
        EXPECT_EQ(b.color, l.color) << l.row;
    }
    EXPECT_FALSE(t.borderLine(Range::of(4, 2, 4, 4), Border::Top).value().drawn);
    const int shaded = t.format(10, 3).value().interiorColor;
    EXPECT_EQ(shaded, PatternFillColor(Pattern::Gray50, 255));
    EXPECT_NE(shaded, 255);
    EXPECT_EQ(t.cell(12, 3).value(), CellValue(QStringLiteral("2026/04")));
    auto block = t.readBlock(Range::of(11, 2, 12, 3));
    ASSERT_TRUE(block.ok());
    EXPECT_EQ(block->at(1, 1).text(), QStringLiteral("2026/04"));
    EXPECT_GT(t.rowHeight(14).value(), 2 * before);
    EXPECT_EQ(t.lastUsedRow().value(), 14);
}

TEST_F(Workbooks, CellsBeyondTheXlsSheetAreRefused)
{
    Workbook &book = keep(m_office->createNew());
    Worksheet &s = book.firstSheet();
    Block two(2, 1);
    two.at(0, 0) = CellValue(QStringLiteral("x"));
    EXPECT_EQ(s.writeBlock(kMaxRows, 1, two).kind(), FailureKind::OutsideSheet);
    EXPECT_TRUE(s.writeBlock(kMaxRows - 1, 1, two).ok());
    EXPECT_EQ(s.setCell(1, kMaxColumns + 1, QStringLiteral("x")).kind(), FailureKind::OutsideSheet);
    EXPECT_EQ(s.readBlock(Range::of(5, 1, 4, 1)).kind(), FailureKind::OutsideSheet);       // inverted
    EXPECT_EQ(s.readBlock(Range::of(1, 1, 1 << 30, 1)).kind(), FailureKind::OutsideSheet); // huge
    EXPECT_EQ(s.cell(0, 1).kind(), FailureKind::OutsideSheet);
    EXPECT_EQ(s.setBorderLine(Range::of(1, 1, 1, 300), Border::Top, LineWeight::Thin, 0).kind(),
              FailureKind::OutsideSheet);
    EXPECT_EQ(s.cell(kMaxRows - 1, 1).value().text(), QStringLiteral("x"));
    EXPECT_EQ(s.lastUsedRow().value(), kMaxRows - 1);
}

TEST_F(Workbooks, ReadBoundBookIsClosedAndUnlockedAtRelease)
{
    const QString file = path(QStringLiteral("Mb入出庫月報.xls"));
    const QString lock = path(QStringLiteral(".~lock.Mb入出庫月報.xls#"));
    {
        Workbook &book = keep(m_office->createNew());
        ASSERT_TRUE(book.firstSheet().setCell(1, 1, QStringLiteral("日報")));
        ASSERT_TRUE(book.storeAsXls(file));
        ASSERT_TRUE(book.close());
        m_books.clear();
    }
    {
        auto reader = m_office->bind(file);
        ASSERT_TRUE(reader.ok());
        EXPECT_TRUE(QFile::exists(lock));
        auto second = m_office->bind(file); // shares the document
        ASSERT_TRUE(second.ok());
        reader.value().reset();
        EXPECT_TRUE(m_office->isOpen(file)) << "still bound by the second object";
        EXPECT_EQ(second.value()->firstSheet().cell(1, 1).value().text(), QStringLiteral("日報"));
    }
    EXPECT_FALSE(m_office->isOpen(file));
    EXPECT_FALSE(QFile::exists(lock));

    // A book bound for writing, or shown, stays open for the user.
    keep(m_office->bind(file, Spreadsheet::Access::Write));
    m_books.clear();
    EXPECT_TRUE(m_office->isOpen(file));
    {
        auto reader = m_office->bind(file);
        ASSERT_TRUE(reader.ok());
    }
    EXPECT_TRUE(m_office->isOpen(file)) << "was open before the read bind";
    ASSERT_TRUE(keep(m_office->bind(file)).close());
    m_books.clear();
}

TEST_F(Workbooks, ABookOpenedReadOnlyIsNotBoundForWriting)
{
    const QString file = path(QStringLiteral("在庫品項目.xls"));
    {
        Workbook &book = keep(m_office->createNew());
        ASSERT_TRUE(book.storeAsXls(file));
        ASSERT_TRUE(book.close());
        m_books.clear();
    }
    // Another PC holds the book: the office opens it read-only for a reader.
    QFile lock(path(QStringLiteral(".~lock.在庫品項目.xls#")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("someone,someone,other-pc,09.12.2026 10:00,file:///C:/Users/someone/AppData/Roaming/LibreOffice/4;");
    lock.close();
    auto reader = m_office->bind(file);
    ASSERT_TRUE(reader.ok()) << reader.failure().detail.toStdString();
    EXPECT_EQ(m_office->bind(file, Spreadsheet::Access::Write).kind(), FailureKind::InUse);
    reader.value().reset();
    EXPECT_FALSE(m_office->isOpen(file));
    EXPECT_TRUE(lock.exists()) << "the other PC's lock is left alone";
}
