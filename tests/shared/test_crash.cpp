// Crashes, proven: a client is stopped at each named step of a change of the
// shared files and ended with SIGKILL there. Afterwards the ledger is the old
// one or the new one (the same change made without a crash), never a mix;
// every word list agrees with its count; the next client takes the locks
// over at once (same PC, the process is gone) and works. Then two clients
// append a thousand cards each while being killed at random moments.
#include "clients.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

enum class Kind { Ledger, LedgerAndSettings, Lists, Transfer };

struct CrashCase {
    const char *name;
    QStringList args; // "{F}" stands for the data folder, "{C}" the client folder, "{T}" the transfer target
    const char *step;
    Kind kind;
};

void PrintTo(const CrashCase &c, std::ostream *os)
{
    *os << c.name << " at " << c.step;
}

QStringList filled(const QStringList &args, const QString &folder, const QString &client, const QString &target)
{
    QStringList out;
    for (QString a : args) out << a.replace(QStringLiteral("{F}"), folder).replace(QStringLiteral("{C}"), client).replace(QStringLiteral("{T}"), target);
    return out;
}

// The shared files of a folder by name.
std::map<QString, QByteArray> snapshot(const QString &folder)
{
    std::map<QString, QByteArray> s;
    QStringList names{names::ledger(), names::sharedSettings()};
    for (int n = 2; n <= 6; ++n) names << QFileInfo(listPath(folder, n)).fileName();
    for (const QString &n : names) s[n] = bytesOf(folder + n);
    return s;
}

void expectListsAgreeWithCounts(const QString &folder)
{
    for (int n = 2; n <= 6; ++n) EXPECT_EQ(countSlot(folder, n), listWords(listPath(folder, n)).size()) << "list " << n;
}

class Crash : public ::testing::TestWithParam<CrashCase> {
protected:
    QTemporaryDir tmp;
    QString folder, reference, client, target;
    Pc pc{QStringLiteral("PC-A"), QString(), {}};

    void SetUp() override
    {
        const QString root = withSlash(tmp.path());
        folder = root + QStringLiteral("data/");
        reference = root + QStringLiteral("reference/");
        client = root + QStringLiteral("client/");
        target = root + QStringLiteral("target/");
        QDir().mkpath(client);
        QDir().mkpath(target);
        prepareFolder(folder, true);
        prepareFolder(reference, true);
        pc.folder = folder;
        pc.env[QStringLiteral("TMPDIR")] = tmp.path(); // what a killed client leaves there goes with the test
    }
};

