#pragma once

// The objects of the WebKit page engine (see WebKitEngine.h). Internal to webkit/.

#include "PageModel.h"
#include "PageObjectParts.h"
#include "SString.h"

#include <webkit2/webkit2.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class WebKitBrowser;

namespace webkitpage {

// What the program set for every browser (WebKitEngine.h).
struct Settings {
    bool automation = false;
    std::function<void()> onClose;
    SString documentBase;  // Windows-1252, as the host gave it
};
Settings& settings();

// Texts across the seam: BSTR (UTF-16) <-> Windows-1252 <-> UTF-8.
SString textOf(BSTR text);
HRESULT putText(BSTR* out, const SString& text);
std::string utf8Of(const SString& text);
SString textOfUtf8(const char* utf8);

// Runs a script (Windows-1252 source) in the view's page and waits, dispatching the loop, for its
// completion value as a text. S_OK; DISP_E_EXCEPTION when it threw or did not compile; E_FAIL when
// there is no view or the page gave no answer in time.
HRESULT runScript(WebKitWebView* view, const SString& script, SString* result = nullptr);

// Where an element is found each time it is used: the index-th element whose id or name is key,
// or the element at a position of the document's element list.
struct Locator {
    bool byPosition = false;
    SString key;
    long index = 0;
    // A script expression giving the element, or null.
    SString expression() const;
};

}  // namespace webkitpage

// Reference counting for objects that are deleted when the last reference goes.
#define VYX_WEBKIT_UNKNOWN                                                       \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override { \
        if (out == nullptr) return E_POINTER;                                    \
        *out = find(riid);                                                       \
        if (*out == nullptr) return E_NOINTERFACE;                               \
        AddRef();                                                                \
        return S_OK;                                                             \
    }                                                                            \
    ULONG STDMETHODCALLTYPE AddRef() override {                                  \
        return ++references;                                                     \
    }                                                                            \
    ULONG STDMETHODCALLTYPE Release() override {                                 \
        const ULONG left = --references;                                         \
        if (left == 0) delete this;                                              \
        return left;                                                             \
    }

// Reference counting for objects that live inside the browser: they count on the browser.
#define VYX_WEBKIT_PART_UNKNOWN                                                  \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override { \
        if (out == nullptr) return E_POINTER;                                    \
        *out = find(riid);                                                       \
        if (*out == nullptr) return E_NOINTERFACE;                               \
        AddRef();                                                                \
        return S_OK;                                                             \
    }                                                                            \
    ULONG STDMETHODCALLTYPE AddRef() override;                                   \
    ULONG STDMETHODCALLTYPE Release() override;

// IDispatch of page objects: no type information and no late-bound members.
#define VYX_WEBKIT_DISPATCH                                                                                \
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {                                     \
        if (count != nullptr) *count = 0;                                                                  \
        return S_OK;                                                                                       \
    }                                                                                                      \
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {                              \
        return E_NOTIMPL;                                                                                  \
    }                                                                                                      \
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {             \
        return DISP_E_UNKNOWNNAME;                                                                         \
    }                                                                                                      \
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) \
        override {                                                                                         \
        return DISP_E_MEMBERNOTFOUND;                                                                      \
    }

class WebKitConnectionPoint : public IConnectionPoint {
public:
    WebKitConnectionPoint(WebKitBrowser& browser, const IID& events) : browser(browser), events(events) {}
    VYX_WEBKIT_PART_UNKNOWN
    void* find(REFIID riid);
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;

    WebKitBrowser& browser;
    IID events;
    ConnectedSinks sinks;
};

// Element, input and select faces of one page element, found again by its locator on every call.
// Holds a reference to the browser so that the view outlives it.
class WebKitElement final : public IHTMLElement, public IHTMLInputElement, public IHTMLSelectElement {
public:
    WebKitElement(WebKitBrowser& browser, const webkitpage::Locator& locator, const SString& tag);
    ~WebKitElement();
    VYX_WEBKIT_UNKNOWN
    VYX_WEBKIT_DISPATCH
    void* find(REFIID riid);
    // Runs body (a function body that may use e, the element) on the element; a missing element
    // fails.
    HRESULT run(const SString& body, SString* result = nullptr);
    HRESULT get(const char* body, BSTR* p);
    HRESULT put(const char* before, BSTR v, const char* after = ";");

