// Without an office: the proofs asked before any process is signalled (with
// /bin/sh stand-ins for offices), the clean-up after a crashed run, the
// office's locale, and the unit conversions.

#include "excel/file_ops.h"
#include "excel/libreoffice.h"
#include "excel/office_records.h"
#include "excel/process_proof.h"
#include "excel/soffice_process.h"
#include "excel/units.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <type_traits>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kpv::excel;

namespace {

// A /bin/sh that loops with the given arguments on its command line, leading
// a process group of its own; a grandchild, so that init reaps it.
class StandIn {
public:
    explicit StandIn(const QStringList &args)
    {
        std::vector<QByteArray> store{"sh", "-c", "while :; do sleep 1; done", "kpv-stand-in"};
        for (const QString &a : args) store.push_back(a.toUtf8());
        std::vector<char *> argv;
        for (QByteArray &a : store) argv.push_back(a.data());
        argv.push_back(nullptr);
        int fds[2];
        if (::pipe(fds) != 0) return;
        const pid_t child = ::fork();
        if (child == 0) {
            const pid_t grandchild = ::fork();
            if (grandchild == 0) {
                ::setpgid(0, 0);
                ::execv("/bin/sh", argv.data());
                ::_exit(127);
            }
            (void)!::write(fds[1], &grandchild, sizeof grandchild);
            ::_exit(0);
        }
        ::close(fds[1]);
        (void)!::read(fds[0], &m_pid, sizeof m_pid);
        ::close(fds[0]);
        ::waitpid(child, nullptr, 0);
        // Until the shell has replaced the forked copy, its command line is ours.
        for (int i = 0; i < 100 && !proc::commandLine(m_pid).contains(QStringLiteral("kpv-stand-in")); ++i)
            ::usleep(10000);
    }
    ~StandIn()
    {
        if (m_pid > 1) ::kill(-m_pid, SIGKILL);
    }
    pid_t pid() const { return m_pid; }
    bool alive() const { return proc::groupRunning(m_pid); }

private:
    pid_t m_pid = 0;
};

// The number of a process that has ended.
pid_t stalePid()
{
    const pid_t p = ::fork();
    if (p == 0) ::_exit(0);
    ::waitpid(p, nullptr, 0);
    return p;
}

void writeText(const QString &path, const QString &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

} // namespace

TEST(ExcelProcesses, OnlyAProvenOfficeIsSignalled)
{
    const QString pipe = QStringLiteral("kpv-test-proof-%1").arg(::getpid());
    const QStringList marks{proc::pipeMark(pipe)};

    // Numbers that must never reach kill(): below 2, or not fitting pid_t
    // (4294967295 would become -1, every process).
    for (long long n : {-1LL, 0LL, 1LL, 4294967295LL, 4294967297LL, 1LL << 40}) {
        EXPECT_FALSE(proc::signallable(n).has_value()) << n;
        EXPECT_FALSE(proc::provenGroup(n, marks)) << n;
        EXPECT_FALSE(proc::killProvenGroup(n, marks)) << n;
    }
    EXPECT_EQ(proc::signallable(4242).value(), 4242);

    StandIn foreign({QStringLiteral("--accept=pipe,name=somebody-else;urp;")});
    StandIn ours({QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe)});
    ASSERT_TRUE(foreign.alive());
    ASSERT_TRUE(ours.alive());
    EXPECT_FALSE(proc::provenGroup(foreign.pid(), marks));
    EXPECT_TRUE(proc::provenGroup(ours.pid(), marks));

    // The fixture's clean-up with a recorded number: a stale one and a
    // foreign one are forgotten, nothing is signalled; ours is ended.
    EXPECT_TRUE(LibreOffice::stopExternal(pipe, stalePid(), 2000));
    EXPECT_TRUE(LibreOffice::stopExternal(pipe, foreign.pid(), 2000));
    EXPECT_TRUE(foreign.alive());
    EXPECT_TRUE(LibreOffice::stopExternal(pipe, ours.pid(), 5000));
    EXPECT_FALSE(ours.alive());
}

