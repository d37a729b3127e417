// Code page 932: strict encoding, fixed widths, decoding.
#include "storage/codepage.h"

#include <gtest/gtest.h>

using namespace kpv;

namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }
} // namespace

TEST(Codepage, RefusesWhatCannotBeStoredOrReadBack)
{
    struct Case { QString text; int position; QString character; } cases[] = {
        {QStringLiteral("ab😀c"), 2, QStringLiteral("😀")},
        {QStringLiteral("1〜2"), 1, QStringLiteral("〜")},   // U+301C would come back as U+FF5E
        {QStringLiteral("a−b"), 1, QStringLiteral("−")},     // U+2212 would come back as U+FF0D
        {QStringLiteral("Ä"), 0, QStringLiteral("Ä")},
    };
    for (const auto &c : cases) {
        cp932::Refusal r;
        QByteArray out("untouched");
        EXPECT_FALSE(cp932::encode(c.text, out, &r)) << c.text.toStdString();
        EXPECT_EQ(r.position, c.position) << c.text.toStdString();
        EXPECT_EQ(r.character, c.character) << c.text.toStdString();
        EXPECT_EQ(out, "untouched");
    }
}

// What a Linux input method types for these keys is taken as the character
// Windows users get; the rest stays as typed.
TEST(Codepage, InputMethodCharactersTakeTheCodePagesOwnForm)
{
    struct Case { QString typed; QByteArray bytes; } cases[] = {
        {QStringLiteral("10〜20"), QByteArray("10") + hex("8160") + QByteArray("20")},
        {QStringLiteral("−"), hex("817c")},
        {QStringLiteral("‖"), hex("8161")},
        {QStringLiteral("¢£¬"), hex("8191819281ca")},
        {QStringLiteral("—"), hex("815c")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        EXPECT_FALSE(cp932::canEncode(c.typed));
        QByteArray out;
        ASSERT_TRUE(cp932::encode(cp932::fromInputMethod(c.typed), out));
        EXPECT_EQ(out, c.bytes);
    }
    // The code page's own forms, and what has no such form, stay as typed.
    const QString own = QStringLiteral("～－∥￠￡￢―ボルトM8");
    EXPECT_EQ(cp932::fromInputMethod(own), own);
    EXPECT_FALSE(cp932::canEncode(cp932::fromInputMethod(QStringLiteral("Ä😀"))));
}

TEST(Codepage, EncodesAndReadsBackExtensions)
{
    struct Case { QString text; QByteArray bytes; } cases[] = {
        {QStringLiteral("ABC"), "ABC"},
        {QStringLiteral("ボルト"), hex("837b838b8367")},
        {QStringLiteral("ﾎﾞﾙﾄ"), hex("ceded9c4")},
        {QStringLiteral("～"), hex("8160")},
        {QStringLiteral("－"), hex("817c")},
        {QStringLiteral("①㈱髙"), hex("8740878afbfc")},
        {QStringLiteral("　"), hex("8140")},
    };
    for (const auto &c : cases) {
        QByteArray out;
        ASSERT_TRUE(cp932::encode(c.text, out)) << c.text.toStdString();
        EXPECT_EQ(out.toHex(), c.bytes.toHex()) << c.text.toStdString();
        EXPECT_EQ(cp932::decodeField(out), c.text);
        EXPECT_EQ(cp932::byteWidth(c.text), out.size());
    }
}

TEST(Codepage, FixedWidthPadsCutsAndNeverSplitsADoubleByteCharacter)
{
    struct Case { QString text; int width; QByteArray bytes; } cases[] = {
        {QStringLiteral("ab"), 7, "ab     "},
        {QStringLiteral(""), 3, "   "},
        {QStringLiteral("abcdefghi"), 7, "abcdefg"},
        {QStringLiteral("123456あ"), 7, "123456 "},          // the 7th byte would be half of あ
        {QStringLiteral("12345あ"), 7, "12345\x82\xa0"},      // exactly 7 bytes
        {QString(14, QChar(u'ア')), 28, QByteArray("\x83\x41").repeated(14)},
        {QStringLiteral("a") + QString(14, QChar(u'ア')), 28, "a" + QByteArray("\x83\x41").repeated(13) + " "},
        {QStringLiteral("ｱｲｳ"), 3, "\xb1\xb2\xb3"},           // half-width katakana: one byte each
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cp932::encodeFixed(c.text, c.width).toHex(), c.bytes.toHex()) << c.text.toStdString();
    }
}

TEST(Codepage, DecodesUpToNulAndMarksBadBytes)
{
    struct Case { QByteArray bytes; QString text; bool valid; } cases[] = {
        {QByteArray("abc\0def", 7), QStringLiteral("abc"), true},
        {QByteArray("\0abc", 4), QString(), true},
        {hex("80"), QStringLiteral("\uFFFD"), false},
        {hex("41a0fd42"), QStringLiteral("A\uFFFD\uFFFDB"), false},
        {hex("8341"), QStringLiteral("ア"), true},
        {hex("83"), QStringLiteral("\uFFFD"), false},          // lead byte at the end of the field
        {hex("8320"), QStringLiteral("\uFFFD "), false},       // lead byte with a trail that is not one
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cp932::decodeField(c.bytes), c.text) << c.bytes.toHex().toStdString();
        EXPECT_EQ(cp932::isValid(c.bytes.constData(), int(c.bytes.size())), c.valid) << c.bytes.toHex().toStdString();
    }
    EXPECT_EQ(cp932::decodeAll(QByteArray("a\0b", 3)), QString::fromUtf16(u"a\0b", 3));
}
