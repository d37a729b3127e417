// Path and text helpers, number rules, the quoted line format.
#include "storage/item_number.h"
#include "storage/numbers.h"
#include "storage/quoted_lines.h"
#include "storage/text.h"

#include <gtest/gtest.h>

using namespace kpv;

TEST(Text, NormalizeFolderPath)
{
    struct Case { QString in, out; } cases[] = {
        {"/data///", "/data/"}, {"/data", "/data/"}, {"/data/", "/data/"}, {"d", "d"}, {"", ""}, {"//", "/"},
    };
    for (const auto &c : cases) EXPECT_EQ(normalizeFolderPath(c.in), c.out) << c.in.toStdString();
}

TEST(Text, CleanTextCutsAtNulAndTrimsAsciiSpacesOnly)
{
    struct Case { QString in, out; } cases[] = {
        {QString::fromUtf16(u"abc\0\0\0\0\0", 8), "abc"},
        {"  word  ", "word"},
        {QString::fromUtf16(u"ab\0cd", 5), "ab"},
        {QStringLiteral("　"), QStringLiteral("　")},
        {QStringLiteral("　x　 "), QStringLiteral("　x　")},
        {"\tx", "\tx"},
        {"", ""},
    };
    for (const auto &c : cases) EXPECT_EQ(cleanText(c.in), c.out) << c.in.toStdString();
}

TEST(Numbers, LeadingNumberRule)
{
    struct Case { QString text; double value; } cases[] = {
        {"12", 12}, {"1,234", 1}, {"12abc", 12}, {"", 0}, {"abc", 0}, {" .5", 0.5}, {"  -3.25x", -3.25},
        {"1E3", 1000}, {"1E", 1}, {"+7", 7}, {"-", 0}, {".", 0}, {"2.5 ", 2.5}, {"1666", 1666}, {"１２", 0},
    };
    for (const auto &c : cases) EXPECT_DOUBLE_EQ(leadingNumber(c.text), c.value) << c.text.toStdString();
}