TEST(ExcelProcesses, CrashedRunLeftoversAreClearedByProof)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    auto folder = [&](const QString &name, long long program, long long office, const QString &pipe) {
        const QString path = tmp.path() + QStringLiteral("/kpv-soffice-") + name;
        QDir().mkpath(path + QStringLiteral("/profile-1"));
        const QString profile = QUrl::fromLocalFile(path + QStringLiteral("/profile-1")).toString();
        writeText(path + QStringLiteral("/kpv-office.txt"),
                  QStringLiteral("program=%1\noffice=%2\npipe=%3\nprofile=%4\nheadless=1\n")
                      .arg(program)
                      .arg(office)
                      .arg(pipe, profile));
        return path;
    };
    StandIn crashed({QStringLiteral("--accept=pipe,name=kpv-crashed;urp;")});
    StandIn running({QStringLiteral("--accept=pipe,name=kpv-running;urp;")});
    StandIn foreign({QStringLiteral("make")});
    const QString crashedDir = folder(QStringLiteral("a"), stalePid(), crashed.pid(), QStringLiteral("kpv-crashed"));
    const QString runningDir = folder(QStringLiteral("b"), ::getpid(), running.pid(), QStringLiteral("kpv-running"));
    const QString reusedDir = folder(QStringLiteral("c"), stalePid(), foreign.pid(), QStringLiteral("kpv-gone"));
    const QString fresh = tmp.path() + QStringLiteral("/kpv-soffice-d"); // being set up: no record yet
    QDir().mkpath(fresh);

    LibreOffice::cleanLeftovers(tmp.path());

    EXPECT_FALSE(crashed.alive());
    EXPECT_FALSE(QFileInfo::exists(crashedDir));
    EXPECT_TRUE(running.alive()) << "a running program's office";
    EXPECT_TRUE(QFileInfo::exists(runningDir));
    EXPECT_TRUE(foreign.alive()) << "the number now belongs to another process";
    EXPECT_FALSE(QFileInfo::exists(reusedDir));
    EXPECT_TRUE(QFileInfo::exists(fresh));
}

// A record only proves something in a private folder of ours; and a field
// left empty proves nothing at all.
TEST(ExcelProcesses, RecordsNobodyElseCouldHaveWrittenAreTheOnlyOnesTrusted)
{
    const QString pipe = QStringLiteral("kpv-test-trust-%1").arg(::getpid());
    const QString profile = QStringLiteral("file:///tmp/kpv-test-trust-%1/profile").arg(::getpid());
    auto recordIn = [&](const QString &base, long long office, const QString &recordPipe, const QString &recordProfile) {
        const QString folder = base + QStringLiteral("/kpv-soffice-a");
        QDir().mkpath(folder);
        records::OfficeRecord r;
        r.program = stalePid();
        r.office = office;
        r.pipe = recordPipe;
        r.profile = recordProfile;
        EXPECT_TRUE(records::writeRecord(folder, r));
        return folder;
    };
    StandIn office({QStringLiteral("--accept=pipe,name=%1;urp;").arg(pipe), proc::profileMark(profile)});
    ASSERT_TRUE(office.alive());

    // A folder others may write into: not looked into.
    QTemporaryDir open;
    ASSERT_EQ(::chmod(QFile::encodeName(open.path()).constData(), 0755), 0);
    const QString openRecord = recordIn(open.path(), office.pid(), pipe, profile);
    EXPECT_FALSE(records::readRecord(open.path(), openRecord));
    LibreOffice::cleanLeftovers(open.path());
    EXPECT_TRUE(office.alive());
    EXPECT_TRUE(QFileInfo::exists(openRecord));

    // A folder of another user (tests run as root can make one).
    if (::geteuid() == 0) {
        QTemporaryDir foreign;
        const QString folder = recordIn(foreign.path(), office.pid(), pipe, profile);
        for (const QString &p : {foreign.path(), folder, folder + QStringLiteral("/kpv-office.txt")})
            ASSERT_EQ(::chown(QFile::encodeName(p).constData(), 65534, 65534), 0);
        EXPECT_FALSE(records::readRecord(foreign.path(), folder));
        LibreOffice::cleanLeftovers(foreign.path());
        EXPECT_TRUE(office.alive()) << "named in a record of another user's folder";
        EXPECT_TRUE(QFileInfo::exists(folder));
    }

    // Our own private folder, but the record's fields are empty: the marks
    // made of them match no process, whatever profile it runs with.
    QTemporaryDir own;
    const QString empty = recordIn(own.path(), office.pid(), QString(), QString());
    ASSERT_TRUE(records::readRecord(own.path(), empty));
    EXPECT_TRUE(proc::pipeMark(QString()).isEmpty());
    EXPECT_TRUE(proc::profileMark(QString()).isEmpty());
    EXPECT_FALSE(proc::provenGroup(office.pid(), {proc::pipeMark(QString()), proc::profileMark(QString())}));
    LibreOffice::cleanLeftovers(own.path());
    EXPECT_TRUE(office.alive()) << "a record with an empty profile and pipe";

    // A profile that only begins like the recorded one is not it.
    EXPECT_FALSE(proc::provenGroup(office.pid(), {proc::profileMark(profile.chopped(1))}));
    EXPECT_TRUE(proc::provenGroup(office.pid(), {proc::profileMark(profile)}));
}

