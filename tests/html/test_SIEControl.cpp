#include "MemoryPage.h"
#include "SIEControl.h"
#include "TraceMonitor.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::string unsupported =
    "Ihr System erf\xFCllt leider nicht die Vorraussetzungen dieses Programms.\r\n"
    "Sie ben\xF6tigen als Betriebssystem Windows 2000/XP sowie den Internet Explorer 6 oder h\xF6her.";

HWND parentWindow() {
    return reinterpret_cast<HWND>(uintptr_t(0x1234));
}

// A host as the page class uses it: it sees every navigation and can cancel it.
class Host : public SIEControl {
public:
    int onBeforeNavigate2(IDispatch*, const SString& url, const SString&, VARIANT*, const SString&) override {
        urls.push_back(url.getChars());
        return std::string(url).rfind("vyx:", 0) == 0 ? 1 : 0;
    }
    void onDocumentComplete(IDispatch*, const SString& url) override { completed.push_back(url.getChars()); }
    std::vector<std::string> urls;
    std::vector<std::string> completed;
};

class SIEControlTest : public ::testing::Test {
protected:
    void SetUp() override { TraceMonitor::get().reset(); }
    MemoryPage page;  // before the hosts: it owns what they hold
    ScriptedDialogs dialogs;
};

}  // namespace

