#include "SControl.h"

namespace {
int nextControlId = 1000;
}

SControl::SControl() : controlId(nextControlId++) {}

RECT SControl::placementRect(int x, int y, int width, int height, int parentWidth, int parentHeight) {
    if (x < 0) x = parentWidth + x;
    if (y < 0) y = parentHeight + y;
    if (width < 0) width = parentWidth - x + width;
    if (height < 0) height = parentHeight - y + height;
    return RECT{x, y, x + width, y + height};
}

RECT SControl::resolve(SWindow* parentWindow, int x, int y, int width, int height) const {
    if (width == defaultSize) width = getDefaultWidth();
    if (height == defaultSize) height = getDefaultHeight();
    int parentWidth = 0;
    int parentHeight = 0;
    parentWindow->getClientSize(parentWidth, parentHeight);
    return placementRect(x, y, width, height, parentWidth, parentHeight);
}

void SControl::move(int x, int y, int width, int height) {
    rect = RECT{x, y, x + width, y + height};
    moveWindow(handle, x, y, width, height);
}

bool SButton::create(SWindow* parentWindow, const SString& text, int x, int y, int width, int height,
                     bool visible) {
    if (handle != nullptr || parentWindow == nullptr || !parentWindow->isCreated()) return false;
    caption = text;
    rect = resolve(parentWindow, x, y, width, height);
    HWND window =
        windowSystem().createButton(parentWindow->getHandle(), this, caption, controlId, rect, visible);
    if (window == nullptr) return false;
    attach(window, parentWindow);
    onInitWindow();
    return true;
}
