#pragma once

// The objects of the in-memory page (see MemoryPage.h). Internal to memory/.

#include "MemoryPage.h"
#include "PageModel.h"
#include "PageObjectParts.h"
#include "PageScanner.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// Reference counting and interface lookup shared by every page object. Objects belong to the
// page; their count only tells who still holds them.
class MemoryObject {
public:
    explicit MemoryObject(MemoryPage& page);
    MemoryObject(const MemoryObject&) = delete;
    MemoryObject& operator=(const MemoryObject&) = delete;
    virtual ~MemoryObject();

    ULONG addRef() { return ++references; }
    ULONG release();
    HRESULT query(REFIID riid, void** out);
    // The interface for riid (already cast), or null.
    virtual IUnknown* find(REFIID riid) = 0;

    ULONG references = 0;
    MemoryPage& page;
};

// IUnknown for a class with several interfaces: one implementation overrides them all.
#define VYX_MEMORY_UNKNOWN                                                       \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override { \
        return query(riid, out);                                                 \
    }                                                                            \
    ULONG STDMETHODCALLTYPE AddRef() override {                                  \
        return addRef();                                                         \
    }                                                                            \
    ULONG STDMETHODCALLTYPE Release() override {                                 \
        return release();                                                        \
    }

// IDispatch for page objects: no type information and no late-bound members.
#define VYX_MEMORY_DISPATCH                                                                                \
    VYX_MEMORY_UNKNOWN                                                                                     \
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

// Conversions at this seam: BSTR (UTF-16) <-> Windows-1252 bytes.
std::string bytesOf(BSTR text);
BSTR bstrOf(const std::string& bytes);
HRESULT putBstr(BSTR* out, const std::string& bytes);

