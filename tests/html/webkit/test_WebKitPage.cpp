#include "../TraceMonitor.h"
#include "EventLoop.h"
#include "IntHtmView.h"
#include "TempDir.h"
#include "WebKitEngine.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// The page host as the program uses it, writing page texts unexpanded; it records the browser
// events and cancels command links ("vyx:") as the page class does.
class Host : public IntHtmView {
public:
    Host() { expandPage = nullptr; }
    int onBeforeNavigate2(IDispatch*, const SString& url, const SString&, VARIANT*, const SString&) override {
        navigations.push_back(url.getChars());
        if (duringNavigation) duringNavigation(url);
        ++navigationsDone;
        return url.startsWith("vyx:") ? 1 : 0;
    }
    void onDocumentComplete(IDispatch*, const SString& url) override { completed.push_back(url.getChars()); }

    // Page reads and writes through the wrappers, as the page class does them.
    SString innerText(const char* id) {
        SHtmlElement element;
        SString text;
        if (element.attachById(getDocument(), id)) element.getInnerText(text);
        return text;
    }
    int setInnerText(const char* id, const SString& text) {
        SHtmlElement element;
        return element.attachById(getDocument(), id) ? element.setInnerText(text) : 0;
    }
    // The result of a script expression, through a page element the script writes it into.
    SString evaluate(const char* expression) {
        if (!sendJS(SString("document.getElementById('probe').innerText=String(") + expression + ");"))
            return "(script failed)";
        return innerText("probe");
    }

    std::vector<std::string> navigations;
    int navigationsDone = 0;
    std::vector<std::string> completed;
    std::function<void(const SString& url)> duringNavigation;
};

GtkWidget* viewOf(Host& host) {
    return reinterpret_cast<GtkWidget*>(host.getWindow());
}

class WebKitPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display"; }

    void SetUp() override {
        TraceMonitor::get().linesSince();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        fixed = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window), fixed);
        gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
        gtk_widget_show_all(window);
        host.setRect({10, 20, 610, 460});
    }
    void TearDown() override {
        host.closeBrowser();
        if (window != nullptr) gtk_widget_destroy(window);
    }

    // Creates the browser in the window and shows page with the temporary folder as its resource
    // folder.
    void show(const std::string& page) {
        ASSERT_EQ(host.create(reinterpret_cast<HWND>(fixed)), 1);
        host.showHtml(page.c_str(),
                      (std::string("lang=de;respfad=file://localhost") + temp.path() + "/").c_str());
    }

    bool waitFor(const std::function<bool()>& done) { return EventLoop::waitUntil(15000, done); }

    WebKitEngine engine;  // before the host: the host's browser comes from it
    ScriptedDialogs dialogs;
    TempDir temp;
    Host host;
    GtkWidget* window = nullptr;
    GtkWidget* fixed = nullptr;
};

const char* const kPage =
    "<html><head><link rel=stylesheet href='page.css'></head><body><p id=out>start</p><p id=probe></p>"
    "<input id=field value='x'><input id=box type=checkbox><div id=panel style='display:none'>p</div>"
    "<select id=choice><option value=a>A</option><option value=b>B</option></select>"
    "<a id=command href='vyx:send?text=1'>c</a><a id=other href='other.htm'>o</a>"
    "<form id=form action='vyx:send'><input name=q value=1></form>"
    "</body></html>";

}  // namespace

