#pragma once
// What assistive technology (a screen reader, a program that drives the
// screens) reads from the labels of the screens. Qt already reads buttons by
// their captions, text boxes, lists and grid cells by their contents; two
// kinds of label need more, and every screen marks them once, when it builds
// them:
//
//  - A value label shows a value that changes (a count, a page, a folder, the
//    calculator's readout, the card's item number). It reads as the value it
//    shows at that moment, both as its accessible name and through a text
//    interface, and its description says what the value is ("総数",
//    "電卓表示"). A change of the value is announced.
//
//  - A state box is a small label that shows a state by its colour only: the
//    option switches (pink on, white off), the data position and backup
//    boxes, indicators that light up. It reads as a check box named by the
//    caption beside it, checked while it shows its "on" colour, so the state
//    read is always the state shown. A box the user clicks can also be
//    pressed through assistive technology; a box that only shows is read-only.
//
// Nothing here changes how a label looks or behaves with the mouse.

#include "ui/colours.h"

#include <QColor>
#include <QString>

class QLabel;

namespace kpv::ui {

// Marks a label that shows a value; what = what the value is, in the
// screen's own words (becomes the accessible description).
void showsValue(QLabel *label, const QString &what);

// Marks a box that shows a state by its colour; caption = the caption beside
// it (becomes the accessible name). It reads as checked while its background
// is onColour (by default the switch boxes' pink).
void showsState(QLabel *box, const QString &caption, const QColor &onColour = switchOnColour());

// Registers the interfaces above with Qt. The helpers call it themselves;
// the program calls it once at start, before any window exists.
void installAccessibility();

} // namespace kpv::ui
