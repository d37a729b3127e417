#include "ui/background_palette.h"

#include "storage/dolvb.h"
#include "storage/settings_slots.h"

#include <array>

namespace kpv::menu {

QString paletteColour(int number)
{
    static constexpr std::array<const char *, 10> kColours = {
        "&HFFFFFF",   "&H00FFFFE0", "&H00EEEEAF", "&H00E6D8AD", "&H00EBCE87",
        "&H00A09E5F", "&H00B48246", "&H008B3D48", "&H00A9A9A9", "&H00808080",
    };
    if (number < 1 || number > 10) return {};
    return QString::fromLatin1(kColours[size_t(number - 1)]);
}

void applyBackgroundColour(Dolvb &d)
{
    // The number is read by the leading-number rule; "3.7" is not a palette
    // entry, so only whole numbers choose a colour.
    const double n = d.sharedSettings.number(slot::shared::kBackgroundColour);
    if (n >= 1 && n <= 10 && n == double(int(n))) d.backgroundColour = paletteColour(int(n));
}

} // namespace kpv::menu
