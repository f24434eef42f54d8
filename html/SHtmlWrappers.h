#pragma once

#include "PageModel.h"
#include "SString.h"
#include "SVariant.h"

// Wrappers of the page's objects. Each is an implementation class (SHTML...Impl, one operation per
// property or method used) and a handle class (SHtml...) that attaches to an object.
//
// The contract of every operation: on an empty wrapper it does nothing and returns 0. Otherwise it
// calls the object, keeps the call's result code (getResult) and returns 1 for S_OK, else 0.
// Texts cross as BSTRs (Windows-1252 <-> UTF-16); a string getter assigns what the object returned,
// also on failure (a null BSTR gives ""). Boolean getters give the raw VARIANT_BOOL (nonzero for
// true). Object getters hand back a pointer carrying one reference for the caller, who attaches a
// handle to it (take() does both and releases the caller's reference).

class SHtmlDocument2;

template <class I>
struct SHtmlInterfaceId;
template <>
struct SHtmlInterfaceId<IHTMLDocument2> {
    static const IID& get() { return IID_IHTMLDocument2; }
};
template <>
struct SHtmlInterfaceId<IHTMLElement> {
    static const IID& get() { return IID_IHTMLElement; }
};
template <>
struct SHtmlInterfaceId<IHTMLInputElement> {
    static const IID& get() { return IID_IHTMLInputElement; }
};
template <>
struct SHtmlInterfaceId<IHTMLSelectElement> {
    static const IID& get() { return IID_IHTMLSelectElement; }
};
template <>
struct SHtmlInterfaceId<IHTMLStyle> {
    static const IID& get() { return IID_IHTMLStyle; }
};
template <>
struct SHtmlInterfaceId<IHTMLWindow2> {
    static const IID& get() { return IID_IHTMLWindow2; }
};
template <>
struct SHtmlInterfaceId<IHTMLElementCollection> {
    static const IID& get() { return IID_IHTMLElementCollection; }
};
template <>
struct SHtmlInterfaceId<IHTMLEventObj> {
    static const IID& get() { return IID_IHTMLEventObj; }
};

// What every implementation class holds: the interface pointer (null when empty) and the result
// code of the last call, and the conversions all accessors share.
template <class I>
class SHtmlInterface {
public:
    SHtmlInterface() = default;
    SHtmlInterface(const SHtmlInterface&) = delete;
    SHtmlInterface& operator=(const SHtmlInterface&) = delete;
    virtual ~SHtmlInterface() { release(); }
    virtual const char* getClassName() const { return "SHtmlInterface"; }

    bool isValid() const { return pointer != nullptr; }
    I* getPointer() const { return pointer; }
    HRESULT getResult() const { return result; }

    // Lets the reference go; the wrapper is empty afterwards.
    void release() {
        if (pointer != nullptr) pointer->Release();
        pointer = nullptr;
    }

protected:
    int done(HRESULT hr) {
        result = hr;
        return hr == S_OK ? 1 : 0;
    }

    int putText(HRESULT (STDMETHODCALLTYPE I::*method)(BSTR), const SString& value) {
        if (pointer == nullptr) return 0;
        SString copy(value);
        BSTR text = SysAllocStringLen(copy.getWide(), unsigned(copy.getLength()));
        HRESULT hr = (pointer->*method)(text);
        SysFreeString(text);
        return done(hr);
    }

    int getText(HRESULT (STDMETHODCALLTYPE I::*method)(BSTR*), SString& value) {
        if (pointer == nullptr) return 0;
        BSTR text = nullptr;
        HRESULT hr = (pointer->*method)(&text);
        value.set(static_cast<const OLECHAR*>(text));
        SysFreeString(text);
        return done(hr);
    }

    int getLong(HRESULT (STDMETHODCALLTYPE I::*method)(long*), int& value) {
        if (pointer == nullptr) return 0;
        long number = 0;
        HRESULT hr = (pointer->*method)(&number);
        if (SUCCEEDED(hr)) value = int(number);
        return done(hr);
    }

    int putLong(HRESULT (STDMETHODCALLTYPE I::*method)(long), int value) {
        if (pointer == nullptr) return 0;
        return done((pointer->*method)(long(value)));
    }