TEST_F(WebKitPageTest, WrittenPageIsShownInTheParentAndItsElementsReadAndWritten) {
    std::ofstream(temp.path() + "/page.css") << "#out { font-weight: 700; }";
    show(kPage);
    GtkWidget* view = viewOf(host);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(gtk_widget_get_parent(view), fixed);
    int width = 0, height = 0;
    gtk_widget_get_size_request(view, &width, &height);
    EXPECT_EQ(width, 600);
    EXPECT_EQ(height, 440);

    // The page has loaded when showHtml returns, and the sinks were told.
    EXPECT_EQ(host.innerText("out"), "start");
    ASSERT_FALSE(host.completed.empty());
    EXPECT_EQ(host.completed.back(), "file://" + temp.path() + "/");
    EXPECT_EQ(host.evaluate("document.baseURI"), SString(("file://" + temp.path() + "/").c_str()));
    // Resources named relative to the page come from its resource folder.
    EXPECT_EQ(host.evaluate("getComputedStyle(document.getElementById('out')).fontWeight"), "700");

    // Windows-1252 text beyond ASCII goes in and comes back unchanged.
    const SString text("25\xB0 C \xE4 \xB4");
    EXPECT_EQ(host.setInnerText("out", text), 1);
    EXPECT_EQ(host.innerText("out"), text);
    EXPECT_EQ(host.evaluate("document.getElementById('out').innerText.charCodeAt(2)"), "176");

    SHtmlDocument2& document = host.getDocument();
    SHtmlElement element;
    ASSERT_TRUE(element.attachById(document, "out"));
    EXPECT_EQ(element.setInnerHTML("<b id=bold>fett \xE4</b>"), 1);
    EXPECT_EQ(host.innerText("bold"), "fett \xE4");

    SHtmlInputElement field;
    ASSERT_TRUE(field.attachById(document, "field"));
    EXPECT_EQ(field.setValue("Wert \xB0\xE4\xB4"), 1);
    SString value;
    EXPECT_EQ(field.getValue(value), 1);
    EXPECT_EQ(value, "Wert \xB0\xE4\xB4");
    // Typed text that starts like a literal of the program is not one: it comes back as typed.
    ASSERT_EQ(host.sendJS("document.getElementById('field').value='\\u00B3\\u00B3Error01\\u00B3\\u00B3x';"),
              1);
    EXPECT_EQ(field.getValue(value), 1);
    EXPECT_EQ(std::string(value.getChars(), size_t(value.getLength())),
              "\xB3\xB3"
              "Error01\xB3\xB3x");
    ASSERT_EQ(
        host.sendJS("document.getElementById('probe').innerText=document.getElementById('field').value;"), 1);
    EXPECT_EQ(std::string(host.innerText("probe").getChars()),
              "\xB3\xB3"
              "Error01\xB3\xB3x");

    SHtmlInputElement box;
    ASSERT_TRUE(box.attachById(document, "box"));
    int checked = 1;
    EXPECT_EQ(box.getStatus(checked), 1);
    EXPECT_EQ(checked, 0);
    EXPECT_EQ(box.setChecked(1), 1);
    EXPECT_EQ(box.getStatus(checked), 1);
    EXPECT_NE(checked, 0);

    SHtmlSelectElement choice;
    ASSERT_TRUE(choice.attachById(document, "choice"));
    EXPECT_EQ(choice.setValue("b"), 1);
    EXPECT_EQ(choice.getValue(value), 1);
    EXPECT_EQ(value, "b");
    SHtmlInputElement notAnInput;
    EXPECT_FALSE(notAnInput.attachById(document, "choice"));

    SHtmlElement panel;
    ASSERT_TRUE(panel.attachById(document, "panel"));
    IHTMLStyle* found = nullptr;
    ASSERT_EQ(panel.getStyle(&found), 1);
    SHtmlStyle style;
    style.take(found);
    EXPECT_EQ(style.getDisplay(value), 1);
    EXPECT_EQ(value, "none");
    EXPECT_EQ(style.setDisplay("block"), 1);
    EXPECT_EQ(host.evaluate("document.getElementById('panel').style.display"), "block");

    // Element objects find their element again after the page is rewritten; a vanished one fails.
    host.showHtml("<p id=out>neu</p><p id=probe></p>", "");
    SString after;
    EXPECT_EQ(element.getInnerText(after), 1);
    EXPECT_EQ(after, "neu");
    EXPECT_EQ(field.getValue(value), 0);
    EXPECT_EQ(document.getElementById("field"), nullptr);
}

