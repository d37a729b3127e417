#include "excel/work_thread.h"

#include <QtGlobal>

#include <exception>

namespace kpv::excel {

void Job::step(const QString &what)
{
    std::unique_lock lock(m_mutex);
    if (m_state.step == what) return;
    m_state.step = what;
    m_state.done = m_state.total = 0;
    changed(lock);
}

void Job::count(int done, int total)
{
    std::unique_lock lock(m_mutex);
    if (m_state.done == done && m_state.total == total) return;
    m_state.done = done;
    m_state.total = total;
    changed(lock);
}

bool Job::cancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_state.cancelled;
}

Job::State Job::state() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

void Job::setOnChange(std::function<void()> onChange)
{
    std::lock_guard notify(m_notifyMutex);
    std::lock_guard lock(m_mutex);
    m_onChange = std::move(onChange);
}

bool Job::waitFinished(int ms) const
{
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_state.finished; });
}

void Job::markStarted()
{
    std::unique_lock lock(m_mutex);
    m_state.started = true;
    changed(lock);
}

void Job::markCancelled()
{
    std::unique_lock lock(m_mutex);
    if (m_state.cancelled || m_state.finished) return;
    m_state.cancelled = true;
    changed(lock);
}

void Job::markFinished()
{
    std::unique_lock lock(m_mutex);
    m_state.finished = true;
    m_done.notify_all();
    changed(lock);
}

void Job::changed(std::unique_lock<std::mutex> &lock)
{
    lock.unlock();
    std::lock_guard notify(m_notifyMutex);
    std::function<void()> call;
    {
        std::lock_guard again(m_mutex);
        call = m_onChange;
    }
    if (call) call();
}

// ---------------------------------------------------------------------------

WorkThread::WorkThread(std::function<void()> breakOff, int graceMs) : m_breakOff(std::move(breakOff)), m_graceMs(graceMs) {}

WorkThread::~WorkThread()
{
    stop(kStopBoundMs);
}

std::shared_ptr<Job> WorkThread::post(const QString &firstStep, std::function<void(Progress &)> work)
{
    auto job = std::make_shared<Job>(firstStep);
    {
        std::lock_guard lock(m_mutex);
        if (!m_stopping) {
            m_queue.push_back({job, std::move(work)});
            if (!m_thread.joinable()) {
                m_running = true;
                m_thread = std::thread([this] { run(); });
                m_id = m_thread.get_id();
            }
            m_wake.notify_all();
            return job;
        }
    }
    // The program is ending: the work never runs.
    job->markCancelled();
    job->markFinished();
    return job;
}

void WorkThread::run()
{
    for (;;) {
        Entry entry;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty()) break;
            entry = std::move(m_queue.front());
            m_queue.pop_front();
            m_current = entry.job;
        }
        entry.job->markStarted();
        if (!entry.job->cancelled()) {
            try {
                entry.work(*entry.job);
            } catch (const std::exception &e) {
                qWarning("office work failed: %s", e.what());
            } catch (...) {
                qWarning("office work failed");
            }
        }
        {
            std::lock_guard lock(m_mutex);
            m_current.reset();
            if (m_breakAfterGrace == entry.job) m_breakAfterGrace.reset();
        }
        entry.job->markFinished();
    }
    std::lock_guard lock(m_mutex);
    m_running = false;
    m_ended.notify_all();
}

void WorkThread::cancel(const std::shared_ptr<Job> &job)
{
    if (!job) return;
    job->markCancelled();
    bool dropped = false;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_queue.begin(); it != m_queue.end(); ++it)
            if (it->job == job) {
                m_queue.erase(it);
                dropped = true;
                break;
            }
        if (!dropped && m_current == job) {
            m_breakAfterGrace = job;
            m_graceEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_graceMs);
            if (!m_overseer.joinable()) m_overseer = std::thread([this] { oversee(); });
            m_overseerWake.notify_all();
        }
    }
    if (dropped) job->markFinished();
}

void WorkThread::oversee()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_breakAfterGrace) {
            m_overseerWake.wait(lock);
            continue;
        }
        if (m_overseerWake.wait_until(lock, m_graceEnds) != std::cv_status::timeout) continue;
        if (m_breakAfterGrace && m_breakAfterGrace == m_current && std::chrono::steady_clock::now() >= m_graceEnds) {
            m_breakAfterGrace.reset();
            lock.unlock();
            if (m_breakOff) m_breakOff();
            lock.lock();
        }
    }
}

bool WorkThread::stop(int timeoutMs)
{
    std::shared_ptr<Job> running;
    std::deque<Entry> dropped;
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable() && !m_overseer.joinable()) {
            m_stopping = true;
            return true;
        }
        m_stopping = true;
        dropped.swap(m_queue);
        running = m_current;
        m_wake.notify_all();
        m_overseerWake.notify_all();
    }
    for (Entry &e : dropped) {
        e.job->markCancelled();
        e.job->markFinished();
    }
    if (running) {
        running->markCancelled();
        if (m_breakOff) m_breakOff();
    }
    if (m_overseer.joinable()) m_overseer.join();
    bool ended = true;
    {
        std::unique_lock lock(m_mutex);
        ended = m_ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !m_running; });
    }
    if (m_thread.joinable()) {
        if (ended) {
            m_thread.join();
        } else {
            qWarning("the office work did not end within %d ms; left to end on its own", timeoutMs);
            m_thread.detach();
        }
    }
    return ended;
}

bool WorkThread::onThread() const
{
    std::lock_guard lock(m_mutex);
    return m_thread.joinable() && std::this_thread::get_id() == m_id;
}

bool WorkThread::currentCancelled() const
{
    std::shared_ptr<Job> job;
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable() || std::this_thread::get_id() != m_id) return false;
        job = m_current;
    }
    return job && job->cancelled();
}

std::shared_ptr<Job> WorkThread::current() const
{
    std::lock_guard lock(m_mutex);
    return m_current;
}

QString WorkThread::stepShownFor(const std::shared_ptr<Job> &job) const
{
    const Job::State own = job->state();
    if (own.started || own.finished) return own.step;
    const std::shared_ptr<Job> running = current();
    return running ? running->state().step : own.step;
}

} // namespace kpv::excel
