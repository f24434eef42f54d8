#include "DieSeiteFixture.h"
#include "EventLoop.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

class DieSeiteTerminal : public DieSeiteFixture {
protected:
    // Sends one line as the page's send button does.
    void sendOne(const std::string& line) {
        page.setValue("dexmode_cmdOne", line.c_str());
        EXPECT_TRUE(navigate("vyx:dexmode:send"));
    }
    const std::string okZero =
        "<div class=dexmode_answerOK>OK<font class=dexmode_answerStatus>&nbsp;(status 00=OK)</font></div>";
    const std::string error01 = "<font class='msgError'>Fehler beim Senden der Daten.</font>";
};

}  // namespace

TEST_F(DieSeiteTerminal, AnswersAreMarkedByTheirStatusCode) {
    const std::string status = "<font class=dexmode_answerStatus>&nbsp;(status ";
    struct Case {
        const char* answer;
        std::string shown;
    } cases[] = {
        {"{00}OK", okZero},
        {"line1\r{00}OK", "<div class=dexmode_answerOK>line1<br>OK" + status + "00=OK)</font></div>"},
        {"PING {00}OK", "<div class=dexmode_answerOK>PING {00}OK</div>"},
        {"{1F} NACK ERROR", "<div class=dexmode_answerERROR> NACK ERROR" + status + "1F)</font></div>"},
        {"{20} NACK ERROR", "<div class=dexmode_answerERROR> NACK ERROR" + status +
                                "20=TWI-Adresse nicht best\xE4tigt (Schreiben))</font></div>"},
        {"value ERROR", "<div class=dexmode_answerERROR>value ERROR</div>"},
        {"{1f}OK", "<div class=dexmode_answerOK>{1f}OK</div>"},
        {"{00}OK\r{01} UNKNOWN CMD ERROR", "<div class=dexmode_answerERROR>{00}OK<br> UNKNOWN CMD ERROR" +
                                               status + "01=Unbekannter Befehl)</font></div>"},
        {"{00}OKAY", "<div class=dexmode_answerOK>{00}OKAY</div>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        seite.outputWriteAnswer(c.answer);
        EXPECT_EQ(outputs(), std::vector<std::string>{c.shown});
    }
}

TEST_F(DieSeiteTerminal, NoTextCanEndTheOutputScript) {
    struct Case {
        const char* html;
        const char* shown;
    } cases[] = {
        {"it's", "it\xB4s"},
        {"a\\b\\'c",
         "a\\b\\\xB4"
         "c"},
        {"x');alert(1);//", "x\xB4);alert(1);//"},
        {"</script><b>\"q\"", "</script><b>\"q\""},
        {"l1\r\nl2\n", "l1l2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        seite.outputWrite(c.html);
        std::vector<std::string> scripts = takeScripts();
        ASSERT_EQ(scripts.size(), 1u);
        EXPECT_EQ(scripts[0].find("</"), std::string::npos);
        ASSERT_EQ(scripts[0].compare(0, 8, "output('"), 0);
        EXPECT_EQ(decodeJs(scripts[0].substr(8, scripts[0].size() - 11)), c.shown);
    }
    page.failScripts = true;
    traceLines();
    seite.outputWrite("x");
    std::vector<std::string> lines = traceLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "FEHLER: DieSeite::outputWrite(..) win.execScript('output('x');')");
}

TEST_F(DieSeiteTerminal, CommentsAndClearRunInThePageAndOnlyCommandsReachTheDevice) {
    startSim();
    typeList("# set up\n\n  !echo Start\r\n!cls\n!echo it's <b>bold</b>\nm:main\n!x\n#m:set");
    EXPECT_TRUE(navigate("vyx:dexmode:sendList"));
    EXPECT_EQ(outputs(),
              (std::vector<std::string>{
                  "<div class=dexmode_comment>Start</div>",
                  "<clear>",
                  "<div class=dexmode_comment>it\xB4s <b>bold</b></div>",
                  "<font class=dexmode_cmd>m:main</font><br>",
                  okZero,
                  "<font class=dexmode_cmd>!x</font><br>",
                  "<div class=dexmode_answerERROR>!x?<br> UNKNOWN CMD ERROR<font class=dexmode_answerStatus>"
                  "&nbsp;(status 01=Unbekannter Befehl)</font></div>",
              }));
    EXPECT_EQ(sim->takeLines(), (std::vector<std::string>{"m:main", "!x"}));
    EXPECT_EQ(html("dexmode_info"), "<font class='msgOK'><b></font>");
    EXPECT_FALSE(seite.isOpen());
}

TEST_F(DieSeiteTerminal, DegreeSignIsACarriageReturnInsideOneLine) {
    startSim();
    sendOne("m:main\xB0mode mm");
    EXPECT_EQ(sim->takeLines(), std::vector<std::string>{"m:main\rmode mm"});
    std::vector<std::string> shown = outputs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0],
              "<font class=dexmode_cmd>m:main<font style=\"font-family:Symbol;\">\xBF&nbsp;</font>mode "
              "mm</font><br>");
    EXPECT_EQ(value("dexmode_cmdOne"), "");
}

