#pragma once
// Number rules. Every stored value is text; these functions are the one
// place where numbers become text and text becomes numbers.
//
// - Leading-number rule (leadingNumber): leading ASCII spaces are skipped, then
//   an optional sign, digits, an optional "." with digits and an optional
//   exponent ("1E3"); reading stops at the first character that cannot
//   continue the number. "1,234" reads 1, "12abc" 12, " .5" 0.5; empty or
//   non-numeric text reads 0.
// - Text of a computed value (numberText): the shortest decimal text that
//   reads back as the value to 15 significant digits, no trailing zeros, no
//   exponent and no float dust: 0.3 * 3 gives "0.9", 1/3 gives
//   "0.333333333333333", 12 gives "12".
// - Text with a leading blank (numberTextBlank): a space before a
//   non-negative number, "-" before a negative one: 5 gives " 5", -5 "-5".
// - Display patterns (formatNumber) such as "###,###,###", "#,###,###",
//   "###,###.0", "###.0", "####,###": "#" prints a digit only when it is
//   significant, so 0 shows as "" and 0.5 with "###.0" as ".5"; a "," in the
//   integer part groups thousands (the number of "#" does not limit the
//   digits); ".0" gives one decimal, rounded half away from zero
//   (2.25 -> "2.3", -2.25 -> "-2.3"); a negative value gets a leading "-".
// - The integer part (rounding down) is floor: -0.5 gives -1, 1666.6 1666.
// - A number entered by a user (numberEntry): an optional "-", digits with or
//   without thousands separators ("1,200" or "1200"; the separators are not
//   kept), and in decimal mode one "." followed by digits. Full-width digits,
//   "－", "，" and "．" (and the minus sign "−") count as their half-width
//   forms. Anything else is not a number: "1,20", "12abc", "9E999", "+3",
//   "1.5" in integer mode. Empty text is the empty entry (the value 0).

#include <QString>

#include <optional>

namespace kpv {

double leadingNumber(const QString &text);
// The same rule on raw bytes (ASCII digits; any other byte stops the number).
double leadingNumber(const char *data, int len);

QString numberText(double value);
QString numberTextBlank(double value);
QString formatNumber(double value, const QString &pattern);
double floorNumber(double value);

// The text to store for a typed number entry (trimmed of ASCII spaces,
// separators dropped, full-width forms made half-width); nullopt when the
// text is not a number by the rule above.
std::optional<QString> numberEntry(const QString &typed, bool decimal);

} // namespace kpv
