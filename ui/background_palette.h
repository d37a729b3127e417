#pragma once
// The ten background colours the user chooses from by number (the menu's
// option switch and every screen that paints its panels in the chosen colour).

#include <QString>

namespace kpv {
class Dolvb;
}

namespace kpv::menu {

// The colour constant (blue-green-red order) of palette number 1..10;
// empty for any other number.
QString paletteColour(int number);

// BackgroundColour = the palette entry of SharedSettings slot 49 when that
// reads as 1..10; otherwise the colour in force stays.
void applyBackgroundColour(Dolvb &d);

} // namespace kpv::menu