// The language table translates literals of the program only: a line typed in the page that
// starts like one ("\xB3\xB3key\xB3\xB3default") reaches the device, the output and the device's
// answer byte for byte.
TEST_F(DieSeiteTerminal, TypedTextThatLooksLikeALiteralIsSentAsTyped) {
    const std::string typed =
        "\xB3\xB3"
        "Error01\xB3\xB3x";
    struct Case {
        const char* from;
        const char* command;
    } cases[] = {{"one-line input", "vyx:dexmode:send"}, {"command list", "vyx:dexmode:sendList"}};
    startSim();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        page.setValue("dexmode_cmdOne", rawText(typed.data(), int(typed.size())));
        typeList(typed);
        EXPECT_TRUE(navigate(c.command));
        EXPECT_EQ(sim->takeLines(), std::vector<std::string>{typed});
        const std::vector<std::string> shown = outputs();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0], "<font class=dexmode_cmd>" + typed + "</font><br>");
        EXPECT_EQ(shown[1].find("<div class=dexmode_answerERROR>" + typed + "?<br> UNKNOWN CMD ERROR"), 0u)
            << shown[1];
    }
}

TEST_F(DieSeiteTerminal, DeviceTextIsEncodedBeforeItIsShown) {
    startSim();
    sendOne("<b>'x'</b>");
    std::vector<std::string> shown = outputs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].find("<b>"), std::string::npos) << shown[0];
    EXPECT_EQ(shown[1].find("<b>"), std::string::npos) << shown[1];
}

TEST_F(DieSeiteTerminal, ScriptRunnerCollectsEchoAndAnswers) {
    startSim();
    SString message;
    ASSERT_EQ(seite.enshureDexmodeAndOpenPort(message), 1);
    SString answers;
    EXPECT_EQ(seite.sendDexmodeScript("!echo X\n!cls\n  # c\nm:main\nm:nope\n", answers), 1);
    seite.close(0);
    EXPECT_EQ(str(answers), "X{00}OKm:nope?\r{04} RANGE ERROR");
    EXPECT_EQ(sim->takeLines(), (std::vector<std::string>{"m:main", "m:nope"}));
}

TEST_F(DieSeiteTerminal, AListStopsAtTheFirstUnansweredLine) {
    ZyntraSimOptions options;
    options.misbehaviour = ZyntraSimMisbehaviour::NoAnswer;
    options.misbehaviourScope = ZyntraSimScope::Lines;
    options.misbehaveAfter = 1;
    startSim(options);
    typeList("m:main\nm:set\nm:spi");
    EXPECT_TRUE(navigate("vyx:dexmode:sendList"));
    EXPECT_EQ(sim->takeLines(), (std::vector<std::string>{"m:main", "m:set"}));
    std::vector<std::string> shown = outputs();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1], okZero);
    EXPECT_EQ(shown[3], "<div class=dexmode_answerERROR> TIMEOUT ERROR</div>");
    EXPECT_EQ(html("dexmode_info"), error01);
    EXPECT_FALSE(seite.isOpen());
}

