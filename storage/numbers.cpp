#include "storage/numbers.h"

#include "storage/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kpv {

double leadingNumber(const char *data, int len)
{
    int i = 0;
    while (i < len && data[i] == ' ') ++i;
    const int start = i;
    {
        // Nearly every stored number is a plain integer: up to 15 digits are
        // exact in a double, so they need not go through the general parser.
        int j = i;
        const bool negative = j < len && data[j] == '-';
        if (j < len && (data[j] == '+' || data[j] == '-')) ++j;
        const int digitsStart = j;
        const int digitsEnd = std::min(len, digitsStart + 16);
        uint64_t v = 0;
        unsigned d;
        while (j < digitsEnd && (d = unsigned(uint8_t(data[j])) - '0') < 10) {
            v = v * 10 + d;
            ++j;
        }
        const int digits = j - digitsStart;
        if (digits > 0 && digits <= 15 &&
            (j == len || (data[j] != '.' && data[j] != 'e' && data[j] != 'E' && unsigned(uint8_t(data[j])) - '0' >= 10)))
            return negative ? -double(v) : double(v);
    }
    if (i < len && (data[i] == '+' || data[i] == '-')) ++i;
    const int mantissaStart = i;
    while (i < len && data[i] >= '0' && data[i] <= '9') ++i;
    if (i < len && data[i] == '.') {
        ++i;
        while (i < len && data[i] >= '0' && data[i] <= '9') ++i;
    }
    const int mantissaDigits = i - mantissaStart - (std::string_view(data + mantissaStart, size_t(i - mantissaStart)).find('.') != std::string_view::npos ? 1 : 0);
    if (mantissaDigits <= 0) return 0.0;
    int end = i;
    if (i < len && (data[i] == 'e' || data[i] == 'E')) {
        int j = i + 1;
        if (j < len && (data[j] == '+' || data[j] == '-')) ++j;
        const int expStart = j;
        while (j < len && data[j] >= '0' && data[j] <= '9') ++j;
        if (j > expStart) end = j;
    }
    const char *first = data + start;
    if (*first == '+') ++first;
    double value = 0.0;
    const auto r = std::from_chars(first, data + end, value);
    if (r.ec == std::errc::result_out_of_range) return first[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    return r.ec == std::errc() ? value : 0.0;
}

double leadingNumber(const QString &text)
{
    // Only ASCII can take part in a number; anything else stops it.
    char buf[64];
    int n = 0;
    for (qsizetype i = 0; i < text.size() && n < int(sizeof buf); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80) break;
        buf[n++] = char(c);
    }
    return leadingNumber(buf, n);
}

QString numberText(double value)
{
    if (value == 0.0 || !std::isfinite(value)) return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s(buf);
    if (s.find('e') != std::string::npos) {
        // Written without exponent: round to 15 significant digits first.
        const int exponent = int(std::floor(std::log10(std::fabs(value))));
        const int decimals = exponent >= 14 ? 0 : 14 - exponent;
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
        s = buf;
        if (s.find('.') != std::string::npos) {
            while (!s.empty() && s.back() == '0') s.pop_back();
            if (!s.empty() && s.back() == '.') s.pop_back();
        }
    }
    if (s == "-0") s = "0";
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

QString numberTextBlank(double value)
{
    const QString t = numberText(value);
    return t.startsWith(u'-') ? t : QLatin1Char(' ') + t;
}

QString formatNumber(double value, const QString &pattern)
{
    const qsizetype dot = pattern.indexOf(u'.');
    const QString intPattern = dot < 0 ? pattern : pattern.left(dot);
    const int decimals = dot < 0 ? 0 : int(pattern.size() - dot - 1);
    const bool group = intPattern.contains(u',');

    // Round half away from zero on the value as written to 15 digits, so that
    // 2.25 and 0.15 round the way they read.
    const bool negative = value < 0;
    double scaled = std::fabs(value) * std::pow(10.0, decimals);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", scaled);
    scaled = std::strtod(buf, nullptr);
    const double rounded = std::floor(scaled + 0.5);
    std::snprintf(buf, sizeof buf, "%.0f", rounded);
    std::string digits(buf);
    std::string intDigits, fracDigits;
    if (decimals > 0) {
        if (int(digits.size()) <= decimals) digits.insert(0, size_t(decimals + 1 - int(digits.size())), '0');
        intDigits = digits.substr(0, digits.size() - size_t(decimals));
        fracDigits = digits.substr(digits.size() - size_t(decimals));
    } else {
        intDigits = digits;
    }
    if (intDigits == "0") intDigits.clear(); // "#" prints significant digits only
    if (group && intDigits.size() > 3) {
        std::string g;
        const size_t first = intDigits.size() % 3;
        for (size_t i = 0; i < intDigits.size(); ++i) {
            if (i != 0 && (i + 3 - first) % 3 == 0) g.push_back(',');
            g.push_back(intDigits[i]);
        }
        intDigits = g;
    }
    std::string out;
    if (negative && rounded != 0.0) out.push_back('-');
    out += intDigits;
    if (decimals > 0) {
        out.push_back('.');
        out += fracDigits;
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

double floorNumber(double value)
{
    return std::floor(value);
}

std::optional<QString> numberEntry(const QString &typed, bool decimal)
{
    QString t = trimSpaces(typed);
    for (QChar &c : t) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19) c = QChar(char16_t(u'0' + (u - 0xFF10)));
        else if (u == 0xFF0D || u == 0x2212) c = QLatin1Char('-');
        else if (u == 0xFF0C) c = QLatin1Char(',');
        else if (u == 0xFF0E) c = QLatin1Char('.');
    }
    if (t.isEmpty()) return t;
    qsizetype i = 0;
    QString out;
    if (t.at(0) == QLatin1Char('-')) {
        out += QLatin1Char('-');
        ++i;
    }
    const auto isDigit = [&](qsizetype k) { return k < t.size() && t.at(k) >= QLatin1Char('0') && t.at(k) <= QLatin1Char('9'); };
    // The integer part: plain digits, or groups of three after one to three.
    const qsizetype intStart = i;
    while (isDigit(i)) out += t.at(i++);
    const qsizetype lead = i - intStart;
    if (lead > 0 && i < t.size() && t.at(i) == QLatin1Char(',')) {
        if (lead > 3) return std::nullopt;
        while (i < t.size() && t.at(i) == QLatin1Char(',')) {
            if (!(isDigit(i + 1) && isDigit(i + 2) && isDigit(i + 3)) || isDigit(i + 4)) return std::nullopt;
            out += t.mid(i + 1, 3);
            i += 4;
        }
    }
    bool digits = lead > 0;
    if (i < t.size() && t.at(i) == QLatin1Char('.')) {
        if (!decimal || !isDigit(i + 1)) return std::nullopt;
        out += t.at(i++);
        while (isDigit(i)) out += t.at(i++);
        digits = true;
    }
    if (!digits || i != t.size()) return std::nullopt;
    return out;
}

} // namespace kpv
