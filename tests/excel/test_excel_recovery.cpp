// A crashed office is reported and the next call starts a new one; the
// office started by the program is ended with it.

#include "excel/libreoffice.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>

using namespace kpv::excel;

namespace {
bool processExists(long long pid)
{
    return pid > 1 && ::kill(pid_t(pid), 0) == 0;
}
} // namespace

TEST(ExcelRecovery, CrashIsReportedAndTheNextCallRecovers)
{
    QTemporaryDir dir;
    LibreOfficeOptions options;
    options.headless = true;
    options.workFolder = dir.path();
    long long first = 0, second = 0;
    {
        LibreOffice office(options);
        auto book = office.createNew();
        ASSERT_TRUE(book.ok()) << book.failure().detail.toStdString();
        ASSERT_TRUE(book.value()->firstSheet().setCell(1, 1, QStringLiteral("在庫")));
        first = office.processId();
        ASSERT_GT(first, 1);

        // The office dies under the program (killed here by its own group).
        ASSERT_EQ(::kill(-pid_t(first), SIGKILL), 0);
        for (int i = 0; i < 100 && ::kill(-pid_t(first), 0) == 0; ++i) usleep(50000);

        Status s = book.value()->firstSheet().setCell(1, 2, QStringLiteral("x"));
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.kind(), FailureKind::ApplicationFailed);
        EXPECT_EQ(book.value()->firstSheet().cell(1, 1).kind(), FailureKind::ApplicationFailed);

        auto again = office.createNew();
        ASSERT_TRUE(again.ok()) << again.failure().detail.toStdString();
        second = office.processId();
        EXPECT_NE(second, first);
        ASSERT_TRUE(again.value()->firstSheet().setCell(2, 2, CellValue::number(7)));
        EXPECT_EQ(again.value()->firstSheet().cell(2, 2).value().text(), QStringLiteral("7"));
        // The dead book stays dead; it never hangs or crashes.
        EXPECT_FALSE(book.value()->setScreenUpdating(false).ok());
        again.value()->close();
    }
    EXPECT_FALSE(processExists(second));
    EXPECT_FALSE(processExists(first));
}
