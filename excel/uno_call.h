#pragma once
// UNO plumbing of the LibreOffice implementation (private to the layer):
// string and property helpers, the connection to one office (Session) and
// guarded(), which runs one call to the office under a deadline and turns
// every exception into a failure value.
//
// Deadline: a watchdog thread waits while a call is in progress; when the
// call overruns the session's bound, or is broken off at once (中止, the
// program's end: breakOff), it runs the session's expiry action. That action
// ends our own office's process group, by proof, unless the office may hold
// books of the user's: then, as for an office we did not start, only our
// connection is dropped and the office is left running. The blocked call
// then returns with an exception and fails: Cancelled when the work was
// cancelled, NoAnswer when the office was left to the user, else
// ApplicationFailed. The session counts as dead, so the next bind connects
// anew.
//
// A call of cancelled work is refused before it reaches the office, except
// the calls that release what the work holds (closing a book, screen
// updating back on): CallKind::Release.
//
// A DisposedException or RuntimeException alone does not condemn the office:
// a document the user closed raises it too. The session is dead only when the
// desktop no longer answers.

#include "excel/result.h"

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kpv::excel::uno {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

OUString ou(const QString &s);
QString qs(const OUString &s);
OUString name(const char *ascii);
css::beans::PropertyValue prop(const char *name, const Any &value);
template <class T>
Any any(const T &v)
{
    return Any(v);
}

// Runs an action when a call stays armed past its deadline.
class Watchdog {
public:
    explicit Watchdog(std::function<void()> onExpiry);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    void arm(std::chrono::milliseconds bound);
    // Disarms; true when the deadline passed (and the action ran) meanwhile.
    bool disarm();
    // Runs the action now when a call is armed (the deadline brought
    // forward); false when no call was in progress.
    bool fireNow();

private:
    void run();

    std::function<void()> m_onExpiry;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_fired = false;
    bool m_stop = false;
    std::thread m_thread; // started on the first arm
};

// Why a call was ended before it answered.
enum class BreakReason { None, Deadline, Cancelled, Ending };

// One connection to one office. Workbooks share it; once dead, every call on
// it fails at once.
struct Session {
    Session(std::function<void()> onExpiry, int callTimeoutMs)
        : watchdog(std::move(onExpiry)), callTimeoutMs(callTimeoutMs)
    {
    }

    Reference<css::uno::XComponentContext> context;
    Reference<css::frame::XDesktop2> desktop;
    Reference<css::connection::XConnection> connection;
    std::atomic<bool> dead{false};
    Watchdog watchdog;
    std::atomic<int> callTimeoutMs;
    int depth = 0; // calls nest (a release inside a call): only the outer one is timed
    // Whether the work making the calls was cancelled (asked before each call).
    std::function<bool()> cancelled;
    // Set when the program shows a book: from then on the office may hold
    // books of the user's and is never ended by a deadline (see above).
    // Shared by every session of one office object; null for a headless one.
    std::shared_ptr<std::atomic<bool>> usersBooks;
    std::atomic<int> breakReason{int(BreakReason::None)};
    std::atomic<bool> leftToUser{false}; // the expiry dropped the connection and left the office running

    // Whether the office still answers (a desktop call under the deadline).
    bool answers();
    // Ends the call in progress now (see above); false when none was.
    bool breakOff(BreakReason reason);
    // Marks the office as one the user may hold books in.
    void handedToUser()
    {
        if (usersBooks) usersBooks->store(true);
    }
};

enum class CallKind {
    Work,    // refused once the work is cancelled
    Release, // releases what the work holds: made also after a cancel
};

// Runs f as one call to the office (see above). Never throws.
Status guarded(Session *session, const char *what, const std::function<void()> &f, CallKind kind = CallKind::Work);

} // namespace kpv::excel::uno
