#include "MemoryPage.h"

#include "CodePage.h"
#include "MemoryObjects.h"
#include "RawText.h"

#include <algorithm>
#include <cstdint>
#include <string>

// ---- shared parts -------------------------------------------------------------------------------

MemoryObject::MemoryObject(MemoryPage& owner) : page(owner) {
    page.objects.push_back(this);
}

MemoryObject::~MemoryObject() {
    auto& list = page.objects;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

ULONG MemoryObject::release() {
    if (references == 0) {
        ++page.surplusReleases;
        return 0;
    }
    return --references;
}

HRESULT MemoryObject::query(REFIID riid, void** out) {
    if (out == nullptr) return E_POINTER;
    IUnknown* found = find(riid);
    *out = found;
    if (found == nullptr) return E_NOINTERFACE;
    addRef();
    return S_OK;
}

std::string bytesOf(BSTR text) {
    if (text == nullptr) return std::string();
    return codepage::utf16ToCp1252(text, int(SysStringLen(text)));
}

BSTR bstrOf(const std::string& bytes) {
    std::u16string wide = codepage::cp1252ToUtf16(bytes.data(), int(bytes.size()));
    return SysAllocStringLen(wide.data(), unsigned(wide.size()));
}

HRESULT putBstr(BSTR* out, const std::string& bytes) {
    if (out == nullptr) return E_POINTER;
    *out = bstrOf(bytes);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

namespace {
std::string textOfVariant(const VARIANT* v) {
    if (v == nullptr) return std::string();
    if (v->vt == (VT_BYREF | VT_VARIANT)) return textOfVariant(v->pvarVal);
    if (v->vt == VT_BSTR) return bytesOf(v->bstrVal);
    return std::string();
}

long longOfVariant(const VARIANT* v) {
    if (v == nullptr) return 0;
    if (v->vt == (VT_BYREF | VT_VARIANT)) return longOfVariant(v->pvarVal);
    if (v->vt == VT_I4 || v->vt == VT_INT) return v->lVal;
    return 0;
}

VARIANT textVariant(const std::string& bytes) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = bstrOf(bytes);
    return v;
}

VARIANTARG byReference(VARIANT& v) {
    VARIANTARG arg;
    VariantInit(&arg);
    arg.vt = VT_BYREF | VT_VARIANT;
    arg.pvarVal = &v;
    return arg;
}
}  // namespace

// ---- connection points --------------------------------------------------------------------------

IUnknown* MemoryConnectionPoint::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) return static_cast<IConnectionPoint*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = events;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    return sinks.advise(sink, cookie);
}

HRESULT STDMETHODCALLTYPE MemoryConnectionPoint::Unadvise(DWORD cookie) {
    return sinks.unadvise(cookie);
}

// ---- the browser --------------------------------------------------------------------------------

MemoryBrowser::MemoryBrowser(MemoryPage& page)
    : MemoryObject(page), document(page), eventsPoint(page, DIID_DWebBrowserEvents2) {}

