#pragma once
// The one thread on which the program talks to its spreadsheet application,
// and the progress and cancellation of the work that runs there.
//
// The window thread never waits on the office: a screen posts its workbook
// work (an output, an import, a book to open) as a job, shows a progress
// window and keeps answering while the job runs here. Jobs run one at a time
// in the order they were posted; the office's start in the background is the
// first of them, so a workbook asked for meanwhile simply waits its turn.
//
// A job tells what is happening (step) and how far it is (count); the window
// reads that state whenever it changes. 中止 (cancel) marks the job: the
// office refuses every further call of a cancelled job (see Progress), so the
// work unwinds through its usual failure paths, and a call already in
// progress that does not end within the grace period is broken off (the
// office's breakOff: an office holding none of the user's books is ended,
// otherwise only our connection to it is dropped). A cancelled job changes
// nothing it had not finished: a book is stored whole or not at all.
//
// stop() ends the thread within a bound, whatever the office does: queued
// jobs are dropped, the running one is cancelled and broken off at once.
//
// Qt Core only; every member may be called from any thread.

#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kpv::excel {

// What a job reports, and whether it was cancelled.
class Progress {
public:
    virtual ~Progress() = default;
    // What is happening now ("在庫品を書き込んでいます").
    virtual void step(const QString &what) = 0;
    // How far: done of total (total 0: no count).
    virtual void count(int done, int total) = 0;
    virtual bool cancelled() const = 0;
};

// A Progress that reports nowhere and is never cancelled (tools, tests).
class NoProgress : public Progress {
public:
    void step(const QString &) override {}
    void count(int, int) override {}
    bool cancelled() const override { return false; }
};

// One posted piece of work.
class Job : public Progress {
public:
    struct State {
        QString step;
        int done = 0;
        int total = 0;
        bool started = false;
        bool cancelled = false;
        bool finished = false;
    };

    explicit Job(QString firstStep) { m_state.step = std::move(firstStep); }

    void step(const QString &what) override;
    void count(int done, int total) override;
    bool cancelled() const override;

    State state() const;
    // Called after every change, on the thread that made it (the window
    // posts a refresh of itself). Cleared with an empty function; the call
    // in progress, if any, has returned when this does.
    void setOnChange(std::function<void()> onChange);
    // Waits up to ms for the job to end; true when it has.
    bool waitFinished(int ms) const;

private:
    friend class WorkThread;
    void markStarted();
    void markCancelled();
    void markFinished();
    void changed(std::unique_lock<std::mutex> &lock);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_done;
    std::mutex m_notifyMutex; // held while onChange runs
    State m_state;
    std::function<void()> m_onChange;
};

class WorkThread {
public:
    // breakOff: ends the office call in progress at once (called on the
    // thread that cancels or stops, never on the work thread).
    explicit WorkThread(std::function<void()> breakOff, int graceMs = 1500);
    ~WorkThread(); // stop(kStopBoundMs)
    WorkThread(const WorkThread &) = delete;
    WorkThread &operator=(const WorkThread &) = delete;

    static constexpr int kStopBoundMs = 2000;

    // Queues work; the thread starts with the first job.
    std::shared_ptr<Job> post(const QString &firstStep, std::function<void(Progress &)> work);
    // 中止: the job is cancelled; still running after the grace period, its
    // office call is broken off. A job not started yet never runs.
    void cancel(const std::shared_ptr<Job> &job);
    // Ends the thread within timeoutMs (see above). True when it has ended;
    // false when the work did not return in time (the thread is then left
    // to end on its own and nothing here touches it again).
    bool stop(int timeoutMs);

    // Whether the caller runs on this thread.
    bool onThread() const;
    // Whether the job running now was cancelled (the office asks before
    // every call made on this thread).
    bool currentCancelled() const;
    // The job running now, or null.
    std::shared_ptr<Job> current() const;
    // The step shown for job: its own once it runs, else the one of the job
    // it waits for (the office's start, say).
    QString stepShownFor(const std::shared_ptr<Job> &job) const;

private:
    struct Entry {
        std::shared_ptr<Job> job;
        std::function<void(Progress &)> work;
    };
    // Everything the threads use, shared with them: a thread left to end on
    // its own (stop's bound passed) never touches a destroyed object.
    struct Shared {
        std::function<void()> breakOff;
        int graceMs = 0;
        std::mutex mutex;
        std::condition_variable wake;
        std::condition_variable ended;
        std::deque<Entry> queue;
        std::shared_ptr<Job> current;
        bool stopping = false;
        bool running = false; // the thread runs (or ran and has not returned)
        std::thread::id id;
        // The grace period of a cancel: the overseer breaks off a job that
        // is still running when it ends.
        std::shared_ptr<Job> breakAfterGrace;
        std::chrono::steady_clock::time_point graceEnds;
        std::condition_variable overseerWake;
    };
    static void run(const std::shared_ptr<Shared> &s);
    static void oversee(const std::shared_ptr<Shared> &s);

    std::shared_ptr<Shared> m_s;
    std::thread m_thread;
    std::thread m_overseer;
};

} // namespace kpv::excel
