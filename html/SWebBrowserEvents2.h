#pragma once

#include "SIDispatch.h"

// Sink of the browser's events. Invoke checks each event's arguments and calls its handler; the
// handlers do nothing here (those that may cancel return 0). The page class overrides
// onBeforeNavigate2: every command link of the page arrives there.
class SWebBrowserEvents2 : public SIDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    // Arguments arrive last first. A wrong argument count, or a cancel argument that is not a
    // reference to a VARIANT_BOOL, gives E_INVALIDARG without calling the handler.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

    const char* getClassName() const override { return "SWebBrowserEvents2"; }
    ~SWebBrowserEvents2() override = default;

    // Handlers, by event name. Those returning int may cancel: nonzero cancels.
    virtual int onBeforeNavigate2(IDispatch* browser, const SString& url, const SString& targetFrame,
                                  VARIANT* postData, const SString& headers);
    virtual void onClientToHostWindow(long /*width*/, long /*height*/) {}
    virtual void onCommandStateChange(long /*command*/, bool /*enable*/) {}
    virtual void onDocumentComplete(IDispatch* /*browser*/, const SString& /*url*/) {}
    virtual void onDownloadBegin() {}
    virtual void onDownloadComplete() {}
    virtual int onFileDownload(bool /*activeDocument*/) { return 0; }
    virtual void onFullScreen(bool /*fullScreen*/) {}
    virtual void onMenuBar(bool /*menuBar*/) {}
    virtual void onNavigateComplete2(IDispatch* /*browser*/, const SString& /*url*/) {}
    virtual int onNavigateError(IDispatch* /*browser*/, const SString& /*url*/, const SString& /*frame*/,
                                long /*statusCode*/) {
        return 0;
    }
    // newWindow: the slot where a handler may place the browser object for the new window.
    virtual int onNewWindow2(IDispatch** /*newWindow*/) { return 0; }
    virtual void onPrivacyImpactedStateChange(bool /*impacted*/) {}
    virtual void onProgressChange(long /*progress*/, long /*progressMax*/) {}
    virtual void onPropertyChange(const SString& /*property*/) {}
    virtual void onQuit() {}
    virtual void onSetSecureLockIcon(long /*icon*/) {}
    virtual void onStatusBar(bool /*statusBar*/) {}
    virtual void onStatusTextChange(const SString& /*text*/) {}
    virtual void onTheaterMode(bool /*theaterMode*/) {}
    virtual void onTitleChange(const SString& /*title*/) {}
    virtual void onToolBar(bool /*toolBar*/) {}
    virtual void onVisible(bool /*visible*/) {}
    virtual int onWindowClosing(bool /*isChildWindow*/) { return 0; }
    virtual void onWindowSetHeight(long /*height*/) {}
    virtual void onWindowSetLeft(long /*left*/) {}
    virtual void onWindowSetResizable(bool /*resizable*/) {}
    virtual void onWindowSetTop(long /*top*/) {}
    virtual void onWindowSetWidth(long /*width*/) {}

    // The number of arguments the browser passes with an event; 0 for events without arguments
    // (not checked), -1 for DISPIDs that are not events of this sink.
    static int getArgumentCount(DISPID dispId);

private:
    struct Event;
    static const Event events[];
    static const Event* findEvent(DISPID dispId);
};
