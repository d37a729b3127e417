#include "excel/uno_call.h"

#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>

namespace kpv::excel::uno {

OUString ou(const QString &s)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(s.utf16()), sal_Int32(s.size()));
}

QString qs(const OUString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getStr()), s.getLength());
}

OUString name(const char *ascii)
{
    return OUString::createFromAscii(ascii);
}

css::beans::PropertyValue prop(const char *propertyName, const Any &value)
{
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(propertyName);
    p.Value = value;
    return p;
}

// ---------------------------------------------------------------------------

Watchdog::Watchdog(std::function<void()> onExpiry) : m_onExpiry(std::move(onExpiry)) {}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void Watchdog::arm(std::chrono::milliseconds bound)
{
    {
        std::lock_guard lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + bound;
        m_armed = true;
        m_fired = false;
        if (!m_thread.joinable()) m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_all();
}

bool Watchdog::fireNow()
{
    std::lock_guard lock(m_mutex);
    if (!m_armed || m_fired) return false;
    m_fired = true;
    m_armed = false;
    if (m_onExpiry) m_onExpiry(); // under the lock, as at the deadline
    return true;
}

bool Watchdog::disarm()
{
    std::lock_guard lock(m_mutex);
    m_armed = false;
    const bool fired = m_fired;
    m_fired = false;
    return fired;
}

void Watchdog::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (!m_armed) {
            m_wake.wait(lock);
            continue;
        }
        if (m_wake.wait_until(lock, m_deadline) != std::cv_status::timeout) continue;
        if (m_armed && !m_fired && std::chrono::steady_clock::now() >= m_deadline) {
            m_fired = true;
            m_armed = false;
            if (m_onExpiry) m_onExpiry(); // under the lock: disarm() waits for it
        }
    }
}

// ---------------------------------------------------------------------------

bool Session::breakOff(BreakReason reason)
{
    int none = int(BreakReason::None);
    if (!breakReason.compare_exchange_strong(none, int(reason))) return false; // broken off already
    if (watchdog.fireNow()) return true;
    breakReason = int(BreakReason::None); // no call was in progress
    return false;
}

bool Session::answers()
{
    if (dead) return false;
    const bool outer = depth++ == 0;
    if (outer) watchdog.arm(std::chrono::milliseconds(std::min(int(callTimeoutMs), 15000)));
    bool ok = true;
    try {
        desktop->getCurrentFrame();
    } catch (...) {
        ok = false;
    }
    --depth;
    if (outer && watchdog.disarm()) ok = false;
    if (!ok) dead = true;
    return ok;
}

namespace {

QString detail(const char *what, const OUString &message)
{
    return QString::fromUtf8(what) + QStringLiteral(": ") + qs(message);
}

// The failure of a call that was ended before it answered.
Status brokenOff(Session *session, const char *what)
{
    const auto reason = BreakReason(session->breakReason.load());
    if (reason == BreakReason::Cancelled || reason == BreakReason::Ending)
        return Status::fail(FailureKind::Cancelled, QString::fromUtf8(what) + QStringLiteral(": cancelled"));
    if (session->leftToUser)
        return Status::fail(FailureKind::NoAnswer, QStringLiteral("%1: no answer within %2 ms; the office holds the user's books and is left running")
                                                       .arg(QString::fromUtf8(what))
                                                       .arg(int(session->callTimeoutMs)));
    return Status::fail(FailureKind::ApplicationFailed,
                        QStringLiteral("%1: no answer within %2 ms").arg(QString::fromUtf8(what)).arg(int(session->callTimeoutMs)));
}

} // namespace

Status guarded(Session *session, const char *what, const std::function<void()> &f, CallKind kind)
{
    if (session && kind == CallKind::Work && session->cancelled && session->cancelled())
        return Status::fail(FailureKind::Cancelled, QString::fromUtf8(what) + QStringLiteral(": cancelled"));
    if (session && session->dead && session->breakReason != int(BreakReason::None)) return brokenOff(session, what);
    if (!session || session->dead)
        return Status::fail(FailureKind::ApplicationFailed, QString::fromUtf8(what) + QStringLiteral(": the office is gone"));
    const bool outer = session->depth++ == 0;
    if (outer) session->watchdog.arm(std::chrono::milliseconds(int(session->callTimeoutMs)));
    Status result;
    bool connectionInDoubt = false;
    try {
        f();
    } catch (const css::lang::DisposedException &e) {
        // A closed document, or the whole office gone: the probe below tells.
        connectionInDoubt = true;
        result = Status::fail(FailureKind::ApplicationFailed, detail(what, e.Message));
    } catch (const css::lang::IllegalArgumentException &e) {
        result = Status::fail(FailureKind::Other, detail(what, e.Message));
    } catch (const css::lang::IndexOutOfBoundsException &e) {
        result = Status::fail(FailureKind::Other, detail(what, e.Message));
    } catch (const css::io::IOException &e) {
        result = Status::fail(FailureKind::InUse, detail(what, e.Message));
    } catch (const css::uno::RuntimeException &e) {
        // A broken connection also shows as a plain RuntimeException.
        connectionInDoubt = true;
        result = Status::fail(FailureKind::ApplicationFailed, detail(what, e.Message));
    } catch (const css::uno::Exception &e) {
        result = Status::fail(FailureKind::Other, detail(what, e.Message));
    } catch (const std::exception &e) {
        result = Status::fail(FailureKind::Other, QString::fromUtf8(what) + QStringLiteral(": ") + QString::fromLocal8Bit(e.what()));
    } catch (...) {
        result = Status::fail(FailureKind::Other, QString::fromUtf8(what));
    }
    --session->depth;
    if (outer && session->watchdog.disarm()) {
        session->dead = true;
        int none = int(BreakReason::None);
        session->breakReason.compare_exchange_strong(none, int(BreakReason::Deadline));
        return brokenOff(session, what);
    }
    if (connectionInDoubt && outer) session->answers();
    return result;
}

} // namespace kpv::excel::uno
