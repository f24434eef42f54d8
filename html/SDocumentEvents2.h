#pragma once

#include "HtmlEventLists.h"
#include "SHtmlWrappers.h"
#include "SIDispatch.h"

// Sink of the page document's events (connected by the page host). Each event's one argument, the event
// object, reaches its handler wrapped in an SHtmlEventObj. The handlers do nothing; those that may cancel
// return 0, and their result goes back to the page as a VARIANT_BOOL in the call's result.
class SDocumentEvents2 : public SIDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

    const char* getClassName() const override { return "SDocumentEvents2"; }
    ~SDocumentEvents2() override = default;

#define VYX_CANCEL(name, id)                     \
    virtual int name(SHtmlEventObj& /*event*/) { \
        return 0;                                \
    }
#define VYX_NOTIFY(name, id) \
    virtual void name(SHtmlEventObj& /*event*/) {}
    VYX_HTML_DOCUMENT_EVENTS(VYX_CANCEL, VYX_NOTIFY)
#undef VYX_CANCEL
#undef VYX_NOTIFY
};
