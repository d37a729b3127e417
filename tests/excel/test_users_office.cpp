// An office with windows (on an Xvfb display of the test's own) that was
// shown a book holds the user's books: when it stops answering, a call that
// passes its deadline fails with NoAnswer and the office is left running, as
// it is at the program's end, which still takes a few seconds at most. The
// next work starts a new office. An office never shown is ended as before.

#include "excel/failure.h"
#include "excel/libreoffice.h"
#include "excel/office_records.h"
#include "excel/process_proof.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kpv::excel;

namespace {

// Xvfb on a free display number, ended by its PID.
class Display {
public:
    Display()
    {
        for (int n = 90 + ::getpid() % 100; n < 400 && m_pid <= 0; n += 7) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) || QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            const QByteArray name = ":" + QByteArray::number(n);
            const pid_t p = ::fork();
            if (p == 0) {
                ::setpgid(0, 0);
                const int null = ::open("/dev/null", O_RDWR);
                ::dup2(null, 1);
                ::dup2(null, 2);
                ::execlp("Xvfb", "Xvfb", name.constData(), "-nolisten", "tcp", "-screen", "0", "1280x800x24", nullptr);
                ::_exit(127);
            }
            for (int i = 0; i < 100 && p > 0; ++i) {
                if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                    m_pid = p;
                    m_name = name;
                    break;
                }
                if (::waitpid(p, nullptr, WNOHANG) == p) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (m_pid <= 0 && p > 1) {
                ::kill(p, SIGKILL);
                ::waitpid(p, nullptr, 0);
            }
        }
    }
    ~Display()
    {
        if (m_pid > 1) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool ok() const { return m_pid > 1; }
    QByteArray name() const { return m_name; }

private:
    pid_t m_pid = 0;
    QByteArray m_name;
};

class UsersOffice : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!m_display.ok()) GTEST_SKIP() << "no Xvfb";
        qputenv("DISPLAY", m_display.name());
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override
    {
        // Offices left for the user are ours to end here (we started them).
        for (long long pid : m_left)
            if (pid > 1 && proc::groupRunning(pid_t(pid))) {
                ::kill(-pid_t(pid), SIGCONT);
                ::kill(-pid_t(pid), SIGKILL);
            }
    }
    LibreOfficeOptions options(int callTimeoutMs) const
    {
        LibreOfficeOptions o;
        o.headless = false;
        o.workFolder = m_dir.path();
        o.callTimeoutMs = callTimeoutMs;
        return o;
    }
    // A book shown to the user in the office.
    std::unique_ptr<Workbook> shownBook(LibreOffice &office)
    {
        const QString file = m_dir.path() + QStringLiteral("/利用者のブック.xls");
        {
            auto made = office.createNew();
            EXPECT_TRUE(made.ok()) << made.failure().detail.toStdString();
            if (!made.ok()) return {};
            EXPECT_TRUE(made.value()->storeAsXls(file).ok());
            made.value()->close();
        }
        auto book = office.bind(file, Spreadsheet::Access::Write);
        EXPECT_TRUE(book.ok());
        if (!book.ok()) return {};
        EXPECT_TRUE(book.value()->setApplicationVisible(true).ok());
        EXPECT_TRUE(book.value()->setWindowVisible(true).ok());
        EXPECT_TRUE(book.value()->firstSheet().setCell(1, 1, QStringLiteral("未保存の記入")).ok());
        return std::move(book.value());
    }
    QString recordOf(long long pid) const
    {
        for (const QString &folder : records::officeFoldersIn(m_dir.path())) {
            QFile f(folder + QStringLiteral("/kpv-office.txt"));
            if (f.open(QIODevice::ReadOnly)) {
                const QString text = QString::fromUtf8(f.readAll());
                if (text.contains(QStringLiteral("office=%1\n").arg(pid))) return text;
            }
        }
        return {};
    }

    Display m_display;
    QTemporaryDir m_dir;
    std::vector<long long> m_left;
};

} // namespace

TEST_F(UsersOffice, ADeadlineLeavesAnOfficeWithTheUsersBooksRunning)
{
    constexpr int kDeadlineMs = 15000; // the first calls of an office with windows are slow
    LibreOffice office(options(kDeadlineMs));
    auto book = shownBook(office);
    ASSERT_TRUE(book);
    const long long pid = office.processId();
    m_left.push_back(pid);
    ASSERT_EQ(::kill(-pid_t(pid), SIGSTOP), 0); // stuck, say, behind a dialog of its own

    QElapsedTimer clock;
    clock.start();
    const Status s = book->firstSheet().setCell(2, 2, QStringLiteral("x"));
    EXPECT_LT(clock.elapsed(), kDeadlineMs + 5000);
    EXPECT_EQ(s.kind(), FailureKind::NoAnswer) << s.failure().detail.toStdString();
    EXPECT_TRUE(MessageForFailure(FailureKind::NoAnswer).text.contains(QStringLiteral("終了させていません")));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(proc::groupRunning(pid_t(pid))) << "the office with the user's books is not ended";
    book.reset();

    // The next work gets an office of its own; the user's keeps its record.
    auto again = office.createNew();
    ASSERT_TRUE(again.ok()) << again.failure().detail.toStdString();
    EXPECT_NE(office.processId(), pid);
    m_left.push_back(office.processId());
    again.value()->close();
    EXPECT_TRUE(recordOf(pid).contains(QStringLiteral("user=1\n")));
    EXPECT_TRUE(proc::groupRunning(pid_t(pid)));
}

TEST_F(UsersOffice, TheProgramsEndLeavesAStoppedOfficeWithTheUsersBooksAndIsQuick)
{
    long long pid = 0;
    QElapsedTimer clock;
    {
        LibreOffice office(options(300000));
        auto book = shownBook(office);
        ASSERT_TRUE(book);
        pid = office.processId();
        m_left.push_back(pid);
        book.reset();
        ASSERT_EQ(::kill(-pid_t(pid), SIGSTOP), 0);
        clock.start();
    }
    EXPECT_LE(clock.elapsed(), 5000);
    EXPECT_TRUE(proc::groupRunning(pid_t(pid)));
    EXPECT_TRUE(recordOf(pid).contains(QStringLiteral("user=1\n")));
}

TEST_F(UsersOffice, AnOfficeNeverShownIsEndedAtTheDeadline)
{
    constexpr int kDeadlineMs = 15000; // the first calls of an office with windows are slow
    LibreOffice office(options(kDeadlineMs));
    auto book = office.createNew();
    ASSERT_TRUE(book.ok()) << book.failure().detail.toStdString();
    const long long pid = office.processId();
    m_left.push_back(pid);
    ASSERT_EQ(::kill(-pid_t(pid), SIGSTOP), 0);
    EXPECT_EQ(book.value()->firstSheet().setCell(1, 1, QStringLiteral("x")).kind(), FailureKind::ApplicationFailed);
    for (int i = 0; i < 100 && proc::groupRunning(pid_t(pid)); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(proc::groupRunning(pid_t(pid)));
}
