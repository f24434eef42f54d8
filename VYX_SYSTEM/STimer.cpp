#include "STimer.h"

#include "EventLoop.h"

STimer::~STimer() {
    for (int i = 0; i < list.getCount(); ++i)
        EventLoop::killTimer(list.getIdAt(i));
    list.removeAll();
}

unsigned STimer::startTimer(STimerEvent* client, unsigned intervalMs, int firstValue, int secondValue,
                            int oneShot) {
    const unsigned id =
        EventLoop::setTimer(intervalMs, [this](unsigned timerId, unsigned time) { onTick(timerId, time); });
    // A refused timer would never tick, so it gets no entry either.
    if (id == 0) return 0;
    STimerListEntry entry;
    entry.client = client;
    entry.timerId = id;
    entry.firstValue = firstValue;
    entry.secondValue = secondValue;
    entry.oneShot = oneShot;
    list.set(id, entry);
    return id;
}

void STimer::stopTimer(unsigned timerId) {
    list.remove(timerId);
    EventLoop::killTimer(timerId);
}

void STimer::removeTimers(STimerEvent* client) {
    for (int i = list.getCount() - 1; i >= 0; --i) {
        if (list.getEntryAt(i).client != client) continue;
        const unsigned id = list.getIdAt(i);
        list.remove(id);
        EventLoop::killTimer(id);
    }
}

void STimer::onTick(unsigned timerId, unsigned time) {
    // A copy: the client may change the table (or destroy itself) inside onTimer.
    const STimerListEntry entry = list.find(timerId);
    if (!entry.client || entry.oneShot) stopTimer(timerId);
    if (entry.client) entry.client->onTimer(timerId, time, entry.firstValue, entry.secondValue);
}

STimer& globalTimer() {
    static STimer* timer = new STimer();
    return *timer;
}
