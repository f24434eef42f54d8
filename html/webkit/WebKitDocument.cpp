// The document side of the WebKit page engine: document, elements, the element collection, inline
// style and window. Every read and write is a script run in the view; texts in scripts are string
// literals made by SIEControl::jsString, never raw page text.

#include "SIEControl.h"
#include "WebKitObjects.h"

#include <gtk/gtk.h>

using webkitpage::Locator;
using webkitpage::runScript;
using webkitpage::textOf;

namespace {
SString quoted(BSTR text) {
    return SIEControl::jsString(textOf(text));
}

SString number(long value) {
    SString text;
    text.appendFormat("%ld", value);
    return text;
}
}  // namespace

SString Locator::expression() const {
    if (byPosition) return SString("document.getElementsByTagName('*')[") + number(index) + "]";
    // The index-th element whose id or name is the key, in document order.
    return SString(
               "(function(k,i){var l=document.getElementsByTagName('*');"
               "for(var j=0;j<l.length;j++){var e=l[j];"
               "if(e.id===k||e.getAttribute('name')===k){if(i===0)return e;i--;}}return null;})(") +
           SIEControl::jsString(key) + "," + number(index) + ")";
}

// ---- elements -----------------------------------------------------------------------------------

WebKitElement::WebKitElement(WebKitBrowser& owner, const Locator& where, const SString& tagName)
    : browser(owner), locator(where), tag(tagName) {
    browser.AddRef();
}

WebKitElement::~WebKitElement() {
    browser.Release();
}

void* WebKitElement::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLElement)
        return static_cast<IHTMLElement*>(this);
    if (riid == IID_IHTMLInputElement && tag == "INPUT") return static_cast<IHTMLInputElement*>(this);
    if (riid == IID_IHTMLSelectElement && tag == "SELECT") return static_cast<IHTMLSelectElement*>(this);
    return nullptr;
}

HRESULT WebKitElement::run(const SString& body, SString* result) {
    return runScript(browser.view,
                     SString("(function(){var e=") + locator.expression() +
                         ";if(!e)throw new Error('no element');" + body + "})()",
                     result);
}

HRESULT WebKitElement::get(const char* body, BSTR* p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    SString value;
    HRESULT hr = run(body, &value);
    if (FAILED(hr)) return hr;
    return webkitpage::putText(p, value);
}

HRESULT WebKitElement::put(const char* before, BSTR v, const char* after) {
    return run(SString(before) + quoted(v) + after);
}

HRESULT STDMETHODCALLTYPE WebKitElement::get_id(BSTR* p) {
    return get("return e.id;", p);
}
HRESULT STDMETHODCALLTYPE WebKitElement::get_tagName(BSTR* p) {
    return get("return e.tagName;", p);
}

HRESULT STDMETHODCALLTYPE WebKitElement::get_style(IHTMLStyle** p) {
    if (p == nullptr) return E_POINTER;
    *p = new WebKitStyle(*this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitElement::put_innerHTML(BSTR v) {
    return put("e.innerHTML=", v);
}
HRESULT STDMETHODCALLTYPE WebKitElement::get_innerHTML(BSTR* p) {
    return get("return e.innerHTML;", p);
}
HRESULT STDMETHODCALLTYPE WebKitElement::put_innerText(BSTR v) {
    // Text stays text; line breaks become <br> as the property does it.
    return put("e.innerText=", v);
}
HRESULT STDMETHODCALLTYPE WebKitElement::get_innerText(BSTR* p) {
    return get("return e.innerText;", p);
}
HRESULT STDMETHODCALLTYPE WebKitElement::get_type(BSTR* p) {
    return get("return e.type;", p);
}
HRESULT STDMETHODCALLTYPE WebKitElement::put_value(BSTR v) {
    return put("e.value=", v);
}
HRESULT STDMETHODCALLTYPE WebKitElement::get_value(BSTR* p) {
    return get("return e.value;", p);
}

HRESULT STDMETHODCALLTYPE WebKitElement::put_status(VARIANT_BOOL v) {
    return run(v != VARIANT_FALSE ? "e.checked=true;" : "e.checked=false;");
}

HRESULT STDMETHODCALLTYPE WebKitElement::get_status(VARIANT_BOOL* p) {
    if (p == nullptr) return E_POINTER;
    SString value;
    HRESULT hr = run("return e.checked?'1':'0';", &value);
    *p = SUCCEEDED(hr) && value == "1" ? VARIANT_TRUE : VARIANT_FALSE;
    return hr;
}

HRESULT STDMETHODCALLTYPE WebKitElement::put_checked(VARIANT_BOOL v) {
    return put_status(v);
}
HRESULT STDMETHODCALLTYPE WebKitElement::get_checked(VARIANT_BOOL* p) {
    return get_status(p);
}

HRESULT STDMETHODCALLTYPE WebKitElement::put_selectedIndex(long v) {
    return run(SString("e.selectedIndex=") + number(v) + ";");
}

HRESULT STDMETHODCALLTYPE WebKitElement::get_selectedIndex(long* p) {
    if (p == nullptr) return E_POINTER;
    SString value;
    HRESULT hr = run("return String(e.selectedIndex);", &value);
    *p = SUCCEEDED(hr) ? long(value.toInt()) : -1;
    return hr;
}

HRESULT STDMETHODCALLTYPE WebKitElement::get_length(long* p) {
    if (p == nullptr) return E_POINTER;
    SString value;
    HRESULT hr = run("return String(e.length);", &value);
    *p = SUCCEEDED(hr) ? long(value.toInt()) : 0;
    return hr;
}

// ---- style --------------------------------------------------------------------------------------

void* WebKitStyle::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLStyle)
        return static_cast<IHTMLStyle*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE WebKitStyle::put_display(BSTR v) {
    return owner.put("e.style.display=", v);
}

HRESULT STDMETHODCALLTYPE WebKitStyle::get_display(BSTR* p) {
    return owner.get("return e.style.display;", p);
}

// ---- the element collection ---------------------------------------------------------------------

WebKitCollection::WebKitCollection(WebKitBrowser& owner) : browser(owner) {
    browser.AddRef();
}

WebKitCollection::~WebKitCollection() {
    browser.Release();
}

void* WebKitCollection::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLElementCollection)
        return static_cast<IHTMLElementCollection*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE WebKitCollection::get_length(long* p) {
    if (p == nullptr) return E_POINTER;
    SString value;
    HRESULT hr = runScript(browser.view, "String(document.getElementsByTagName('*').length)", &value);
    *p = SUCCEEDED(hr) ? long(value.toInt()) : 0;
    return hr;
}