TEST_F(WebKitPageTest, PageNavigationsReachTheSinkAndOnlyCancelledOnesAreIgnored) {
    std::ofstream(temp.path() + "/other.htm") << "<html><body><p id=there>anderswo</p></body></html>";
    show(kPage);
    ASSERT_EQ(host.navigations.size(), 1u);
    EXPECT_EQ(host.navigations[0], "about:blank");

    // A command link: the sink gets it and cancels it, the page stays.
    ASSERT_EQ(host.sendJS("document.getElementById('command').click();"), 1);
    ASSERT_TRUE(waitFor([&] { return host.navigationsDone == 2; }));
    EXPECT_EQ(host.navigations[1], "vyx:send?text=1");
    EventLoop::wait(300);
    EXPECT_EQ(host.innerText("out"), "start");

    // A location assignment goes the same way.
    ASSERT_EQ(host.sendJS("location.href='vyx:port?nr=3';"), 1);
    ASSERT_TRUE(waitFor([&] { return host.navigationsDone == 3; }));
    EXPECT_EQ(host.navigations[2], "vyx:port?nr=3");

    // So does a form; text beyond ASCII arrives as the page wrote it, escapes of ASCII as they are.
    ASSERT_EQ(host.sendJS("document.getElementById('form').submit();"), 1);
    ASSERT_TRUE(waitFor([&] { return host.navigationsDone == 4; }));
    EXPECT_EQ(host.navigations[3], "vyx:send?q=1");
    ASSERT_EQ(host.sendJS("location.href='vyx:text:25\xB0 \xE4%20%25';"), 1);
    ASSERT_TRUE(waitFor([&] { return host.navigationsDone == 5; }));
    EXPECT_EQ(host.navigations[4], "vyx:text:25\xB0 \xE4%20%25");

    // A file link is not cancelled: the view follows it.
    const size_t completedBefore = host.completed.size();
    ASSERT_EQ(host.sendJS("document.getElementById('other').click();"), 1);
    ASSERT_TRUE(waitFor([&] { return host.completed.size() > completedBefore; }));
    EXPECT_EQ(host.navigations.back(), "file://" + temp.path() + "/other.htm");
    EXPECT_EQ(host.completed.back(), "file://" + temp.path() + "/other.htm");
    EXPECT_EQ(host.innerText("there"), "anderswo");
}

TEST_F(WebKitPageTest, LongCommandInsideBeforeNavigateKeepsThePageWorkingAndStillDecides) {
    std::ofstream(temp.path() + "/other.htm") << "<html><body><p id=there>anderswo</p></body></html>";
    show(kPage);
    int ticks = 0;
    const unsigned timer = EventLoop::setTimer(50, [&](unsigned, unsigned) { ++ticks; });
    SString readInside;
    host.duringNavigation = [&](const SString& url) {
        if (!url.startsWith("vyx:")) return;
        // A page command: waits for the device while the loop dispatches, and uses the page.
        EventLoop::wait(2000);
        readInside = host.innerText("out");
        host.setInnerText("out", "fertig");
    };
    ASSERT_EQ(host.sendJS("document.getElementById('command').click();"), 1);
    ASSERT_TRUE(waitFor([&] { return host.navigationsDone == 2; }));
    EventLoop::killTimer(timer);
    EXPECT_GT(ticks, 10);
    EXPECT_EQ(readInside, "start");
    EXPECT_EQ(host.innerText("out"), "fertig");

    // The view took the cancel and goes on deciding: the next navigation is followed.
    host.duringNavigation = nullptr;
    ASSERT_EQ(host.sendJS("document.getElementById('other').click();"), 1);
    ASSERT_TRUE(waitFor([&] { return host.innerText("there") == "anderswo"; }));
}

TEST_F(WebKitPageTest, ThrowingScriptIsAFailure) {
    show(kPage);
    TraceMonitor::get().linesSince();
    EXPECT_EQ(host.sendJS("throw new Error('kaputt');"), 0);
    EXPECT_EQ(host.sendJS("outputClear(;"), 0);
    const std::vector<std::string> lines = TraceMonitor::get().linesSince();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "FEHLER: SIEControl::sendJS(..) win.execScript('throw new Error('kaputt');')");
    // Declarations of a script stay in the page for later scripts.
    EXPECT_EQ(host.sendJS("function outputClear(){document.getElementById('out').innerText='';}"), 1);
    EXPECT_EQ(host.sendJS("outputClear();"), 1);
    EXPECT_EQ(host.innerText("out"), "");
}

