// The main window without a display: the recorded window system, the in-memory page engine with
// the shipped page, scripted dialogs, a real configuration file in a temporary folder and the
// trace read back from the trace channel.
#include "EnvVar.h"
#include "MainWnd.h"
#include "MemoryPage.h"
#include "PtyDevice.h"
#include "SApplication.h"
#include "SLanguage.h"
#include "SResources.h"
#include "STimer.h"
#include "TempDir.h"
#include "TraceMonitor.h"
#include "testing/RecordingWindowSystem.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifndef VYX_PAGE_DIR
#error "VYX_PAGE_DIR names the folder of the shipped page (set by app/CMakeLists.txt)"
#endif

namespace {

std::string str(const SString& s) {
    return std::string(s.getChars(), size_t(s.getLength()));
}

// The recorded window system that also keeps every move (the page's web view is no window of its
// own here, so only the call shows where it was put) and lets a test look at the program just
// before a window is destroyed.
class Windows : public RecordingWindowSystem {
public:
    struct Move {
        HWND window;
        int x, y, width, height;
    };
    void moveWindow(HWND child, int x, int y, int width, int height) override {
        moves.push_back({child, x, y, width, height});
        RecordingWindowSystem::moveWindow(child, x, y, width, height);
    }
    void destroy(HWND window) override {
        if (beforeDestroy && find(window) != nullptr) beforeDestroy(window);
        RecordingWindowSystem::destroy(window);
    }
    std::vector<Move> moves;
    std::function<void(HWND)> beforeDestroy;
};

class MainWndTest : public ::testing::Test {
protected:
    MainWndTest() : configHome("XDG_CONFIG_HOME", temp.file("config").c_str()) {
        ::mkdir(temp.file("config").c_str(), 0700);
        SResources& resources = globalResources();
        resources.initialized = 1;
        resources.directoryMode = 1;
        resources.programDirectory = temp.path().c_str();
        resources.resourceDirectories.clear();
        resources.resourceDirectories.add(VYX_PAGE_DIR);
        TraceMonitor::get().reset();
    }
    ~MainWndTest() override { finish(); }

    // Starts the application with a new main window as the program temp/terminal with this
    // configuration file content.
    void start(const std::string& config) {
        finish();
        page.reset(new MemoryPage());
        wnd.reset(new MainWnd());
        globalApplication().setMainWindow(wnd.get());
        // The parameters the page view gets, on their way to the real expansion.
        auto expand = wnd->dieSeite.expandPage;
        wnd->dieSeite.expandPage = [this, expand](IntHtmView& view, const SString& html,
                                                  const SString& parameters) {
            pageParameters.push_back(str(parameters));
            return expand(view, html, parameters);
        };

        SFileIni& userConfig = globalApplication().getUserConfig();
        program = temp.file("terminal");
        const std::string cfg = temp.write("config/terminal.cfg", config);
        // The application opens its configuration file once per process; a later start's file
        // replaces the one an earlier start left open.
        if (userConfig.isOpen()) {
            ASSERT_TRUE(userConfig.open(cfg.c_str()));
        }
        char* argv[] = {&program[0], nullptr};
        ASSERT_TRUE(globalApplication().start(1, argv));
        ASSERT_TRUE(wnd->isCreated());
    }

    // Closes a window still open and ends the application's run.
    void finish() {
        if (wnd && wnd->isCreated()) wnd->close();
        globalApplication().run();  // stops the framework's tick
        globalApplication().setMainWindow(nullptr);
        wnd.reset();
        page.reset();
    }

    static bool hasTimer(STimerEvent* client) {
        const STimerList& list = globalTimer().getList();
        for (int i = 0; i < list.getCount(); ++i)
            if (list.getEntryAt(i).client == client) return true;
        return false;
    }

