// The start-up sequence on a fresh folder and on prepared settings files.
#include "menu/first_start.h"
#include "menu/menu_slots.h"
#include "menu/startup.h"
#include "menu_world.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

using namespace kpv;
using namespace kpv::menu;
using namespace kpv::testing;

namespace {
const QDate kToday(2027, 2, 14);
}

TEST(Startup, FreshFolderIsSetUpSilently)
{
    World w;
    auto c = w.client();
    c->d.entryTarget = 103;
    const MenuLayout m = StartupSequence::run(c->d, kToday);

    EXPECT_EQ(c->messages.count(), 0);
    const SettingsSlots client = readSlots(c->clientFile());
    EXPECT_EQ(client.value(1), c->folder);
    EXPECT_EQ(client.value(2), c->folder);
    EXPECT_EQ(client.value(3), "0");
    EXPECT_EQ(c->d.dataFolder, c->folder);

    const SettingsSlots shared = readSlots(c->sharedFile());
    const QStringList labels = {u"在庫品No"_qs, u"品名"_qs, u"仕様"_qs, u"メーカー名"_qs, u"保管場所"_qs, u"単位"_qs};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shared.value(14 + i), labels[i]);
    for (int slot = 3; slot <= 7; ++slot) EXPECT_EQ(shared.value(slot), "0");
    EXPECT_EQ(shared.value(9), "2026/04");
    EXPECT_EQ(shared.value(1), "");
    EXPECT_EQ(c->d.sharedSettings, shared);
    for (int list = 2; list <= 6; ++list) {
        const QFileInfo f(c->folder + FirstStart::pickListFileName(list));
        EXPECT_TRUE(f.exists());
        EXPECT_EQ(f.size(), 0);
    }

    EXPECT_EQ(m.dateText, "2027/02/14");
    EXPECT_EQ(c->d.appTitle, u"KPV予備品管理20261209"_qs);
    EXPECT_EQ(c->d.ledgerCapacity, 50010);
    EXPECT_EQ(c->d.entryTarget, 0);
    EXPECT_TRUE(c->d.backgroundColour.isEmpty());
    EXPECT_FALSE(m.loginPanelVisible || m.administrator || m.showLogo || m.commonDocuments || m.allClientsStopped);
    EXPECT_EQ(m.logoLeftTwips, 16000);
    EXPECT_FALSE(c->pointer.busy());
}

TEST(Startup, ExistingFilesAreNotRewritten)
{
    World w;
    auto c = w.client();
    writeSlots(c->clientFile(), {{1, u""}, {7, u" 100 "}, {15, u"1"}});
    // slot 1 set to the folder below: written with the real path
    SettingsSlots cs = readSlots(c->clientFile());
    cs.set(1, c->folder);
    writeSettingsFile(c->clientFile(), cs);
    writeSlots(c->sharedFile(), {{14, u"部品番号"}, {49, u"4"}, {12, u"1"}, {1, u"1"}, {8, u"1"}, {20, u"1"}, {21, u"0"}});
    const QByteArray sharedBefore = [&] { QFile f(c->sharedFile()); f.open(QIODevice::ReadOnly); return f.readAll(); }();

    const MenuLayout m = StartupSequence::run(c->d, kToday);
    QFile f(c->sharedFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), sharedBefore);
    EXPECT_EQ(c->d.sharedSettings.value(14), u"部品番号"_qs);
    EXPECT_EQ(c->d.backgroundColour, "&H00E6D8AD");
    EXPECT_EQ(m.colourNumber, "4");
    EXPECT_EQ(m.logoOffset, "100");
    EXPECT_EQ(m.logoLeftTwips, 16100);
    EXPECT_TRUE(m.administrator && m.commonDocuments && m.allClientsStopped && m.loginRequired && m.monthlyImport);
    EXPECT_FALSE(m.decimalQuantities);
    EXPECT_TRUE(m.loginPanelVisible);
    EXPECT_EQ(c->d.loginPending, 1);
}

