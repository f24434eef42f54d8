// The Vexo chips on the TWI bus: clock, temperature sensor with thermostat, EEPROM.
#include "SimTestSupport.h"

#include <regex>
#include <string>

using simtest::eventually;
using simtest::SimFixture;

TEST_F(SimFixture, ClockIsHaltedUntilSetThenRunsAcrossMidnight) {
    enterDexmode();
    ASSERT_EQ(port->dex("m:twi"), "{00}OK\n");
    // Power-on state: clock halt bit set in the seconds register.
    EXPECT_EQ(port->dex("w 68 00\rr 68 07"), "80000001010100!\r{00}OK\n");
    ASSERT_EQ(port->dex("w 68 0059592307311299"), "{00}OK\n");
    // Within a few seconds the clock passes midnight into 2000; the weekday counts on.
    std::string answer;
    EXPECT_TRUE(eventually([&] {
        answer = port->dex("w 68 00\rr 68 07");
        return answer.compare(2, 12, "000001010100") == 0;
    })) << answer;
    EXPECT_TRUE(std::regex_match(answer, std::regex("0[0-5]000001010100!\r\\{00\\}OK\n"))) << answer;
    // The RAM behind the clock keeps what is written.
    EXPECT_EQ(port->dex("w 68 08A1B2\rw 68 08\rr 68 02"), "A1B2!\r{00}OK\n");
}

TEST_F(SimFixture, TemperatureRegisterInHalfDegrees) {
    enterDexmode();
    ASSERT_EQ(port->dex("m:twi\rw 48 00"), "{00}OK\n");
    struct Case {
        double celsius;
        const char* answer;
    } cases[] = {
        {25.5, "1980!"},  {25.0, "1900!"},  {0.0, "0000!"},   {-0.5, "FF80!"},
        {-25.0, "E700!"}, {-55.0, "C900!"}, {130.0, "7D00!"}, {21.26, "1580!"},
    };
    for (const Case& c : cases) {
        sim->setTemperature(c.celsius);
        EXPECT_EQ(port->dex("r 48 02"), std::string(c.answer) + "\r{00}OK\n") << c.celsius;
    }
}

TEST_F(SimFixture, ThermostatSwitchesWithHysteresis) {
    enterDexmode();
    // Switch-on 26.0 (over-temperature), switch-off 24.5 (hysteresis), as the page writes them.
    ASSERT_EQ(port->dex("m:twi\rw 48 031A00\rw 48 021880\rw 48 03\rr 48 02\rw 48 02\rr 48 02"),
              "1A00!\r1880!\r{00}OK\n");
    struct Step {
        double celsius;
        bool on;
    } steps[] = {{25.0, false}, {26.0, false}, {26.5, true}, {25.0, true}, {24.5, true}, {24.0, false}};
    for (const Step& s : steps) {
        sim->setTemperature(s.celsius);
        EXPECT_EQ(port->dex("os"), std::string(s.on ? "01!" : "00!") + "\r{00}OK\n") << s.celsius;
        EXPECT_EQ(sim->state().thermostatActive, s.on);
    }
    // Shut down, the sensor keeps its last reading; started again, it measures.
    sim->setTemperature(22.0);
    ASSERT_EQ(port->dex("w 48 0101\rw 48 00"), "{00}OK\n");
    sim->setTemperature(30.0);
    EXPECT_EQ(port->dex("r 48 02\rw 48 0100\rw 48 00\rr 48 02"), "1600!\r1E00!\r{00}OK\n");
}

TEST_F(SimFixture, EepromWritesReadsAndWrapsLikeThe24C02) {
    enterDexmode();
    ASSERT_EQ(port->dex("m:twi"), "{00}OK\n");
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"w 50 00\rr 50 02", "FFFF!\r{00}OK\n"},
        // The page's data text: blanks stand for 0 digits.
        {"w 50 10 1 2 F\rw 50 10\rr 50 03", "01020F!\r{00}OK\n"},
        {"w 50 10ab\rw 50 10\rr 50 01", "AB!\r{00}OK\n"},
        // One write wraps inside its 8-byte page; "ew" writes page by page.
        {"w 50 06AABBCC\rw 50 00\rr 50 01\rw 50 06\rr 50 02", "CC!\rAABB!\r{00}OK\n"},
        {"ew 50 0E11223344\rw 50 0E\rr 50 04", "11223344!\r{00}OK\n"},
        // Sequential reads wrap at the end of the memory.
        {"w 50 FF77\rw 50 FF\rr 50 02", "77CC!\r{00}OK\n"},
        {"w 50 0\rr 50 01", "w?\r{03} SYNTAX ERROR\n"},
        {"w 50 10\rr 50 101", "r?\r{04} RANGE ERROR\n"},
        {"r 50 00", "r?\r{04} RANGE ERROR\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(port->dex(c.line), c.answer) << c.line;
    // A full read of 256 bytes answers 512 digits.
    const std::string all = port->dex("w 50 00\rr 50 100");
    EXPECT_EQ(all.find('!'), 512u);
    EXPECT_EQ(sim->state().eeprom[0x0E], 0x11);
}

TEST_F(SimFixture, MissingChipsAndStandbyAreRefused) {
    ZyntraSimOptions o;
    o.eepromPresent = false;
    startWith(o);
    ASSERT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"m:twi\rr 48 02", "r?\r{05} NOT MANUAL ERROR\n"},
        {"m:main\rmode mm\rm:twi\rscan", "TWI 48 68\r{00}OK\n"},
        {"w 50 0011", "w?\r{20} NACK ERROR\n"},
        {"r 50 01", "r?\r{48} NACK ERROR\n"},
        {"w 80 00", "w?\r{04} RANGE ERROR\n"},
        {"w 48", "{00}OK\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(port->dex(c.line), c.answer) << c.line;
}
