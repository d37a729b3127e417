// Item labels and counts, and the word-list editor's rules.
#include "settings/names_counts.h"
#include "settings/pick_list_editor.h"
#include "settings_world.h"

#include <gtest/gtest.h>

using namespace kpv;
using namespace kpv::settings;
using kpv::testing::SettingsWorld;

namespace {

QString words(const std::vector<PickEntry> &entries)
{
    QStringList out;
    for (const auto &e : entries) out << (e.word.isEmpty() ? QStringLiteral("-") : e.word);
    return out.join(u',');
}

std::vector<PickEntry> abcde()
{
    std::vector<PickEntry> v;
    for (const char *w : {"a", "b", "c", "d", "e"}) v.push_back({QString::fromLatin1(w), QStringLiteral("#") + QLatin1String(w)});
    return v;
}

} // namespace

TEST(NamesCounts, LabelsAreCleanedRefusedWhenUnstorableAndRegisteredSlotBySlot)
{
    SettingsWorld w;
    NamesCounts rules(w.d);
    EXPECT_EQ(rules.setLabel(1, QStringLiteral("  部品名  ")).value(), QStringLiteral("部品名"));
    EXPECT_EQ(rules.setLabel(2, QStringLiteral("型式") + QChar(u'\0') + QStringLiteral("ごみ")).value(), QStringLiteral("型式"));
    EXPECT_EQ(w.d.changePending, 1);
    EXPECT_EQ(w.d.itemLabels[3], QStringLiteral("部品名")); // list button caption of list 2
    // Text the file cannot hold: told, nothing stored.
    EXPECT_FALSE(rules.setLabel(3, QStringLiteral("メーカー😀")));
    EXPECT_FALSE(rules.setLabel(4, QStringLiteral("場所\"A\"")));
    EXPECT_EQ(w.messages.count(), 2);
    EXPECT_EQ(w.d.sharedSettings.value(17), QStringLiteral("メーカー"));
    rules.setCount(3, QStringLiteral(" 40 "));

    // Nothing reaches the file before 登録; then only the slots changed here,
    // over what another client registered meanwhile.
    EXPECT_EQ(w.sharedFile().value(15), QStringLiteral("品名"));
    SettingsSlots other = w.sharedFile();
    other.set(19, QStringLiteral("個数単位"));
    writeSettingsFile(w.client + names::sharedSettings(), other);
    ASSERT_TRUE(rules.registerChanges());
    const SettingsSlots file = w.sharedFile();
    EXPECT_EQ(file.value(15), QStringLiteral("部品名"));
    EXPECT_EQ(file.value(16), QStringLiteral("型式"));
    EXPECT_EQ(file.value(5), QStringLiteral("40"));
    EXPECT_EQ(file.value(19), QStringLiteral("個数単位"));
    EXPECT_EQ(w.d.changePending, 0);

    // Row 0 has no count.
    EXPECT_FALSE(rules.countEditable(0));
    EXPECT_EQ(w.messages.last().text, QStringLiteral("設定枠ではありません。"));
}

TEST(NamesCounts, UpperBoundAndStartMonthChoices)
{
    SettingsWorld w;
    NamesCounts rules(w.d);
    w.d.sharedSettings.set(4, QStringLiteral("80"));
    ASSERT_TRUE(rules.setBound(QStringLiteral("50")));
    EXPECT_EQ(w.sharedFile().value(22), QStringLiteral("50"));
    QStringList counts = NamesCounts::countChoices(rules.bound());
    ASSERT_EQ(counts.size(), 50);
    EXPECT_EQ(counts.first(), QStringLiteral("1"));
    EXPECT_EQ(counts.last(), QStringLiteral("50"));
    EXPECT_EQ(counts.removeDuplicates(), 0);
    EXPECT_EQ(rules.count(2), QStringLiteral("80")); // a larger count stays

    const QStringList bounds = NamesCounts::boundChoices();
    EXPECT_EQ(bounds.size(), 1001);
    EXPECT_EQ(bounds.last(), QStringLiteral("10000"));

    const QStringList months = NamesCounts::startMonthChoices(QDate(2026, 12, 9));
    ASSERT_EQ(months.size(), 36);
    EXPECT_EQ(months.first(), QStringLiteral("2025/01"));
    EXPECT_EQ(months.at(8), QStringLiteral("2025/09"));
    EXPECT_EQ(months.last(), QStringLiteral("2027/12"));
    ASSERT_TRUE(rules.setStartMonth(QStringLiteral("2027/03")));
    EXPECT_EQ(w.sharedFile().value(9), QStringLiteral("2027/03"));
}

TEST(BufferOps, ChangeWithinTheCountAndMoveCompanionsAlong)
{
    struct Case {
        BufferOp op;
        int r;
        const char16_t *expected;
    } cases[] = {
        {BufferOp::ClearBelow, 1, u"　,　,　,　,　"},
        {BufferOp::ClearBelow, 4, u"a,b,c,　,　"},
        {BufferOp::Insert, 5, u"a,b,c,d,　"},
        {BufferOp::Insert, 2, u"a,　,b,c,d"},
        {BufferOp::Delete, 5, u"a,b,c,d,-"},
        {BufferOp::Delete, 2, u"a,c,d,e,-"},
        {BufferOp::Delete, 0, u"a,b,c,d,e"},
    };
    for (const auto &c : cases) {
        auto v = abcde();
        applyBufferOp(v, c.op, c.r);
        EXPECT_EQ(words(v), QString::fromUtf16(c.expected)) << int(c.op) << " at " << c.r;
        for (const auto &e : v) {
            if (e.word.size() == 1 && e.word != QStringLiteral("　")) {
                EXPECT_EQ(e.id, QStringLiteral("#") + e.word);
            }
        }
    }
    // Far beyond the old 2,008-entry buffer.
    std::vector<PickEntry> big(5000);
    for (int i = 0; i < 5000; ++i) big[size_t(i)] = {QString::number(i + 1), {}};
    applyBufferOp(big, BufferOp::Insert, 4000);
    EXPECT_EQ(big[3999].word, QStringLiteral("　"));
    EXPECT_EQ(big[4999].word, QStringLiteral("4999"));
}