TEST(Startup, LoginIsAskedOncePerRun)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    c->d.sharedSettings.set(shared::kLoginRequired, "1");
    c->d.saveSharedSettings();

    EXPECT_TRUE(StartupSequence::run(c->d, kToday).loginPanelVisible);
    c->d.loginPending = 0;     // the code was given
    c->d.subScreenOpened = 1;  // and a screen opened; back at the menu:
    EXPECT_FALSE(StartupSequence::run(c->d, kToday).loginPanelVisible);
    EXPECT_EQ(c->d.loginPending, 0);

    c->d.sharedSettings.set(shared::kLoginRequired, "0"); // switched off elsewhere
    c->d.saveSharedSettings();
    c->d.loginPending = 1;
    StartupSequence::run(c->d, kToday);
    EXPECT_EQ(c->d.loginPending, 0);
}

TEST(Startup, DataFolderEndsWithOneSeparator)
{
    World w;
    auto c = w.client();
    const QString data = w.path("data");
    QDir().mkpath(data);
    SettingsSlots cs;
    cs.set(1, data + "///");
    writeSettingsFile(c->clientFile(), cs);
    writeSlots(data + "/" + names::sharedSettings(), {{21, u"1"}});

    const MenuLayout m = StartupSequence::run(c->d, kToday);
    EXPECT_EQ(c->d.dataFolder, data + "/");
    EXPECT_EQ(m.dataFolderText, data + "/");
    EXPECT_TRUE(m.decimalQuantities);
    EXPECT_EQ(c->messages.count(), 0);
    // An existing data folder gets its missing word lists, empty.
    EXPECT_TRUE(QFileInfo::exists(data + "/" + FirstStart::pickListFileName(6)));
    EXPECT_EQ(readSlots(data + "/" + names::sharedSettings()).number(7), 0);
    // Nothing shared is created in the program folder.
    EXPECT_FALSE(QFileInfo::exists(c->sharedFile()));
}

TEST(Startup, WrongDataFolderAnsweredNoCreatesNothing)
{
    World w;
    auto c = w.client();
    const QString gone = w.path("server/share/");
    SettingsSlots cs;
    cs.set(1, gone);
    writeSettingsFile(c->clientFile(), cs);
    c->messages.answerNo();

    StartupSequence::run(c->d, kToday);
    ASSERT_EQ(c->messages.count(), 1);
    EXPECT_TRUE(c->messages.last().text.contains(u"データフォルダー位置がおかしいです。"_qs));
    EXPECT_EQ(c->d.dataFolder, gone);
    EXPECT_FALSE(QFileInfo::exists(w.path("server")));
    EXPECT_FALSE(QFileInfo::exists(c->sharedFile()));
    EXPECT_EQ(readSlots(c->clientFile()).value(1), gone);
}

TEST(Startup, WrongDataFolderAnsweredYesStartsOnTheProgramFolder)
{
    World w;
    auto c = w.client();
    SettingsSlots cs;
    cs.set(1, w.path("gone/"));
    cs.set(3, "1");
    writeSettingsFile(c->clientFile(), cs);
    c->messages.answerYes();

    StartupSequence::run(c->d, kToday);
    EXPECT_EQ(c->d.dataFolder, c->folder);
    const SettingsSlots saved = readSlots(c->clientFile());
    EXPECT_EQ(saved.value(1), c->folder);
    EXPECT_EQ(saved.value(3), "0");
    // The program folder is a new data folder: set up in the same load.
    EXPECT_EQ(readSlots(c->sharedFile()).value(15), u"品名"_qs);
    EXPECT_EQ(c->d.sharedSettings.value(9), "2026/04");
}

TEST(Startup, ColourOutsideThePaletteKeepsTheColourInForce)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    for (const char *bad : {"11", "0", "", "abc", "3.5"}) {
        c->d.backgroundColour = "&H00808080";
        c->d.sharedSettings.set(shared::kBackgroundColour, bad);
        c->d.saveSharedSettings();
        StartupSequence::run(c->d, kToday);
        EXPECT_EQ(c->d.backgroundColour, "&H00808080") << bad;
    }
    c->d.sharedSettings.set(shared::kBackgroundColour, " 7");
    c->d.saveSharedSettings();
    StartupSequence::run(c->d, kToday);
    EXPECT_EQ(c->d.backgroundColour, "&H00B48246");
}

TEST(Startup, StopMarkWithoutAStopIsCleared)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    c->d.clientSettings.set(client::kStopMark, "1");
    c->d.saveClientSettings();
    StartupSequence::run(c->d, kToday); // the stop was lifted by another PC meanwhile
    EXPECT_EQ(readSlots(c->clientFile()).value(client::kStopMark), "0");
}

