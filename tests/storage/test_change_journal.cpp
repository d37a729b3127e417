// The change journal beside the ledger: each change writes its entry before
// the ledger and marks it after; a journal that cannot be written stops the
// change; whole-ledger changes keep the old ledger in the history folder and
// list what changed per item; the journal grows into a second file.
#include "storage/change_journal.h"
#include "storage/dolvb.h"
#include "storage/file_lock.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/shared_io.h"

#include "journal_lines.h"
#include "data_folder_test.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

LedgerRecord item(const QString &no, const QString &name, const QString &juneIssues = QString())
{
    LedgerRecord r;
    r.setField(0, no);
    r.setField(1, name);
    if (!juneIssues.isEmpty()) r.setCell(2, 3, juneIssues);
    r.setLineEnd();
    return r;
}

QByteArray ledgerOf(const std::vector<LedgerRecord> &records)
{
    QByteArray b;
    for (const LedgerRecord &r : records) b += r.bytes();
    return b;
}

struct Journal : DataFolderTest {

    void SetUp() override
    {
        DataFolderTest::SetUp();
        // Month slot 1 is April: slot 3 is June.
        SettingsSlots s;
        s.set(9, QStringLiteral("2026/04"));
        ASSERT_TRUE(writeSettingsFile(data + names::sharedSettings(), s));
        qputenv("COMPUTERNAME", "PC-TEST");
        qputenv("USERNAME", "tanaka");
    }
    void TearDown() override
    {
        changes::Limits::process() = changes::Limits{};
        qunsetenv("COMPUTERNAME");
        qunsetenv("USERNAME");
    }
    std::vector<JournalEntryLines> entries(bool *whole = nullptr) const { return journalEntries(db.ledgerPath(), whole); }

    // Replaces the ledger whole as the sort, the deletion and the monthly import do.
    LedgerFile::ReplaceResult replace(const QByteArray &next, changes::Op op, QString *problem = nullptr)
    {
        FileLock lock(db.ledgerPath());
        EXPECT_TRUE(lock.locked());
        return LedgerFile::replaceWhole(
            db.ledgerPath(), lock, [&](int fd) { return io::writeAll(fd, next.constData(), next.size()); }, "test", op, {}, problem);
    }
};

TEST_F(Journal, CardChangesAreEntriesWithEveryChangedFieldMarkedDone)
{
    ASSERT_TRUE(db.openLedger());
    ASSERT_EQ(db.appendRecord(item("A-001", "ボルト")), 1);
    ASSERT_EQ(db.appendRecord(item("A-003", "ナット", "5"), changes::Op::Copy), 2);
    const LedgerRecord read = item("A-003", "ナット", "5");
    LedgerRecord fixed = read;
    fixed.setCell(2, 3, QStringLiteral("7"));
    ASSERT_EQ(db.rewriteCorrection(2, fixed, read.bytes(), db.ledgerIdentity()), Dolvb::Correction::Written);

    bool whole = false;
    const auto e = entries(&whole);
    ASSERT_TRUE(whole);
    ASSERT_EQ(e.size(), 3u);
    for (const auto &entry : e) {
        EXPECT_EQ(entry.mark, "done");
        EXPECT_EQ(entry.head.value("pc").toString(), "PC-TEST");
        EXPECT_EQ(entry.head.value("user").toString(), "tanaka");
        EXPECT_TRUE(QDateTime::fromString(entry.head.value("t").toString(), Qt::ISODateWithMs).isValid());
        ASSERT_EQ(entry.items.size(), 1u);
    }
    EXPECT_EQ(e[0].head.value("op").toString(), QStringLiteral("新規登録"));
    EXPECT_EQ(e[0].items[0].value("rec").toInt(), 1);
    EXPECT_EQ(e[0].items[0].value("was").toInt(), 0);
    EXPECT_EQ(e[0].change(0, "f1").value("a").toString(), QStringLiteral("ボルト"));
    EXPECT_EQ(e[1].head.value("op").toString(), QStringLiteral("複写登録"));
    EXPECT_EQ(e[1].change(0, "c2.3").value("a").toString(), "5");
    // The correction: only what changed, named, with the ledger's value before.
    EXPECT_EQ(e[2].head.value("op").toString(), QStringLiteral("訂正"));
    EXPECT_EQ(e[2].items[0].value("item").toString(), "A-003");
    EXPECT_EQ(e[2].items[0].value("rec").toInt(), 2);
    ASSERT_EQ(e[2].items[0].value("ch").toArray().size(), 1);
    const QJsonObject june = e[2].change(0, "c2.3");
    EXPECT_EQ(june.value("f").toString(), QStringLiteral("出庫 2026/06"));
    EXPECT_EQ(june.value("b").toString(), "5");
    EXPECT_EQ(june.value("a").toString(), "7");
}

