#pragma once

#include "Dialogs.h"
#include "SEventList.h"
#include "SString.h"
#include "WindowSystem.h"

// A window of the framework: its handle, its event list and the handlers the framework calls.
// The object outlives its window: destroying the window (close(), destroy(), or the window system)
// only drops the handle, so windows can be members and globals.
class SWindow : public WindowProcedure {
public:
    SWindow() = default;
    SWindow(const SWindow&) = delete;
    SWindow& operator=(const SWindow&) = delete;
    // Destroys the window when it still exists.
    ~SWindow() override;
    virtual const char* getClassName() const { return "SWindow"; }

    HWND getHandle() const { return handle; }
    SWindow* getParentWindow() const { return parent; }
    bool isCreated() const { return handle != nullptr; }
    SEventList& getEventList() { return events; }

    // Called once the window exists (children are created here).
    virtual void onInitWindow() {}
    // Whether the window may close; nonzero lets close() destroy it.
    virtual int onClose() { return 1; }
    // The client area's new size.
    virtual void onSize(int width, int height) {
        (void)width;
        (void)height;
    }
    // The window is being destroyed; the handle is still valid here.
    virtual void onDestroy() {}
    // A tick of the application's 10 ms timer (tick count of the event loop).
    virtual void onThreadTimer(unsigned time) { (void)time; }
    // A key message offered before the widgets see it; nonzero when the window took it.
    virtual int translateAccelerator(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The close operation: asks onClose and destroys the window when it answers nonzero. Returns
    // the answer (0 also without a window, and for a close asked while this one is still asking).
    int close();
    void destroy();

    bool getClientSize(int& width, int& height) const;
    void setFocus();
    // Moves and sizes any child widget of a frame's client area (a control, the page view).
    static void moveWindow(HWND child, int x, int y, int width, int height);
    static void setFocus(HWND window);

    // A message box over the program's windows: MB_ flags in, ID answer out.
    int messageBox(const SString& text, const SString& caption = "Info",
                   unsigned flags = MB_OK | MB_ICONINFORMATION);

    // The window procedure: walks the event list, then WM_SIZE calls onSize, WM_CLOSE the close
    // operation (unless the event list handled it), WM_DESTROY onDestroy and drops the handle.
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Key-downs go to the application's translateAccelerator; everything else passes.
    bool preTranslateMessage(MSG& msg) override;

protected:
    // Takes over a freshly created window: remembers it and registers it with the application.
    void attach(HWND window, SWindow* parentWindow);
    void detach();

    HWND handle = nullptr;
    SWindow* parent = nullptr;
    SEventList events;

private:
    bool closing = false;
};
