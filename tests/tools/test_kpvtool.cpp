// kpvtool on the fixture folder and on damaged copies of it.
#include "storage/file_names.h"
#include "storage/machine.h"
#include "storage/settings_store.h"

#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

struct ToolRun { int code; QByteArray out; };

ToolRun kpvtool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KPVTOOL), args);
    if (!p.waitForFinished(60000)) { p.kill(); p.waitForFinished(); return {-1, {}}; }
    return {p.exitCode(), p.readAllStandardOutput()};
}

void patch(const QString &path, qint64 offset, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(offset));
    f.write(bytes);
}

void append(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(bytes);
}

TEST(Kpvtool, DumpMatchesTheIndependentReading)
{
    const ToolRun r = kpvtool({"dump", fixturesDir() + "/ledger30"});
    ASSERT_EQ(r.code, 0);
    QFile f(fixturesDir() + "/ledger30/expected.jsonl");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = r.out.split('\n');
    int n = 0;
    while (!f.atEnd()) {
        const QJsonObject want = QJsonDocument::fromJson(f.readLine()).object();
        ASSERT_LT(n, lines.size());
        EXPECT_TRUE(lines[n].startsWith("{\"no\":" + QByteArray::number(n + 1) + ",\"fields\":["));
        EXPECT_EQ(QJsonDocument::fromJson(lines[n]).object(), want) << "record " << n + 1;
        ++n;
    }
    EXPECT_EQ(n, 30);
}

TEST(Kpvtool, SettingsAreFiftyTexts)
{
    const ToolRun r = kpvtool({"settings", fixturesDir() + "/ledger30/" + names::sharedSettings()});
    ASSERT_EQ(r.code, 0);
    const QJsonArray a = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(a.size(), 50);
    EXPECT_EQ(a.at(8).toString(), "2025/04");
    EXPECT_EQ(a.at(13).toString(), QStringLiteral("在庫品No"));
    EXPECT_EQ(kpvtool({"settings", "/nonexistent/file"}).code, 2);
}

TEST(Kpvtool, CheckExitCodes)
{
    EXPECT_EQ(kpvtool({"check", fixturesDir() + "/ledger30"}).code, 0);
    EXPECT_EQ(kpvtool({"check", "/nonexistent/folder"}).code, 2);

    QTemporaryDir tmp;
    ASSERT_TRUE(copyFixture("ledger30", tmp.path()));
    const QString d = withSlash(tmp.path());
    const QString ledger = d + names::ledger();
    patch(ledger, 926 * 2 - 2, "\n\n");                          // record 2: line end LF LF
    patch(ledger, 926 * 4 + 28, "\x81\x20");                     // record 5: field 1 does not decode
    patch(ledger, 926 * 5 + 28 * 10, "999 ");                    // record 6: stock figure wrong
    append(ledger, QByteArray(100, ' '));                        // trailing partial record
    QFile::resize(d + names::sharedSettings(), 40);              // settings file cut short
    QFile::resize(d + "Mb在庫品05.dat", 20);                      // list 5 has count 6
    const ToolRun r = kpvtool({"check", d});
    EXPECT_EQ(r.code, 1);
    const QString out = QString::fromUtf8(r.out);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 6) << out.toStdString();
    for (const char *expected : {"trailing partial record of 100 bytes", "record 2: line end is not CR LF",
                                 "record 5: field 1 does not decode", "record 6: stock 999 differs",
                                 "Ma在庫品基礎.dat: ", "Mb在庫品05.dat: 2 lines, fewer than its count 6"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(expected))) << expected << "\n" << out.toStdString();

    // A missing list file with no words still stops the loading of the lists after it.
    SettingsSlots settings;
    ASSERT_TRUE(copyFixture("ledger30", tmp.path()));
    readSettingsFile(d + names::sharedSettings(), settings);
    settings.set(3, "0");
    ASSERT_TRUE(writeSettingsFile(d + names::sharedSettings(), settings));
    ASSERT_TRUE(QFile::remove(d + "Mb在庫品02.dat"));
    const QString missing = QString::fromUtf8(kpvtool({"check", d}).out);
    EXPECT_TRUE(missing.contains(QStringLiteral("Mb在庫品02.dat: missing, count 0; lists 3 to 6 are not loaded"))) << missing.toStdString();
}

