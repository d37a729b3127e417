// The shipped workbooks have the cells their readers expect.

#include "excel/create_from_template.h"
#include "excel/libreoffice.h"
#include "excel/shipped_books.h"
#include "xls_reader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace kpv::excel;
using kpv::testing::XlsReader;

namespace {
QString appDir()
{
    return qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/');
}
} // namespace

TEST(ShippedBooks, AreRealExcel97Books)
{
    for (const char *name : {kExcelTemplate, kLedgerImportBook, kWordListImportBook, kDailyBook}) {
        const QString p = appDir() + QString::fromUtf8(name);
        XlsReader xls(p);
        ASSERT_TRUE(xls.ok()) << name;
        EXPECT_EQ(xls.biffVersion(), 8) << name;
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.read(8), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) << name;
    }
    XlsReader blank(appDir() + QString::fromUtf8(kExcelTemplate));
    EXPECT_TRUE(blank.text(1, 1).isEmpty());
}

TEST(ShippedBooks, LedgerImportBookLayout)
{
    XlsReader xls(appDir() + QString::fromUtf8(kLedgerImportBook));
    ASSERT_TRUE(xls.ok());
    // Headings in row 4 over the columns the import reads; O4 is the start month
    // (left empty for the user), row 5 on is empty: D5 empty ends the import at once.
    EXPECT_EQ(xls.text(4, 3), QStringLiteral("在庫品番号"));
    EXPECT_EQ(xls.text(4, 4), QStringLiteral("品名"));
    EXPECT_EQ(xls.text(4, 13), QStringLiteral("在庫数量"));
    EXPECT_EQ(xls.text(4, 14), QStringLiteral("入出庫計"));
    EXPECT_EQ(xls.text(4, 16), QStringLiteral("1月目"));
    EXPECT_EQ(xls.text(4, 27), QStringLiteral("12月目"));
    EXPECT_EQ(xls.text(4, 28), QStringLiteral("予定数量"));
    EXPECT_EQ(xls.text(4, 30), QStringLiteral("使用開始"));
    EXPECT_EQ(xls.text(3, 15), QStringLiteral("管理開始年月"));
    EXPECT_TRUE(xls.text(4, 15).isEmpty());
    EXPECT_TRUE(xls.text(5, 4).isEmpty());
    EXPECT_FALSE(xls.text(1, 2).isEmpty());
}

TEST(ShippedBooks, WordListImportBookLayout)
{
    XlsReader xls(appDir() + QString::fromUtf8(kWordListImportBook));
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ(xls.text(3, 2), QStringLiteral("在庫品リストBox項目"));
    const char *titles[] = {"品名", "仕様", "メーカー", "保管場所", "単位"};
    for (int c = 2; c <= 6; ++c) {
        EXPECT_EQ(xls.text(4, c), QString::fromUtf8(titles[c - 2]));
        EXPECT_TRUE(xls.text(5, c).isEmpty()); // every list starts empty
    }
}

TEST(ShippedBooks, DailyBookTotalsFollowTheDays)
{
    const QString shipped = appDir() + QString::fromUtf8(kDailyBook);
    XlsReader xls(shipped);
    ASSERT_TRUE(xls.ok());
    EXPECT_EQ(xls.text(3, 2), QStringLiteral("年月"));
    EXPECT_EQ(xls.text(3, 3), QStringLiteral("在庫品番号"));
    EXPECT_EQ(xls.text(3, 7), QStringLiteral("月合計"));
    EXPECT_EQ(xls.text(3, 8), QStringLiteral("1日"));
    EXPECT_EQ(xls.text(3, 38), QStringLiteral("31日"));
    // B4 and C4 empty: the monthly import finds an empty list.
    EXPECT_TRUE(xls.text(4, 2).isEmpty());
    EXPECT_TRUE(xls.text(4, 3).isEmpty());

    // A copy in a data folder, filled in as a user would.
    QTemporaryDir dir;
    const QString book = dir.path() + QStringLiteral("/Mb入出庫月報.xls");
    ASSERT_TRUE(QFile::copy(shipped, book));
    QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    LibreOffice office;
    auto wb = office.bind(book, Spreadsheet::Access::Write);
    ASSERT_TRUE(wb.ok()) << wb.failure().detail.toStdString();
    Worksheet &s = wb.value()->firstSheet();
    EXPECT_EQ(s.formula(4, 7).value(), QStringLiteral("=SUM(H4:AL4)"));
    EXPECT_EQ(s.formula(5, 7).value(), QStringLiteral("=SUM(H5:AL5)"));
    const int lastRow = daily_columns::FirstRow + 2 * daily_columns::Pairs - 1;
    EXPECT_EQ(s.formula(lastRow, 7).value(), QStringLiteral("=SUM(H%1:AL%1)").arg(lastRow));
    EXPECT_TRUE(s.format(4, 2).value().textFormat);
    EXPECT_TRUE(s.format(4, 3).value().textFormat);

    ASSERT_TRUE(s.setCell(4, 2, QStringLiteral("2025/04")));
    ASSERT_TRUE(s.setCell(4, 3, QStringLiteral("0089")));
    Block days(2, 31);
    days.at(0, 0) = CellValue::number(5);
    days.at(0, 30) = CellValue::number(7);
    days.at(1, 14) = CellValue::number(3);
    ASSERT_TRUE(s.writeBlock(4, 8, days));
    auto totals = s.readBlock(Range::of(4, 2, 7, 7));
    ASSERT_TRUE(totals.ok());
    EXPECT_EQ(totals->at(0, 0).text(), QStringLiteral("2025/04"));
    EXPECT_EQ(totals->at(0, 1).text(), QStringLiteral("0089"));
    EXPECT_EQ(totals->at(0, 5).text(), QStringLiteral("12"));
    EXPECT_EQ(totals->at(1, 5).text(), QStringLiteral("3"));
    EXPECT_EQ(totals->at(2, 5).text(), QStringLiteral("0")); // an unused pair totals 0: read as empty
    ASSERT_TRUE(wb.value()->close());
}
