// The ledger workbook, the item specification workbook and the monthly
// import against the suite's shared office.

#include "excel/compound_file.h"
#include "excel/failure.h"
#include "excel/ledger_output.h"
#include "excel/ledger_prototypes.h"
#include "excel/xls_book.h"
#include "excel/monthly_import.h"
#include "excel/spec_workbook.h"
#include "excel/import_book.h"
#include "excel/import_books.h"
#include "import/ledger_import.h"
#include "storage/list_format.h"
#include "workbook_world.h"
#include "xls_reader.h"

#include <QFileInfo>

#include <csignal>
#include <functional>

#include <sys/resource.h>

using namespace kpv;
using namespace kpv::testing;
using namespace kpv::workbooks;
using excel::Range;

namespace {

const QDate kDay(2026, 12, 9);

struct Workbooks : ::testing::Test {
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("KPV_SOFFICE_PIPE")) << "run through ctest (shared office)";
        ASSERT_TRUE(QFileInfo::exists(excel::ExcelTemplatePath(w.client))) << "the shipped template";
    }
    // Writes the ledger (or a list) and opens the stored book for reading.
    std::unique_ptr<excel::Workbook> output(const std::vector<int> *list = nullptr)
    {
        if (QFileInfo::exists(LedgerOutput::outputPath(w.data, kDay))) w.messages.answerYes(); // replace the day's book
        LedgerOutput out(w.d, *w.office);
        out.setShowResult(false);
        EXPECT_EQ(out.run(list, kDay), LedgerOutput::Outcome::Written);
        auto book = w.office->bind(LedgerOutput::outputPath(w.data, kDay));
        EXPECT_TRUE(book.ok());
        return book.ok() ? std::move(book.value()) : nullptr;
    }
    // Imports a ledger book into the empty data folder of another client.
    QByteArray importInto(const QString &bookPath)
    {
        const QString books = withSlash(w.tmp.path()) + QStringLiteral("books/");
        const QString data2 = withSlash(w.tmp.path()) + QStringLiteral("data2/");
        QDir().mkpath(books);
        QDir().mkpath(data2);
        QFile::remove(books + import::ledgerBookName());
        EXPECT_TRUE(QFile::copy(bookPath, books + import::ledgerBookName()));
        ScriptedMessages m;
        RecordingBusyPointer p;
        Dolvb d2(m, p);
        d2.clientFolder = d2.dataFolder = data2;
        d2.clientSettings.set(1, data2);
        import::LedgerImport run(d2, *w.office);
        EXPECT_EQ(run.run(books), import::LedgerImport::Result::Completed) << m.last().text.toStdString();
        importedStartMonth = d2.sharedSettings.value(9);
        return dump(data2);
    }
    QString importedStartMonth;
    QString data2() const { return withSlash(w.tmp.path()) + QStringLiteral("data2/"); }
    WorkbookWorld w;
};

std::vector<LedgerRecord> numbered(int n)
{
    std::vector<LedgerRecord> out;
    for (int i = 1; i <= n; ++i) {
        Item it{QStringLiteral("%1").arg(i, 4, 10, QChar('0')), QStringLiteral("品名%1").arg(i)};
        it.cells = {{{1, 1}, QString::number(i)}, {{1, 13}, QString::number(i)}, {{1, 14}, QStringLiteral("8")},
                    {{2, 12}, QStringLiteral("1")}, {{2, 13}, QStringLiteral("1")}};
        it.previous = QStringLiteral("1");
        it.stock = QString::number(i);
        it.proper = QString::number(i); // no warnings
        out.push_back(recordOf(it));
    }
    return out;
}

} // namespace

TEST_F(Workbooks, NarrowedListWritesExactlyItsItemsInOrderWithTheStartMonth)
{
    w.writeLedger(numbered(30));
    w.d.sharedSettings.set(15, QStringLiteral("名称")); // the name's label
    w.d.buildItemLabels();
    std::vector<int> list;
    for (int n = 2; n <= 26; n += 2) list.push_back(n); // 13 items
    list.insert(list.begin() + 3, 0);                   // an empty entry is skipped
    auto book = output(&list);
    ASSERT_TRUE(book);
    auto cells = book->firstSheet().readBlock(Range::of(1, 3, 5 + 2 * 14, 30));
    ASSERT_TRUE(cells.ok());
    EXPECT_EQ(cells->at(3, 15 - 3).text(), "2026/04"); // O4
    // Each heading stands over its own field (C item number .. G location).
    EXPECT_EQ(cells->at(2, 0).text(), QStringLiteral("在庫品No"));
    EXPECT_EQ(cells->at(2, 1).text(), QStringLiteral("名称"));
    EXPECT_EQ(cells->at(2, 4).text(), QStringLiteral("保管場所"));
    EXPECT_EQ(cells->at(3, 16 - 3).text(), "2026/04月");
    for (int i = 0; i < 13; ++i) {
        const int r = 4 + 2 * i;
        EXPECT_EQ(cells->at(r, 0).text(), QStringLiteral("%1").arg(2 * (i + 1), 4, 10, QChar('0'))) << i;
        EXPECT_EQ(cells->at(r, 1).text(), QStringLiteral("品名%1").arg(2 * (i + 1)));
        EXPECT_EQ(cells->at(r + 1, 27 - 3).text(), "1"); // issues of slot 12 in AA
    }
    EXPECT_TRUE(cells->at(4 + 26, 0).isEmpty());
    EXPECT_TRUE(cells->at(4 + 26, 1).isEmpty());
}