    int getBool(HRESULT (STDMETHODCALLTYPE I::*method)(VARIANT_BOOL*), int& value) {
        if (pointer == nullptr) return 0;
        VARIANT_BOOL flag = VARIANT_FALSE;
        HRESULT hr = (pointer->*method)(&flag);
        if (SUCCEEDED(hr)) value = flag;
        return done(hr);
    }

    int putBool(HRESULT (STDMETHODCALLTYPE I::*method)(VARIANT_BOOL), int value) {
        if (pointer == nullptr) return 0;
        return done((pointer->*method)(value ? VARIANT_TRUE : VARIANT_FALSE));
    }

    template <class O>
    int getObject(HRESULT (STDMETHODCALLTYPE I::*method)(O**), O** object) {
        if (object != nullptr) *object = nullptr;
        if (pointer == nullptr || object == nullptr) return 0;
        return done((pointer->*method)(object));
    }

    int call(HRESULT (STDMETHODCALLTYPE I::*method)()) {
        if (pointer == nullptr) return 0;
        return done((pointer->*method)());
    }

    I* pointer = nullptr;
    HRESULT result = S_OK;
};

// The handle half: attaching to an object asks it for the wrapper's interface.
template <class Impl, class I>
class SHtmlHandle : public Impl {
public:
    // Lets the held reference go, then asks object for the interface; the handle stays empty
    // when the object does not offer it. The caller keeps its own reference to object.
    bool attach(IUnknown* object) {
        this->release();
        this->result = S_OK;
        if (object == nullptr) return false;
        void* found = nullptr;
        this->result = object->QueryInterface(SHtmlInterfaceId<I>::get(), &found);
        if (SUCCEEDED(this->result)) this->pointer = static_cast<I*>(found);
        return this->pointer != nullptr;
    }

    // attach, then releases the reference the caller handed over (an object getter's result).
    bool take(IUnknown* owned) {
        bool attached = attach(owned);
        if (owned != nullptr) owned->Release();
        return attached;
    }

    // The page element with this id (the index-th of several), looked up in the document.
    bool attachById(SHtmlDocument2& document, const SString& id, int index = 0);
};

// ---- implementation classes ---------------------------------------------------------------------

class SHTMLDocument2Impl : public SHtmlInterface<IHTMLDocument2> {
public:
    const char* getClassName() const override { return "SHTMLDocument2Impl"; }
    int getAll(IHTMLElementCollection** collection) {
        return getObject(&IHTMLDocument2::get_all, collection);
    }
    // Writes the text as the one element of an array of variants.
    int write(const SString& text);
    int close() { return call(&IHTMLDocument2::close); }
    int clear() { return call(&IHTMLDocument2::clear); }
    int getParentWindow(IHTMLWindow2** window) {
        return getObject(&IHTMLDocument2::get_parentWindow, window);
    }
};

class SHTMLElementImpl : public SHtmlInterface<IHTMLElement> {
public:
    const char* getClassName() const override { return "SHTMLElementImpl"; }
    int getId(SString& id) { return getText(&IHTMLElement::get_id, id); }
    int getTagName(SString& name) { return getText(&IHTMLElement::get_tagName, name); }
    int getStyle(IHTMLStyle** style) { return getObject(&IHTMLElement::get_style, style); }
    int setInnerHTML(const SString& html) { return putText(&IHTMLElement::put_innerHTML, html); }
    int getInnerHTML(SString& html) { return getText(&IHTMLElement::get_innerHTML, html); }
    int setInnerText(const SString& text) { return putText(&IHTMLElement::put_innerText, text); }
    int getInnerText(SString& text) { return getText(&IHTMLElement::get_innerText, text); }
};

class SHTMLInputElementImpl : public SHtmlInterface<IHTMLInputElement> {
public:
    const char* getClassName() const override { return "SHTMLInputElementImpl"; }
    int getType(SString& type) { return getText(&IHTMLInputElement::get_type, type); }
    int setValue(const SString& value) { return putText(&IHTMLInputElement::put_value, value); }
    int getValue(SString& value) { return getText(&IHTMLInputElement::get_value, value); }
    int setStatus(int checked) { return putBool(&IHTMLInputElement::put_status, checked); }
    int getStatus(int& checked) { return getBool(&IHTMLInputElement::get_status, checked); }
    int setChecked(int checked) { return putBool(&IHTMLInputElement::put_checked, checked); }
    int getChecked(int& checked) { return getBool(&IHTMLInputElement::get_checked, checked); }
};