TEST_F(Journal, TheBeforeIsWhatTheLedgerHeldUnderTheLockNotWhatTheCardRead)
{
    ASSERT_TRUE(db.openLedger());
    ASSERT_EQ(db.appendRecord(item("A-003", "ナット", "5")), 1);
    // Another client's change lands meanwhile; this one writes over it.
    ASSERT_TRUE(db.rewriteRecord(1, item("A-003", "ナット", "6")));
    db.recordBuffer = item("A-003", "ナット", "9");
    ASSERT_EQ(db.writeRecord(1), 1);
    const auto e = entries();
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.back().change(0, "c2.3").value("b").toString(), "6");
    EXPECT_EQ(e.back().change(0, "c2.3").value("a").toString(), "9");
}

TEST_F(Journal, AJournalThatCannotBeWrittenStopsTheChangeAndNothingIsWritten)
{
    ASSERT_TRUE(db.openLedger());
    ASSERT_EQ(db.appendRecord(item("A-001", "ボルト")), 1);
    const QByteArray ledger = fileBytes(db.ledgerPath());
    const QByteArray journal = fileBytes(changes::journalPath(db.ledgerPath()));
    // Something stands where the journal should be written.
    ASSERT_TRUE(QFile::rename(changes::journalPath(db.ledgerPath()), data + "kept"));
    ASSERT_TRUE(QDir().mkdir(changes::journalPath(db.ledgerPath())));

    messages.clear();
    EXPECT_EQ(db.appendRecord(item("A-002", "ナット")), 0);
    EXPECT_FALSE(db.rewriteRecord(1, item("A-001", "ボルト", "3")));
    ASSERT_EQ(messages.count(), 2);
    for (const auto &m : messages.log()) {
        EXPECT_EQ(m.title, QStringLiteral("登録確認"));
        EXPECT_EQ(m.text, changes::journalPath(db.ledgerPath()) + QStringLiteral("\r　変更記録ファイルに書き込めません。\r　台帳は変更していません。"));
    }
    QString problem;
    EXPECT_EQ(replace(ledgerOf({item("A-009", "他")}), changes::Op::Sort, &problem), LedgerFile::ReplaceResult::JournalFailed);
    EXPECT_TRUE(problem.contains(QStringLiteral("変更記録ファイルに書き込めません")));
    EXPECT_EQ(fileBytes(db.ledgerPath()), ledger);
    EXPECT_EQ(QDir(data).entryList({"Ma在庫品.dat.*"}, QDir::AllEntries | QDir::Hidden), QStringList()) << "no new ledger left beside";
    EXPECT_EQ(QDir(changes::historyFolder(db.ledgerPath())).entryList(QDir::Files), QStringList()) << "no copy without its entry";

    // A history folder that cannot be made stops a whole change too.
    ASSERT_TRUE(QDir().rmdir(changes::journalPath(db.ledgerPath())));
    ASSERT_TRUE(QFile::rename(data + "kept", changes::journalPath(db.ledgerPath())));
    ASSERT_TRUE(QDir(changes::historyFolder(db.ledgerPath())).removeRecursively());
    QFile blocker(changes::historyFolder(db.ledgerPath()));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(replace(ledgerOf({item("A-009", "他")}), changes::Op::Sort, &problem), LedgerFile::ReplaceResult::JournalFailed);
    EXPECT_TRUE(problem.contains(QStringLiteral("台帳の写しを履歴フォルダーに作れません")));
    EXPECT_EQ(fileBytes(db.ledgerPath()), ledger);
    EXPECT_EQ(fileBytes(changes::journalPath(db.ledgerPath())), journal);
}

// Runs check in a process without the right to write other users' files.
int withoutWriteRights(const std::function<int()> &check)
{
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 91;
    return WEXITSTATUS(status);
}

