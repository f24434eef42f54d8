// The document side of the in-memory page: document, elements, the element collection, inline
// style, window and event objects (see MemoryPage.h for what is and is not implemented).

#include "MemoryObjects.h"
#include "RawText.h"

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
std::string lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower((unsigned char)c));
    return s;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper((unsigned char)c));
    return s;
}
}  // namespace

// ---- style --------------------------------------------------------------------------------------

IUnknown* MemoryStyle::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLStyle)
        return static_cast<IHTMLStyle*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryStyle::put_display(BSTR v) {
    owner.display = lower(bytesOf(v));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryStyle::get_display(BSTR* p) {
    return putBstr(p, owner.display);
}

// ---- elements -----------------------------------------------------------------------------------

MemoryElement::MemoryElement(MemoryPage& page, const pagescanner::Element& scanned, const std::string& inner)
    : MemoryObject(page),
      tag(scanned.tag),
      id(scanned.get("id")),
      name(scanned.get("name")),
      inputValue(scanned.get("value")),
      checked(scanned.has("checked")),
      innerHtml(inner),
      display(pagescanner::displayOf(scanned.get("style"))),
      style(page, *this) {
    if (isInput()) type = scanned.has("type") ? lower(scanned.get("type")) : "text";
    setOptions(scanned.options);
}

void MemoryElement::setOptions(const std::vector<pagescanner::Option>& list) {
    options = list;
    selectedIndex = options.empty() ? -1 : 0;
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i].selected) {
            selectedIndex = long(i);
            break;
        }
}

