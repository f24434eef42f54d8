#include "SIDispatch.h"

#include "SDebug.h"
#include "SError.h"

HRESULT STDMETHODCALLTYPE SIDispatch::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr) return E_POINTER;
    // IUnknown is answered too: every COM object must give it, and connection points may ask for it.
    if (riid == IID_IDispatch || riid == IID_IUnknown) {
        *ppvObject = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE SIDispatch::AddRef() {
    return ++referenceCount;
}

ULONG STDMETHODCALLTYPE SIDispatch::Release() {
    if (referenceCount > 0) --referenceCount;
    return referenceCount;
}

HRESULT STDMETHODCALLTYPE SIDispatch::GetTypeInfoCount(UINT*) {
    globalError().showError("GetTypeInfoCount");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE SIDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    globalError().showError("GetTypeInfo");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE SIDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    globalError().showError("GetIDsOfNames");
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE SIDispatch::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                             EXCEPINFO*, UINT*) {
    globalDebug().traceFormat("unbehandelte Dispatch-ID: %d", int(dispIdMember));
    return S_OK;
}

const VARIANT& SIDispatch::followed(const VARIANTARG& argument) {
    if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal != nullptr) return *argument.pvarVal;
    return argument;
}

SString SIDispatch::argString(const VARIANTARG& argument) {
    const VARIANT& v = followed(argument);
    if (v.vt == (VT_BYREF | VT_BSTR)) return v.pbstrVal != nullptr ? SString(*v.pbstrVal) : SString();
    return SString(v);  // a BSTR over its full length; numbers converted; anything else ""
}

long SIDispatch::argLong(const VARIANTARG& argument) {
    const VARIANT& v = followed(argument);
    if (v.vt == (VT_BYREF | VT_I4)) return v.plVal != nullptr ? *v.plVal : 0;
    VARIANT number;
    VariantInit(&number);
    long value = 0;
    if (SUCCEEDED(VariantChangeType(&number, &v, 0, VT_I4))) value = number.lVal;
    VariantClear(&number);
    return value;
}

bool SIDispatch::argBool(const VARIANTARG& argument) {
    const VARIANT& v = followed(argument);
    if (v.vt == (VT_BYREF | VT_BOOL)) return v.pboolVal != nullptr && *v.pboolVal != VARIANT_FALSE;
    if (v.vt == VT_BOOL) return v.boolVal != VARIANT_FALSE;
    return argLong(v) != 0;
}

IDispatch* SIDispatch::argDispatch(const VARIANTARG& argument) {
    const VARIANT& v = followed(argument);
    if (v.vt == VT_DISPATCH) return v.pdispVal;
    if (v.vt == (VT_BYREF | VT_DISPATCH)) return v.ppdispVal != nullptr ? *v.ppdispVal : nullptr;
    return nullptr;
}

bool SIDispatch::isCancelArgument(const VARIANTARG& argument) {
    return argument.vt == (VT_BYREF | VT_BOOL) && argument.pboolVal != nullptr;
}
