#pragma once

#include "OleTypes.h"
#include "SString.h"

// Base of the event sinks: IDispatch with a reference count. The sinks live as members of the
// page host, so Release never frees them. The browser calls Invoke; each sink turns the calls it
// knows into virtual handlers and hands the rest to Invoke here, which only traces them.
class SIDispatch : public IDispatch {
public:
    SIDispatch() = default;
    SIDispatch(const SIDispatch&) = delete;
    SIDispatch& operator=(const SIDispatch&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // Type information and names are not offered: each shows a box naming itself and fails.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

    virtual const char* getClassName() const { return "SIDispatch"; }
    virtual ~SIDispatch() = default;

    ULONG getReferenceCount() const { return referenceCount; }

protected:
    // Argument readers for Invoke. By-reference arguments are followed (the browser passes its texts
    // as references to variants); a value of another type is converted, or gives 0, "" or null.
    static const VARIANT& followed(const VARIANTARG& argument);
    static SString argString(const VARIANTARG& argument);
    static long argLong(const VARIANTARG& argument);
    static bool argBool(const VARIANTARG& argument);
    static IDispatch* argDispatch(const VARIANTARG& argument);
    // A cancel argument: a reference to a VARIANT_BOOL that is not null.
    static bool isCancelArgument(const VARIANTARG& argument);

private:
    ULONG referenceCount = 0;
};
