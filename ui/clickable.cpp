#include "ui/clickable.h"

#include <QMouseEvent>

namespace kpv::ui {

ClickLabel::ClickLabel(QWidget *parent, const QString &name, const QString &text) : QLabel(text, parent)
{
    if (!name.isEmpty()) setObjectName(name);
}

void ClickLabel::mousePressEvent(QMouseEvent *e)
{
    e->accept(); // so that the release comes here
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *e)
{
    // The click belongs to this label only, never to the panel beneath.
    e->accept();
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

PictureBox::PictureBox(QWidget *parent, const QString &name) : QFrame(parent)
{
    if (!name.isEmpty()) setObjectName(name);
}

void PictureBox::mousePressEvent(QMouseEvent *e)
{
    e->accept(); // so that the release comes here
}

void PictureBox::mouseReleaseEvent(QMouseEvent *e)
{
    e->accept();
    // A click on a plain caption inside the panel reaches the panel through
    // the caption; it is the caption's click, not the background's.
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::LeftButton && rect().contains(at) && !childAt(at)) emit clicked();
}

} // namespace kpv::ui
