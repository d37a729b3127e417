#pragma once
// Small builders for the settings screen's controls: each control gets its
// name, its caption as accessible name, and its place in twips.

#include "ui/twips.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace kpv::settings {

inline QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAccessibleName(text.simplified());
    ui::setGeometryTwips(b, l, t, w, h);
    return b;
}

inline QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    if (!text.isEmpty()) label->setAccessibleName(text.simplified());
    ui::setGeometryTwips(label, l, t, w, h);
    return label;
}

template <class T>
T *place(T *w, const QString &name, int l, int t, int wd, int h)
{
    w->setObjectName(name);
    ui::setGeometryTwips(w, l, t, wd, h);
    return w;
}

} // namespace kpv::settings
