#pragma once

#include <functional>

// The event-loop seam: what the classes need of the user-interface thread's message loop.
//
// Everything here runs on the user-interface thread (the thread that runs the loop), except
// wake(), which any thread may call. Waits dispatch events (timer ticks, window and browser events)
// while they wait and sleep in between; they never spin. Waits nest: an event handled inside a wait
// may wait again, and the outer wait returns once the inner one is done and its own time is up.
namespace EventLoop {

// Milliseconds of a monotonic clock with an arbitrary origin; wraps around at 2^32 like the
// system tick count, so compare tick counts by unsigned difference only.
unsigned tickCount();

// Runs the loop for ms milliseconds, dispatching events as they come. 0 returns at once.
void wait(unsigned ms);

// Runs the loop like wait(ms) but returns as soon as done() is true; done() is asked before the
// first event and again after every event and every wake(). Returns true when done() ended the
// wait, false when the time ran out. This is the wait for data that another thread delivers: the
// other thread makes done() true and then calls wake().
bool waitUntil(unsigned ms, const std::function<bool()>& done);

// Dispatches the events that are ready now, without blocking. Returns how many dispatch rounds ran
// (0: nothing was pending). Stops after a bounded number of rounds so that an event source that is
// always ready cannot hold the caller forever.
int dispatchPending();

// A periodic thread timer: callback(timerId, tickCount at the tick) runs on the user-interface
// thread every intervalMs while the loop dispatches (intervals below 10 ms count as 10 ms). Ticks
// keep coming while an earlier tick's callback is itself waiting, so a callback can be entered again.
// Returns the timer id, never 0.
using TimerCallback = std::function<void(unsigned timerId, unsigned time)>;
unsigned setTimer(unsigned intervalMs, TimerCallback callback);

// Ends the timer: no further ticks. Allowed inside its own callback. Returns false for an id that is
// not a running timer (never set, or killed already).
bool killTimer(unsigned timerId);

// Wakes the loop from any thread, so that a waitUntil() looks at its condition again at once.
void wake();

}  // namespace EventLoop
