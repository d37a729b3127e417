// Pick-list files and the ledger index with its cache and totals.
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/quoted_lines.h"

#include "data_folder_test.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

struct Data : DataFolderTest {
    void useFixture()
    {
        ASSERT_TRUE(copyFixture("ledger30", data));
        db.loadSharedSettings();
    }
    void writeList(int n, const QByteArray &bytes) { ASSERT_TRUE(replaceFile(db.pickListPath(n), bytes)); }
    void setCounts(int c2, int c3, int c4, int c5, int c6)
    {
        const int counts[] = {c2, c3, c4, c5, c6};
        for (int n = 2; n <= 6; ++n) db.sharedSettings.set(n + 1, QString::number(counts[n - 2]));
    }
};

using PickListFiles = Data;
using Index = Data;

TEST_F(PickListFiles, Paths)
{
    struct Case { int list; const char *name; } cases[] = {{2, "Mb在庫品02.dat"}, {9, "Mb在庫品09.dat"}, {10, "Mb在庫品10.dat"}, {123, "Mb在庫品123.dat"}};
    for (const auto &c : cases) EXPECT_EQ(db.pickListPath(c.list), data + QString::fromUtf8(c.name));
}

TEST_F(PickListFiles, FixtureRoundTripsByteForByte)
{
    useFixture();
    QList<QByteArray> before;
    for (int n = 2; n <= 6; ++n) before << fileBytes(db.pickListPath(n));
    db.loadPickLists();
    EXPECT_FALSE(db.pickListOpenFailed);
    EXPECT_EQ(db.pickListTable.word(1, 2), QStringLiteral("六角ボルト"));
    EXPECT_EQ(db.pickListTable.word(3, 2), QStringLiteral("ﾎﾞﾙﾄ"));
    EXPECT_EQ(db.pickListTable.id(2, 4), "K2");
    EXPECT_EQ(db.pickListTable.word(6, 6), "pc");
    EXPECT_EQ(db.pickListTable.word(7, 6), "");
    ASSERT_TRUE(db.savePickLists());
    for (int n = 2; n <= 6; ++n) EXPECT_EQ(fileBytes(db.pickListPath(n)), before[n - 2]) << n;
}

TEST_F(PickListFiles, CountsDecideWhatIsReadAndWritten)
{
    setCounts(0, 1, 3, 0, 0);
    writeList(2, ",\"a\"\r\n,\"b\"\r\n");                  // count 0: not read
    writeList(3, ",\"x\"\r\n,\"y\"\r\n,\"z\"\r\n");        // more lines than the count: read completely
    writeList(4, ",\"p\"\r\n,\"\"\r\n,\"q\"\r\n");         // stops at the first empty word
    writeList(5, "");
    writeList(6, "");
    db.loadPickLists();
    EXPECT_EQ(db.pickListTable.word(1, 2), "");
    EXPECT_EQ(db.pickListTable.word(3, 3), "z");
    EXPECT_EQ(db.pickListTable.word(1, 4), "p");
    EXPECT_EQ(db.pickListTable.word(3, 4), "");
    ASSERT_TRUE(db.savePickLists());
    EXPECT_EQ(fileBytes(db.pickListPath(2)), "");                  // rewritten empty
    EXPECT_EQ(fileBytes(db.pickListPath(3)), ",\"x\"\r\n");         // only the first count entries
    EXPECT_EQ(fileBytes(db.pickListPath(4)), ",\"p\"\r\n,\"\"\r\n,\"\"\r\n");
}

