#include "EnvVar.h"
#include "EventLoop.h"
#include "GuiFixture.h"
#include "SControl.h"
#include "SFileSystem.h"
#include "SResources.h"
#include "TempDir.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class SApplicationTest : public GuiTest {
protected:
    SApplicationTest() : config("XDG_CONFIG_HOME", (temp.path() + "/config").c_str()) {}

    // Starts the application as the program temp/terminal.
    bool start() {
        program = temp.path() + "/terminal";
        char* argv[] = {&program[0], nullptr};
        return globalApplication().start(1, argv);
    }

    TempDir temp;
    EnvVar config;
    std::string program;
};

const char kNoMainWindow[] =
    "Die Anwendnung konnte nicht gestartet \r\nwerden, da kein Hauptfenster existiert.\r\n\r\n"
    "Verwenden Sie den Morv-Main-Assistenten zur automatischen Erzeugung.";

TEST_F(SApplicationTest, StartWithoutMainWindowFailsWithABox) {
    EXPECT_FALSE(start());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoMainWindow);
    EXPECT_EQ(boxes.boxes[0].caption, "FEHLER");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
}

TEST_F(SApplicationTest, StartFailsWhenTheWindowSystemMakesNoWindow) {
    CountingFrame frame;
    windows.failCreation = true;
    EXPECT_FALSE(start());
    EXPECT_EQ(frame.initCalls, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SApplicationTest, StartCreatesAndShowsTheMainWindowThenRunEndsWhenItCloses) {
    CountingFrame frame;
    frame.setTitle("Zyntra-Terminal V1.06");
    frame.setSize(1000, 700);
    frame.setFrameOptions(SFrameWindow::frameCentered);
    // The window's first ticks write a setting, the third closes the window.
    frame.onTick = [&] {
        if (frame.ticks == 1 && globalApplication().openUserConfigFile())
            globalApplication().userConfig.writeString("setup", "language", "en");
        if (frame.ticks == 3) frame.close();
    };
    ASSERT_TRUE(start());
    EXPECT_EQ(globalApplication().getProgramPath(), SString(program.c_str()));
    EXPECT_EQ(globalApplication().getProgramDirectory(), SString(temp.path().c_str()));
    EXPECT_EQ(frame.initCalls, 1);
    auto* rec = windows.find(frame.getHandle());
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->text, "Zyntra-Terminal V1.06");
    EXPECT_EQ(rec->rect.right, 1000);
    EXPECT_EQ(rec->rect.bottom, 700);
    EXPECT_TRUE(rec->visible);
    EXPECT_TRUE(rec->centered);
    EXPECT_EQ(rec->shown, WindowSystem::showNormal);
    // No icons among the resources: none set, and no box about it.
    EXPECT_EQ(rec->bigIcon, "");

    EXPECT_EQ(globalApplication().run(), 0);
    EXPECT_FALSE(frame.isCreated());
    EXPECT_EQ(frame.ticks, 3);
    EXPECT_TRUE(boxes.boxes.empty());
    // The loop's end wrote the configuration file.
    std::ifstream in(temp.path() + "/config/terminal.cfg", std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_NE(content.str().find("language=en"), std::string::npos) << content.str();
}

TEST_F(SApplicationTest, ProgramPathAndDirectoryFromTheFirstArgument) {
    const std::string cwd = SFileSystem::getCurrentFolder().getChars();
    const std::string own = SResources::getOwnProgramPath().getChars();
    struct Case {
        std::string argument, path, directory;
    };
    const Case cases[] = {
        {"/opt/zt/terminal", "/opt/zt/terminal", "/opt/zt"},
        {"sub/../bin/terminal", cwd + "/bin/terminal", cwd + "/bin"},
        // A bare name was found through the search path: the running program's own file.
        {"terminal", own, own.substr(0, own.rfind('/'))},
    };
    for (const Case& c : cases) {
        std::string argument = c.argument;
        char* argv[] = {&argument[0], const_cast<char*>("--x"), nullptr};
        globalApplication().setArguments(2, argv);
        EXPECT_EQ(std::string(globalApplication().getProgramPath().getChars()), c.path) << c.argument;
        EXPECT_EQ(std::string(globalApplication().getProgramDirectory().getChars()), c.directory)
            << c.argument;
        EXPECT_EQ(globalApplication().getArguments().getCount(), 2);
    }
}

TEST_F(SApplicationTest, UserConfigFileWithoutProgramNameShowsTheBoxAndStaysClosed) {
    SApplicationBasic basic;
    EXPECT_FALSE(basic.openUserConfigFile());
    EXPECT_FALSE(basic.userConfig.isOpen());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Fehler in SApplication::openUserConfigFile(..): Der Dateiname der Anwendung konnte nicht "
              "ermittelt werden.\r\nEventuell haben Sie diese Funktion vor der Verarbeitung der \xDC"
              "bergabeparameter (z.B. in einem Konstruktor) aufgerufen.");
    EXPECT_EQ(boxes.boxes[0].caption, "Fehler !");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
}

// Windows that take one key each and note every message offered.
class KeyFrame : public CountingFrame {
public:
    int translateAccelerator(HWND, UINT message, WPARAM wParam, LPARAM) override {
        offered.push_back(message);
        return wParam == 0x74 ? 1 : 0;  // F5
    }
    std::vector<UINT> offered;
};
class KeyButton : public SButton {
public:
    int translateAccelerator(HWND, UINT message, WPARAM wParam, LPARAM) override {
        offered.push_back(message);
        return wParam == 'A' ? 1 : 0;
    }
    std::vector<UINT> offered;
};

TEST_F(SApplicationTest, KeyDownsAreOfferedToTheWindowsInOrderKeyUpsAlwaysPass) {
    KeyFrame frame;
    ASSERT_TRUE(frame.create());
    KeyButton button;
    ASSERT_TRUE(button.create(&frame, "b", 0, 0));

    struct Case {
        UINT message;
        WPARAM key;
        bool taken;
        size_t offeredToFrame, offeredToButton;
    };
    const Case cases[] = {
        {WM_KEYDOWN, 0x74, true, 1, 0},  // the first window takes it; the second never sees it
        {WM_KEYDOWN, 'A', true, 1, 1},   // the first declines, the second takes it
        {WM_KEYDOWN, 'B', false, 1, 1},  // nobody takes it: it goes on
        {WM_KEYUP, 0x74, false, 0, 0},   // key-ups are never offered
        {WM_CHAR, 'A', false, 0, 0},
    };
    for (const Case& c : cases) {
        frame.offered.clear();
        button.offered.clear();
        EXPECT_EQ(windows.key(frame.getHandle(), c.message, c.key), c.taken) << c.message << " " << c.key;
        EXPECT_EQ(frame.offered.size(), c.offeredToFrame) << c.message << " " << c.key;
        EXPECT_EQ(button.offered.size(), c.offeredToButton) << c.message << " " << c.key;
    }
    EXPECT_EQ(globalApplication().translateAccelerator(frame.getHandle(), WM_KEYDOWN, 'A', 0), 1);
}

TEST_F(SApplicationTest, WaitCursorShowsOnceForNestedWaitsAndIgnoresAnUnbalancedEnd) {
    globalApplication().endWaitCursor();
    {
        SWaitCursor outer;
        SWaitCursor inner;
        EXPECT_EQ(globalApplication().getWaitCursorCount(), 2);
    }
    globalApplication().endWaitCursor();
    { SWaitCursor again; }
    EXPECT_EQ(boxes.waitCursor, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(globalApplication().getWaitCursorCount(), 0);
}

}  // namespace