TEST(PickListEditor, EnterArrowsAndTheByteLimit)
{
    SettingsWorld w({{"a", "b", "c"}}, 3);
    PickListEditor e(w.d);
    e.rememberFiles();
    e.open(2);
    e.setRow(3);
    EXPECT_TRUE(e.enter(QStringLiteral(" x "), nullptr));
    EXPECT_EQ(e.row(), 1);
    EXPECT_EQ(w.d.pickListTable.word(3, 2), QStringLiteral("x"));
    e.moveUp();
    EXPECT_EQ(e.row(), 3);
    e.moveDown();
    EXPECT_EQ(e.row(), 1);

    const QString fourteen = QString(14, QChar(u'全'));          // 28 bytes
    EXPECT_TRUE(e.enter(fourteen, nullptr));
    EXPECT_EQ(w.d.pickListTable.word(1, 2), fourteen);
    QString keep;
    EXPECT_FALSE(e.enter(fourteen + QStringLiteral("x"), &keep)); // 29 bytes
    EXPECT_EQ(keep, fourteen + QStringLiteral("x"));
    EXPECT_FALSE(e.enter(QStringLiteral("abcdefghijklmnopqrstuvwxyz012"), &keep));
    EXPECT_EQ(keep, QStringLiteral("abcdefghijklmnopqrst"));
    EXPECT_EQ(w.messages.last().text, QStringLiteral("項目名が文字数を超えてます。"));
    EXPECT_FALSE(e.enter(QStringLiteral("ギア😀"), &keep)); // not in code page 932: told, kept as typed
    EXPECT_EQ(keep, QStringLiteral("ギア😀"));
    EXPECT_TRUE(w.messages.last().text.contains(QStringLiteral("😀")));
    EXPECT_EQ(e.row(), 2);
    EXPECT_EQ(w.d.pickListTable.word(2, 2), QStringLiteral("b"));

    // Lists 4 to 6 open on the title row.
    e.open(4);
    EXPECT_EQ(e.row(), 0);
}

TEST(PickListEditor, QuestionSwapAndRegisterOnlyTheEditedList)
{
    SettingsWorld w({{"a", "b", "c"}, {"p", "q"}}, 3);
    PickListEditor e(w.d);
    e.rememberFiles();
    e.open(2);
    e.setRow(1);
    std::vector<PickEntry> shown;
    w.messages.answerNo();
    EXPECT_FALSE(e.run(BufferOp::ClearBelow, [&](const auto &b) { shown = b; }));
    EXPECT_EQ(words(shown), QStringLiteral("　,　,　"));           // shown before the question
    EXPECT_EQ(words(e.entries()), QStringLiteral("a,b,c"));        // No changes nothing
    EXPECT_EQ(w.d.changePending, 0);

    // A swap with itself: the same list, yet a change.
    w.messages.answerYes();
    ASSERT_TRUE(e.beginSwap());
    EXPECT_EQ(w.messages.last().text.section(u'\r', 0, 0), QStringLiteral("aと"));
    e.click(1);
    EXPECT_FALSE(e.swapWaiting());
    EXPECT_EQ(words(e.entries()), QStringLiteral("a,b,c"));
    EXPECT_EQ(w.d.changePending, 1);
    // A real swap moves the companion values along.
    w.messages.answerYes();
    e.beginSwap();
    e.click(0); // the title row is no entry
    EXPECT_TRUE(e.swapWaiting());
    e.click(3);
    EXPECT_EQ(words(e.entries()), QStringLiteral("c,b,a"));
    EXPECT_EQ(w.d.pickListTable.id(1, 2), QStringLiteral("idc"));
    EXPECT_EQ(e.row(), 3);

    // Another client saved lists 2 and 3 meanwhile: only list 2 was edited
    // here, and it is not overwritten without asking.
    const QString list2 = w.d.pickListPath(2), list3 = w.d.pickListPath(3);
    const QByteArray theirs2 = kpv::testing::fileBytes(list2) + "\"\",\"zz\"\r\n";
    const QByteArray theirs3 = kpv::testing::fileBytes(list3) + "\"\",\"r\"\r\n";
    kpv::testing::writeBytes(list2, theirs2);
    kpv::testing::writeBytes(list3, theirs3);
    w.messages.answerNo();
    EXPECT_FALSE(e.registerLists());
    EXPECT_EQ(kpv::testing::fileBytes(list2), theirs2);
    w.messages.answerYes();
    EXPECT_TRUE(e.registerLists());
    EXPECT_EQ(kpv::testing::fileBytes(list3), theirs3);
    w.d.loadPickLists();
    EXPECT_EQ(w.d.pickListTable.word(1, 2), QStringLiteral("c"));
    EXPECT_EQ(w.d.pickListTable.word(3, 2), QStringLiteral("a"));
    EXPECT_EQ(w.d.changePending, 0);
}
