#include "DieSeiteFixture.h"
#include "EventLoop.h"

#include <string>
#include <vector>

namespace {

class DieSeiteDispatch : public DieSeiteFixture {
protected:
    static std::string endLine(const std::string& url, int ok, int cancel) {
        return " DieSeite::onBeforeNavigate2(..)(" + url + ") ENDE: ok=" + std::to_string(ok) +
               ", cancel=" + std::to_string(cancel);
    }
    const std::string busy =
        "<font class='msgError'>Der Zyntra ist noch mit dem letzten Befehl besch\xE4"
        "ftigt.</font>";
};

}  // namespace

TEST_F(DieSeiteDispatch, UrlsAreTakenApartAndRunTheirCommand) {
    startSim();
    const std::vector<std::string> connect = {"[v]", "[m]"};
    struct Case {
        std::string url;
        bool cancelled;
        std::vector<std::string> device;  // what the device receives
        std::vector<std::string> scripts;
    } cases[] = {
        {"file://localhost/C:/x/dieSeite.htm", false, {}, {}},
        {"VYX:modus:p", false, {}, {}},
        {"vyx:", true, {}, {}},
        {"vyx:nothing:here", true, {}, {}},
        {"vyx:modus:p", true, {"[p]"}, {}},
        {"vyx:smartcmd:p:extra", true, {"[p:extra]"}, {}},
        {"vyx:modus:p%20q", true, {"[p%20q]"}, {}},
        {"vyx:dexmode:sendList", true, {"[v]", "[m]", "m:set"}, {}},
        {"vyx:dexmode:send", true, {"[v]", "[m]", "m:main"}, {}},
        {"vyx:dexmode:sendXYZ", true, {"[v]", "[m]", "m:main"}, {}},
        {"vyx:dexmode:Send", true, {}, {}},
        {"vyx:dexmode:output_clear", true, {}, {"outputClear();"}},
        {"vyx:dexmode:output_clear:x", true, {}, {}},
        {"vyx:dexmode:outputsave", true, {}, {}},  // the save dialog, cancelled
        {"vyx:dexmode", true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        page.setValue("dexmode_cmdOne", "m:main");
        typeList("m:set");
        EXPECT_EQ(navigate(c.url), c.cancelled);
        EXPECT_EQ(received(), c.device);
        std::vector<std::string> scripts = takeScripts();
        if (c.device.size() > 2) {
            size_t shown = 0;  // the command and its answer; the history may hear of the line too
            for (const std::string& script : scripts)
                shown += script.compare(0, 7, "output(") == 0 ? 1 : 0;
            EXPECT_EQ(shown, 2u);
        } else
            EXPECT_EQ(scripts, c.scripts);
        EXPECT_FALSE(seite.isOpen());
        std::vector<std::string> lines = traceLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "DieSeite::onBeforeNavigate2(..) url:" + c.url);
        EXPECT_EQ(lines.back(), endLine(c.url, 1, c.cancelled));
        if (!c.cancelled) {
            EXPECT_EQ(lines.size(), 2u);
        }
    }
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(DieSeiteDispatch, PercentSignsInTheUrlAreNotFormatDirectives) {
    startSim();
    const std::string url = "vyx:smartcmd:%s%d%n%%";
    EXPECT_TRUE(navigate(url));
    EXPECT_EQ(received(), std::vector<std::string>{"[%s%d%n%%]"});
    std::vector<std::string> lines = traceLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "DieSeite::onBeforeNavigate2(..): " + url);
    EXPECT_EQ(lines.back(), endLine(url, 1, 1));
}

TEST_F(DieSeiteDispatch, ModeSwitchWithoutDeviceShowsNothing) {
    page.setValue("port", "COM3");  // nothing behind it
    const std::string before = html("zyntra_info");
    EXPECT_TRUE(navigate("vyx:modus:p"));
    EXPECT_EQ(traceLines().back(), endLine("vyx:modus:p", 0, 1));
    EXPECT_EQ(html("zyntra_info"), before);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_FALSE(seite.isOpen());
}