HRESULT STDMETHODCALLTYPE WebKitCollection::item(VARIANT name, VARIANT index, IDispatch** pdisp) {
    if (pdisp == nullptr) return E_POINTER;
    *pdisp = nullptr;
    Locator locator;
    long number = 0;
    if (variantInteger(name, number)) {
        locator.byPosition = true;
        locator.index = number;
        if (locator.index < 0) return S_OK;
    } else if (name.vt == VT_BSTR) {
        locator.key = textOf(name.bstrVal);
        locator.index = variantInteger(index, number) ? number : 0;
        if (locator.key.isEmpty() || locator.index < 0) return S_OK;
    } else {
        return E_INVALIDARG;
    }
    // The element's tag decides which faces it offers; "" when there is no such element.
    SString tag;
    HRESULT hr =
        runScript(browser.view,
                  SString("(function(){var e=") + locator.expression() + ";return e?e.tagName:'';})()", &tag);
    if (FAILED(hr)) return hr;
    if (tag.isEmpty()) return S_OK;
    *pdisp = static_cast<IHTMLElement*>(new WebKitElement(browser, locator, tag.toUpper()));
    return S_OK;
}

// ---- window -------------------------------------------------------------------------------------

ULONG STDMETHODCALLTYPE WebKitWindow::AddRef() {
    return browser.AddRef();
}
ULONG STDMETHODCALLTYPE WebKitWindow::Release() {
    return browser.Release();
}

void* WebKitWindow::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLWindow2)
        return static_cast<IHTMLWindow2*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE WebKitWindow::execScript(BSTR code, BSTR language, VARIANT* pvarRet) {
    if (pvarRet != nullptr) VariantInit(pvarRet);
    SString lang = textOf(language);
    lang.toLower();
    if (!lang.isEmpty() && lang != "javascript" && lang != "jscript") return E_INVALIDARG;
    // Declarations stay global as in a page script; the script's own completion value (possibly a
    // page object, which cannot cross to the program) is not asked for.
    return runScript(browser.view, textOf(code) + "\n;void 0;");
}

HRESULT STDMETHODCALLTYPE WebKitWindow::focus() {
    if (browser.view == nullptr) return E_FAIL;
    gtk_widget_grab_focus(GTK_WIDGET(browser.view));
    return S_OK;
}

// ---- document -----------------------------------------------------------------------------------

WebKitDocument::WebKitDocument(WebKitBrowser& owner)
    : browser(owner), eventsPoint(owner, DIID_HTMLDocumentEvents2) {}

ULONG STDMETHODCALLTYPE WebKitDocument::AddRef() {
    return browser.AddRef();
}
ULONG STDMETHODCALLTYPE WebKitDocument::Release() {
    return browser.Release();
}

void* WebKitDocument::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument2)
        return static_cast<IHTMLDocument2*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE WebKitDocument::get_all(IHTMLElementCollection** p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    if (!hasContent || browser.view == nullptr) return S_OK;
    *p = new WebKitCollection(browser);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitDocument::write(SAFEARRAY* psarray) {
    if (psarray == nullptr || psarray->cDims != 1 || !(psarray->fFeatures & FADF_VARIANT))
        return E_INVALIDARG;
    VARIANT* items = nullptr;
    if (FAILED(SafeArrayAccessData(psarray, reinterpret_cast<void**>(&items)))) return E_INVALIDARG;
    SString written;
    for (ULONG i = 0; i < psarray->rgsabound[0].cElements; ++i)
        if (items[i].vt == VT_BSTR) written.append(textOf(items[i].bstrVal));
    SafeArrayUnaccessData(psarray);
    // A write to a closed document starts a new page.
    if (!open) {
        text = SString();
        open = true;
    }
    text.append(written);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitDocument::close() {
    if (!open) return S_OK;
    open = false;
    hasContent = true;
    return browser.loadPage(webkitpage::utf8Of(text));
}

HRESULT STDMETHODCALLTYPE WebKitDocument::clear() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitDocument::get_parentWindow(IHTMLWindow2** p) {
    if (p == nullptr) return E_POINTER;
    *p = &browser.window;
    browser.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitDocument::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (ppCP == nullptr) return E_POINTER;
    *ppCP = nullptr;
    if (riid != DIID_HTMLDocumentEvents2) return CONNECT_E_NOCONNECTION;
    *ppCP = &eventsPoint;
    browser.AddRef();
    return S_OK;
}
