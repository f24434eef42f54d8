#pragma once

#include "SString.h"
#include "SWindowTypes.h"

class Dialogs;

// The window seam: what the window framework needs of the platform's windows.
//
// Handles. An HWND is the platform's widget for a window. On GTK it is a GtkWidget*
// (reinterpret_cast<GtkWidget*>(hwnd)), and:
//   - the HWND of a frame window is its client area: a GtkFixed that is the only child of the
//     GtkWindow (gtk_widget_get_toplevel gives the GtkWindow). Its minimum size is 0 x 0, so the
//     children never hold the window at their size.
//   - child controls are widgets put into that GtkFixed (gtk_fixed_put, moved with gtk_fixed_move,
//     sized with gtk_widget_set_size_request); their HWND is that widget.
//   - other parts may put their own widget into a frame's GtkFixed the same way (the page engine
//     puts its web view there at the page's rectangle and uses the web view as the page's HWND);
//     moveWindow, setFocus and destroy work on any such child.
//
// Messages. Platform events reach the framework as messages to the WindowProcedure given at
// creation: WM_SIZE (lParam = makeLong(client width, client height)) when the client area of a frame
// changes size, WM_CLOSE when the user asks to close a frame (the window-manager close button; the
// window stays until the procedure destroys it), WM_COMMAND (wParam = makeLong(control id,
// BN_CLICKED), lParam = the button's HWND) to the parent's procedure when a button is clicked, and
// WM_DESTROY when a frame or control is being destroyed, by whatever cause. Key presses and
// releases in a frame become MSG{WM_KEYDOWN or WM_KEYUP, virtual-key code} offered to
// preTranslateMessage first; a message it takes is not passed on to the widgets.
//
// Everything runs on the user-interface thread, inside the event loop (EventLoop.h).
class WindowProcedure {
public:
    virtual ~WindowProcedure() = default;
    virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // True when the message has been handled and must not go on to the widgets.
    virtual bool preTranslateMessage(MSG& msg) = 0;
};

class WindowSystem {
public:
    // How a frame is shown.
    enum ShowMode { showNormal, showMaximized, showMinimized };

    virtual ~WindowSystem() = default;

    // Connects to the display; false when there is none. Safe to call again.
    virtual bool init() = 0;
    // The platform's dialogs (message boxes, file dialogs, wait cursor) once init() succeeded,
    // nullptr when the platform has none.
    virtual Dialogs* platformDialogs() = 0;

    // A top-level window with a client area of width x height (text in the program's code page);
    // not shown yet. nullptr on failure.
    virtual HWND createFrame(WindowProcedure* procedure, const SString& title, int width, int height) = 0;
    // A push button in parent's client area at rect (left, top, right, bottom); hidden unless
    // visible. Its clicks reach the parent's procedure as WM_COMMAND with id. nullptr on failure.
    virtual HWND createButton(HWND parent, WindowProcedure* procedure, const SString& caption, int id,
                              const RECT& rect, bool visible) = 0;
    // Places a child of a frame's client area at x, y with the size width x height.
    virtual void moveWindow(HWND child, int x, int y, int width, int height) = 0;
    virtual void setTitle(HWND frame, const SString& title) = 0;
    // Icon files for the frame (large and small); a path that is empty or unreadable is skipped.
    virtual void setIcons(HWND frame, const SString& bigIconPath, const SString& smallIconPath) = 0;
    // Shows the frame (centred on the screen when asked) and makes it the active window.
    virtual void showFrame(HWND frame, ShowMode mode, bool centered) = 0;
    // Destroys a frame (with its children) or a child; WM_DESTROY reaches its procedure first.
    virtual void destroy(HWND window) = 0;
    // Size of the frame's client area; before the frame is on screen the size it asked for.
    virtual bool getClientSize(HWND frame, int& width, int& height) = 0;
    virtual void setFocus(HWND window) = 0;
};

// The window system in use: the platform's, unless a test installed its own.
WindowSystem& windowSystem();
// Installs ws (not owned); nullptr restores the platform's. Returns the previous one (nullptr for
// the platform's).
WindowSystem* setWindowSystem(WindowSystem* ws);
// The platform's window system (defined by the platform folder).
WindowSystem& platformWindowSystem();