    TempDir temp;
    EnvVar configHome;
    Windows windows;
    ScriptedDialogs boxes;
    std::unique_ptr<MemoryPage> page;  // made before the window, whose page uses it
    std::unique_ptr<MainWnd> wnd;
    std::string program;
    std::vector<std::string> pageParameters;
};

TEST_F(MainWndTest, LanguageSettingReachesTraceLanguageTableButtonAndPage) {
    const std::string respfad = std::string("respfad=file://localhost") + VYX_PAGE_DIR + "/";
    struct Case {
        const char* config;
        const char* lang;
        const char* endeCaption;
    } cases[] = {
        {"[setup]\r\nlanguage=en\r\n", "en", "Exit"},
        {"[setup]\r\nlastScript=x.txt\r\n", "de", "Ende"},
        {"", "de", "Ende"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        pageParameters.clear();
        start(c.config);
        EXPECT_TRUE(traced(TraceMonitor::get().linesSince(),
                           std::string("MainWnd::onInitWindow(..) lang=") + c.lang));
        EXPECT_EQ(str(globalLanguage().languageCode), c.lang);
        EXPECT_EQ(pageParameters, std::vector<std::string>{std::string("lang=") + c.lang + ";" + respfad});
        EXPECT_EQ(str(page->documentBase), respfad.substr(8));
        EXPECT_NE(str(page->getPageText()).find(std::string("<html lang=\"") + c.lang + "\">"),
                  std::string::npos);
        const auto* button = windows.find(wnd->endeButton.getHandle());
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text, c.endeCaption);
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

TEST_F(MainWndTest, ChildrenArePlacedByTheRuleAndThePageFollowsTheSize) {
    start("");
    // Client area 1000 x 700: the button 100 left of the right edge and 30 above the bottom, at
    // the control's default size.
    const auto* button = windows.find(wnd->endeButton.getHandle());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parent, wnd->getHandle());
    EXPECT_TRUE(button->visible);
    EXPECT_EQ(button->rect.left, 900);
    EXPECT_EQ(button->rect.top, 670);
    EXPECT_EQ(button->rect.right, 980);
    EXPECT_EQ(button->rect.bottom, 694);
    EXPECT_EQ(page->getBrowserParent(), wnd->getHandle());
    EXPECT_GT(page->focusCount, 0);

    struct Case {
        int w, h;
    } cases[] = {{800, 600}, {1280, 1024}, {10, 40}};
    for (const Case& c : cases) {
        windows.moves.clear();
        windows.resize(wnd->getHandle(), c.w, c.h);
        ASSERT_EQ(windows.moves.size(), 1u) << c.w << "x" << c.h;
        const Windows::Move& m = windows.moves[0];
        EXPECT_EQ(m.window, wnd->dieSeite.getWindow());
        EXPECT_EQ(m.x, 5);
        EXPECT_EQ(m.y, 5);
        EXPECT_EQ(m.width, c.w - 10);
        EXPECT_EQ(m.height, c.h - 40);
    }
    // The button stays where it was created.
    EXPECT_EQ(windows.find(wnd->endeButton.getHandle())->rect.left, 900);
}

TEST_F(MainWndTest, EndeAndTheCloseButtonShutThePageDownBeforeTheWindowGoes) {
    PtyDevice device("COM7");
    ASSERT_TRUE(device.ok());
    termios before{};
    ASSERT_TRUE(device.lineSettings(before));
    const struct {
        const char* how;
        std::function<void(Windows&, MainWnd&)> close;
    } cases[] = {
        {"Ende", [](Windows& w, MainWnd& m) { w.click(m.endeButton.getHandle()); }},
        {"close button", [](Windows& w, MainWnd& m) { w.pressCloseButton(m.getHandle()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        start("");
        ASSERT_TRUE(hasTimer(&wnd->dieSeite));
        ASSERT_EQ(wnd->dieSeite.open("COM7"), 1) << str(wnd->dieSeite.lastError);
        HWND frame = wnd->getHandle();
        bool portOpen = true, timerLeft = true;
        windows.beforeDestroy = [&](HWND window) {
            if (window != frame) return;
            portOpen = wnd->dieSeite.isOpen();
            timerLeft = hasTimer(&wnd->dieSeite);
        };
        TraceMonitor::get().reset();
        c.close(windows, *wnd);
        windows.beforeDestroy = nullptr;

        EXPECT_FALSE(wnd->isCreated());
        EXPECT_EQ(windows.find(frame), nullptr);
        EXPECT_FALSE(portOpen);
        EXPECT_FALSE(timerLeft);
        EXPECT_TRUE(traced(TraceMonitor::get().linesSince(), "MainWnd::onClose(..)"));
        // The line is left as it was found before the port was opened.
        termios after{};
        ASSERT_TRUE(device.lineSettings(after));
        EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
        EXPECT_EQ(after.c_cflag, before.c_cflag);
        EXPECT_EQ(globalApplication().run(), 0);
    }
}

}  // namespace
