// Narrowing, sorting and deleting on copies of the 30-item example ledger.
#include "search/delete_session.h"
#include "search/ledger_rewrite.h"
#include "search/narrowing.h"
#include "search/sort_session.h"
#include "search_world.h"
#include "storage/file_lock.h"
#include "storage/ledger_file.h"
#include "storage/machine.h"
#include "storage/shared_io.h"

#include <QCollator>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kpv;
using namespace kpv::search;
using kpv::testing::RecordedMessage;
using kpv::testing::SearchWorld;

namespace {

Conditions conditions(std::initializer_list<std::pair<int, QString>> list)
{
    ConditionRows rows;
    size_t r = 0;
    for (const auto &[column, word] : list) rows[r++] = ConditionRow{QString::number(column), QStringLiteral("h"), word};
    return orderConditions(rows);
}

// Record numbers are those of the example ledger (1 = A-001 六角ボルト, 4 = A-004 ﾎﾞﾙﾄ, 13 = E-001 Bolt,
// 14 = E-002 bolt, 16 = F-002 with 〒ﾏｰｸ①㈱～－, 23/24 = J-001/J-002 ナット).
struct NarrowCase {
    const char *what;
    std::vector<std::pair<int, QString>> words;
    std::vector<int> found;
};

class NarrowOnExample : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowOnExample, findsExactlyTheseRecords)
{
    SearchWorld w;
    const NarrowCase &c = GetParam();
    ConditionRows rows;
    for (size_t r = 0; r < c.words.size(); ++r) rows[r] = ConditionRow{QString::number(c.words[r].first), {}, c.words[r].second};
    Narrowing n;
    n.narrowLedger(*w.d, orderConditions(rows));
    EXPECT_EQ(n.result(), c.found) << c.what;
}

const NarrowCase kNarrowCases[] = {
    NarrowCase{"full-width katakana, not the half-width form", {{2, QStringLiteral("ボルト")}}, {1, 2, 3}},
    NarrowCase{"letter case counts", {{2, QStringLiteral("Bolt")}}, {13}},
    NarrowCase{"equal text", {{1, QStringLiteral("D-10")}}, {11}},
        // "g" and "{" are the second bytes of ト and ボ: bytes inside a
        // double-byte character are not characters.
    NarrowCase{"no match inside a double-byte character", {{2, QStringLiteral("g")}}, {}},
    NarrowCase{"no match inside a double-byte character", {{2, QStringLiteral("{")}}, {}},
    NarrowCase{"a character with two codes", {{3, QStringLiteral("①㈱")}}, {16}},
    NarrowCase{"name and maker", {{4, QStringLiteral("ＡＢＣ")}, {2, QStringLiteral("ナット")}}, {23, 24}},
    NarrowCase{"unit column", {{8, QStringLiteral("個")}, {2, QStringLiteral("ベアリング")}}, {5, 6}},
    NarrowCase{"a word behind an empty one finds nothing", {{2, QStringLiteral("ナット")}, {3, {}}, {4, QStringLiteral("ＡＢＣ")}}, {}},
    NarrowCase{"a column that carries no condition", {{6, QStringLiteral("1")}}, {}}};
INSTANTIATE_TEST_SUITE_P(Cases, NarrowOnExample, ::testing::ValuesIn(kNarrowCases));

