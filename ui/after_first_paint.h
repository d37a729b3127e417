#pragma once
// Runs something once a window has been painted for the first time (work
// that must not hold up the first sight of the window, such as the office's
// start in the background).

#include <functional>

class QWidget;

namespace kpv::ui {

// Calls then once, from the event loop, after window's first paint; never
// when the window goes before it was painted.
void afterFirstPaint(QWidget *window, std::function<void()> then);

} // namespace kpv::ui