TEST(ExcelProcesses, AnOfficeFolderIsPrivateAndItsRecordWrittenWhole)
{
    QTemporaryDir base;
    const QString folder = records::newOfficeFolder(base.path());
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(records::privateFolder(folder));
    EXPECT_TRUE(records::privateFolder(records::tempFolderOf(folder)));
    records::OfficeRecord r{4242, 4343, QStringLiteral("kpv-1-x"), QStringLiteral("file:///x/profile"), false, true};
    ASSERT_TRUE(records::writeRecord(folder, r));
    QFileInfo file(folder + QStringLiteral("/kpv-office.txt"));
    EXPECT_EQ(file.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), 0);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kpv-office.txt")})
        << "nothing half-written beside it";
    const auto back = records::readRecord(base.path(), folder);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->program, 4242);
    EXPECT_EQ(back->office, 4343);
    EXPECT_EQ(back->pipe, r.pipe);
    EXPECT_EQ(back->profile, r.profile);
    EXPECT_FALSE(back->headless);
    EXPECT_TRUE(back->user);
    EXPECT_EQ(records::officeFoldersIn(base.path()), QStringList{folder});

    // The office's temporary folder replaces whatever the program had.
    EXPECT_EQ(SofficeProcess::withEntries({"PATH=/bin", "TMPDIR=/tmp", "HOME=/root"}, {"TMPDIR=/x/tmp"}),
              (QList<QByteArray>{"PATH=/bin", "HOME=/root", "TMPDIR=/x/tmp"}));
}

TEST(ExcelProcesses, StaleLocksOfOurOwnOfficesAreRecognised)
{
    QTemporaryDir tmp;
    const QString book = tmp.path() + QStringLiteral("/Mb入出庫月報.xls");
    writeText(book, QStringLiteral("x"));
    const QString lock = tmp.path() + QStringLiteral("/.~lock.Mb入出庫月報.xls#");
    auto lockBy = [&](const QString &host, const QString &profile) {
        writeText(lock, QStringLiteral("user,user,%1,09.12.2026 10:00,%2;").arg(host, profile));
    };
    const QString own = QStringLiteral("file:///tmp/kpv-soffice-x/profile-2");
    const QString dead = QStringLiteral("file:///tmp/kpv-soffice-x/profile-1");
    EXPECT_EQ(LockHolderOf(book, own), LockHolder::None);
    lockBy(HostName(), own);
    EXPECT_EQ(LockHolderOf(book, own), LockHolder::Own);
    lockBy(HostName(), dead);
    EXPECT_EQ(LockHolderOf(book, own, {dead}), LockHolder::StaleOurs);
    lockBy(QStringLiteral("other-pc"), dead);
    EXPECT_EQ(LockHolderOf(book, own, {dead}), LockHolder::Other);
    lockBy(HostName(), QStringLiteral("file:///home/user/.config/libreoffice/4"));
    EXPECT_EQ(LockHolderOf(book, own, {dead}), LockHolder::Other);
    EXPECT_TRUE(RemoveStaleLock(book, own, {dead}));
    EXPECT_TRUE(QFile::exists(lock)) << "not ours: kept";
    lockBy(HostName(), dead);
    EXPECT_TRUE(RemoveStaleLock(book, own, {dead}));
    EXPECT_FALSE(QFile::exists(lock));
}

