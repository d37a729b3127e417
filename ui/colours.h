#pragma once
// Colours as the system writes them: constants in blue-green-red order
// ("&H008080FF" is red 255, green 128, blue 128) or red, green, blue triples.

#include <QColor>
#include <QString>

class QWidget;

namespace kpv::ui {

// The value of a constant 0x00BBGGRR as a colour.
QColor colourFromBgr(quint32 bgr);

// Parses "&H008080FF", "&HFFFFFF" (an optional trailing "&" is allowed).
// Anything else gives an invalid colour.
QColor colourFromConstant(const QString &constant);

// The switch box convention: pink when on, white when off.
QColor switchOnColour();   // &H008080FF
QColor switchOffColour();  // &H00FFFFFF
inline QColor switchColour(bool on) { return on ? switchOnColour() : switchOffColour(); }

// Fills a widget's background with a colour (labels, panels, windows).
void paintBackground(QWidget *w, const QColor &colour);
// Paints a screen's background from the colour constant text the start-up
// keeps (Dolvb::backgroundColour, e.g. "&H00E6D8AD"). Empty or unreadable
// text paints the fallback when one is given (a valid colour), else gives
// the widget back its designed background.
void paintBackground(QWidget *w, const QString &bgrColourText, const QColor &fallback = QColor());
inline void paintBackground(QWidget *w, const char *bgrColourText, const QColor &fallback = QColor())
{
    paintBackground(w, QString::fromLatin1(bgrColourText), fallback);
}
// The colour a widget's background is painted with.
QColor backgroundOf(const QWidget *w);

// The system's button face colour (used for boxes that are "not lit").
QColor buttonFaceColour();

} // namespace kpv::ui