TEST_F(Workbooks, StockWarningsShadeBelowProperAndFrameZero)
{
    std::vector<LedgerRecord> records;
    for (auto [stock, proper] : {std::pair{"3", "5"}, {"0", "5"}, {"5", "5"}, {"", "5"}, {"0", "5"}, {"0", "5"}}) {
        Item it{QStringLiteral("W-%1").arg(records.size() + 1), QStringLiteral("品")};
        it.stock = stock;
        it.proper = proper;
        records.push_back(recordOf(it));
    }
    w.writeLedger(records);
    auto book = output();
    ASSERT_TRUE(book);
    excel::Worksheet &s = book->firstSheet();
    const int shade = excel::PatternFillColor(excel::Pattern::Gray50, 0x808080);
    auto fill = [&](int row, int col) { return s.format(row, col).value().interiorColor; };
    auto frame = [&](int item) {
        const int row = 5 + 2 * item;
        return s.borderLine(Range::of(row, 3, row + 1, 30), excel::Border::Top).value();
    };
    EXPECT_EQ(fill(5, 3), shade);
    EXPECT_EQ(fill(6, 30), shade);
    EXPECT_NE(frame(0).weight, excel::LineWeight::Thick);
    EXPECT_NE(fill(7, 3), shade);
    EXPECT_EQ(frame(1).weight, excel::LineWeight::Thick);
    EXPECT_TRUE(s.borderLine(Range::of(7, 30, 8, 30), excel::Border::Right).value().weight == excel::LineWeight::Thick);
    for (int item : {2, 3}) {
        EXPECT_EQ(fill(5 + 2 * item, 3), -1) << item;
        EXPECT_NE(frame(item).weight, excel::LineWeight::Thick) << item;
    }
    // Neighbours out of stock are framed one by one: the edge between them
    // is heavy, the line inside an item is not.
    for (int item : {4, 5}) {
        EXPECT_EQ(frame(item).weight, excel::LineWeight::Thick) << item;
        EXPECT_EQ(frame(item).color, 0x000080) << item;
        const int row = 5 + 2 * item;
        EXPECT_NE(s.borderLine(Range::of(row, 3, row + 1, 30), excel::Border::InsideHorizontal).value().weight,
                  excel::LineWeight::Thick) << item;
    }
}

