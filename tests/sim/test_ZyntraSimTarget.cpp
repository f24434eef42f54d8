// The AVR target behind the SPI commands: programming enable, signature and the speed limit.
#include "SimTestSupport.h"

#include <cstdio>
#include <string>

using simtest::SimFixture;

namespace {

// The signature read of the program's SPI speed test, with "start" choosing the setting.
std::string signatureScript(const char* startIndex) {
    return std::string("m:main\rmode mm\rrst 00\rpwr 01\rm:spi\rstart ") + startIndex +
           "\rrst 01\rsend AC530000\rsend 30000200\rsend 30000100\rsend 30000000\rrst 00\rend";
}

const std::string kValid = "00AC5300!\r0030000F!\r00300095!\r0030001E!\r{00}OK\n";
const std::string kTooFast = "FFFFFFFF!\rFFFFFFFF!\rFFFFFFFF!\rFFFFFFFF!\r{00}OK\n";

}  // namespace

TEST_F(SimFixture, SignatureReadsOnlyAtSpeedsTheTargetFollows) {
    enterDexmode();
    // Default target: 250 kHz at most. spiSpeed v clocks 8 MHz >> v, spiSlow n 500 kHz / n;
    // unset settings run as 7 and 10.
    struct Case {
        const char* setting;  // "" leaves the settings as they are
        const char* start;
        bool follows;
    } cases[] = {
        {"", "00", true},
        {"", "01", true},
        {"spiSpeed 00", "00", false},
        {"spiSpeed 04", "00", false},
        {"spiSpeed 05", "00", true},
        {"spiSpeed 07", "00", true},
        {"spiSlow 01", "01", false},
        {"spiSlow 02", "01", true},
        {"spiSlow FE", "01", true},
    };
    for (const Case& c : cases) {
        if (*c.setting) {
            ASSERT_EQ(port->dex(std::string("m:main\rmode mm\rm:set\r") + c.setting), "{00}OK\n");
        }
        EXPECT_EQ(port->dex(signatureScript(c.start)), c.follows ? kValid : kTooFast) << c.setting;
    }
}

TEST_F(SimFixture, TargetAnswersLikeTheChipInEachState) {
    enterDexmode();
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        // Powered off, MISO is held low; running (reset released) the chip does not listen.
        {"pwr 00\rrst 01\rm:spi\rstart 00\rsend AC530000", "00000000!\r{00}OK\n"},
        {"pwr 01\rrst 00\rsend AC530000", "FFFFFFFF!\r{00}OK\n"},
        // After reset, reads without programming enable only echo what was shifted in.
        {"rst 01\rsend 30000000", "00300000!\r{00}OK\n"},
        // Bytes come back one byte late, also across instructions split over several sends.
        {"send AC53\rsend 0000\rsend 3000\rsend 0100", "00AC!\r5300!\r0030!\r0095!\r{00}OK\n"},
        {"send 50000000\rsend 58080000\rsend 30000300", "00500062!\r005808D9!\r003000FF!\r{00}OK\n"},
        {"send 123", "send?\r{03} SYNTAX ERROR\n"},
        {"send AC5300000000", "send?\r{03} SYNTAX ERROR\n"},
        {"end\rsend 30000000", "send?\r{06} SPI OFF ERROR\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(port->dex(c.line), c.answer) << c.line;
}

TEST_F(SimFixture, TargetFollowsItsOptionsAtRunTime) {
    enterDexmode();
    ZyntraSimOptions o = sim->options();
    o.targetSignature = {{0x1E, 0x93, 0x0B}};
    o.targetMaxSckHz = 8000000;
    sim->setOptions(o);
    ASSERT_EQ(port->dex("m:set\rspiSpeed 00"), "{00}OK\n");
    EXPECT_EQ(port->dex(signatureScript("00")), "00AC5300!\r0030000B!\r00300093!\r0030001E!\r{00}OK\n");
    o.targetPresent = false;
    sim->setOptions(o);
    EXPECT_EQ(port->dex(signatureScript("00")), kTooFast);
}
