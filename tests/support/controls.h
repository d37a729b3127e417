#pragma once
// A screen's controls by object name, for screen tests: a control that is
// not there ends the run with its name.

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace kpv::testing {

template <class T = QWidget> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c) qFatal("no control %s", name);
    return c;
}
inline QString text(QWidget *w, const char *name) { return child<QLabel>(w, name)->text(); }
inline void click(QWidget *w, const char *name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }

} // namespace kpv::testing
