// Two client PCs on one data folder. Run twice by ctest: on a local folder
// (both PCs see the same path), and on a real SMB share mounted twice
// (tests/shared/on_share.sh sets KPV_FOLDER_A and KPV_FOLDER_B: the share
// through each PC's own mount). Each case works in a folder of its own.
#include "clients.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

using namespace kpv;
using namespace kpv::testing;

namespace {

struct Share : ::testing::Test {
    QTemporaryDir local;
    QTemporaryDir client; // a client folder of PC A's own (never shared)
    QString rootA, rootB;
    bool onShare = false;
    Pc a, b;

    void SetUp() override
    {
        rootA = qEnvironmentVariable("KPV_FOLDER_A");
        rootB = qEnvironmentVariable("KPV_FOLDER_B");
        onShare = !rootA.isEmpty() && !rootB.isEmpty();
        if (!onShare) rootA = rootB = withSlash(local.path());
        const QString name = QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()) + u'/';
        a = {QStringLiteral("PC-A"), rootA + name, {{QStringLiteral("TMPDIR"), client.path()}}};
        b = {QStringLiteral("PC-B"), rootB + name, {{QStringLiteral("TMPDIR"), client.path()}}};
    }
    // What PC A finds in the folder.
    QByteArray ledger() const { return bytesOf(a.folder + names::ledger()); }

    void expectClean(const QString &folder)
    {
        QString out;
        EXPECT_EQ(kpvCheck(folder, &out), 0) << out.toStdString();
        EXPECT_TRUE(leftovers(folder).isEmpty()) << leftovers(folder).join(u' ').toStdString();
    }
};

// Parses "appended <record> <item>" lines.
std::map<QString, int> appended(const QByteArray &out)
{
    std::map<QString, int> r;
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 3 && f[0] == "appended") r[QString::fromUtf8(f[2])] = f[1].toInt();
    }
    return r;
}

TEST_F(Share, twoPcsAppendAThousandCardsEachAndNoneIsLostOrDoubled)
{
    prepareFolder(a.folder, false);
    Client ca(a, {QStringLiteral("append"), a.folder, QStringLiteral("1000"), QStringLiteral("A")});
    Client cb(b, {QStringLiteral("append"), b.folder, QStringLiteral("1000"), QStringLiteral("B")});
    ASSERT_EQ(ca.finish(), 0) << ca.report().toStdString();
    ASSERT_EQ(cb.finish(), 0) << cb.report().toStdString();

    const QByteArray bytes = ledger();
    ASSERT_EQ(bytes.size(), 2000 * LedgerRecord::kSize);
    const QStringList ids = itemNumbers(bytes);
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), 2000) << "every card once";
    // Each PC was told the record number its card really got.
    std::map<QString, int> told = appended(ca.out());
    for (const auto &[id, no] : appended(cb.out())) told[id] = no;
    ASSERT_EQ(told.size(), 2000u);
    for (const auto &[id, no] : told) ASSERT_EQ(ids.at(no - 1), id);
    expectClean(a.folder);
}

TEST_F(Share, slotsAndWordsFromBothPcsAllArriveAndCountsAgree)
{
    prepareFolder(a.folder, true);
    const QStringList before = listWords(listPath(a.folder, 2));
    Client sa(a, {QStringLiteral("slots"), a.folder, QStringLiteral("20"), QStringLiteral("24"), QStringLiteral("25"), QStringLiteral("A")});
    Client sb(b, {QStringLiteral("slots"), b.folder, QStringLiteral("25"), QStringLiteral("29"), QStringLiteral("25"), QStringLiteral("B")});
    Client wa(a, {QStringLiteral("words"), a.folder, QStringLiteral("2"), QStringLiteral("甲"), QStringLiteral("40")});
    Client wb(b, {QStringLiteral("words"), b.folder, QStringLiteral("2"), QStringLiteral("乙"), QStringLiteral("40")});
    for (Client *c : {&sa, &sb, &wa, &wb}) ASSERT_EQ(c->finish(), 0) << c->report().toStdString();

    SettingsSlots s;
    readSettingsFile(a.folder + names::sharedSettings(), s);
    for (int slot = 20; slot <= 24; ++slot) EXPECT_EQ(s.value(slot), QStringLiteral("A-25")) << slot;
    for (int slot = 25; slot <= 29; ++slot) EXPECT_EQ(s.value(slot), QStringLiteral("B-25")) << slot;
    const QStringList words = listWords(listPath(a.folder, 2));
    ASSERT_EQ(words.size(), before.size() + 80);
    EXPECT_EQ(words.mid(0, before.size()), before);
    for (int i = 1; i <= 40; ++i) {
        EXPECT_EQ(words.count(QStringLiteral("甲%1").arg(i)), 1) << i;
        EXPECT_EQ(words.count(QStringLiteral("乙%1").arg(i)), 1) << i;
    }
    EXPECT_EQ(countSlot(a.folder, 2), words.size()) << "the list and its count changed together";
    expectClean(a.folder);
}

