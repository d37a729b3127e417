// The word-list workbook against the shared headless office: the cells, the
// fill and the lines, and the failure when the template is missing.
#include "excel/create_from_template.h"
#include "excel/libreoffice.h"
#include "settings/pick_list_workbook.h"
#include "settings_world.h"
#include "xls_reader.h"

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::excel;
using namespace kpv::settings;
using kpv::testing::SettingsWorld;

namespace {
const QDate kToday(2026, 4, 15);

struct Book : SettingsWorld {
    Book()
    {
        QDir().mkpath(client + names::ledgerBooksFolder());
        // List 2: a, (empty), c; list 3 starts empty; list 6 a single word.
        d.pickListTable.clear();
        d.pickListTable.setWord(1, 2, QStringLiteral(" a "));
        d.pickListTable.setWord(3, 2, QStringLiteral("c"));
        d.pickListTable.setWord(2, 3, QStringLiteral("hidden"));
        for (int j = 1; j <= 4; ++j) d.pickListTable.setWord(j, 4, QStringLiteral("w%1").arg(j));
        d.pickListTable.setWord(1, 6, QStringLiteral("個"));
        d.sharedSettings.set(5, QStringLiteral("7")); // N = 7 (others 5)
    }
};
} // namespace

TEST(PickListWorkbook, PathAndCellMap)
{
    EXPECT_EQ(pickListBookPath(QStringLiteral("/d/"), kToday), QStringLiteral("/d/M在庫台帳/在庫品項目2026年04月.xls"));
    Book w;
    EXPECT_EQ(largestCount(w.d), 7);
    const Block b = pickListCells(w.d);
    ASSERT_EQ(b.rows(), 6); // B3, titles, the four words of list 4
    ASSERT_EQ(b.columns(), 5);
    EXPECT_EQ(b.at(0, 0).text(), QStringLiteral("在庫品リストBox項目"));
    EXPECT_EQ(b.at(1, 0).text(), QStringLiteral("品名"));
    EXPECT_EQ(b.at(1, 4).text(), QStringLiteral("単位"));
    EXPECT_EQ(b.at(2, 0).text(), QStringLiteral("a"));
    EXPECT_TRUE(b.at(3, 0).isEmpty() && b.at(4, 0).isEmpty()); // stops at the empty entry
    EXPECT_TRUE(b.at(2, 1).isEmpty());                          // a list that starts empty
    EXPECT_EQ(b.at(5, 2).text(), QStringLiteral("w4"));
    EXPECT_EQ(b.at(2, 4).text(), QStringLiteral("個"));
}

class OfficeBook : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("KPV_SOFFICE_PIPE")) << "run through ctest (shared office)";
        m_office = std::make_unique<LibreOffice>();
    }
    void TearDown() override
    {
        if (m_book) m_book->close();
        m_book.reset();
        m_office.reset();
    }
    std::unique_ptr<LibreOffice> m_office;
    std::unique_ptr<Workbook> m_book;
};

