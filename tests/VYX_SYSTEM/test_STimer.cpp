#include "EventLoop.h"
#include "STimer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {
// Only lower bounds on time; waits for a tick are long enough for a loaded machine.
const unsigned kLongWaitMs = 5000;

struct Tick {
    unsigned timerId;
    int firstValue;
    int secondValue;
};

class Client : public STimerEvent {
public:
    void onTimer(unsigned timerId, unsigned, int firstValue, int secondValue) override {
        ticks.push_back({timerId, firstValue, secondValue});
        if (onTick) onTick(timerId);
    }
    int ticksOf(unsigned timerId) const {
        int n = 0;
        for (const Tick& t : ticks)
            n += t.timerId == timerId;
        return n;
    }
    std::vector<Tick> ticks;
    std::function<void(unsigned)> onTick;
};

class SelfDeletingClient : public STimerEvent {
public:
    explicit SelfDeletingClient(bool& deleted) : deleted(deleted) {}
    void onTimer(unsigned, unsigned, int, int) override {
        deleted = true;
        delete this;
    }
    bool& deleted;
};

bool inTable(const STimer& timer, unsigned id) {
    return timer.getList().find(id).client != nullptr;
}

STimerListEntry entry(STimerEvent* client, unsigned id, int first, int second, int oneShot = 0) {
    STimerListEntry e;
    e.client = client;
    e.timerId = id;
    e.firstValue = first;
    e.secondValue = second;
    e.oneShot = oneShot;
    return e;
}

void expectEntry(const STimerListEntry& e, STimerEvent* client, unsigned id, int first, int second,
                 int oneShot) {
    EXPECT_EQ(e.client, client);
    EXPECT_EQ(e.timerId, id);
    EXPECT_EQ(e.firstValue, first);
    EXPECT_EQ(e.secondValue, second);
    EXPECT_EQ(e.oneShot, oneShot);
}
}  // namespace

TEST(STimerList, SetFindOverwriteRemoveKeepInsertionOrder) {
    Client a, b;
    STimerList list;
    expectEntry(list.find(7), nullptr, 0, 0, 0, 0);  // the empty entry for an unknown id

    EXPECT_EQ(list.set(7, entry(&a, 7, 1, 2)), 1);
    EXPECT_EQ(list.set(3, entry(&b, 3, 3, 4, 1)), 1);
    EXPECT_EQ(list.set(9, entry(&a, 9, 5, 6)), 1);
    EXPECT_EQ(list.set(3, entry(&a, 3, 30, 40)), 0);  // overwrite keeps the place
    ASSERT_EQ(list.getCount(), 3);
    expectEntry(list.find(3), &a, 3, 30, 40, 0);

    EXPECT_EQ(list.remove(42), 0);
    EXPECT_EQ(list.getCount(), 3);
    EXPECT_EQ(list.remove(7), 1);
    EXPECT_EQ(list.remove(7), 0);
    ASSERT_EQ(list.getCount(), 2);
    EXPECT_EQ(list.getIdAt(0), 3u);
    EXPECT_EQ(list.getIdAt(1), 9u);
    expectEntry(list.getEntryAt(1), &a, 9, 5, 6, 0);
    expectEntry(list.find(7), nullptr, 0, 0, 0, 0);
    EXPECT_EQ(list.getIdAt(2), 0u);
    expectEntry(list.getEntryAt(-1), nullptr, 0, 0, 0, 0);

    // A copy handed out is not the stored entry.
    STimerListEntry copy = list.find(9);
    copy.firstValue = 99;
    EXPECT_EQ(list.find(9).firstValue, 5);

    list.removeAll();
    EXPECT_EQ(list.getCount(), 0);
    expectEntry(list.find(3), nullptr, 0, 0, 0, 0);
}

TEST(STimerList, ArrayGrowsAndShrinksWithSlack) {
    STimerList list;
    EXPECT_EQ(list.getCapacity(), 0);
    const STimerListEntry e;
    list.set(1, e);
    EXPECT_EQ(list.getCapacity(), 102);  // count 1 + 101
    for (unsigned id = 2; id <= 101; ++id)
        list.set(id, e);
    EXPECT_EQ(list.getCapacity(), 102);  // 101 pairs still leave one spare
    list.set(102, e);
    EXPECT_EQ(list.getCapacity(), 203);
    for (unsigned id = 102; id >= 54; --id)
        list.remove(id);  // 53 left: 203 <= 53 + 150
    EXPECT_EQ(list.getCapacity(), 203);
    list.remove(53);  // 52 left: 203 > 52 + 150
    EXPECT_EQ(list.getCapacity(), 153);
    ASSERT_EQ(list.getCount(), 52);
    for (int i = 0; i < 52; ++i)
        EXPECT_EQ(list.getIdAt(i), unsigned(i + 1));
}

