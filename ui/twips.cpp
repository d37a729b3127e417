#include "ui/twips.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace kpv::ui {

void setGeometryTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

void moveTwips(QWidget *w, int left, int top) { w->move(twipsToPx(left), twipsToPx(top)); }
void setLeftTwips(QWidget *w, int left) { w->move(twipsToPx(left), w->y()); }
void setTopTwips(QWidget *w, int top) { w->move(w->x(), twipsToPx(top)); }
void setWidthTwips(QWidget *w, int width) { w->resize(twipsToPx(width), w->height()); }
int leftTwips(const QWidget *w) { return pxToTwips(w->x()); }
int topTwips(const QWidget *w) { return pxToTwips(w->y()); }
int widthTwips(const QWidget *w) { return pxToTwips(w->width()); }

QPoint centeredPositionTwips(QSize screenTwips, QSize windowTwips)
{
    return {screenTwips.width() / 2 - windowTwips.width() / 2,
            screenTwips.height() / 2 - windowTwips.height() / 2};
}

void centerForm(QWidget *window)
{
    QScreen *screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect avail = screen->geometry();
    const QSize screenTwips(pxToTwips(avail.width()), pxToTwips(avail.height()));
    const QSize windowTwips(pxToTwips(window->width()), pxToTwips(window->height()));
    const QPoint at = centeredPositionTwips(screenTwips, windowTwips);
    window->move(avail.x() + twipsToPx(at.x()), avail.y() + twipsToPx(at.y()));
}

QPushButton *placedButton(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
                          int height)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    setGeometryTwips(b, left, top, width, height);
    return b;
}

} // namespace kpv::ui
