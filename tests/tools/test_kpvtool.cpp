// kpvtool on the fixture folder and on damaged copies of it.
#include "storage/file_names.h"
#include "storage/settings_store.h"

#include "temp_folder.h"

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

} // namespace