TEST(STimer, PeriodicTimersDeliverTheirValuesIndependently) {
    Client client;
    STimer& timer = globalTimer();
    const unsigned first = timer.startTimer(&client, 10, 11, 12);
    const unsigned second = timer.startTimer(&client, 10, 21, 22);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_TRUE(EventLoop::waitUntil(
        kLongWaitMs, [&] { return client.ticksOf(first) >= 2 && client.ticksOf(second) >= 2; }));
    for (const Tick& t : client.ticks) {
        if (t.timerId == first) {
            EXPECT_EQ(t.firstValue, 11);
            EXPECT_EQ(t.secondValue, 12);
        } else {
            EXPECT_EQ(t.timerId, second);
            EXPECT_EQ(t.firstValue, 21);
            EXPECT_EQ(t.secondValue, 22);
        }
    }
    expectEntry(timer.getList().find(second), &client, second, 21, 22, 0);

    timer.stopTimer(first);
    EXPECT_FALSE(inTable(timer, first));
    const int before = client.ticksOf(first);
    EventLoop::wait(60);
    EXPECT_EQ(client.ticksOf(first), before);
    EXPECT_GE(client.ticksOf(second), 2);
    timer.removeTimers(&client);
}

TEST(STimer, OneShotTimerCallsOnceAndLeavesTheTable) {
    Client client;
    STimer& timer = globalTimer();
    const unsigned id = timer.startTimer(&client, 10, 7, 8, 1);
    expectEntry(timer.getList().find(id), &client, id, 7, 8, 1);
    // The entry is gone before the client is called, so the client can start the next one.
    client.onTick = [&](unsigned timerId) { EXPECT_FALSE(inTable(timer, timerId)); };
    EXPECT_TRUE(EventLoop::waitUntil(kLongWaitMs, [&] { return !client.ticks.empty(); }));
    EventLoop::wait(60);
    ASSERT_EQ(client.ticks.size(), 1u);
    EXPECT_EQ(client.ticks[0].timerId, id);
    EXPECT_EQ(client.ticks[0].firstValue, 7);
    EXPECT_EQ(client.ticks[0].secondValue, 8);
    EXPECT_FALSE(inTable(timer, id));
    EXPECT_FALSE(EventLoop::killTimer(id));  // its loop timer is stopped as well
}

TEST(STimer, RemoveTimersSilencesOnlyThatClient) {
    Client gone, kept;
    STimer& timer = globalTimer();
    const int countBefore = timer.getList().getCount();
    const unsigned a = timer.startTimer(&gone, 10, 0, 0);
    const unsigned k = timer.startTimer(&kept, 10, 0, 0);
    const unsigned b = timer.startTimer(&gone, 10, 0, 0, 1);
    timer.removeTimers(&gone);
    EXPECT_FALSE(inTable(timer, a));
    EXPECT_FALSE(inTable(timer, b));
    EXPECT_TRUE(inTable(timer, k));
    EXPECT_EQ(timer.getList().getCount(), countBefore + 1);

    EXPECT_TRUE(EventLoop::waitUntil(kLongWaitMs, [&] { return kept.ticks.size() >= 3; }));
    EXPECT_TRUE(gone.ticks.empty());
    EXPECT_FALSE(EventLoop::killTimer(a));
    timer.removeTimers(&kept);
}

TEST(STimer, DestroyedClientsAreNeverCalled) {
    STimer& timer = globalTimer();
    const int countBefore = timer.getList().getCount();
    Client witness;
    timer.startTimer(&witness, 10, 0, 0);
    {
        auto client = std::make_unique<Client>();
        timer.startTimer(client.get(), 10, 0, 0);
        timer.startTimer(client.get(), 10, 0, 0, 1);
        EXPECT_EQ(timer.getList().getCount(), countBefore + 3);
    }
    EXPECT_EQ(timer.getList().getCount(), countBefore + 1);

    // A client that destroys itself inside its own tick.
    bool deleted = false;
    auto* selfDeleting = new SelfDeletingClient(deleted);
    timer.startTimer(selfDeleting, 10, 0, 0);
    timer.startTimer(selfDeleting, 10, 0, 0);
    EXPECT_TRUE(EventLoop::waitUntil(kLongWaitMs, [&] { return deleted; }));
    EXPECT_EQ(timer.getList().getCount(), countBefore + 1);

    // Only the witness is left ticking; the sanitizer builds see any call to a destroyed client.
    const size_t before = witness.ticks.size();
    EXPECT_TRUE(EventLoop::waitUntil(kLongWaitMs, [&] { return witness.ticks.size() >= before + 3; }));
}

TEST(STimer, TicksOfUnknownIdsAndOfADestroyedServiceCallNobody) {
    STimer& timer = globalTimer();
    const int countBefore = timer.getList().getCount();
    timer.onTick(0, 0);
    timer.onTick(123456, 0);
    EXPECT_EQ(timer.getList().getCount(), countBefore);

    Client client;
    unsigned id = 0;
    {
        STimer local;
        id = local.startTimer(&client, 10, 0, 0);
        EXPECT_TRUE(inTable(local, id));
    }
    EXPECT_FALSE(EventLoop::killTimer(id));  // the service's destruction stopped its loop timer
    EventLoop::wait(60);
    EXPECT_TRUE(client.ticks.empty());
}

TEST(STimer, ClassNames) {
    Client client;
    STimerEvent& base = client;
    EXPECT_STREQ(STimerListEntry().getClassName(), "STimerListEntry");
    EXPECT_STREQ(STimerList().getClassName(), "STimerList");
    EXPECT_STREQ(globalTimer().getClassName(), "STimer");
    EXPECT_STREQ(base.getClassName(), "STimerEvent");
}
