// Shared files that must stay consistent with each other: a word list and
// its count, the ledger's records and the bytes after the last one.
#include "storage/dolvb.h"
#include "storage/file_lock.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/ledger_file.h"
#include "storage/quoted_lines.h"
#include "storage/settings_store.h"
#include "storage/shared_io.h"

#include "data_folder_test.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

struct Words : DataFolderTest {
    LockTiming saved = LockTiming::process();

    void SetUp() override
    {
        LockTiming::process() = LockTiming{100, 60000, 300};
        DataFolderTest::SetUp();
        ASSERT_TRUE(copyFixture("ledger30", data));
        db.loadSharedSettings();
        db.loadPickLists();
    }
    void TearDown() override { LockTiming::process() = saved; }
    int fileCount(int list)
    {
        SettingsSlots s;
        readSettingsFile(db.sharedSettingsPath(), s);
        return int(s.number(list + 1));
    }
    int lines(int list)
    {
        QuotedLineReader r(cp932::decodeAll(fileBytes(db.pickListPath(list))));
        QString id, word;
        int n = 0;
        while (r.readField(id) && r.readField(word) && !word.isEmpty()) ++n;
        return n;
    }
};

TEST_F(Words, aWordAppendWithTheSettingsBusyChangesNeitherFileAndARetryAppendsIt)
{
    const int before = lines(3);
    ASSERT_EQ(fileCount(3), before);
    const QByteArray list = fileBytes(db.pickListPath(3));
    const QByteArray settings = fileBytes(db.sharedSettingsPath());
    {
        // Another client holds SharedSettings (with a live lock).
        FileLock other(db.sharedSettingsPath());
        ASSERT_TRUE(other.locked());
        db.currentList = 3;
        messages.answerYes();
        EXPECT_FALSE(db.appendPickListWord(QStringLiteral("新仕様")));
        EXPECT_TRUE(messages.last().text.contains(QStringLiteral("使用中"))) << messages.last().text.toStdString();
        EXPECT_EQ(fileBytes(db.pickListPath(3)), list) << "the word is not in the list without its count";
        EXPECT_EQ(fileBytes(db.sharedSettingsPath()), settings);
    }
    // The retry appends it (it is not "already there").
    messages.answerYes();
    ASSERT_TRUE(db.appendPickListWord(QStringLiteral("新仕様")));
    EXPECT_EQ(lines(3), before + 1);
    EXPECT_EQ(fileCount(3), before + 1);
    EXPECT_EQ(db.sharedSettings.number(4), before + 1);
    // The next save of the list keeps it.
    ASSERT_TRUE(db.savePickList(3));
    EXPECT_EQ(lines(3), before + 1);
}

TEST_F(Words, aListThatWasReadAndCannotBeFoundNowIsNotRecreatedAsJustTheNewWord)
{
    const QByteArray list = fileBytes(db.pickListPath(2));
    ASSERT_TRUE(io::removeFile(db.pickListPath(2)));
    db.currentList = 2;
    messages.answerYes();
    EXPECT_FALSE(db.appendPickListWord(QStringLiteral("新しい品名")));
    EXPECT_FALSE(io::exists(db.pickListPath(2)));
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("書き込めません")));
}

TEST_F(Words, savingAListWritesItsCountUnderTheSameLocks)
{
    db.pickListTable.setWord(1, 5, QStringLiteral("棚Z"));
    db.pickListTable.setWord(2, 5, QStringLiteral("棚Y"));
    db.sharedSettings.set(6, QStringLiteral("2"));
    // The file holds another count, written by nobody through this list.
    ASSERT_EQ(changeSettingsFile(db.sharedSettingsPath(), db.sharedSettings, {{6, QStringLiteral("9")}}), SettingsChange::Written);
    ASSERT_TRUE(db.savePickList(5));
    EXPECT_EQ(fileCount(5), 2);
    EXPECT_EQ(lines(5), 2);
}

TEST_F(Words, aSettingsFileThatWasReadAndVanishedIsNotMadeAnew)
{
    ASSERT_TRUE(io::removeFile(db.sharedSettingsPath()));
    EXPECT_FALSE(db.changeSharedSettings({{20, QStringLiteral("1")}}));
    EXPECT_FALSE(io::exists(db.sharedSettingsPath()));
}

TEST(LedgerTail, bytesAfterTheLastRecordStayOnlyWhileTheyAreNotCountedAsARecord)
{
    EXPECT_EQ(LedgerFile::keptTail(3, 400), 400);
    // 463 bytes are a tie: after an even number of records they are no
    // record, after an odd number they would count as one.
    EXPECT_EQ(LedgerFile::keptTail(2, 463), 463);
    EXPECT_EQ(LedgerFile::keptTail(1, 463), 0);
    EXPECT_EQ(LedgerFile::keptTail(1, 464), 0);
    EXPECT_EQ(LedgerFile::keptTail(0, 0), 0);
}

TEST(LedgerAppend, isOnTheDiskAndAfterACountedPartialRecordWhole)
{
    QTemporaryDir tmp;
    const QString path = withSlash(tmp.path()) + names::ledger();
    // Two records and 500 bytes of a third: counted as three.
    QByteArray bytes(2 * LedgerRecord::kSize + 500, 'x');
    ASSERT_EQ(io::replaceWhole(path, bytes), io::Outcome::Done);
    LedgerFile f(path);
    LedgerRecord r;
    r.setField(0, QStringLiteral("NEW"));
    int no = 0;
    ASSERT_EQ(f.append(r, 50010, no), LedgerFile::AppendResult::Appended);
    EXPECT_EQ(no, 4);
    const QByteArray after = fileBytes(path);
    ASSERT_EQ(after.size(), 4 * LedgerRecord::kSize);
    EXPECT_EQ(after.mid(2 * LedgerRecord::kSize + 500, LedgerRecord::kSize - 500), QByteArray(LedgerRecord::kSize - 500, '\0'));
    EXPECT_FALSE(f.isOpen()) << "the ledger is not held open after the change";
    EXPECT_FALSE(io::exists(FileLock::lockPathOf(path)));
}

} // namespace