// What a crash or a faulty client leaves: a partial record, a line end
// missing, a list whose count disagrees, a lock of a PC that is gone. Said
// first, changed only with --apply, each changed file's copy kept.
TEST(Kpvtool, HelpNamesEveryCommand)
{
    const ToolRun help = kpvtool({"--help"});
    EXPECT_EQ(help.code, 0);
    const QString text = QString::fromUtf8(help.out);
    for (const char *command : {"check ", "dump ", "settings ", "repair ", "--apply"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(command))) << command << "\n" << text.toStdString();
}

TEST(Kpvtool, RepairSaysThenRepairsKeepingCopies)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(copyFixture("ledger30", tmp.path()));
    QFile::remove(tmp.path() + "/expected.jsonl");
    const QString d = withSlash(tmp.path());
    const QString ledger = d + names::ledger();
    patch(ledger, 926 * 2 - 2, "\n\n");        // record 2: line end LF LF
    append(ledger, QByteArray(300, 'x'));      // an append cut short: 300 bytes, not counted
    append(d + "Mb在庫品03.dat", ",\"EXTRA\"\r\n"); // a word the count (slot 4) does not count
    append(d + "Mb在庫品06.dat", ",\"pcs\"");         // no line end after the last line
    {
        SettingsSlots s;
        readSettingsFile(d + names::sharedSettings(), s);
        s.set(7, QString::number(s.number(7) + 1));    // list 6 gets its word counted by the line it gains
        ASSERT_TRUE(writeSettingsFile(d + names::sharedSettings(), s));
    }
    // The ledger lock of a process of this PC that has ended.
    QProcess gone;
    gone.start("true");
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 pid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    const QByteArray lock = "kpv-lock 1\npc=" + machineName().toUtf8() + "\npid=" + QByteArray::number(pid) + "\nstart=1\ntoken=t\n"
                            "time=2020-01-01T00:00:00.000Z\nseq=1\n";
    QFile lf(ledger + ".lock");
    ASSERT_TRUE(lf.open(QIODevice::WriteOnly));
    lf.write(lock);
    lf.close();
    const QByteArray before = [&] { QFile f(ledger); f.open(QIODevice::ReadOnly); return f.readAll(); }();

    const ToolRun dry = kpvtool({"repair", d});
    EXPECT_EQ(dry.code, 1);
    const QString said = QString::fromUtf8(dry.out);
    for (const char *expected : {"would repair: Ma在庫品.dat.lock: lock left by a client that is gone",
                                 "would repair: Ma在庫品.dat: 300 bytes after record 30 are no record",
                                 "would repair: Ma在庫品.dat: 1 records without the line end CR LF (2)",
                                 "would repair: Mb在庫品06.dat: the last line has no line end",
                                 "would repair: Mb在庫品03.dat: 6 words, but its count (SharedSettings slot 4) is 5"})
        EXPECT_TRUE(said.contains(QString::fromUtf8(expected))) << expected << "\n" << said.toStdString();
    EXPECT_EQ([&] { QFile f(ledger); f.open(QIODevice::ReadOnly); return f.readAll(); }(), before) << "nothing changed without --apply";
    EXPECT_TRUE(QFile::exists(ledger + ".lock"));

    const ToolRun applied = kpvtool({"repair", d, "--apply"});
    EXPECT_EQ(applied.code, 0) << applied.out.toStdString();
    EXPECT_TRUE(applied.out.contains("copy kept: ")) << applied.out.toStdString();
    EXPECT_FALSE(QFile::exists(ledger + ".lock"));
    const ToolRun check = kpvtool({"check", d});
    EXPECT_EQ(check.code, 0) << check.out.toStdString();
    EXPECT_EQ(kpvtool({"repair", d}).code, 0) << "nothing left to repair";
    // The copies hold the files as they were.
    const QStringList backups = QDir(d).entryList({"repair-*"}, QDir::Dirs);
    ASSERT_EQ(backups.size(), 1);
    QFile copy(d + backups.first() + "/" + names::ledger());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), before);
}

} // namespace