// The rows put into the stored file look as the office writes them: every
// cell's value, format and lines, for each warning and each script of text.
TEST_F(Workbooks, RowsPutIntoTheStoredFileLookAsTheOfficeWritesThem)
{
    std::vector<LedgerRecord> records;
    const std::array<const char *, 3> items[] = {
        {"A-001", "六角ボルト", "3"}, {"0002", "Bolt", "0"}, {"…3", "（特）", "5"},
        {"Ｎ４", "１２", ""},          {"5", "ﾎﾞﾙﾄ", "0"},    {"-6", "-", "1"},
    };
    for (const auto &[number, name, stock] : items) {
        Item it{QString::fromUtf8(number), QString::fromUtf8(name)};
        it.stock = QString::fromUtf8(stock);
        it.proper = QStringLiteral("5");
        it.price = QStringLiteral("12.5");
        it.cells = {{{1, 2}, QStringLiteral("4")}, {{2, 2}, QStringLiteral("1")}, {{1, 14}, QStringLiteral("8")},
                    {{1, 15}, QStringLiteral("500")}};
        records.push_back(recordOf(it));
    }
    w.writeLedger(records);
    const int lastRow = 4 + 2 * int(records.size());
    auto look = [&](bool throughOffice) {
        if (QFileInfo::exists(LedgerOutput::outputPath(w.data, kDay))) w.messages.answerYes();
        LedgerOutput out(w.d, *w.office);
        out.setShowResult(false);
        out.setWriteThroughOffice(throughOffice);
        EXPECT_EQ(out.run(nullptr, kDay), LedgerOutput::Outcome::Written);
        auto book = w.office->bind(LedgerOutput::outputPath(w.data, kDay));
        QStringList cells;
        if (!book.ok()) return cells;
        excel::Worksheet &s = book.value()->firstSheet();
        auto values = s.readBlock(Range::of(1, 3, lastRow, 30));
        for (int row = 1; row <= lastRow; ++row)
            for (int col = 3; col <= 30; ++col) {
                const excel::CellFormat f = s.format(row, col).value();
                QString text = QStringLiteral("%1,%2: %3 [%4] %5 %6 %7 %8 %9/%10")
                                   .arg(row).arg(col)
                                   .arg(values->at(row - 1, col - 3).text())
                                   .arg(values->at(row - 1, col - 3).isNumber() ? "n" : "t")
                                   .arg(f.textFormat).arg(f.interiorColor).arg(f.bold).arg(f.fontSize)
                                   .arg(f.fontName, f.asianFontName);
                for (excel::Border b : {excel::Border::Left, excel::Border::Top, excel::Border::Right, excel::Border::Bottom}) {
                    const excel::BorderLine line = s.borderLine(Range::cell(row, col), b).value();
                    text += QStringLiteral(" %1:%2").arg(line.drawn).arg(line.drawn ? int(line.weight) * 1000 + line.color : 0);
                }
                cells << text;
            }
        book.value()->close();
        return cells;
    };
    const QStringList office = look(true);
    const QStringList direct = look(false);
    ASSERT_EQ(direct.size(), office.size());
    for (int i = 0; i < office.size(); ++i) EXPECT_EQ(direct[i].toStdString(), office[i].toStdString());
}

// The stored-book writer checks the office's formats of the sampled items
// before it copies them: this machine's office passes; a book whose samples
// were formatted otherwise (as a newer office might) fails, naming what.
TEST_F(Workbooks, TheOfficesSampledFormatsAreCheckedBeforeTheWriterUsesThem)
{
    using namespace import::ledger_book;
    LedgerOutput out(w.d, *w.office);
    QTemporaryDir dir;
    const QString samples = dir.filePath(QStringLiteral("samples.xls"));
    ASSERT_TRUE(out.writePrototypes(samples, 1, kDay).ok());
    auto problem = [&](const QString &path) -> std::optional<QString> {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("unreadable");
        const QByteArray bytes = f.readAll();
        auto file = excel::CompoundFile::parse(std::string_view(bytes.constData(), size_t(bytes.size())));
        std::string *stream = file ? file->stream(u"Workbook") : nullptr;
        auto book = stream ? excel::XlsBook::parse(*stream) : std::nullopt;
        if (!book) return QStringLiteral("not a book");
        return prototypeProblem(*book, 0, kLedgerFirstItemRow - 1, kFirstCol - 1, kLastCol - kFirstCol + 1, kRateCol - 1);
    };
    const auto none = problem(samples);
    EXPECT_FALSE(none) << qPrintable(none.value_or(QString()));

    auto changed = [&](const QString &name, const std::function<excel::Status(excel::Worksheet &)> &edit) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QFile::copy(samples, path));
        {
            auto book = w.office->bind(path, excel::Spreadsheet::Access::Write);
            EXPECT_TRUE(book.ok());
            if (!book.ok()) return std::optional<QString>();
            EXPECT_TRUE(edit(book.value()->firstSheet()).ok());
            EXPECT_TRUE(book.value()->storeAsXls(path).ok());
            book.value()->close();
        }
        return problem(path);
    };
    auto rowOf = [](int item) { return kLedgerFirstItemRow + item * 2; };
    const auto format = changed(QStringLiteral("format.xls"), [&](excel::Worksheet &s) {
        return s.setNumberFormat(Range::cell(rowOf(prototypeItem(0, AsianText)), kFirstCol + 1), QStringLiteral("0.00"));
    });
    ASSERT_TRUE(format);
    EXPECT_TRUE(format->contains(QStringLiteral("number format"))) << qPrintable(*format);
    const auto fill = changed(QStringLiteral("fill.xls"), [&](excel::Worksheet &s) {
        return s.setInteriorColor(Range::cell(rowOf(prototypeItem(0, LatinText)), kFirstCol + 2), 0xE0FFFF);
    });
    ASSERT_TRUE(fill);
    EXPECT_TRUE(fill->contains(QStringLiteral("fill"))) << qPrintable(*fill);
    // A text starting with a digit and going on in kana: the writer's rule
    // says Latin; an office that formats it otherwise is noticed.
    const int sample = rowOf(kWarnings * kGroup);
    ASSERT_EQ(prototypeValue(kWarnings * kGroup).text(), QStringLiteral("1あ"));
    const auto rule = changed(QStringLiteral("rule.xls"), [&](excel::Worksheet &s) {
        return s.setBold(Range::of(sample, kFirstCol, sample, kLastCol), true);
    });
    ASSERT_TRUE(rule);
    EXPECT_TRUE(rule->contains(QStringLiteral("not formatted as Latin text"))) << qPrintable(*rule);
}

