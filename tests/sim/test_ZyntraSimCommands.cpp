// Framed commands, Dexmode lines and their status, the SPI speed settings.
#include "SimTestSupport.h"

#include <regex>
#include <string>

using simtest::kFrame;
using simtest::Port;
using simtest::SimFixture;

namespace {

// The form the program recognises: a status code at the start of the last part, then OK or
// a reason ending in ERROR.
const std::regex kStatusForm("^([\\s\\S]*\\r)?\\{[0-9A-F]{2}\\}( [ \\S]+ERROR|OK)\\n$");

}  // namespace

TEST_F(SimFixture, FramedCommandsAnswerOneLine) {
    struct Case {
        const char* command;
        const char* answer;
        char modeAfter;
    } cases[] = {
        {"?", "mode p Programmer\n", 'p'}, {"v", "ZX1\xF7Zyntra V3.1\xF7SN:4711\xF7mode:p\n", 'p'},
        {"m", "mode m Dexmode OK\n", 'm'}, {"v", "ZX1\xF7Zyntra V3.1\xF7SN:4711\xF7mode:m\n", 'm'},
        {"u", "mode u UART OK\n", 'u'},    {"p", "mode p Programmer OK\n", 'p'},
        {"xyz", "? xyz\n", 'p'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(port->frame(c.command), c.answer) << c.command;
        EXPECT_EQ(sim->state().mode, c.modeAfter) << c.command;
    }
    const auto received = sim->takeReceived();
    ASSERT_EQ(received.size(), 7u);
    EXPECT_TRUE(received[1].framed);
    EXPECT_EQ(received[1].text, "v");
}

TEST_F(SimFixture, FrameIsFoundInEveryModeAndAfterLeftoverBytes) {
    // Bytes that are not a frame are ignored outside Dexmode; a frame inside an unfinished
    // Dexmode line drops that line.
    port->write("junk\n");
    EXPECT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    port->write("m:set\rspiSpe");
    EXPECT_EQ(port->frame("v").substr(0, 16), "ZX1\xF7Zyntra V3.1\xF7");
    // The frame's bytes may come in pieces; only the pause ends the command.
    port->write(kFrame.substr(0, 3));
    port->write(kFrame.substr(3) + "?");
    EXPECT_EQ(port->readLine(), "mode m Dexmode\n");
    EXPECT_EQ(port->dex(""), "{00}OK\n");
}

TEST_F(SimFixture, LinesOutsideDexmodeGetNoAnswer) {
    port->write("m:set\rspiSpeed\n");
    EXPECT_EQ(port->readFor(300), "");
    EXPECT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    EXPECT_EQ(port->dex("m:set\rspiSpeed"), "FF!\r{00}OK\n");
    EXPECT_EQ(port->frame("p"), "mode p Programmer OK\n");
    port->write("m:set\rspiSpeed\n");
    EXPECT_EQ(port->readFor(300), "");
}

TEST_F(SimFixture, DexmodeLinesAnswerOutputsAndStatus) {
    ASSERT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    struct Case {
        std::string line;
        std::string answer;
    } cases[] = {
        // The program's setting commands, queried and set.
        {"m:main\rmode mm\rm:set\rspiSpeed", "FF!\r{00}OK\n"},
        {"m:main\rmode mm\rm:set\rspiSlow", "FF!\r{00}OK\n"},
        {"m:main\rmode mm\rm:set\rspiSpeed 03", "{00}OK\n"},
        {"m:main\rmode mm\rm:set\rspiSlow FE\rspiSlow\rspiSpeed", "FE!\r03!\r{00}OK\n"},
        {"m:set\rspiSpeed 07\rspiSpeed", "07!\r{00}OK\n"},
        {"m:set\rspiSlow 01\rspiSlow", "01!\r{00}OK\n"},
        // Refused values and commands; the rest of the line is not carried out.
        {"m:set\rspiSpeed 08\rspiSpeed 02", "spiSpeed?\r{04} RANGE ERROR\n"},
        {"m:set\rspiSlow 00", "spiSlow?\r{04} RANGE ERROR\n"},
        {"m:set\rspiSlow FF", "spiSlow?\r{04} RANGE ERROR\n"},
        {"m:set\rspiSlow 100", "spiSlow?\r{04} RANGE ERROR\n"},
        {"m:set\rspiSlow zz", "spiSlow?\r{03} SYNTAX ERROR\n"},
        {"m:set\rspiSpeed\rbogus\rspiSpeed 01", "07!\rbogus?\r{01} UNKNOWN CMD ERROR\n"},
        {"m:set\rspiSpeed", "07!\r{00}OK\n"},
        {"m:main\rspiSpeed", "spiSpeed?\r{02} WRONG GROUP ERROR\n"},
        {"m:nowhere", "m:nowhere?\r{04} RANGE ERROR\n"},
        {"mode xx", "mode?\r{04} RANGE ERROR\n"},
        {"mode ss\rmode", "ss!\r{00}OK\n"},
        {"rst 01", "rst?\r{05} NOT MANUAL ERROR\n"},
        {"m:spi\rsend AC530000", "send?\r{06} SPI OFF ERROR\n"},
        {"m:main\rver", "Zyntra V3.1\r{00}OK\n"},
        // Empty commands, blanks around commands and a line without commands.
        {"\r  m:set \r\rspiSlow\r", "01!\r{00}OK\n"},
        {"", "{00}OK\n"},
        {std::string(3000, 'x'), "?\r{07} OVERFLOW ERROR\n"},
    };
    for (const Case& c : cases) {
        const std::string answer = port->dex(c.line);
        EXPECT_EQ(answer, c.answer) << c.line.substr(0, 60);
        EXPECT_TRUE(std::regex_match(answer, kStatusForm)) << answer;
        // "?" appears exactly when something was refused.
        EXPECT_EQ(answer.find('?') != std::string::npos, answer.find("ERROR") != std::string::npos) << answer;
    }
    const ZyntraSimState s = sim->state();
    EXPECT_EQ(s.spiSpeed, 7);
    EXPECT_EQ(s.spiSlow, 1);
}

TEST_F(SimFixture, EnteringDexmodeAgainKeepsTheSessionLeavingItReleasesTheTarget) {
    enterDexmode();
    ASSERT_EQ(port->dex("pwr 01\rrst 01\rm:twi"), "{00}OK\n");
    EXPECT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    EXPECT_EQ(port->dex("pwr\rrst\rscan"), "01!\r01!\rTWI 48 50 68\r{00}OK\n");
    EXPECT_EQ(port->frame("p"), "mode p Programmer OK\n");
    EXPECT_EQ(port->frame("m"), "mode m Dexmode OK\n");
    EXPECT_EQ(port->dex("pwr\rrst\rmode\rscan"), "00!\r00!\rss!\rscan?\r{02} WRONG GROUP ERROR\n");
}