TEST_F(Share, aSortIsRegisteredWhileTheOtherPcHasTheLedgerScreenOpen)
{
    prepareFolder(a.folder, true);
    const QStringList before = itemNumbers(ledger());
    // On the share the server decides the modes (SMB carries no Unix mode;
    // the execute bits a client shows stand for the DOS archive attribute,
    // which a new file gets): the sort must keep the read and write bits
    // the ledger had.
    const mode_t kept = onShare ? 0666 : 07777;
    const mode_t mode = onShare ? io::identityOf(a.folder + names::ledger()).mode & kept : mode_t(0666);
    const QString go = a.folder + QStringLiteral("go");
    Client screen(b, {QStringLiteral("screen"), b.folder, b.folder + QStringLiteral("go")});
    ASSERT_TRUE(screen.waitFor("screen open")) << screen.report().toStdString();

    QString report;
    ASSERT_EQ(runClient(a, {QStringLiteral("sort"), a.folder}, &report), 0) << report.toStdString();
    const QStringList sorted = itemNumbers(ledger());
    EXPECT_NE(sorted, before);
    EXPECT_EQ(sorted.size(), 29) << "the example's nameless record is left out";

    io::replaceWhole(go, QByteArray("go"));
    ASSERT_EQ(screen.finish(), 0) << screen.report().toStdString();
    EXPECT_TRUE(screen.out().contains("first " + sorted.first().toUtf8())) << screen.report().toStdString();
    EXPECT_EQ(io::identityOf(a.folder + names::ledger()).mode & kept, mode) << "the sorted ledger keeps its mode";
    // The other PC still registers new cards in the sorted ledger.
    ASSERT_EQ(runClient(b, {QStringLiteral("append"), b.folder, QStringLiteral("1"), QStringLiteral("AFTER")}, &report), 0)
        << report.toStdString();
    EXPECT_EQ(itemNumbers(ledger()).last(), QStringLiteral("AFTER1"));
    io::removeFile(go);
    expectClean(a.folder);
}

TEST_F(Share, aLedgerImportWhileTheOtherPcAppendsKeepsEveryAppend)
{
    prepareFolder(a.folder, false);
    QString report;
    ASSERT_EQ(runClient(a, {QStringLiteral("append"), a.folder, QStringLiteral("300"), QStringLiteral("OLD")}, &report), 0) << report.toStdString();
    Client appends(b, {QStringLiteral("append"), b.folder, QStringLiteral("200"), QStringLiteral("B")});
    ASSERT_TRUE(appends.waitFor("appended"));
    ASSERT_EQ(runClient(a, {QStringLiteral("import"), a.folder, QStringLiteral("300"), QStringLiteral("T")}, &report), 0) << report.toStdString();
    ASSERT_EQ(appends.finish(), 0) << appends.report().toStdString();

    const QStringList ids = itemNumbers(ledger());
    ASSERT_EQ(ledger().size() % LedgerRecord::kSize, 0);
    ASSERT_EQ(ids.size(), 500);
    for (int k = 1; k <= 300; ++k) ASSERT_EQ(ids.at(k - 1), QStringLiteral("T%1").arg(k));
    for (int k = 1; k <= 200; ++k) EXPECT_EQ(ids.count(QStringLiteral("B%1").arg(k)), 1) << k;
    expectClean(a.folder);
}

