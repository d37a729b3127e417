#include "ui/colours.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace kpv::ui {

QColor colourFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QColor colourFromConstant(const QString &constant)
{
    QString t = constant.trimmed();
    if (!t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) return {};
    t = t.mid(2);
    if (t.endsWith(QLatin1Char('&'))) t.chop(1);
    if (t.isEmpty() || t.size() > 8) return {};
    bool ok = false;
    const quint32 v = t.toUInt(&ok, 16);
    if (!ok || (v >> 24) != 0) return {}; // system colours (&H80000000 …) are not palette values
    return colourFromBgr(v);
}

QColor switchOnColour() { return colourFromBgr(0x008080FF); }
QColor switchOffColour() { return colourFromBgr(0x00FFFFFF); }

void paintBackground(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void paintBackground(QWidget *w, const QString &bgrColourText, const QColor &fallback)
{
    const QColor c = colourFromConstant(bgrColourText);
    if (c.isValid()) {
        paintBackground(w, c);
    } else if (fallback.isValid()) {
        paintBackground(w, fallback);
    } else {
        w->setAutoFillBackground(false);
        w->setPalette(QPalette());
    }
}

QColor backgroundOf(const QWidget *w) { return w->palette().color(QPalette::Window); }

QColor buttonFaceColour() { return QApplication::palette().color(QPalette::Button); }

} // namespace kpv::ui
