#include "EventLoop.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// The machine is shared and noisy: only lower bounds and generous upper bounds on time.
namespace {
const unsigned kGenerousMs = 5000;

unsigned elapsedSince(unsigned start) {
    return EventLoop::tickCount() - start;
}

// Kills the timers a test set, also when an assertion ends the test early.
struct Timers {
    std::vector<unsigned> ids;
    unsigned set(unsigned ms, EventLoop::TimerCallback callback) {
        ids.push_back(EventLoop::setTimer(ms, std::move(callback)));
        return ids.back();
    }
    ~Timers() {
        for (unsigned id : ids)
            EventLoop::killTimer(id);
    }
};
}  // namespace

TEST(EventLoop, WaitLastsAtLeastItsTime) {
    for (unsigned ms : {0u, 1u, 20u, 120u}) {
        const auto wallStart = std::chrono::steady_clock::now();
        const unsigned start = EventLoop::tickCount();
        EventLoop::wait(ms);
        const unsigned elapsed = elapsedSince(start);
        const auto wall = std::chrono::steady_clock::now() - wallStart;
        EXPECT_GE(elapsed, ms) << ms;
        EXPECT_GE(wall, std::chrono::milliseconds(ms)) << ms;
        EXPECT_LT(elapsed, ms + kGenerousMs) << ms;
    }
}

TEST(EventLoop, WaitUntilEndsOnItsConditionOrAfterItsTime) {
    unsigned start = EventLoop::tickCount();
    EXPECT_TRUE(EventLoop::waitUntil(10000, [] { return true; }));
    EXPECT_LT(elapsedSince(start), kGenerousMs);

    start = EventLoop::tickCount();
    EXPECT_FALSE(EventLoop::waitUntil(80, [] { return false; }));
    EXPECT_GE(elapsedSince(start), 80u);

    // A condition that an event makes true ends the wait after that event.
    Timers timers;
    int ticks = 0;
    start = EventLoop::tickCount();
    timers.set(10, [&](unsigned, unsigned) { ++ticks; });
    EXPECT_TRUE(EventLoop::waitUntil(10000, [&] { return ticks >= 3; }));
    EXPECT_EQ(ticks, 3);
    EXPECT_GE(elapsedSince(start), 30u);
}

TEST(EventLoop, TicksArriveOnlyWhileTheLoopDispatches) {
    Timers timers;
    int ticks = 0;
    unsigned seenId = 0, seenTime = 0;
    const unsigned id = timers.set(100, [&](unsigned timerId, unsigned time) {
        ++ticks;
        seenId = timerId;
        seenTime = time;
    });
    ASSERT_NE(id, 0u);

    const unsigned before = EventLoop::tickCount();
    usleep(250 * 1000);  // not dispatching: the tick stays pending
    EXPECT_EQ(ticks, 0);
    EXPECT_GE(EventLoop::dispatchPending(), 1);
    EXPECT_EQ(ticks, 1);  // a timer overdue by several intervals ticks once, not once per interval
    EXPECT_EQ(seenId, id);
    EXPECT_GE(seenTime - before, 250u);
    EXPECT_LE(seenTime - before, EventLoop::tickCount() - before);

    // Nothing due: returns at once without blocking.
    const unsigned start = EventLoop::tickCount();
    EXPECT_EQ(EventLoop::dispatchPending(), 0);
    EXPECT_EQ(ticks, 1);
    EXPECT_LT(elapsedSince(start), kGenerousMs);
}

TEST(EventLoop, TimersTickDuringWaitsAndStopWhenKilled) {
    Timers timers;
    int fast = 0, slow = 0, selfKilled = 0;
    const unsigned fastId = timers.set(15, [&](unsigned, unsigned) { ++fast; });
    timers.set(60, [&](unsigned, unsigned) { ++slow; });
    timers.set(10, [&](unsigned id, unsigned) {
        ++selfKilled;
        EXPECT_TRUE(EventLoop::killTimer(id));
    });

    const unsigned start = EventLoop::tickCount();
    EventLoop::wait(400);
    const unsigned elapsed = elapsedSince(start);
    EXPECT_GE(fast, 1);
    EXPECT_LE(fast, int(elapsed / 15) + 1);  // each tick is at least one interval after the one before
    EXPECT_GE(slow, 1);
    EXPECT_LE(slow, int(elapsed / 60) + 1);
    EXPECT_EQ(selfKilled, 1);

    EXPECT_TRUE(EventLoop::killTimer(fastId));
    EXPECT_FALSE(EventLoop::killTimer(fastId));
    EXPECT_FALSE(EventLoop::killTimer(0));
    const int fastBefore = fast;
    EventLoop::wait(100);
    EXPECT_EQ(fast, fastBefore);
    EXPECT_GE(slow, 1);
}

TEST(EventLoop, WakeFromAnotherThreadEndsAWaitEarly) {
    for (int round = 0; round < 3; ++round) {
        std::atomic<bool> arrived{false};
        const unsigned start = EventLoop::tickCount();
        std::thread reader([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            arrived = true;
            EventLoop::wake();
        });
        const bool woken = EventLoop::waitUntil(30000, [&] { return arrived.load(); });
        const unsigned elapsed = elapsedSince(start);
        reader.join();
        EXPECT_TRUE(woken);
        EXPECT_LT(elapsed, kGenerousMs) << "the wait slept through the wake";
    }
    // A wake while nobody waits is harmless, and a later wait still lasts its time.
    EventLoop::wake();
    const unsigned start = EventLoop::tickCount();
    EventLoop::wait(50);
    EXPECT_GE(elapsedSince(start), 50u);
}

TEST(EventLoop, WaitsNestInsideTimerCallbacks) {
    Timers timers;
    int outerTicks = 0, otherTicks = 0, otherTicksInside = 0, reentered = 0;
    bool inside = false, innerDone = false;
    unsigned innerElapsed = 0;
    timers.set(10, [&](unsigned id, unsigned) {
        ++outerTicks;
        if (inside) {  // the same timer ticks again while its first callback waits
            ++reentered;
            return;
        }
        if (innerDone) return;
        inside = true;
        const int otherBefore = otherTicks;
        const unsigned start = EventLoop::tickCount();
        EventLoop::wait(250);
        innerElapsed = EventLoop::tickCount() - start;
        otherTicksInside = otherTicks - otherBefore;
        inside = false;
        innerDone = true;
        EventLoop::killTimer(id);
    });
    timers.set(20, [&](unsigned, unsigned) { ++otherTicks; });

    // The outer wait's time runs out inside the nested wait; it returns once that one is done.
    const unsigned start = EventLoop::tickCount();
    EventLoop::wait(50);
    const unsigned outerElapsed = elapsedSince(start);

    EXPECT_TRUE(innerDone);
    EXPECT_GE(innerElapsed, 250u);
    EXPECT_GE(outerElapsed, innerElapsed);
    EXPECT_GE(otherTicksInside, 1);
    EXPECT_GE(reentered, 1);
    EXPECT_LT(outerElapsed, 250u + kGenerousMs);
}
