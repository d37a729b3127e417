// Access codes, the palette, the hidden click sequences, the business year.
#include "menu/access_code.h"
#include "ui/background_palette.h"
#include "menu/first_start.h"
#include "menu/hidden_clicks.h"
#include "menu/platform.h"

#include <gtest/gtest.h>

#include <QDate>
#include <vector>

using namespace kpv::menu;

TEST(AccessCode, AcceptsOnlyCodesOfTheRule)
{
    struct Case {
        const char16_t *typed;
        bool accepted;
    };
    const Case cases[] = {
        {u"100003", true},  {u"482910", true},   {u"555555", true},    {u"271822", true},
        {u"123451", true},  {u" 482910 ", true}, {u"４８２９１０", true}, // full-width digits from an input method
        {u"240000", false}, {u"135792", false},  {u"987654", false},   {u"000000", false},
        {u"48291", false},  {u"4829100", false}, {u"48291a", false},   {u"", false},
        {u"-48291", false}, {u"482 910", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(acceptsAccessCode(QString::fromUtf16(c.typed)), c.accepted) << QString::fromUtf16(c.typed).toStdString();
}

TEST(Palette, NumbersOneToTenOnly)
{
    EXPECT_EQ(paletteColour(1), "&HFFFFFF");
    EXPECT_EQ(paletteColour(4), "&H00E6D8AD");
    EXPECT_EQ(paletteColour(10), "&H00808080");
    EXPECT_TRUE(paletteColour(0).isEmpty());
    EXPECT_TRUE(paletteColour(11).isEmpty());
}

TEST(BusinessYear, AprilOfTheYearTheDayBelongsTo)
{
    EXPECT_EQ(FirstStart::businessYearApril(QDate(2026, 3, 31)), "2025/04");
    EXPECT_EQ(FirstStart::businessYearApril(QDate(2026, 4, 1)), "2026/04");
    EXPECT_EQ(FirstStart::businessYearApril(QDate(2026, 12, 9)), "2026/04");
    EXPECT_EQ(FirstStart::businessYearApril(QDate(2027, 1, 1)), "2026/04");
    EXPECT_EQ(FirstStart::pickListFileName(2), QStringLiteral("Mb在庫品02.dat"));
}

TEST(MachineName, EnvironmentFirstThenHostName)
{
    qputenv("COMPUTERNAME", "PLANT-PC7");
    EXPECT_EQ(machineName(), "PLANT-PC7");
    qunsetenv("COMPUTERNAME");
    EXPECT_FALSE(machineName().isEmpty());
}

namespace {
struct Sequence {
    const char *name;
    std::vector<Spot> clicks;
    ClickEffect last;
    int state;
};
ClickEffect fx(bool hide, bool options, bool admin, bool hideAdmin = false, bool folder = false)
{
    return {hide, options, admin, hideAdmin, folder};
}
} // namespace

TEST(HiddenClicks, Sequences)
{
    const Sequence cases[] = {
        {"date then Label2 opens the options", {Spot::Label5, Spot::Label2}, fx(true, true, false), 0},
        {"date then Label3 opens the options", {Spot::Label5, Spot::Label3}, fx(true, true, false), 0},
        {"Label2 alone does nothing", {Spot::Label2}, fx(false, false, false), 0},
        {"the options open once per date click", {Spot::Label5, Spot::Label2, Spot::Label2}, fx(false, false, false), 0},
        {"date, machine, Label2 does nothing", {Spot::Label5, Spot::Label51, Spot::Label2}, fx(false, false, false), 2},
        {"machine then Label9 opens administration", {Spot::Label51, Spot::Label9}, fx(true, false, true), 2},
        {"Label9 stays armed", {Spot::Label51, Spot::Label9, Spot::Label9}, fx(true, false, true), 2},
        {"Label9 alone only hides", {Spot::Label9}, fx(true, false, false), 0},
        {"date disarms Label9", {Spot::Label51, Spot::Label5, Spot::Label9}, fx(true, false, false), 1},
        {"background hides, keeps state", {Spot::Label51, Spot::Picture1}, fx(true, false, false), 2},
        {"panel background hides the panel", {Spot::Picture6}, fx(false, false, false, true), 0},
        {"Label4 shows the data folder", {Spot::Label4}, fx(false, false, false, false, true), 0},
    };
    for (const Sequence &c : cases) {
        HiddenClicks h;
        ClickEffect e;
        for (Spot s : c.clicks) e = h.click(s);
        EXPECT_EQ(e, c.last) << c.name;
        EXPECT_EQ(h.state(), c.state) << c.name;
    }
}
