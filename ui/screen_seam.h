#pragma once
// Where the work screens plug into the program. The menu host builds a
// screen through the factory registered for it and hands it the services
// below; a screen closes itself (its back button calls close()) and the
// host brings the menu back once the screen is gone. A screen that must end
// the program (all clients stopped, a fatal drive error) calls
// endProgram(): the menu does not come back then. Screen tests build their
// widget directly with services of their own.

#include <functional>

class QWidget;

namespace kpv {
class Dolvb;
}
namespace kpv::excel {
class Spreadsheet;
}

namespace kpv::menu {

struct ScreenServices {
    Dolvb &d;
    excel::Spreadsheet *spreadsheet = nullptr; // the program's one office (started on first use)
    std::function<void()> endProgram;          // ends the program; the menu does not come back
};

using ScreenFactory = std::function<QWidget *(ScreenServices &)>;

} // namespace kpv::menu
