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
}

void SFrameWindow::setTitle(const SString& text) {
    title = text;
    if (handle != nullptr) windowSystem().setTitle(handle, title);
}
