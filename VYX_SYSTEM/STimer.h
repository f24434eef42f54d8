#pragma once

#include "STimerEvent.h"
#include "STimerList.h"

// The timer service: runs thread timers of the event loop for its clients and calls a client's
// onTimer with the two values it asked for on every tick. Ticks arrive on the user-interface thread
// while it dispatches events (the main loop, or a wait inside a serial read), so only that thread
// uses the service. There is exactly one instance in the program: globalTimer().
class STimer {
public:
    STimer() = default;
    STimer(const STimer&) = delete;
    STimer& operator=(const STimer&) = delete;
    // Stops every timer and drops its entry without calling any client.
    virtual ~STimer();
    virtual const char* getClassName() const { return "STimer"; }

    // Starts a timer of intervalMs for client and returns its id. A one-shot timer (oneShot
    // non-zero) reaches its client once and is then gone. A client may hold any number of timers.
    unsigned startTimer(STimerEvent* client, unsigned intervalMs, int firstValue, int secondValue,
                        int oneShot = 0);
    // Removes the entry of timerId and stops its timer.
    void stopTimer(unsigned timerId);
    // Removes and stops every timer of client, from the last entry to the first.
    void removeTimers(STimerEvent* client);

    // One tick of a timer: a one-shot entry is removed before its client is called; a tick of an id
    // without entry calls nobody and stops that timer.
    void onTick(unsigned timerId, unsigned time);

    const STimerList& getList() const { return list; }

private:
    STimerList list;
};

STimer& globalTimer();