TEST(NarrowConditions, orderedByColumnAndShownInThatOrder)
{
    ConditionRows rows{ConditionRow{QStringLiteral("4"), QStringLiteral(" メーカー "), QStringLiteral(" ＡＢＣ ")},
                       ConditionRow{},
                       ConditionRow{QStringLiteral("2"), QStringLiteral("品名"), QStringLiteral("ナット")}};
    const Conditions c = orderConditions(rows);
    EXPECT_EQ(c.columns, (std::array<int, 3>{2, 4, 0}));
    EXPECT_EQ(c.words[1], QStringLiteral("ＡＢＣ"));
    EXPECT_EQ(rows[0].column, QStringLiteral("2"));
    EXPECT_EQ(rows[1].heading, QStringLiteral("メーカー"));
    EXPECT_TRUE(rows[2].isEmpty()) << "no stale copy of a moved row stays below";

    // A, empty, B: the notice starts with A, two ideographic spaces, B.
    ConditionRows gap{ConditionRow{QStringLiteral("4"), {}, QStringLiteral("B")}, ConditionRow{QStringLiteral("3"), {}, {}},
                      ConditionRow{QStringLiteral("2"), {}, QStringLiteral("A")}};
    const Conditions g = orderConditions(gap);
    EXPECT_TRUE(g.usable());
    EXPECT_TRUE(notFoundText(g, false).startsWith(QStringLiteral("A　　B　\r　のデータ絞込み")));

    ConditionRows none{ConditionRow{QStringLiteral("x"), {}, QStringLiteral("word")}, ConditionRow{QStringLiteral("3"), {}, {}}, ConditionRow{}};
    EXPECT_FALSE(orderConditions(none).usable());
    EXPECT_EQ(none[0].column, QStringLiteral("3"));
    EXPECT_TRUE(none[1].isEmpty() && none[1].word.isEmpty()) << "a row without a number loses its word too";
}

TEST(Narrowing, reNarrowsInPlaceKeepingOrder)
{
    SearchWorld w;
    Narrowing n;
    ASSERT_EQ(n.narrowLedger(*w.d, conditions({{4, QStringLiteral("ＡＢＣ")}})), 6);
    n.nextPage();
    EXPECT_EQ(n.narrowAgain(*w.d, conditions({{4, QStringLiteral("ＡＢＣ")}, {3, QStringLiteral("M8")}})), 3);
    EXPECT_EQ(n.result(), (std::vector<int>{1, 23, 26}));
    EXPECT_EQ(n.page(), 1);
    EXPECT_EQ(n.narrowAgain(*w.d, conditions({{2, QStringLiteral("ナット")}, {3, QStringLiteral("M8")}})), 1);
    EXPECT_EQ(n.result(), std::vector<int>{23});
    // Re-narrowing to nothing empties the result; next page shows an empty page.
    EXPECT_EQ(n.narrowAgain(*w.d, conditions({{2, QStringLiteral("ボルト")}})), 0);
    n.nextPage();
    EXPECT_EQ(n.page(), 1);
    EXPECT_EQ(n.pageRecords(), std::vector<int>(12, 0));
}

TEST(Narrowing, pagesWrapAtBothEnds)
{
    SearchWorld w;
    std::vector<std::pair<QString, QString>> items;
    for (int i = 1; i <= 30; ++i) items.emplace_back(QString::number(i), i <= 24 ? QStringLiteral("X") : QStringLiteral("Y"));
    w.writeLedger(items);
    Narrowing n;
    ASSERT_EQ(n.narrowLedger(*w.d, conditions({{2, QStringLiteral("X")}})), 24);
    EXPECT_EQ(n.pages(), 3);
    std::vector<int> pages{n.page()};
    for (int i = 0; i < 3; ++i) {
        n.nextPage();
        pages.push_back(n.page());
        if (n.page() == 2) {
            EXPECT_EQ(n.pageRecords().front(), 13);
        }
        if (n.page() == 3) {
            EXPECT_EQ(n.pageRecords(), std::vector<int>(12, 0)) << "a multiple of 12 has a last, empty page";
        }
    }
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 3, 1}));
    pages = {};
    for (int i = 0; i < 3; ++i) {
        n.previousPage();
        pages.push_back(n.page());
    }
    EXPECT_EQ(pages, (std::vector<int>{3, 2, 1}));

    // At most 12 found: previous stays on page 1.
    ASSERT_EQ(n.narrowLedger(*w.d, conditions({{2, QStringLiteral("Y")}})), 6);
    n.previousPage();
    EXPECT_EQ(n.page(), 1);
    EXPECT_EQ(n.pageRecords()[5], 30);
    EXPECT_EQ(n.pageRecords()[6], 0);
}

