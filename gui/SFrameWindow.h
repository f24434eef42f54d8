#pragma once

#include "SWindow.h"

// A top-level window: title, size, icons and how it is shown are set before creation (in
// preCreateWindow or by the owner); create() makes the window and calls onInitWindow.
// The first frame window constructed becomes the application's main window.
class SFrameWindow : public SWindow {
public:
    // Frame options.
    enum : unsigned {
        frameCentered = 0x01,   // shown centred on the screen
        frameMaximized = 0x02,  // shown maximised
        frameMinimized = 0x04,  // shown minimised
    };

    SFrameWindow();
    ~SFrameWindow() override;
    const char* getClassName() const override { return "SFrameWindow"; }

    // The settings made just before the window is created.
    virtual void preCreateWindow() {}

    // preCreateWindow, then the window with its title, size and icons, then onInitWindow. False
    // when the window system made no window (or the window exists already).
    bool create();
    // Shows the window according to the frame options and makes it the active window.
    void show();

    void setTitle(const SString& text);
    const SString& getTitle() const { return title; }
    void setSize(int w, int h) {
        width = w;
        height = h;
    }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    // Resource names of the large and small icon; a missing resource is no error.
    void setIconNames(const SString& big, const SString& small) {
        bigIconName = big;
        smallIconName = small;
    }
    void setFrameOptions(unsigned options) { frameOptions = options; }
    unsigned getFrameOptions() const { return frameOptions; }

protected:
    SString title;
    int width = 640;
    int height = 480;
    SString bigIconName = "app_big.ico";
    SString smallIconName = "app_smal.ico";
    unsigned frameOptions = 0;
};
