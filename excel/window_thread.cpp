#include "excel/window_thread.h"

#include <QThread>

namespace kpv::excel {

WindowThreadMessages::WindowThreadMessages(Messages &shown) : m_shown(shown) {}

bool WindowThreadMessages::onWindowThread() const
{
    return QThread::currentThread() == m_context.thread();
}

bool WindowThreadMessages::ask(const QString &title, const QString &text)
{
    if (onWindowThread()) return m_shown.ask(title, text);
    bool yes = false;
    QMetaObject::invokeMethod(
        &m_context, [&] { yes = m_shown.ask(title, text); }, Qt::BlockingQueuedConnection);
    return yes;
}

void WindowThreadMessages::tell(const QString &title, const QString &text)
{
    if (onWindowThread()) {
        m_shown.tell(title, text);
        return;
    }
    QMetaObject::invokeMethod(
        &m_context, [&] { m_shown.tell(title, text); }, Qt::BlockingQueuedConnection);
}

void WindowThreadPointer::setBusy(bool busy)
{
    if (QThread::currentThread() == m_context.thread()) m_pointer.setBusy(busy);
}

} // namespace kpv::excel
