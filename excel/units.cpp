#include "excel/units.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cmath>

namespace kpv::excel {

int PatternFillColor(Pattern pattern, int bgrColor)
{
    const double ink = pattern == Pattern::Gray25 ? 0.25 : pattern == Pattern::Gray75 ? 0.75 : 0.5;
    int out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = (bgrColor >> shift) & 0xFF;
        out |= int(std::lround(255.0 * (1.0 - ink) + channel * ink)) << shift;
    }
    return out;
}

namespace units {

int toOfficeColor(int bgr)
{
    const int r = bgr & 0xFF, g = (bgr >> 8) & 0xFF, b = (bgr >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

int toAutomationColor(int rgb)
{
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r | (g << 8) | (b << 16);
}

int charactersToMm100(double characters)
{
    const double widthUnits = std::floor((characters * 7.0 + 5.0) / 7.0 * 256.0);
    const double twips = widthUnits / 256.0 * 111.0;
    return int(std::lround(twips * 2540.0 / 1440.0));
}

double mm100ToCharacters(int mm100)
{
    // Back to whole width units as the file stores them, then as Excel shows them.
    const double twips = mm100 * 1440.0 / 2540.0;
    const double widthUnits = std::round(twips / 111.0 * 256.0);
    const double chars = (widthUnits / 256.0 * 7.0 - 5.0) / 7.0;
    return std::trunc(chars * 100.0 + 0.5) / 100.0;
}

int pointsToMm100(double points)
{
    return int(std::lround(points * 2540.0 / 72.0));
}

double mm100ToPoints(int mm100)
{
    return std::round(mm100 * 72.0 / 2540.0 * 100.0) / 100.0;
}

int lineWidthMm100(LineWeight weight)
{
    switch (weight) {
    case LineWeight::Hairline: return 2;
    case LineWeight::Thin: return 26;
    case LineWeight::Medium: return 62;
    case LineWeight::Thick: return 89;
    }
    return 26;
}

LineWeight weightOfWidth(int mm100)
{
    if (mm100 >= 80) return LineWeight::Thick;
    if (mm100 >= 50) return LineWeight::Medium;
    if (mm100 >= 15) return LineWeight::Thin;
    return LineWeight::Hairline;
}

QString canonicalPath(const QString &path)
{
    const QFileInfo info(path);
    const QString c = info.canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : c;
}

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QString pathOfUrl(const QString &url)
{
    const QUrl u = QUrl::fromEncoded(url.toUtf8());
    return u.isLocalFile() ? u.toLocalFile() : QString();
}

} // namespace units
} // namespace kpv::excel