TEST_F(Journal, AReadOnlyFolderRefusesWithTheReadOnlyMessageAndWritesNoJournal)
{
    ASSERT_TRUE(copyFixture("ledger30", data));
    const QByteArray ledger = fileBytes(db.ledgerPath());
    // The ledger may be written, the folder (where the journal goes) not.
    QFile::setPermissions(db.ledgerPath(), QFileDevice::Permissions(0x6666));
    QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                          | QFile::ExeOther);
    const int failed = withoutWriteRights([&] {
        if (!db.openLedger()) return 1;
        if (db.appendRecord(item("N-1", "新")) != 0) return 2;
        if (db.rewriteRecord(1, item("A-001", "変"))) return 3;
        for (const auto &m : messages.log())
            if (!m.text.contains(QStringLiteral("読み取り専用"))) return 4;
        return messages.count() == 2 ? 0 : 5;
    });
    QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(fileBytes(db.ledgerPath()), ledger);
    EXPECT_FALSE(QFileInfo::exists(changes::journalPath(db.ledgerPath())));
}

TEST_F(Journal, WholeChangesKeepTheOldLedgerAndListEachItemsChangedFields)
{
    const QByteArray first = ledgerOf({item("A-001", "ボルト", "1"), item("A-002", "座金"), item("A-003", "ナット", "5")});
    ASSERT_TRUE(replaceFile(db.ledgerPath(), first));
    // A deletion of A-001: A-003 moves up but keeps its values.
    const QByteArray second = ledgerOf({item("A-002", "座金"), item("A-003", "ナット", "5")});
    ASSERT_EQ(replace(second, changes::Op::Delete), LedgerFile::ReplaceResult::Replaced);
    // An import: A-003's June issues change, A-004 is new.
    const QByteArray third = ledgerOf({item("A-002", "座金"), item("A-003", "ナット", "8"), item("A-004", "新")});
    ASSERT_EQ(replace(third, changes::Op::Import), LedgerFile::ReplaceResult::Replaced);
    // A sort: nothing changes for any item.
    const QByteArray fourth = ledgerOf({item("A-004", "新"), item("A-003", "ナット", "8"), item("A-002", "座金")});
    ASSERT_EQ(replace(fourth, changes::Op::Sort), LedgerFile::ReplaceResult::Replaced);
    EXPECT_EQ(fileBytes(db.ledgerPath()), fourth);

    const auto e = entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].head.value("op").toString(), QStringLiteral("削除登録"));
    EXPECT_EQ(e[0].head.value("records").toArray(), (QJsonArray{3, 2}));
    ASSERT_EQ(e[0].items.size(), 1u);
    EXPECT_EQ(e[0].items[0].value("item").toString(), "A-001");
    EXPECT_EQ(e[0].items[0].value("rec").toInt(), 0);
    EXPECT_EQ(e[0].items[0].value("was").toInt(), 1);
    EXPECT_EQ(e[0].change(0, "c2.3").value("b").toString(), "1");
    EXPECT_EQ(e[0].change(0, "f1").value("b").toString(), QStringLiteral("ボルト"));

    EXPECT_EQ(e[1].head.value("op").toString(), QStringLiteral("台帳インポート"));
    ASSERT_EQ(e[1].items.size(), 2u);
    EXPECT_EQ(e[1].items[0].value("item").toString(), "A-003");
    EXPECT_EQ(e[1].change(0, "c2.3").value("f").toString(), QStringLiteral("出庫 2026/06"));
    EXPECT_EQ(e[1].change(0, "c2.3").value("b").toString(), "5");
    EXPECT_EQ(e[1].change(0, "c2.3").value("a").toString(), "8");
    EXPECT_EQ(e[1].items[1].value("item").toString(), "A-004");
    EXPECT_EQ(e[1].items[1].value("was").toInt(), 0);

    EXPECT_EQ(e[2].head.value("op").toString(), QStringLiteral("並べ替え登録"));
    EXPECT_TRUE(e[2].items.empty());
    for (const auto &entry : e) EXPECT_EQ(entry.mark, "done");

    // Each entry names the copy of the ledger as it was before it.
    EXPECT_EQ(fileBytes(data + e[0].head.value("history").toString()), first);
    EXPECT_EQ(fileBytes(data + e[1].head.value("history").toString()), second);
    EXPECT_EQ(fileBytes(data + e[2].head.value("history").toString()), third);
}

