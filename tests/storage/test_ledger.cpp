// Ledger record layout and the ledger file: fixture bytes written by another
// program, counting, capacity, appends from two processes.
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/files.h"

#include "data_folder_test.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <gtest/gtest.h>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace kpv;
using namespace kpv::testing;

namespace {

struct Ledger : DataFolderTest {
    void useFixture() { ASSERT_TRUE(copyFixture("ledger30", data)); }
    void writeLedger(const QByteArray &bytes) { QFile f(db.ledgerPath()); ASSERT_TRUE(f.open(QIODevice::WriteOnly)); f.write(bytes); }
};

TEST(LedgerRecordLayout, FieldsCellsPaddingAndNulFill)
{
    LedgerRecord r;
    EXPECT_EQ(r.bytes(), QByteArray(926, '\0'));
    EXPECT_EQ(r.field(5), "");
    EXPECT_EQ(r.cellNumber(1, 13), 0);
    ASSERT_TRUE(r.setField(0, "A-1"));
    ASSERT_TRUE(r.setField(20, QStringLiteral("末")));
    ASSERT_TRUE(r.setCell(1, 1, "20"));
    ASSERT_TRUE(r.setCell(2, 15, "1666"));
    r.setLineEnd();
    const QByteArray b = r.bytes();
    EXPECT_EQ(b.mid(0, 28), "A-1" + QByteArray(25, ' '));
    EXPECT_EQ(b.mid(28, 28), QByteArray(28, '\0'));
    EXPECT_EQ(b.mid(560, 28), QByteArray("\x96\x96") + QByteArray(26, ' '));
    EXPECT_EQ(b.mid(588 + 7 * (1 + 3 * 1), 7), "20     ");   // cell (1, 1)
    EXPECT_EQ(b.mid(588 + 7 * (2 + 3 * 15), 7), "1666   "); // cell (2, 15) is the last cell
    EXPECT_EQ(588 + 7 * (2 + 3 * 15) + 7, 924);
    EXPECT_EQ(b.right(2), "\r\n");
    EXPECT_EQ(r.cellNumber(2, 15), 1666);
    EXPECT_EQ(r.rawField(0), "A-1" + QString(25, u' '));
}

TEST(LedgerRecordLayout, DoubleByteCharactersAtTheBoundaries)
{
    LedgerRecord r;
    ASSERT_TRUE(r.setField(2, QString(15, QChar(u'ア'))));     // the 15th character is cut off
    EXPECT_EQ(r.field(2), QString(14, QChar(u'ア')));
    ASSERT_TRUE(r.setField(2, "x" + QString(14, QChar(u'ア')))); // the 14th would straddle byte 28
    EXPECT_EQ(r.field(2), "x" + QString(13, QChar(u'ア')));
    EXPECT_EQ(r.bytes().mid(56 + 27, 1), " ");
    EXPECT_EQ(r.bytes().mid(84, 1), QByteArray(1, '\0'));       // the next field is untouched
    ASSERT_TRUE(r.setCell(1, 3, QStringLiteral("123456あ")));
    EXPECT_EQ(r.cell(1, 3), "123456");
    ASSERT_TRUE(r.setCell(1, 3, QStringLiteral("ｱｲｳｴｵｶｷｸ")));  // half-width: one byte each
    EXPECT_EQ(r.cell(1, 3), QStringLiteral("ｱｲｳｴｵｶｷ"));
}

TEST(LedgerRecordLayout, RefusedTextLeavesTheFieldAsItWas)
{
    LedgerRecord r;
    ASSERT_TRUE(r.setField(1, "keep"));
    cp932::Refusal why;
    EXPECT_FALSE(r.setField(1, QStringLiteral("波〜線"), &why));
    EXPECT_EQ(why.position, 1);
    EXPECT_EQ(r.field(1), "keep");
    EXPECT_FALSE(r.setCell(0, 0, QStringLiteral("😀")));
}

TEST_F(Ledger, FixtureRecordsReadAsTheIndependentReaderSawThem)
{
    useFixture();
    QFile f(fixturesDir() + "/ledger30/expected.jsonl");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(db.openLedger());
    EXPECT_EQ(db.recordCount, 30);
    int n = 0;
    while (!f.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(f.readLine()).object();
        ++n;
        ASSERT_EQ(o.value("no").toInt(), n);
        ASSERT_TRUE(db.readRecord(n));
        const QJsonArray fields = o.value("fields").toArray();
        for (int i = 0; i < 21; ++i) EXPECT_EQ(db.recordBuffer.field(i), fields.at(i).toString()) << "record " << n << " field " << i;
        const QJsonArray cells = o.value("cells").toArray();
        for (int r = 0; r < 3; ++r)
            for (int m = 0; m < 16; ++m)
                EXPECT_EQ(db.recordBuffer.cell(r, m), cells.at(r).toArray().at(m).toString()) << "record " << n << " cell " << r << "," << m;
        EXPECT_TRUE(db.recordBuffer.hasLineEnd());
    }
    EXPECT_EQ(n, 30);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(Ledger, RewritingKeepsEveryByteNobodyAssigned)
{
    useFixture();
    const QByteArray original = fileBytes(db.ledgerPath());
    ASSERT_TRUE(db.openLedger());
    for (int n = 1; n <= db.recordCount; ++n) {
        ASSERT_TRUE(db.readRecord(n));
        ASSERT_EQ(db.writeRecord(n), n);
    }
    db.closeLedger();
    EXPECT_EQ(fileBytes(db.ledgerPath()), original);

    // Record 3: spare fields 12 (text and NULs) and 15 (full-width space
    // and spaces) survive an edit of other fields.
    ASSERT_TRUE(db.openLedger());
    ASSERT_TRUE(db.readRecord(3));
    const QByteArray before = db.recordBuffer.bytes();
    ASSERT_TRUE(db.recordBuffer.setField(10, "4"));
    ASSERT_TRUE(db.recordBuffer.setCell(1, 1, "6"));
    ASSERT_EQ(db.writeRecord(3), 3);
    db.closeLedger();
    const QByteArray after = fileBytes(db.ledgerPath()).mid(2 * 926, 926);
    EXPECT_EQ(after.mid(12 * 28, 28), before.mid(12 * 28, 28));
    EXPECT_EQ(after.mid(15 * 28, 28), before.mid(15 * 28, 28));
    EXPECT_TRUE(before.mid(12 * 28, 28).contains('\0'));
    EXPECT_TRUE(before.mid(15 * 28, 2) == QByteArray("\x81\x40"));
    EXPECT_EQ(after.mid(10 * 28, 28), "4" + QByteArray(27, ' '));
    EXPECT_EQ(fileBytes(db.ledgerPath()).size(), original.size());
}

TEST_F(Ledger, CountingRoundsToNearestWithTiesToEven)
{
    struct Case { qint64 length; int count; } cases[] = {
        {0, 0}, {926, 1}, {926 * 3 + 500, 4}, {926 * 3 + 400, 3}, {926 * 3 + 463, 4}, {926 * 2 + 463, 2}, {462, 0}, {464, 1},
    };
    for (const auto &c : cases) EXPECT_EQ(LedgerFile::countRecords(c.length), c.count) << c.length;
}

TEST_F(Ledger, MissingLedgerIsCreatedEmpty)
{
    db.recordCount = 7;
    ASSERT_TRUE(db.openLedger());
    EXPECT_EQ(db.recordCount, 0);
    db.closeLedger();
    EXPECT_TRUE(QFile::exists(db.ledgerPath()));
    EXPECT_EQ(QFileInfo(db.ledgerPath()).size(), 0);
}

TEST_F(Ledger, UnopenableLedgerKeepsTheCountSilently)
{
    db.dataFolder = withSlash(tmp.path() + "/missing");
    db.recordCount = 7;
    EXPECT_FALSE(db.openLedger());
    EXPECT_EQ(db.recordCount, 7);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(Ledger, PartialLastRecordNeverLeadsToAPartialWrite)
{
    struct Case { int tail; int counted; int appendedAs; } cases[] = {{500, 4, 5}, {400, 3, 4}};
    for (const auto &c : cases) {
        LedgerRecord full;
        full.setField(0, "X");
        full.setLineEnd();
        writeLedger(full.bytes().repeated(3) + full.bytes().left(c.tail));
        ASSERT_TRUE(db.openLedger());
        EXPECT_EQ(db.recordCount, c.counted);
        if (c.counted == 4) {
            ASSERT_TRUE(db.readRecord(4)); // the partial record reads NUL-filled
            EXPECT_EQ(db.recordBuffer.bytes().mid(c.tail), QByteArray(926 - c.tail, '\0'));
        }
        db.recordBuffer.clear();
        db.recordBuffer.setField(0, "NEW");
        EXPECT_EQ(db.appendRecord(db.recordBuffer), c.appendedAs);
        db.closeLedger();
        const QByteArray b = fileBytes(db.ledgerPath());
        EXPECT_EQ(b.size() % 926, 0) << c.tail;
        EXPECT_EQ(b.size() / 926, c.appendedAs);
        EXPECT_EQ(b.mid((c.appendedAs - 1) * 926, 3), "NEW");
        EXPECT_EQ(b.right(2), "\r\n");
    }
}

TEST_F(Ledger, CapacityMessageAtEveryCountAndNoAppendBeyondIt)
{
    db.ledgerCapacity = 6; // the same rule as 50010, on a small file
    LedgerRecord r;
    r.setLineEnd();
    writeLedger(r.bytes().repeated(5));
    for (int i = 1; i <= 2; ++i) {
        ASSERT_TRUE(db.openLedger());
        EXPECT_EQ(db.recordCount, 5);
        ASSERT_EQ(messages.count(), i);
        EXPECT_EQ(messages.last().title, QStringLiteral("データ容量確認"));
        EXPECT_EQ(messages.last().text, QStringLiteral("台帳データが 許容量台数5を超えました\r　確認してください。"));
    }
    // A new item takes record 6 (the last one the capacity allows) ...
    EXPECT_EQ(db.appendRecord(r), 6);
    // ... and the next one is refused instead of overwriting another item.
    db.openLedger();
    EXPECT_EQ(db.recordCount, 5);
    messages.clear();
    EXPECT_EQ(db.appendRecord(r), 0);
    EXPECT_EQ(messages.last().title, QStringLiteral("データ容量確認"));
    db.closeLedger();
    EXPECT_EQ(QFileInfo(db.ledgerPath()).size(), 6 * 926);
}

TEST_F(Ledger, AppendGoesToTheTrueEndWhenAnotherClientAppended)
{
    Dolvb other(messages, pointer);
    other.clientFolder = other.dataFolder = data;
    ASSERT_TRUE(db.openLedger());
    ASSERT_TRUE(other.openLedger());
    db.recordBuffer.setField(0, "MINE");
    other.recordBuffer.setField(0, "THEIRS");
    EXPECT_EQ(other.appendRecord(other.recordBuffer), 1);
    EXPECT_EQ(db.appendRecord(db.recordBuffer), 2); // counted 0, but record 1 is taken
    EXPECT_EQ(db.recordCount, 2);
    db.closeLedger();
    other.closeLedger();
    const QByteArray b = fileBytes(db.ledgerPath());
    EXPECT_EQ(b.mid(0, 6), "THEIRS");
    EXPECT_EQ(b.mid(926, 4), "MINE");
}

TEST_F(Ledger, WritesLandInALedgerThatAnotherClientRenamedIntoPlace)
{
    // Another client registers a sort: a new ledger is renamed over the one
    // this client still holds open. Appends and rewrites must reach the new file.
    useFixture();
    ASSERT_TRUE(db.openLedger());
    const QByteArray before = fileBytes(db.ledgerPath());
    QFile::remove(data + "sorted");
    { QFile f(data + "sorted"); ASSERT_TRUE(f.open(QIODevice::WriteOnly)); f.write(before.left(2 * 926)); }
    ASSERT_TRUE(QFile::remove(db.ledgerPath()));
    ASSERT_TRUE(QFile::rename(data + "sorted", db.ledgerPath()));
    LedgerRecord rec;
    rec.setField(0, "NEW");
    EXPECT_EQ(db.appendRecord(rec), 3);
    rec.setField(0, "FIX");
    EXPECT_TRUE(db.rewriteRecord(1, rec));
    db.closeLedger();
    const QByteArray b = fileBytes(db.ledgerPath());
    ASSERT_EQ(b.size(), 3 * 926);
    EXPECT_EQ(b.mid(0, 3), "FIX");
    EXPECT_EQ(b.mid(2 * 926, 3), "NEW");
}

// A correction is checked and written as one step under the ledger lock:
// written when the record holds what was read; a change of the same item
// and anything that reordered the ledger write nothing.
TEST_F(Ledger, CorrectionsAreCheckedUnderTheLockBeforeTheyAreWritten)
{
    useFixture();
    ASSERT_TRUE(db.openLedger());
    ASSERT_TRUE(db.readRecord(6));
    const QByteArray read = db.recordBuffer.bytes();
    const FileIdentity file = db.ledgerIdentity();
    ASSERT_TRUE(file.known);
    db.closeLedger();
    LedgerRecord mine = LedgerRecord::fromBytes(read.constData(), int(read.size()));
    mine.setField(2, "MINE");
    QByteArray now;

    // Another client changed the same item in place: the same file still.
    LedgerRecord theirs = LedgerRecord::fromBytes(read.constData(), int(read.size()));
    theirs.setField(3, "THEIRS");
    {
        LedgerFile other(db.ledgerPath());
        ASSERT_TRUE(other.open());
        ASSERT_TRUE(other.write(6, theirs));
        EXPECT_FALSE(other.identity().differsFrom(file));
    }
    EXPECT_EQ(db.rewriteCorrection(6, mine, read, file, &now), Dolvb::Correction::Changed);
    EXPECT_EQ(now, theirs.bytes());
    EXPECT_EQ(fileBytes(db.ledgerPath()).mid(5 * 926, 926), theirs.bytes());
    // Told and answered: the change seen is overwritten.
    EXPECT_EQ(db.rewriteCorrection(6, mine, now, file), Dolvb::Correction::Written);
    EXPECT_EQ(fileBytes(db.ledgerPath()).mid(5 * 926, 926), mine.bytes());

    // Another item on the record.
    const QByteArray seven = fileBytes(db.ledgerPath()).mid(6 * 926, 926);
    EXPECT_EQ(db.rewriteCorrection(7, mine, mine.bytes(), file), Dolvb::Correction::Reordered);
    EXPECT_EQ(fileBytes(db.ledgerPath()).mid(6 * 926, 926), seven);
    // A record past the end of the ledger.
    EXPECT_EQ(db.rewriteCorrection(31, mine, mine.bytes(), file), Dolvb::Correction::Reordered);
    EXPECT_EQ(messages.count(), 0);

    // The same bytes in a ledger renamed over the old one (a registered sort
    // or deletion): another file, so a reorder.
    const QByteArray whole = fileBytes(db.ledgerPath());
    { QFile f(data + "sorted"); ASSERT_TRUE(f.open(QIODevice::WriteOnly)); f.write(whole); }
    ASSERT_TRUE(QFile::remove(db.ledgerPath()));
    ASSERT_TRUE(QFile::rename(data + "sorted", db.ledgerPath()));
    EXPECT_EQ(db.rewriteCorrection(6, mine, mine.bytes(), file), Dolvb::Correction::Reordered);
    EXPECT_EQ(fileBytes(db.ledgerPath()), whole);
}

TEST_F(Ledger, TwoProcessesAppendingNeverShareARecordNumber)
{
    const int each = 150;
    QProcess a, b;
    a.start(QStringLiteral(KPV_APPEND_HELPER), {data, QString::number(each), "A"});
    b.start(QStringLiteral(KPV_APPEND_HELPER), {data, QString::number(each), "B"});
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    ASSERT_TRUE(db.openLedger());
    ASSERT_EQ(db.recordCount, 2 * each);
    QSet<QString> seen;
    for (int n = 1; n <= db.recordCount; ++n) {
        ASSERT_TRUE(db.readRecord(n));
        seen.insert(db.recordBuffer.field(0));
        EXPECT_EQ(db.recordBuffer.field(1), db.recordBuffer.field(0)); // the whole record is one writer's
        EXPECT_TRUE(db.recordBuffer.hasLineEnd());
    }
    EXPECT_EQ(seen.size(), 2 * each);
    // Each process was told the number its record went to.
    const QStringList numbers = QString::fromLatin1(a.readAllStandardOutput() + b.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), 2 * each);
}

TEST_F(Ledger, NewCardRegisteredAfterAnotherProcessAppendedGoesAfterIt)
{
    useFixture();
    // This client opens a new card: the next number is 31.
    ASSERT_TRUE(db.openLedger());
    ASSERT_EQ(db.recordCount, 30);
    db.currentRecordNo = db.recordCount + 1;
    db.closeLedger();
    // Another client registers a new item meanwhile.
    QProcess b;
    b.start(QStringLiteral(KPV_APPEND_HELPER), {data, "1", "B"});
    ASSERT_TRUE(b.waitForFinished(60000));
    ASSERT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    EXPECT_EQ(b.readAllStandardOutput().trimmed(), "31");
    // This client registers: reopened and counted, the card goes to the end.
    ASSERT_TRUE(db.openLedger());
    EXPECT_EQ(db.recordCount, 31);
    LedgerRecord card;
    card.setField(0, "MINE");
    EXPECT_EQ(db.appendRecord(card), 32);
    EXPECT_EQ(db.recordCount, 32);
    ASSERT_TRUE(db.readRecord(31));
    EXPECT_EQ(db.recordBuffer.field(0), "B1");
    ASSERT_TRUE(db.readRecord(32));
    EXPECT_EQ(db.recordBuffer.field(0), "MINE");
    // A rewrite names an existing record; past the end nothing is written.
    const QByteArray before = fileBytes(db.ledgerPath());
    EXPECT_FALSE(db.rewriteRecord(33, card));
    EXPECT_EQ(db.writeRecord(33), 0);
    EXPECT_FALSE(db.rewriteRecord(0, card));
    EXPECT_EQ(fileBytes(db.ledgerPath()), before);
    EXPECT_EQ(messages.count(), 3);
    EXPECT_TRUE(db.rewriteRecord(31, card));
    db.closeLedger();
}

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

TEST_F(Ledger, ReadOnlyDataFolderShowsTheLedgerAndRefusesWrites)
{
    useFixture();
    const QByteArray original = fileBytes(db.ledgerPath());
    ASSERT_TRUE(QFile::setPermissions(db.ledgerPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::ExeOther);
    const int failed = withoutWriteRights([&] {
        if (!db.openLedger()) return 1;
        if (!db.ledgerReadOnly() || db.recordCount != 30) return 2;
        if (!db.readRecord(3) || db.recordBuffer.field(1).isEmpty()) return 3;
        LedgerRecord r;
        if (db.appendRecord(r) != 0 || db.writeRecord(3) != 0 || db.rewriteRecord(1, r)) return 4;
        if (messages.count() != 3 || !messages.last().text.contains(QStringLiteral("読み取り専用"))) return 5;
        db.closeLedger();
        return 0;
    });
    QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(fileBytes(db.ledgerPath()), original);
}

TEST_F(Ledger, TemporaryLedger)
{
    ASSERT_TRUE(db.openTempLedger());
    EXPECT_EQ(db.currentRecordNo, 0);
    db.tempRecordBuffer.setField(0, "T");
    ASSERT_TRUE(db.writeTempRecord(1));
    ASSERT_TRUE(db.writeTempRecord(2));
    ASSERT_TRUE(db.openTempLedger());
    EXPECT_EQ(db.currentRecordNo, 2);
    ASSERT_TRUE(db.readTempRecord(2));
    EXPECT_EQ(db.tempRecordBuffer.field(0), "T");
    db.deleteTempLedger();
    EXPECT_FALSE(QFile::exists(db.tempLedgerPath()));
}

} // namespace
