#include "LoopbackListener.h"
#include "SDebug.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(SDebugTest, OffUntilEnabledThenEveryLineArrivesWithCrLf) {
    LoopbackListener monitor;
    ASSERT_TRUE(monitor.ok());
    SDebug debug;
    debug.trace("vorher");
    EXPECT_FALSE(monitor.connectionPending(0));
    EXPECT_EQ(debug.getConnectionState(), SDebug::NOT_TRIED);

    debug.enable("localhost", monitor.port());
    debug.trace("SComPort::open(..) eins");
    debug.traceFormat("DieSeite::spiSpeedTest(..) Setze altes=%d", 7);
    debug.trace("");
    ASSERT_TRUE(monitor.acceptOne());
    std::string want = "SComPort::open(..) eins\r\nDieSeite::spiSpeedTest(..) Setze altes=7\r\n\r\n";
    EXPECT_EQ(monitor.read(want.size()), want);
    EXPECT_EQ(debug.getConnectionState(), SDebug::CONNECTED);
}

TEST(SDebugTest, FormattedLinesAreCutAt4999Characters) {
    LoopbackListener monitor;
    SDebug debug;
    debug.enable("127.0.0.1", monitor.port());
    debug.traceFormat("%s|", std::string(6000, 'x').c_str());
    ASSERT_TRUE(monitor.acceptOne());
    EXPECT_EQ(monitor.read(5001), std::string(4999, 'x') + "\r\n");
}

TEST(SDebugTest, FailedConnectionIsNeverRetried) {
    int port = LoopbackListener::freePort();
    SDebug debug;
    debug.enable("127.0.0.1", port);
    debug.trace("niemand hoert zu");
    EXPECT_EQ(debug.getConnectionState(), SDebug::FAILED);

    LoopbackListener lateMonitor(port);
    ASSERT_TRUE(lateMonitor.ok());
    debug.trace("zweite Zeile");
    debug.traceFormat("dritte %s", "Zeile");
    // A connection attempt would already wait in the listener's queue when trace returns.
    EXPECT_FALSE(lateMonitor.connectionPending(100));
    EXPECT_EQ(debug.getConnectionState(), SDebug::FAILED);
}

TEST(SDebugTest, TraceSettingValues) {
    struct Case {
        const char* value;
        bool on;
        const char* host;
        int port;
    } cases[] = {
        {nullptr, false, "", 0},
        {"", false, "", 0},
        {"1", true, "localhost", 5001},
        {"monitor.local:6000", true, "monitor.local", 6000},
        {"127.0.0.1:65535", true, "127.0.0.1", 65535},
        {"0", false, "", 0},
        {"monitor", false, "", 0},
        {":5001", false, "", 0},
        {"monitor:", false, "", 0},
        {"monitor:0", false, "", 0},
        {"monitor:65536", false, "", 0},
        {"monitor:50x", false, "", 0},
        {"monitor:+50", false, "", 0},
    };
    for (const Case& c : cases) {
        SString host;
        int port = 0;
        EXPECT_EQ(SDebug::parseSetting(c.value, host, port), c.on) << (c.value ? c.value : "(unset)");
        if (!c.on) continue;
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(port, c.port);
    }
}

// The only test here that touches the global channel: it reads VYX_TRACE once, when first used.
TEST(SDebugTest, GlobalChannelIsSwitchedOnByVyxTrace) {
    LoopbackListener monitor;
    std::string setting = "127.0.0.1:" + std::to_string(monitor.port());
    setenv("VYX_TRACE", setting.c_str(), 1);
    globalDebug().trace("global");
    unsetenv("VYX_TRACE");
    ASSERT_TRUE(monitor.acceptOne());
    EXPECT_EQ(monitor.read(8), "global\r\n");
    EXPECT_TRUE(globalDebug().isEnabled());
}