TEST_P(Crash, stoppedAndKilledLeavesOldOrNewAndTheNextClientGoesOn)
{
    const CrashCase &c = GetParam();
    const auto before = snapshot(folder);
    expectListsAgreeWithCounts(folder);

    // The same change without a crash, in a folder of its own: the "new".
    QString report;
    const QString referenceTarget = withSlash(tmp.path()) + QStringLiteral("reference-target/");
    QDir().mkpath(referenceTarget);
    const QString referenceClient = withSlash(tmp.path()) + QStringLiteral("reference-client/");
    QDir().mkpath(referenceClient);
    ASSERT_EQ(runClient(pc, filled(c.args, reference, referenceClient, referenceTarget), &report), 0) << report.toStdString();
    const auto after = snapshot(reference);

    Client victim(pc, filled(c.args, folder, client, target), {{QStringLiteral("KPV_STOP_AT"), QString::fromUtf8(c.step)}});
    ASSERT_TRUE(victim.waitFor("KPV-STOPPED")) << victim.report().toStdString();
    victim.killHard();

    if (c.kind == Kind::Transfer) {
        // The source is untouched, and this PC still names it as the source
        // of the transfer (the confirmed target is slot 1 before the copy).
        EXPECT_EQ(snapshot(folder), before);
        SettingsSlots cs;
        readSettingsFile(client + names::clientSettings(), cs);
        EXPECT_EQ(cs.value(2), folder);
        // What reached the target is whole.
        for (const auto &[name, bytes] : before) {
            if (!io::exists(target + name)) continue;
            EXPECT_EQ(bytesOf(target + name), bytes) << name.toStdString();
        }
        // The next try takes the target's locks over and completes.
        ASSERT_EQ(runClient(pc, filled(c.args, folder, client, target), &report), 0) << report.toStdString();
        for (const auto &[name, bytes] : before)
            if (name != names::sharedSettings()) EXPECT_EQ(bytesOf(target + name), bytes) << name.toStdString();
        EXPECT_TRUE(leftovers(target).isEmpty()) << leftovers(target).join(u' ').toStdString();
        EXPECT_TRUE(leftovers(folder).isEmpty()) << leftovers(folder).join(u' ').toStdString();
        return;
    }

    // The next client to change each shared file takes its lock over.
    ASSERT_EQ(runClient(pc, {QStringLiteral("settle"), folder}, &report), 0) << report.toStdString();
    const auto now = snapshot(folder);
    const QByteArray ledger = now.at(names::ledger());
    EXPECT_TRUE(ledger == before.at(names::ledger()) || ledger == after.at(names::ledger())) << "the ledger is the old or the new one";
    if (c.kind == Kind::Ledger || c.kind == Kind::LedgerAndSettings) {
        for (const auto &[name, bytes] : now)
            if (name != names::ledger() && name != names::sharedSettings()) EXPECT_EQ(bytes, before.at(name)) << name.toStdString();
        if (c.kind == Kind::LedgerAndSettings) {
            const QByteArray settings = now.at(names::sharedSettings());
            EXPECT_TRUE((ledger == before.at(names::ledger()) && settings == before.at(names::sharedSettings()))
                        || (ledger == after.at(names::ledger()) && settings == after.at(names::sharedSettings())))
                << "the ledger and SharedSettings changed together or not at all";
        }
    } else {
        // All lists and the settings of the old state, or all of the new.
        bool allOld = true, allNew = true;
        for (const auto &[name, bytes] : now) {
            if (name == names::ledger()) continue;
            allOld = allOld && bytes == before.at(name);
            allNew = allNew && bytes == after.at(name);
        }
        EXPECT_TRUE(allOld || allNew) << "the lists and their counts changed together or not at all";
    }
    expectListsAgreeWithCounts(folder);
    EXPECT_TRUE(leftovers(folder).isEmpty()) << leftovers(folder).join(u' ').toStdString();

    // And it works: a card and a word.
    ASSERT_EQ(runClient(pc, {QStringLiteral("append"), folder, QStringLiteral("1"), QStringLiteral("NEXT")}, &report), 0) << report.toStdString();
    ASSERT_EQ(runClient(pc, {QStringLiteral("words"), folder, QStringLiteral("5"), QStringLiteral("次の語"), QStringLiteral("1")}, &report), 0)
        << report.toStdString();
    EXPECT_EQ(itemNumbers(bytesOf(folder + names::ledger())).last(), QStringLiteral("NEXT1"));
    expectListsAgreeWithCounts(folder);
    QString check;
    EXPECT_EQ(kpvCheck(folder, &check), 0) << check.toStdString();
}

std::vector<CrashCase> cases()
{
    std::vector<CrashCase> all;
    const auto add = [&](const char *name, QStringList args, Kind kind, std::initializer_list<const char *> steps) {
        for (const char *s : steps) all.push_back({name, args, s, kind});
    };
    add("registering a card", {QStringLiteral("append"), QStringLiteral("{F}"), QStringLiteral("1"), QStringLiteral("NEW")}, Kind::Ledger,
        {"append.locked", "append.written", "append.synced"});
    add("correcting a card", {QStringLiteral("rewrite"), QStringLiteral("{F}"), QStringLiteral("3"), QStringLiteral("訂正後の名")}, Kind::Ledger,
        {"rewrite.locked", "rewrite.written"});
    add("registering a sort", {QStringLiteral("sort"), QStringLiteral("{F}")}, Kind::Ledger,
        {"replace.locked", "replace.written", "replace.renamed"});
    add("registering a deletion", {QStringLiteral("delete"), QStringLiteral("{F}"), QStringLiteral("2"), QStringLiteral("5")}, Kind::Ledger,
        {"replace.locked", "replace.written", "replace.renamed"});
    add("a ledger import", {QStringLiteral("import"), QStringLiteral("{F}"), QStringLiteral("40"), QStringLiteral("T")}, Kind::LedgerAndSettings,
        {"import.locked", "import.half", "import.staged", "import.decided", "import.renamed-one", "import.renamed"});
    add("a word-list import", {QStringLiteral("wordimport"), QStringLiteral("{F}"), QStringLiteral("30"), QStringLiteral("W")}, Kind::Lists,
        {"word-import.locked", "word-import.staged", "word-import.decided", "word-import.renamed-one", "word-import.renamed"});
    add("a monthly import", {QStringLiteral("monthly"), QStringLiteral("{F}"), QStringLiteral("3")}, Kind::Ledger,
        {"monthly.written", "monthly.renamed"});
    add("a word append", {QStringLiteral("words"), QStringLiteral("{F}"), QStringLiteral("3"), QStringLiteral("新しい語"), QStringLiteral("1")},
        Kind::Lists, {"word-append.locked", "word-append.staged", "word-append.decided", "word-append.renamed-one", "word-append.renamed"});
    // Lists 2..6 are copied first (copies 1 to 5), the ledger sixth.
    add("a transfer", {QStringLiteral("transfer"), QStringLiteral("{C}"), QStringLiteral("{F}"), QStringLiteral("{T}")}, Kind::Transfer,
        {"copy.read#1", "copy.done#3", "copy.read#6", "copy.done#6"});
    return all;
}

