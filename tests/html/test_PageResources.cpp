// The terminal page as the program ships it (resources/page): expanded by the page template it must
// offer every element the program reads or writes, carry texts for every key in both languages,
// and its device scripts must be understood by the device (the simulator).
#include "PageScanner.h"
#include "PageTemplate.h"
#include "SFile.h"
#include "SLanguage.h"
#include "SResources.h"
#include "SimTestSupport.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <map>
#include "TestText.h"

#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

std::string readResource(const std::string& name) {
    SString error;
    return str(SFile::readTextFile((std::string(VYX_PAGE_DIR) + "/" + name).c_str(), &error));
}

// Elements the program finds by id.
const std::vector<std::string> kProgramIds = {"port",
                                              "zyntra_info",
                                              "dexmode_info",
                                              "dexmode_cmdList",
                                              "dexmode_cmdOne",
                                              "dexmode_timestamps",
                                              "spiSpeedAusgabeSpeed",
                                              "spiSpeedAusgabeSlow",
                                              "pageVexo",
                                              "vexo_info",
                                              "vexoClockYN",
                                              "vexoTempYN",
                                              "vexoClockText",
                                              "vexoTempText",
                                              "vexoEepromText",
                                              "vexoTempOn",
                                              "vexoTempOff",
                                              "vexoEepromReadAdr",
                                              "vexoEepromReadAnz",
                                              "vexoEepromWriteAdr",
                                              "vexoEepromWriteData",
                                              "mytabScriptTWI"};

const std::vector<std::string> kVexoScripts = {
    "vexoClockScript",    "vexoClockScriptSet",    "vexoTempScript",       "vexoTempScriptStart",
    "vexoTempScriptHyst", "vexoEepromScriptLesen", "vexoEepromScriptWrite"};

// Texts the program itself takes from the language table.
const std::vector<std::string> kProgramKeys = {
    "Ende", "Error01", "Error02", "Error03", "Error04", "Error05", "Error06", "Error07", "Error08", "Error09",
    "Error10", "Error11",
    "busy", "spiSetTo", "spiGesetztAuf", "qelPortChoice", "qelNotFoundOnPort", "qelFirmwareOld",
    "dexmodeFileDlgFilter", "dexmodeFileDlgTitelLoad", "dexmodeFileDlgTitelSave", "frage", "msgSprachwechsel",
    "dexmodeOutputDlgFilter", "dexmodeOutputDlgTitel", "dexmodeOutputSaveError",
    // used by the page script outside any element
    "pgSpiBausteinUnbekannt"};

struct ExpandedPage {
    std::string text;
    pagescanner::Result scan;
    std::vector<ScriptedDialogs::Box> boxes;

    std::vector<const pagescanner::Element*> byId(const std::string& id) const {
        std::vector<const pagescanner::Element*> found;
        for (const auto& e : scan.elements)
            if (e.get("id") == id) found.push_back(&e);
        return found;
    }
    std::string innerHtml(const pagescanner::Element& e) const {
        return text.substr(e.innerStart, e.innerEnd - e.innerStart);
    }
};

ExpandedPage expandPage(const std::string& lang) {
    SResources resources;
    resources.initialized = 1;
    resources.directoryMode = 1;
    resources.resourceDirectories.add(VYX_PAGE_DIR);
    ScriptedDialogs dialogs;
    PageTemplate expansion(resources);
    const std::string page = readResource("dieSeite.htm");
    const std::string parameters = "lang=" + lang + ";respfad=file://localhost" VYX_PAGE_DIR "/";
    ExpandedPage result;
    result.text = str(expansion.expand(SString(page.c_str(), int(page.size())), parameters.c_str()));
    result.scan = pagescanner::scan(result.text);
    result.boxes = dialogs.boxes;
    return result;
}

class PageResourcesTest : public ::testing::TestWithParam<std::string> {};

TEST_P(PageResourcesTest, ExpandedPageOffersEveryElementTheProgramUses) {
    const ExpandedPage page = expandPage(GetParam());
    for (const auto& box : page.boxes)
        ADD_FAILURE() << "box while expanding: " << box.text;
    EXPECT_EQ(page.text.find("<!!vyx_"), std::string::npos);
    EXPECT_EQ(page.text.find("%lang%"), std::string::npos);
    EXPECT_NE(page.text.find("<html lang=\"" + GetParam() + "\">"), std::string::npos);
    // The styles and the script came in; the program calls these functions by name.
    for (const char* needle :
         {"function output(", "function outputClear(", "function setLang(", "function tabSelect(", "function historySet(", "function historyAdd(",
          ".msgError", ".msgOK", ".msgOk", ".dexmode_cmd", ".dexmode_comment", ".dexmode_answerOK",
          ".dexmode_answerERROR", ".dexmode_answerStatus", ".spiSpeedOk", ".spiSpeedError"})
        EXPECT_NE(page.text.find(needle), std::string::npos) << needle;

    std::vector<std::string> ids = kProgramIds;
    for (const auto& script : kVexoScripts) {
        ids.push_back(script);
        ids.push_back(script + "_show");
        ids.push_back(script + "_return");
    }
    for (const auto& id : ids)
        EXPECT_EQ(page.byId(id).size(), 1u) << id;

    // "nix" and COM1 .. COM19, in that order.
    const auto port = page.byId("port");
    ASSERT_EQ(port.size(), 1u);
    ASSERT_EQ(port[0]->options.size(), 20u);
    EXPECT_EQ(port[0]->options[0].value, "nix");
    for (int i = 1; i <= 19; ++i)
        EXPECT_EQ(port[0]->options[size_t(i)].value, "COM" + std::to_string(i));

    // The Vexo tab starts hidden through its inline style, so nothing is polled before it is shown.
    EXPECT_EQ(pagescanner::displayOf(page.byId("pageVexo")[0]->get("style")), "none");
}

