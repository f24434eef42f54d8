#include "SHtmlEventSink.h"

HRESULT STDMETHODCALLTYPE SHtmlEventSink::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject != nullptr && riid == eventInterface) {
        *ppvObject = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return SIDispatch::QueryInterface(riid, ppvObject);
}

HRESULT STDMETHODCALLTYPE SHtmlEventSink::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                                 DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                                 EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    const Row* row = nullptr;
    for (size_t i = 0; i < rowCount && row == nullptr; ++i)
        if (rowTable[i].id == dispIdMember) row = &rowTable[i];
    if (row == nullptr)
        return SIDispatch::Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                  puArgErr);
    if (pDispParams == nullptr || pDispParams->rgvarg == nullptr || pDispParams->cArgs != 1)
        return E_INVALIDARG;

    SHtmlEventObj event;
    event.attach(argDispatch(pDispParams->rgvarg[0]));
    const int cancel = row->call(*this, event);
    if (pVarResult != nullptr) {
        VariantClear(pVarResult);
        pVarResult->vt = VT_BOOL;
        pVarResult->boolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}