TEST_F(DieSeiteDispatch, EepromWriteDataBecomesHexPairs) {
    struct Case {
        const char* data;
        bool parsed;
        std::string hex;
        std::vector<std::string> boxes;
    } cases[] = {
        {"1, 2, 300, 15", true, " 1 2 F", {"Ung\xFCltge Zahl in den Daten (0-255):\n300"}},
        {"1 zz 3", false, "", {"Syntaxfehler in den Daten bei:\nzz"}},
        {"0xAB 0b101 171 \"A\"", true, "AB 5AB41", {}},
        {"256 1000000 255",
         true,
         "FF",
         {"Ung\xFCltge Zahl in den Daten (0-255):\n256",
          "Ung\xFCltge Zahl in den Daten (0-255):\n1.000.000"}},
        {"", true, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        dialogs.boxes.clear();
        SString hex;
        EXPECT_EQ(DieSeite::eepromHexText(c.data, hex), c.parsed);
        EXPECT_EQ(str(hex), c.hex);
        std::vector<std::string> texts;
        for (const ScriptedDialogs::Box& box : dialogs.boxes) {
            texts.push_back(box.text);
            EXPECT_EQ(box.caption, "Info");
            EXPECT_EQ(box.flags, unsigned(MB_ICONINFORMATION));
        }
        EXPECT_EQ(texts, c.boxes);
    }
    // From the page: a syntax error stops the command before the device is asked.
    startSim();
    dialogs.boxes.clear();
    page.setValue("vexoEepromWriteData", "1 zz 3");
    EXPECT_TRUE(navigate("vyx:vexo_writeEeprom"));
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(received().empty());
}

// A device command that arrives while another one waits for the device is refused with a busy
// text in its own status line; commands that leave the port alone still run.
TEST_F(DieSeiteDispatch, SecondDeviceCommandDuringAWaitIsRefused) {
    ZyntraSimOptions options;
    options.misbehaviour = ZyntraSimMisbehaviour::NoAnswer;
    options.misbehaviourScope = ZyntraSimScope::Lines;
    startSim(options);
    struct Nested {
        const char* url;
        const char* statusId;  // "" for a command that runs
    } nested[] = {
        {"vyx:testPort", "zyntra_info"},
        {"vyx:modus:p", "zyntra_info"},
        {"vyx:spispeedtest:Slow", "spiSpeedAusgabeSlow"},
        {"vyx:spispeedset:Speed:3", "spiSpeedAusgabeSpeed"},
        {"vyx:vexo_startTemp", "vexo_info"},
        {"vyx:dexmode:send", "dexmode_info"},
        {"vyx:dexmode:output_clear", ""},
    };
    std::vector<bool> cancelled;
    std::vector<std::string> statusDuring;
    size_t scriptsBefore = 0;
    size_t scriptsAfter = 0;
    bool fired = false;
    unsigned timer = 0;
    timer = EventLoop::setTimer(100, [&](unsigned, unsigned) {
        EventLoop::killTimer(timer);
        if (fired) return;
        fired = true;
        scriptsBefore = page.scripts.size();
        for (const Nested& n : nested) {
            cancelled.push_back(navigate(n.url));
            statusDuring.push_back(n.statusId[0] != 0 ? html(n.statusId) : "");
        }
        scriptsAfter = page.scripts.size();
    });
    page.setValue("dexmode_cmdOne", "m:main");
    EXPECT_TRUE(navigate("vyx:dexmode:send"));
    ASSERT_TRUE(fired) << "the wait for the answer did not dispatch the timer";
    for (size_t i = 0; i < cancelled.size(); ++i) {
        SCOPED_TRACE(nested[i].url);
        EXPECT_TRUE(cancelled[i]);
        if (nested[i].statusId[0] != 0) {
            EXPECT_EQ(statusDuring[i], busy);
        }
    }
    // Only output_clear ran inside the wait; the device saw only the outer command.
    ASSERT_EQ(scriptsAfter, scriptsBefore + 1);
    EXPECT_EQ(str(page.scripts[scriptsBefore].code), "outputClear();");
    EXPECT_EQ(sim->takeFrames().size(), 2u);  // the outer command's version query and Dexmode switch
    int refusals = 0;
    for (const std::string& line : traceLines())
        refusals += line.find("besetzt") != std::string::npos ? 1 : 0;
    EXPECT_EQ(refusals, 6);
    EXPECT_FALSE(seite.isPortBusy());
    // Once the first command is over, the port is free again.
    sim->setMisbehaviour(ZyntraSimMisbehaviour::None);
    page.setValue("dexmode_cmdOne", "m:main");
    EXPECT_TRUE(navigate("vyx:dexmode:send"));
    EXPECT_EQ(html("dexmode_info"), "<font class='msgOK'><b></font>");
}