IUnknown* MemoryElement::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLElement)
        return static_cast<IHTMLElement*>(this);
    if (riid == IID_IHTMLInputElement && isInput()) return static_cast<IHTMLInputElement*>(this);
    if (riid == IID_IHTMLSelectElement && isSelect()) return static_cast<IHTMLSelectElement*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_id(BSTR* p) {
    return putBstr(p, id);
}
HRESULT STDMETHODCALLTYPE MemoryElement::get_tagName(BSTR* p) {
    return putBstr(p, upper(tag));
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_style(IHTMLStyle** p) {
    if (p == nullptr) return E_POINTER;
    *p = &style;
    style.addRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::put_innerHTML(BSTR v) {
    if (pagescanner::isVoidTag(tag)) return E_FAIL;  // an input or image has no inside
    innerHtml = bytesOf(v);
    if (document != nullptr) document->replaceInside(*this, innerHtml);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_innerHTML(BSTR* p) {
    return putBstr(p, innerHtml);
}

HRESULT STDMETHODCALLTYPE MemoryElement::put_innerText(BSTR v) {
    if (pagescanner::isVoidTag(tag)) return E_FAIL;
    // Text stays text: markup characters become references, line breaks <br>.
    std::string html;
    const std::string text = bytesOf(v);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' || text[i] == '\n')
            html += "<br>";
        else
            html += pagescanner::escapeText(std::string(1, text[i]));
    }
    innerHtml = html;
    if (document != nullptr) document->replaceInside(*this, innerHtml);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_innerText(BSTR* p) {
    return putBstr(p, pagescanner::textOf(innerHtml));
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_type(BSTR* p) {
    return putBstr(p, isSelect() ? "select-one" : type);
}

std::string MemoryElement::value() const {
    if (isSelect())
        return selectedIndex >= 0 && size_t(selectedIndex) < options.size()
                   ? options[size_t(selectedIndex)].value
                   : std::string();
    return inputValue;
}

void MemoryElement::setValue(const std::string& v) {
    if (!isSelect()) {
        inputValue = v;
        return;
    }
    selectedIndex = -1;
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i].value == v) {
            selectedIndex = long(i);
            break;
        }
}

HRESULT STDMETHODCALLTYPE MemoryElement::put_value(BSTR v) {
    setValue(bytesOf(v));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_value(BSTR* p) {
    return putBstr(p, value());
}

HRESULT STDMETHODCALLTYPE MemoryElement::put_status(VARIANT_BOOL v) {
    checked = v != VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_status(VARIANT_BOOL* p) {
    if (p == nullptr) return E_POINTER;
    *p = checked ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::put_checked(VARIANT_BOOL v) {
    return put_status(v);
}
HRESULT STDMETHODCALLTYPE MemoryElement::get_checked(VARIANT_BOOL* p) {
    return get_status(p);
}

HRESULT STDMETHODCALLTYPE MemoryElement::put_selectedIndex(long v) {
    selectedIndex = v >= 0 && size_t(v) < options.size() ? v : -1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_selectedIndex(long* p) {
    if (p == nullptr) return E_POINTER;
    *p = selectedIndex;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryElement::get_length(long* p) {
    if (p == nullptr) return E_POINTER;
    *p = long(options.size());
    return S_OK;
}

// ---- the element collection ---------------------------------------------------------------------

IUnknown* MemoryCollection::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLElementCollection)
        return static_cast<IHTMLElementCollection*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryCollection::get_length(long* p) {
    if (p == nullptr) return E_POINTER;
    *p = long(document.elements.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryCollection::item(VARIANT name, VARIANT index, IDispatch** pdisp) {
    if (pdisp == nullptr) return E_POINTER;
    *pdisp = nullptr;
    MemoryElement* found = nullptr;
    long position = 0;
    if (variantInteger(name, position)) {
        if (position >= 0 && size_t(position) < document.elements.size())
            found = document.elements[size_t(position)];
    } else if (name.vt == VT_BSTR) {
        long which = 0;
        variantInteger(index, which);  // 0 (the first) unless a number is given
        found = document.findElement(bytesOf(name.bstrVal), which);
    } else {
        return E_INVALIDARG;
    }
    if (found != nullptr) {
        *pdisp = static_cast<IHTMLElement*>(found);
        found->addRef();
    }
    return S_OK;
}

// ---- window -------------------------------------------------------------------------------------

IUnknown* MemoryWindow::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLWindow2)
        return static_cast<IHTMLWindow2*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryWindow::execScript(BSTR code, BSTR language, VARIANT* pvarRet) {
    const std::string script = bytesOf(code);
    const std::string lang = bytesOf(language);
    const SString codeText = rawText(script.data(), int(script.size()));
    const SString languageText = rawText(lang.data(), int(lang.size()));
    page.scripts.push_back({codeText, languageText});
    if (pvarRet != nullptr) VariantInit(pvarRet);
    if (page.failScripts) return E_FAIL;
    if (page.scriptHandler) return page.scriptHandler(page, codeText, languageText);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryWindow::focus() {
    ++page.focusCount;
    return S_OK;
}

// ---- event objects ------------------------------------------------------------------------------

IUnknown* MemoryEventObj::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLEventObj)
        return static_cast<IHTMLEventObj*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryEventObj::get_srcElement(IHTMLElement** p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryEventObj::get_type(BSTR* p) {
    return putBstr(p, type);
}

HRESULT STDMETHODCALLTYPE MemoryEventObj::get_keyCode(long* p) {
    if (p == nullptr) return E_POINTER;
    *p = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryEventObj::put_returnValue(VARIANT v) {
    return VariantCopy(&returnValue, &v);
}

HRESULT STDMETHODCALLTYPE MemoryEventObj::get_returnValue(VARIANT* p) {
    if (p == nullptr) return E_POINTER;
    VariantInit(p);
    return VariantCopy(p, &returnValue);
}

// ---- document -----------------------------------------------------------------------------------

MemoryDocument::MemoryDocument(MemoryPage& page)
    : MemoryObject(page), all(page, *this), window(page), eventsPoint(page, DIID_HTMLDocumentEvents2) {}

MemoryDocument::~MemoryDocument() {
    // The elements go first: they refer to the document.
    events.clear();
    elements.clear();
    keep.clear();
}

IUnknown* MemoryDocument::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument2)
        return static_cast<IHTMLDocument2*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MemoryDocument::get_all(IHTMLElementCollection** p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    if (!hasContent || !page.documentHasContent) return S_OK;
    *p = &all;
    all.addRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryDocument::write(SAFEARRAY* psarray) {
    if (psarray == nullptr || psarray->cDims != 1 || !(psarray->fFeatures & FADF_VARIANT))
        return E_INVALIDARG;
    VARIANT* items = nullptr;
    if (FAILED(SafeArrayAccessData(psarray, reinterpret_cast<void**>(&items)))) return E_INVALIDARG;
    std::string written;
    for (ULONG i = 0; i < psarray->rgsabound[0].cElements; ++i)
        if (items[i].vt == VT_BSTR) written += bytesOf(items[i].bstrVal);
    SafeArrayUnaccessData(psarray);

    // A write to a closed document opens a new one.
    if (!open) {
        reset();
        open = true;
    }
    text += written;
    hasContent = true;
    page.writes.push_back(rawText(written.data(), int(written.size())));
    rebuild();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryDocument::close() {
    page.calls.push_back("close");
    open = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryDocument::clear() {
    page.calls.push_back("clear");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryDocument::get_parentWindow(IHTMLWindow2** p) {
    if (p == nullptr) return E_POINTER;
    *p = &window;
    window.addRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MemoryDocument::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (ppCP == nullptr) return E_POINTER;
    *ppCP = nullptr;
    if (riid != DIID_HTMLDocumentEvents2) return CONNECT_E_NOCONNECTION;
    *ppCP = &eventsPoint;
    eventsPoint.addRef();
    return S_OK;
}

void MemoryDocument::reset() {
    for (MemoryElement* e : elements)
        e->document = nullptr;
    elements.clear();
    text.clear();
    open = false;
    hasContent = false;
}

void MemoryDocument::rebuild() {
    for (MemoryElement* e : elements)
        e->document = nullptr;
    elements.clear();
    addScanned(text, nullptr, 0);
}

void MemoryDocument::replaceInside(MemoryElement& owner, const std::string& html) {
    removeInside(owner);
    size_t position = 0;
    while (position < elements.size() && elements[position] != &owner)
        ++position;
    addScanned(html, &owner, position < elements.size() ? position + 1 : elements.size());
}

void MemoryDocument::removeInside(MemoryElement& owner) {
    std::vector<MemoryElement*> remaining;
    for (MemoryElement* e : elements) {
        bool inside = false;
        for (MemoryElement* c = e->container; c != nullptr && !inside; c = c->container)
            inside = c == &owner;
        if (inside)
            e->document = nullptr;
        else
            remaining.push_back(e);
    }
    elements.swap(remaining);
}

void MemoryDocument::addScanned(const std::string& html, MemoryElement* owner, size_t insertAt) {
    const pagescanner::Result scanned = pagescanner::scan(html);
    std::map<int, MemoryElement*> made;  // scanned index -> element kept by the page
    for (size_t i = 0; i < scanned.elements.size(); ++i) {
        const pagescanner::Element& s = scanned.elements[i];
        if (!s.has("id") && !s.has("name")) continue;
        keep.push_back(
            std::make_unique<MemoryElement>(page, s, html.substr(s.innerStart, s.innerEnd - s.innerStart)));
        MemoryElement* element = keep.back().get();
        element->document = this;
        element->container = owner;
        for (int p = s.parent; p >= 0; p = scanned.elements[size_t(p)].parent) {
            auto it = made.find(p);
            if (it != made.end()) {
                element->container = it->second;
                break;
            }
        }
        made[int(i)] = element;
        elements.insert(elements.begin() + long(insertAt++), element);
    }
    if (owner != nullptr && owner->isSelect()) owner->setOptions(scanned.looseOptions);
}

MemoryElement* MemoryDocument::findElement(const std::string& key, long index) const {
    if (key.empty() || index < 0) return nullptr;
    for (MemoryElement* e : elements)
        if ((e->id == key || e->name == key) && index-- == 0) return e;
    return nullptr;
}
