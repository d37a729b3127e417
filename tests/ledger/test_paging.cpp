// The list: paging sequences on ledgers of several sizes, what a page shows
// (formats, stock shades, decimal mode, month headings) and the menu's
// stock legend pass.
#include "ledger/ledger_session.h"
#include "storage/list_format.h"
#include "ledger/list_page.h"
#include "storage/stock_legend.h"
#include "ledger_world.h"

#include <QFile>

#include <gtest/gtest.h>

#include <vector>

using namespace kpv;
using namespace kpv::ledger;
using kpv::testing::LedgerWorld;

namespace {

// One step of a paging sequence and what the page shows afterwards: its
// label and the record number on its first line (0 for an empty page).
struct Step {
    char move; // 'o' open, 'n' next, 'p' previous
    const char *label;
    int first;
};

struct Sequence {
    int records;
    std::vector<Step> steps;
};

class Paging : public ::testing::TestWithParam<Sequence> {};

TEST_P(Paging, FollowsTheSequence)
{
    const Sequence &s = GetParam();
    LedgerWorld w(s.records);
    LedgerSession session(w.d);
    int i = 0;
    for (const Step &step : s.steps) {
        if (step.move == 'o') session.open(QDate(2026, 1, 5));
        if (step.move == 'n') session.nextPage();
        if (step.move == 'p') session.previousPage();
        SCOPED_TRACE(::testing::Message() << s.records << " records, step " << i++ << " " << step.move);
        EXPECT_EQ(session.pageText(), QString::fromLatin1(step.label));
        EXPECT_EQ(session.page().recordNoAt(1), step.first);
        // Every listed line holds consecutive records from the first.
        for (int k = 1; k <= 12; ++k) {
            const int expected = step.first == 0 || step.first + k - 1 > s.records ? 0 : step.first + k - 1;
            EXPECT_EQ(session.page().recordNoAt(2 * k - 1), expected) << "item " << k;
            EXPECT_EQ(session.page().recordNoAt(2 * k), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ledgers, Paging,
    ::testing::Values(
        // 30: pages 1, 2 (13..24), 3 (25..30), back to 1; back from 1 to 3.
        Sequence{30, {{'o', " P 1", 1}, {'n', " P 2", 13}, {'n', " P 3", 25}, {'n', " P 1", 1}, {'p', " P 3", 25}}},
        // Back moves first, then forward: the page after the one shown.
        Sequence{30, {{'o', " P 1", 1}, {'p', " P 3", 25}, {'p', " P 2", 13}, {'n', " P 3", 25}, {'n', " P 1", 1}}},
        // 24: the empty page 3, reached forward and backward.
        Sequence{24, {{'o', " P 1", 1}, {'n', " P 2", 13}, {'n', " P 3", 0}, {'n', " P 1", 1}, {'p', " P 3", 0}}},
        Sequence{24, {{'o', " P 1", 1}, {'p', " P 3", 0}, {'p', " P 2", 13}}},
        // 12: page 2 is empty; back from page 1 stays.
        Sequence{12, {{'o', " P 1", 1}, {'n', " P 2", 0}, {'n', " P 1", 1}, {'p', " P 1", 1}}},
        Sequence{13, {{'o', " P 1", 1}, {'p', " P 2", 13}, {'n', " P 1", 1}, {'n', " P 2", 13}}},
        // 5: one page, whichever way.
        Sequence{5, {{'o', " P 1", 1}, {'p', " P 1", 1}, {'n', " P 1", 1}, {'n', " P 1", 1}}},
        // Empty: no page label at the opening, then page 1 with nothing.
        Sequence{0, {{'o', "", 0}, {'n', " P 1", 0}, {'p', " P 1", 0}}}));

TEST(Paging, PageMoveShowsRecordsOtherClientsAppended)
{
    LedgerWorld w(12);
    LedgerSession session(w.d);
    session.open(QDate(2026, 1, 5));
    LedgerRecord r;
    r.setField(0, QStringLiteral("OTHER"));
    ASSERT_EQ(w.otherWrites(r), 13);
    session.nextPage();
    EXPECT_EQ(session.pageText(), QStringLiteral(" P 2"));
    EXPECT_EQ(session.page().cell(1, 1), QStringLiteral("OTHER"));
}

LedgerRecord stockRecord(const char *stock, const char *proper)
{
    LedgerRecord r;
    r.setField(9, QString::fromLatin1(proper));
    r.setField(10, QString::fromLatin1(stock));
    return r;
}

TEST(ListPage, StockShadesAndTexts)
{
    struct Case {
        const char *stock;
        const char *proper;
        StockShade shade;
        const char *text;
    };
    const Case cases[] = {
        {"", "5", StockShade::Window, ""},        {"0", "5", StockShade::Pink, "0"},
        {"-1", "5", StockShade::LightBlue, "-1"}, {"-1", "-3", StockShade::Window, "-1"},
        {"-2", "-5", StockShade::Pink, "-2"},     {"4", "5", StockShade::LightBlue, "4"},
        {"5", "5", StockShade::Window, "5"},      {"1234", "", StockShade::Window, "1,234"},
    };
    ListLook look;
    for (const Case &c : cases) {
        ListPage page;
        page.setItem(3, 7, stockRecord(c.stock, c.proper), look);
        SCOPED_TRACE(c.stock);
        EXPECT_EQ(page.shade(5), c.shade);
        EXPECT_EQ(page.cell(5, 11), QString::fromLatin1(c.text));
        EXPECT_EQ(page.recordNoAt(5), 7);
    }
}

TEST(ListPage, ExampleLedgerInBothModes)
{
    LedgerWorld w(QStringLiteral("ledger30"));
    LedgerSession session(w.d);
    session.open(QDate(2026, 1, 5));
    const ListPage &p = session.page();
    // Record 1 on lines 1 and 2; record 9 (price 0.3) on line 17.
    EXPECT_EQ(p.cell(0, 14), QStringLiteral("2025/04月"));
    EXPECT_EQ(p.cell(0, 25), QStringLiteral("2026/03月"));
    EXPECT_EQ(p.cell(1, 6), QStringLiteral("12"));
    EXPECT_EQ(p.cell(1, 7), QStringLiteral("1,080"));
    EXPECT_EQ(p.cell(1, 13), QStringLiteral("入庫"));
    EXPECT_EQ(p.cell(2, 13), QStringLiteral("出庫"));
    EXPECT_EQ(p.cell(1, 14), QStringLiteral("20"));
    EXPECT_EQ(p.cell(2, 15), QStringLiteral("30"));
    EXPECT_EQ(p.cell(1, 27), QStringLiteral("10.0"));
    EXPECT_EQ(p.cell(5, 27), QStringLiteral("166.6"));
    EXPECT_EQ(p.cell(17, 6), QString());  // 0.3 as "###,###,###" rounds to nothing
    EXPECT_EQ(p.shade(5), StockShade::LightBlue);
    EXPECT_EQ(p.shade(9), StockShade::Pink);
    EXPECT_EQ(p.cell(9, 11), QStringLiteral("0"));
    EXPECT_EQ(p.shade(11), StockShade::Window);
    EXPECT_EQ(p.cell(19, 9), QStringLiteral("13")); // 12.5 in integer mode
    EXPECT_EQ(session.countText(), QStringLiteral("総数 30"));
    EXPECT_EQ(session.totalText(), QStringLiteral("266,277"));

    w.d.sharedSettings.set(21, QStringLiteral("1"));
    w.d.saveSharedSettings();
    session.open(QDate(2026, 1, 5));
    EXPECT_EQ(p.cell(19, 9), QStringLiteral("12.5"));
    EXPECT_EQ(p.cell(19, 16), QStringLiteral("2.5"));
    EXPECT_EQ(p.cell(19, 14), QString()); // an empty month, not ".0"
    EXPECT_EQ(p.cell(9, 11), QStringLiteral("0"));
    EXPECT_EQ(p.cell(1, 14), QStringLiteral("20.0"));
}

TEST(ListPage, TotalWhenTheIndexComesFromItsCache)
{
    LedgerWorld w(QStringLiteral("ledger30"));
    LedgerSession(w.d).open(QDate(2026, 1, 5)); // the day's rebuild writes the cache
    QFile::copy(w.d.dataFolder + names::indexCacheWritten(), w.d.dataFolder + names::indexCacheRead());
    Dolvb other(w.messages, w.pointer); // another client, the same day
    other.clientFolder = other.dataFolder = w.d.dataFolder;
    LedgerSession s(other);
    s.open(QDate(2026, 1, 5));
    EXPECT_EQ(s.totalText(), QStringLiteral("266,277"));
}

TEST(ListFormat, MonthHeadingsRollOverTheYear)
{
    const QStringList h = monthHeadings(QStringLiteral("2024/10"));
    ASSERT_EQ(h.size(), 12);
    EXPECT_EQ(h[0], QStringLiteral("2024/10月"));
    EXPECT_EQ(h[2], QStringLiteral("2024/12月"));
    EXPECT_EQ(h[3], QStringLiteral("2025/01月"));
    EXPECT_EQ(h[11], QStringLiteral("2025/09月"));
}

TEST(StockLegend, OnePassFindsZeroAndBelowProper)
{
    LedgerWorld example(QStringLiteral("ledger30"));
    const StockLegend all = scanStockLegend(example.d.ledgerPath());
    EXPECT_TRUE(all.zero);
    EXPECT_TRUE(all.belowProper);

    struct Case {
        std::vector<std::pair<const char *, const char *>> items; // stock, proper
        bool zero, below;
    };
    const Case cases[] = {
        {{{"5", "5"}, {"", "9"}, {"7", ""}}, false, false}, // never computed lights nothing
        {{{"5", "5"}, {"0", ""}}, true, false},
        {{{"5", "5"}, {"  2 ", "3"}}, false, true},
        {{}, false, false},
    };
    for (const Case &c : cases) {
        LedgerWorld w(0);
        int n = 0;
        for (const auto &[stock, proper] : c.items) w.otherWrites(stockRecord(stock, proper), ++n);
        const StockLegend l = scanStockLegend(w.d.ledgerPath());
        EXPECT_EQ(l.zero, c.zero);
        EXPECT_EQ(l.belowProper, c.below);
    }
    EXPECT_FALSE(scanStockLegend(QStringLiteral("/nonexistent/ledger.dat")).zero);
}

} // namespace