TEST_P(PageResourcesTest, LanguageFileHasATextForEveryKey) {
    const ExpandedPage page = expandPage(GetParam());
    std::set<std::string> keys(kProgramKeys.begin(), kProgramKeys.end());
    for (const auto& e : page.scan.elements)
        for (const char* attribute : {"data-t", "data-t-aria", "data-t-ph"})
            if (e.has(attribute)) keys.insert(e.get(attribute));
    ASSERT_GT(keys.size(), kProgramKeys.size() + 50);

    SLanguage table;
    const std::string file = readResource("terminal_" + GetParam() + ".lng");
    // The file also stands inside the page as the page script's text table: none of these may be in it.
    for (const char* breaking : {"</", "<!--", "<!!vyx_", "%lang%", "%respfad%"})
        EXPECT_EQ(file.find(breaking), std::string::npos) << breaking;
    table.load(file.data(), int(file.size()));
    EXPECT_EQ(str(table.loadErrors), "");
    const std::string missing = "\x01missing";
    for (const auto& key : keys) {
        const std::string literal = "\xB3\xB3" + key + "\xB3\xB3" + missing;
        const std::string text = table.translate(literal.c_str());
        EXPECT_NE(text, missing) << key;
        EXPECT_FALSE(text.empty()) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, PageResourcesTest, ::testing::Values("de", "en"));

TEST(PageResources, StatusTextsAreCodeEqualsTextLines) {
    const std::string text = readResource("twiStatus.txt");
    const std::regex line("[0-9A-F]{2}=[^=\r\n]+");
    size_t start = 0;
    int count = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every entry ends with CR LF";
        EXPECT_TRUE(std::regex_match(text.substr(start, end - start), line))
            << text.substr(start, end - start);
        start = end + 2;
        ++count;
    }
    EXPECT_GE(count, 10);
    EXPECT_EQ(text.substr(0, 6), "00=OK\r");
}

// The page's Vexo scripts, filled the way the program fills them, run one after the other on the
// simulator; each answer must hold what the program takes apart.
class PageScriptsOnDevice : public simtest::SimFixture {};

TEST_F(PageScriptsOnDevice, VexoScriptsGiveTheAnswersTheProgramReads) {
    const ExpandedPage page = expandPage("de");
    std::map<std::string, std::string> scripts;
    for (const auto& id : kVexoScripts) {
        const auto found = page.byId(id);
        ASSERT_EQ(found.size(), 1u) << id;
        scripts[id] = pagescanner::textOf(page.innerHtml(*found[0]));
    }
    ZyntraSimOptions options;
    options.temperature = 25.5;
    startWith(options);
    ASSERT_EQ(port->frame("m"), "mode m Dexmode OK\n");

    struct Case {
        std::string script;
        std::map<std::string, std::string> fill;
        std::string answer;  // a regular expression searched in the answer
    };
    const std::vector<Case> cases = {
        {"vexoClockScriptSet", {{"newtime", "45301203241208"}}, "^\\{00\\}OK\n$"},
        // seconds may have moved on; minutes, hours, weekday and date stand
        {"vexoClockScript", {}, "([0-9][0-9])301203241208!"},
        {"vexoTempScriptStart", {}, "^\\{00\\}OK\n$"},
        {"vexoTempScript", {}, "^1980!\r\\{00\\}OK\n$"},
        {"vexoTempScriptHyst", {{"ON", "1980"}, {"OFF", "1900"}}, "^\\{00\\}OK\n$"},
        {"vexoEepromScriptWrite", {{"adr", "10"}, {"daten", " 1 2 F"}}, "^\\{00\\}OK\n$"},
        {"vexoEepromScriptLesen", {{"adr", "10"}, {"anz", "03"}}, "^01020F!\r\\{00\\}OK\n$"},
        // an address beyond the chip is refused visibly
        {"vexoEepromScriptWrite", {{"adr", "100"}, {"daten", " 1"}}, "\\?"},
    };
    for (const auto& c : cases) {
        std::string line = scripts[c.script];
        for (auto& ch : line)
            if (ch == '\xB0') ch = '\r';
        for (const auto& f : c.fill) {
            const std::string placeholder = "%%" + f.first + "%%";
            for (size_t at = line.find(placeholder); at != std::string::npos; at = line.find(placeholder))
                line.replace(at, placeholder.size(), f.second);
        }
        EXPECT_EQ(line.find("%%"), std::string::npos) << c.script;
        const std::string answer = port->dex(line);
        EXPECT_TRUE(std::regex_search(answer, std::regex(c.answer))) << c.script << ": " << answer;
    }
}

}  // namespace