TEST_F(Workbooks, OutputImportsBackIdentically)
{
    std::vector<LedgerRecord> records = numbered(12);
    Item odd{QStringLiteral("0089"), QStringLiteral("ﾎﾞﾙﾄ　M8×20")};
    odd.price = QStringLiteral("1.5");
    // Numbers stored as whole RK values, hundredths, and full doubles.
    odd.cells = {{{1, 13}, QStringLiteral("5")},    {{1, 14}, QStringLiteral("8")},
                 {{2, 7}, QStringLiteral("1E3")},   {{1, 3}, QStringLiteral("012")},
                 {{1, 4}, QStringLiteral("-3")},
                 {{1, 6}, QStringLiteral("0.07")},  {{1, 8}, QStringLiteral("12.34")},
                 {{2, 1}, QStringLiteral("-0.5")}};
    records.push_back(recordOf(odd));
    w.writeLedger(records);
    const QByteArray before = dump(w.data);
    auto book = output();
    ASSERT_TRUE(book);
    // A number in its shortest form is a number cell, any other text a text cell.
    auto cells = book->firstSheet().readBlock(Range::of(29, 3, 30, 30));
    ASSERT_TRUE(cells.ok());
    auto cell = [&](int row, int col) { return cells->at(row - 29, col - 3); };
    EXPECT_TRUE(cell(29, 3).isText());   // "0089"
    EXPECT_TRUE(cell(29, 8).isNumber()); // price 1.5
    EXPECT_TRUE(cell(29, 14).isNumber()); // total 5
    EXPECT_TRUE(cell(29, 18).isText());  // "012" in slot 3
    EXPECT_TRUE(cell(30, 22).isText());  // "1E3" in slot 7 of the issues
    EXPECT_EQ(cell(29, 21).numberValue(), 0.07);
    // A Japanese text has the font the office gives Japanese text (that of
    // the heading over it).
    excel::Worksheet &s = book->firstSheet();
    EXPECT_EQ(s.format(29, 4).value().fontName, s.format(3, 4).value().fontName);
    EXPECT_TRUE(s.format(29, 3).value().textFormat);
    book.reset();
    EXPECT_EQ(importInto(LedgerOutput::outputPath(w.data, kDay)), before);
}

TEST_F(Workbooks, FortyThousandItemsContinueOnASecondSheetAndImportBack)
{
    w.writeLedger(numbered(40000));
    const QByteArray before = dump(w.data);
    auto book = output();
    ASSERT_TRUE(book);
    ASSERT_GE(book->sheetCount().value(), 2);
    auto second = book->sheet(2);
    ASSERT_TRUE(second.ok());
    auto head = second.value()->readBlock(Range::of(4, 3, 5, 15));
    EXPECT_EQ(head->at(1, 0).text(), QStringLiteral("%1").arg(kItemsPerSheet + 1, 4, 10, QChar('0')));
    EXPECT_EQ(head->at(0, 12).text(), "2026/04");
    book->close();
    book.reset();
    // A reader of its own finds the last item of the first sheet, its name
    // deep in the shared strings.
    kpv::testing::XlsReader xls(LedgerOutput::outputPath(w.data, kDay));
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ(xls.rows(), 65536u);
    EXPECT_EQ(xls.text(65535, 3), QString::number(kItemsPerSheet));
    EXPECT_EQ(xls.text(65535, 4), QStringLiteral("品名%1").arg(kItemsPerSheet));
    EXPECT_EQ(xls.text(65536, 27), "1");
    EXPECT_EQ(importInto(LedgerOutput::outputPath(w.data, kDay)), before);
}

