// The output log and the command history of the Dexmode terminal.
#include "DieSeiteFixture.h"
#include "SFileIni.h"
#include "TempDir.h"
#include "WriteFaults.h"

#include <regex>
#include <string>
#include <vector>

namespace {

// The page with its user configuration file, and so its history file, in a temporary folder.
class DieSeiteLog : public DieSeiteFixture {
protected:
    void SetUp() override {
        DieSeiteFixture::SetUp();
        ASSERT_TRUE(config.open(dir.file("zyntra.cfg").c_str(), true));
        seite.userConfig = &config;
    }
    void add(const std::string& line) { seite.historyAdd(SString(line.data(), int(line.size()))); }
    std::vector<std::string> history() const {
        std::vector<std::string> lines;
        for (int i = 0; i < seite.commandHistory.getCount(); ++i)
            lines.push_back(str(seite.commandHistory[i]));
        return lines;
    }
    // The argument of every call of the page function name since the last look, decoded.
    std::vector<std::string> calls(const std::string& name) {
        std::vector<std::string> found;
        const std::string head = name + "('";
        for (const std::string& code : takeScripts())
            if (code.compare(0, head.size(), head) == 0)
                found.push_back(decodeJs(code.substr(head.size(), code.size() - head.size() - 3)));
        return found;
    }

    TempDir dir;
    SFileIni config;
};

}  // namespace

TEST_F(DieSeiteLog, HistoryFileLiesBesideTheConfigurationFile) {
    EXPECT_EQ(str(seite.historyFilePath()), dir.file("zyntra.history"));
}

// Each line sent is kept once in a row, in the file as it was typed (Windows-1252, CR LF), and
// handed to the page with its quote and degree sign intact.
TEST_F(DieSeiteLog, HistoryKeepsSentLinesWithoutRepeatsInARow) {
    struct Case {
        const char* sent;
        bool kept;
    } cases[] = {
        {"v", true},
        {"v", false},
        {"m:main\xB0mode mm", true},
        {"  ", false},
        {"it's", true},
        {"v", true},
        {"v", false},
        {"it's", true},
        {"", false},
        {"m:main\xB0mode mm", true},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        add(c.sent);
        const std::vector<std::string> told = calls("historyAdd");
        if (c.kept) {
            expected.push_back(c.sent);
            EXPECT_EQ(told, std::vector<std::string>{c.sent}) << c.sent;
        } else {
            EXPECT_TRUE(told.empty()) << c.sent;
        }
    }
    EXPECT_EQ(history(), expected);
    std::string file;
    for (const std::string& line : expected)
        file += line + "\r\n";
    EXPECT_EQ(dir.read("zyntra.history"), file);

    // The next run reads them back and gives them to the page in one call, oldest first.
    seite.commandHistory.clear();
    seite.onPageComplete();
    EXPECT_EQ(history(), expected);
    std::string joined;
    for (const std::string& line : expected)
        joined += (joined.empty() ? "" : "\n") + line;
    EXPECT_EQ(calls("historySet"), std::vector<std::string>{joined});
}

TEST_F(DieSeiteLog, HistoryKeepsTheNewest200Lines) {
    // A file from elsewhere: LF line ends, repeats in a row and more lines than are kept.
    std::string file;
    for (int i = 0; i < 250; ++i)
        file += "cmd " + std::to_string(i) + "\n" + (i % 50 == 0 ? "cmd " + std::to_string(i) + "\n\n" : "");
    dir.write("zyntra.history", file);
    seite.historyLoad();
    std::vector<std::string> lines = history();
    ASSERT_EQ(lines.size(), 200u);
    EXPECT_EQ(lines.front(), "cmd 50");
    EXPECT_EQ(lines.back(), "cmd 249");

    add("new");
    lines = history();
    ASSERT_EQ(lines.size(), 200u);
    EXPECT_EQ(lines.front(), "cmd 51");
    EXPECT_EQ(lines.back(), "new");
    const std::string written = dir.read("zyntra.history");
    EXPECT_EQ(written.rfind("cmd 51\r\n", 0), 0u);
    const std::string end = "cmd 249\r\nnew\r\n";
    EXPECT_EQ(written.substr(written.size() - end.size()), end);
}