TEST(Sort, collatedByNameThenNumberWholeRecordsNamelessDropped)
{
    SearchWorld w;
    const QByteArray before = w.ledgerBytes();
    SortSession s(*w.d);
    ASSERT_TRUE(s.open());
    EXPECT_EQ(s.listRows(), 30);
    EXPECT_EQ(s.cell(25, 1), QStringLiteral("K-001")) << "listed in ledger order before sorting";
    ASSERT_TRUE(s.sort());
    EXPECT_EQ(s.sortedCount(), 29);
    EXPECT_EQ(w.ledgerBytes(), before) << "sorting does not touch the ledger";

    QFile temp(w.folder + names::tempLedger());
    ASSERT_TRUE(temp.open(QIODevice::ReadOnly));
    const QByteArray sorted = temp.readAll();
    ASSERT_EQ(sorted.size(), 29 * LedgerRecord::kSize);
    QStringList numbers;
    for (int i = 0; i < 29; ++i) {
        const QByteArray rec = sorted.mid(i * LedgerRecord::kSize, LedgerRecord::kSize);
        const QString no = LedgerRecord::fromBytes(rec.constData(), rec.size()).field(0);
        numbers << no;
        // Whole records: every byte as in the ledger (spare fields, row 0 and slot 0 included).
        const int from = QStringLiteral("A-001 A-002 A-003").split(u' ').indexOf(no);
        if (from >= 0) {
            EXPECT_EQ(rec, before.mid(from * LedgerRecord::kSize, LedgerRecord::kSize)) << qPrintable(no);
        }
    }
    EXPECT_EQ(numbers.mid(0, 5), QStringList({"E-001", "E-002", "L-001", "L-002", "B-003"}));
    EXPECT_LT(numbers.indexOf("D-10"), numbers.indexOf("D-2"));
    EXPECT_FALSE(numbers.contains("K-001"));
    EXPECT_EQ(s.cell(1, 2), QStringLiteral("Bolt"));
    EXPECT_EQ(s.cell(30, 1), QString()) << "the list keeps the ledger's length";

    ASSERT_TRUE(s.registerSort());
    EXPECT_EQ(w.ledgerBytes(), sorted);
    EXPECT_FALSE(QFile::exists(w.folder + names::tempLedger()));
    EXPECT_TRUE(QFile::exists(w.folder + names::indexCacheWritten()));
    EXPECT_EQ(w.d->indexTable.value(1, 1), QStringLiteral("E-001"));
    EXPECT_EQ(w.d->indexTable.value(29, 1), w.column(0).last());
    EXPECT_TRUE(w.messages.log().empty());
}

// The order made while the panel is open is of the ledger as it was read: a
// record another client rewrote in place meanwhile (the file as long as
// before) is sorted as it is now. Sorting again gives the same list.
TEST(Sort, aRecordRewrittenWhileThePanelIsOpenIsSortedAsItIsNow)
{
    SearchWorld w;
    SortSession s(*w.d);
    ASSERT_TRUE(s.open());
    auto other = w.makeClient(QStringLiteral("PC-B"));
    ASSERT_TRUE(other->openLedger());
    const QByteArray bytes = w.ledgerBytes();
    LedgerRecord k001 = LedgerRecord::fromBytes(bytes.constData() + 24 * LedgerRecord::kSize, LedgerRecord::kSize);
    k001.setField(1, QStringLiteral("000"));
    ASSERT_TRUE(other->rewriteRecord(25, k001));
    other->closeLedger();
    ASSERT_EQ(w.ledgerBytes().size(), bytes.size());

    ASSERT_TRUE(s.sort());
    EXPECT_EQ(s.sortedCount(), 30) << "K-001 has a name now";
    EXPECT_EQ(s.cell(1, 1), QStringLiteral("K-001"));
    const QStringList first = {s.cell(1, 1), s.cell(2, 1), s.cell(30, 1)};
    ASSERT_TRUE(s.sort());
    EXPECT_EQ((QStringList{s.cell(1, 1), s.cell(2, 1), s.cell(30, 1)}), first);
    ASSERT_TRUE(s.registerSort());
    EXPECT_EQ(w.column(0).first(), QStringLiteral("K-001"));
}

