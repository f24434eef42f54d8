#include "SHtmlWrappers.h"

#include "SDebug.h"

int SHTMLDocument2Impl::write(const SString& text) {
    if (pointer == nullptr) return 0;
    SAFEARRAY* texts = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (texts == nullptr) return done(E_OUTOFMEMORY);
    VARIANT* items = nullptr;
    SafeArrayAccessData(texts, reinterpret_cast<void**>(&items));
    SString copy(text);
    items[0].vt = VT_BSTR;
    items[0].bstrVal = SysAllocStringLen(copy.getWide(), unsigned(copy.getLength()));
    SafeArrayUnaccessData(texts);
    HRESULT hr = pointer->write(texts);
    SafeArrayDestroy(texts);  // frees the BSTR with the array
    return done(hr);
}

int SHTMLWindow2Impl::execScript(const SString& code, const SString& language, SVariant& value) {
    if (pointer == nullptr) return 0;
    SString script(code);
    SString lang(language);
    BSTR scriptText = SysAllocStringLen(script.getWide(), unsigned(script.getLength()));
    BSTR languageText = SysAllocStringLen(lang.getWide(), unsigned(lang.getLength()));
    VariantClear(value.getAddress());
    HRESULT hr = pointer->execScript(scriptText, languageText, value.getAddress());
    SysFreeString(scriptText);
    SysFreeString(languageText);
    return done(hr);
}

int SHTMLElementCollectionImpl::item(const SVariant& name, const SVariant& index, IDispatch** element) {
    if (element != nullptr) *element = nullptr;
    if (pointer == nullptr || element == nullptr) return 0;
    // Variants go by value: the collection reads them and leaves them to us.
    return done(pointer->item(name.get(), index.get(), element));
}

int SHTMLEventObjImpl::setReturnValue(const SVariant& value) {
    if (pointer == nullptr) return 0;
    return done(pointer->put_returnValue(value.get()));
}

IDispatch* SHtmlDocument2::getElementById(const SString& id, int index) {
    IHTMLElementCollection* all = nullptr;
    getAll(&all);
    if (all == nullptr) {
        globalDebug().trace("Dokument hat keinen Inhalt.");
        return nullptr;
    }
    SHtmlElementCollection collection;
    collection.take(all);
    SVariant name(id);
    SVariant position(index);
    IDispatch* element = nullptr;
    collection.item(name, position, &element);
    return element;
}
