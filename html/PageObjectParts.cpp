#include "PageObjectParts.h"

ConnectedSinks::~ConnectedSinks() {
    for (auto& s : sinks)
        s.second->Release();
}

HRESULT ConnectedSinks::advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    *cookie = 0;
    void* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(IID_IDispatch, &dispatch)) || dispatch == nullptr)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie++;
    sinks.emplace_back(*cookie, static_cast<IDispatch*>(dispatch));
    return S_OK;
}

HRESULT ConnectedSinks::unadvise(DWORD cookie) {
    for (auto it = sinks.begin(); it != sinks.end(); ++it) {
        if (it->first == cookie) {
            IDispatch* sink = it->second;
            sinks.erase(it);
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectedSinks::invokeAll(DISPID dispId, DISPPARAMS& parameters, VARIANT* result) {
    const auto current = sinks;
    for (const auto& s : current)
        s.second->AddRef();
    HRESULT hr = S_OK;
    for (const auto& s : current) {
        if (result != nullptr) VariantClear(result);
        hr = s.second->Invoke(dispId, IID_NULL, 0, DISPATCH_METHOD, &parameters, result, nullptr, nullptr);
        s.second->Release();
    }
    return hr;
}

bool variantInteger(const VARIANT& v, long& number) {
    switch (v.vt) {
        case VT_I2:
            number = v.iVal;
            return true;
        case VT_UI2:
            number = v.uiVal;
            return true;
        case VT_UI4:
            number = long(v.ulVal);
            return true;
        case VT_I4:
        case VT_INT:
            number = v.lVal;
            return true;
        default:
            return false;
    }
}
