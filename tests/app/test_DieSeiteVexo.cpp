#include "DieSeiteFixture.h"
#include "EventLoop.h"
#include "STimer.h"

#include <string>
#include <vector>

namespace {

class DieSeiteVexo : public DieSeiteFixture {
protected:
    // Shows or hides the Vexo tab as the page's tab bar does (inline display style).
    void showVexoTab(bool shown) {
        SHtmlElement element;
        ASSERT_TRUE(element.attachById(seite.getDocument(), "pageVexo"));
        IHTMLStyle* found = nullptr;
        element.getStyle(&found);
        SHtmlStyle style;
        style.take(found);
        ASSERT_TRUE(style.setDisplay(shown ? "block" : "none"));
    }
    void pollBoth() {
        page.setChecked("vexoClockYN", true);
        page.setChecked("vexoTempYN", true);
    }
    void tick() { seite.onTimer(1, 0, 0, 0); }
    // A script or answer text as the page holds it: each carriage return a line break.
    static std::string asShown(std::string text) {
        for (size_t pos = text.find('\r'); pos != std::string::npos; pos = text.find('\r', pos))
            text.replace(pos, 1, "<br>");
        return text;
    }

    // The scripts of the test page as the device receives them ("°" sent as CR).
    const std::string tempLine = "m:main\rmode mm\rm:twi\rw 48 00\rr 48 02";
    const std::string clockLine = "m:main\rmode mm\rm:twi\rw 68 00\rr 68 07";
    const std::string error01 = "<font class='msgError'>Fehler beim Senden der Daten.</font>";
    const std::string error04 =
        "<font class='msgError'>Unerwartete R\xFC"
        "ckgabewerte</font>";
    const std::string connected = "<font class='msgOK'><b></font>";
    const std::string busy =
        "<font class='msgError'>Der Zyntra ist noch mit dem letzten Befehl besch\xE4"
        "ftigt.</font>";
};

}  // namespace

// The answers are taken apart by the script runner's collected text; "!echo" puts a device answer
// there as it stands, so every form can be tried without a device.
TEST_F(DieSeiteVexo, ClockAnswersAreTakenApart) {
    struct Case {
        const char* answer;
        const char* shown;
        std::string info;
    } cases[] = {
        {"45301203241208!", "24.12.08   12:30:45", ""},
        {"{00}OK45301203241208!99999999999999!", "24.12.08   12:30:45", ""},
        {"4530120324120!", "--.--.---- --:--:-- Uhr", error04},
        {"4530120324120A!", "--.--.---- --:--:-- Uhr", error04},
        {"45301203241208", "--.--.---- --:--:-- Uhr", error04},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        seite.setElementText("vexoClockScript", std::string("!echo ").append(c.answer).c_str());
        seite.vexoReadClock();
        EXPECT_EQ(text("vexoClockText"), c.shown);
        EXPECT_EQ(html("vexo_info"), c.info);
        EXPECT_EQ(text("vexoClockScript_return"), c.answer);
    }
}

