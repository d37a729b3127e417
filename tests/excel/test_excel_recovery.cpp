// Offices of their own, taken down on purpose: a crash, a kill in the middle
// of a block write, a hung office, a book the user closed. The call fails with
// ApplicationFailed, the program goes on, and the next bind works; an office
// that still answers is never ended.

#include "excel/libreoffice.h"
#include "excel/process_proof.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

#include <signal.h>
#include <unistd.h>

using namespace kpv::excel;

namespace {

class Offices : public ::testing::Test {
protected:
    LibreOfficeOptions options(int callTimeoutMs = 300000)
    {
        LibreOfficeOptions o;
        o.headless = true;
        o.workFolder = m_dir.path();
        o.callTimeoutMs = callTimeoutMs;
        return o;
    }
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    static bool running(long long pid) { return pid > 1 && proc::groupRunning(pid_t(pid)); }

    QTemporaryDir m_dir;
};

Block japaneseTable(int rows, int columns)
{
    Block b(rows, columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) b.at(r, c) = CellValue(QStringLiteral("予備品%1の%2").arg(r).arg(c));
    return b;
}

} // namespace

TEST_F(Offices, AClosedBookDoesNotTakeTheOfficeDown)
{
    LibreOffice office(options());
    auto users = office.createNew();
    ASSERT_TRUE(users.ok());
    ASSERT_TRUE(users.value()->firstSheet().setCell(3, 3, QStringLiteral("未保存の記入")));
    const QString file = path(QStringLiteral("在庫品仕様.xls"));
    {
        auto b = office.createNew();
        ASSERT_TRUE(b.ok());
        ASSERT_TRUE(b.value()->storeAsXls(file));
    }
    auto writing = office.bind(file, Spreadsheet::Access::Write);
    ASSERT_TRUE(writing.ok());
    const long long pid = office.processId();
    // The user closes the book while the program writes to it.
    {
        auto userView = office.bind(file);
        ASSERT_TRUE(userView.ok());
        ASSERT_TRUE(userView.value()->close());
    }
    Status s = writing.value()->firstSheet().setCell(1, 1, QStringLiteral("x"));
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(office.processId(), pid);
    EXPECT_TRUE(running(pid));
    // The user's other book, unsaved edit included, is untouched.
    EXPECT_EQ(users.value()->firstSheet().cell(3, 3).value().text(), QStringLiteral("未保存の記入"));
    auto again = office.bind(file, Spreadsheet::Access::Write);
    ASSERT_TRUE(again.ok()) << again.failure().detail.toStdString();
    EXPECT_EQ(office.processId(), pid);
    again.value()->close();
    users.value()->close();
}

TEST_F(Offices, KilledInTheMiddleOfABlockWriteTheCallFailsAndTheProgramGoesOn)
{
    long long first = 0, second = 0;
    {
        LibreOffice office(options());
        const QString file = path(QStringLiteral("在庫品台帳.xls"));
        {
            auto b = office.createNew();
            ASSERT_TRUE(b.ok()) << b.failure().detail.toStdString();
            ASSERT_TRUE(b.value()->storeAsXls(file));
            ASSERT_TRUE(b.value()->close());
        }
        auto book = office.bind(file, Spreadsheet::Access::Write); // locks the file
        ASSERT_TRUE(book.ok());
        first = office.processId();
        const Block table = japaneseTable(60000, 30);
        std::thread killer([first] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            ::kill(-pid_t(first), SIGKILL);
        });
        Status s = book.value()->firstSheet().writeBlock(1, 1, table);
        killer.join();
        ASSERT_FALSE(s.ok()) << "the write ended before the kill: make the table larger";
        EXPECT_EQ(s.kind(), FailureKind::ApplicationFailed);
        // The dead book stays dead; it never hangs or crashes.
        EXPECT_EQ(book.value()->firstSheet().cell(1, 1).kind(), FailureKind::ApplicationFailed);
        EXPECT_FALSE(book.value()->setScreenUpdating(false).ok());

        // The dead office's lock on the book is recognised: a new office binds it for writing.
        auto again = office.bind(file, Spreadsheet::Access::Write);
        ASSERT_TRUE(again.ok()) << again.failure().detail.toStdString();
        second = office.processId();
        EXPECT_NE(second, first);
        ASSERT_TRUE(again.value()->firstSheet().setCell(2, 2, CellValue::number(7)).ok());
        EXPECT_EQ(again.value()->firstSheet().cell(2, 2).value().text(), QStringLiteral("7"));
        again.value()->close();
    }
    // The office started here ends with the object.
    EXPECT_FALSE(running(second));
    EXPECT_FALSE(running(first));
}

TEST_F(Offices, AHungOfficeFailsTheCallWithinTheDeadline)
{
    constexpr int kDeadlineMs = 3000;
    LibreOffice office(options(kDeadlineMs));
    auto book = office.createNew();
    ASSERT_TRUE(book.ok());
    const long long first = office.processId();
    ASSERT_EQ(::kill(-pid_t(first), SIGSTOP), 0);
    const auto t0 = std::chrono::steady_clock::now();
    Status s = book.value()->firstSheet().setCell(1, 1, QStringLiteral("x"));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(s.kind(), FailureKind::ApplicationFailed);
    EXPECT_GE(ms, kDeadlineMs - 100);
    EXPECT_LT(ms, kDeadlineMs + 5000);
    for (int i = 0; i < 100 && running(first); ++i) usleep(50000);
    EXPECT_FALSE(running(first)) << "the hung office is ended";
    if (running(first)) ::kill(-pid_t(first), SIGKILL);

    auto again = office.createNew();
    ASSERT_TRUE(again.ok()) << again.failure().detail.toStdString();
    EXPECT_NE(office.processId(), first);
    EXPECT_TRUE(again.value()->firstSheet().setCell(1, 1, QStringLiteral("x")).ok());
    again.value()->close();
}