// A ledger of several thousand records, many keys equal but for letter case:
// the temporary ledger and the list follow a stable sort by the collator's
// own comparison, however the records are split up on the way.
TEST(Sort, largeLedgerMatchesAStableCollatorSort)
{
    SearchWorld w;
    // Keys alike for long stretches (beyond 8 and 16 key bytes), kana of
    // either kind and width, long vowel marks, letters of either case and
    // width, punctuation and digits.
    const QString names[] = {QStringLiteral("ボルト"), QStringLiteral("ﾎﾞﾙﾄ"), QStringLiteral("bolt"), {}, QStringLiteral("Bolt"), QStringLiteral("ベアリングＡ"),
                             QStringLiteral("ベアリング６２０５ＺＺ(製)"), QStringLiteral("べありんぐ6205ZZ（製）"), QStringLiteral("ボールト"),
                             QStringLiteral("Ｂｏｌｔ－"), QStringLiteral("六角ボルトM10×30"), QStringLiteral("六角ボルトM10×3"), QStringLiteral("  "), QStringLiteral("ボルト 10")};
    QByteArray all;
    std::vector<std::pair<QString, int>> expected; // key, record number
    for (int i = 1; i <= 4500; ++i) {
        LedgerRecord r;
        const QString no = QStringLiteral("d-%1").arg(i % 37), name = names[i % 14];
        r.setField(0, no);
        r.setField(1, name);
        r.setField(3, QString::number(i));
        r.setLineEnd();
        all.append(r.data(), LedgerRecord::kSize);
        if (!name.trimmed().isEmpty()) expected.emplace_back(name + no, i);
    }
    QFile f(w.ledgerPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(all) == all.size());
    f.close();
    QCollator c{QLocale(QLocale::Japanese, QLocale::Japan)};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(expected.begin(), expected.end(), [&](const auto &a, const auto &b) { return c.compare(a.first, b.first) < 0; });

    SortSession s(*w.d);
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.sort());
    ASSERT_EQ(s.sortedCount(), int(expected.size()));
    QFile temp(w.folder + names::tempLedger());
    ASSERT_TRUE(temp.open(QIODevice::ReadOnly));
    const QByteArray sorted = temp.readAll();
    ASSERT_EQ(sorted.size(), qsizetype(expected.size()) * LedgerRecord::kSize);
    for (size_t i = 0; i < expected.size(); ++i) {
        const qsizetype from = qsizetype(expected[i].second - 1) * LedgerRecord::kSize;
        ASSERT_EQ(sorted.mid(qsizetype(i) * LedgerRecord::kSize, LedgerRecord::kSize), all.mid(from, LedgerRecord::kSize)) << "row " << i + 1;
        ASSERT_EQ(s.cell(int(i + 1), 4), QString::number(expected[i].second)) << "row " << i + 1;
    }
    EXPECT_EQ(s.cell(int(expected.size() + 1), 1), QString());
    s.close();
}

