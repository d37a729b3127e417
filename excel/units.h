#pragma once
// Unit conversions between the automation object model's values and the
// office's: colours, column widths, row heights, border line widths, file
// URLs. Pure functions: they need no office and are tested on their own.

#include "excel/spreadsheet.h"

#include <QString>

namespace kpv::excel::units {

// The automation colour value is 0x00BBGGRR (red + 256 * green + 65536 *
// blue); the office's is 0x00RRGGBB.
int toOfficeColor(int bgr);
int toAutomationColor(int rgb);

// Column widths: Calc's .xls export writes Excel width units at 111 twips per
// character and leaves out Excel's 5-pixel padding. For Excel to show w
// characters (maximum digit width 7 px), the stored units are
// floor((7w + 5) / 7 * 256). In 1/100 mm and back (two decimals).
int charactersToMm100(double characters);
double mm100ToCharacters(int mm100);

// Row heights: 1/100 mm = points * 2540 / 72; back to points with two decimals.
int pointsToMm100(double points);
double mm100ToPoints(int mm100);

// Border line widths in 1/100 mm that Calc's .xls filter writes as the Excel
// weights and reads back as them (hair 1 twip, thin 15, medium 35, thick 50
// twips), and the weight of a width read back.
int lineWidthMm100(LineWeight weight);
LineWeight weightOfWidth(int mm100);

// The file's path with links and "..": resolved (the path cleaned when the
// file does not exist).
QString canonicalPath(const QString &path);
// file:/// URL of a local path, percent-encoded as the office writes it.
QString fileUrl(const QString &path);
// The local path of a file URL; empty when it is none.
QString pathOfUrl(const QString &url);

} // namespace kpv::excel::units