class MemoryConnectionPoint : public IConnectionPoint, public MemoryObject {
public:
    MemoryConnectionPoint(MemoryPage& page, const IID& events) : MemoryObject(page), events(events) {}
    VYX_MEMORY_UNKNOWN
    IUnknown* find(REFIID riid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;

    IID events;
    ConnectedSinks sinks;
};

class MemoryStyle : public IHTMLStyle, public MemoryObject {
public:
    MemoryStyle(MemoryPage& page, MemoryElement& owner) : MemoryObject(page), owner(owner) {}
    VYX_MEMORY_DISPATCH
    IUnknown* find(REFIID riid) override;
    HRESULT STDMETHODCALLTYPE put_display(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_display(BSTR* p) override;

    MemoryElement& owner;
};

class MemoryElement : public IHTMLElement,
                      public IHTMLInputElement,
                      public IHTMLSelectElement,
                      public MemoryObject {
public:
    MemoryElement(MemoryPage& page, const pagescanner::Element& scanned, const std::string& innerHtml);
    VYX_MEMORY_DISPATCH
    IUnknown* find(REFIID riid) override;
    // IHTMLElement
    HRESULT STDMETHODCALLTYPE get_id(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_style(IHTMLStyle** p) override;
    HRESULT STDMETHODCALLTYPE put_innerHTML(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_innerHTML(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_innerText(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_innerText(BSTR* p) override;
    // IHTMLInputElement and IHTMLSelectElement (value is the one of either)
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

    bool isInput() const { return tag == "input"; }
    bool isSelect() const { return tag == "select"; }
    std::string value() const;
    void setValue(const std::string& v);
    void setOptions(const std::vector<pagescanner::Option>& list);

    std::string tag;  // lower case
    std::string id;
    std::string name;
    std::string type;  // inputs: lower case, "text" when not given
    std::string inputValue;
    bool checked = false;
    std::string innerHtml;
    std::string display;
    std::vector<pagescanner::Option> options;
    long selectedIndex = -1;
    MemoryElement* container = nullptr;  // the nearest enclosing element the page keeps
    MemoryStyle style;
    MemoryDocument* document = nullptr;  // null once removed from the page
};

class MemoryCollection : public IHTMLElementCollection, public MemoryObject {
public:
    MemoryCollection(MemoryPage& page, MemoryDocument& document) : MemoryObject(page), document(document) {}
    VYX_MEMORY_DISPATCH
    IUnknown* find(REFIID riid) override;
    HRESULT STDMETHODCALLTYPE get_length(long* p) override;
    HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT index, IDispatch** pdisp) override;

    MemoryDocument& document;
};

class MemoryWindow : public IHTMLWindow2, public MemoryObject {
public:
    explicit MemoryWindow(MemoryPage& page) : MemoryObject(page) {}
    VYX_MEMORY_DISPATCH
    IUnknown* find(REFIID riid) override;
    HRESULT STDMETHODCALLTYPE execScript(BSTR code, BSTR language, VARIANT* pvarRet) override;
    HRESULT STDMETHODCALLTYPE focus() override;
};

class MemoryEventObj : public IHTMLEventObj, public MemoryObject {
public:
    MemoryEventObj(MemoryPage& page, const std::string& type) : MemoryObject(page), type(type) {}
    ~MemoryEventObj() override { VariantClear(&returnValue); }
    VYX_MEMORY_DISPATCH
    IUnknown* find(REFIID riid) override;
    HRESULT STDMETHODCALLTYPE get_srcElement(IHTMLElement** p) override;
    HRESULT STDMETHODCALLTYPE get_type(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_keyCode(long* p) override;
    HRESULT STDMETHODCALLTYPE put_returnValue(VARIANT v) override;
    HRESULT STDMETHODCALLTYPE get_returnValue(VARIANT* p) override;

    std::string type;
    VARIANT returnValue = {};
};

class MemoryDocument : public IHTMLDocument2, public IConnectionPointContainer, public MemoryObject {
public:
    explicit MemoryDocument(MemoryPage& page);
    ~MemoryDocument() override;
    VYX_MEMORY_DISPATCH
    IUnknown* find(REFIID riid) override;
    HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) override;
    HRESULT STDMETHODCALLTYPE write(SAFEARRAY* psarray) override;
    HRESULT STDMETHODCALLTYPE close() override;
    HRESULT STDMETHODCALLTYPE clear() override;
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // A blank document: no text, no elements, no content.
    void reset();
    // Rebuilds the elements from text.
    void rebuild();
    // Replaces what is inside owner with the elements found in html.
    void replaceInside(MemoryElement& owner, const std::string& html);
    MemoryElement* findElement(const std::string& id, long index) const;

    std::string text;
    bool open = false;
    bool hasContent = false;
    std::vector<MemoryElement*> elements;                 // in document order
    std::vector<std::unique_ptr<MemoryElement>> keep;     // every element ever made
    std::vector<std::unique_ptr<MemoryEventObj>> events;  // every event object fired
    MemoryCollection all;
    MemoryWindow window;
    MemoryConnectionPoint eventsPoint;

private:
    void removeInside(MemoryElement& owner);
    void addScanned(const std::string& html, MemoryElement* owner, size_t insertAt);
};

class MemoryBrowser : public IWebBrowser2,
                      public IOleObject,
                      public IOleInPlaceActiveObject,
                      public IConnectionPointContainer,
                      public MemoryObject {
public:
    explicit MemoryBrowser(MemoryPage& page);
    VYX_MEMORY_DISPATCH
    IUnknown* find(REFIID riid) override;
    // IWebBrowser2
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE GoHome() override;
    HRESULT STDMETHODCALLTYPE GoSearch() override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) override;
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                        VARIANT* PostData, VARIANT* Headers) override;
    // IOleObject
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                     HWND hwndParent, LPCRECT lprcPosRect) override;
    // IOleWindow, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) override;
    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // BeforeNavigate2 to the sinks; true when cancelled.
    bool beforeNavigate(const std::string& url, const std::string& frame, const std::string& headers,
                        long flags);

    MemoryDocument document;
    MemoryConnectionPoint eventsPoint;
    bool documentLoaded = false;
    HWND parent = nullptr;
};
