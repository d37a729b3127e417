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

WorkThread::WorkThread(std::function<void()> breakOff, int graceMs) : m_s(std::make_shared<Shared>())
{
    m_s->breakOff = std::move(breakOff);
    m_s->graceMs = graceMs;
}

WorkThread::~WorkThread()
{
    stop(kStopBoundMs);
}

std::shared_ptr<Job> WorkThread::post(const QString &firstStep, std::function<void(Progress &)> work)
{
    auto job = std::make_shared<Job>(firstStep);
    {
        std::lock_guard lock(m_s->mutex);
        if (!m_s->stopping) {
            m_s->queue.push_back({job, std::move(work)});
            if (!m_thread.joinable()) {
                m_s->running = true;
                m_thread = std::thread([s = m_s] { run(s); });
                m_s->id = m_thread.get_id();
            }
            m_s->wake.notify_all();
            return job;
        }
    }
    // The program is ending: the work never runs.
    job->markCancelled();
    job->markFinished();
    return job;
}

void WorkThread::run(const std::shared_ptr<Shared> &s)
{
    for (;;) {
        Entry entry;
        {
            std::unique_lock lock(s->mutex);
            s->wake.wait(lock, [&] { return s->stopping || !s->queue.empty(); });
            if (s->queue.empty()) break;
            entry = std::move(s->queue.front());
            s->queue.pop_front();
            s->current = entry.job;
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
        entry.work = nullptr; // what it captured goes before the job is seen to end
        {
            std::lock_guard lock(s->mutex);
            s->current.reset();
            if (s->breakAfterGrace == entry.job) s->breakAfterGrace.reset();
        }
        entry.job->markFinished();
    }
    std::lock_guard lock(s->mutex);
    s->running = false;
    s->ended.notify_all();
}

void WorkThread::cancel(const std::shared_ptr<Job> &job)
{
    if (!job) return;
    job->markCancelled();
    bool dropped = false;
    {
        std::lock_guard lock(m_s->mutex);
        for (auto it = m_s->queue.begin(); it != m_s->queue.end(); ++it)
            if (it->job == job) {
                m_s->queue.erase(it);
                dropped = true;
                break;
            }
        if (!dropped && m_s->current == job) {
            m_s->breakAfterGrace = job;
            m_s->graceEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_s->graceMs);
            if (!m_overseer.joinable()) m_overseer = std::thread([s = m_s] { oversee(s); });
            m_s->overseerWake.notify_all();
        }
    }
    if (dropped) job->markFinished();
}

void WorkThread::oversee(const std::shared_ptr<Shared> &s)
{
    std::unique_lock lock(s->mutex);
    while (!s->stopping) {
        if (!s->breakAfterGrace) {
            s->overseerWake.wait(lock);
            continue;
        }
        if (s->overseerWake.wait_until(lock, s->graceEnds) != std::cv_status::timeout) continue;
        if (s->breakAfterGrace && s->breakAfterGrace == s->current && std::chrono::steady_clock::now() >= s->graceEnds) {
            s->breakAfterGrace.reset();
            lock.unlock();
            if (s->breakOff) s->breakOff();
            lock.lock();
        }
    }
}

bool WorkThread::stop(int timeoutMs)
{
    std::shared_ptr<Job> running;
    std::deque<Entry> dropped;
    {
        std::lock_guard lock(m_s->mutex);
        m_s->stopping = true;
        if (!m_thread.joinable() && !m_overseer.joinable()) return true;
        dropped.swap(m_s->queue);
        running = m_s->current;
        m_s->wake.notify_all();
        m_s->overseerWake.notify_all();
    }
    for (Entry &e : dropped) {
        e.job->markCancelled();
        e.job->markFinished();
    }
    if (running) {
        running->markCancelled();
        if (m_s->breakOff) m_s->breakOff();
    }
    if (m_overseer.joinable()) m_overseer.join();
    bool ended = true;
    {
        std::unique_lock lock(m_s->mutex);
        ended = m_s->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !m_s->running; });
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
    std::lock_guard lock(m_s->mutex);
    return m_s->running && std::this_thread::get_id() == m_s->id;
}

bool WorkThread::currentCancelled() const
{
    std::shared_ptr<Job> job;
    {
        std::lock_guard lock(m_s->mutex);
        if (!m_s->running || std::this_thread::get_id() != m_s->id) return false;
        job = m_s->current;
    }
    return job && job->cancelled();
}

std::shared_ptr<Job> WorkThread::current() const
{
    std::lock_guard lock(m_s->mutex);
    return m_s->current;
}

QString WorkThread::stepShownFor(const std::shared_ptr<Job> &job) const
{
    const Job::State own = job->state();
    if (own.started || own.finished) return own.step;
    std::shared_ptr<Job> ahead;
    {
        std::lock_guard lock(m_s->mutex);
        ahead = m_s->current;
        if (!ahead && !m_s->queue.empty() && m_s->queue.front().job != job) ahead = m_s->queue.front().job;
    }
    return ahead ? ahead->state().step : own.step;
}

} // namespace kpv::excel
