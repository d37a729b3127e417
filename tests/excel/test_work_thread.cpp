// The thread the program's office work runs on, without an office: jobs run
// in order on a thread of their own; 中止 drops a job that has not started
// and breaks off one that does not stop within the grace period; the end is
// bounded; the background start is wanted only where a user sees windows.

#include "excel/libreoffice.h"
#include "excel/work_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace kpv::excel;
using namespace std::chrono_literals;

namespace {

// A job that waits until it is released (or a bound passes).
struct Gate {
    std::atomic<bool> open{false};
    void wait(std::chrono::milliseconds bound = 10s)
    {
        const auto end = std::chrono::steady_clock::now() + bound;
        while (!open && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(2ms);
    }
};

} // namespace

TEST(WorkThread, JobsRunInOrderOnAThreadOfTheirOwn)
{
    WorkThread thread([] {});
    std::mutex m;
    std::vector<int> order;
    std::vector<std::thread::id> ids;
    std::vector<std::shared_ptr<Job>> jobs;
    for (int i = 0; i < 5; ++i)
        jobs.push_back(thread.post(QStringLiteral("job %1").arg(i), [&, i](Progress &p) {
            p.count(i, 5);
            std::lock_guard lock(m);
            order.push_back(i);
            ids.push_back(std::this_thread::get_id());
        }));
    for (auto &j : jobs) ASSERT_TRUE(j->waitFinished(5000));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    for (auto id : ids) {
        EXPECT_EQ(id, ids.front());
        EXPECT_NE(id, std::this_thread::get_id());
    }
    EXPECT_EQ(jobs[3]->state().done, 3);
    EXPECT_EQ(jobs[3]->state().total, 5);
    EXPECT_FALSE(thread.onThread());
}

TEST(WorkThread, AJobWaitingItsTurnShowsTheStepOfTheOneAheadAndCancelledNeverRuns)
{
    std::atomic<int> breaks{0};
    WorkThread thread([&] { ++breaks; }, 200);
    Gate gate;
    auto first = thread.post(QStringLiteral("起動しています"), [&](Progress &) { gate.wait(); });
    std::atomic<bool> ran{false};
    auto second = thread.post(QStringLiteral("書き込んでいます"), [&](Progress &) { ran = true; });
    EXPECT_EQ(thread.stepShownFor(second), QStringLiteral("起動しています"));
    thread.cancel(second);
    EXPECT_TRUE(second->state().finished);
    EXPECT_TRUE(second->state().cancelled);
    gate.open = true;
    ASSERT_TRUE(first->waitFinished(5000));
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(ran);
    EXPECT_EQ(breaks, 0) << "nothing was running for it";
}

TEST(WorkThread, ARunningJobSeesTheCancelAndIsBrokenOffOnlyAfterTheGrace)
{
    std::atomic<int> breaks{0};
    Gate stuck;
    WorkThread thread(
        [&] {
            ++breaks;
            stuck.open = true; // the office call returns once broken off
        },
        300);
    // A job that stops by itself at the cancel: never broken off.
    std::atomic<bool> sawCancel{false};
    auto polite = thread.post(QString(), [&](Progress &p) {
        while (!p.cancelled()) std::this_thread::sleep_for(2ms);
        sawCancel = thread.currentCancelled();
    });
    std::this_thread::sleep_for(50ms);
    thread.cancel(polite);
    ASSERT_TRUE(polite->waitFinished(2000));
    EXPECT_TRUE(sawCancel);
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(breaks, 0);

    // A job stuck in a call: broken off when the grace has passed.
    auto hung = thread.post(QString(), [&](Progress &) { stuck.wait(); });
    std::this_thread::sleep_for(50ms);
    const auto t0 = std::chrono::steady_clock::now();
    thread.cancel(hung);
    ASSERT_TRUE(hung->waitFinished(3000));
    const auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(breaks, 1);
}

TEST(WorkThread, StopBreaksOffAtOnceDropsTheQueueAndIsBounded)
{
    std::atomic<int> breaks{0};
    Gate stuck;
    auto thread = std::make_unique<WorkThread>(
        [&] {
            ++breaks;
            stuck.open = true;
        },
        60000);
    auto running = thread->post(QString(), [&](Progress &) { stuck.wait(); });
    std::atomic<bool> ran{false};
    auto queued = thread->post(QString(), [&](Progress &) { ran = true; });
    std::this_thread::sleep_for(50ms);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(thread->stop(2000));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
    EXPECT_EQ(breaks, 1);
    EXPECT_TRUE(running->state().cancelled);
    EXPECT_TRUE(queued->state().finished);
    EXPECT_FALSE(ran);
    // Work posted after the end never runs.
    auto late = thread->post(QString(), [&](Progress &) { ran = true; });
    EXPECT_TRUE(late->state().finished);
    thread.reset();
    EXPECT_FALSE(ran);

    // Work that does not return within the bound is left to end on its own.
    Gate never;
    WorkThread stubborn([] {}, 60000);
    auto job = stubborn.post(QString(), [&](Progress &) { never.wait(2s); });
    std::this_thread::sleep_for(50ms);
    const auto t1 = std::chrono::steady_clock::now();
    EXPECT_FALSE(stubborn.stop(300));
    EXPECT_LT(std::chrono::steady_clock::now() - t1, 1s);
    never.open = true;
    EXPECT_TRUE(job->waitFinished(3000));
}

TEST(WorkThread, TheOfficeStartsInTheBackgroundOnlyWhereAUserSeesWindows)
{
    struct Case {
        const char *platform;
        bool display, switchedOff;
        const char *env;
        bool starts;
    };
    const Case cases[] = {
        {"xcb", true, false, "", true},        {"wayland", true, false, "", true},
        {"xcb", false, false, "", false},      // no display named
        {"offscreen", true, false, "", false}, {"minimal", true, false, "", false},
        {"xcb", true, true, "", false},        // ClientSettings switches it off
        {"xcb", true, false, "0", false},      {"offscreen", false, false, "1", true},
        {"xcb", true, true, "1", false},       // the switch wins
    };
    for (const Case &c : cases)
        EXPECT_EQ(StartsInBackground(QString::fromLatin1(c.platform), c.display, c.switchedOff, QString::fromLatin1(c.env)),
                  c.starts)
            << c.platform << " " << c.display << " " << c.switchedOff << " " << c.env;
}
