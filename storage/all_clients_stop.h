#pragma once
// The stop of all clients that an administrator switches on in the shared
// settings. Every screen that changes shared data asks before it works (the
// import screen at load, the ledger screen before each change or page move);
// the menu's gates ask before a screen opens.

namespace kpv {
class Dolvb;
}

namespace kpv::menu {

// Reads the shared settings again; when the stop is in force and this PC has
// no administrator rights, tells the user and returns true: the caller then
// ends the program.
[[nodiscard]] bool checkAllClientsStop(Dolvb &d);

} // namespace kpv::menu