std::string caseName(const ::testing::TestParamInfo<CrashCase> &info)
{
    std::string n = std::to_string(info.index) + "_" + info.param.step;
    for (char &ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(EachStep, Crash, ::testing::ValuesIn(cases()), caseName);

// Parses "appended <record> <item>" lines.
std::map<QString, int> appended(const QByteArray &out)
{
    std::map<QString, int> r;
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 3 && f[0] == "appended") r[QString::fromUtf8(f[2])] = f[1].toInt();
    }
    return r;
}

TEST(RandomKills, twoClientsAppendAThousandEachWhileKilledAtRandom)
{
    QTemporaryDir tmp;
    const QString folder = withSlash(tmp.path()) + QStringLiteral("data/");
    prepareFolder(folder, false);
    // Short lock times: a client killed between creating its lock file and
    // writing it leaves an empty one, taken over after three intervals.
    const Pc pc{QStringLiteral("PC-A"), folder, {{QStringLiteral("KPV_LOCK_REFRESH_MS"), QStringLiteral("200")},
                                                {QStringLiteral("KPV_LOCK_STALE_MS"), QStringLiteral("3000")}}};
    struct Worker {
        int acked = 0;
        int run = 0;
        int kills = 0;
        std::unique_ptr<Client> client;
        QElapsedTimer since;
        qint64 killAfter = 0; // ms
        int killAtCards = 0;  // or once it acknowledged this many cards
    };
    std::map<QString, int> told; // every acknowledged card and its record
    Worker workers[2];
    QRandomGenerator random(2024);
    const auto start = [&](int w) {
        Worker &k = workers[w];
        const QString tag = QStringLiteral("W%1R%2-").arg(w).arg(++k.run);
        k.client = std::make_unique<Client>(pc, QStringList{QStringLiteral("append"), folder, QString::number(1000 - k.acked), tag});
        k.since.start();
        // A dozen kills each (at a moment, or after some cards, whichever
        // comes first, so that they happen however fast the disk is), then
        // left to finish.
        k.killAfter = k.kills < 12 ? 30 + random.bounded(400) : -1;
        k.killAtCards = 1 + int(random.bounded(60));
    };
    const auto harvest = [&](Worker &k) {
        const auto got = appended(k.client->out());
        for (const auto &[id, no] : got) told[id] = no;
        k.acked += int(got.size());
    };
    start(0);
    start(1);
    QElapsedTimer total;
    total.start();
    while ((workers[0].acked < 1000 || workers[1].acked < 1000) && total.elapsed() < 900000) {
        for (int w = 0; w < 2; ++w) {
            Worker &k = workers[w];
            if (!k.client) continue;
            if (k.killAfter >= 0 && (k.since.elapsed() >= k.killAfter || appended(k.client->outSoFar()).size() >= size_t(k.killAtCards))) {
                k.client->killHard();
                ++k.kills;
                harvest(k);
                k.client.reset();
                if (k.acked < 1000) start(w);
                continue;
            }
            const int code = k.client->finish(20);
            if (code == -1 && k.since.elapsed() < 600000) continue;
            ASSERT_EQ(code, 0) << k.client->report().toStdString();
            harvest(k);
            k.client.reset();
            if (k.acked < 1000) start(w);
        }
    }
    ASSERT_EQ(workers[0].acked, 1000);
    ASSERT_EQ(workers[1].acked, 1000);
    EXPECT_GE(workers[0].kills + workers[1].kills, 20);

    const QByteArray ledger = bytesOf(folder + names::ledger());
    ASSERT_EQ(ledger.size() % LedgerRecord::kSize, 0) << "no torn record";
    const QStringList ids = itemNumbers(ledger);
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), ids.size()) << "no card twice";
    for (const auto &[id, no] : told) ASSERT_EQ(ids.value(no - 1), id) << "every acknowledged card where it was told to be";
    // Cards written just before a kill, not yet acknowledged, are whole cards too.
    EXPECT_LE(ids.size() - qsizetype(told.size()), workers[0].kills + workers[1].kills);
    QString check;
    EXPECT_EQ(kpvCheck(folder, &check), 0) << check.toStdString();
    EXPECT_TRUE(leftovers(folder).isEmpty()) << leftovers(folder).join(u' ').toStdString();
}

} // namespace