TEST_F(PickListFiles, MissingFileStopsTheLaterLists)
{
    setCounts(1, 1, 1, 1, 1);
    writeList(2, ",\"a\"\r\n");
    writeList(4, ",\"c\"\r\n");
    db.loadPickLists();
    EXPECT_TRUE(db.pickListOpenFailed);
    EXPECT_EQ(db.pickListTable.word(1, 2), "a");
    EXPECT_EQ(db.pickListTable.word(1, 4), "");
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(PickListFiles, AppendCases)
{
    struct Case {
        const char *name;
        QByteArray file;   // list 3
        int count;
        QString word;
        bool appended;
        int entry;         // where it lands
        int newCount;
        QString told;
    } cases[] = {
        {"full list: at count + 1", ",\"a\"\r\n,\"b\"\r\n", 2, "c", true, 3, 3, ""},
        {"gap in the middle is filled", ",\"a\"\r\n,\"  \"\r\n,\"c\"\r\n", 3, "n", true, 2, 2, ""},
        {"same word after cleaning", ",\"a\"\r\n,\"b  \"\r\n", 2, "b", false, 0, 2, QStringLiteral("項目リストに同じ語句があります。")},
        {"full-width space entry is not empty", ",\"　\"\r\n", 1, "w", true, 2, 2, ""},
        {"text code page 932 cannot hold", ",\"a\"\r\n", 1, QStringLiteral("〜"), false, 0, 1, *quotedLineProblem(QStringLiteral("〜"))},
        {"double quote", ",\"a\"\r\n", 1, "x\"y", false, 0, 1, *quotedLineProblem("\"")},
    };
    for (const auto &c : cases) {
        setCounts(0, c.count, 0, 0, 0);
        for (int n = 2; n <= 6; ++n) writeList(n, n == 3 ? c.file : QByteArray());
        db.loadPickLists();
        messages.clear();
        messages.answerYes();
        db.currentList = 3;
        EXPECT_EQ(db.appendPickListWord(c.word), c.appended) << c.name;
        EXPECT_EQ(messages.log().front().text, QStringLiteral("項目リストに ") + c.word + QStringLiteral(" を追加しますか？\r※リスト最下部に追加され")) << c.name;
        EXPECT_EQ(messages.count() > 1 ? messages.last().text : QString(), c.told) << c.name;
        if (c.appended) {
            EXPECT_EQ(db.pickListTable.word(c.entry, 3), c.word) << c.name;
        }
        EXPECT_EQ(db.sharedSettings.value(4), QString::number(c.newCount)) << c.name;
        EXPECT_EQ(pointer.busy(), false);
        if (c.appended) {
            // Both the list and the count reached the files.
            SettingsSlots saved;
            readSettingsFile(db.sharedSettingsPath(), saved);
            EXPECT_EQ(saved.value(4), QString::number(c.newCount)) << c.name;
            EXPECT_TRUE(fileBytes(db.pickListPath(3)).contains(",\"" + c.word.toLatin1() + "\"\r\n")) << c.name;
        }
    }
    // "いいえ": nothing changes, nothing is written.
    messages.clear();
    messages.answerNo();
    const QByteArray before = fileBytes(db.pickListPath(3));
    EXPECT_FALSE(db.appendPickListWord("zz"));
    EXPECT_EQ(fileBytes(db.pickListPath(3)), before);
    EXPECT_EQ(messages.count(), 1);
}

TEST_F(PickListFiles, StaleCopyAppendKeepsWhatAnotherProcessWrote)
{
    useFixture();
    db.loadPickLists();
    const QString path = db.sharedSettingsPath();
    // Another client appends to list 3 and stops all clients after this
    // screen loaded its copy.
    QProcess other;
    other.start(QStringLiteral(KPV_APPEND_HELPER), {"--word", data, "3", "THEIRS"});
    ASSERT_TRUE(other.waitForFinished(60000));
    ASSERT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();
    SettingsSlots onDisk;
    ASSERT_EQ(readSettingsFile(path, onDisk), 50);
    const int theirCount = int(onDisk.number(4));
    onDisk.set(1, "1");
    ASSERT_TRUE(writeSettingsFile(path, onDisk));

    db.currentList = 3;
    messages.answerYes();
    ASSERT_TRUE(db.appendPickListWord("MINE"));
    SettingsSlots after;
    ASSERT_EQ(readSettingsFile(path, after), 50);
    EXPECT_EQ(after.value(1), "1");                                // the stop stays
    EXPECT_EQ(after.number(4), theirCount + 1);                    // only the count slot changed
    for (int slot : {3, 5, 6, 7, 8, 9, 14, 22, 49}) EXPECT_EQ(after.value(slot), onDisk.value(slot)) << slot;
    const QByteArray list = fileBytes(db.pickListPath(3));
    EXPECT_TRUE(list.endsWith(",\"THEIRS\"\r\n,\"MINE\"\r\n")) << list.toStdString();
    EXPECT_EQ(db.pickListTable.word(theirCount, 3), "THEIRS");
    EXPECT_EQ(db.pickListTable.word(theirCount + 1, 3), "MINE");
}

TEST_F(PickListFiles, OnlyTheFiveWordListsTakeAnAppend)
{
    useFixture();
    db.loadPickLists();
    const QByteArray settings = fileBytes(db.sharedSettingsPath());
    for (int list : {0, 1, 7}) {
        db.currentList = list;
        messages.answerYes();
        EXPECT_FALSE(db.appendPickListWord("w")) << list;
        EXPECT_FALSE(db.savePickList(list)) << list;
        EXPECT_EQ(messages.count(), 0) << list; // refused before the question
        messages.clear();
    }
    EXPECT_EQ(fileBytes(db.sharedSettingsPath()), settings);
    EXPECT_FALSE(db.sharedSettings.isOn(1));
    EXPECT_FALSE(db.sharedSettings.isOn(8));
    EXPECT_FALSE(QFile::exists(db.pickListPath(7)));
}

TEST_F(Index, RebuildOnTheFixture)
{
    useFixture();
    db.rebuildIndex();
    EXPECT_EQ(db.recordCount, 30);
    EXPECT_EQ(db.indexTable.value(1, 1), "A-001");
    EXPECT_EQ(db.indexTable.value(1, 2), QStringLiteral("六角ボルト"));
    EXPECT_EQ(db.indexTable.value(1, 4), QStringLiteral("ＡＢＣ製作所"));
    EXPECT_EQ(db.indexTable.value(1, 5), "1080");
    EXPECT_EQ(db.indexTable.value(9, 5), "0");
    EXPECT_EQ(db.indexTable.value(31, 1), "");
    EXPECT_EQ(db.indexTable.value(1, 6), "");
    double total = 0;
    for (int i = 1; i <= 30; ++i) total += db.indexTable.value(i, 5).toDouble();
    EXPECT_DOUBLE_EQ(db.totalStockValue, total);
    EXPECT_GT(pointer.busyCalls(), 0);
    EXPECT_FALSE(pointer.busy());
    db.sumStockValue();
    EXPECT_DOUBLE_EQ(db.totalStockValue, total);
    db.sumListedStockValue({1, 0, 2});
    EXPECT_DOUBLE_EQ(db.listedStockValue, 1080 + 702);

    db.buildSortIndex();
    EXPECT_EQ(db.indexTable.value(12, 5), "12");
    EXPECT_EQ(db.indexTable.value(12, 1), "D-2");
}

TEST_F(Index, FindsAreExactAndKnowTheirRows)
{
    useFixture();
    db.rebuildIndex();
    EXPECT_TRUE(db.findItemNumber("D-2"));
    EXPECT_EQ(db.foundFlag, 2);
    EXPECT_EQ(db.foundRecordNo, 12);
    EXPECT_EQ(db.foundRecordText, "12");
    EXPECT_FALSE(db.findItemNumber("d-2"));
    EXPECT_EQ(db.foundFlag, 1);
    EXPECT_FALSE(db.findItemNumber("D-2 "));
    // Row RecordCount + 1 is looked at too (the item being registered).
    db.indexTable.set(31, 1, "NEW-1");
    EXPECT_TRUE(db.findItemNumber("NEW-1"));
    EXPECT_EQ(db.foundRecordNo, 31);
    EXPECT_FALSE(db.findOtherItemNumber("NEW-1"));
    // The record being edited is never reported as another item.
    db.currentRecordNo = 12;
    EXPECT_FALSE(db.findOtherItemNumber("D-2"));
    db.currentRecordNo = 11;
    EXPECT_TRUE(db.findOtherItemNumber("D-2"));
}

TEST_F(Index, CellsHoldCodePage932)
{
    useFixture();
    db.rebuildIndex();
    // A value set is read back; one code page 932 cannot hold is refused and
    // the cell keeps what it had.
    EXPECT_TRUE(db.indexTable.set(31, 1, QStringLiteral("軸受－ｶﾊﾞｰ1")));
    EXPECT_EQ(db.indexTable.value(31, 1), QStringLiteral("軸受－ｶﾊﾞｰ1"));
    EXPECT_FALSE(db.indexTable.set(31, 1, QStringLiteral("軸受😀")));
    EXPECT_EQ(db.indexTable.value(31, 1), QStringLiteral("軸受－ｶﾊﾞｰ1"));

    struct Case { const char *name; QByteArray bytes; QString key; bool found; } cases[] = {
        {"Japanese", "\x8E\xB2\x8E\xF3-\xB6", QStringLiteral("軸受-ｶ"), true},
        {"ASCII among Japanese", "\x8E\xB2" "AB", QStringLiteral("軸AB"), true},
        // 纊 has two codes (NEC-selected IBM 0xED40, IBM 0xFA5C); a key is
        // encoded with one of them and finds either.
        {"NEC-selected IBM code", "\xED\x40-1", QStringLiteral("纊-1"), true},
        {"IBM code", "\xFA\x5C-1", QStringLiteral("纊-1"), true},
        {"not the same text", "\x8E\xB2\x8E\xF3-\xB6", QStringLiteral("軸受-ｷ"), false},
        {"a key code page 932 cannot hold", "A\xEF\xBF\xBD", QStringLiteral("A😀"), false},
        // Undecodable bytes read as U+FFFD, yet no typed key is such an item.
        {"undecodable bytes", "A\x85\x40", QStringLiteral("A\uFFFD@"), false},
    };
    for (const auto &c : cases) {
        db.indexTable.setBytes(31, 1, c.bytes.constData(), size_t(c.bytes.size()));
        EXPECT_EQ(db.findItemNumber(c.key), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(db.foundRecordNo, 31) << c.name;
        }
    }
    EXPECT_EQ(db.indexTable.value(31, 1), QStringLiteral("A\uFFFD@"));
}

TEST_F(Index, CacheKeepsTheLedgerText)
{
    useFixture();
    db.rebuildIndex();
    ASSERT_EQ(db.indexTable.value(1, 2), QStringLiteral("六角ボルト"));
    db.indexTable.set(1, 3, QStringLiteral("Ｍ８×２０　ステンレス"));
    QStringList before;
    for (int i = 1; i <= 30; ++i)
        for (int c = 1; c <= 5; ++c) before << db.indexTable.value(i, c);
    ASSERT_TRUE(db.saveIndexCache());
    EXPECT_TRUE(fileBytes(data + names::indexCacheWritten()).startsWith("\"A-001\",\"\x98\x5A\x8A\x70"));
    ASSERT_TRUE(QFile::copy(data + names::indexCacheWritten(), data + names::indexCacheRead()));
    db.indexTable.reset();
    db.loadIndexCache();
    QStringList after;
    for (int i = 1; i <= 30; ++i)
        for (int c = 1; c <= 5; ++c) after << db.indexTable.value(i, c);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(db.findItemNumber(db.indexTable.value(12, 1)));
    EXPECT_EQ(db.foundRecordNo, 12);
}

TEST_F(Index, ARebuildForgetsRowsOfAShorterLedger)
{
    useFixture();
    db.rebuildIndex();
    ASSERT_EQ(db.indexTable.value(30, 1).isEmpty(), false);
    const QString last = db.indexTable.value(30, 1);
    QFile::resize(db.ledgerPath(), 29 * 926);
    db.rebuildIndex();
    EXPECT_EQ(db.recordCount, 29);
    EXPECT_EQ(db.indexTable.value(30, 1), "");
    EXPECT_FALSE(db.findItemNumber(last)); // row 30 = RecordCount + 1 is empty now
}

TEST_F(Index, CacheFileNamesAndFallback)
{
    useFixture();
    db.rebuildIndex();
    ASSERT_TRUE(db.saveIndexCache());
    const QByteArray cache = fileBytes(data + names::indexCacheWritten());
    EXPECT_EQ(cache.count("\r\n"), 30);
    EXPECT_TRUE(cache.startsWith("\"A-001\",\""));
    EXPECT_FALSE(QFile::exists(data + names::indexCacheRead()));

    // No "Ma在庫No.dat": the load rebuilds and writes "Ma在庫品No.dat" again.
    QFile::remove(data + names::indexCacheWritten());
    db.loadIndexCache();
    EXPECT_TRUE(QFile::exists(data + names::indexCacheWritten()));
    EXPECT_EQ(db.indexTable.value(12, 1), "D-2");

    // A cache under the read name with all lines is taken as it is.
    QByteArray three;
    for (int i = 1; i <= 30; ++i) three += "\"K" + QByteArray::number(i) + "\",\"n\",\"s\",\"m\",\"" + QByteArray::number(i) + "\"\r\n";
    ASSERT_TRUE(replaceFile(data + names::indexCacheRead(), three));
    db.loadIndexCache();
    EXPECT_EQ(db.indexTable.value(30, 1), "K30");
    EXPECT_EQ(db.indexTable.value(30, 5), "30");

    // Fewer lines than records: rebuilt from the ledger.
    ASSERT_TRUE(replaceFile(data + names::indexCacheRead(), three.left(three.indexOf("\"K4\""))));
    db.loadIndexCache();
    EXPECT_EQ(db.indexTable.value(1, 1), "A-001");
}

TEST_F(Index, DailyCheck)
{
    useFixture();
    const QDate today(2025, 6, 2);
    struct Case { QString slot13; bool rebuilt; } cases[] = {
        {"2025/06/01", true}, {"", true}, {"2025/06/02", false}, {"2025/07/01", false}, {"garbage", true},
    };
    for (const auto &c : cases) {
        db.dailyIndexChecked = false;
        db.sharedSettings.set(13, c.slot13);
        QFile::remove(data + names::indexCacheWritten());
        db.refreshIndex(today);
        EXPECT_TRUE(db.dailyIndexChecked);
        SettingsSlots saved;
        readSettingsFile(db.sharedSettingsPath(), saved);
        if (c.rebuilt) {
            EXPECT_EQ(saved.value(13), "2025/06/02") << c.slot13.toStdString();
        }
        EXPECT_EQ(db.sharedSettings.value(13), c.rebuilt ? QStringLiteral("2025/06/02") : c.slot13);
        // Either way the cache file is written (no "Ma在庫No.dat" exists, so the load rebuilds too).
        EXPECT_TRUE(QFile::exists(data + names::indexCacheWritten())) << c.slot13.toStdString();
        EXPECT_EQ(db.indexTable.value(1, 1), "A-001");
    }
}

} // namespace
