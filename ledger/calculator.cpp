#include "ledger/calculator.h"

#include "ledger/entry_state.h"
#include "storage/text.h"

#include <algorithm>
#include <array>

namespace kpv::ledger {

namespace {

constexpr int kLeft = 120;
constexpr int kPitch = 480;
constexpr int kKeyWidth = 495;
constexpr int kWideKey = 975;  // two places

struct RowKey {
    int index;
    const char16_t *caption;
};

constexpr std::array<RowKey, 11> kDigits{{{1, u"1"}, {2, u"2"}, {3, u"3"}, {4, u"4"}, {5, u"5"}, {6, u"6"},
                                          {7, u"7"}, {8, u"8"}, {9, u"9"}, {0, u"0"}, {38, u","}}};
constexpr std::array<RowKey, 13> kAToM{{{11, u"A"}, {12, u"B"}, {13, u"C"}, {14, u"D"}, {15, u"E"}, {16, u"F"}, {17, u"G"},
                                        {18, u"H"}, {19, u"I"}, {20, u"J"}, {21, u"K"}, {22, u"L"}, {23, u"M"}}};
constexpr std::array<RowKey, 13> kNToZ{{{24, u"N"}, {25, u"O"}, {26, u"P"}, {27, u"Q"}, {28, u"R"}, {31, u"S"}, {37, u"T"},
                                        {29, u"U"}, {30, u"V"}, {33, u"W"}, {32, u"X"}, {39, u"Y"}, {34, u"Z"}}};

} // namespace

std::vector<CalculatorKey> Calculator::keyLayout(bool decimalMode)
{
    std::vector<CalculatorKey> keys;
    keys.reserve(kKeys);
    int left = kLeft;
    for (const RowKey &k : kDigits) {
        const int width = (k.index == 0 || k.index == 38) ? kWideKey : kKeyWidth;
        keys.push_back({k.index, QString::fromUtf16(k.caption), left, 600, width, 480, true});
        left += width == kWideKey ? 2 * kPitch : kPitch;
    }
    for (const auto *row : {&kAToM, &kNToZ}) {
        const int top = row == &kAToM ? 1080 : 1560;
        left = kLeft;
        for (const RowKey &k : *row) {
            keys.push_back({k.index, QString::fromUtf16(k.caption), left, top, kKeyWidth, 480, true});
            left += kPitch;
        }
    }
    keys.push_back({10, QStringLiteral("."), 3240, 2040, 735, 480, decimalMode});
    if (decimalMode)
        keys.push_back({35, QStringLiteral("-"), 3960, 2040, 735, 480, true});
    else
        keys.push_back({35, QStringLiteral("-"), 3240, 2040, 1455, 480, true});
    keys.push_back({36, QStringLiteral("/"), 4680, 2040, 1695, 480, true});
    return keys;
}

QString Calculator::caption(int index)
{
    static const std::vector<CalculatorKey> keys = keyLayout(true);
    for (const CalculatorKey &k : keys)
        if (k.index == index) return k.caption;
    return QString();
}

QPoint Calculator::windowPositionTwips(int entryTarget)
{
    return entryTarget == target::kItemNumber ? QPoint(12000, 2400) : QPoint(14000, 1200);
}

QPoint Calculator::placeInside(QPoint wanted, QSize size, const QRect &area)
{
    if (!area.isValid()) return wanted;
    const int x = std::max(area.left(), std::min(wanted.x(), area.right() + 1 - size.width()));
    const int y = std::max(area.top(), std::min(wanted.y(), area.bottom() + 1 - size.height()));
    return {x, y};
}

bool Calculator::halfWidthInput(int entryTarget)
{
    return entryTarget >= target::kFieldNumber && entryTarget <= target::kPlannedIssues;
}

void Calculator::start(const QString &value)
{
    m_readout = trimSpaces(value);
    m_keyCount = 0;
}

void Calculator::press(int index)
{
    const QString c = caption(index);
    if (c.isEmpty()) return;
    m_readout = m_keyCount == 0 ? c : m_readout + c;
    ++m_keyCount;
}

void Calculator::cancel()
{
    m_readout.clear();
    m_keyCount = 0;
}

void Calculator::setTyped(const QString &text)
{
    m_readout = trimSpaces(text);
}

} // namespace kpv::ledger