#ifdef VYX_HAVE_SIM
// The one-line input feeds the history when its line is sent; a line that never reached a device
// stays in the input and out of the history.
TEST_F(DieSeiteLog, HistoryTakesTheLineSentFromTheInput) {
    page.setValue("dexmode_cmdOne", "m:main");
    EXPECT_TRUE(navigate("vyx:dexmode:send"));
    EXPECT_TRUE(history().empty());
    EXPECT_EQ(value("dexmode_cmdOne"), "m:main");

    startSim();
    EXPECT_TRUE(navigate("vyx:dexmode:send"));
    EXPECT_EQ(history(), std::vector<std::string>{"m:main"});
    EXPECT_EQ(dir.read("zyntra.history"), "m:main\r\n");
    page.setValue("dexmode_cmdList", "m:twi");
    EXPECT_TRUE(navigate("vyx:dexmode:sendList"));  // the list is not the input's history
    EXPECT_EQ(history(), std::vector<std::string>{"m:main"});
}
#endif

TEST_F(DieSeiteLog, TimeStampsStandBeforeCommandsAndAnswersWhileTicked) {
    struct Case {
        bool ticked;
        const char* command;
        const char* answer;
    } cases[] = {
        {false, "<font class=dexmode_cmd>v</font><br>",
         "<div class=dexmode_answerOK>OK<font "
         "class=dexmode_answerStatus>&nbsp;(status 00=OK)</font></div>"},
        {true, "<span class=dexmode_time>TIME</span>&nbsp;<font class=dexmode_cmd>v</font><br>",
         "<div class=dexmode_answerOK><span class=dexmode_time>TIME</span>&nbsp;OK<font "
         "class=dexmode_answerStatus>&nbsp;(status 00=OK)</font></div>"},
    };
    const std::regex time("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\\.[0-9]{3}");
    for (const Case& c : cases) {
        page.setChecked("dexmode_timestamps", c.ticked);
        seite.outputWriteCmd("v");
        seite.outputWriteAnswer("{00}OK");
        seite.outputWriteComment("no time");
        std::vector<std::string> written = outputs();
        ASSERT_EQ(written.size(), 3u);
        for (std::string& block : written)
            block = std::regex_replace(block, time, "TIME");
        EXPECT_EQ(written[0], c.command);
        EXPECT_EQ(written[1], c.answer);
        EXPECT_EQ(written[2], "<div class=dexmode_comment>no time</div>");
        // The text file has the time in front of the mark.
        const std::string text = std::regex_replace(str(seite.outputFileText(false)), time, "TIME");
        EXPECT_EQ(text, c.ticked ? "TIME > v\r\nTIME < OK (status 00=OK)\r\n# no time\r\n"
                                 : "> v\r\n< OK (status 00=OK)\r\n# no time\r\n");
        seite.outputClear();
        takeScripts();
    }
}