TEST_F(Journal, TheHistoryKeepsTheLastTenCopies)
{
    ASSERT_TRUE(replaceFile(db.ledgerPath(), ledgerOf({item("A-001", "0")})));
    for (int k = 1; k <= 12; ++k) ASSERT_EQ(replace(ledgerOf({item("A-001", QString::number(k))}), changes::Op::Monthly), LedgerFile::ReplaceResult::Replaced);
    const QStringList copies = QDir(changes::historyFolder(db.ledgerPath())).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(copies.size(), 10);
    const auto e = entries();
    ASSERT_EQ(e.size(), 12u);
    // The oldest two went; the newest is the ledger before the last change.
    EXPECT_FALSE(QFileInfo::exists(data + e[1].head.value("history").toString()));
    EXPECT_EQ(fileBytes(data + e[11].head.value("history").toString()), ledgerOf({item("A-001", "11")}));
}

TEST_F(Journal, GrowsIntoASecondFileAndKeepsTheOlderOneOnce)
{
    changes::Limits::process().maxBytes = 3000;
    ASSERT_TRUE(db.openLedger());
    for (int k = 1; k <= 40; ++k) ASSERT_EQ(db.appendRecord(item(QStringLiteral("R-%1").arg(k), QStringLiteral("品%1").arg(k))), k);
    const QString current = changes::journalPath(db.ledgerPath()), older = changes::olderJournalPath(db.ledgerPath());
    ASSERT_TRUE(QFileInfo::exists(older));
    EXPECT_LE(QFileInfo(current).size(), 3000);
    EXPECT_LE(QFileInfo(older).size(), 3000);
    std::vector<QJsonObject> lines;
    ASSERT_TRUE(journalLines(older, lines));
    ASSERT_TRUE(journalLines(current, lines));
    // Only the two newest files are kept: the last entries, whole, in order.
    QStringList items;
    for (const QJsonObject &o : lines)
        if (o.contains("item")) items << o.value("item").toString();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.last(), "R-40");
    for (int k = 1; k < items.size(); ++k)
        EXPECT_EQ(items[k].mid(2).toInt(), items[k - 1].mid(2).toInt() + 1) << items.join(u' ').toStdString();
    EXPECT_LT(items.size(), 40);
}

TEST_F(Journal, ALineCutShortByAStoppedClientIsEndedBeforeTheNextEntry)
{
    ASSERT_TRUE(db.openLedger());
    ASSERT_EQ(db.appendRecord(item("A-001", "ボルト")), 1);
    QFile f(changes::journalPath(db.ledgerPath()));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("{\"id\":\"cut-sho");
    f.close();
    ASSERT_EQ(db.appendRecord(item("A-002", "ナット")), 2);
    std::vector<QJsonObject> lines;
    EXPECT_FALSE(journalLines(changes::journalPath(db.ledgerPath()), lines)); // the cut line
    const auto e = entries();
    ASSERT_EQ(e.size(), 1u); // read up to the cut line
    QByteArray bytes = fileBytes(changes::journalPath(db.ledgerPath()));
    const QList<QByteArray> all = bytes.split('\n');
    int whole = 0;
    for (const QByteArray &l : all)
        if (!l.isEmpty() && QJsonDocument::fromJson(l).isObject()) ++whole;
    EXPECT_EQ(whole, 6); // two entries of head, item and mark
}

TEST(JournalChanges, ItemsArePairedByNumberInOrder)
{
    // Two records of one item number, one removed: the second goes.
    const QByteArray before = ledgerOf({item("D", "一"), item("X", "x"), item("D", "二")});
    const QByteArray after = ledgerOf({item("X", "x"), item("D", "一")});
    const auto c = changes::ledgerChanges(before, after, QString());
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].item, "D");
    EXPECT_EQ(c[0].record, 0);
    EXPECT_EQ(c[0].was, 3);
    // Names of the fields and of the months from the start month.
    EXPECT_EQ(changes::fieldName("c1.1", "2025/11"), QStringLiteral("入庫 2025/11"));
    EXPECT_EQ(changes::fieldName("c2.3", "2025/11"), QStringLiteral("出庫 2026/01"));
    EXPECT_EQ(changes::fieldName("c2.3", ""), QStringLiteral("出庫 第3月"));
    EXPECT_EQ(changes::fieldName("c2.13", ""), QStringLiteral("出庫計"));
    EXPECT_EQ(changes::fieldName("f10", ""), QStringLiteral("在庫数量"));
}

} // namespace
