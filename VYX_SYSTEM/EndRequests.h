#pragma once

#include <functional>

// The end-request seam: the system asking the program to end (on POSIX the signals SIGTERM,
// SIGINT and SIGHUP: a kill, Ctrl+C in the terminal it was started from, that terminal closed).
// Without a watch such a request ends the process at once, and nothing is cleaned up. With one,
// the handler runs on the user-interface thread from the event loop like any other event, so it
// may close windows and ports the normal way. One implementation file per platform
// (glib/EndRequests.cpp).
namespace EndRequests {

// From now on every end request calls handler (a later watch replaces an earlier handler); an
// empty handler gives the requests back to the system, which ends the process again.
void watch(std::function<void()> handler);

}  // namespace EndRequests