class SHTMLSelectElementImpl : public SHtmlInterface<IHTMLSelectElement> {
public:
    const char* getClassName() const override { return "SHTMLSelectElementImpl"; }
    int setSelectedIndex(int index) { return putLong(&IHTMLSelectElement::put_selectedIndex, index); }
    int getSelectedIndex(int& index) { return getLong(&IHTMLSelectElement::get_selectedIndex, index); }
    int setValue(const SString& value) { return putText(&IHTMLSelectElement::put_value, value); }
    int getValue(SString& value) { return getText(&IHTMLSelectElement::get_value, value); }
    int getLength(int& length) { return getLong(&IHTMLSelectElement::get_length, length); }
};

class SHTMLStyleImpl : public SHtmlInterface<IHTMLStyle> {
public:
    const char* getClassName() const override { return "SHTMLStyleImpl"; }
    int setDisplay(const SString& display) { return putText(&IHTMLStyle::put_display, display); }
    int getDisplay(SString& display) { return getText(&IHTMLStyle::get_display, display); }
};

class SHTMLWindow2Impl : public SHtmlInterface<IHTMLWindow2> {
public:
    const char* getClassName() const override { return "SHTMLWindow2Impl"; }
    // Runs code in the page; the script's value lands in result.
    int execScript(const SString& code, const SString& language, SVariant& result);
    int focus() { return call(&IHTMLWindow2::focus); }
};

class SHTMLElementCollectionImpl : public SHtmlInterface<IHTMLElementCollection> {
public:
    const char* getClassName() const override { return "SHTMLElementCollectionImpl"; }
    int getLength(int& length) { return getLong(&IHTMLElementCollection::get_length, length); }
    int item(const SVariant& name, const SVariant& index, IDispatch** element);
};

class SHTMLEventObjImpl : public SHtmlInterface<IHTMLEventObj> {
public:
    const char* getClassName() const override { return "SHTMLEventObjImpl"; }
    int getSrcElement(IHTMLElement** element) { return getObject(&IHTMLEventObj::get_srcElement, element); }
    int getType(SString& type) { return getText(&IHTMLEventObj::get_type, type); }
    int getKeyCode(int& code) { return getLong(&IHTMLEventObj::get_keyCode, code); }
    int setReturnValue(const SVariant& value);
};

// ---- handles ------------------------------------------------------------------------------------

class SHtmlDocument2 : public SHtmlHandle<SHTMLDocument2Impl, IHTMLDocument2> {
public:
    const char* getClassName() const override { return "SHtmlDocument2"; }
    // The element with this id or name (the index-th of several), with one reference for the
    // caller; null when there is none. A document without an element collection traces
    // "Dokument hat keinen Inhalt.".
    IDispatch* getElementById(const SString& id, int index = 0);
};

class SHtmlElement : public SHtmlHandle<SHTMLElementImpl, IHTMLElement> {
public:
    const char* getClassName() const override { return "SHtmlElement"; }
};

class SHtmlInputElement : public SHtmlHandle<SHTMLInputElementImpl, IHTMLInputElement> {
public:
    const char* getClassName() const override { return "SHtmlInputElement"; }
};

class SHtmlSelectElement : public SHtmlHandle<SHTMLSelectElementImpl, IHTMLSelectElement> {
public:
    const char* getClassName() const override { return "SHtmlSelectElement"; }
};

class SHtmlStyle : public SHtmlHandle<SHTMLStyleImpl, IHTMLStyle> {
public:
    const char* getClassName() const override { return "SHtmlStyle"; }
};

class SHtmlWindow2 : public SHtmlHandle<SHTMLWindow2Impl, IHTMLWindow2> {
public:
    const char* getClassName() const override { return "SHtmlWindow2"; }
};

class SHtmlElementCollection : public SHtmlHandle<SHTMLElementCollectionImpl, IHTMLElementCollection> {
public:
    const char* getClassName() const override { return "SHtmlElementCollection"; }
};

class SHtmlEventObj : public SHtmlHandle<SHTMLEventObjImpl, IHTMLEventObj> {
public:
    const char* getClassName() const override { return "SHtmlEventObj"; }
};

template <class Impl, class I>
bool SHtmlHandle<Impl, I>::attachById(SHtmlDocument2& document, const SString& id, int index) {
    return take(document.getElementById(id, index));
}