// The stamp made piece by piece while reading equals the stamp of the whole,
// however the bytes are split, and a changed byte changes it.
TEST(Stamp, piecesGiveTheStampOfTheWhole)
{
    QByteArray bytes(3 * 926 + 45, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 131 + i / 7);
    for (const size_t size : {size_t(0), size_t(31), size_t(32), size_t(77), size_t(bytes.size())}) {
        const LedgerStamp whole = LedgerStamp::of(bytes.constData(), size);
        for (const size_t piece : {size_t(1), size_t(5), size_t(32), size_t(33), size_t(1000)}) {
            StampBuilder b;
            for (size_t at = 0; at < size; at += piece) b.add(bytes.constData() + at, std::min(piece, size - at));
            EXPECT_EQ(b.finish(), whole) << size << " in pieces of " << piece;
        }
    }
    QByteArray changed = bytes;
    changed[2000] = char(changed[2000] ^ 1);
    EXPECT_FALSE(LedgerStamp::of(changed.constData(), size_t(changed.size())) == LedgerStamp::of(bytes.constData(), size_t(bytes.size())));
}

TEST(Sort, closingDropsTheTemporaryLedgerAndRestoresTheIndex)
{
    SearchWorld w;
    SortSession s(*w.d);
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.sort());
    s.close();
    EXPECT_FALSE(QFile::exists(w.folder + names::tempLedger()));
    EXPECT_EQ(w.d->indexTable.value(1, 1), QStringLiteral("A-001"));
    EXPECT_EQ(w.d->indexTable.value(1, 5), QStringLiteral("1080")) << "the stock value again, not a row number";

    // A sort session of another client is refused while one is open, naming
    // the PC of the process that holds the panel's lock.
    ASSERT_TRUE(s.open());
    auto other = w.makeClient(QStringLiteral("PC-B"));
    DeleteSession second(*other);
    EXPECT_FALSE(second.open());
    EXPECT_TRUE(w.messages.last().text.contains(QStringLiteral("（%1）").arg(machineName()))) << w.messages.last().text.toStdString();
    s.close();
    EXPECT_TRUE(second.open());
    second.close();
}

TEST(Delete, rowsMoveUpAndRegisteringKeepsTheListedRecords)
{
    SearchWorld w;
    DeleteSession del(*w.d);
    ASSERT_TRUE(del.open());
    EXPECT_EQ(del.remaining(), 30);
    ASSERT_TRUE(del.deleteRow(1));
    ASSERT_TRUE(del.deleteRow(1));
    EXPECT_EQ(del.remaining(), 28);
    EXPECT_EQ(del.cell(1, 1), QStringLiteral("A-003"));
    ASSERT_TRUE(del.deleteRow(28));  // the last listed row
    EXPECT_EQ(del.cell(28, 1), QString());
    EXPECT_FALSE(del.deleteRow(28)) << "an emptied row deletes nothing";
    EXPECT_FALSE(del.deleteRow(0));
    EXPECT_EQ(del.remaining(), 27);
    EXPECT_EQ(del.listRows(), 30);

    const QStringList before = w.column(0);
    ASSERT_TRUE(del.registerDeletions());
    EXPECT_EQ(w.column(0), before.mid(2, 27));
    EXPECT_EQ(w.d->indexTable.value(1, 1), QStringLiteral("A-003"));
    w.d->openLedger();
    EXPECT_EQ(w.d->recordCount, 27);
}

TEST(Register, refusedWhenAnotherClientAppendedMeanwhile)
{
    SearchWorld w;
    SortSession s(*w.d);
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.sort());
    QProcess helper;
    helper.start(QStringLiteral(KPV_APPEND_HELPER), {w.folder, QStringLiteral("1"), QStringLiteral("NEW")});
    ASSERT_TRUE(helper.waitForFinished(30000));
    ASSERT_EQ(helper.exitCode(), 0);
    const QByteArray appended = w.ledgerBytes();
    ASSERT_EQ(appended.size(), 31 * LedgerRecord::kSize);

    EXPECT_FALSE(s.registerSort());
    EXPECT_TRUE(w.messages.last().text.contains(QStringLiteral("変更されています")));
    EXPECT_EQ(w.ledgerBytes(), appended) << "the other client's record is kept";
    // Sorting again takes the new record in, and then registering works.
    ASSERT_TRUE(s.sort());
    ASSERT_TRUE(s.registerSort());
    EXPECT_TRUE(w.column(0).contains(QStringLiteral("NEW1")));
    EXPECT_EQ(w.column(0).size(), 30);
}

