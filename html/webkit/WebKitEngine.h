#pragma once

// The page engine over a WebKitGTK web view. This header names no GTK or WebKit type, so the
// program's start-up code can install the engine and switch its options without including them.
//
// Implements:
//  [x] the engine: the run-time WebKitGTK version, its system check (2.40 or later), one web view
//      per browser object, the base address of written pages
//  [x] browser: Navigate2 (BeforeNavigate2 to the sinks first), get_Document, GoBack/GoForward/
//      Refresh/Stop, DoVerb (the view goes into the parent GtkFixed at the rectangle), Close,
//      GetWindow (the view widget), TranslateAccelerator (S_FALSE: GTK gives keys to the view),
//      the browser events connection point
//  [x] navigations the page starts (links, location, forms) reach the sinks as BeforeNavigate2
//      from the view's "decide-policy"; a cancelled one is ignored, any other used
//  [x] DocumentComplete when a page has finished loading
//  [x] document: write, clear, close (the written text is loaded into the view with the base
//      address, and close waits until it has loaded), all, parentWindow, document events point
//  [x] elements found by id or name (the index-th) or by position, looked up again on every call:
//      id, tag name, inner HTML/text, inline display, input type/value/checked, select index/
//      value/length; window: execScript, focus. Each runs as a script in the view.
//  [x] automation by WebKitWebDriver when switched on
// Does not implement:
//  [ ] document and element events (the points accept sinks but send nothing)
//  [ ] GoHome, GoSearch (E_NOTIMPL), new windows, post data and headers of navigations
//  [ ] type information, GetIDsOfNames and Invoke on page objects (DISP_E_MEMBERNOTFOUND)
//
// An HWND here is a GtkWidget*: the parent handed to DoVerb is a GtkFixed, the browser's own
// window is the web view.

#include "PageModel.h"

#include <functional>

class WebKitEngine : public PageEngine {
public:
    // Installs itself as the page engine; the destructor puts the previous one back. Create it
    // after GTK is initialised (the browser needs a display).
    WebKitEngine();
    WebKitEngine(const WebKitEngine&) = delete;
    WebKitEngine& operator=(const WebKitEngine&) = delete;
    ~WebKitEngine() override;
    const char* getClassName() const override { return "WebKitEngine"; }

    // The WebKitGTK library in use ("2.50.6").
    SString getVersion() override;
    HRESULT createBrowser(IOleObject** browser) override;
    // WebKitGTK 2.40 or later.
    bool isSupported(const SString& version) const override;
    SString getRequirement() const override;
    // url: a file URL of a folder ("file://localhost/C:/p/", "file:///home/u/p/"); "" gives
    // "about:blank" (the page then cannot load files).
    void setDocumentBase(const SString& url) override;

private:
    PageEngine* previousEngine = nullptr;
};

// The program was started to be driven by WebKitWebDriver: web views created from now on may be
// controlled by an automation session, which gets the program's own view as its browsing context
// and "zyntra-terminal" as the browser's name. Without it no automation is possible.
void webkitEnableAutomation(bool enable);

// Called when the page's window is to close (the page calls window.close(), or an automation
// session closes its browsing context); the program closes its main window there.
void webkitSetCloseHandler(std::function<void()> handler);