IUnknown* MemoryBrowser::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser2)
        return static_cast<IWebBrowser2*>(this);
    if (riid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (riid == IID_IOleWindow) return static_cast<IOleInPlaceActiveObject*>(this);
    if (riid == IID_IOleInPlaceActiveObject && page.offerInPlaceObject)
        return static_cast<IOleInPlaceActiveObject*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::GoBack() {
    page.calls.push_back("GoBack");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE MemoryBrowser::GoForward() {
    page.calls.push_back("GoForward");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE MemoryBrowser::GoHome() {
    page.calls.push_back("GoHome");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE MemoryBrowser::GoSearch() {
    page.calls.push_back("GoSearch");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE MemoryBrowser::Refresh() {
    page.calls.push_back("Refresh");
    return S_OK;
}
HRESULT STDMETHODCALLTYPE MemoryBrowser::Stop() {
    page.calls.push_back("Stop");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::get_Document(IDispatch** ppDisp) {
    if (ppDisp == nullptr) return E_POINTER;
    *ppDisp = nullptr;
    if (!documentLoaded || !page.documentAvailable) return E_FAIL;
    *ppDisp = static_cast<IHTMLDocument2*>(&document);
    document.addRef();
    return S_OK;
}

bool MemoryBrowser::beforeNavigate(const std::string& url, const std::string& frame,
                                   const std::string& headers, long flags) {
    VARIANT urlValue = textVariant(url);
    VARIANT flagsValue;
    VariantInit(&flagsValue);
    flagsValue.vt = VT_I4;
    flagsValue.lVal = flags;
    VARIANT frameValue = textVariant(frame);
    VARIANT postData;
    VariantInit(&postData);
    VARIANT headersValue = textVariant(headers);
    VARIANT_BOOL cancel = VARIANT_FALSE;

    // As the browser passes them: last argument first.
    VARIANTARG args[7];
    args[6].vt = VT_DISPATCH;
    args[6].pdispVal = static_cast<IWebBrowser2*>(this);
    args[5] = byReference(urlValue);
    args[4] = byReference(flagsValue);
    args[3] = byReference(frameValue);
    args[2] = byReference(postData);
    args[1] = byReference(headersValue);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    DISPPARAMS parameters = {args, nullptr, 7, 0};
    eventsPoint.sinks.invokeAll(DISPID_BEFORENAVIGATE2, parameters, nullptr);

    VariantClear(&urlValue);
    VariantClear(&frameValue);
    VariantClear(&headersValue);
    return cancel != VARIANT_FALSE;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                                   VARIANT*, VARIANT* Headers) {
    const std::string url = textOfVariant(URL);
    const long flags = longOfVariant(Flags);
    page.navigations.push_back(rawText(url.data(), int(url.size())));
    page.navigationFlags.push_back(int(flags));
    if (beforeNavigate(url, textOfVariant(TargetFrameName), textOfVariant(Headers), flags)) return S_OK;
    page.followed.push_back(rawText(url.data(), int(url.size())));
    if (url == "about:blank") {
        document.reset();
        documentLoaded = true;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR) {
    std::string app;
    if (szContainerApp != nullptr) {
        int n = 0;
        while (szContainerApp[n] != 0)
            ++n;
        app = codepage::utf16ToCp1252(szContainerApp, n);
    }
    page.calls.push_back(SString("SetHostNames(") + rawText(app.data(), int(app.size())) + ")");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::Close(DWORD dwSaveOption) {
    page.calls.push_back(SString("Close(") + SString(int(dwSaveOption)) + ")");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::DoVerb(LONG iVerb, LPMSG, IOleClientSite*, LONG, HWND hwndParent,
                                                LPCRECT) {
    page.calls.push_back(SString("DoVerb(") + SString(int(iVerb)) + ")");
    parent = hwndParent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::GetWindow(HWND* phwnd) {
    if (phwnd == nullptr) return E_POINTER;
    *phwnd = MemoryPage::getBrowserWindow();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::TranslateAccelerator(LPMSG lpmsg) {
    if (lpmsg == nullptr) return E_POINTER;
    page.offeredKeys.push_back(*lpmsg);
    const bool key = lpmsg->message == WM_KEYDOWN || lpmsg->message == WM_KEYUP;
    const auto& keys = page.consumedKeys;
    if (key && std::find(keys.begin(), keys.end(), lpmsg->wParam) != keys.end()) return S_OK;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE MemoryBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (ppCP == nullptr) return E_POINTER;
    *ppCP = nullptr;
    if (riid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
    *ppCP = &eventsPoint;
    eventsPoint.addRef();
    return S_OK;
}

// ---- the page -----------------------------------------------------------------------------------

MemoryPage::MemoryPage() : version("6.0.2900.2180") {
    browser = std::make_unique<MemoryBrowser>(*this);
    previousEngine = setPageEngine(this);
}

MemoryPage::~MemoryPage() {
    setPageEngine(previousEngine);
    browser.reset();
}

HRESULT MemoryPage::createBrowser(IOleObject** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (refuseBrowser) return E_FAIL;
    *object = static_cast<IOleObject*>(browser.get());
    browser->addRef();
    calls.push_back("createBrowser");
    return S_OK;
}

const MemoryElement* MemoryPage::find(const SString& id) const {
    return browser->document.findElement(std::string(id.getChars(), size_t(id.getLength())), 0);
}

bool MemoryPage::hasElement(const SString& id) const {
    return find(id) != nullptr;
}
int MemoryPage::getElementCount() const {
    return int(browser->document.elements.size());
}

namespace {
SString toSString(const std::string& s) {
    return rawText(s.data(), int(s.size()));
}
}  // namespace

SString MemoryPage::getTagName(const SString& id) const {
    const MemoryElement* e = find(id);
    if (e == nullptr) return SString();
    SString tag = toSString(e->tag);
    return tag.toUpper();
}

SString MemoryPage::getInnerHTML(const SString& id) const {
    const MemoryElement* e = find(id);
    return e ? toSString(e->innerHtml) : SString();
}

SString MemoryPage::getInnerText(const SString& id) const {
    const MemoryElement* e = find(id);
    return e ? toSString(pagescanner::textOf(e->innerHtml)) : SString();
}

SString MemoryPage::getValue(const SString& id) const {
    const MemoryElement* e = find(id);
    return e ? toSString(e->value()) : SString();
}

bool MemoryPage::isChecked(const SString& id) const {
    const MemoryElement* e = find(id);
    return e != nullptr && e->checked;
}

SString MemoryPage::getDisplay(const SString& id) const {
    const MemoryElement* e = find(id);
    return e ? toSString(e->display) : SString();
}

int MemoryPage::getSelectedIndex(const SString& id) const {
    const MemoryElement* e = find(id);
    return e && e->isSelect() ? int(e->selectedIndex) : -1;
}

SString MemoryPage::getPageText() const {
    return toSString(browser->document.text);
}

bool MemoryPage::setValue(const SString& id, const SString& value) {
    MemoryElement* e = const_cast<MemoryElement*>(find(id));
    if (e == nullptr) return false;
    e->setValue(std::string(value.getChars(), size_t(value.getLength())));
    return true;
}

bool MemoryPage::setChecked(const SString& id, bool value) {
    MemoryElement* e = const_cast<MemoryElement*>(find(id));
    if (e == nullptr || !e->isInput()) return false;
    e->checked = value;
    return true;
}

bool MemoryPage::fireNavigation(const SString& url, const SString& targetFrame, const SString& headers) {
    const std::string address(url.getChars(), size_t(url.getLength()));
    if (browser->beforeNavigate(address, std::string(targetFrame.getChars(), size_t(targetFrame.getLength())),
                                std::string(headers.getChars(), size_t(headers.getLength())), 0))
        return true;
    followed.push_back(url);
    return false;
}

void MemoryPage::completeDocument(const SString& url) {
    VARIANT address = textVariant(std::string(url.getChars(), size_t(url.getLength())));
    VARIANTARG args[2];
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = static_cast<IWebBrowser2*>(browser.get());
    args[0] = byReference(address);
    DISPPARAMS parameters = {args, nullptr, 2, 0};
    browser->eventsPoint.sinks.invokeAll(DISPID_DOCUMENTCOMPLETE, parameters, nullptr);
    VariantClear(&address);
}

HRESULT MemoryPage::invokeBrowserSinks(DISPID dispId, DISPPARAMS& parameters) {
    return browser->eventsPoint.sinks.invokeAll(dispId, parameters, nullptr);
}

HRESULT MemoryPage::fireDocumentEvent(DISPID dispId, const SString& type, VARIANT_BOOL* cancel) {
    MemoryDocument& document = browser->document;
    document.events.push_back(
        std::make_unique<MemoryEventObj>(*this, std::string(type.getChars(), size_t(type.getLength()))));
    MemoryEventObj* event = document.events.back().get();
    VARIANTARG arg;
    VariantInit(&arg);
    arg.vt = VT_DISPATCH;
    arg.pdispVal = static_cast<IHTMLEventObj*>(event);
    DISPPARAMS parameters = {&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = document.eventsPoint.sinks.invokeAll(dispId, parameters, &result);
    if (cancel != nullptr) *cancel = result.vt == VT_BOOL ? result.boolVal : VARIANT_FALSE;
    VariantClear(&result);
    return hr;
}

int MemoryPage::getBrowserSinkCount() const {
    return browser->eventsPoint.sinks.count();
}
int MemoryPage::getDocumentSinkCount() const {
    return browser->document.eventsPoint.sinks.count();
}
HWND MemoryPage::getBrowserParent() const {
    return browser->parent;
}
HWND MemoryPage::getBrowserWindow() {
    return reinterpret_cast<HWND>(uintptr_t(0x4D454D));
}

long MemoryPage::getOutstandingReferences() const {
    long total = 0;
    for (const MemoryObject* o : objects)
        total += long(o->references);
    return total;
}
