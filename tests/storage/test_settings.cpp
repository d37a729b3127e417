// Settings stores: file format, location rule, failures, item labels.
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/files.h"

#include "scripted_messages.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

struct Fixture : ::testing::Test {
    QTemporaryDir tmp;
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb db{messages, pointer};
    QString client, data;

    void SetUp() override
    {
        client = withSlash(tmp.path() + "/client");
        data = withSlash(tmp.path() + "/data");
        QDir().mkpath(client);
        QDir().mkpath(data);
        db.clientFolder = client;
        db.dataFolder = data;
    }
    static QByteArray bytesOf(const QString &path)
    {
        QByteArray b;
        readWholeFile(path, b);
        return b;
    }
    static void write(const QString &path, const QByteArray &b) { ASSERT_TRUE(replaceFile(path, b)); }
};

using Settings = Fixture;

TEST_F(Settings, FixtureSharedSettingsRoundTripsByteForByte)
{
    ASSERT_TRUE(copyFixture("ledger30", data));
    const QByteArray original = bytesOf(data + names::sharedSettings());
    db.clientSettings.set(1, data);
    db.loadSharedSettings();
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(db.sharedSettings.value(3), "10");
    EXPECT_EQ(db.sharedSettings.value(9), "2025/04");
    EXPECT_EQ(db.sharedSettings.value(14), QStringLiteral("在庫品No"));
    EXPECT_EQ(db.sharedSettings.number(22), 2000);
    EXPECT_EQ(db.sharedSettings.value(49), "4");
    EXPECT_TRUE(db.saveSharedSettings());
    EXPECT_EQ(bytesOf(data + names::sharedSettings()), original);

    db.buildItemLabels();
    EXPECT_EQ(db.itemLabels[1], " No");
    EXPECT_EQ(db.itemLabels[2], QStringLiteral("在庫品No"));
    EXPECT_EQ(db.itemLabels[9], QStringLiteral("単位"));
    EXPECT_EQ(db.itemLabels[7], QStringLiteral("単　価　 "));
    EXPECT_EQ(db.itemLabels[17], QStringLiteral("達成率（％）"));
    EXPECT_EQ(db.itemLabels[20], "");
}

TEST_F(Settings, FewerThan50LinesLoadsWhatIsThereAndTheNextSaveWritesAll)
{
    db.clientSettings.set(1, client);
    db.clientSettings.set(5, "old5");
    write(db.clientSettingsPath(), "\"a\"\r\n\"b\"\r\n\"c\"\r\n\"d\"");
    db.loadClientSettings();
    EXPECT_EQ(db.clientSettings.value(1), "a");
    EXPECT_EQ(db.clientSettings.value(4), "d");
    EXPECT_EQ(db.clientSettings.value(5), "old5");
    db.clientSettings.set(2, "  padded  ");
    ASSERT_TRUE(db.saveClientSettings());
    EXPECT_EQ(db.clientSettings.value(2), "padded");
    const QByteArray b = bytesOf(db.clientSettingsPath());
    EXPECT_EQ(b.count("\r\n"), 50);
    EXPECT_TRUE(b.startsWith("\"a\"\r\n\"padded\"\r\n\"c\"\r\n\"d\"\r\n\"old5\"\r\n\"\"\r\n"));
}

TEST_F(Settings, LocationRuleIsExactAndCaseSensitive)
{
    struct Case { QString slot1; QString folder; } cases[] = {
        {client, client}, {data, data}, {client.toUpper(), data}, {"", data},
    };
    for (const auto &c : cases) {
        db.clientSettings.set(1, c.slot1);
        EXPECT_EQ(db.sharedSettingsPath(), c.folder + names::sharedSettings()) << c.slot1.toStdString();
    }
}

TEST_F(Settings, SaveSharedCleansEverySlot)
{
    db.clientSettings.set(1, client);
    db.sharedSettings.set(9, QString::fromUtf16(u" 2025/04 \0junk", 14));
    db.sharedSettings.set(15, QStringLiteral("　名称 "));
    ASSERT_TRUE(db.saveSharedSettings());
    EXPECT_EQ(db.sharedSettings.value(9), "2025/04");
    EXPECT_EQ(db.sharedSettings.value(15), QStringLiteral("　名称"));
    EXPECT_TRUE(QFile::exists(client + names::sharedSettings()));
    EXPECT_FALSE(QFile::exists(data + names::sharedSettings()));
}