TEST_F(DieSeiteVexo, TemperatureAnswersAreTakenApart) {
    struct Case {
        const char* answer;
        const char* shown;
    } cases[] = {
        {"1980!", "25.5 \xB0\x43"},      {"1a00!", "26.0 \xB0\x43"},  {"FF80!", "-0.5 \xB0\x43"},
        {"ff80!1900!", "-0.5 \xB0\x43"}, {"E700!", "-25.0 \xB0\x43"}, {"7F80!", "127.5 \xB0\x43"},
        {"0000!", "0.0 \xB0\x43"},       {"198!", "--,- \xB0\x43"},   {"{48} NACK ERROR", "--,- \xB0\x43"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        seite.setElementText("vexoTempScript", (std::string("!echo ") + c.answer).c_str());
        seite.setVexoInfo("stale", ' ');
        seite.vexoReadTemp();
        EXPECT_EQ(text("vexoTempText"), c.shown);
        EXPECT_EQ(html("vexo_info"), "");  // an answer without a value says nothing
    }
    // A script that is not answered shows the placeholder and says so.
    seite.setElementText("vexoTempText", "25.5");
    seite.setElementText("vexoTempScript", "m:main\xB0mode mm");
    seite.vexoReadTemp();
    EXPECT_EQ(text("vexoTempText"), "--,- \xB0\x43");
    EXPECT_EQ(html("vexo_info"), error01);
}

TEST_F(DieSeiteVexo, ThermostatLimitsAreWrittenAsTheSensorsRegisterAndShownAsUsed) {
    startSim();
    showVexoTab(true);
    struct Case {
        const char* on;
        const char* off;
        const char* onShown;
        const char* offShown;
        const char* line;
    } cases[] = {
        {"25,5", "25.5", "25,5", "25,0", "m:main\rmode mm\rm:twi\rw 48 031980\rw 48 021900"},
        {"-5", "80,0", "-5,0", "80,0", "m:main\rmode mm\rm:twi\rw 48 03FB00\rw 48 025000"},
        {"-5,5", "-0,5", "-5,5", "-0,5", "m:main\rmode mm\rm:twi\rw 48 03FA80\rw 48 02FF80"},
        {"200", "300", "-56,0", "44,0", "m:main\rmode mm\rm:twi\rw 48 03C800\rw 48 022C00"},
        {"-2147483648", "2147483647", "0,0", "-1,0", "m:main\rmode mm\rm:twi\rw 48 030000\rw 48 02FF00"},
        {"0,25", "abc", "0,5", "0,0", "m:main\rmode mm\rm:twi\rw 48 030080\rw 48 020000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.on);
        page.setValue("vexoTempOn", c.on);
        page.setValue("vexoTempOff", c.off);
        EXPECT_TRUE(navigate("vyx:vexo_setTemp"));
        EXPECT_EQ(value("vexoTempOn"), c.onShown);
        EXPECT_EQ(value("vexoTempOff"), c.offShown);
        EXPECT_EQ(received(), (std::vector<std::string>{"[v]", "[m]", c.line}));
        EXPECT_EQ(html("vexoTempScriptHyst_show"), asShown(c.line));
        EXPECT_EQ(text("vexoTempScriptHyst_return"), "{00}OK");
        EXPECT_EQ(html("vexo_info"), connected);
        EXPECT_FALSE(seite.isOpen());
    }
}

TEST_F(DieSeiteVexo, EepromReadShowsTheBytesAtTheAddress) {
    startSim();
    seite.vexoWriteEeprom(16, " A1B2C");
    received();
    page.setValue("vexoEepromReadAdr", "16");
    page.setValue("vexoEepromReadAnz", "3");
    EXPECT_TRUE(navigate("vyx:vexo_readEeprom"));
    const std::string line = "m:main\rmode mm\rm:twi\rw 50 10\rr 50 03";
    EXPECT_EQ(received(), (std::vector<std::string>{"[v]", "[m]", line}));
    EXPECT_EQ(html("vexoEepromText"), "gelesen:<br>0x0A, 0x1B, 0x2C");
    EXPECT_EQ(html("vexoEepromScriptLesen_show"), asShown(line));
    EXPECT_EQ(html("vexoEepromScriptLesen_return"), "0A1B2C!<br>{00}OK");
    EXPECT_EQ(html("vexo_info"), connected);
    EXPECT_FALSE(seite.isOpen());
}

// A refused write shows the error text in the display until the read-back that follows replaces
// it with what the EEPROM holds; when the read-back is not answered, the error text stays.
TEST_F(DieSeiteVexo, RefusedEepromWriteShowsErrorUntilTheReadBack) {
    const std::string refused = "Fehler bei der Ausf\xFChrung.";
    struct Case {
        const char* name;
        bool readBackAnswered;
        std::string shown;
        std::string info;
    } cases[] = {
        {"read back", true, "gelesen:<br>0xFF", connected},
        {"read back unanswered", false, refused, error01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZyntraSimOptions options;
        if (!c.readBackAnswered) {
            options.misbehaviour = ZyntraSimMisbehaviour::NoAnswer;
            options.misbehaviourScope = ZyntraSimScope::Lines;
            options.misbehaveAfter = 1;
        }
        startSim(options);
        // An odd number of data digits is refused by the device with "?".
        seite.vexoWriteEeprom(0x20, "ABC");
        EXPECT_EQ(received(),
                  (std::vector<std::string>{"[v]", "[m]", "m:main\rmode mm\rm:twi\rew 50 20ABC", "[v]", "[m]",
                                            "m:main\rmode mm\rm:twi\rw 50 20\rr 50 01"}));
        EXPECT_NE(text("vexoEepromScriptWrite_return").find('?'), std::string::npos);
        EXPECT_EQ(html("vexoEepromText"), c.shown);
        EXPECT_EQ(html("vexo_info"), c.info);
        // The read-back does not show its script.
        EXPECT_EQ(text("vexoEepromScriptLesen_show"), "");
        EXPECT_FALSE(seite.isOpen());
    }
}

TEST_F(DieSeiteVexo, ClockSetAndPolledWithTemperatureFirstWhileTheTabIsShown) {
    ZyntraSimOptions options;
    options.temperature = 25.5;
    startSim(options);
    EXPECT_TRUE(navigate("vyx:vexo_setTime:45301203241208"));
    EXPECT_EQ(received(),
              (std::vector<std::string>{"[v]", "[m]", "m:main\rmode mm\rm:twi\rw 68 0045301203241208"}));
    EXPECT_EQ(sim->state().rtc[6], 0x08);  // the year register

    pollBoth();
    showVexoTab(true);
    tick();
    EXPECT_EQ(received(), (std::vector<std::string>{"[v]", "[m]", tempLine, clockLine}));
    EXPECT_EQ(text("vexoTempText"), "25.5 \xB0\x43");
    // The clock runs from the moment it was set.
    EXPECT_EQ(text("vexoClockText").substr(0, 17), "24.12.08   12:30:");
    EXPECT_EQ(html("vexo_info"), "");
    EXPECT_FALSE(seite.isOpen());

    // One box polls only its own module; a hidden tab polls nothing.
    page.setChecked("vexoTempYN", false);
    tick();
    EXPECT_EQ(received(), (std::vector<std::string>{"[v]", "[m]", clockLine}));
    pollBoth();
    showVexoTab(false);
    tick();
    EXPECT_TRUE(received().empty());
    page.setChecked("vexoTempYN", false);
    page.setChecked("vexoClockYN", false);
    showVexoTab(true);
    tick();
    EXPECT_TRUE(received().empty());
}

TEST_F(DieSeiteVexo, TickStartsOnceAndWithoutDeviceEndsWithTheSendError) {
    // The page completed in SetUp; a reload does not start a second tick.
    int timers = 0;
    seite.onPageComplete();
    for (int i = 0; i < globalTimer().getList().getCount(); ++i)
        timers += globalTimer().getList().getEntryAt(i).client == &seite ? 1 : 0;
    EXPECT_EQ(timers, 1);
    EXPECT_EQ(takeScripts(),
              (std::vector<std::string>{"outputClear();", "setLang('de');", "historySet('');"}));

    pollBoth();
    showVexoTab(true);
    for (const char* port : {"nix", "COM3"}) {
        SCOPED_TRACE(port);
        page.setValue("port", port);
        seite.setElementText("vexoTempText", "25.5");
        tick();
        EXPECT_EQ(html("vexo_info"), error01);
        EXPECT_EQ(text("vexoTempText"), "--,- \xB0\x43");
        EXPECT_EQ(text("vexoClockText"), "--.--.---- --:--:-- Uhr");
        EXPECT_EQ(seite.tickBusy, 0);
    }
}

// While a tick waits for the device, further ticks are dropped and page commands that need the
// port are refused; while a page command waits, ticks are skipped.
TEST_F(DieSeiteVexo, PollingNeverOverlapsADeviceCommand) {
    ZyntraSimOptions options;
    options.misbehaviour = ZyntraSimMisbehaviour::NoAnswer;
    options.misbehaviourScope = ZyntraSimScope::Lines;
    startSim(options);
    pollBoth();
    showVexoTab(true);

    bool fired = false;
    std::string statusDuring;
    unsigned timer = 0;
    timer = EventLoop::setTimer(100, [&](unsigned, unsigned) {
        EventLoop::killTimer(timer);
        if (fired) return;
        fired = true;
        tick();
        tick();
        EXPECT_TRUE(navigate("vyx:vexo_startTemp"));
        statusDuring = html("vexo_info");
    });
    tick();
    ASSERT_TRUE(fired) << "the tick's wait did not dispatch the timer";
    EXPECT_EQ(statusDuring, busy);
    // One tick's exchange only: each script's line went out once and was not answered.
    EXPECT_EQ(received(), (std::vector<std::string>{"[v]", "[m]", tempLine, clockLine}));
    EXPECT_FALSE(seite.isPortBusy());

    fired = false;
    timer = EventLoop::setTimer(100, [&](unsigned, unsigned) {
        EventLoop::killTimer(timer);
        if (fired) return;
        fired = true;
        tick();
    });
    EXPECT_TRUE(navigate("vyx:vexo_startTemp"));
    ASSERT_TRUE(fired);
    EXPECT_EQ(received(), (std::vector<std::string>{"[v]", "[m]", "m:main\rmode mm\rm:twi\rw 48 0100"}));
    EXPECT_EQ(html("vexo_info"), error01);
    EXPECT_FALSE(seite.isOpen());
}
