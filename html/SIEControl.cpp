#include "SIEControl.h"

#include "SDebug.h"
#include "SError.h"

SIEControl::~SIEControl() {
    closeBrowser();
}

bool SIEControl::isSupportedVersion(const SString& version) {
    return PageEngine::versionAtLeast(version, 6, 0);
}

int SIEControl::create(HWND parentWindow) {
    PageEngine& engine = pageEngine();
    if (!engine.isSupported(engine.getVersion())) {
        globalError().showError(
            SString("Ihr System erf\xFCllt leider nicht die Vorraussetzungen dieses Programms.\r\n") +
            engine.getRequirement());
        if (destroyMainWindow) destroyMainWindow();
        return 0;
    }
    created = true;
    parent = parentWindow;

    IOleObject* object = nullptr;
    HRESULT hr = pageEngine().createBrowser(&object);
    if (FAILED(hr) || object == nullptr) {
        globalDebug().traceFormat("FEHLER: SIEControl::create(..) kein Browser-Objekt, Fehler 0x%08X",
                                  unsigned(hr));
        return 0;
    }
    browserObject = object;
    SString title(parentTitle);
    browserObject->SetHostNames(title.getWide(), nullptr);
    browserObject->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, -1, parent, &rect);

    // The browser's own window becomes the control's window; the framework moves and sizes it.
    IOleWindow* oleWindow = nullptr;
    if (SUCCEEDED(browserObject->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow))) &&
        oleWindow != nullptr) {
        oleWindow->GetWindow(&window);
        oleWindow->Release();
    }

    browserEventsPoint = connect(browserObject, DIID_DWebBrowserEvents2,
                                 static_cast<SWebBrowserEvents2*>(this), browserEventsCookie);

    void* found = nullptr;
    if (SUCCEEDED(browserObject->QueryInterface(IID_IWebBrowser2, &found)))
        webBrowser = static_cast<IWebBrowser2*>(found);

    navigate("about:blank");
    getDocument();
    if (document.isValid())
        documentEventsPoint = connect(document.getPointer(), DIID_HTMLDocumentEvents2,
                                      static_cast<SDocumentEvents2*>(this), documentEventsCookie);
    return 1;
}

IConnectionPoint* SIEControl::connect(IUnknown* object, REFIID events, IDispatch* sink, DWORD& cookie) {
    cookie = 0;
    IConnectionPointContainer* container = nullptr;
    if (FAILED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) ||
        container == nullptr)
        return nullptr;
    IConnectionPoint* point = nullptr;
    if (FAILED(container->FindConnectionPoint(events, &point))) point = nullptr;
    container->Release();
    if (point != nullptr && FAILED(point->Advise(sink, &cookie))) {
        point->Release();
        point = nullptr;
        cookie = 0;
    }
    return point;
}

void SIEControl::navigate(const SString& url) {
    if (webBrowser == nullptr) return;
    SString target(url);
    VARIANT address, flags, empty;
    VariantInit(&address);
    VariantInit(&flags);
    VariantInit(&empty);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocStringLen(target.getWide(), unsigned(target.getLength()));
    flags.vt = VT_INT;
    flags.intVal = navNoReadFromCache | navNoWriteToCache;
    webBrowser->Navigate2(&address, &flags, &empty, &empty, &empty);
    VariantClear(&address);
}

SHtmlDocument2& SIEControl::getDocument() {
    if (document.isValid() || webBrowser == nullptr) return document;
    IDispatch* found = nullptr;
    if (FAILED(webBrowser->get_Document(&found)) && found != nullptr) {
        found->Release();
        found = nullptr;
    }
    document.take(found);
    if (!document.isValid()) globalError().showError("Das Dokument-Objekt konnte nicht ermittelt werden");
    return document;
}

int SIEControl::sendJS(const SString& script) {
    IHTMLWindow2* found = nullptr;
    getDocument().getParentWindow(&found);
    SHtmlWindow2 win;
    win.take(found);
    SVariant value;
    if (win.execScript(script, "javascript", value)) return 1;
    globalDebug().trace(SString("FEHLER: SIEControl::sendJS(..) win.execScript('") + script + "')");
    return 0;
}

SString SIEControl::jsString(const SString& text) {
    SString literal("'");
    for (int i = 0; i < text.getLength(); ++i) {
        const unsigned char c = (unsigned char)text.getChars()[i];
        switch (c) {
            case '\\':
                literal.append("\\\\");
                break;
            case '\'':
                literal.append("\\'");
                break;
            case '"':
                literal.append("\\\"");
                break;
            case '\r':
                literal.append("\\r");
                break;
            case '\n':
                literal.append("\\n");
                break;
            case '<':
                literal.append("\\x3C");
                break;  // no "</script>" or "<!--" in the page's script
            default:
                if (c < 0x20 || c == 0x7F)
                    literal.appendFormat("\\x%02X", c);
                else
                    literal.append(char(c));
        }
    }
    literal.append('\'');
    return literal;
}

void SIEControl::focusPage() {
    IHTMLWindow2* found = nullptr;
    getDocument().getParentWindow(&found);
    SHtmlWindow2 win;
    win.take(found);
    win.focus();
}

int SIEControl::translateAccelerator(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Return stays with the page (it submits forms and ends lines there).
    if (message == WM_KEYDOWN && wParam == VK_RETURN) return 0;
    if (browserObject == nullptr) return 0;
    void* found = nullptr;
    if (FAILED(browserObject->QueryInterface(IID_IOleInPlaceActiveObject, &found)) || found == nullptr) {
        globalDebug().trace("kein IOleInPlaceActiveObject verf\xFCgbar");
        return 0;
    }
    IOleInPlaceActiveObject* active = static_cast<IOleInPlaceActiveObject*>(found);
    MSG msg = {hwnd, message, wParam, lParam, 0, {0, 0}};
    HRESULT hr = active->TranslateAccelerator(&msg);
    active->Release();
    return hr == S_OK ? 1 : 0;
}

void SIEControl::closeBrowser() {
    if (browserEventsPoint != nullptr) {
        browserEventsPoint->Unadvise(browserEventsCookie);
        browserEventsPoint->Release();
        browserEventsPoint = nullptr;
        browserEventsCookie = 0;
    }
    if (documentEventsPoint != nullptr) {
        documentEventsPoint->Unadvise(documentEventsCookie);
        documentEventsPoint->Release();
        documentEventsPoint = nullptr;
        documentEventsCookie = 0;
    }
    if (webBrowser != nullptr) {
        webBrowser->Release();
        webBrowser = nullptr;
    }
    if (browserObject != nullptr) {
        browserObject->Close(OLECLOSE_NOSAVE);
        browserObject->Release();
        browserObject = nullptr;
    }
    document.release();
}

void SIEControl::goBack() {
    if (webBrowser != nullptr) webBrowser->GoBack();
}
void SIEControl::goForward() {
    if (webBrowser != nullptr) webBrowser->GoForward();
}
void SIEControl::goHome() {
    if (webBrowser != nullptr) webBrowser->GoHome();
}
void SIEControl::goSearch() {
    if (webBrowser != nullptr) webBrowser->GoSearch();
}
void SIEControl::refresh() {
    if (webBrowser != nullptr) webBrowser->Refresh();
}
void SIEControl::stop() {
    if (webBrowser != nullptr) webBrowser->Stop();
}
