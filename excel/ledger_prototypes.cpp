#include "excel/ledger_prototypes.h"

#include "excel/xls_book.h"

#include <array>

namespace kpv::workbooks {

using excel::CellValue;

namespace {

// Texts at the edges of the script rule: a Latin sign before kana, a weak
// sign before kana, a full-width space before a Latin letter, a Latin-1
// sign before kana.
const std::array<const char16_t *, 4> kRuleSamples = {u"1あ", u"…あ", u"　A", u"×あ"};

const QString kJapaneseFont = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kThickest = 5; // BIFF line style "thick"

const char *contentName(int c)
{
    static const char *names[] = {"empty", "number", "sign text", "Latin text", "Japanese text"};
    return names[c];
}

} // namespace

int ruleSamples() { return int(kRuleSamples.size()); }
int prototypeItems() { return kWarnings * kGroup + ruleSamples(); }

Content contentOf(const CellValue &v)
{
    if (v.isEmpty()) return Empty;
    if (v.isNumber()) return Number;
    switch (excel::leadingScript(v.text())) {
    case excel::TextScript::Weak: return WeakText;
    case excel::TextScript::Asian: return AsianText;
    default: return LatinText;
    }
}

CellValue prototypeValue(int item)
{
    if (item >= kWarnings * kGroup) return CellValue(QString::fromStdU16String(kRuleSamples[size_t(item - kWarnings * kGroup)]));
    switch (item % kGroup) {
    case Number: return CellValue::number(1);
    case WeakText: return CellValue(QStringLiteral("…"));
    case LatinText: return CellValue(QStringLiteral("A"));
    case AsianText: return CellValue(QStringLiteral("あ"));
    default: return CellValue();
    }
}

int prototypeWarning(int item)
{
    if (item >= kWarnings * kGroup || item % kGroup >= kContents) return 0;
    return item / kGroup;
}

std::optional<QString> prototypeProblem(const excel::XlsBook &book, int sheet, int firstRow, int firstCol, int columns,
                                        int rateCol)
{
    auto format = [&](int item, int line, int c) { return book.formatAt(sheet, firstRow + item * 2 + line, firstCol + c); };
    auto where = [&](int w, int content, int line, int c) {
        return QStringLiteral("sheet %1, warning %2, %3, line %4, column %5: ")
            .arg(sheet + 1)
            .arg(w)
            .arg(QLatin1String(contentName(content)))
            .arg(line + 1)
            .arg(firstCol + c + 1);
    };
    for (int w = 0; w < kWarnings; ++w)
        for (int content = 0; content < kContents; ++content)
            for (int line = 0; line < 2; ++line)
                for (int c = 0; c < columns; ++c) {
                    const excel::XlsFormat f = format(prototypeItem(w, Content(content)), line, c);
                    const QString at = where(w, content, line, c);
                    if (!f.ownRecord || f.xf < 0) return at + QStringLiteral("no format record of its own");
                    const QString code = firstCol + c == rateCol ? QStringLiteral("###.0") : QStringLiteral("@");
                    if (f.numberFormat != code) return at + QStringLiteral("number format %1").arg(f.numberFormat);
                    if (content == AsianText && f.fontName != kJapaneseFont)
                        return at + QStringLiteral("Japanese text in %1").arg(f.fontName);
                    if ((content == LatinText || content == Number) && f.fontName == kJapaneseFont)
                        return at + QStringLiteral("Latin text or a number in the Japanese font");
                    if ((w == 1) != (f.fillPattern != 0)) return at + QStringLiteral("fill pattern %1").arg(f.fillPattern);
                    if (w == 2) {
                        const bool framed = (c > 0 || f.borderStyle[0] == kThickest)
                                            && (c < columns - 1 || f.borderStyle[1] == kThickest)
                                            && (line == 1 || f.borderStyle[2] == kThickest)
                                            && (line == 0 || f.borderStyle[3] == kThickest);
                        if (!framed) return at + QStringLiteral("no thick frame");
                    }
                }
    // The office gives each rule sample the format of the script the
    // writer's rule finds in it.
    for (int s = 0; s < ruleSamples(); ++s) {
        const int item = kWarnings * kGroup + s;
        const Content expected = contentOf(prototypeValue(item));
        for (int line = 0; line < 2; ++line)
            for (int c = 0; c < columns; ++c)
                if (format(item, line, c).xf != format(prototypeItem(0, expected), line, c).xf)
                    return QStringLiteral("sheet %1, \"%2\", line %3, column %4: not formatted as %5")
                        .arg(sheet + 1)
                        .arg(prototypeValue(item).text())
                        .arg(line + 1)
                        .arg(firstCol + c + 1)
                        .arg(QLatin1String(contentName(expected)));
    }
    return std::nullopt;
}

} // namespace kpv::workbooks