TEST(Numbers, TextOfComputedValues)
{
    struct Case { double value; const char *text; const char *blank; } cases[] = {
        {0.3 * 3, "0.9", " 0.9"}, {1.0 / 3, "0.333333333333333", " 0.333333333333333"}, {12, "12", " 12"},
        {0, "0", " 0"}, {-5, "-5", "-5"}, {1080, "1080", " 1080"}, {12.5 + 2.5, "15", " 15"},
        {0.1 + 0.2, "0.3", " 0.3"}, {123456789012.5, "123456789012.5", " 123456789012.5"}, {1e15, "1000000000000000", " 1000000000000000"},
        {-0.0, "0", " 0"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(numberText(c.value), QString::fromLatin1(c.text)) << c.text;
        EXPECT_EQ(numberTextBlank(c.value), QString::fromLatin1(c.blank)) << c.text;
    }
}

TEST(Numbers, DisplayPatterns)
{
    struct Case { double value; const char *pattern; const char *text; } cases[] = {
        {0, "###,###,###", ""}, {1234567, "###,###,###", "1,234,567"}, {-3, "###,###,###", "-3"},
        {1234567890, "#,###,###", "1,234,567,890"}, {0.5, "###.0", ".5"}, {12.5, "###,###.0", "12.5"},
        {2.25, "###.0", "2.3"}, {-2.25, "###.0", "-2.3"}, {0, "###.0", ".0"}, {1234.56, "###,###.0", "1,234.6"},
        {999, "####,###", "999"}, {1000, "####,###", "1,000"}, {12345, "####,###", "12,345"}, {0.15, "###.0", ".2"},
        {1080, "###,###,###", "1,080"}, {100000, "###,###,###", "100,000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatNumber(c.value, QString::fromLatin1(c.pattern)), QString::fromLatin1(c.text)) << c.value << " " << c.pattern;
    EXPECT_EQ(floorNumber(-0.5), -1);
    EXPECT_EQ(floorNumber(1666.6), 1666);
}

TEST(Numbers, NumberEntries)
{
    struct Case { const char *typed; bool decimal; const char *stored; } cases[] = {
        {"1200", false, "1200"}, {"1,200", false, "1200"}, {"1,234,567", false, "1234567"}, {"-3", false, "-3"},
        {" 12 ", false, "12"}, {"", false, ""}, {"１２", false, "12"}, {"－１，２００．５", true, "-1200.5"},
        {"−5", false, "-5"}, {"0.5", true, "0.5"}, {".5", true, ".5"}, {"12,345.25", true, "12345.25"},
        {"0.5", false, nullptr}, {"9E999", true, nullptr}, {"1,20", false, nullptr}, {"1234,567", false, nullptr},
        {"1,2345", false, nullptr}, {",123", false, nullptr}, {"+3", false, nullptr}, {"--3", false, nullptr},
        {"5.", true, nullptr}, {"1.2.3", true, nullptr}, {"1.2,3", true, nullptr}, {"12abc", false, nullptr},
        {"-", false, nullptr}, {"1 2", false, nullptr}, {"　12", false, nullptr}, {"1e3", false, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.typed << (c.decimal ? " decimal" : " integer"));
        const auto got = numberEntry(QString::fromUtf8(c.typed), c.decimal);
        if (c.stored) {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, QString::fromUtf8(c.stored));
        } else {
            EXPECT_FALSE(got.has_value());
        }
    }
}

TEST(QuotedLines, ReaderCases)
{
    struct Case { const char *name; QString text; int fields; QStringList expected; bool complete; } cases[] = {
        {"quoted", "\"abc\"\r\n\"d e\"\r\n", 2, {"abc", "d e"}, true},
        {"empty first field", ",\"word\"\r\n", 2, {"", "word"}, true},
        {"companion and word", "\"K2\",\"word\"\r\n", 2, {"K2", "word"}, true},
        {"spaces around plain field", "  12  ,  ab c \r\n", 2, {"12", "ab c"}, true},
        {"spaces kept inside quotes", "  \"  x  \"  ,\"y\"\r\n", 2, {"  x  ", "y"}, true},
        {"text after closing quote skipped", "\"a\"junk,\"b\"\r\n", 2, {"a", "b"}, true},
        {"missing final line end", "\"a\"\r\n\"b\"", 2, {"a", "b"}, true},
        {"line end ends a field", "\"a\"\r\n\r\n\"c\"\r\n", 3, {"a", "", "c"}, true},
        {"LF only", "\"a\"\n\"b\"\n", 2, {"a", "b"}, true},
        {"end of file", "\"a\"\r\n", 2, {"a"}, false},
        {"empty file", "", 1, {}, false},
        {"full-width space is text", "\"　\"\r\n", 1, {QStringLiteral("　")}, true},
    };
    for (const auto &c : cases) {
        QuotedLineReader r(c.text);
        QStringList got;
        bool complete = true;
        for (int i = 0; i < c.fields; ++i) {
            QString f;
            if (!r.readField(f)) { complete = false; break; }
            got << f;
        }
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_EQ(complete, c.complete) << c.name;
    }
}

TEST(QuotedLines, Writer)
{
    QuotedLineWriter w;
    w.optional("").quoted("word").endLine().optional("K2").quoted("").endLine().quoted("あ").endLine();
    EXPECT_EQ(w.bytes(), QByteArray(",\"word\"\r\n\"K2\",\"\"\r\n\"\x82\xa0\"\r\n"));
}

// The item number names the item's workbook: whatever a file name cannot hold
// is refused, everything else (Japanese, half-width kana, spaces inside) is
// taken as it stands.
TEST(ItemNumbers, OneRuleForEveryEntry)
{
    for (const char *good : {"", "A-001", "0004", "D-10", "A 1", "ﾎﾞﾙﾄ-1", "六角-M8", "No.5", "-3", "a.b"})
        EXPECT_FALSE(kpv::itemNumberProblem(QString::fromUtf8(good)).has_value()) << good;
    for (const char *bad : {"A/002", "a\\b", "x:y", "a*", "a?", "\"q\"", "<a>", "a|b", "tab\t", "line\nbreak", "..",
                            "../x", "a..b", ".", "end.", "end "})
        EXPECT_TRUE(kpv::itemNumberProblem(QString::fromUtf8(bad)).has_value()) << bad;
    EXPECT_EQ(*kpv::itemNumberProblem(QStringLiteral("A/002")), QStringLiteral("在庫品番号の文字「/」はファイル名に使えません。　"));
}
