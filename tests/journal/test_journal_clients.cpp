// The change journal with client PCs as processes of their own (the client
// program of the shared-folder tests): every kind of change of the ledger
// answers "who changed A-003's June issues, and from what" through kpvtool
// journal; a restore after another PC's deletion moved the item writes the
// record that holds it now; two PCs registering at once leave whole,
// separate entries; a client killed between its entry and the ledger write
// leaves the entry unfinished and the old ledger.
#include "clients.h"
#include "journal_lines.h"
#include "scripted_messages.h"

#include "storage/dolvb.h"
#include "storage/machine.h"

#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

struct ToolRun {
    int code = -1;
    QString out, err;
};

ToolRun kpvtool(const QStringList &args, const QByteArray &input = {}, const QString &pc = QStringLiteral("PC-ADMIN"))
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("COMPUTERNAME"), pc);
    e.insert(QStringLiteral("USERNAME"), QStringLiteral("kanri"));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(KPV_TOOL), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// The rows of `kpvtool journal` (after its heading), as columns.
std::vector<QStringList> rows(const QString &out)
{
    std::vector<QStringList> r;
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    for (int k = 1; k < lines.size(); ++k) r.push_back(lines[k].split(u'\t'));
    return r;
}

enum Col { When, Pc, User, Op, Record, Item, Field, Before, After, State };

// The rows of one field.
std::vector<QStringList> rowsOf(const QString &out, const QString &field)
{
    std::vector<QStringList> found;
    for (const QStringList &r : rows(out))
        if (r.size() == 10 && r[Field] == field) found.push_back(r);
    return found;
}