TEST_F(Workbooks, TheExampleLedgerComesBackThirtyOfThirtyFieldForField)
{
    ASSERT_TRUE(copyFixture(QStringLiteral("ledger30"), w.data));
    w.d.loadSharedSettings();
    w.d.buildItemLabels();
    ASSERT_TRUE(w.d.openLedger());
    ASSERT_EQ(w.d.recordCount, 30);
    auto book = output();
    ASSERT_TRUE(book);
    book.reset();
    importInto(LedgerOutput::outputPath(w.data, kDay));
    EXPECT_EQ(importedStartMonth, QStringLiteral("2025/04"));
    LedgerFile from(w.d.ledgerPath()), to(data2() + names::ledger());
    ASSERT_TRUE(from.open() && to.open());
    ASSERT_EQ(to.countRecords(), 30);
    int same = 0;
    for (int n = 1; n <= 30; ++n) {
        LedgerRecord a, b;
        ASSERT_TRUE(from.read(n, a) && to.read(n, b));
        bool all = true;
        // Every field and monthly cell the workbook carries.
        for (int f = 0; f <= 10; ++f) {
            EXPECT_EQ(b.field(f), a.field(f)) << "record " << n << " field " << f;
            all = all && b.field(f) == a.field(f);
        }
        for (int line = 1; line <= 2; ++line)
            for (int m = 1; m <= 15; ++m) {
                EXPECT_EQ(b.cell(line, m), a.cell(line, m)) << "record " << n << " cell " << line << "," << m;
                all = all && b.cell(line, m) == a.cell(line, m);
            }
        same += all;
    }
    EXPECT_EQ(same, 30);
    EXPECT_EQ(to.readOnly(), false);
}

TEST_F(Workbooks, ASecondOutputOfTheDayAsksBeforeReplacingTheBook)
{
    w.writeLedger(numbered(3));
    LedgerOutput out(w.d, *w.office);
    out.setShowResult(false);
    ASSERT_EQ(out.run(nullptr, kDay), LedgerOutput::Outcome::Written);
    EXPECT_EQ(w.messages.count(), 0);
    const QString path = LedgerOutput::outputPath(w.data, kDay);
    const QByteArray first = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    w.writeLedger(numbered(5));
    w.messages.answerNo();
    EXPECT_EQ(out.run(nullptr, kDay), LedgerOutput::Outcome::Cancelled);
    ASSERT_EQ(w.messages.count(), 1);
    EXPECT_EQ(w.messages.last().kind, RecordedMessage::Ask);
    EXPECT_EQ(w.messages.last().text, ledger_output_text::replaceQuestion(path));
    EXPECT_EQ([&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }(), first);
    w.messages.answerYes();
    EXPECT_EQ(out.run(nullptr, kDay), LedgerOutput::Outcome::Written);
    kpv::testing::XlsReader xls(path);
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ(xls.text(13, 3), QStringLiteral("0005"));
}

namespace {
// Runs f with files of this process limited to bytes (a disk that fills up).
template <class F>
auto withFileSizeLimit(rlim_t bytes, F f)
{
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
    auto result = f();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);
    return result;
}
} // namespace

TEST_F(Workbooks, AFailedFinalWriteIsToldAsSuchAndKeepsTheEarlierBook)
{
    w.writeLedger(numbered(3));
    LedgerOutput out(w.d, *w.office);
    out.setShowResult(false);
    ASSERT_EQ(out.run(nullptr, kDay), LedgerOutput::Outcome::Written);
    const QString path = LedgerOutput::outputPath(w.data, kDay);
    const QByteArray first = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    w.writeLedger(numbered(6000));
    w.messages.answerYes();
    const auto outcome = withFileSizeLimit(256 * 1024, [&] { return out.run(nullptr, kDay); });
    EXPECT_EQ(outcome, LedgerOutput::Outcome::Failed);
    const excel::FailureMessage expected = excel::MessageForFailure(excel::FailureKind::WriteFailed);
    EXPECT_EQ(w.messages.last().title, expected.title);
    EXPECT_EQ(w.messages.last().text, expected.text);
    EXPECT_NE(w.messages.last().text, excel::MessageForFailure(excel::FailureKind::InUse).text);
    EXPECT_EQ([&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }(), first);
    EXPECT_FALSE(w.pointer.busy());
}

TEST_F(Workbooks, NothingToWriteAndAMissingTemplateAreToldAndWriteNothing)
{
    LedgerOutput out(w.d, *w.office);
    out.setShowResult(false);
    EXPECT_EQ(out.run(nullptr, kDay), LedgerOutput::Outcome::NothingToWrite);
    EXPECT_EQ(w.messages.last().text, ledger_output_text::noRecord());
    w.writeLedger(numbered(2));
    QFile::remove(excel::ExcelTemplatePath(w.client));
    EXPECT_EQ(out.run(nullptr, kDay), LedgerOutput::Outcome::Failed);
    EXPECT_EQ(w.messages.last().title, "Excel出力異常");
    EXPECT_TRUE(w.messages.last().text.contains("在庫出力台帳.xls"));
    EXPECT_FALSE(QFileInfo::exists(LedgerOutput::outputPath(w.data, kDay)));
    EXPECT_FALSE(w.pointer.busy());
}

