// The terminal page as the tests use it: the in-memory page loaded with the terminal page, the
// device simulator on a pseudo-terminal behind a COM name, scripted dialogs, and the browser sink
// reached as the browser reaches it (BeforeNavigate2 through Invoke, with its cancel flag).
//
//   class MyTest : public DieSeiteFixture {};
//   TEST_F(MyTest, Sends) {
//       startSim();                               // the simulator behind COM7, COM7 chosen
//       page.setValue("dexmode_cmdOne", "v");
//       EXPECT_TRUE(navigate("vyx:dexmode:send"));
//       EXPECT_NE(outputs().back().find("{00}"), std::string::npos);
//   }
#pragma once

#include "DieSeite.h"
#include "MemoryPage.h"
#include "RawText.h"
#include "SFile.h"
#include "SFileIni.h"
#include "SResources.h"
#include "TempDir.h"
#include "TraceMonitor.h"
#include "testing/ScriptedDialogs.h"

#ifdef VYX_HAVE_SIM
#include "ZyntraSim.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#ifndef VYX_APP_TEST_DATA
#error "VYX_APP_TEST_DATA names the folder of the test page (set by app/CMakeLists.txt)"
#endif

class DieSeiteFixture : public ::testing::Test {
public:
    // The folder the page and "twiStatus.txt" come from, and the page's resource name: the one
    // place to change when the page moves.
    static std::string resourceFolder() { return VYX_APP_TEST_DATA; }
    static const char* pageName() { return "dieSeite.htm"; }
    // The COM name the simulator is put behind.
    static const char* simPort() { return "COM7"; }

    static std::string str(const SString& s) { return std::string(s.getChars(), size_t(s.getLength())); }

protected:
    void SetUp() override {
        SResources& resources = globalResources();
        resources.initialized = 1;
        resources.directoryMode = 1;
        resources.resourceDirectories.clear();
        resources.resourceDirectories.add(resourceFolder().c_str());
        // The page's configuration and command history stay in a folder of the test's own.
        ASSERT_TRUE(fixtureConfig.open(configDir.file("fixture.cfg").c_str(), true));
        seite.userConfig = &fixtureConfig;
        ASSERT_EQ(seite.create(nullptr), 1);
        seite.expandPage = nullptr;  // the test page has no template directives
        const SString path = resources.getFile(pageName());
        ASSERT_FALSE(path.isEmpty()) << "no " << pageName() << " in " << resourceFolder();
        seite.showHtml(SFile::readTextFile(path), "lang=de");
        page.scripts.clear();
        TraceMonitor::get().reset();
    }

    void TearDown() override {
        seite.close(0);
        EXPECT_FALSE(seite.isOpen());
        ::unsetenv(variable().c_str());
    }

#ifdef VYX_HAVE_SIM
    // Starts the simulator, puts it behind simPort() and chooses that port in the page.
    void startSim(const ZyntraSimOptions& options = ZyntraSimOptions()) {
        sim.reset(new ZyntraSim(options));
        ASSERT_TRUE(sim->start()) << sim->lastError();
        ::setenv(variable().c_str(), sim->slavePath().c_str(), 1);
        ASSERT_TRUE(page.setValue("port", simPort()));
    }
    // What the device received since the last call: framed commands as "[text]", lines as they are.
    std::vector<std::string> received() {
        std::vector<std::string> all;
        for (const ZyntraSimReceived& r : sim->takeReceived())
            all.push_back(r.framed ? "[" + r.text + "]" : r.text);
        return all;
    }
    std::unique_ptr<ZyntraSim> sim;
#endif

    static std::string variable() {
        return std::string("VYX_PORT_") + simPort();
    }

    // The page navigates to url as the browser does; true when the program cancelled it.
    bool navigate(const std::string& url) {
        return page.fireNavigation(url.c_str());
    }

    // The user types a command list (the list is read as the element's inner text); typed text
    // is never a literal of the program, whatever it starts with.
    void typeList(const std::string& list) {
        ASSERT_TRUE(seite.setElementText("dexmode_cmdList", rawText(list.data(), int(list.size()))));
    }

    std::string text(const char* id) const {
        return str(page.getInnerText(id));
    }
    std::string html(const char* id) const {
        return str(page.getInnerHTML(id));
    }
    std::string value(const char* id) const {
        return str(page.getValue(id));
    }

    // The page scripts run since the last call.
    std::vector<std::string> takeScripts() {
        std::vector<std::string> result;
        for (size_t i = scriptsTaken; i < page.scripts.size(); ++i)
            result.push_back(str(page.scripts[i].code));
        scriptsTaken = page.scripts.size();
        return result;
    }
    // The fragments handed to the page's output function since the last call, as the page
    // receives them (the script string decoded); "<clear>" for each outputClear.
    std::vector<std::string> outputs() {
        std::vector<std::string> result;
        for (const std::string& code : takeScripts()) {
            if (code == "outputClear();")
                result.push_back("<clear>");
            else if (code.compare(0, 8, "output('") == 0 && code.size() >= 11 &&
                     code.compare(code.size() - 3, 3, "');") == 0)
                result.push_back(decodeJs(code.substr(8, code.size() - 11)));
        }
        return result;
    }
    // Every output fragment since the last call, joined.
    std::string output() {
        std::string all;
        for (const std::string& piece : outputs())
            all += piece;
        return all;
    }
    // Trace lines written since the last call.
    std::vector<std::string> traceLines() {
        return TraceMonitor::get().linesSince();
    }

    // Reverses SIEControl::jsString on the inside of a single-quoted literal; a quote that
    // would end the literal early shows as "<UNESCAPED QUOTE>".
    static std::string decodeJs(const std::string& s) {
        std::string out;
        for (size_t i = 0; i < s.size(); ++i) {
            char c = s[i];
            if (c == '\'') {
                out += "<UNESCAPED QUOTE>";
                continue;
            }
            if (c != '\\' || i + 1 >= s.size()) {
                out += c;
                continue;
            }
            char e = s[++i];
            if (e == 'r')
                out += '\r';
            else if (e == 'n')
                out += '\n';
            else if (e == 'x' && i + 2 < s.size()) {
                out += char(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
                i += 2;
            } else
                out += e;
        }
        return out;
    }

    TempDir configDir;
    SFileIni fixtureConfig;
    MemoryPage page;  // before the page object, which uses it
    ScriptedDialogs dialogs;
    DieSeite seite;
    size_t scriptsTaken = 0;
};
