#pragma once
// The busy (hourglass) and normal mouse pointer of the running program.
// Busy requests nest: the normal pointer returns when every busy request has
// been answered by a normal one, and at the latest when this object ends, so
// an operation that leaves early never leaves the hourglass behind.

#include "storage/messages.h"

namespace kpv::ui {

class QtBusyPointer : public BusyPointer {
public:
    QtBusyPointer() = default;
    ~QtBusyPointer() override;
    QtBusyPointer(const QtBusyPointer &) = delete;
    QtBusyPointer &operator=(const QtBusyPointer &) = delete;

    void setBusy(bool busy) override;
    int depth() const { return m_depth; }

private:
    int m_depth = 0;
};

} // namespace kpv::ui