TEST_F(Workbooks, SpecificationBookIsReusedKeepingTheUsersCells)
{
    w.writeLedger(numbered(3));
    SpecCard card{QStringLiteral("0002"),
                  {QStringLiteral("品名"), QStringLiteral("仕様"), QStringLiteral("メーカー"), QStringLiteral("保管場所"),
                   QStringLiteral("単価")},
                  {QStringLiteral("品名2"), QStringLiteral("仕様0002"), QStringLiteral("メーカー"), QStringLiteral("棚A"),
                   QStringLiteral("100")}};
    RecordingProgress progress;
    SpecWorkbook spec(w.d, *w.office, &progress);
    spec.setShowResult(false);
    ASSERT_EQ(spec.run(2, card), SpecWorkbook::Outcome::Written) << w.messages.last().text.toStdString();
    const QString path = specWorkbookPath(w.data, QStringLiteral("0002"));
    {
        auto book = w.office->bind(path, excel::Spreadsheet::Access::Write);
        ASSERT_TRUE(book.ok());
        ASSERT_TRUE(book.value()->firstSheet().setCell(8, 4, excel::CellValue("耐熱200℃")).ok());
        ASSERT_TRUE(book.value()->storeAsXls(path).ok());
    }
    card.values[4] = QStringLiteral("1,250");
    ASSERT_EQ(spec.run(2, card), SpecWorkbook::Outcome::Written);
    auto book = w.office->bind(path);
    ASSERT_TRUE(book.ok());
    excel::Worksheet &s = book.value()->firstSheet();
    auto cells = s.readBlock(Range::of(2, 2, 11, 5));
    EXPECT_EQ(cells->at(0, 0).text(), "在庫品仕様");
    EXPECT_EQ(cells->at(2, 1).text(), "0002");
    EXPECT_EQ(cells->at(6, 2).text(), "耐熱200℃"); // D8
    EXPECT_EQ(cells->at(9, 1).text(), "1,250");     // C11
    EXPECT_EQ(cells->at(9, 0).text(), "単価");      // B11
    EXPECT_EQ(s.format(6, 4).value().interiorColor, 16777184);
    EXPECT_TRUE(s.hasBorder(Range::of(6, 2, 37, 5), excel::Border::InsideHorizontal).value());
    EXPECT_NEAR(s.rowHeight(20).value(), 20, 0.05);
    EXPECT_EQ(progress.steps.front(), spec_text::writingStep());
    EXPECT_TRUE(progress.steps.contains(spec_text::storingStep()));
}

TEST_F(Workbooks, SpecificationBookRefusesUnregisteredItemsAndItemNumbersThatAreNoFileName)
{
    w.writeLedger(numbered(3));
    SpecWorkbook spec(w.d, *w.office);
    spec.setShowResult(false);
    SpecCard card;
    card.itemNumber = QStringLiteral("0004");
    EXPECT_EQ(spec.run(4, card), SpecWorkbook::Outcome::NotRegistered);
    EXPECT_EQ(w.messages.last().text, spec_text::notRegistered());
    for (const char *bad : {"../x", "a/b", "a\\b", "..", "x:y", "a*", "tab\t", "end."}) {
        card.itemNumber = QString::fromUtf8(bad);
        EXPECT_EQ(spec.run(1, card), SpecWorkbook::Outcome::Refused) << bad;
    }
    EXPECT_EQ(QDir(w.data + names::materialsFolder()).entryList(QDir::Files), QStringList());
    EXPECT_FALSE(QFileInfo::exists(w.data + QStringLiteral("x.xls")));
    EXPECT_FALSE(itemNumberFileProblem(QStringLiteral("A-1 ﾎﾞﾙﾄ")).has_value());
}

// ---- Monthly import -------------------------------------------------------

namespace {

struct Monthly : Workbooks {
    // Daily book rows from row 4: {month, item, receipts, issues} per pair;
    // then (finish) anything else done to the sheet.
    void dailyBook(const std::vector<std::array<QString, 4>> &pairs,
                   const std::function<void(excel::Worksheet &)> &finish = {})
    {
        auto book = w.office->createNew();
        ASSERT_TRUE(book.ok());
        excel::Worksheet &s = book.value()->firstSheet();
        ASSERT_TRUE(s.setTextFormatAllCells().ok());
        excel::Block b(int(pairs.size()) * 2, 6); // B..G
        for (size_t i = 0; i < pairs.size(); ++i) {
            b.at(int(i) * 2, 0) = excel::CellValue(pairs[i][0]);
            b.at(int(i) * 2, 1) = excel::CellValue(pairs[i][1]);
            b.at(int(i) * 2, 5) = excel::CellValue(pairs[i][2]);
            b.at(int(i) * 2 + 1, 5) = excel::CellValue(pairs[i][3]);
        }
        ASSERT_TRUE(s.writeBlock(4, 2, b).ok());
        if (finish) finish(s);
        ASSERT_TRUE(book.value()->storeAsXls(dailyBookPath(w.data)).ok());
        ASSERT_TRUE(book.value()->close().ok());
    }
};

} // namespace