TEST_F(SIEControlTest, SystemCheckWantsAnEngineNewerThanVersion5) {
    struct Case {
        const char* version;
        bool passes;
    } cases[] = {
        {"6.0.2900.2180", true}, {"5.50.4807", false}, {"11.0", true}, {"7", true}, {"5", false}, {"", false},
        {"x6.0", false},         {" 6.0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SIEControl::isSupportedVersion(c.version), c.passes) << c.version;
        page.version = c.version;
        page.calls.clear();
        dialogs.boxes.clear();
        bool destroyed = false;
        Host host;
        host.destroyMainWindow = [&] { destroyed = true; };
        EXPECT_EQ(host.create(parentWindow()), c.passes ? 1 : 0) << c.version;
        EXPECT_EQ(destroyed, !c.passes) << c.version;
        EXPECT_EQ(host.isCreated(), c.passes);
        if (c.passes) {
            EXPECT_TRUE(dialogs.boxes.empty());
        } else {
            ASSERT_EQ(dialogs.boxes.size(), 1u);
            EXPECT_EQ(dialogs.boxes[0].text, unsupported);
            EXPECT_EQ(dialogs.boxes[0].caption, "Fehler !");
            EXPECT_EQ(dialogs.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
            EXPECT_TRUE(page.calls.empty()) << "no browser for " << c.version;
        }
    }
    EXPECT_EQ(page.getOutstandingReferences(), 0);
}

TEST_F(SIEControlTest, CreateEmbedsTheBrowserShowsABlankPageAndConnectsBothSinks) {
    Host host;
    host.setParentTitle("Zyntra Terminal \xB0");
    host.setRect({0, 30, 800, 600});
    ASSERT_EQ(host.create(parentWindow()), 1);
    EXPECT_EQ(page.calls,
              (std::vector<SString>{"createBrowser", "SetHostNames(Zyntra Terminal \xB0)", "DoVerb(-1)"}));
    EXPECT_EQ(page.getBrowserParent(), parentWindow());
    EXPECT_EQ(host.getWindow(), MemoryPage::getBrowserWindow());
    EXPECT_EQ(page.navigations, (std::vector<SString>{"about:blank"}));
    EXPECT_EQ(page.navigationFlags, (std::vector<int>{12}));  // neither from nor into the cache
    // The browser sink was connected before the navigation, the document sink after it.
    EXPECT_EQ(host.urls, (std::vector<std::string>{"about:blank"}));
    EXPECT_EQ(page.getBrowserSinkCount(), 1);
    EXPECT_EQ(page.getDocumentSinkCount(), 1);
    EXPECT_TRUE(host.getDocument().isValid());
    EXPECT_TRUE(dialogs.boxes.empty());

    // Command links are cancelled by the page class; other navigations go on.
    EXPECT_TRUE(page.fireNavigation("vyx:dexmode:send"));
    EXPECT_FALSE(page.fireNavigation("about:blank#top"));
    page.completeDocument();
    EXPECT_EQ(host.urls.back(), "about:blank#top");
    EXPECT_EQ(host.completed, (std::vector<std::string>{"about:blank"}));

    host.goBack();
    host.goForward();
    host.refresh();
    host.stop();
    EXPECT_EQ(std::vector<SString>(page.calls.end() - 4, page.calls.end()),
              (std::vector<SString>{"GoBack", "GoForward", "Refresh", "Stop"}));
}

TEST_F(SIEControlTest, CloseBrowserLetsEverythingGo) {
    {
        Host host;
        ASSERT_EQ(host.create(parentWindow()), 1);
        host.sendJS("outputClear();");
        host.focusPage();
        EXPECT_GT(page.getOutstandingReferences(), 0);
        host.closeBrowser();
        EXPECT_EQ(page.getBrowserSinkCount(), 0);
        EXPECT_EQ(page.getDocumentSinkCount(), 0);
        EXPECT_EQ(page.getOutstandingReferences(), 0);
        EXPECT_EQ(static_cast<SWebBrowserEvents2&>(host).getReferenceCount(), 0u);
        EXPECT_EQ(static_cast<SDocumentEvents2&>(host).getReferenceCount(), 0u);
        EXPECT_EQ(page.calls.back(), "Close(1)");
        // Closed: the page operations do nothing, a second close changes nothing.
        EXPECT_EQ(host.sendJS("x();"), 0);
        host.closeBrowser();
    }  // the destructor closes again
    EXPECT_EQ(page.getOutstandingReferences(), 0);
    EXPECT_EQ(page.getSurplusReleases(), 0);
}

TEST_F(SIEControlTest, ScriptsRunInThePageWindow) {
    Host host;
    ASSERT_EQ(host.create(parentWindow()), 1);
    EXPECT_EQ(host.sendJS("outputClear();"), 1);
    EXPECT_EQ(host.sendJS("tabSelect('mytabScriptTWI','Skipt ausf\xFChren');"), 1);
    ASSERT_EQ(page.scripts.size(), 2u);
    EXPECT_EQ(page.scripts[1].code, "tabSelect('mytabScriptTWI','Skipt ausf\xFChren');");
    EXPECT_EQ(page.scripts[1].language, "javascript");
    host.focusPage();
    EXPECT_EQ(page.focusCount, 1);
    EXPECT_TRUE(TraceMonitor::get().linesSince().empty());

    page.failScripts = true;
    EXPECT_EQ(host.sendJS("setLang('de');"), 0);
    EXPECT_EQ(TraceMonitor::get().linesSince(),
              (std::vector<std::string>{"FEHLER: SIEControl::sendJS(..) win.execScript('setLang('de');')"}));
}

TEST_F(SIEControlTest, ScriptsBeforeADocumentOnlyTrace) {
    Host host;  // not created: no browser, no document
    EXPECT_EQ(host.sendJS("outputClear();"), 0);
    host.focusPage();
    EXPECT_FALSE(host.getDocument().isValid());
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(page.scripts.empty());
    EXPECT_EQ(page.focusCount, 0);
    EXPECT_EQ(TraceMonitor::get().linesSince(),
              (std::vector<std::string>{"FEHLER: SIEControl::sendJS(..) win.execScript('outputClear();')"}));
}

TEST_F(SIEControlTest, ABrowserWithoutDocumentShowsTheBoxAndConnectsNoDocumentSink) {
    page.documentAvailable = false;
    Host host;
    ASSERT_EQ(host.create(parentWindow()), 1);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Das Dokument-Objekt konnte nicht ermittelt werden");
    EXPECT_EQ(dialogs.boxes[0].caption, "Fehler !");
    EXPECT_EQ(dialogs.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(page.getDocumentSinkCount(), 0);
    EXPECT_EQ(page.getBrowserSinkCount(), 1);

    EXPECT_EQ(host.sendJS("outputClear();"), 0);
    EXPECT_TRUE(page.scripts.empty());
    EXPECT_EQ(TraceMonitor::get().linesSince(),
              (std::vector<std::string>{"FEHLER: SIEControl::sendJS(..) win.execScript('outputClear();')"}));

    // Once the browser has one, the next request finds it.
    page.documentAvailable = true;
    EXPECT_TRUE(host.getDocument().isValid());
}

TEST_F(SIEControlTest, AnEngineWithoutBrowserLeavesTheHostEmpty) {
    page.refuseBrowser = true;
    Host host;
    EXPECT_EQ(host.create(parentWindow()), 0);
    EXPECT_EQ(host.sendJS("x();"), 0);
    EXPECT_EQ(host.translateAccelerator(nullptr, WM_KEYDOWN, 'A', 0), 0);
    const auto lines = TraceMonitor::get().linesSince();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("FEHLER: SIEControl::create(..) kein Browser-Objekt", 0), 0u) << lines[0];
}

TEST_F(SIEControlTest, KeyMessagesExceptReturnDownGoToTheBrowser) {
    Host host;
    ASSERT_EQ(host.create(parentWindow()), 1);
    page.consumedKeys = {VK_TAB, VK_RETURN};
    const HWND window = host.getWindow();
    struct Case {
        UINT message;
        WPARAM key;
        bool offered;
        int consumed;
    } cases[] = {
        {WM_KEYDOWN, VK_RETURN, false, 0}, {WM_KEYUP, VK_RETURN, true, 1}, {WM_KEYDOWN, VK_TAB, true, 1},
        {WM_KEYDOWN, 'A', true, 0},        {WM_CHAR, VK_RETURN, true, 0},
    };
    for (const Case& c : cases) {
        page.offeredKeys.clear();
        EXPECT_EQ(host.translateAccelerator(window, c.message, c.key, 7), c.consumed)
            << c.message << " " << c.key;
        ASSERT_EQ(page.offeredKeys.size(), c.offered ? 1u : 0u) << c.message << " " << c.key;
        if (c.offered) {
            EXPECT_EQ(page.offeredKeys[0].hwnd, window);
            EXPECT_EQ(page.offeredKeys[0].message, c.message);
            EXPECT_EQ(page.offeredKeys[0].wParam, c.key);
            EXPECT_EQ(page.offeredKeys[0].lParam, 7);
        }
    }
    EXPECT_TRUE(TraceMonitor::get().linesSince().empty());

    page.offerInPlaceObject = false;
    EXPECT_EQ(host.translateAccelerator(window, WM_KEYDOWN, VK_TAB, 0), 0);
    EXPECT_EQ(TraceMonitor::get().linesSince(),
              (std::vector<std::string>{"kein IOleInPlaceActiveObject verf\xFCgbar"}));
}

namespace {
// Reads a JavaScript string literal back as a script engine would; false when it is not exactly
// one literal (an unescaped quote, a raw line end, a trailing rest).
bool readLiteral(const std::string& literal, std::string& text) {
    if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'') return false;
    text.clear();
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        char c = literal[i];
        if (c == '\'' || c == '\r' || c == '\n') return false;
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i + 1 >= literal.size()) return false;
        switch (literal[i]) {
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 'x':
                if (i + 3 >= literal.size()) return false;
                text += char(std::stoi(literal.substr(i + 1, 2), nullptr, 16));
                i += 2;
                break;
            default:
                text += literal[i];
        }
    }
    return true;
}
}  // namespace

TEST_F(SIEControlTest, DataInScriptsStaysOneStringLiteral) {
    const char* texts[] = {
        "de",
        "it's",
        "a\\'); alert(1); //",
        "line\r\nbreak",
        "</script><script>alert(1)</script>",
        "\"double\" \t tab \x01",
        "\xE4\xF6\xFC \xB0",
    };
    for (const char* text : texts) {
        const SString literal = SIEControl::jsString(text);
        std::string back;
        EXPECT_TRUE(readLiteral(literal.getChars(), back)) << literal.getChars();
        EXPECT_EQ(back, text);
        EXPECT_EQ(std::string(literal).find("</"), std::string::npos) << literal.getChars();
    }
    Host host;
    ASSERT_EQ(host.create(parentWindow()), 1);
    host.sendJS("setLang(" + SIEControl::jsString("en') + alert(1") + ");");
    EXPECT_EQ(page.scripts.back().code, "setLang('en\\') + alert(1');");
}
