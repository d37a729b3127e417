// The data folder: confirm, transfer, return to the program folder, backup.
#include "settings/data_folder.h"
#include "settings_world.h"
#include "storage/file_copy.h"
#include "storage/file_lock.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
        // "M在庫台帳" already there: the missing folders are made beside it
        // without a word, and the files copied.
        Move m;
        QDir().mkpath(m.target + names::ledgerBooksFolder());
        m.confirm(m.target);
        m.messages.answerYes(2);
        ASSERT_TRUE(m.folder.transfer());
        EXPECT_EQ(m.told().size(), 1);
        EXPECT_TRUE(m.has(names::materialsFolder()));
        EXPECT_TRUE(m.has(names::templatesFolder()));
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
        // Only what was copied is reported.
        const QString done = m.messages.last().text;
        EXPECT_FALSE(done.contains(QStringLiteral("①"))) << done.toStdString();
        EXPECT_FALSE(done.contains(QStringLiteral("②"))) << done.toStdString();
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
    const QString done = m.messages.last().text;
    EXPECT_FALSE(done.contains(QStringLiteral("②Ma在庫品.dat転送"))) << done.toStdString();
    EXPECT_TRUE(done.contains(QStringLiteral("②Ma在庫品.datは移動先のデータをそのまま使います")));
    EXPECT_TRUE(done.contains(QStringLiteral("①リスト項目 Mb在庫品02.dat～ Mb在庫品07.dat転送")));
}