TEST(Register, aCrashBeforeTheRenameLeavesTheOldLedgerReadable)
{
    SearchWorld w;
    const QByteArray before = w.ledgerBytes();
    DeleteSession del(*w.d);
    ASSERT_TRUE(del.open());
    del.deleteRow(3);
    del.beforeRename = [] { return false; };
    EXPECT_FALSE(del.registerDeletions());
    EXPECT_EQ(w.ledgerBytes(), before);
    QStringList beside = QDir(w.folder).entryList(QDir::Files);
    beside.removeAll(names::ledger());
    beside.removeAll(names::tempLedger());
    EXPECT_TRUE(std::none_of(beside.begin(), beside.end(), [](const QString &f) { return f.startsWith(names::ledger()); }))
        << "the new ledger beside it is removed again: " << beside.join(u' ').toStdString();
    Narrowing n;
    EXPECT_EQ(n.narrowLedger(*w.d, conditions({{1, QStringLiteral("-")}})), 30);

    del.beforeRename = nullptr;
    ASSERT_TRUE(del.registerDeletions());
    EXPECT_EQ(w.column(0).size(), 29);
    EXPECT_FALSE(w.column(0).contains(QStringLiteral("A-003")));
}

// The panel's lock as another PC left it.
void leavePanelLock(SearchWorld &w, const QByteArray &text)
{
    ASSERT_EQ(io::replaceWhole(FileLock::lockPathOf(w.folder + names::tempLedger()), text), io::Outcome::Done);
}

QByteArray panelLockOf(const char *pc, const QDateTime &refreshed)
{
    return "kpv-lock 1\npc=" + QByteArray(pc) + "\npid=4242\nstart=1\ntoken=x\ntime=" + refreshed.toString(Qt::ISODateWithMs).toUtf8() + "\nseq=1\n";
}

TEST(PanelLock, aPcWorkingInThePanelIsNamedAndNotOfferedToBeBroken)
{
    SearchWorld w;
    leavePanelLock(w, panelLockOf("PC-B", QDateTime::currentDateTimeUtc()));
    DeleteSession del(*w.d);
    EXPECT_FALSE(del.open());
    ASSERT_EQ(w.messages.count(), 1);
    EXPECT_EQ(w.messages.last().kind, RecordedMessage::Tell);
    EXPECT_EQ(w.messages.last().text, QStringLiteral("他のPC（PC-B）で在庫品のSort・削除が実行中です。\r　終了してから実行してください。"));
}

TEST(PanelLock, aLockLeftByACrashedPcIsOfferedToBeBrokenNamingPcAndAge)
{
    SearchWorld w;
    leavePanelLock(w, panelLockOf("PC-B", QDateTime::currentDateTimeUtc().addSecs(-12 * 60 - 5)));
    DeleteSession del(*w.d);
    w.messages.answerNo();
    EXPECT_FALSE(del.open());
    ASSERT_EQ(w.messages.count(), 1);
    EXPECT_EQ(w.messages.last().kind, RecordedMessage::Ask);
    EXPECT_TRUE(w.messages.last().text.startsWith(QStringLiteral("他のPC（PC-B）の在庫品Sort・削除の使用中表示が12分前から更新されていません。")))
        << w.messages.last().text.toStdString();
    w.messages.answerYes();
    ASSERT_TRUE(del.open());
    EXPECT_EQ(del.listRows(), 30);
    del.close();
    EXPECT_FALSE(io::exists(FileLock::lockPathOf(w.folder + names::tempLedger())));
}