TEST_F(OfficeBook, WritesTheListsAndLinesAndLeavesTheBookOpen)
{
    Book w;
    QDir().mkpath(w.client + names::templatesFolder());
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/') + QString::fromUtf8(kExcelTemplate),
                            ExcelTemplatePath(w.client)));
    const Status s = writePickListWorkbook(*m_office, w.d, kToday);
    ASSERT_TRUE(s.ok()) << s.failure().detail.toStdString();
    const QString path = pickListBookPath(w.d.dataFolder, kToday);
    ASSERT_TRUE(m_office->isOpen(path));
    auto bound = m_office->bind(path);
    ASSERT_TRUE(bound.ok());
    m_book = std::move(bound.value());
    Worksheet &sheet = m_book->firstSheet();
    auto cells = sheet.readBlock(Range::of(3, 1, 12, 7));
    ASSERT_TRUE(cells.ok());
    const Block &b = cells.value();
    EXPECT_EQ(b.at(0, 1).text(), QStringLiteral("在庫品リストBox項目"));
    EXPECT_EQ(b.at(1, 1).text(), QStringLiteral("品名"));
    EXPECT_EQ(b.at(2, 1).text(), QStringLiteral("a"));
    EXPECT_TRUE(b.at(4, 1).isEmpty());
    EXPECT_EQ(b.at(5, 3).text(), QStringLiteral("w4"));
    for (int r = 0; r < b.rows(); ++r) {
        EXPECT_TRUE(b.at(r, 0).isEmpty());
        EXPECT_TRUE(b.at(r, 6).isEmpty());
    }
    auto title = sheet.format(4, 2);
    ASSERT_TRUE(title.ok());
    EXPECT_EQ(title.value().interiorColor, kPickBookFill);
    EXPECT_TRUE(title.value().textFormat);
    // Lines over B4:F11 (N = 7), none below.
    for (Border e : {Border::Left, Border::Top, Border::Bottom, Border::Right, Border::InsideVertical, Border::InsideHorizontal}) {
        auto has = sheet.hasBorder(Range::of(4, 2, 11, 6), e);
        ASSERT_TRUE(has.ok());
        EXPECT_TRUE(has.value()) << int(e);
    }
    auto below = sheet.hasBorder(Range::of(12, 2, 12, 6), Border::Bottom);
    ASSERT_TRUE(below.ok());
    EXPECT_FALSE(below.value());
    auto widthB = sheet.columnWidth(2);
    ASSERT_TRUE(widthB.ok());
    EXPECT_NEAR(widthB.value(), 20, 0.6);
}

TEST_F(OfficeBook, AMissingTemplateIsAFailureAndWritesNothing)
{
    Book w;
    QDir().mkpath(w.client + names::templatesFolder());
    const Status s = writePickListWorkbook(*m_office, w.d, kToday);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.kind(), FailureKind::TemplateMissing);
    EXPECT_FALSE(QFileInfo::exists(pickListBookPath(w.d.dataFolder, kToday)));
}

TEST_F(OfficeBook, TheBookIsStoredBeforeItIsShownAndAnEarlierOneIsReplacedOnlyOnYes)
{
    Book w;
    QDir().mkpath(w.client + names::templatesFolder());
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/') + QString::fromUtf8(kExcelTemplate),
                            ExcelTemplatePath(w.client)));
    const QString path = pickListBookPath(w.d.dataFolder, kToday);
    ASSERT_EQ(outputPickListWorkbook(m_office.get(), w.d, kToday, false), PickBookOutcome::Written);
    EXPECT_EQ(w.messages.count(), 0);
    EXPECT_FALSE(m_office->isOpen(path));
    {
        // The words are in the file, as a reader of its own finds them.
        kpv::testing::XlsReader xls(path);
        ASSERT_TRUE(xls.ok());
        EXPECT_EQ(xls.text(3, 2), QStringLiteral("在庫品リストBox項目"));
        EXPECT_EQ(xls.text(4, 2), QStringLiteral("品名"));
        EXPECT_EQ(xls.text(5, 2), QStringLiteral("a"));
        EXPECT_EQ(xls.text(8, 4), QStringLiteral("w4"));
        EXPECT_EQ(xls.text(5, 6), QStringLiteral("個"));
    }
    const QByteArray first = kpv::testing::fileBytes(path);
    w.d.pickListTable.setWord(1, 2, QStringLiteral("changed"));
    w.messages.answerNo();
    EXPECT_EQ(outputPickListWorkbook(m_office.get(), w.d, kToday, false), PickBookOutcome::Cancelled);
    EXPECT_TRUE(w.messages.last().text.startsWith(path + QStringLiteral("\r　この月の項目Excelが既にあります。")));
    EXPECT_EQ(kpv::testing::fileBytes(path), first);
    w.messages.answerYes();
    EXPECT_EQ(outputPickListWorkbook(m_office.get(), w.d, kToday, false), PickBookOutcome::Written);
    kpv::testing::XlsReader xls(path);
    EXPECT_EQ(xls.text(5, 2), QStringLiteral("changed"));
    // No office: told as its failure, the book stays.
    w.messages.answerYes();
    EXPECT_EQ(outputPickListWorkbook(nullptr, w.d, kToday, false), PickBookOutcome::Failed);
    EXPECT_EQ(w.messages.last().title, QStringLiteral("Excel出力異常"));
}
