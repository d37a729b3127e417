#include "ui/qt_busy_pointer.h"

#include <QApplication>

namespace kpv::ui {

QtBusyPointer::~QtBusyPointer()
{
    while (m_depth > 0) setBusy(false);
}

void QtBusyPointer::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_depth;
    } else if (m_depth > 0) {
        // A "normal pointer" with nothing busy is harmless.
        QApplication::restoreOverrideCursor();
        --m_depth;
    }
}

} // namespace kpv::ui
