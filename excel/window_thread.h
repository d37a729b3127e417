#pragma once
// The user's messages and the mouse pointer seen from the work thread.
//
// Workbook work runs on the office's work thread (work_thread.h), but the
// user is only ever spoken to from the window thread, through the one message
// interface (storage/messages.h). These wrappers stand between the
// process-wide data and the real message boxes and pointer: called on the
// window thread they pass straight through; called from any other thread the
// message is shown on the window thread and that thread waits for the
// answer. The busy pointer is the window thread's own business: while work
// runs elsewhere the progress window shows that the program is busy, so a
// busy or normal pointer asked for from another thread changes nothing.
//
// Build them on the window thread (the thread they belong to is the one
// that built them).

#include "storage/messages.h"

#include <QObject>

namespace kpv::excel {

class WindowThreadMessages : public Messages {
public:
    explicit WindowThreadMessages(Messages &shown);
    bool ask(const QString &title, const QString &text) override;
    void tell(const QString &title, const QString &text) override;

private:
    bool onWindowThread() const;
    Messages &m_shown;
    QObject m_context; // lives on the window thread
};

class WindowThreadPointer : public BusyPointer {
public:
    explicit WindowThreadPointer(BusyPointer &pointer) : m_pointer(pointer) {}
    void setBusy(bool busy) override;

private:
    BusyPointer &m_pointer;
    QObject m_context;
};

} // namespace kpv::excel
