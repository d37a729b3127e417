// The lock of a shared file: exclusive creation, the holder's text, the
// refresh, and when (only when) another client takes it over; and the
// change of several files that all happen or none.
#include "storage/file_lock.h"
#include "storage/machine.h"
#include "storage/shared_change.h"
#include "storage/shared_io.h"

#include "temp_folder.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

QByteArray bytesOf(const QString &path)
{
    QByteArray b;
    io::readFile(path, b);
    return b;
}

// A lock file as another PC's client writes it.
QByteArray lockText(const char *pc, const QDateTime &time)
{
    return "kpv-lock 1\npc=" + QByteArray(pc) + "\npid=4242\nstart=77\ntoken=abc\ntime=" + time.toString(Qt::ISODateWithMs).toUtf8() + "\nseq=1\n";
}

struct Locks : ::testing::Test {
    QTemporaryDir tmp;
    QString file;
    LockTiming saved = LockTiming::process();

    void SetUp() override
    {
        file = withSlash(tmp.path()) + QStringLiteral("Ma在庫品.dat");
        // Short times, so the waits of the tests are short.
        LockTiming::process() = LockTiming{100, 800, 2000};
    }
    void TearDown() override { LockTiming::process() = saved; }
    QString lockFile() const { return FileLock::lockPathOf(file); }
    // The text of the lock (the file "owner" in the lock folder).
    QString ownerFile() const { return lockFile() + QStringLiteral("/owner"); }

    // A process holding the lock of file as PC `pc`, refreshing it.
    std::unique_ptr<QProcess> holder(const QString &pc)
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("COMPUTERNAME"), pc);
        env.insert(QStringLiteral("KPV_LOCK_REFRESH_MS"), QStringLiteral("100"));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(KPV_APPEND_HELPER), {QStringLiteral("--hold"), file});
        EXPECT_TRUE(p->waitForReadyRead(30000));
        EXPECT_EQ(p->readAllStandardOutput(), "held\n");
        return p;
    }
    static void killHard(QProcess &p)
    {
        if (p.processId() > 1) ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished(30000);
    }
};

TEST_F(Locks, createdExclusivelyNamingThePcAndProcessAndGivenBack)
{
    FileLock mine(file);
    ASSERT_TRUE(mine.locked());
    EXPECT_TRUE(QFileInfo(lockFile()).isDir()) << "made exclusively as a folder";
    const QByteArray text = bytesOf(ownerFile());
    EXPECT_TRUE(text.startsWith("kpv-lock 1\n"));
    EXPECT_TRUE(text.contains("pc=" + machineName().toUtf8() + "\n"));
    EXPECT_TRUE(text.contains("pid=" + QByteArray::number(processId()) + "\n"));
    EXPECT_TRUE(mine.stillHeld());

    FileLock other(file, 0);
    ASSERT_EQ(other.state(), FileLock::State::Busy);
    EXPECT_EQ(other.holder().pc, machineName());
    EXPECT_EQ(other.holder().pid, processId());
    EXPECT_TRUE(other.holder().refreshed.isValid());

    mine.release();
    EXPECT_FALSE(io::exists(lockFile()));
    EXPECT_EQ(other.acquire(file, 0), FileLock::State::Locked);
}

TEST_F(Locks, theHolderKeepsItFreshSoALongOperationKeepsIt)
{
    FileLock mine(file);
    ASSERT_TRUE(mine.locked());
    const QByteArray first = bytesOf(ownerFile());
    // Waiting three times as long as the stale bound: the lock stays this
    // process's, because it is refreshed.
    FileLock other(file, 2400);
    EXPECT_EQ(other.state(), FileLock::State::Busy);
    EXPECT_NE(bytesOf(ownerFile()), first) << "rewritten at the interval";
    EXPECT_TRUE(mine.stillHeld());
}

TEST_F(Locks, aLockOfAProcessOfThisPcThatEndedIsTakenOverAtOnce)
{
    auto p = holder(machineName());
    EXPECT_EQ(FileLock(file, 0).state(), FileLock::State::Busy) << "its holder runs";
    killHard(*p);
    QElapsedTimer t;
    t.start();
    FileLock next(file, 0);
    EXPECT_TRUE(next.locked());
    EXPECT_LT(t.elapsed(), 500) << "proven gone: no waiting for the stale bound";
}

TEST_F(Locks, anotherPcsLockIsKeptWhileItIsRefreshedAndTakenOverOnceItStops)
{
    // The name of another PC: its process cannot be looked at from here.
    auto p = holder(QStringLiteral("PC-FAR"));
    FileLock waiting(file, 1600);
    EXPECT_EQ(waiting.state(), FileLock::State::Busy) << "refreshed: never stale, however long one waits";
    EXPECT_EQ(waiting.holder().pc, QStringLiteral("PC-FAR"));
    killHard(*p);
    QElapsedTimer t;
    t.start();
    FileLock next(file, 3000);
    ASSERT_TRUE(next.locked());
    EXPECT_GE(t.elapsed(), 250) << "taken over only after it was seen unrefreshed";
}