TEST(ExcelProcesses, OnlyTheHeadlessOfficeLosesTheUsersLocale)
{
    const QList<QByteArray> japanese{"PATH=/usr/bin", "LANG=ja_JP.UTF-8", "LANGUAGE=ja", "URE_BOOTSTRAP=x"};
    EXPECT_EQ(SofficeProcess::environmentFor(japanese, true),
              (QList<QByteArray>{"PATH=/usr/bin", "LANG=ja_JP.UTF-8", "LANGUAGE=ja"}));
    EXPECT_EQ(SofficeProcess::environmentFor(japanese, false),
              (QList<QByteArray>{"PATH=/usr/bin", "LANG=C.UTF-8", "LC_ALL=C.UTF-8"}));
    // A visible office under a locale without UTF-8 gets a UTF-8 character type only.
    EXPECT_EQ(SofficeProcess::environmentFor({"LANG=ja_JP.eucJP"}, true),
              (QList<QByteArray>{"LANG=ja_JP.eucJP", "LC_CTYPE=C.UTF-8"}));
    EXPECT_EQ(SofficeProcess::environmentFor({"LC_ALL=C", "LANG=ja_JP.UTF-8"}, true),
              (QList<QByteArray>{"LANG=C", "LC_CTYPE=C.UTF-8"}));
}

// A Result<bool> does not read as its answer: `if (sheet.hasBorder(...))` does not compile.
static_assert(!std::is_constructible_v<bool, Result<bool>>);
static_assert(std::is_constructible_v<bool, Result<int>>);

TEST(ExcelUnits, ConversionsMatchWhatTheXlsFileHolds)
{
    // Red E0, green FF, blue FF in both orders.
    EXPECT_EQ(units::toOfficeColor(16777184), 0xE0FFFF);
    EXPECT_EQ(units::toAutomationColor(0xE0FFFF), 16777184);
    for (double w : {4.0, 20.0, 40.0}) EXPECT_DOUBLE_EQ(units::mm100ToCharacters(units::charactersToMm100(w)), w);
    EXPECT_NEAR(units::mm100ToCharacters(units::charactersToMm100(8.5)), 8.5, 0.011); // 1/100 mm steps
    EXPECT_EQ(units::pointsToMm100(72), 2540);
    EXPECT_NEAR(units::mm100ToPoints(units::pointsToMm100(13.5)), 13.5, 0.011);
    for (LineWeight w : {LineWeight::Hairline, LineWeight::Thin, LineWeight::Medium, LineWeight::Thick})
        EXPECT_EQ(units::weightOfWidth(units::lineWidthMm100(w)), w);
    EXPECT_EQ(PatternFillColor(Pattern::Gray50, 0x0000FF), 0x8080FF);
    EXPECT_EQ(PatternFillColor(Pattern::Gray25, 0x000000), 0xBFBFBF);
    EXPECT_EQ(units::pathOfUrl(units::fileUrl(QStringLiteral("/tmp/在庫 1.xls"))), QStringLiteral("/tmp/在庫 1.xls"));
    EXPECT_FALSE(Range::of(2, 1, 1, 1).valid());
    EXPECT_FALSE(Range::of(1, 1, kMaxRows + 1, 1).valid());
    EXPECT_TRUE(Range::of(1, 1, kMaxRows, kMaxColumns).valid());
}
