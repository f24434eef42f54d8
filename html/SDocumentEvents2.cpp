#include "SDocumentEvents2.h"

#define VYX_COUNT(name, id) +1
static_assert(0 VYX_HTML_DOCUMENT_EVENTS(VYX_COUNT, VYX_COUNT) == 38, "one handler per event");
#undef VYX_COUNT

HRESULT STDMETHODCALLTYPE SDocumentEvents2::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject != nullptr && riid == DIID_HTMLDocumentEvents2) {
        *ppvObject = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return SIDispatch::QueryInterface(riid, ppvObject);
}

HRESULT STDMETHODCALLTYPE SDocumentEvents2::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                                   DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                                   EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    switch (dispIdMember) {
#define VYX_EVENT(name, id) case id:
        VYX_HTML_DOCUMENT_EVENTS(VYX_EVENT, VYX_EVENT)
#undef VYX_EVENT
        break;
        default:
            return SIDispatch::Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                      puArgErr);
    }
    if (pDispParams == nullptr || pDispParams->rgvarg == nullptr || pDispParams->cArgs != 1)
        return E_INVALIDARG;

    SHtmlEventObj event;
    event.attach(argDispatch(pDispParams->rgvarg[0]));
    int cancel = 0;
    switch (dispIdMember) {
#define VYX_CANCEL(name, id)  \
    case id:                  \
        cancel = name(event); \
        break;
#define VYX_NOTIFY(name, id) \
    case id:                 \
        name(event);         \
        break;
        VYX_HTML_DOCUMENT_EVENTS(VYX_CANCEL, VYX_NOTIFY)
#undef VYX_CANCEL
#undef VYX_NOTIFY
        default:
            break;
    }
    if (pVarResult != nullptr) {
        VariantClear(pVarResult);
        pVarResult->vt = VT_BOOL;
        pVarResult->boolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}
