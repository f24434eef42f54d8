#include "SFrameWindow.h"

#include "SApplication.h"
#include "SResources.h"

SFrameWindow::SFrameWindow() {
    if (globalApplication().getMainWindow() == nullptr) globalApplication().setMainWindow(this);
}

SFrameWindow::~SFrameWindow() {
    if (handle != nullptr) destroy();
    if (globalApplication().getMainWindow() == this) globalApplication().setMainWindow(nullptr);
}

bool SFrameWindow::create() {
    if (handle != nullptr) return false;
    preCreateWindow();
    HWND window = windowSystem().createFrame(this, title, width, height);
    if (window == nullptr) return false;
    attach(window, nullptr);
    // Icons come from the resources once they are there; before that (tools, tests) there are none.
    SResources& resources = globalResources();
    if (resources.initialized) {
        windowSystem().setIcons(window, bigIconName.isEmpty() ? SString() : resources.getFile(bigIconName),
                                smallIconName.isEmpty() ? SString() : resources.getFile(smallIconName));
    }
    onInitWindow();
    return handle != nullptr;
}

void SFrameWindow::show() {
    if (handle == nullptr) return;
    WindowSystem::ShowMode mode = WindowSystem::showNormal;
    if (frameOptions & frameMinimized)
        mode = WindowSystem::showMinimized;
    else if (frameOptions & frameMaximized)
        mode = WindowSystem::showMaximized;
    windowSystem().showFrame(handle, mode, (frameOptions & frameCentered) != 0);
    // Showing tells the window its client size, as the first size message after creation does on
    // every platform: children made before (at their creation rectangles) are laid out by the size
    // handler from here on, even when the window system reported the size before they existed.
    int w = 0, h = 0;
    if (handle != nullptr && getClientSize(w, h)) windowProc(WM_SIZE, 0, LPARAM(makeLong(unsigned(w), unsigned(h))));
}

void SFrameWindow::setTitle(const SString& text) {
    title = text;
    if (handle != nullptr) windowSystem().setTitle(handle, title);
}
