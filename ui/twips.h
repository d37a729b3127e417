#pragma once
// Window geometry in twips, the unit every position and size of the screens
// is given in. At the logical 96 dpi a pixel is 15 twips.

#include <QPoint>
#include <QSize>

class QPushButton;
class QString;
class QWidget;

namespace kpv::ui {

constexpr int kTwipsPerPixel = 15;

// Nearest pixel; halves round away from zero so that a value and its
// negation land on mirrored pixels.
constexpr int twipsToPx(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int pxToTwips(int px) { return px * kTwipsPerPixel; }

// Places a control inside its parent (left, top, width, height in twips).
void setGeometryTwips(QWidget *w, int left, int top, int width, int height);
// A push button with its caption and object name, placed inside parent.
QPushButton *placedButton(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
                          int height);
void moveTwips(QWidget *w, int left, int top);
void setLeftTwips(QWidget *w, int left);
void setTopTwips(QWidget *w, int top);
void setWidthTwips(QWidget *w, int width);
int leftTwips(const QWidget *w);
int topTwips(const QWidget *w);
int widthTwips(const QWidget *w);

// The top-left corner that centres a window on a screen, both sizes in
// twips: left = screen width / 2 - window width / 2, top = screen height \ 2
// - window height \ 2 (integer halves).
QPoint centeredPositionTwips(QSize screenTwips, QSize windowTwips);

// Centres a top-level window on the screen it is on (the primary screen
// before it is shown).
void centerForm(QWidget *window);

} // namespace kpv::ui
