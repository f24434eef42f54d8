#include "SWebBrowserEvents2.h"

#include "PageModel.h"
#include "SDebug.h"

HRESULT STDMETHODCALLTYPE SWebBrowserEvents2::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject != nullptr && riid == DIID_DWebBrowserEvents2) {
        *ppvObject = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return SIDispatch::QueryInterface(riid, ppvObject);
}

int SWebBrowserEvents2::onBeforeNavigate2(IDispatch*, const SString&, const SString&, VARIANT*,
                                          const SString&) {
    globalDebug().trace("SWebBrowserEvents2::onBeforeNavigate2(..)");
    return 0;
}

// One row per event: its argument count, whether its last argument (arg[0]) is the cancel flag
// that is written back, and the call of its handler with the arguments (they arrive last first).
struct SWebBrowserEvents2::Event {
    DISPID id;
    int arguments;
    bool cancellable;
    int (*call)(SWebBrowserEvents2& s, VARIANTARG* a);
};

namespace {
using Sink = SWebBrowserEvents2;
}  // namespace

const SWebBrowserEvents2::Event SWebBrowserEvents2::events[] = {
    // browser, URL, Flags (not passed on), TargetFrameName, PostData, Headers, Cancel
    {DISPID_BEFORENAVIGATE2, 7, true,
     [](Sink& s, VARIANTARG* a) {
         VARIANT* postData = a[2].vt == (VT_BYREF | VT_VARIANT) && a[2].pvarVal ? a[2].pvarVal : &a[2];
         return s.onBeforeNavigate2(argDispatch(a[6]), argString(a[5]), argString(a[3]), postData,
                                    argString(a[1]));
     }},
    {DISPID_CLIENTTOHOSTWINDOW, 2, false,
     [](Sink& s, VARIANTARG* a) { return s.onClientToHostWindow(argLong(a[1]), argLong(a[0])), 0; }},
    {DISPID_COMMANDSTATECHANGE, 2, false,
     [](Sink& s, VARIANTARG* a) { return s.onCommandStateChange(argLong(a[1]), argBool(a[0])), 0; }},
    {DISPID_DOCUMENTCOMPLETE, 2, false,
     [](Sink& s, VARIANTARG* a) { return s.onDocumentComplete(argDispatch(a[1]), argString(a[0])), 0; }},
    {DISPID_DOWNLOADBEGIN, 0, false, [](Sink& s, VARIANTARG*) { return s.onDownloadBegin(), 0; }},
    {DISPID_DOWNLOADCOMPLETE, 0, false, [](Sink& s, VARIANTARG*) { return s.onDownloadComplete(), 0; }},
    {DISPID_FILEDOWNLOAD, 2, true, [](Sink& s, VARIANTARG* a) { return s.onFileDownload(argBool(a[1])); }},
    {DISPID_ONFULLSCREEN, 1, false, [](Sink& s, VARIANTARG* a) { return s.onFullScreen(argBool(a[0])), 0; }},
    {DISPID_ONMENUBAR, 1, false, [](Sink& s, VARIANTARG* a) { return s.onMenuBar(argBool(a[0])), 0; }},
    {DISPID_NAVIGATECOMPLETE2, 2, false,
     [](Sink& s, VARIANTARG* a) { return s.onNavigateComplete2(argDispatch(a[1]), argString(a[0])), 0; }},
    {DISPID_NAVIGATEERROR, 5, true,
     [](Sink& s, VARIANTARG* a) {
         return s.onNavigateError(argDispatch(a[4]), argString(a[3]), argString(a[2]), argLong(a[1]));
     }},
    {DISPID_NEWWINDOW2, 2, true,
     [](Sink& s, VARIANTARG* a) {
         return s.onNewWindow2(a[1].vt == (VT_BYREF | VT_DISPATCH) ? a[1].ppdispVal : nullptr);
     }},
    {DISPID_PRIVACYIMPACTEDSTATECHANGE, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onPrivacyImpactedStateChange(argBool(a[0])), 0; }},
    {DISPID_PROGRESSCHANGE, 2, false,
     [](Sink& s, VARIANTARG* a) { return s.onProgressChange(argLong(a[1]), argLong(a[0])), 0; }},
    {DISPID_PROPERTYCHANGE, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onPropertyChange(argString(a[0])), 0; }},
    {DISPID_ONQUIT, 0, false, [](Sink& s, VARIANTARG*) { return s.onQuit(), 0; }},
    {DISPID_SETSECURELOCKICON, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onSetSecureLockIcon(argLong(a[0])), 0; }},
    {DISPID_ONSTATUSBAR, 1, false, [](Sink& s, VARIANTARG* a) { return s.onStatusBar(argBool(a[0])), 0; }},
    {DISPID_STATUSTEXTCHANGE, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onStatusTextChange(argString(a[0])), 0; }},
    {DISPID_ONTHEATERMODE, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onTheaterMode(argBool(a[0])), 0; }},
    {DISPID_TITLECHANGE, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onTitleChange(argString(a[0])), 0; }},
    {DISPID_ONTOOLBAR, 1, false, [](Sink& s, VARIANTARG* a) { return s.onToolBar(argBool(a[0])), 0; }},
    {DISPID_ONVISIBLE, 1, false, [](Sink& s, VARIANTARG* a) { return s.onVisible(argBool(a[0])), 0; }},
    {DISPID_WINDOWCLOSING, 2, true, [](Sink& s, VARIANTARG* a) { return s.onWindowClosing(argBool(a[1])); }},
    {DISPID_WINDOWSETHEIGHT, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onWindowSetHeight(argLong(a[0])), 0; }},
    {DISPID_WINDOWSETLEFT, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onWindowSetLeft(argLong(a[0])), 0; }},
    {DISPID_WINDOWSETRESIZABLE, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onWindowSetResizable(argBool(a[0])), 0; }},
    {DISPID_WINDOWSETTOP, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onWindowSetTop(argLong(a[0])), 0; }},
    {DISPID_WINDOWSETWIDTH, 1, false,
     [](Sink& s, VARIANTARG* a) { return s.onWindowSetWidth(argLong(a[0])), 0; }},
};

const SWebBrowserEvents2::Event* SWebBrowserEvents2::findEvent(DISPID dispId) {
    for (const Event& event : events)
        if (event.id == dispId) return &event;
    return nullptr;
}

int SWebBrowserEvents2::getArgumentCount(DISPID dispId) {
    const Event* event = findEvent(dispId);
    return event != nullptr ? event->arguments : -1;
}

HRESULT STDMETHODCALLTYPE SWebBrowserEvents2::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    const Event* event = findEvent(dispIdMember);
    if (event == nullptr)
        return SIDispatch::Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                  puArgErr);
    const int count = event->arguments;
    if (count > 0 &&
        (pDispParams == nullptr || pDispParams->rgvarg == nullptr || pDispParams->cArgs != UINT(count)))
        return E_INVALIDARG;
    VARIANTARG* arg = count > 0 ? pDispParams->rgvarg : nullptr;
    // The cancel flag is written through, so it has to be a reference to a VARIANT_BOOL.
    if (event->cancellable && !isCancelArgument(arg[0])) return E_INVALIDARG;
    const int cancel = event->call(*this, arg);
    if (event->cancellable) *arg[0].pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