TEST_F(Monthly, TransfersTotalsByMonthSlotAndStopsAtAnUnknownItem)
{
    Item a1{QStringLiteral("A-1"), QStringLiteral("品")};
    a1.previous = QStringLiteral("10");
    a1.price = QStringLiteral("100");
    a1.cells = {{{1, 14}, QStringLiteral("24")}, {{2, 14}, QStringLiteral("6")}};
    Item a2{QStringLiteral("A-2"), QStringLiteral("品")};
    a2.previous = QStringLiteral("5");
    a2.cells = {{{1, 2}, QStringLiteral("4")}, {{1, 13}, QStringLiteral("4")}, {{1, 15}, QStringLiteral("777")}};
    Item a3{QStringLiteral("A-3"), QStringLiteral("品")};
    a3.previous = QStringLiteral("0");
    a3.stock = QStringLiteral("0");
    std::vector<LedgerRecord> records{recordOf(a1), recordOf(a2), recordOf(a3)};
    records[1].setCell(1, 15, QStringLiteral("777")); // a rate with no plan stays
    w.writeLedger(records);
    const LedgerRecord a3Before = w.record(3);
    dailyBook({
        {QStringLiteral("2026/04"), QStringLiteral("A-1"), QStringLiteral("12"), QStringLiteral("3")},    // row 4
        {QStringLiteral("2026/05"), QStringLiteral("A-2"), QStringLiteral("0"), QStringLiteral("2")},     // row 6
        {QStringLiteral("2026/04/01"), QStringLiteral("A-1"), QStringLiteral("9"), QStringLiteral("9")},  // row 8
        {QStringLiteral("2026/04"), QStringLiteral("A-3"), QStringLiteral("5"), QStringLiteral("8")},     // row 10
        {QStringLiteral("2026/06"), QString(), QStringLiteral("5"), QString()},                           // row 12
        {QStringLiteral("2026/04"), QStringLiteral("NONE"), QStringLiteral("1"), QStringLiteral("1")},    // row 14
        {QStringLiteral("2026/07"), QStringLiteral("A-1"), QStringLiteral("99"), QStringLiteral("1")},    // row 16
    });
    RecordingProgress progress;
    MonthlyImport run(w.d, *w.office, &progress);
    EXPECT_EQ(run.run(), MonthlyImport::Outcome::Completed);

    const LedgerRecord r1 = w.record(1);
    EXPECT_EQ(r1.cell(1, 1), "12");
    EXPECT_EQ(r1.cell(2, 1), "3");
    EXPECT_EQ(r1.cell(1, 13), "12");
    EXPECT_EQ(r1.cell(2, 13), "3");
    EXPECT_EQ(r1.field(10), "19");
    EXPECT_EQ(r1.rawField(6).left(5), " 1900");
    EXPECT_EQ(r1.cell(1, 15), "500");
    EXPECT_EQ(r1.cell(2, 15), "500");
    EXPECT_EQ(r1.cell(1, 4), "");     // the month of row 16 was not read
    const LedgerRecord r2 = w.record(2);
    EXPECT_EQ(r2.cell(1, 2), "");     // G6 = 0 clears the receipts of May
    EXPECT_EQ(r2.cell(2, 2), "2");
    EXPECT_EQ(r2.field(10), "3");
    EXPECT_EQ(r2.cell(1, 15), "");    // no plan: no rate (the card's rule), not the old 777
    EXPECT_EQ(w.record(3), a3Before); // year end 0 + 5 - 8 < 0: unchanged

    EXPECT_EQ(run.report().imported, 2);
    EXPECT_EQ(run.report().skipped, 3);
    EXPECT_EQ(run.report().stoppedAtRow, 14);
    ASSERT_GE(w.messages.count(), 1);
    EXPECT_EQ(w.messages.last().title, "確認");
    EXPECT_TRUE(w.messages.last().text.startsWith(monthly_text::done() + "\r"));
    EXPECT_TRUE(w.messages.last().text.contains("14"));
    EXPECT_EQ(progress.steps, QStringList({monthly_text::readingStep(), monthly_text::transferStep()}));
    EXPECT_FALSE(w.pointer.busy());
}

