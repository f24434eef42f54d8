#pragma once

// The page object model seam: the parts of the browser's object model that the page host, its
// event sinks and the SHtml... wrappers call, with the platform's interface names, method shapes
// and identifiers, so that the code above reads the same on every platform. Each interface is
// the subset the program uses; an implementation may offer more through Invoke.
//
// Implementations: webkit/ (a web view; page reads and writes are scripts run in the view) and
// memory/ (an in-memory page for tests and headless runs).

#include "OleTypes.h"
#include "SString.h"
#include "WindowTypes.h"

struct IHTMLElement;
struct IHTMLElementCollection;
struct IHTMLStyle;
struct IHTMLWindow2;
struct IOleClientSite;  // the container's site; the hosts here pass none

extern const IID IID_IHTMLDocument2;
extern const IID IID_IHTMLElement;
extern const IID IID_IHTMLInputElement;
extern const IID IID_IHTMLSelectElement;
extern const IID IID_IHTMLStyle;
extern const IID IID_IHTMLWindow2;
extern const IID IID_IHTMLElementCollection;
extern const IID IID_IHTMLEventObj;
extern const IID IID_IWebBrowser2;
extern const IID IID_IConnectionPointContainer;
extern const IID IID_IConnectionPoint;
extern const IID IID_IOleObject;
extern const IID IID_IOleWindow;
extern const IID IID_IOleInPlaceActiveObject;
extern const IID DIID_DWebBrowserEvents2;
extern const IID DIID_HTMLDocumentEvents2;
extern const IID DIID_HTMLElementEvents2;
extern const CLSID CLSID_WebBrowser;

// ---- page objects -------------------------------------------------------------------------------

struct IHTMLStyle : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE put_display(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_display(BSTR* p) = 0;
};

struct IHTMLElement : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_id(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_tagName(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_style(IHTMLStyle** p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_innerHTML(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_innerHTML(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_innerText(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_innerText(BSTR* p) = 0;
};

struct IHTMLInputElement : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_type(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_value(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_value(BSTR* p) = 0;
    // The check state of a check box or radio button.
    virtual HRESULT STDMETHODCALLTYPE put_status(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_status(VARIANT_BOOL* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_checked(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_checked(VARIANT_BOOL* p) = 0;
};

struct IHTMLSelectElement : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE put_selectedIndex(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_selectedIndex(long* p) = 0;
    // The value of the selected option; putting selects the first option with that value.
    virtual HRESULT STDMETHODCALLTYPE put_value(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_value(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(long* p) = 0;
};

struct IHTMLElementCollection : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_length(long* p) = 0;
    // name: an id or name (VT_BSTR) or a position (an integer); index: which of several elements
    // with that id. *pdisp is null (and the result S_OK) when nothing matches.
    virtual HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT index, IDispatch** pdisp) = 0;
};

struct IHTMLWindow2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE execScript(BSTR code, BSTR language, VARIANT* pvarRet) = 0;
    virtual HRESULT STDMETHODCALLTYPE focus() = 0;
};

struct IHTMLEventObj : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_srcElement(IHTMLElement** p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_type(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_keyCode(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_returnValue(VARIANT v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_returnValue(VARIANT* p) = 0;
};

struct IHTMLDocument2 : public IDispatch {
    // Every element of the page; null when the document has no content yet.
    virtual HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) = 0;
    // Appends the texts (BSTR variants) to the document; after close, a write starts a new page.
    virtual HRESULT STDMETHODCALLTYPE write(SAFEARRAY* psarray) = 0;
    virtual HRESULT STDMETHODCALLTYPE close() = 0;
    virtual HRESULT STDMETHODCALLTYPE clear() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) = 0;
};

// ---- connections --------------------------------------------------------------------------------

struct IConnectionPoint : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) = 0;
    // The point keeps a reference to the sink (an IDispatch) until Unadvise.
    virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) = 0;
};

struct IConnectionPointContainer : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;
};

// ---- the browser object -------------------------------------------------------------------------

struct IOleWindow : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) = 0;
};

struct IOleInPlaceActiveObject : public IOleWindow {
    // S_OK when the browser consumed the key message.
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) = 0;
};

enum : LONG { OLEIVERB_SHOW = -1 };
enum : DWORD { OLECLOSE_SAVEIFDIRTY = 0, OLECLOSE_NOSAVE = 1, OLECLOSE_PROMPTSAVE = 2 };

struct IOleObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite,
                                             LONG lindex, HWND hwndParent, LPCRECT lprcPosRect) = 0;
};

struct IWebBrowser2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;
    virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;
    virtual HRESULT STDMETHODCALLTYPE GoHome() = 0;
    virtual HRESULT STDMETHODCALLTYPE GoSearch() = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) = 0;
    virtual HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                                VARIANT* PostData, VARIANT* Headers) = 0;
};

// Navigate2 flags: neither read from nor write to the cache.
enum : LONG { navNoHistory = 0x2, navNoReadFromCache = 0x4, navNoWriteToCache = 0x8 };

// ---- where browser objects come from ------------------------------------------------------------

// The browser engine: makes the browser object the page host embeds (the platform's control
// class), and tells its version for the host's system check.
class PageEngine {
public:
    virtual ~PageEngine() = default;
    virtual const char* getClassName() const { return "PageEngine"; }
    // The engine's version text ("6.0.2900.2180"); "" when there is no engine.
    virtual SString getVersion() = 0;
    // A new browser object with one reference for the caller, or a failure and null.
    virtual HRESULT createBrowser(IOleObject** browser) = 0;

    // The host's system check: whether the engine's version text is recent enough, and the
    // sentence of the refusal box that names what is needed. The defaults are the rule of the
    // Windows browser control (version 6 or later).
    virtual bool isSupported(const SString& version) const { return versionAtLeast(version, 6, 0); }
    virtual SString getRequirement() const;

    // The address relative links and resources of the next written page resolve against (a file
    // URL of the page's resource folder). Engines whose written page already resolves against the
    // host's resources ignore it.
    virtual void setDocumentBase(const SString& /*url*/) {}

    // Whether the version text's leading numbers ("2.50.6": 2 and 50) are at least major.minor;
    // false for a text without a leading number. A missing minor number counts as 0.
    static bool versionAtLeast(const SString& version, int major, int minor);
};

// The engine in use. Until one is installed there is none: its version is "" and it creates no
// browser. Installs e (not owned); nullptr restores the empty default. Returns the previous one.
PageEngine& pageEngine();
PageEngine* setPageEngine(PageEngine* e);
