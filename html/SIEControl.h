#pragma once

#include "PageModel.h"
#include "SDocumentEvents2.h"
#include "SElementEvents2.h"
#include "SHtmlWrappers.h"
#include "SWebBrowserEvents2.h"
#include "WindowTypes.h"

#include <functional>

// The browser host: creates the browser object from the page engine, embeds it in its parent
// window, connects its own event sinks to the browser and to the document, and gives the program
// the document, page scripts, the focus and key pre-translation. The page is never loaded by URL:
// the browser shows "about:blank" and the page text is written into that document.
class SIEControl : public SWebBrowserEvents2, public SElementEvents2, public SDocumentEvents2 {
public:
    SIEControl() = default;
    ~SIEControl() override;
    const char* getClassName() const override { return "SIEControl"; }

    // Key pre-translation: 1 when the browser consumed the message. A key-down of the Return key
    // is never offered to the browser.
    virtual int translateAccelerator(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Checks that the page engine is recent enough (the box names the engine's requirement), then creates the
    // browser as a child of parent, shows "about:blank" and connects the sinks. 1 when the browser is there;
    // 0 when the system check failed (box shown, main window destroyed) or the engine made no browser.
    virtual int create(HWND parent);

    // The Windows browser control's rule of the system check: the leading number of the version
    // text is above 5. The check itself asks the engine in use (PageEngine::isSupported).
    static bool isSupportedVersion(const SString& version);

    // Navigates the browser to url without using the cache; nothing before the browser exists.
    void navigate(const SString& url);
    // The document, asked from the browser once and kept. A browser that gives none shows
    // "Das Dokument-Objekt konnte nicht ermittelt werden"; the wrapper then stays empty.
    SHtmlDocument2& getDocument();
    // Runs a JavaScript text in the page. 0 (and a trace line) when it could not be run.
    int sendJS(const SString& script);
    // A JavaScript string literal (in single quotes) holding text, for building scripts from
    // data: quotes, backslashes, line ends and "</" cannot end the literal or the script.
    static SString jsString(const SString& text);
    void focusPage();
    // Disconnects and releases the browser and the document; the destructor calls it.
    void closeBrowser();

    void goBack();
    void goForward();
    void goHome();
    void goSearch();
    void refresh();
    void stop();

    // The window parts until the window framework takes them over: the control's rectangle in
    // its parent, the parent's title (the host name given to the browser), the window handles.
    void setRect(const RECT& r) { rect = r; }
    const RECT& getRect() const { return rect; }
    void setParentTitle(const SString& title) { parentTitle = title; }
    bool isCreated() const { return created; }
    HWND getParent() const { return parent; }
    HWND getWindow() const { return window; }
    // Destroys the application's main window; called when the system check fails.
    std::function<void()> destroyMainWindow;

protected:
    DWORD browserEventsCookie = 0;
    IWebBrowser2* webBrowser = nullptr;
    IConnectionPoint* browserEventsPoint = nullptr;
    IOleObject* browserObject = nullptr;
    SHtmlDocument2 document;
    IConnectionPoint* documentEventsPoint = nullptr;
    DWORD documentEventsCookie = 0;

private:
    // Finds the connection point for events on object and advises sink; 0 cookie when it fails.
    static IConnectionPoint* connect(IUnknown* object, REFIID events, IDispatch* sink, DWORD& cookie);

    bool created = false;
    HWND parent = nullptr;
    HWND window = nullptr;
    RECT rect = {0, 0, 0, 0};
    SString parentTitle;
};
