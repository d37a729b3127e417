#include "ui/clickable.h"

#include <QMouseEvent>

namespace kpv::ui {

ClickLabel::ClickLabel(QWidget *parent, const QString &name, const QString &text) : QLabel(text, parent)
{
    if (!name.isEmpty()) setObjectName(name);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

PictureBox::PictureBox(QWidget *parent, const QString &name) : QFrame(parent)
{
    if (!name.isEmpty()) setObjectName(name);
}

void PictureBox::mouseReleaseEvent(QMouseEvent *e)
{
    QFrame::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

} // namespace kpv::ui
