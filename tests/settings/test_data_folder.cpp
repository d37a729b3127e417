// The data folder: confirm, transfer, return to the program folder, backup.
#include "settings/data_folder.h"
#include "settings_world.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace kpv;
using namespace kpv::settings;
using kpv::testing::SettingsWorld;

namespace {

struct Move : SettingsWorld {
    QString target = kpv::testing::withSlash(dir.path() + QStringLiteral("/server/data"));
    DataFolder folder{d};
    Move() : SettingsWorld({{"a", "b"}, {"p"}, {"x"}, {"y"}, {"z"}}, 2)
    {
        QDir().mkpath(target);
        kpv::testing::writeBytes(client + names::ledger(), QByteArray(926, 'L'));
        QDir().mkpath(client + names::materialsFolder());
        kpv::testing::writeBytes(client + names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls"), "book");
    }
    // Types the target and confirms it, as the panel does before a transfer.
    void confirm(const QString &path)
    {
        folder.open();
        messages.answerYes();
        ASSERT_EQ(folder.confirmTyped(path), DataFolder::Confirm::Confirmed);
    }
    bool has(const QString &name) const { return QFileInfo::exists(target + name); }
    QStringList told() const
    {
        QStringList out;
        for (const auto &m : messages.log())
            if (m.kind == kpv::testing::RecordedMessage::Tell) out << m.text.section(u'\r', 0, 0);
        return out;
    }
};

} // namespace

TEST(DataFolder, TransferCopiesAndMovesTheClient)
{
    Move m;
    m.confirm(m.target + QStringLiteral("//"));
    EXPECT_EQ(m.clientFile().value(1), m.target); // one trailing separator
    EXPECT_EQ(m.clientFile().value(2), m.client);
    EXPECT_EQ(m.clientFile().value(3), QStringLiteral("1"));
    EXPECT_TRUE(m.folder.transferOffered());

    m.messages.answerYes(2); // transfer, copy the lists
    ASSERT_TRUE(m.folder.transfer());
    for (const char16_t *f : {u"Mb在庫品02.dat", u"Mb在庫品06.dat", u"Ma在庫品.dat", u"Ma在庫品基礎.dat", u"M在庫台帳", u"原本Excel",
                              u"M在庫資料/Mb入出庫月報.xls"})
        EXPECT_TRUE(m.has(QString::fromUtf16(f))) << QString::fromUtf16(f).toStdString();
    EXPECT_EQ(kpv::testing::fileBytes(m.target + names::ledger()), QByteArray(926, 'L'));
    EXPECT_EQ(m.d.dataFolder, m.target);
    EXPECT_EQ(m.clientFile().value(1), m.target);
    EXPECT_EQ(m.clientFile().value(2), m.target);
    EXPECT_EQ(m.told().last(), QStringLiteral("※新規フォルダーにデータ転送が完了しました。"));
    EXPECT_EQ(m.messages.unscripted(), 0);

    // And back to the program folder: labels and lists come from there again.
    SettingsSlots moved;
    readSettingsFile(m.target + names::sharedSettings(), moved);
    moved.set(15, QStringLiteral("サーバー品名"));
    writeSettingsFile(m.target + names::sharedSettings(), moved);
    m.d.loadSharedSettings();
    m.d.buildItemLabels();
    m.d.pickListTable.setWord(1, 2, QStringLiteral("changed"));
    m.messages.answerYes();
    ASSERT_TRUE(m.folder.returnToSetup());
    EXPECT_EQ(m.d.dataFolder, m.client);
    EXPECT_EQ(m.clientFile().value(3), QStringLiteral("0"));
    EXPECT_EQ(m.d.itemLabels[3], QStringLiteral("品名"));
    EXPECT_EQ(m.d.pickListTable.word(1, 2), QStringLiteral("a"));
    EXPECT_TRUE(m.folder.atSetupPosition());
}

TEST(DataFolder, ANewDataFolderGetsTheBlankDailyBookWhenTheSourceHasNone)
{
    Move m;
    QFile::remove(m.client + names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls"));
    QDir().mkpath(m.client + names::templatesFolder());
    kpv::testing::writeBytes(m.client + names::templatesFolder() + QStringLiteral("/Mb入出庫月報.xls"), "blank");
    m.confirm(m.target);
    m.messages.answerYes(2);
    ASSERT_TRUE(m.folder.transfer());
    EXPECT_EQ(kpv::testing::fileBytes(m.target + names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls")), "blank");
    EXPECT_EQ(m.told().last(), QStringLiteral("※新規フォルダーにデータ転送が完了しました。"));
    EXPECT_EQ(m.told().size(), 1);
}

TEST(DataFolder, TransferRefusedForTheProgramFolderAndTheSameFolder)
{
    for (bool same : {false, true}) {
        Move m;
        m.folder.open();
        m.folder.browse(same ? m.client : m.client);
        if (same) {
            // The source is the data folder the client works on.
            m.d.clientSettings.set(2, m.target);
            writeSettingsFile(m.client + names::clientSettings(), m.d.clientSettings);
            m.folder.browse(m.target);
        }
        EXPECT_FALSE(m.folder.transfer());
        EXPECT_EQ(m.told().size(), 1);
        EXPECT_TRUE(m.told().first().startsWith(same ? QStringLiteral("※新旧フォルダー") : QStringLiteral("※新規作成フォルダー")));
        EXPECT_FALSE(m.has(names::ledgerBooksFolder()));
        EXPECT_FALSE(m.has(names::ledger()));
    }
}

TEST(DataFolder, ExistingFoldersNoTemplateFolderAndNoToTheCopyQuestion)
{
    {
        // "M在庫台帳" already there: reported, nothing further created, the files still copied.
        Move m;
        QDir().mkpath(m.target + names::ledgerBooksFolder());
        m.confirm(m.target);
        m.messages.answerYes(2);
        ASSERT_TRUE(m.folder.transfer());
        EXPECT_TRUE(m.told().contains(QStringLiteral("　データーフォルダーは既に存在します。")));
        EXPECT_FALSE(m.has(names::materialsFolder()));
        EXPECT_TRUE(m.has(names::ledger()));
        EXPECT_TRUE(m.has(QStringLiteral("Mb在庫品04.dat")));
    }
    {
        // Slot 26 = "1": no template folder; No to the copy question: nothing
        // copied, yet the folder is the data folder and the completion told.
        Move m;
        m.d.clientSettings.set(26, QStringLiteral("1"));
        writeSettingsFile(m.client + names::clientSettings(), m.d.clientSettings);
        m.confirm(m.target);
        m.messages.answerYes();
        m.messages.answerNo();
        ASSERT_TRUE(m.folder.transfer());
        EXPECT_TRUE(m.has(names::ledgerBooksFolder()));
        EXPECT_FALSE(m.has(names::templatesFolder()));
        EXPECT_FALSE(m.has(names::ledger()));
        EXPECT_FALSE(m.has(QStringLiteral("Mb在庫品02.dat")));
        EXPECT_EQ(m.clientFile().value(1), m.target);
        EXPECT_EQ(m.told().last(), QStringLiteral("※新規フォルダーにデータ転送が完了しました。"));
    }
}

TEST(DataFolder, ANewerLedgerInTheTargetIsKeptUnlessTheUserSaysSo)
{
    Move m;
    kpv::testing::writeBytes(m.target + names::ledger(), QByteArray(1852, 'T'));
    m.confirm(m.target);
    m.messages.answerYes(2);
    m.messages.answerNo(); // keep the target's ledger
    ASSERT_TRUE(m.folder.transfer());
    EXPECT_TRUE(m.messages.log()[3].text.contains(QStringLiteral("移動先に在庫品データが既にあります")));
    EXPECT_EQ(kpv::testing::fileBytes(m.target + names::ledger()).size(), 1852);
    EXPECT_TRUE(m.has(QStringLiteral("Mb在庫品02.dat")));
}

TEST(DataFolder, AFailedCopyIsReportedPerFileAndTheClientStaysOnTheSource)
{
    Move m;
    QFile::remove(m.client + QStringLiteral("Mb在庫品03.dat"));
    m.confirm(m.target);
    m.messages.answerYes(2);
    EXPECT_FALSE(m.folder.transfer());
    const QStringList told = m.told();
    EXPECT_TRUE(told.contains(QStringLiteral("Mb在庫品03.datのファイル転送が出来ません。")));
    EXPECT_TRUE(m.has(QStringLiteral("Mb在庫品04.dat"))); // the next files were still tried
    EXPECT_TRUE(m.has(names::ledger()));
    EXPECT_EQ(m.d.dataFolder, m.client);
    EXPECT_EQ(m.clientFile().value(1), m.client);
    EXPECT_FALSE(told.contains(QStringLiteral("※新規フォルダーにデータ転送が完了しました。")));
}

TEST(DataFolder, BackupSwitchAndTheWrongDataFolder)
{
    Move m;
    m.messages.answerNo();
    EXPECT_FALSE(m.folder.setBackup(true));
    EXPECT_FALSE(m.folder.backupOn());
    m.messages.answerYes();
    EXPECT_TRUE(m.folder.setBackup(true));
    EXPECT_EQ(m.clientFile().value(18), QStringLiteral("1"));
    m.messages.answerYes();
    m.folder.setBackup(false);
    EXPECT_EQ(m.clientFile().value(18), QStringLiteral("0"));

    // A data folder that has gone: back to the program folder on Yes.
    m.d.clientSettings.set(1, m.target + QStringLiteral("gone/"));
    m.d.dataFolder = m.d.clientSettings.value(1);
    m.messages.answerYes();
    EXPECT_FALSE(m.folder.open());
    EXPECT_EQ(m.d.dataFolder, m.client);
    EXPECT_EQ(m.clientFile().value(1), m.client);
    EXPECT_EQ(m.clientFile().value(18), QStringLiteral("0"));
}