TEST_F(Locks, aRecentLockNotRefreshedIsTakenOverAfterTheBoundAnOldOneSooner)
{
    ASSERT_EQ(io::replaceWhole(lockFile(), lockText("PC-GONE", QDateTime::currentDateTimeUtc())), io::Outcome::Done);
    EXPECT_EQ(FileLock(file, 400).state(), FileLock::State::Busy) << "not yet stale";
    QElapsedTimer t;
    t.start();
    FileLock next(file, 3000);
    ASSERT_TRUE(next.locked());
    EXPECT_GE(t.elapsed(), 300);

    next.release();
    // Refreshed by its own clock five minutes ago: three intervals seen
    // unchanged are enough.
    ASSERT_EQ(io::replaceWhole(lockFile(), lockText("PC-GONE", QDateTime::currentDateTimeUtc().addSecs(-300))), io::Outcome::Done);
    t.start();
    ASSERT_TRUE(FileLock(file, 3000).locked());
    EXPECT_LT(t.elapsed(), 700);
}

TEST_F(Locks, anEmptyOrUnreadableLockCountsAsNotRefreshed)
{
    // A client that crashed between making the lock folder and writing its text.
    ASSERT_TRUE(QDir().mkdir(lockFile()));
    FileLock next(file, 3000);
    EXPECT_TRUE(next.locked());
    next.release();
    // A lock file of an older client, empty.
    ASSERT_EQ(io::replaceWhole(lockFile(), QByteArray()), io::Outcome::Done);
    EXPECT_TRUE(FileLock(file, 3000).locked());
    ASSERT_EQ(io::replaceWhole(FileLock::lockPathOf(file + u'2'), QByteArray("garbage\n")), io::Outcome::Done);
    EXPECT_TRUE(FileLock(file + u'2', 3000).locked());
}

TEST_F(Locks, aHolderWhoseLockWasTakenOverKnowsAndLeavesTheNewOneAlone)
{
    FileLock mine(file);
    ASSERT_TRUE(mine.locked());
    const QByteArray theirs = lockText("PC-OTHER", QDateTime::currentDateTimeUtc());
    ASSERT_EQ(io::replaceWhole(ownerFile(), theirs), io::Outcome::Done);
    EXPECT_FALSE(mine.stillHeld());
    mine.release();
    EXPECT_EQ(bytesOf(ownerFile()), theirs);
}

TEST_F(Locks, breakingAskedForOnlyWhileTheLockIsAsItWasShown)
{
    ASSERT_EQ(io::replaceWhole(lockFile(), lockText("PC-X", QDateTime::currentDateTimeUtc())), io::Outcome::Done);
    FileLock panel(file, 0);
    ASSERT_EQ(panel.state(), FileLock::State::Busy);
    // The holder refreshes in between: the user saw another lock.
    ASSERT_EQ(io::replaceWhole(lockFile(), lockText("PC-X", QDateTime::currentDateTimeUtc().addSecs(1))), io::Outcome::Done);
    EXPECT_EQ(panel.breakAndAcquire(), FileLock::State::Busy);
    EXPECT_EQ(panel.breakAndAcquire(), FileLock::State::Locked);
    EXPECT_TRUE(bytesOf(ownerFile()).contains("pid=" + QByteArray::number(processId())));
}

TEST_F(Locks, aFolderThatDoesNotExistFails)
{
    EXPECT_EQ(FileLock(withSlash(tmp.path()) + QStringLiteral("nowhere/x.dat"), 0).state(), FileLock::State::Failed);
}

TEST_F(Locks, whatALeaverLeftBesideTheFileGoesWithItsLock)
{
    auto p = holder(machineName());
    const qint64 pid = p->processId();
    const QString stray = file + QStringLiteral(".%1-%2-1.new").arg(machineName()).arg(pid);
    ASSERT_EQ(io::replaceWhole(stray, QByteArray("half a ledger")), io::Outcome::Done);
    killHard(*p);
    ASSERT_TRUE(FileLock(file, 0).locked());
    EXPECT_FALSE(io::exists(stray));
}

struct Change : Locks {
    QString a, b;
    void SetUp() override
    {
        Locks::SetUp();
        a = withSlash(tmp.path()) + QStringLiteral("Ma在庫品基礎.dat");
        b = withSlash(tmp.path()) + QStringLiteral("Mb在庫品02.dat");
        ASSERT_EQ(io::replaceWhole(a, QByteArray("old a")), io::Outcome::Done);
        ASSERT_EQ(io::replaceWhole(b, QByteArray("old b")), io::Outcome::Done);
    }
};

