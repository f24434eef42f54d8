#pragma once

#include "SApplicationBasic.h"
#include "SStringList.h"
#include "SWindowTypes.h"

#include <vector>

class SWindow;
class SFrameWindow;

// The application object: the command line, the resources, the main window and its loop, the
// windows that receive the 10 ms timer ticks and key messages, and the wait cursor.
// Exactly one instance: globalApplication().
class SApplication : public SApplicationBasic {
public:
    SApplication() = default;
    SApplication(const SApplication&) = delete;
    SApplication& operator=(const SApplication&) = delete;
    ~SApplication() override;
    const char* getClassName() const override { return "SApplication"; }

    // The start-up: program path and folder from the arguments, the window system and its dialogs,
    // the resources, then the registered main window is created (its onInitWindow runs) and shown,
    // and the 10 ms timer started. False when there is no main window (with a box) or it could
    // not be created; the program then ends with exit code 0.
    bool start(int argc, char* argv[]);
    // Runs the event loop until the main window is gone (or quit() is called); saves the user
    // configuration file and returns the exit code (a later run starts afresh).
    int run();
    // Ends run() with exitCode.
    void quit(int exitCode);
    bool isQuitting() const { return quitRequested; }

    void setMainWindow(SFrameWindow* window) { mainWindow = window; }
    SFrameWindow* getMainWindow() const { return mainWindow; }

    // The window list: every created window of the framework, in creation order.
    void addWindow(SWindow* window);
    void removeWindow(SWindow* window);
    const std::vector<SWindow*>& getWindows() const { return windows; }
    // Called when a window of the list has been destroyed: the main window's end ends the loop and
    // shows the error log.
    void onWindowDestroyed(SWindow* window);

    // Offers a key message to the registered windows in order; nonzero when one took it.
    int translateAccelerator(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Key-downs are offered to translateAccelerator; true when it took the message, which then is
    // not passed on. Every other message (key-ups included) passes.
    bool preTranslateMessage(MSG& msg);
    // One tick of the 10 ms timer, passed to every registered window.
    void onThreadTimer(unsigned time);

    // The wait cursor, nested: shown at the first begin, removed at the matching last end.
    void beginWaitCursor();
    void endWaitCursor();
    int getWaitCursorCount() const { return waitCursorCount; }

    // The command line's arguments, the program file first.
    const SStringList& getArguments() const { return arguments; }
    // Takes the arguments (start does): the program path is the first one as a full path (the
    // running program's own file when it is a bare name found through the search path), the
    // program directory its folder, or the current folder when that is empty.
    void setArguments(int argc, char* argv[]);

    static const unsigned tickIntervalMs = 10;

private:
    SStringList arguments;
    SFrameWindow* mainWindow = nullptr;
    std::vector<SWindow*> windows;
    unsigned tickTimer = 0;
    bool quitRequested = false;
    int exitCode = 0;
    int waitCursorCount = 0;
};

SApplication& globalApplication();

// Shows the wait cursor for the lifetime of the object.
class SWaitCursor {
public:
    SWaitCursor() { globalApplication().beginWaitCursor(); }
    ~SWaitCursor() { globalApplication().endWaitCursor(); }
    SWaitCursor(const SWaitCursor&) = delete;
    SWaitCursor& operator=(const SWaitCursor&) = delete;
};
