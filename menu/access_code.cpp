#include "menu/access_code.h"

#include <array>

namespace kpv::menu {

bool acceptsAccessCode(const QString &typed)
{
    const QString code = typed.normalized(QString::NormalizationForm_KC).trimmed();
    if (code.size() != 6) return false;
    static constexpr std::array<int, 6> kWeights = {7, 3, 1, 7, 3, 1};
    int sum = 0;
    bool allZero = true;
    for (int i = 0; i < 6; ++i) {
        const QChar c = code.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        const int digit = c.unicode() - '0';
        allZero = allZero && digit == 0;
        sum += kWeights[size_t(i)] * digit;
    }
    return !allZero && sum % 10 == 0;
}

} // namespace kpv::menu