TEST_F(Change, twoFilesChangeTogetherAndLeaveNothingBeside)
{
    SharedChange c("test");
    ASSERT_EQ(c.lock({b, a}), FileLock::State::Locked);
    QByteArray now;
    ASSERT_EQ(c.read(a, now), io::ReadStatus::Read);
    EXPECT_EQ(now, "old a");
    c.put(a, "new a");
    c.put(b, "new b");
    ASSERT_EQ(c.commit(), SharedChange::Result::Committed);
    c.unlock();
    EXPECT_EQ(bytesOf(a), "new a");
    EXPECT_EQ(bytesOf(b), "new b");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2) << QDir(tmp.path()).entryList(QDir::Files).join(u' ').toStdString();
}

TEST_F(Change, oneLockBusyTakesNoneAndNamesItsHolder)
{
    ASSERT_EQ(io::replaceWhole(FileLock::lockPathOf(b), lockText("PC-BUSY", QDateTime::currentDateTimeUtc())), io::Outcome::Done);
    SharedChange c("test");
    EXPECT_EQ(c.lock({a, b}, 200), FileLock::State::Busy);
    EXPECT_EQ(c.busyHolder().pc, QStringLiteral("PC-BUSY"));
    EXPECT_FALSE(io::exists(FileLock::lockPathOf(a))) << "the lock already taken is given back";
}

// A change decided (its journals written) by a client that crashed before
// every file was in place is finished by the next holder of any lock.
TEST_F(Change, aDecidedChangeIsFinishedByTheNextLockHolder)
{
    const QString newA = a + QStringLiteral(".PC-Z-9-1.new"), newB = b + QStringLiteral(".PC-Z-9-2.new");
    ASSERT_EQ(io::replaceWhole(newB, QByteArray("new b")), io::Outcome::Done);
    // a is already in place; b waits.
    ASSERT_EQ(io::replaceWhole(a, QByteArray("new a")), io::Outcome::Done);
    const QByteArray journal = "kpv-change 1\nMa在庫品基礎.dat\tMa在庫品基礎.dat.PC-Z-9-1.new\nMb在庫品02.dat\tMb在庫品02.dat.PC-Z-9-2.new\n"
                               "primary\tMa在庫品基礎.dat\nend\n";
    ASSERT_EQ(io::replaceWhole(journalPathOf(a), journal), io::Outcome::Done);
    ASSERT_EQ(io::replaceWhole(journalPathOf(b), journal), io::Outcome::Done);

    ASSERT_TRUE(FileLock(b, 0).locked());
    EXPECT_EQ(bytesOf(b), "new b");
    EXPECT_EQ(bytesOf(a), "new a");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2) << QDir(tmp.path()).entryList(QDir::Files).join(u' ').toStdString();
}

TEST_F(Change, anUndecidedChangeIsDroppedWhole)
{
    const QString newA = a + QStringLiteral(".PC-Z-9-1.new"), newB = b + QStringLiteral(".PC-Z-9-2.new");
    ASSERT_EQ(io::replaceWhole(newA, QByteArray("new a")), io::Outcome::Done);
    ASSERT_EQ(io::replaceWhole(newB, QByteArray("new b")), io::Outcome::Done);
    // Only the journal beside b was written: the one beside a decides.
    const QByteArray journal = "kpv-change 1\nMa在庫品基礎.dat\tMa在庫品基礎.dat.PC-Z-9-1.new\nMb在庫品02.dat\tMb在庫品02.dat.PC-Z-9-2.new\n"
                               "primary\tMa在庫品基礎.dat\nend\n";
    ASSERT_EQ(io::replaceWhole(journalPathOf(b), journal), io::Outcome::Done);

    ASSERT_TRUE(FileLock(b, 0).locked());
    EXPECT_EQ(bytesOf(a), "old a");
    EXPECT_EQ(bytesOf(b), "old b");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2) << QDir(tmp.path()).entryList(QDir::Files).join(u' ').toStdString();
}

TEST(SharedIo, aReplacedFileKeepsItsModeOwnerAndGroup)
{
    QTemporaryDir tmp;
    const QString f = withSlash(tmp.path()) + QStringLiteral("Ma在庫品.dat");
    ASSERT_EQ(io::replaceWhole(f, QByteArray("old")), io::Outcome::Done);
    const mode_t old = ::umask(022);
    ASSERT_EQ(::chmod(io::localPath(f).constData(), 0666), 0);
    const bool root = ::geteuid() == 0;
    if (root) ASSERT_EQ(::chown(io::localPath(f).constData(), 1234, 2345), 0);
    ASSERT_EQ(io::replaceWhole(f, QByteArray("new")), io::Outcome::Done);
    ::umask(old);
    const io::Identity id = io::identityOf(f);
    EXPECT_EQ(id.mode, mode_t(0666)) << "another user can still append";
    if (root) {
        EXPECT_EQ(id.uid, uid_t(1234));
        EXPECT_EQ(id.gid, gid_t(2345));
    }
    EXPECT_EQ(bytesOf(f), "new");
}

} // namespace
