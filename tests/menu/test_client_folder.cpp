// Where a client keeps its folder: the program folder when run from the
// build, the user's own copy of a read-only installed program folder when
// installed from the package, made at the first start without a question.
#include "menu/first_start.h"
#include "menu/platform.h"
#include "menu/startup.h"
#include "scripted_messages.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/settings_store.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace kpv;
using namespace kpv::menu;
using namespace kpv::testing;

namespace {

const QDate kToday(2027, 2, 14);

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// Makes every file and folder below path read-only, as an installation is.
void makeReadOnly(const QString &path)
{
    for (const QFileInfo &i : QDir(path).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (i.isDir()) makeReadOnly(i.filePath());
        QFile::setPermissions(i.filePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther
                                                | (i.isDir() ? QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther : QFile::Permissions()));
    }
}

void makeWritable(const QString &path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QFileInfo &i : QDir(path).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile::setPermissions(i.filePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (i.isDir()) makeWritable(i.filePath());
    }
}

struct Installed {
    QTemporaryDir dir;
    QString program = withSlash(dir.path()) + QStringLiteral("usr/lib/kpv/");
    QString dataHome = withSlash(dir.path()) + QStringLiteral("home/.local/share");
    QString own = withSlash(dir.path()) + QStringLiteral("home/.local/share/kpv/");
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb d{messages, pointer};

    explicit Installed(bool marked = true)
    {
        writeFile(program + QStringLiteral("kpv"), "program");
        writeFile(program + QStringLiteral("kpvtool"), "tool");
        writeFile(program + QStringLiteral("原本Excel/在庫出力台帳.xls"), "template");
        writeFile(program + QStringLiteral("原本Excel/Mb入出庫月報.xls"), "daily book");
        writeFile(program + QStringLiteral("原本INP/Mb在庫品INP.xls"), "ledger import");
        writeFile(program + QStringLiteral("見本INP/Mb在庫品INP.xls"), "example");
        QDir().mkpath(program + QStringLiteral("設備画像"));
        if (marked) writeFile(program + FirstStart::installedMarker(), "installed");
        makeReadOnly(program);
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    }
    ~Installed() { makeWritable(dir.path()); }
};

} // namespace

TEST(ClientFolder, RunFromTheBuildTheProgramFolderIsTheClientFolder)
{
    Installed in(false);
    EXPECT_EQ(FirstStart::clientFolderFor(in.d, in.program, in.dataHome), in.program);
    EXPECT_FALSE(QFileInfo::exists(in.own));
    EXPECT_EQ(in.messages.count(), 0);
}

TEST(ClientFolder, FirstStartOfAnInstalledProgramMakesTheUsersFolderSilently)
{
    Installed in;
    const QString folder = FirstStart::clientFolderFor(in.d, in.program, in.dataHome);
    EXPECT_EQ(folder, in.own);
    EXPECT_EQ(in.messages.count(), 0);
    EXPECT_EQ(readFile(in.own + QStringLiteral("原本Excel/在庫出力台帳.xls")), "template");
    EXPECT_EQ(readFile(in.own + QStringLiteral("原本INP/Mb在庫品INP.xls")), "ledger import");
    EXPECT_EQ(readFile(in.own + QStringLiteral("見本INP/Mb在庫品INP.xls")), "example");
    EXPECT_TRUE(QFileInfo(in.own + QStringLiteral("設備画像")).isDir());
    // The programs and the marker stay in the installed folder only.
    for (const QString &f : {QStringLiteral("kpv"), QStringLiteral("kpvtool"), FirstStart::installedMarker()})
        EXPECT_FALSE(QFileInfo::exists(in.own + f)) << f.toStdString();
    // The copies are the user's: outputs made from the template can be written.
    EXPECT_TRUE(QFileInfo(in.own + QStringLiteral("原本Excel/在庫出力台帳.xls")).isWritable());

    // The start-up on that folder: stand-alone, the data folder is the
    // user's folder, everything is written there and nothing beside the
    // program.
    in.d.clientFolder = folder;
    StartupSequence::run(in.d, kToday);
    EXPECT_EQ(in.messages.count(), 0);
    SettingsSlots client;
    ASSERT_TRUE(readSettingsFile(in.own + names::clientSettings(), client));
    EXPECT_EQ(client.value(1), in.own);
    EXPECT_EQ(in.d.dataFolder, in.own);
    EXPECT_TRUE(QFileInfo::exists(in.own + names::sharedSettings()));
    EXPECT_EQ(readFile(in.own + names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls")), "daily book");
    EXPECT_EQ(QDir(in.program).entryList(QDir::Files).size(), 3);
}

TEST(ClientFolder, LaterStartsAddWhatANewerInstallationBroughtAndKeepTheUsersFiles)
{
    Installed in;
    ASSERT_EQ(FirstStart::clientFolderFor(in.d, in.program, in.dataHome), in.own);
    writeFile(in.own + QStringLiteral("原本Excel/在庫出力台帳.xls"), "the user's own template");
    writeFile(in.own + QStringLiteral("設備画像/yuuza.jpg"), "logo");

    makeWritable(in.program);
    writeFile(in.program + QStringLiteral("原本Excel/在庫出力台帳.xls"), "a newer template");
    writeFile(in.program + QStringLiteral("原本INP/Mb在庫品項目INP.xls"), "a new book");
    makeReadOnly(in.program);

    ASSERT_EQ(FirstStart::clientFolderFor(in.d, in.program, in.dataHome), in.own);
    EXPECT_EQ(readFile(in.own + QStringLiteral("原本Excel/在庫出力台帳.xls")), "the user's own template");
    EXPECT_EQ(readFile(in.own + QStringLiteral("設備画像/yuuza.jpg")), "logo");
    EXPECT_EQ(readFile(in.own + QStringLiteral("原本INP/Mb在庫品項目INP.xls")), "a new book");
    EXPECT_EQ(in.messages.count(), 0);
}

TEST(ClientFolder, AUserFolderThatCannotBeMadeIsSaidAndTheProgramFolderServes)
{
    Installed in;
    // The place of the user's folder is taken by a file.
    writeFile(in.dataHome + QStringLiteral("/kpv"), "not a folder");
    EXPECT_EQ(FirstStart::clientFolderFor(in.d, in.program, in.dataHome), in.program);
    ASSERT_EQ(in.messages.count(), 1);
    EXPECT_TRUE(in.messages.last().text.startsWith(QStringLiteral("利用者のフォルダーを作成できません。")));
    EXPECT_TRUE(in.messages.last().text.contains(in.own.chopped(1)));
}

TEST(ClientFolder, TheUsersDataHomeFollowsXdgDataHome)
{
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", "/home/hozen");
    qputenv("XDG_DATA_HOME", "/srv/profiles/hozen/data");
    EXPECT_EQ(userDataHome(), QStringLiteral("/srv/profiles/hozen/data"));
    qputenv("XDG_DATA_HOME", "relative/data"); // not absolute: ignored, as the XDG rules say
    EXPECT_EQ(userDataHome(), QStringLiteral("/home/hozen/.local/share"));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userDataHome(), QStringLiteral("/home/hozen/.local/share"));
    EXPECT_EQ(FirstStart::userClientFolder(userDataHome()), QStringLiteral("/home/hozen/.local/share/kpv/"));
    qputenv("HOME", savedHome);
    if (savedXdg.isNull()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", savedXdg);
}