TEST_F(WebKitPageTest, TextInAScriptStaysText) {
    show(kPage);
    const SString text("it's a \\ back</script><script>window.ran=1</script><b>x</b>\r\nzwei \xE4");
    ASSERT_EQ(
        host.sendJS(SString("document.getElementById('out').innerText=") + SIEControl::jsString(text) + ";"),
        1);
    EXPECT_EQ(host.evaluate("typeof window.ran"), "undefined");
    EXPECT_EQ(host.evaluate("document.getElementsByTagName('b').length"), "0");
    EXPECT_EQ(
        host.evaluate("document.getElementById('out').innerText.indexOf('</script><script>window.ran=1')"),
        "13");
    EXPECT_EQ(host.evaluate("document.getElementById('out').innerText.indexOf(\"it's a \\\\ back\")"), "0");
    EXPECT_EQ(host.evaluate("document.getElementById('out').getElementsByTagName('br').length"), "1");
}

TEST_F(WebKitPageTest, FocusAndKeysGoToTheView) {
    show(kPage);
    host.focusPage();
    // The view is the window's focus widget (the window itself is not active without a desktop).
    EXPECT_TRUE(gtk_widget_is_focus(viewOf(host)));
    EXPECT_EQ(host.translateAccelerator(host.getWindow(), WM_KEYDOWN, VK_TAB, 0), 0);
}

TEST_F(WebKitPageTest, SystemCheckWantsWebKitGtk240) {
    EXPECT_EQ(engine.getVersion(), SString(("" + std::to_string(webkit_get_major_version()) + "." +
                                            std::to_string(webkit_get_minor_version()) + "." +
                                            std::to_string(webkit_get_micro_version()))
                                               .c_str()));
    struct Case {
        const char* version;
        bool passes;
    } cases[] = {{"2.50.6", true}, {"2.40.0", true}, {"2.40", true}, {"3.0", true},   {"2.39.9", false},
                 {"2.4.1", false}, {"1.99", false},  {"", false},    {"x2.40", false}};
    for (const Case& c : cases)
        EXPECT_EQ(engine.isSupported(c.version), c.passes) << c.version;
    EXPECT_TRUE(engine.isSupported(engine.getVersion()));

    // An older library: the box names WebKitGTK, the main window goes, no browser is made.
    class OldEngine : public WebKitEngine {
    public:
        SString getVersion() override { return "2.38.2"; }
    } old;
    bool destroyed = false;
    host.destroyMainWindow = [&] { destroyed = true; };
    EXPECT_EQ(host.create(reinterpret_cast<HWND>(fixed)), 0);
    EXPECT_TRUE(destroyed);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text,
              "Ihr System erf\xFCllt leider nicht die Vorraussetzungen dieses Programms.\r\n"
              "Sie ben\xF6tigen WebKitGTK 2.40 oder h\xF6her.");
    EXPECT_EQ(dialogs.boxes[0].caption, "Fehler !");
    EXPECT_EQ(host.getWindow(), nullptr);
}

TEST_F(WebKitPageTest, AutomationOnlyWhenSwitchedOn) {
    int closed = 0;
    webkitSetCloseHandler([&] { ++closed; });
    show(kPage);
    EXPECT_FALSE(webkit_web_view_is_controlled_by_automation(WEBKIT_WEB_VIEW(viewOf(host))));
    EXPECT_FALSE(webkit_web_context_is_automation_allowed(webkit_web_context_get_default()));
    g_signal_emit_by_name(viewOf(host), "close");
    EXPECT_EQ(closed, 1);

    host.closeBrowser();
    webkitEnableAutomation(true);
    Host driven;
    driven.expandPage = nullptr;
    ASSERT_EQ(driven.create(reinterpret_cast<HWND>(fixed)), 1);
    EXPECT_TRUE(webkit_web_view_is_controlled_by_automation(WEBKIT_WEB_VIEW(viewOf(driven))));
    EXPECT_TRUE(webkit_web_context_is_automation_allowed(webkit_web_context_get_default()));
    driven.closeBrowser();
    webkitEnableAutomation(false);
    webkitSetCloseHandler(nullptr);
}

TEST_F(WebKitPageTest, WindowClosedBeforeTheBrowserLeavesPageCallsFailing) {
    show(kPage);
    gtk_widget_destroy(window);  // takes the view with it
    window = nullptr;
    EXPECT_EQ(host.sendJS("outputClear();"), 0);
    EXPECT_EQ(host.innerText("out"), "");
    host.closeBrowser();
}
