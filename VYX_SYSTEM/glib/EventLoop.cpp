// The event-loop seam on GLib's default main context (the context GTK runs, so the window and the
// waits share one loop; it needs no display, so tests run the same loop headless).
//
// Implements: waits that sleep in g_main_context_iteration until the deadline or the next event,
// bounded dispatch of pending events, periodic timers as GSources (ids are the source ids), the
// monotonic tick count, and a cross-thread wake through g_main_context_wakeup.
// Does not implement: running or quitting the application's main loop (GTK does that), timers on
// other threads' contexts.
#include "EventLoop.h"

#include <glib.h>

#include <unordered_map>

namespace {

// Intervals below the smallest one the program was written for would let one timer crowd out
// every other event.
const unsigned kMinimumIntervalMs = 10;
// More dispatch rounds than any burst of real events needs; bounds dispatchPending() when a source
// is always ready.
const int kMaxPendingRounds = 1000;

GMainContext* context() {
    return g_main_context_default();
}

// The context is made before main, hence before any thread that may call wake() is started: thread
// start then orders its creation before that thread's use also for tools that cannot see GLib's
// own once-initialisation (the thread sanitizer).
[[maybe_unused]] GMainContext* const contextAtStart = context();

// The deadline of one wait: a source that becomes ready at the deadline and only ends the poll.
gboolean deadlineDispatch(GSource* source, GSourceFunc, gpointer) {
    g_source_set_ready_time(source, -1);
    return G_SOURCE_CONTINUE;
}
GSourceFuncs deadlineFuncs = {nullptr, nullptr, deadlineDispatch, nullptr, nullptr, nullptr};

struct TimerSource {
    GSource base;
    unsigned intervalMs;
    EventLoop::TimerCallback* callback;
};

gboolean timerDispatch(GSource* source, GSourceFunc, gpointer) {
    auto* timer = reinterpret_cast<TimerSource*>(source);
    // The next tick is due one interval from now, set before the callback runs: a callback that
    // waits then sees its own timer tick again at the interval instead of at once and forever.
    g_source_set_ready_time(source, g_get_monotonic_time() + gint64(timer->intervalMs) * 1000);
    // A copy, so that killing the timer inside the callback cannot pull the function from under it.
    EventLoop::TimerCallback callback = *timer->callback;
    callback(g_source_get_id(source), EventLoop::tickCount());
    return G_SOURCE_CONTINUE;
}
void timerFinalize(GSource* source) {
    auto* timer = reinterpret_cast<TimerSource*>(source);
    delete timer->callback;
    timer->callback = nullptr;
}
GSourceFuncs timerFuncs = {nullptr, nullptr, timerDispatch, timerFinalize, nullptr, nullptr};

// The running timers by id, each holding one reference to its source. User-interface thread only.
std::unordered_map<unsigned, GSource*>& timers() {
    static auto* map = new std::unordered_map<unsigned, GSource*>();
    return *map;
}

bool run(unsigned ms, const std::function<bool()>* done) {
    if (done && (*done)()) return true;
    if (ms == 0) return false;
    const gint64 deadline = g_get_monotonic_time() + gint64(ms) * 1000;
    GSource* deadlineSource = g_source_new(&deadlineFuncs, sizeof(GSource));
    g_source_set_ready_time(deadlineSource, deadline);
    g_source_attach(deadlineSource, context());
    bool reached = false;
    while (g_get_monotonic_time() < deadline) {
        g_main_context_iteration(context(), TRUE);
        if (done && (*done)()) {
            reached = true;
            break;
        }
    }
    g_source_destroy(deadlineSource);
    g_source_unref(deadlineSource);
    return reached;
}

}  // namespace

namespace EventLoop {

unsigned tickCount() {
    return unsigned(g_get_monotonic_time() / 1000);
}

void wait(unsigned ms) {
    run(ms, nullptr);
}

bool waitUntil(unsigned ms, const std::function<bool()>& done) {
    return run(ms, &done);
}

int dispatchPending() {
    int rounds = 0;
    while (rounds < kMaxPendingRounds && g_main_context_iteration(context(), FALSE))
        ++rounds;
    return rounds;
}

unsigned setTimer(unsigned intervalMs, TimerCallback callback) {
    if (intervalMs < kMinimumIntervalMs) intervalMs = kMinimumIntervalMs;
    GSource* source = g_source_new(&timerFuncs, sizeof(TimerSource));
    auto* timer = reinterpret_cast<TimerSource*>(source);
    timer->intervalMs = intervalMs;
    timer->callback = new TimerCallback(std::move(callback));
    g_source_set_can_recurse(source, TRUE);
    g_source_set_ready_time(source, g_get_monotonic_time() + gint64(intervalMs) * 1000);
    const unsigned id = g_source_attach(source, context());
    timers()[id] = source;
    return id;
}

bool killTimer(unsigned timerId) {
    auto it = timers().find(timerId);
    if (it == timers().end()) return false;
    GSource* source = it->second;
    timers().erase(it);
    g_source_destroy(source);
    g_source_unref(source);
    return true;
}

void wake() {
    g_main_context_wakeup(context());
}

}  // namespace EventLoop