TEST(Startup, UnwritableProgramFolderIsReportedAndStillStarts)
{
    World w;
    auto c = w.client();
    // A program folder that cannot be written (here: it is not there).
    c->folder = w.path("absent/");
    c->d.clientFolder = c->folder;
    StartupSequence::run(c->d, kToday);
    ASSERT_EQ(c->messages.count(), 1);
    EXPECT_EQ(c->messages.last().kind, RecordedMessage::Tell);
    EXPECT_TRUE(c->messages.last().text.startsWith(c->clientFile()));
    EXPECT_EQ(c->d.dataFolder, c->folder);
}

TEST(Startup, MissingWordListWithACountIsCreatedEmptyAndCountedZero)
{
    World w;
    auto c = w.client();
    StartupSequence::run(c->d, kToday);
    c->d.sharedSettings.set(5, "12");
    c->d.saveSharedSettings();
    QFile::remove(c->folder + FirstStart::pickListFileName(4));
    StartupSequence::run(c->d, kToday);
    EXPECT_TRUE(QFileInfo::exists(c->folder + FirstStart::pickListFileName(4)));
    EXPECT_EQ(readSlots(c->sharedFile()).value(5), "0");
}

TEST(Startup, UnusableDataFolderIsTheWrongDataFolder)
{
    // Nothing may appear in the folder the program was started from.
    World w;
    const QString here = w.path("started-here");
    QDir().mkpath(here);
    const QString before = QDir::currentPath();
    QDir::setCurrent(here);
    int n = 0;
    for (const QString &slot1 : {QString(), QStringLiteral("/"), QStringLiteral("data/"), QStringLiteral("x")}) {
        for (bool yes : {false, true}) {
            auto c = w.client(QStringLiteral("client%1").arg(++n));
            SettingsSlots cs;
            cs.set(1, slot1);
            writeSettingsFile(c->clientFile(), cs);
            c->messages.answer(yes);
            StartupSequence::run(c->d, kToday);
            c->d.openLedger();
            c->d.loadPickLists();
            ASSERT_GE(c->messages.count(), 1) << slot1.toStdString();
            EXPECT_TRUE(c->messages.log().front().text.contains(u"データフォルダー位置がおかしいです。"_qs)) << slot1.toStdString();
            EXPECT_EQ(c->d.dataFolder, yes ? c->folder : slot1) << slot1.toStdString();
            EXPECT_EQ(QFileInfo::exists(c->sharedFile()), yes) << slot1.toStdString();
        }
    }
    EXPECT_EQ(QDir(here).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QDir::setCurrent(before);
}

TEST(Startup, StopMarkStaysWhenTheDataFolderCouldNotBeRead)
{
    World w;
    auto c = w.client();
    const QString server = w.path("server/");
    QDir().mkpath(server);
    writeSlots(server + names::sharedSettings(), {{1, u"1"}});
    SettingsSlots cs;
    cs.set(client::kDataFolder, server);
    cs.set(client::kAdministrator, "1");
    cs.set(client::kStopMark, "1 "); // edited by hand: still on
    writeSettingsFile(c->clientFile(), cs);
    // The server is out: "いいえ" to the wrong-data-folder question.
    QDir(server).removeRecursively();
    c->messages.answerNo();
    StartupSequence::run(c->d, kToday);
    EXPECT_TRUE(readSlots(c->clientFile()).isOn(client::kStopMark));
    // "はい" moves the client to its own folder: no word about the server's stop either.
    c->messages.answerYes();
    StartupSequence::run(c->d, kToday);
    EXPECT_EQ(c->d.dataFolder, c->folder);
    EXPECT_TRUE(readSlots(c->clientFile()).isOn(client::kStopMark));
}

TEST(Startup, ProgramFolderTheSettingsCannotHoldIsToldOnce)
{
    World w;
    auto c = w.client(QStringLiteral("jos\u00e9"));
    StartupSequence::run(c->d, kToday);
    ASSERT_EQ(c->messages.count(), 1);
    EXPECT_TRUE(c->messages.last().text.startsWith(c->folder));
    EXPECT_TRUE(c->messages.last().text.contains(QStringLiteral("\u00e9")));
    EXPECT_FALSE(QFileInfo::exists(c->clientFile())); // never a wrong path on disk
    EXPECT_EQ(c->d.dataFolder, c->folder);
    EXPECT_TRUE(QFileInfo::exists(c->sharedFile())); // the program still runs on its folder
}