QString nowText()
{
    const QDateTime t = QDateTime::currentDateTime();
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

LedgerRecord recordOf(const QByteArray &ledger, int n)
{
    return LedgerRecord::fromBytes(ledger.constData() + qsizetype(n - 1) * LedgerRecord::kSize, LedgerRecord::kSize);
}

// A correction of one month cell, made in this process as PC `pc` through
// the card's way into the ledger.
void correctCell(const QString &folder, const QString &pc, int record, int row, int slot, const QString &value)
{
    qputenv("COMPUTERNAME", pc.toUtf8());
    qputenv("USERNAME", "sato");
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb d(messages, pointer);
    d.clientFolder = d.dataFolder = folder;
    d.clientSettings.set(1, folder);
    d.loadSharedSettings();
    ASSERT_TRUE(d.openLedger());
    ASSERT_TRUE(d.readRecord(record));
    const LedgerRecord read = d.recordBuffer;
    LedgerRecord fixed = read;
    fixed.setCell(row, slot, value);
    ASSERT_EQ(d.rewriteCorrection(record, fixed, read.bytes(), d.ledgerIdentity()), Dolvb::Correction::Written) << messages.texts().join(u'|').toStdString();
    d.closeLedger();
    qunsetenv("COMPUTERNAME");
    qunsetenv("USERNAME");
}

void setStartMonth(const QString &folder, const QString &month)
{
    SettingsSlots s;
    ASSERT_GT(readSettingsFile(folder + names::sharedSettings(), s), 0);
    s.set(9, month);
    ASSERT_TRUE(writeSettingsFile(folder + names::sharedSettings(), s));
}

struct JournalClients : ::testing::Test {
    QTemporaryDir tmp;
    QString folder;
    kpv::testing::Pc pc(const char *name) { return kpv::testing::Pc{QString::fromLatin1(name), folder, {{QStringLiteral("TMPDIR"), tmp.path()}, {QStringLiteral("USERNAME"), QStringLiteral("user-") + QString::fromLatin1(name)}}}; }
    void SetUp() override
    {
        folder = withSlash(tmp.path()) + QStringLiteral("data/");
        prepareFolder(folder, true);
        // Month slot 1 is May: June is slot 2, the month the monthly import fills.
        setStartMonth(folder, QStringLiteral("2025/05"));
    }
    QString ledger() const { return folder + names::ledger(); }
    int client(const char *name, const QStringList &args)
    {
        QString report;
        const int code = runClient(pc(name), args, &report);
        EXPECT_EQ(code, 0) << report.toStdString();
        return code;
    }
};

TEST_F(JournalClients, EveryKindOfChangeSaysWhoChangedJuneIssuesAndFromWhat)
{
    const QString june = QStringLiteral("出庫 2025/06");
    ASSERT_EQ(itemNumbers(bytesOf(ledger())).value(2), QStringLiteral("A-003"));
    const LedgerRecord fixture = recordOf(bytesOf(ledger()), 3);
    const QString fixtureJune = fixture.cell(2, 2);

    // PC-A corrects A-003's June issues on its card.
    correctCell(folder, QStringLiteral("PC-A"), 3, 2, 2, QStringLiteral("5"));
    const QString afterCorrection = nowText();
    QThread::msleep(30);
    // PC-B imports the month: June issues 1 for the first three items.
    client("PC-B", {QStringLiteral("monthly"), folder, QStringLiteral("3")});
    ASSERT_EQ(recordOf(bytesOf(ledger()), 3).cell(2, 2), QStringLiteral("1"));
    // PC-C deletes A-001: A-003 moves up to record 2.
    client("PC-C", {QStringLiteral("delete"), folder, QStringLiteral("1")});
    const QByteArray afterDeletion = bytesOf(ledger());
    ASSERT_EQ(itemNumbers(afterDeletion).value(1), QStringLiteral("A-003"));

    // The restore finds A-003 where it stands now and writes June back.
    const ToolRun restored = kpvtool({QStringLiteral("restore"), folder, QStringLiteral("--item"), QStringLiteral("A-003"), QStringLiteral("--at"), afterCorrection,
                                      QStringLiteral("--yes")});
    ASSERT_EQ(restored.code, 0) << restored.out.toStdString() << restored.err.toStdString();
    EXPECT_TRUE(restored.out.contains(QStringLiteral("品番 A-003（レコード 2）")));
    EXPECT_TRUE(restored.out.contains(june + QStringLiteral("\t1\t5")));
    EXPECT_TRUE(restored.out.contains(QStringLiteral("完了しました。")));
    const QByteArray afterRestore = bytesOf(ledger());
    EXPECT_EQ(recordOf(afterRestore, 2).field(0), QStringLiteral("A-003"));
    EXPECT_EQ(recordOf(afterRestore, 2).cell(2, 2), QStringLiteral("5"));
    // The monthly import's totals go back with it; no other record changes.
    EXPECT_EQ(recordOf(afterRestore, 2).cell(2, 13), fixture.cell(2, 13));
    EXPECT_EQ(recordOf(afterRestore, 2).field(10), fixture.field(10));
    EXPECT_EQ(afterRestore.left(LedgerRecord::kSize), afterDeletion.left(LedgerRecord::kSize));
    EXPECT_EQ(afterRestore.mid(2 * LedgerRecord::kSize), afterDeletion.mid(2 * LedgerRecord::kSize));

    // PC-E imports a ledger book whose A-003 has no June issues; PC-D sorts.
    client("PC-E", {QStringLiteral("import"), folder, QStringLiteral("3"), QStringLiteral("A-00")});
    client("PC-D", {QStringLiteral("sort"), folder});

    const ToolRun j = kpvtool({QStringLiteral("journal"), folder, QStringLiteral("--item"), QStringLiteral("A-003")});
    ASSERT_EQ(j.code, 0) << j.err.toStdString();
    EXPECT_TRUE(j.out.startsWith(QStringLiteral("日時\t端末\t利用者\t操作\tレコード\t品番\t項目\t変更前\t変更後\t状態\n")));
    const auto juneRows = rowsOf(j.out, june);
    ASSERT_EQ(juneRows.size(), 4u) << j.out.toStdString();
    const auto expectRow = [&](const QStringList &r, const char *op, const char *who, const QString &before, const QString &after) {
        EXPECT_EQ(r[Op], QString::fromUtf8(op)) << r.join(u'|').toStdString();
        EXPECT_EQ(r[Pc], QString::fromUtf8(who)) << r.join(u'|').toStdString();
        EXPECT_EQ(r[Item], QStringLiteral("A-003"));
        EXPECT_EQ(r[Before], before) << r.join(u'|').toStdString();
        EXPECT_EQ(r[After], after) << r.join(u'|').toStdString();
        EXPECT_EQ(r[State], QStringLiteral("完了"));
    };
    expectRow(juneRows[0], "訂正", "PC-A", fixtureJune, QStringLiteral("5"));
    EXPECT_EQ(juneRows[0][User], QStringLiteral("sato"));
    EXPECT_EQ(juneRows[0][Record], QStringLiteral("3"));
    expectRow(juneRows[1], "月報転記", "PC-B", QStringLiteral("5"), QStringLiteral("1"));
    EXPECT_EQ(juneRows[1][User], QStringLiteral("user-PC-B"));
    expectRow(juneRows[2], "復元", "PC-ADMIN", QStringLiteral("1"), QStringLiteral("5"));
    EXPECT_EQ(juneRows[2][Record], QStringLiteral("2"));
    expectRow(juneRows[3], "台帳インポート", "PC-E", QStringLiteral("5"), QString());
    // The deletion of A-001 and the sort changed nothing of A-003.
    EXPECT_FALSE(j.out.contains(QStringLiteral("削除登録")));
    EXPECT_FALSE(j.out.contains(QStringLiteral("並べ替え登録")));

    // Unfiltered: the sort and the deletion with their copies of the ledger.
    const ToolRun all = kpvtool({QStringLiteral("journal"), folder});
    bool sorted = false, deleted = false;
    for (const QStringList &r : rows(all.out)) {
        if (r.size() != 10) continue;
        if (r[Op] == QStringLiteral("並べ替え登録") && r[Record] == QStringLiteral("全体") && r[State] == QStringLiteral("完了")) sorted = true;
        if (r[Op] == QStringLiteral("削除登録") && r[Item] == QStringLiteral("A-001") && r[Record] == QStringLiteral("1→削除")) deleted = true;
    }
    EXPECT_TRUE(sorted) << all.out.toStdString();
    EXPECT_TRUE(deleted) << all.out.toStdString();
    // --pc and --since narrow the table.
    const ToolRun onlyB = kpvtool({QStringLiteral("journal"), folder, QStringLiteral("--pc"), QStringLiteral("pc-b")});
    for (const QStringList &r : rows(onlyB.out)) EXPECT_EQ(r[Pc], QStringLiteral("PC-B"));
    EXPECT_FALSE(rows(onlyB.out).empty());
    const ToolRun since = kpvtool({QStringLiteral("journal"), folder, QStringLiteral("--item"), QStringLiteral("A-003"), QStringLiteral("--since"), afterCorrection});
    EXPECT_EQ(rowsOf(since.out, june).size(), 3u);

    // A data transfer replaces the ledger of another folder: journaled there.
    const QString target = withSlash(tmp.path()) + QStringLiteral("target/");
    const QString client = withSlash(tmp.path()) + QStringLiteral("client/");
    prepareFolder(target, true);
    setStartMonth(target, QStringLiteral("2025/05"));
    QDir().mkpath(client);
    correctCell(target, QStringLiteral("PC-F"), 3, 2, 2, QStringLiteral("9"));
    QString report;
    ASSERT_EQ(runClient(pc("PC-F"), {QStringLiteral("transfer"), client, folder, target}, &report), 0) << report.toStdString();
    const ToolRun moved = kpvtool({QStringLiteral("journal"), target, QStringLiteral("--item"), QStringLiteral("A-003")});
    const auto movedRows = rowsOf(moved.out, june);
    ASSERT_EQ(movedRows.size(), 2u) << moved.out.toStdString();
    expectRow(movedRows[1], "データ転送", "PC-F", QStringLiteral("9"), QString());
    // The target's ledger as it was is kept in its history folder.
    const auto entries = journalEntries(target + names::ledger());
    ASSERT_FALSE(entries.empty());
    const QString copy = entries.back().head.value("history").toString();
    EXPECT_TRUE(copy.startsWith(QStringLiteral("Ma在庫品履歴/")));
    EXPECT_EQ(recordOf(bytesOf(target + copy), 3).cell(2, 2), QStringLiteral("9"));
    // The history and the journal are extra files: kpvtool check finds the folders clean.
    EXPECT_EQ(kpvCheck(folder), 0);
    EXPECT_EQ(kpvCheck(target), 0);
}

TEST_F(JournalClients, RestoreUndoesAWrongCorrectionAfterAsking)
{
    correctCell(folder, QStringLiteral("PC-A"), 4, 2, 2, QStringLiteral("3"));
    const QString good = nowText();
    QThread::msleep(30);
    correctCell(folder, QStringLiteral("PC-B"), 4, 2, 2, QStringLiteral("300")); // the wrong one
    const QByteArray wrong = bytesOf(ledger());
    // Not confirmed: shown, nothing written.
    const ToolRun asked = kpvtool({QStringLiteral("restore"), folder, QStringLiteral("--item"), QStringLiteral("A-004"), QStringLiteral("--at"), good}, "n\n");
    EXPECT_EQ(asked.code, 1);
    EXPECT_TRUE(asked.out.contains(QStringLiteral("出庫 2025/06\t300\t3")));
    EXPECT_EQ(bytesOf(ledger()), wrong);
    // Confirmed.
    const ToolRun done = kpvtool({QStringLiteral("restore"), folder, QStringLiteral("--item"), QStringLiteral("A-004"), QStringLiteral("--at"), good}, "y\n");
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_EQ(recordOf(bytesOf(ledger()), 4).cell(2, 2), QStringLiteral("3"));
    // Nothing left to restore; an item not in the ledger, or a time before the journal, is refused.
    EXPECT_EQ(kpvtool({QStringLiteral("restore"), folder, QStringLiteral("--item"), QStringLiteral("A-004"), QStringLiteral("--at"), good, QStringLiteral("--yes")}).code, 0);
    EXPECT_EQ(kpvtool({QStringLiteral("restore"), folder, QStringLiteral("--item"), QStringLiteral("Z-999"), QStringLiteral("--at"), good, QStringLiteral("--yes")}).code, 2);
    EXPECT_EQ(kpvtool({QStringLiteral("restore"), folder, QStringLiteral("--item"), QStringLiteral("A-004"), QStringLiteral("--at"), QStringLiteral("2001-01-01"), QStringLiteral("--yes")}).code, 2);
}

TEST_F(JournalClients, TwoPcsRegisteringAtOnceLeaveWholeSeparateEntries)
{
    Client a(pc("PC-A"), {QStringLiteral("append"), folder, QStringLiteral("25"), QStringLiteral("A")});
    Client b(pc("PC-B"), {QStringLiteral("append"), folder, QStringLiteral("25"), QStringLiteral("B")});
    ASSERT_EQ(a.finish(), 0) << a.report().toStdString();
    ASSERT_EQ(b.finish(), 0) << b.report().toStdString();
    bool whole = false;
    const auto entries = journalEntries(ledger(), &whole);
    ASSERT_TRUE(whole) << "every line is one whole JSON object";
    ASSERT_EQ(entries.size(), 50u);
    const QStringList items = itemNumbers(bytesOf(ledger()));
    QSet<int> records;
    for (const auto &e : entries) {
        EXPECT_EQ(e.mark, "done");
        ASSERT_EQ(e.items.size(), 1u);
        const int rec = e.items[0].value("rec").toInt();
        const QString item = e.items[0].value("item").toString();
        records.insert(rec);
        EXPECT_EQ(items.value(rec - 1), item) << "the entry names the record its item went to";
        EXPECT_EQ(e.head.value("pc").toString(), item.startsWith(u'A') ? QStringLiteral("PC-A") : QStringLiteral("PC-B"));
    }
    EXPECT_EQ(records.size(), 50);
}

TEST_F(JournalClients, AKillBetweenTheEntryAndTheLedgerWriteLeavesAnUnfinishedEntryAndTheOldLedger)
{
    struct Case {
        const char *step;
        QStringList args;
        const char *op;
    };
    const Case cases[] = {
        {"append.journaled", {QStringLiteral("append"), folder, QStringLiteral("1"), QStringLiteral("K")}, "新規登録"},
        {"rewrite.journaled", {QStringLiteral("rewrite"), folder, QStringLiteral("2"), QStringLiteral("KILLED")}, "訂正"},
        {"replace.journaled", {QStringLiteral("sort"), folder}, "並べ替え登録"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.step);
        const QByteArray before = bytesOf(ledger());
        {
            Client killed(pc("PC-K"), c.args, {{QStringLiteral("KPV_STOP_AT"), QString::fromLatin1(c.step)}});
            ASSERT_TRUE(killed.waitFor("KPV-STOPPED")) << killed.report().toStdString();
            killed.killHard();
        }
        EXPECT_EQ(bytesOf(ledger()), before);
        const auto entries = journalEntries(ledger());
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.back().head.value("op").toString(), QString::fromUtf8(c.op));
        EXPECT_EQ(entries.back().mark, QString());
        const ToolRun shown = kpvtool({QStringLiteral("journal"), folder, QStringLiteral("--pc"), QStringLiteral("PC-K")});
        const auto r = rows(shown.out);
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r.back()[State], QStringLiteral("未完了")) << shown.out.toStdString();
    }
    // The next client takes the lock over and its change is journaled whole.
    client("PC-K", {QStringLiteral("append"), folder, QStringLiteral("1"), QStringLiteral("N")});
    const auto entries = journalEntries(ledger());
    EXPECT_EQ(entries.back().mark, "done");
    EXPECT_EQ(entries.back().items.at(0).value("item").toString(), "N1");
}

} // namespace