TEST_F(DieSeiteTerminal, NoConnectionShowsWhyAndSendsNothing) {
    struct Case {
        const char* name;
        const char* port;
        ZyntraSimMisbehaviour misbehaviour;
        int after;  // frames answered before the misbehaviour starts
        std::string info;
    } cases[] = {
        {"no port chosen", "nix", ZyntraSimMisbehaviour::None, 0,
         "<font class='msgError'>COM-Port konnte nicht ge\xF6"
         "ffnet werden.</font>"},
        {"no device behind the name", "COM3", ZyntraSimMisbehaviour::None, 0,
         "<font class='msgError'>COM-Port konnte nicht ge\xF6"
         "ffnet werden.</font>"},
        {"a foreign device", "COM7", ZyntraSimMisbehaviour::ForeignDevice, 0,
         "<font class='msgError'>Fehler: Es wurde kein Zyntra gefunden!</font>"},
        {"the version answered, the mode switch not", "COM7", ZyntraSimMisbehaviour::NoAnswer, 1,
         "<font class='msgError'>Der Zyntra hat nicht in den Dexmode gewechselt.</font>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZyntraSimOptions options;
        options.misbehaviour = c.misbehaviour;
        options.misbehaviourScope = ZyntraSimScope::Frames;
        options.misbehaveAfter = c.after;
        startSim(options);
        page.setValue("port", c.port);
        sendOne("m:main");
        EXPECT_EQ(html("dexmode_info"), c.info);
        EXPECT_TRUE(sim->takeLines().empty());
        EXPECT_TRUE(outputs().empty());
        EXPECT_FALSE(seite.isOpen());
        EXPECT_EQ(sim->state().clientOpens, 0);
    }
}

TEST_F(DieSeiteTerminal, OldFirmwareStillTalksDexmode) {
    ZyntraSimOptions options;
    options.misbehaviour = ZyntraSimMisbehaviour::OldFirmware;
    startSim(options);
    sendOne("m:main");
    EXPECT_EQ(outputs().back(), okZero);
    EXPECT_TRUE(dialogs.boxes.empty());
}

// Each fault of the device: the page keeps running during the wait, the status line says what
// happened, the port is closed, and the next command works.
TEST_F(DieSeiteTerminal, DeviceFaultsLeaveTheTerminalUsable) {
    struct Case {
        const char* name;
        ZyntraSimMisbehaviour misbehaviour;
        bool answered;  // a whole line came, however strange
    } cases[] = {
        {"silent", ZyntraSimMisbehaviour::NoAnswer, false},
        {"late", ZyntraSimMisbehaviour::LateAnswer, false},
        {"garbage", ZyntraSimMisbehaviour::Garbage, true},
        {"flood", ZyntraSimMisbehaviour::Flood, true},
        {"nul", ZyntraSimMisbehaviour::NulBytes, true},
        {"hang-up", ZyntraSimMisbehaviour::HangUp, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZyntraSimOptions options;
        options.misbehaviour = c.misbehaviour;
        options.misbehaviourScope = ZyntraSimScope::Lines;
        options.floodBytes = 5000;
        startSim(options);
        int ticks = 0;
        const unsigned timer = EventLoop::setTimer(20, [&](unsigned, unsigned) { ++ticks; });
        sendOne("m:main");
        EventLoop::killTimer(timer);
        if (!c.answered) {
            EXPECT_GT(ticks, 0) << "the loop did not run during the wait";
        }
        EXPECT_FALSE(seite.isOpen());
        std::vector<std::string> shown = outputs();
        ASSERT_EQ(shown.size(), 2u);
        for (const std::string& piece : shown) {
            EXPECT_EQ(piece.find("<UNESCAPED QUOTE>"), std::string::npos);
            EXPECT_EQ(piece.find('\0'), std::string::npos);
        }
        if (c.answered) {
            EXPECT_EQ(html("dexmode_info"), "<font class='msgOK'><b></font>");
        } else {
            EXPECT_EQ(html("dexmode_info"), error01);
            EXPECT_NE(shown[1].find("dexmode_answerERROR"), std::string::npos) << shown[1];
        }
        // The next command, on a device that behaves again (a hung-up one is plugged in anew).
        if (c.misbehaviour == ZyntraSimMisbehaviour::HangUp)
            startSim();
        else
            sim->setMisbehaviour(ZyntraSimMisbehaviour::None);
        sendOne("m:main");
        EXPECT_EQ(outputs().back(), okZero);
        EXPECT_EQ(html("dexmode_info"), "<font class='msgOK'><b></font>");
        EXPECT_FALSE(seite.isOpen());
    }
}

// An answer of any length the device can give arrives whole; one that lost bytes on the way (the
// page was busy while a flood came) is a failure that says so, never a shortened success.
TEST_F(DieSeiteTerminal, LongAnswersComeWholeOrFailWithAClearText) {
    startSim();
    sendOne("m:main\xB0mode mm\xB0m:twi\xB0r 50 FF");  // the whole EEPROM but its last byte
    std::vector<std::string> shown = outputs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], "<div class=dexmode_answerOK>" + std::string(510, 'F') + "!<br>OK" +
                            "<font class=dexmode_answerStatus>&nbsp;(status 00=OK)</font></div>");
    EXPECT_EQ(html("dexmode_info"), "<font class='msgOK'><b></font>");

    ZyntraSimOptions flood;
    flood.misbehaviour = ZyntraSimMisbehaviour::Flood;
    flood.misbehaviourScope = ZyntraSimScope::Lines;
    flood.floodBytes = 1 << 20;
    sim->setOptions(flood);
    // The page is slow to show the command while the flood comes, so the receive buffer fills.
    page.scriptHandler = [this](MemoryPage&, const SString& code, const SString&) {
        if (str(code).find("dexmode_cmd") != std::string::npos) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (seite.receiveBuffer.getOverflowCount() == 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return S_OK;
    };
    sendOne("m:main");
    page.scriptHandler = nullptr;
    shown = outputs();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], "<div class=dexmode_answerERROR> INCOMPLETE ERROR</div>");
    EXPECT_EQ(html("dexmode_info"),
              "<font class='msgError'>Die Antwort kam nicht vollst\xE4ndig an: Der Empfangspuffer war "
              "voll.</font>");
    EXPECT_FALSE(seite.isOpen());

    sim->setMisbehaviour(ZyntraSimMisbehaviour::None);
    sendOne("m:main");
    EXPECT_EQ(outputs().back(), okZero);
    EXPECT_EQ(html("dexmode_info"), "<font class='msgOK'><b></font>");
}