// A known output saved as text and as HTML (chosen by the extension), byte for byte; emptying
// the output area empties the file too; a failed save names the system's reason.
TEST_F(DieSeiteLog, OutputSavesAsTextOrHtmlByTheExtension) {
    seite.outputWriteComment("Start it's\rnow");
    seite.outputWriteCmd("m:main<font style=\"font-family:Symbol;\">\xBF&nbsp;</font>mode &lt;x&gt;");
    seite.outputWriteAnswer("{00}OK");
    seite.outputWriteAnswer("mode?\r{04} RANGE &prime;x&prime; ERROR");
    seite.outputWriteAnswer("PING &amp; \xE4");
    takeScripts();
    const std::string text =
        "# Start it's\xB0now\r\n"
        "> m:main\xB0mode <x>\r\n"
        "< OK (status 00=OK)\r\n"
        "< mode?\xB0 RANGE 'x' ERROR (status 04=Wert au\xDF"
        "erhalb des Bereichs)\r\n"
        "< PING & \xE4\r\n";
    const std::string blocks =
        "<div class=dexmode_comment>Start it's<br>now</div>\r\n"
        "<font class=dexmode_cmd>m:main<font style=\"font-family:Symbol;\">\xBF&nbsp;</font>mode "
        "&lt;x&gt;</font><br>\r\n"
        "<div class=dexmode_answerOK>OK<font class=dexmode_answerStatus>&nbsp;(status 00=OK)</font></div>\r\n"
        "<div class=dexmode_answerERROR>mode?<br> RANGE &prime;x&prime; ERROR<font "
        "class=dexmode_answerStatus>&nbsp;(status 04=Wert au\xDF"
        "erhalb des Bereichs)</font></div>\r\n"
        "<div class=dexmode_answerOK>PING &amp; \xE4</div>\r\n";
    struct Case {
        const char* name;
        bool html;
    } cases[] = {{"out.txt", false}, {"out.log", false}, {"out.htm", true}, {"OUT.HTML", true}};
    for (const Case& c : cases) {
        dialogs.fileAnswers = {dir.file(c.name)};
        EXPECT_TRUE(navigate("vyx:dexmode:outputsave"));
        const std::string saved = dir.read(c.name);
        if (!c.html) {
            EXPECT_EQ(saved, text) << c.name;
            continue;
        }
        EXPECT_EQ(saved.rfind("<!DOCTYPE html>\r\n<html><head><meta charset=\"windows-1252\">", 0), 0u)
            << c.name;
        const size_t body = saved.find("<body>\r\n");
        ASSERT_NE(body, std::string::npos) << c.name;
        EXPECT_EQ(saved.substr(body + 8), blocks + "</body></html>\r\n") << c.name;
    }
    EXPECT_EQ(html("dexmode_info"), "");
    ASSERT_EQ(dialogs.fileRequests.size(), 4u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(str(dialogs.fileRequests[0].title), "Ausgabe speichern");
    EXPECT_EQ(str(dialogs.fileRequests[0].defaultExtension), "txt");
    EXPECT_EQ(str(dialogs.fileRequests[1].proposedFile), dir.file("out.txt"));
    EXPECT_TRUE(takeScripts().empty());  // saving leaves the output area alone

    EXPECT_TRUE(navigate("vyx:dexmode:output_clear"));
    dialogs.fileAnswers = {dir.file("empty.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:outputsave"));
    EXPECT_EQ(dir.read("empty.txt"), "");

    dialogs.fileAnswers = {dir.file("no folder/out.txt")};
    EXPECT_TRUE(navigate("vyx:dexmode:outputsave"));
    const std::string info = html("dexmode_info");
    EXPECT_NE(info.find("msgError"), std::string::npos) << info;
    EXPECT_NE(info.find("Die Ausgabe konnte nicht gespeichert werden:"), std::string::npos) << info;
    EXPECT_NE(info.find("No such file or directory"), std::string::npos) << info;
}

// The disk fills up while the output is saved over an earlier file: that file stays as it was.
TEST_F(DieSeiteLog, FailedSaveLeavesTheOldFile) {
    const std::string old = dir.write("out.txt", "earlier\r\n");
    for (int i = 0; i < 100; ++i)
        seite.outputWriteAnswer("{00}OK with a longer text to fill the file");
    dialogs.answers = {IDYES};  // replace the file
    dialogs.fileAnswers = {old};
    {
        FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.ok());
        EXPECT_TRUE(navigate("vyx:dexmode:outputsave"));
    }
    EXPECT_EQ(dir.read("out.txt"), "earlier\r\n");
    EXPECT_EQ(html("dexmode_info"), "<font class='msgError'>Die Ausgabe konnte nicht gespeichert werden: " +
                                        old + "<br>File too large</font>");
}
