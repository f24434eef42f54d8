// The entry function of Zyntra Terminal: the program's global objects, the start of the
// application with its main window, and the event loop until the main window is gone.
#include "EndRequests.h"
#include "MainWnd.h"
#include "SApplication.h"
#include "SColorMap.h"
#include "SDebug.h"
#include "SError.h"
#include "SLanguage.h"
#include "SResources.h"
#include "STimer.h"
#include "ScriptRunner.h"
#include "WebKitEngine.h"
#include "WindowSystem.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The global objects come to life in this order before main and go away in the reverse order
// after it: the library's own are made on first use, so touching them here fixes their order
// ahead of the main window, and the timer service comes last, so it is the first to go.
struct LibraryObjects {
    LibraryObjects() {
        globalError();
        globalLanguage();
        globalApplication();
        globalDebug();
        globalResources();
        globalColorMap();
    }
} libraryObjects;

MainWnd mainWnd;

struct TimerService {
    TimerService() { globalTimer(); }
} timerService;

bool hasArgument(int argc, char* argv[], const char* name) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The script runner and the help need no display: they end before the window system starts.
    if (hasArgument(argc, argv, "--help")) {
        std::printf(
            "usage: zyntra-terminal [--automation]\n"
            "       zyntra-terminal --run SCRIPT --port COMn [--timeout-ms N] [--report text|json|jsonl]\n\n"
            "  --automation\n"
            "        lets WebKitWebDriver drive the page (end-to-end tests)\n"
            "%s"
            "  --help\n"
            "        shows this text\n",
            ScriptRunner::usage());
        return 0;
    }
    if (ScriptRunner::wanted(argc, argv)) return ScriptRunner::main(argc, argv);

    // --automation: the page may be driven by WebKitWebDriver (the end-to-end tests).
    webkitEnableAutomation(hasArgument(argc, argv, "--automation"));
    webkitSetCloseHandler([] { mainWnd.close(); });
    // Ended from outside (kill, Ctrl+C, the terminal closed): the window closes as its close button
    // closes it, so the port gets its line back and the unpacked resources go. During the start
    // the window is still building its page: the program then ends once the start is done.
    static bool looping = false, endRequested = false;
    EndRequests::watch([] {
        endRequested = true;
        if (looping) mainWnd.close();
    });

    // The page engine needs the display; without one the start-up below says so and ends.
    std::unique_ptr<WebKitEngine> engine;
    if (windowSystem().init()) engine = std::make_unique<WebKitEngine>();

    SApplication& app = globalApplication();
    int exitCode = 0;
    if (app.start(argc, argv) && !endRequested) {
        looping = true;
        exitCode = app.run();
    }
    // The browser goes before its engine.
    mainWnd.dieSeite.closeBrowser();
    return exitCode;
}
