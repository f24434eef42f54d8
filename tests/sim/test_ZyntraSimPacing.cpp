// Line pacing: at a set baud rate every byte takes its line time in both directions.
#include "SimTestSupport.h"

#include <chrono>
#include <string>

namespace {

class ZyntraSimPacing : public simtest::SimFixture {};

}  // namespace

// Only a lower bound is checked: a busy machine can make an exchange slower, never faster than the
// line allows.
TEST_F(ZyntraSimPacing, AnExchangeTakesAtLeastItsLineTime) {
    ZyntraSimOptions options;
    options.baud = 1200;  // 8.33 ms a byte
    startWith(options);
    enterDexmode();
    const std::string line = "m:main";
    const auto t0 = std::chrono::steady_clock::now();
    const std::string answer = port->dex(line);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(answer, "{00}OK\n");
    const double floorMs = double(line.size() + 1 + answer.size()) * 10.0 * 1000.0 / 1200.0;
    EXPECT_GE(ms, floorMs);
}

TEST_F(ZyntraSimPacing, AFramedCommandIsTakenOnlyAfterItsBytesCrossedTheLine) {
    ZyntraSimOptions options;
    options.baud = 1200;
    startWith(options);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    // Eight frame bytes in, eighteen answer bytes out, and the pause that ends the frame.
    EXPECT_GE(ms, (8 + 18) * 10.0 * 1000.0 / 1200.0 + options.frameIdleMs);
}
