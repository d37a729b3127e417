// What a file offered as a workbook is, from its bytes: the shipped books
// are workbooks; empty, text, HTML, random, zip and truncated files are not,
// each with the reason the user is told.

#include "excel/shipped_books.h"
#include "excel/xls_file_check.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace kpv::excel;
using V = XlsFileCheck::Verdict;

namespace {

QByteArray shipped(const char *relative)
{
    QFile f(qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/') + QString::fromUtf8(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

XlsFileCheck check(const QByteArray &bytes)
{
    return CheckXlsBytes(std::string_view(bytes.constData(), size_t(bytes.size())));
}

} // namespace

TEST(XlsFileCheck, TheShippedBooksAreWorkbooksWithoutMergedCells)
{
    for (const char *book : {kLedgerImportBook, kWordListImportBook, kDailyBook}) {
        const QByteArray bytes = shipped(book);
        ASSERT_FALSE(bytes.isEmpty()) << book;
        const XlsFileCheck c = check(bytes);
        EXPECT_TRUE(c.ok()) << book << ": " << c.detail.toStdString();
        EXPECT_TRUE(c.merged.empty()) << book;
        EXPECT_FALSE(c.firstSheetName.isEmpty()) << book;
        EXPECT_TRUE(c.reason().isEmpty());
    }
}

TEST(XlsFileCheck, WhatIsNoWorkbookIsToldForWhatItIs)
{
    const QByteArray book = shipped(kLedgerImportBook);
    ASSERT_GT(book.size(), 4096);
    QByteArray random(5000, '\0');
    for (char &c : random) c = char(QRandomGenerator::global()->bounded(256));
    random[0] = 'x'; // not by chance a compound file's signature
    const struct {
        const char *name;
        QByteArray bytes;
        V verdict;
    } cases[] = {
        {"empty", QByteArray(), V::Empty},
        {"text", QByteArray("品名,仕様\r\nボルト,M8\r\n"), V::NotWorkbook},
        {"html", QByteArray("<html><body><table><tr><td>A-1</td></tr></table></body></html>"), V::NotWorkbook},
        {"random", random, V::NotWorkbook},
        {"zip package", QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) + QByteArray(600, 'z'), V::NewerFormat},
        {"half a book", book.left(book.size() / 2), V::Damaged},
        {"a book short of its last bytes", book.left(book.size() - 700), V::Damaged},
        {"only the header", book.left(512), V::Damaged},
    };
    for (const auto &c : cases) {
        const XlsFileCheck r = check(c.bytes);
        EXPECT_EQ(int(r.verdict), int(c.verdict)) << c.name << ": " << r.detail.toStdString();
        EXPECT_FALSE(r.reason().isEmpty()) << c.name;
    }
    QTemporaryDir dir;
    const XlsFileCheck missing = CheckXlsFile(dir.filePath(QStringLiteral("none.xls")));
    EXPECT_EQ(int(missing.verdict), int(V::Missing));
    EXPECT_EQ(missing.reason(), QStringLiteral("ファイルがありません。"));
}

TEST(XlsFileCheck, OnlyTheExcel97FiltersCount)
{
    EXPECT_TRUE(IsXlsFilter(QStringLiteral("MS Excel 97")));
    EXPECT_FALSE(IsXlsFilter(QStringLiteral("Text - txt - csv (StarCalc)")));
    EXPECT_FALSE(IsXlsFilter(QStringLiteral("Calc MS Excel 2007 XML")));
    EXPECT_FALSE(IsXlsFilter(QString()));
}
