#pragma once

#include "SWindow.h"

#include <climits>

// A child control in a frame's client area, placed by a rectangle relative to that area.
// Negative values count from the far edges, resolved once at creation (placementRect); later
// moves are the owner's business (its size handler).
class SControl : public SWindow {
public:
    // Width or height: the control's own default.
    static const int defaultSize = INT_MIN;

    SControl();
    const char* getClassName() const override { return "SControl"; }

    // Ids are handed out from 1000 upwards at construction; setControlId before creation changes it.
    int getControlId() const { return controlId; }
    void setControlId(int id) { controlId = id; }
    const SString& getCaption() const { return caption; }
    // The rectangle the control was created at.
    const RECT& getRect() const { return rect; }

    // The placement rule, against the parent's client width W and height H, in this order:
    // x < 0 becomes W + x; y < 0 becomes H + y; then width < 0 becomes W - x + width and
    // height < 0 becomes H - y + height, with the resolved x and y.
    static RECT placementRect(int x, int y, int width, int height, int parentWidth, int parentHeight);

    void move(int x, int y, int width, int height);

protected:
    virtual int getDefaultWidth() const { return 80; }
    virtual int getDefaultHeight() const { return 24; }
    // The rectangle for a control of parent at x, y, width, height (defaults and placement rule).
    RECT resolve(SWindow* parentWindow, int x, int y, int width, int height) const;

    int controlId;
    SString caption;
    RECT rect = {0, 0, 0, 0};
};

// A push button; a click reaches the parent's event list as WM_COMMAND with the button's id.
class SButton : public SControl {
public:
    const char* getClassName() const override { return "SButton"; }
    // A button of parent (a created window); false without a parent window or when none was made.
    bool create(SWindow* parentWindow, const SString& text, int x, int y, int width = defaultSize,
                int height = defaultSize, bool visible = true);
};
