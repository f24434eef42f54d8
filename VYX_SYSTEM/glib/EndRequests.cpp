// The end-request seam on GLib's default main context: g_unix_signal_add turns SIGTERM, SIGINT
// and SIGHUP into events of the loop the waits run, so the handler runs on the user-interface
// thread, inside whatever wait is dispatching (never inside the signal handler itself).
//
// Implements: watching the three signals, and giving them back to their default action.
// Does not implement: other signals (SIGQUIT keeps its core dump, SIGKILL cannot be caught).
#include "EndRequests.h"

#include <glib-unix.h>

#include <csignal>

namespace {

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::function<void()>& currentHandler() {
    static auto* handler = new std::function<void()>();
    return *handler;
}

guint sources[sizeof kSignals / sizeof kSignals[0]] = {};

gboolean onSignal(gpointer) {
    // A copy: the handler may watch again (or stop watching) while it runs.
    const std::function<void()> handler = currentHandler();
    if (handler) handler();
    return G_SOURCE_CONTINUE;
}

}  // namespace

namespace EndRequests {

void watch(std::function<void()> handler) {
    currentHandler() = std::move(handler);
    const bool wanted = static_cast<bool>(currentHandler());
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
        if (wanted && sources[i] == 0) sources[i] = g_unix_signal_add(kSignals[i], onSignal, nullptr);
        // The last source of a signal gone, GLib gives the signal its default action back.
        if (!wanted && sources[i] != 0) {
            g_source_remove(sources[i]);
            sources[i] = 0;
        }
    }
}

}  // namespace EndRequests
