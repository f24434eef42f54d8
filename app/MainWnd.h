#pragma once

#include "DieSeite.h"
#include "SControl.h"
#include "SFrameWindow.h"

// The main window: the terminal page filling it and the "Ende" button below the page. It reads
// the language setting, loads the language files and hands the page text to the page view.
class MainWnd : public SFrameWindow {
public:
    MainWnd();
    ~MainWnd() override;
    const char* getClassName() const override { return "MainWnd"; }

    void preCreateWindow() override;
    void onInitWindow() override;
    // Shuts the page down (its timers, the port with its old settings restored, 100 ms of events)
    // and lets the window close.
    int onClose() override;
    // The page fills the client area but for 5 pixels at the left, top and right, and is 40 pixels
    // less high than the client area, which leaves the band of the button below it.
    void onSize(int width, int height) override;

    // The page view's rectangle for a client area of width x height.
    static RECT pageRect(int width, int height);
    // The page parameters for the language code and the page file's path:
    // "lang=<code>;respfad=<file URL of the page's folder>".
    static SString pageParameters(const SString& language, const SString& pagePath);

    SButton endeButton;
    DieSeite dieSeite;
};