// A folder that already holds its own word lists and settings: each kind is
// asked about; "いいえ" keeps the target's words with their own counts,
// "はい" brings the source's words with the source's counts.
TEST(DataFolder, ATargetWithItsOwnWordsIsAskedAboutThem)
{
    for (bool replace : {false, true}) {
        Move m;
        // The target: a data folder of its own, one word per list.
        SettingsSlots theirs = m.sharedFile();
        for (int n = 2; n <= 6; ++n) {
            kpv::testing::writeBytes(m.target + QStringLiteral("Mb在庫品0%1.dat").arg(n), "\"t\",\"theirs\"\r\n");
            theirs.set(n + 1, QStringLiteral("1"));
        }
        theirs.set(9, QStringLiteral("2030/04"));
        writeSettingsFile(m.target + names::sharedSettings(), theirs);
        QDir().mkpath(m.target + names::materialsFolder());
        kpv::testing::writeBytes(m.target + names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls"), "their book");
        m.confirm(m.target);
        m.messages.answerYes(2);        // transfer, copy the data
        m.messages.answer(replace);     // their word lists
        m.messages.answerNo();          // their daily book
        ASSERT_TRUE(m.folder.transfer());
        const auto &log = m.messages.log();
        ASSERT_EQ(m.messages.unscripted(), 0);
        EXPECT_TRUE(log[3].text.contains(QStringLiteral("移動先にリスト項目データが既にあります"))) << log[3].text.toStdString();
        EXPECT_TRUE(log[4].text.contains(QStringLiteral("移動先に入出庫月報が既にあります"))) << log[4].text.toStdString();
        EXPECT_EQ(kpv::testing::fileBytes(m.target + names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls")), "their book");
        // The target's settings are used; the counts agree with the lists.
        SettingsSlots now;
        readSettingsFile(m.target + names::sharedSettings(), now);
        EXPECT_EQ(now.value(9), QStringLiteral("2030/04"));
        EXPECT_EQ(now.value(3), replace ? QStringLiteral("2") : QStringLiteral("1"));
        EXPECT_EQ(m.d.pickListTable.word(1, 2), replace ? QStringLiteral("a") : QStringLiteral("theirs"));
        EXPECT_EQ(m.d.pickListTable.word(2, 2), replace ? QStringLiteral("b") : QString());
        const QString done = m.messages.last().text;
        EXPECT_EQ(done.contains(QStringLiteral("①リスト項目 Mb在庫品02.dat～ Mb在庫品07.dat転送")), replace) << done.toStdString();
        EXPECT_TRUE(done.contains(QStringLiteral("②Ma在庫品.dat転送")));
    }
}

namespace {
// Runs check in a process without the right to write other users' files
// (a forked child that drops root), or here when not running as root.
// Returns check's result (0 = passed).
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
} // namespace

TEST(DataFolder, AReadOnlyTargetIsOneMessageWithTheReasonAndNothingChanges)
{
    Move m;
    // The client's files are the nobody user's to write in the child; the target is not.
    for (const QString &path : {m.dir.path(), m.client}) ::chmod(QFile::encodeName(path).constData(), 0777);
    for (const QString &f : QDir(m.client).entryList(QDir::Files)) ::chmod(QFile::encodeName(m.client + f).constData(), 0666);
    ::chmod(QFile::encodeName(m.dir.path() + QStringLiteral("/server")).constData(), 0755);
    ::chmod(QFile::encodeName(m.target).constData(), 0555);
    const QByteArray clientBefore = kpv::testing::fileBytes(m.client + names::clientSettings());
    const int failed = withoutWriteRights([&] {
        m.folder.open();
        m.messages.answerYes(2); // confirm, transfer
        if (m.folder.confirmTyped(m.target) != DataFolder::Confirm::Confirmed) return 1;
        const int before = m.messages.count();
        if (m.folder.transfer()) return 2;
        if (m.messages.count() != before + 2) return 3; // the transfer question and one message
        const QString told = m.messages.last().text;
        if (!told.startsWith(m.target + QStringLiteral("\r　このフォルダーには書き込めません（書き込む権限がありません（読み取り専用））。"))) return 4;
        if (!QDir(m.target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty()) return 5;
        return 0;
    });
    ::chmod(QFile::encodeName(m.target).constData(), 0755);
    EXPECT_EQ(failed, 0);
    (void)clientBefore;
}

TEST(DataFolder, ATypedFolderMustExistAndFoldersCompareByWhatTheyAre)
{
    Move m;
    m.folder.open();
    m.messages.answerYes();
    EXPECT_EQ(m.folder.confirmTyped(m.target + QStringLiteral("missing")), DataFolder::Confirm::Missing);
    EXPECT_TRUE(m.messages.last().text.contains(QStringLiteral("このフォルダーはありません")));
    EXPECT_EQ(m.clientFile().value(1), m.client);
    EXPECT_EQ(m.d.dataFolder, m.client);
    m.messages.answerYes();
    EXPECT_EQ(m.folder.confirmTyped(QStringLiteral("relative/data")), DataFolder::Confirm::Missing);

    // The program folder typed another way is the same folder.
    const QString link = m.dir.path() + QStringLiteral("/link");
    ASSERT_TRUE(QFile::link(m.client, link));
    for (const QString &same : {m.client + QStringLiteral("./"), m.client.chopped(1) + QStringLiteral("//"), link + QStringLiteral("/"),
                                m.client + QStringLiteral("x/../")}) {
        EXPECT_TRUE(DataFolder::sameFolder(same, m.client)) << same.toStdString();
        m.messages.answerYes();
        EXPECT_EQ(m.folder.confirmTyped(same), DataFolder::Confirm::SameFolder) << same.toStdString();
    }
    EXPECT_FALSE(DataFolder::sameFolder(m.target, m.client));
    EXPECT_EQ(DataFolder::cleanFolder(QStringLiteral(" /a/./b//c/ ")), QStringLiteral("/a/b/c/"));

    // A transfer into the program folder reached through the link is refused.
    m.folder.browse(link);
    EXPECT_FALSE(m.folder.transfer());
    EXPECT_TRUE(m.told().last().startsWith(QStringLiteral("※新規作成フォルダー")));
}

TEST(DataFolder, TheLedgerIsCopiedOnlyUnderItsLock)
{
    Move m;
    m.confirm(m.target);
    // Another client is appending to the source ledger (the lock's wait passes first).
    FileLock appending(m.client + names::ledger(), 0);
    ASSERT_TRUE(appending.locked());
    m.messages.answerYes(2);
    EXPECT_FALSE(m.folder.transfer());
    EXPECT_FALSE(m.has(names::ledger()));
    EXPECT_TRUE(m.messages.texts().join(u'|').contains(QStringLiteral("台帳ファイルを他のクライアントが使用中です")));
    EXPECT_EQ(m.d.dataFolder, m.client);
}

TEST(DataFolder, TheBackupIsCopiedBesideTheOldOneAndReplacesIt)
{
    Move m;
    QDir().mkpath(m.client + names::templatesFolder());
    const QString backup = m.client + names::templatesFolder() + QLatin1Char('/') + names::ledger();
    EXPECT_FALSE(backupLedger(m.d)); // the switch is off
    EXPECT_FALSE(QFileInfo::exists(backup));
    m.d.clientSettings.set(18, QStringLiteral("1"));
    ASSERT_TRUE(backupLedger(m.d));
    EXPECT_EQ(kpv::testing::fileBytes(backup), QByteArray(926, 'L'));
    // A copy that fails keeps the backup there was.
    QFile::remove(m.client + names::ledger());
    EXPECT_FALSE(backupLedger(m.d));
    EXPECT_EQ(kpv::testing::fileBytes(backup), QByteArray(926, 'L'));
    EXPECT_EQ(QDir(m.client + names::templatesFolder()).entryList(QDir::Files), QStringList{names::ledger()});
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
