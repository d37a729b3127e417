#pragma once
// Modal questions and notices, and the busy mouse pointer.
//
// The logic never opens a window itself: every question ("はい"/"いいえ") and
// every notice (OK) goes through a Messages object that the start-up builds
// (the Qt message boxes) and that tests replace by a scripted double. Texts
// keep the system's own line breaks: lines are joined by a carriage return.

#include <QString>

namespace kpv {

class Messages {
public:
    virtual ~Messages() = default;
    // A Yes/No question. True only when the user answered "はい".
    virtual bool ask(const QString &title, const QString &text) = 0;
    // A notice with the OK button.
    virtual void tell(const QString &title, const QString &text) = 0;
};

// The busy (hourglass) and normal mouse pointer.
class BusyPointer {
public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};

// Shows the busy pointer for the lifetime of the guard and always restores
// the normal pointer, also when the operation leaves early.
class BusyGuard {
public:
    explicit BusyGuard(BusyPointer &pointer) : m_pointer(pointer) { m_pointer.setBusy(true); }
    ~BusyGuard() { m_pointer.setBusy(false); }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    BusyPointer &m_pointer;
};

// A pointer that shows nothing (command-line tools, benchmarks).
class NoBusyPointer : public BusyPointer {
public:
    void setBusy(bool) override {}
};

} // namespace kpv
