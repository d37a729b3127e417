// Rows written straight into a stored book (the shipped template) read back
// by an independent reader: shared strings long enough to run over many
// records and to split inside a string, numbers of every stored form, empty
// formatted cells; broken streams are refused; the script that picks a text
// cell's font, as the office picks it.

#include "excel/compound_file.h"
#include "excel/create_from_template.h"
#include "excel/xls_book.h"
#include "xls_reader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

using namespace kpv::excel;

namespace {

std::string templateBytes()
{
    QFile f(ExcelTemplatePath(qEnvironmentVariable("KPV_APP_DIR")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    return std::string(b.constData(), size_t(b.size()));
}

QString longName(int i) { return QStringLiteral("六角ボルト　ステンレス製　品番%1").arg(i); }

// The compound file with its rebuilt stream, written to path.
bool writeTo(CompoundFile &file, const QString &path)
{
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && file.write(out) && out.commit();
}

} // namespace

TEST(XlsBook, RowsWrittenIntoAStoredBookReadBack)
{
    const std::string bytes = templateBytes();
    ASSERT_FALSE(bytes.empty()) << "the shipped template";
    auto file = CompoundFile::parse(bytes);
    ASSERT_TRUE(file);
    std::string *stream = file->stream(u"Workbook");
    ASSERT_TRUE(stream);
    QString why;
    auto book = XlsBook::parse(*stream, &why);
    ASSERT_TRUE(book) << qPrintable(why);

    constexpr int kRows = 3000;
    XlsBook::Rows rows;
    rows.firstRow = 4;
    rows.count = kRows;
    rows.firstCol = 2;
    rows.columns = 6;
    rows.source = [](int row, std::vector<XlsCell> &cells) {
        const int i = row - 4;
        cells[0].kind = XlsCell::Kind::Text; // UTF-16, every one new
        cells[0].text = longName(i);
        cells[1].kind = XlsCell::Kind::Text; // one byte a character
        cells[1].text = QStringLiteral("bolt-%1").arg(i % 50);
        cells[2].kind = XlsCell::Kind::Number;
        cells[2].number = i % 3 == 0 ? -i : i % 3 == 1 ? i / 100.0 : i + 0.123;
        cells[3].xf = 15; // empty, formatted: cells 3 and 4 as one record
        cells[5].kind = XlsCell::Kind::Text;
        cells[5].text = QStringLiteral("同じ");
    };
    book->setRows(std::move(rows));
    auto written = book->serialize();
    ASSERT_TRUE(written.ok()) << qPrintable(written.failure().detail);
    *stream = std::move(written.value());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xls"));
    ASSERT_TRUE(writeTo(*file, path));

    kpv::testing::XlsReader xls(path);
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ(xls.rows(), unsigned(4 + kRows));
    for (int i = 0; i < kRows; ++i) {
        const int row = 5 + i;
        ASSERT_EQ(xls.text(row, 3), longName(i)) << i;
        EXPECT_EQ(xls.text(row, 4), QStringLiteral("bolt-%1").arg(i % 50));
        const double n = i % 3 == 0 ? -i : i % 3 == 1 ? i / 100.0 : i + 0.123;
        EXPECT_EQ(xls.text(row, 5), QString::number(n, 'g', 15)) << i;
        EXPECT_TRUE(xls.text(row, 6).isEmpty());
        EXPECT_EQ(xls.text(row, 8), QStringLiteral("同じ"));
    }
    // The rebuilt stream reads again as it was written.
    auto again = XlsBook::parse(*stream);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->sheetCount(), book->sheetCount());
    EXPECT_EQ(again->xfAt(0, 10, 5), 15);
}

TEST(XlsBook, BrokenStreamsAreRefused)
{
    auto file = CompoundFile::parse(templateBytes());
    ASSERT_TRUE(file);
    const std::string good = *file->stream(u"Workbook");
    std::string wrongVersion = good;
    wrongVersion[5] = 0x05; // BIFF5
    for (const std::string &bad : {std::string(), std::string("not a workbook"), good.substr(0, good.size() / 2),
                                   good.substr(0, 30), wrongVersion}) {
        QString why;
        EXPECT_FALSE(XlsBook::parse(bad, &why)) << bad.size();
        EXPECT_FALSE(why.isEmpty());
    }
}

// A book without shared strings whose globals end in an EOF record that
// carries data: the strings are written just before that record, which is
// kept as it was, and the book written reads again (the strings used to be
// put 4 bytes before the end, inside the record, and the book was unreadable).
TEST(XlsBook, StringsOfABookWithoutThemGoBeforeItsEnd)
{
    using namespace std::string_literals;
    const std::string bof = "\x09\x08\x10\x00\x00\x06\x05\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00"s;
    const std::string other = "\x24\x06\x00\x00"s;
    const std::string eof = "\x0a\x00\x01\x00\x00"s;
    auto book = XlsBook::parse(bof + other + eof + "\x00\x00\x00"s);
    ASSERT_TRUE(book);
    auto written = book->serialize();
    ASSERT_TRUE(written.ok());
    const std::string &w = written.value();
    EXPECT_EQ(w.substr(0, bof.size() + other.size()), bof + other);
    EXPECT_EQ(std::uint8_t(w[bof.size() + other.size()]), 0xFC); // SST
    EXPECT_TRUE(w.ends_with(eof));
    QString why;
    EXPECT_TRUE(XlsBook::parse(w, &why)) << qPrintable(why);
}

// As the office gives a stored text cell its font: by the first character
// with a script (ASCII signs count as Latin, a full-width space as Japanese).
TEST(XlsBook, LeadingScriptAsTheOfficeCountsIt)
{
    const std::pair<const char *, TextScript> cases[] = {
        {"A", TextScript::Latin},        {"あ", TextScript::Asian},     {"ﾎﾞﾙﾄ", TextScript::Asian},
        {"1あ", TextScript::Latin},      {"-あ", TextScript::Latin},    {"×あ", TextScript::Latin},
        {" あ", TextScript::Asian},      {"…あ", TextScript::Asian},    {"★あ", TextScript::Asian},
        {"　A", TextScript::Asian},      {"（A）", TextScript::Asian},  {"Я", TextScript::Latin},
        {"①", TextScript::Weak},         {"℃", TextScript::Weak},       {"", TextScript::Weak},
    };
    for (const auto &[text, script] : cases) EXPECT_EQ(leadingScript(QString::fromUtf8(text)), script) << text;
}

// What the format cannot hold is refused, never wrapped: a row or column
// number has 16 bits (70,006 rows from row 5 would land on the titles), a
// shared string's length too. Up to the last row and column is fine.
TEST(XlsBook, RowsColumnsAndStringsBeyondTheFormatAreRefused)
{
    auto file = CompoundFile::parse(templateBytes());
    ASSERT_TRUE(file);
    const std::string good = *file->stream(u"Workbook");
    auto serialized = [&](int firstRow, int count, int firstCol, int columns, const QString &text = QStringLiteral("x")) {
        auto book = XlsBook::parse(good);
        EXPECT_TRUE(book);
        XlsBook::Rows rows;
        rows.firstRow = firstRow;
        rows.count = count;
        rows.firstCol = firstCol;
        rows.columns = columns;
        rows.source = [text](int, std::vector<XlsCell> &cells) {
            cells.back().kind = XlsCell::Kind::Text;
            cells.back().text = text;
        };
        book->setRows(std::move(rows));
        return book->serialize();
    };

    EXPECT_EQ(serialized(4, 70006, 2, 3).kind(), FailureKind::OutsideSheet);
    EXPECT_EQ(serialized(4, kMaxRows - 4 + 1, 2, 3).kind(), FailureKind::OutsideSheet);
    EXPECT_EQ(serialized(250, 2, 250, 7).kind(), FailureKind::OutsideSheet);
    EXPECT_EQ(serialized(4, 2, -1, 3).kind(), FailureKind::OutsideSheet);
    EXPECT_EQ(serialized(4, 2, 2, 3, QString(kMaxXlsStringLength + 1, QLatin1Char('a'))).kind(), FailureKind::OutsideSheet);

    // The longest string is written (the office reads it back; FreeXL
    // stops at strings that long).
    EXPECT_TRUE(serialized(4, 2, 2, 3, QString(kMaxXlsStringLength, QChar(u'あ'))).ok());

    // The last row (65,536) and the last column (IV).
    auto full = serialized(4, kMaxRows - 4, 250, 6, QStringLiteral("最終"));
    ASSERT_TRUE(full.ok()) << qPrintable(full.failure().detail);
    *file->stream(u"Workbook") = std::move(full.value());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.xls"));
    ASSERT_TRUE(writeTo(*file, path));
    kpv::testing::XlsReader xls(path);
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ(xls.rows(), unsigned(kMaxRows));
    EXPECT_EQ(xls.text(kMaxRows, kMaxColumns), QStringLiteral("最終"));
    EXPECT_EQ(xls.text(5, kMaxColumns), QStringLiteral("最終"));
}
