#include "SWindow.h"

#include "SApplication.h"

#include <cstdint>

SWindow::~SWindow() {
    if (handle != nullptr) destroy();
    detach();
}

int SWindow::translateAccelerator(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

int SWindow::close() {
    // onClose may dispatch events (a shutdown that waits); a second close request arriving then
    // must not run the shutdown twice.
    if (handle == nullptr || closing) return 0;
    closing = true;
    int answer = onClose();
    closing = false;
    if (answer != 0) destroy();
    return answer;
}

void SWindow::destroy() {
    HWND window = handle;
    if (window == nullptr) return;
    windowSystem().destroy(window);
    // The window system reports WM_DESTROY while it destroys; a window gone without it is let go too.
    if (handle == window) {
        onDestroy();
        detach();
    }
}

bool SWindow::getClientSize(int& width, int& height) const {
    width = height = 0;
    return handle != nullptr && windowSystem().getClientSize(handle, width, height);
}

void SWindow::setFocus() {
    if (handle != nullptr) windowSystem().setFocus(handle);
}

void SWindow::moveWindow(HWND child, int x, int y, int width, int height) {
    if (child != nullptr) windowSystem().moveWindow(child, x, y, width, height);
}

void SWindow::setFocus(HWND window) {
    if (window != nullptr) windowSystem().setFocus(window);
}

int SWindow::messageBox(const SString& text, const SString& caption, unsigned flags) {
    return dialogs().messageBox(text, caption, flags);
}

LRESULT SWindow::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    int handled = events.dispatch(message, wParam, lParam);
    switch (message) {
        case WM_SIZE:
            onSize(int(loWord(uintptr_t(lParam))), int(hiWord(uintptr_t(lParam))));
            break;
        case WM_CLOSE:
            if (handled == 0) close();
            break;
        case WM_DESTROY:
            if (handle != nullptr) {
                onDestroy();
                detach();
            }
            break;
        default:
            break;
    }
    return 0;
}

bool SWindow::preTranslateMessage(MSG& msg) {
    return globalApplication().preTranslateMessage(msg);
}

void SWindow::attach(HWND window, SWindow* parentWindow) {
    handle = window;
    parent = parentWindow;
    globalApplication().addWindow(this);
}

void SWindow::detach() {
    bool wasOpen = handle != nullptr;
    handle = nullptr;
    globalApplication().removeWindow(this);
    if (wasOpen) globalApplication().onWindowDestroyed(this);
}
