#include "EndRequests.h"

#include "EventLoop.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

// A watched request does not end the process: the handler runs from the event loop, once per
// request.
TEST(EndRequests, EachSignalReachesTheHandlerFromTheLoop) {
    int calls = 0;
    EndRequests::watch([&] { ++calls; });
    int expected = 0;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ASSERT_EQ(::kill(::getpid(), signal), 0);
        // Not inside the signal handler: only when the loop dispatches.
        EXPECT_EQ(calls, expected);
        EXPECT_TRUE(EventLoop::waitUntil(5000, [&] { return calls == expected + 1; }));
        ++expected;
        EventLoop::wait(20);
        EXPECT_EQ(calls, expected);
    }
    EndRequests::watch(nullptr);
}

// The program ended by a request after it was given back dies of it, as without any watch.
TEST(EndRequests, GivenBackTheRequestEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EndRequests::watch([] {});
            EndRequests::watch(nullptr);
            ::kill(::getpid(), SIGTERM);
            EventLoop::wait(2000);
            ::_exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}