    HRESULT STDMETHODCALLTYPE get_id(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_style(IHTMLStyle** p) override;
    HRESULT STDMETHODCALLTYPE put_innerHTML(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_innerHTML(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_innerText(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_innerText(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_type(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_value(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_value(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_status(VARIANT_BOOL v) override;
    HRESULT STDMETHODCALLTYPE get_status(VARIANT_BOOL* p) override;
    HRESULT STDMETHODCALLTYPE put_checked(VARIANT_BOOL v) override;
    HRESULT STDMETHODCALLTYPE get_checked(VARIANT_BOOL* p) override;
    HRESULT STDMETHODCALLTYPE put_selectedIndex(long v) override;
    HRESULT STDMETHODCALLTYPE get_selectedIndex(long* p) override;
    HRESULT STDMETHODCALLTYPE get_length(long* p) override;

    ULONG references = 1;
    WebKitBrowser& browser;
    webkitpage::Locator locator;
    SString tag;  // upper case, as found
};

class WebKitStyle final : public IHTMLStyle {
public:
    explicit WebKitStyle(WebKitElement& owner) : owner(owner) { owner.AddRef(); }
    ~WebKitStyle() { owner.Release(); }
    VYX_WEBKIT_UNKNOWN
    VYX_WEBKIT_DISPATCH
    void* find(REFIID riid);
    HRESULT STDMETHODCALLTYPE put_display(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_display(BSTR* p) override;

    ULONG references = 1;
    WebKitElement& owner;
};

class WebKitCollection final : public IHTMLElementCollection {
public:
    explicit WebKitCollection(WebKitBrowser& browser);
    ~WebKitCollection();
    VYX_WEBKIT_UNKNOWN
    VYX_WEBKIT_DISPATCH
    void* find(REFIID riid);
    HRESULT STDMETHODCALLTYPE get_length(long* p) override;
    HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT index, IDispatch** pdisp) override;

    ULONG references = 1;
    WebKitBrowser& browser;
};

class WebKitWindow : public IHTMLWindow2 {
public:
    explicit WebKitWindow(WebKitBrowser& browser) : browser(browser) {}
    VYX_WEBKIT_PART_UNKNOWN
    VYX_WEBKIT_DISPATCH
    void* find(REFIID riid);
    HRESULT STDMETHODCALLTYPE execScript(BSTR code, BSTR language, VARIANT* pvarRet) override;
    HRESULT STDMETHODCALLTYPE focus() override;

    WebKitBrowser& browser;
};

class WebKitDocument : public IHTMLDocument2, public IConnectionPointContainer {
public:
    explicit WebKitDocument(WebKitBrowser& browser);
    VYX_WEBKIT_PART_UNKNOWN
    VYX_WEBKIT_DISPATCH
    void* find(REFIID riid);
    HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) override;
    HRESULT STDMETHODCALLTYPE write(SAFEARRAY* psarray) override;
    HRESULT STDMETHODCALLTYPE close() override;
    HRESULT STDMETHODCALLTYPE clear() override;
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    WebKitBrowser& browser;
    SString text;  // written since the document was opened
    bool open = false;
    bool hasContent = false;
    WebKitConnectionPoint eventsPoint;
};

class WebKitBrowser final : public IWebBrowser2,
                            public IOleObject,
                            public IOleInPlaceActiveObject,
                            public IConnectionPointContainer {
public:
    explicit WebKitBrowser(WebKitWebView* view);
    ~WebKitBrowser();
    VYX_WEBKIT_UNKNOWN
    VYX_WEBKIT_DISPATCH
    void* find(REFIID riid);

    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE GoHome() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GoSearch() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) override;
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                        VARIANT* PostData, VARIANT* Headers) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                     HWND hwndParent, LPCRECT lprcPosRect) override;
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // BeforeNavigate2 to the sinks, with the browser's seven arguments; true when cancelled.
    bool beforeNavigate(const SString& url, const SString& frame, const SString& headers, long flags);
    // DocumentComplete to the sinks.
    void documentComplete(const SString& url);
    // Shows a page text (UTF-8) with the base address and waits until it has loaded.
    HRESULT loadPage(const std::string& html);
    // Lets the view go: disconnects from it, destroys it (unless it is being destroyed already,
    // with its window) and drops the browser's reference. Page calls fail from then on.
    void releaseView(bool destroy);
    // Whether a navigation the view asks about is one of this browser's own loads (taken once).
    bool takeOwnLoad(const char* uri);

    ULONG references = 1;
    WebKitWebView* view;  // one reference; null once closed
    WebKitDocument document;
    WebKitWindow window;
    WebKitConnectionPoint eventsPoint;
    bool documentLoaded = false;        // "about:blank" was navigated to: the document exists
    std::vector<std::string> ownLoads;  // addresses of loads this browser started (unescaped)
    int loadsFinished = 0;
    std::vector<gulong> handlers;
};
