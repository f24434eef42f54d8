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

int SWebBrowserEvents2::getArgumentCount(DISPID dispId) {
    switch (dispId) {
        case DISPID_DOWNLOADBEGIN:
        case DISPID_DOWNLOADCOMPLETE:
        case DISPID_ONQUIT:
            return 0;
        case DISPID_ONFULLSCREEN:
        case DISPID_ONMENUBAR:
        case DISPID_PRIVACYIMPACTEDSTATECHANGE:
        case DISPID_PROPERTYCHANGE:
        case DISPID_SETSECURELOCKICON:
        case DISPID_ONSTATUSBAR:
        case DISPID_STATUSTEXTCHANGE:
        case DISPID_ONTHEATERMODE:
        case DISPID_TITLECHANGE:
        case DISPID_ONTOOLBAR:
        case DISPID_ONVISIBLE:
        case DISPID_WINDOWSETHEIGHT:
        case DISPID_WINDOWSETLEFT:
        case DISPID_WINDOWSETRESIZABLE:
        case DISPID_WINDOWSETTOP:
        case DISPID_WINDOWSETWIDTH:
            return 1;
        case DISPID_CLIENTTOHOSTWINDOW:
        case DISPID_COMMANDSTATECHANGE:
        case DISPID_DOCUMENTCOMPLETE:
        case DISPID_FILEDOWNLOAD:
        case DISPID_NAVIGATECOMPLETE2:
        case DISPID_NEWWINDOW2:
        case DISPID_PROGRESSCHANGE:
        case DISPID_WINDOWCLOSING:
            return 2;
        case DISPID_NAVIGATEERROR:
            return 5;
        case DISPID_BEFORENAVIGATE2:
            return 7;
        default:
            return -1;
    }
}

HRESULT STDMETHODCALLTYPE SWebBrowserEvents2::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    const int count = getArgumentCount(dispIdMember);
    if (count < 0)
        return SIDispatch::Invoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                  puArgErr);
    if (count > 0 &&
        (pDispParams == nullptr || pDispParams->rgvarg == nullptr || pDispParams->cArgs != UINT(count)))
        return E_INVALIDARG;
    VARIANTARG* arg = count > 0 ? pDispParams->rgvarg : nullptr;

    // Events that may be cancelled take the cancel flag as their last argument (arg[0]); it is
    // written through, so it has to be a reference to a VARIANT_BOOL.
    int cancel = 0;
    switch (dispIdMember) {
        case DISPID_BEFORENAVIGATE2:
        case DISPID_FILEDOWNLOAD:
        case DISPID_NAVIGATEERROR:
        case DISPID_NEWWINDOW2:
        case DISPID_WINDOWCLOSING:
            if (!isCancelArgument(arg[0])) return E_INVALIDARG;
            break;
        default:
            break;
    }

    switch (dispIdMember) {
        case DISPID_BEFORENAVIGATE2: {
            // browser, URL, Flags (not passed on), TargetFrameName, PostData, Headers, Cancel
            VARIANT* postData =
                arg[2].vt == (VT_BYREF | VT_VARIANT) && arg[2].pvarVal ? arg[2].pvarVal : &arg[2];
            cancel = onBeforeNavigate2(argDispatch(arg[6]), argString(arg[5]), argString(arg[3]), postData,
                                       argString(arg[1]));
            break;
        }
        case DISPID_CLIENTTOHOSTWINDOW:
            onClientToHostWindow(argLong(arg[1]), argLong(arg[0]));
            break;
        case DISPID_COMMANDSTATECHANGE:
            onCommandStateChange(argLong(arg[1]), argBool(arg[0]));
            break;
        case DISPID_DOCUMENTCOMPLETE:
            onDocumentComplete(argDispatch(arg[1]), argString(arg[0]));
            break;
        case DISPID_DOWNLOADBEGIN:
            onDownloadBegin();
            break;
        case DISPID_DOWNLOADCOMPLETE:
            onDownloadComplete();
            break;
        case DISPID_FILEDOWNLOAD:
            cancel = onFileDownload(argBool(arg[1]));
            break;
        case DISPID_ONFULLSCREEN:
            onFullScreen(argBool(arg[0]));
            break;
        case DISPID_ONMENUBAR:
            onMenuBar(argBool(arg[0]));
            break;
        case DISPID_NAVIGATECOMPLETE2:
            onNavigateComplete2(argDispatch(arg[1]), argString(arg[0]));
            break;
        case DISPID_NAVIGATEERROR:
            cancel =
                onNavigateError(argDispatch(arg[4]), argString(arg[3]), argString(arg[2]), argLong(arg[1]));
            break;
        case DISPID_NEWWINDOW2:
            cancel = onNewWindow2(arg[1].vt == (VT_BYREF | VT_DISPATCH) ? arg[1].ppdispVal : nullptr);
            break;
        case DISPID_PRIVACYIMPACTEDSTATECHANGE:
            onPrivacyImpactedStateChange(argBool(arg[0]));
            break;
        case DISPID_PROGRESSCHANGE:
            onProgressChange(argLong(arg[1]), argLong(arg[0]));
            break;
        case DISPID_PROPERTYCHANGE:
            onPropertyChange(argString(arg[0]));
            break;
        case DISPID_ONQUIT:
            onQuit();
            break;
        case DISPID_SETSECURELOCKICON:
            onSetSecureLockIcon(argLong(arg[0]));
            break;
        case DISPID_ONSTATUSBAR:
            onStatusBar(argBool(arg[0]));
            break;
        case DISPID_STATUSTEXTCHANGE:
            onStatusTextChange(argString(arg[0]));
            break;
        case DISPID_ONTHEATERMODE:
            onTheaterMode(argBool(arg[0]));
            break;
        case DISPID_TITLECHANGE:
            onTitleChange(argString(arg[0]));
            break;
        case DISPID_ONTOOLBAR:
            onToolBar(argBool(arg[0]));
            break;
        case DISPID_ONVISIBLE:
            onVisible(argBool(arg[0]));
            break;
        case DISPID_WINDOWCLOSING:
            cancel = onWindowClosing(argBool(arg[1]));
            break;
        case DISPID_WINDOWSETHEIGHT:
            onWindowSetHeight(argLong(arg[0]));
            break;
        case DISPID_WINDOWSETLEFT:
            onWindowSetLeft(argLong(arg[0]));
            break;
        case DISPID_WINDOWSETRESIZABLE:
            onWindowSetResizable(argBool(arg[0]));
            break;
        case DISPID_WINDOWSETTOP:
            onWindowSetTop(argLong(arg[0]));
            break;
        case DISPID_WINDOWSETWIDTH:
            onWindowSetWidth(argLong(arg[0]));
            break;
        default:
            break;
    }

    switch (dispIdMember) {
        case DISPID_BEFORENAVIGATE2:
        case DISPID_FILEDOWNLOAD:
        case DISPID_NAVIGATEERROR:
        case DISPID_NEWWINDOW2:
        case DISPID_WINDOWCLOSING:
            *arg[0].pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        default:
            break;
    }
    return S_OK;
}
