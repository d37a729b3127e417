#include "excel/spreadsheet.h"

#include <cmath>

namespace kpv::excel {

QString CellValue::text() const
{
    switch (m_kind) {
    case Kind::Empty:
        return {};
    case Kind::Text:
        return m_text;
    case Kind::Number:
        break;
    }
    if (!std::isfinite(m_number)) return {};
    // Whole numbers as plain digits; others with up to 15 significant digits,
    // without trailing zeros (what a spreadsheet shows in a general cell).
    if (m_number == std::floor(m_number) && std::fabs(m_number) < 1e15)
        return QString::number(static_cast<long long>(m_number));
    QString s = QString::number(m_number, 'g', 15);
    if (s.contains(QLatin1Char('e'))) s = s.toUpper();
    return s;
}

CellValue CellValue::numberOrText(const QString &text)
{
    // Only digits, one sign and one point can make the shortest form; a
    // quick look spares the conversion for names and the like.
    if (text.isEmpty() || text.size() > 17) return CellValue(text);
    for (QChar c : text)
        if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('.')) return CellValue(text);
    bool ok = false;
    const double d = text.toDouble(&ok);
    if (!ok) return CellValue(text);
    CellValue n = number(d);
    if (n.text() != text) return CellValue(text);
    return n;
}

} // namespace kpv::excel