TEST(PanelLock, anEmptyLockNamesNoPcButIsOfferedToBeBroken)
{
    SearchWorld w;
    leavePanelLock(w, QByteArray());
    SortSession s(*w.d);
    w.messages.answerYes();
    ASSERT_TRUE(s.open());
    EXPECT_TRUE(w.messages.log().front().text.startsWith(QStringLiteral("他のPC（不明）の在庫品Sort・削除の使用中表示が読み取れません。")))
        << w.messages.log().front().text.toStdString();
}

TEST(PanelLock, aReadOnlyDataFolderIsToldItCannotSortOrDeleteThere)
{
    SearchWorld w;
    QFile::setPermissions(w.dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    int result = 0;
    if (::geteuid() == 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
            DeleteSession del(*w.d);
            if (del.open()) ::_exit(1);
            const QString text = w.messages.last().text;
            ::_exit(text.contains(QStringLiteral("読み取り専用")) && text.contains(QStringLiteral("Sort・削除はできません")) && !text.contains(QStringLiteral("他のPC")) ? 0 : 2);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        result = WIFEXITED(status) ? WEXITSTATUS(status) : 99;
    } else {
        DeleteSession del(*w.d);
        result = del.open() ? 1 : (w.messages.last().text.contains(QStringLiteral("読み取り専用")) ? 0 : 2);
    }
    QFile::setPermissions(w.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(result, 0);
}

TEST(Register, theNewLedgerKeepsTheModeOwnerAndGroupOfTheOld)
{
    SearchWorld w;
    const mode_t old = ::umask(022);
    ASSERT_EQ(::chmod(io::localPath(w.ledgerPath()).constData(), 0666), 0);
    const bool root = ::geteuid() == 0;
    if (root) ASSERT_EQ(::chown(io::localPath(w.ledgerPath()).constData(), 1234, 2345), 0);
    SortSession s(*w.d);
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.sort());
    ASSERT_TRUE(s.registerSort());
    ::umask(old);
    const io::Identity id = io::identityOf(w.ledgerPath());
    EXPECT_EQ(id.mode, mode_t(0666)) << "a second user can still append";
    if (root) {
        EXPECT_EQ(id.uid, uid_t(1234));
        EXPECT_EQ(id.gid, gid_t(2345));
    }
}

// A ledger ending in half a record that the count rule does not count: a
// registered deletion keeps it uncounted, never brings it back as an item.
TEST(Register, bytesAfterTheLastRecordNeverBecomeAnItem)
{
    SearchWorld w;
    w.writeLedger({{QStringLiteral("A-1"), QStringLiteral("一")}, {QStringLiteral("A-2"), QStringLiteral("二")}});
    {
        QFile f(w.ledgerPath());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(QByteArray(463, 'z')); // a tie after two records: not counted
    }
    DeleteSession del(*w.d);
    ASSERT_TRUE(del.open());
    ASSERT_EQ(del.listRows(), 2);
    ASSERT_TRUE(del.deleteRow(1));
    ASSERT_TRUE(del.registerDeletions());
    const QByteArray after = w.ledgerBytes();
    EXPECT_EQ(LedgerFile::countRecords(after.size()), 1);
    EXPECT_EQ(w.column(0), QStringList{QStringLiteral("A-2")});

    // 400 bytes stay no record whatever the count: they are kept.
    w.writeLedger({{QStringLiteral("B-1"), QStringLiteral("一")}, {QStringLiteral("B-2"), QStringLiteral("二")}, {QStringLiteral("B-3"), QStringLiteral("三")}});
    {
        QFile f(w.ledgerPath());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(QByteArray(400, 'z'));
    }
    DeleteSession again(*w.d);
    ASSERT_TRUE(again.open());
    ASSERT_TRUE(again.deleteRow(2));
    ASSERT_TRUE(again.registerDeletions());
    EXPECT_EQ(w.ledgerBytes().size(), 2 * LedgerRecord::kSize + 400);
    EXPECT_EQ(w.column(0), (QStringList{QStringLiteral("B-1"), QStringLiteral("B-3")}));
}

} // namespace