TEST_F(Share, aTransferCopiesWholeFilesWhileTheOtherPcAppends)
{
    prepareFolder(a.folder, true);
    const QString target = rootA + QStringLiteral("transfer-target/");
    QDir().mkpath(target);
    Client appends(b, {QStringLiteral("append"), b.folder, QStringLiteral("200"), QStringLiteral("B")});
    ASSERT_TRUE(appends.waitFor("appended"));
    QString report;
    ASSERT_EQ(runClient(a, {QStringLiteral("transfer"), client.path(), a.folder, target}, &report), 0) << report.toStdString();
    ASSERT_EQ(appends.finish(), 0) << appends.report().toStdString();

    const QByteArray copied = bytesOf(target + names::ledger());
    const QByteArray source = ledger();
    ASSERT_EQ(copied.size() % LedgerRecord::kSize, 0) << "whole records only";
    ASSERT_GE(copied.size(), 30 * LedgerRecord::kSize);
    EXPECT_EQ(source.left(copied.size()), copied) << "the copy is the source as it was at one moment";
    for (int n = 2; n <= 6; ++n) EXPECT_EQ(bytesOf(listPath(target, n)), bytesOf(listPath(a.folder, n))) << n;
    EXPECT_EQ(countSlot(target, 2), listWords(listPath(target, 2)).size());
    expectClean(target);
    expectClean(a.folder);
}

TEST_F(Share, aRegistrationRefusedWhileTheOtherPcHoldsTheLedgerOpenChangesNothing)
{
    prepareFolder(a.folder, true);
    const QByteArray before = ledger();
    Client holder(b, {QStringLiteral("hold"), b.folder + names::ledger(), QStringLiteral("4000")});
    ASSERT_TRUE(holder.waitFor("holding")) << holder.report().toStdString();
    QString report;
    const int code = runClient(a, {QStringLiteral("sort"), a.folder}, &report, {{QStringLiteral("KPV_SHARE_RENAME_MS"), QStringLiteral("1000")}});
    if (onShare) {
        // The server refuses to replace a file another PC has open.
        EXPECT_EQ(code, 1) << report.toStdString();
        EXPECT_TRUE(report.contains(QStringLiteral("他のPCで使用中"))) << report.toStdString();
        EXPECT_EQ(ledger(), before) << "nothing half done";
    } else {
        EXPECT_EQ(code, 0) << report.toStdString();
    }
    ASSERT_EQ(holder.finish(), 0);
    EXPECT_TRUE(leftovers(a.folder).isEmpty()) << leftovers(a.folder).join(u' ').toStdString();
    // Once the other PC has let go, the same registration goes through.
    ASSERT_EQ(runClient(a, {QStringLiteral("sort"), a.folder}, &report), 0) << report.toStdString();
    EXPECT_EQ(itemNumbers(ledger()).size(), 29);
}

TEST_F(Share, aLockLeftByAPcThatStoppedIsTakenOver)
{
    prepareFolder(a.folder, true);
    // PC C crashed while it held the ledger's lock, long ago.
    const QByteArray lock = "kpv-lock 1\npc=PC-C\npid=4242\nstart=1\ntoken=dead\ntime=2020-01-01T00:00:00.000Z\nseq=9\n";
    ASSERT_EQ(io::replaceWhole(a.folder + names::ledger() + QStringLiteral(".lock"), lock), io::Outcome::Done);
    QString report;
    const std::map<QString, QString> quick{{QStringLiteral("KPV_LOCK_REFRESH_MS"), QStringLiteral("200")},
                                           {QStringLiteral("KPV_LOCK_STALE_MS"), QStringLiteral("3000")}};
    ASSERT_EQ(runClient(b, {QStringLiteral("append"), b.folder, QStringLiteral("1"), QStringLiteral("NEW")}, &report, quick), 0)
        << report.toStdString();
    EXPECT_EQ(itemNumbers(ledger()).last(), QStringLiteral("NEW1"));
    expectClean(a.folder);
}

} // namespace