TEST_F(Settings, MissingSharedSettingsInTheDataFolderAsksForTheReset)
{
    db.clientSettings.set(1, data);
    db.clientSettings.set(3, "1");
    db.changePending = 1;
    db.dailyIndexChecked = true;
    write(client + names::sharedSettings(), "\"1\"\r\n");
    messages.answerYes();
    db.loadSharedSettings();
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().title, QStringLiteral("登録確認"));
    EXPECT_EQ(messages.last().text, data + QStringLiteral("\r データフォルダー位置がおかしいです。\r 一旦クライアントフォルダー設定に戻します。"));
    EXPECT_EQ(db.dataFolder, client);
    EXPECT_EQ(db.clientSettings.value(1), client);
    EXPECT_EQ(db.clientSettings.value(3), "0");
    EXPECT_EQ(db.changePending, 0);
    EXPECT_FALSE(db.dailyIndexChecked);
    EXPECT_EQ(db.sharedSettings.value(1), "1"); // now read from the client folder
    EXPECT_TRUE(QFile::exists(db.clientSettingsPath()));
    // From now on both operations use the client folder, silently.
    EXPECT_EQ(db.sharedSettingsPath(), client + names::sharedSettings());
}

TEST_F(Settings, ResetAnsweredNoChangesNothing)
{
    db.clientSettings.set(1, data);
    messages.answerNo();
    db.loadSharedSettings();
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(db.dataFolder, data);
    EXPECT_EQ(db.clientSettings.value(1), data);
}

TEST_F(Settings, UnwritableFiles)
{
    // The client folder is missing: ClientSettings cannot be written.
    db.clientFolder = withSlash(tmp.path() + "/missing");
    EXPECT_FALSE(db.saveClientSettings());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().kind, RecordedMessage::Tell);
    EXPECT_EQ(messages.last().text, db.clientSettingsPath() + QStringLiteral("\r　設定ファイルに書き込めません。"));
    messages.clear();

    // SharedSettings in a missing client folder: silent.
    db.clientSettings.set(1, db.clientFolder);
    EXPECT_FALSE(db.saveSharedSettings());
    EXPECT_EQ(messages.count(), 0);

    // SharedSettings in a missing data folder: the reset question.
    db.clientFolder = client;
    db.dataFolder = withSlash(tmp.path() + "/gone");
    db.clientSettings.set(1, db.dataFolder);
    messages.answerNo();
    EXPECT_FALSE(db.saveSharedSettings());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().kind, RecordedMessage::Ask);
}

TEST_F(Settings, ASaveReplacesTheWholeFileAndLeavesNothingBeside)
{
    db.clientSettings.set(1, client);
    for (int i = 0; i < 3; ++i) {
        db.sharedSettings.set(2, QString::number(i));
        ASSERT_TRUE(db.saveSharedSettings());
    }
    EXPECT_EQ(QDir(client).entryList(QDir::Files), QStringList{names::sharedSettings()});
    SettingsSlots back;
    EXPECT_EQ(readSettingsFile(client + names::sharedSettings(), back), 50);
    EXPECT_EQ(back.value(2), "2");
}

} // namespace

namespace {

using SettingsChanges = Fixture;

TEST_F(SettingsChanges, ValuesTheFilesCannotHoldAreRefusedAndNothingIsWritten)
{
    db.clientSettings.set(1, client);
    ASSERT_TRUE(db.saveClientSettings());
    db.sharedSettings.set(14, "No");
    ASSERT_TRUE(db.saveSharedSettings());
    const QByteArray sharedBefore = bytesOf(client + names::sharedSettings());
    const QByteArray clientBefore = bytesOf(client + names::clientSettings());
    struct Case { QString value; QString named; } cases[] = {
        {"a\"b", "\""}, {"a\rb", QStringLiteral("改行")}, {"a\nb", QStringLiteral("改行")},
        {QStringLiteral("jos\u00e9"), QStringLiteral("\u00e9")}, {QStringLiteral("〜"), QStringLiteral("〜")},
    };
    for (const auto &c : cases) {
        for (bool shared : {true, false}) {
            messages.clear();
            EXPECT_FALSE(shared ? db.changeSharedSettings({{14, c.value}}) : db.changeClientSettings({{5, c.value}}));
            ASSERT_EQ(messages.count(), 1);
            EXPECT_TRUE(messages.last().text.contains(c.named)) << messages.last().text.toStdString();
        }
        // The whole-store writers refuse them too, with the same message.
        db.sharedSettings.set(14, c.value);
        messages.clear();
        EXPECT_FALSE(db.saveSharedSettings());
        EXPECT_EQ(messages.count(), 1);
        db.sharedSettings.set(14, "No");
    }
    EXPECT_EQ(bytesOf(client + names::sharedSettings()), sharedBefore);
    EXPECT_EQ(bytesOf(client + names::clientSettings()), clientBefore);
    EXPECT_EQ(db.clientSettings.value(5), "");
}

} // namespace