TEST_F(Monthly, AMissingOrBrokenDailyBookIsRefusedNamingItAndChangesNothing)
{
    w.writeLedger(numbered(2));
    const QByteArray before = dump(w.data);
    const QString path = dailyBookPath(w.data);
    MonthlyImport run(w.d, *w.office);
    EXPECT_EQ(run.run(), MonthlyImport::Outcome::Refused);
    EXPECT_EQ(w.messages.last().text, import::refusalText(path, QStringLiteral("ファイルがありません。")));
    for (const QByteArray &bytes : {QByteArray("2026/04,0001,,,,12\n"), QByteArray(), QByteArray(4096, '\x07')}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        EXPECT_EQ(run.run(), MonthlyImport::Outcome::Refused);
        EXPECT_EQ(w.messages.last().title, "インポート確認");
        EXPECT_TRUE(w.messages.last().text.startsWith(path + "\r　")) << w.messages.last().text.toStdString();
        EXPECT_EQ(dump(w.data), before);
    }
    // A workbook with no pair at all.
    dailyBook({});
    EXPECT_EQ(run.run(), MonthlyImport::Outcome::Refused);
    EXPECT_TRUE(w.messages.last().text.contains("入出庫"));
    for (const auto &m : w.messages.log()) EXPECT_FALSE(m.text.contains("完了")) << m.text.toStdString();
    EXPECT_EQ(dump(w.data), before);
}

TEST_F(Monthly, ItemNumbersAsShownAndTotalsTooLongOrNumbersRefusedAreSkippedAndNamed)
{
    Item zero{QStringLiteral("000123"), QStringLiteral("品")};
    zero.previous = QStringLiteral("10");
    Item big{QStringLiteral("B-1"), QStringLiteral("品")};
    big.previous = QStringLiteral("10");
    w.writeLedger({recordOf(zero), recordOf(big)});
    const LedgerRecord bigBefore = w.record(2);
    dailyBook({
                  {QStringLiteral("2026/04"), QString(), QStringLiteral("5"), QStringLiteral("1")},        // row 4: C4 below
                  {QStringLiteral("2026/04"), QStringLiteral("B-1"), QStringLiteral("12345678"), QStringLiteral("1")}, // row 6
                  {QStringLiteral("2026/05"), QStringLiteral("B-1"), QStringLiteral("2"), QStringLiteral("99999999")}, // row 8
                  {QStringLiteral("2026/05"), QStringLiteral("A/1"), QStringLiteral("2"), QStringLiteral("1")},        // row 10
              },
              [](excel::Worksheet &s) {
                  // The item number typed as a number, shown with six digits.
                  ASSERT_TRUE(s.setCell(4, 3, excel::CellValue::number(123)).ok());
                  ASSERT_TRUE(s.setNumberFormat(Range::cell(4, 3), QStringLiteral("000000")).ok());
              });
    MonthlyImport run(w.d, *w.office);
    ASSERT_EQ(run.run(), MonthlyImport::Outcome::Completed) << w.messages.last().text.toStdString();
    const LedgerRecord r1 = w.record(1);
    EXPECT_EQ(r1.cell(1, 1), "5");
    EXPECT_EQ(r1.cell(2, 1), "1");
    EXPECT_EQ(r1.field(10), "14");
    EXPECT_EQ(w.record(2), bigBefore) << "a total is never cut";
    EXPECT_EQ(run.report().imported, 1);
    EXPECT_EQ(run.report().skipped, 3);
    const QString text = w.messages.last().text;
    EXPECT_TRUE(text.contains("\r　6 行目：月合計「12345678」が7桁を超えています。取り込んでいません。")) << text.toStdString();
    EXPECT_TRUE(text.contains("\r　8 行目：月合計「99999999」が7桁を超えています。")) << text.toStdString();
    EXPECT_TRUE(text.contains("\r　10 行目：在庫品番号の文字「/」はファイル名に使えません。")) << text.toStdString();
}

TEST(MonthSlots, FirstSevenCharactersOfTheHeadingMatchTheWholeMonthText)
{
    const QStringList h = ledger::monthHeadings(QStringLiteral("2025/11"));
    EXPECT_EQ(monthSlot(h, QStringLiteral("2025/11")), 1);
    EXPECT_EQ(monthSlot(h, QStringLiteral(" 2026/01 ")), 3);
    EXPECT_EQ(monthSlot(h, QStringLiteral("2026/10")), 12);
    EXPECT_EQ(monthSlot(h, QStringLiteral("2026/11")), 0);
    EXPECT_EQ(monthSlot(h, QStringLiteral("2026/1")), 0);
    EXPECT_EQ(monthSlot(h, QStringLiteral("2025/11/01")), 0);
    EXPECT_EQ(monthSlot(h, QString()), 0);
}
