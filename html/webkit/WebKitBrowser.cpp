// The WebKit page engine: the engine, the browser object over a web view, its navigation and load
// signals, scripts run synchronously in the view, and automation (see WebKitEngine.h).

#include "CodePage.h"
#include "EventLoop.h"
#include "RawText.h"
#include "SIEControl.h"
#include "WebKitEngine.h"
#include "WebKitObjects.h"

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// Upper bounds of the synchronous waits. A page answers a script or loads its text in a few
// milliseconds; these only keep a hung web process from holding the program forever.
const unsigned kScriptLimitMs = 10000;
const unsigned kLoadLimitMs = 20000;

// The browser whose view an automation session gets (the program has one).
WebKitBrowser* automationBrowser = nullptr;

SString versionText() {
    SString version;
    version.appendFormat("%u.%u.%u", webkit_get_major_version(), webkit_get_minor_version(),
                         webkit_get_micro_version());
    return version;
}

// An address as compared between the loads started here and the navigations the view reports:
// unescaped, "file://localhost/" as "file:///".
std::string comparable(const char* uri) {
    std::string text;
    if (uri != nullptr) {
        char* unescaped = g_uri_unescape_string(uri, nullptr);
        text = unescaped != nullptr ? unescaped : uri;
        g_free(unescaped);
    }
    const std::string local = "file://localhost/";
    if (text.compare(0, local.size(), local) == 0) text = "file:///" + text.substr(local.size());
    return text;
}

// ---- navigation requests ------------------------------------------------------------------------

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The address as the page wrote it: the view escapes characters beyond ASCII in addresses as
// UTF-8 bytes ("%C3%A4"), which are turned back into characters here. Escapes of ASCII characters
// ("%20", "%25") stay as they are, as do escapes that are not UTF-8.
std::string unescapeBeyondAscii(const char* uri) {
    std::string text(uri != nullptr ? uri : "");
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            const int byte = hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]);
            if (byte >= 0x80) {
                result += char(byte);
                i += 2;
                continue;
            }
        }
        result += text[i];
    }
    return g_utf8_validate(result.data(), gssize(result.size()), nullptr) ? result : text;
}

// A navigation the page started, waiting for the sinks' answer.
struct PendingNavigation {
    WebKitBrowser* browser;
    WebKitPolicyDecision* decision;
    SString url;
};

// Runs from the loop just after the signal, not inside it: the sinks may run a long page command
// that waits with nested loop iterations (the view keeps painting and answering scripts) and may
// even close the window; under WebKit's own signal emission that would rely on its message
// dispatch being re-entrant and on the view outliving the handler.
gboolean askSinks(gpointer data) {
    std::unique_ptr<PendingNavigation> pending(static_cast<PendingNavigation*>(data));
    const bool cancel = pending->browser->view == nullptr ||
                        pending->browser->beforeNavigate(pending->url, SString(), SString(), 0);
    if (cancel)
        webkit_policy_decision_ignore(pending->decision);
    else
        webkit_policy_decision_use(pending->decision);
    g_object_unref(pending->decision);
    pending->browser->Release();
    return G_SOURCE_REMOVE;
}

gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                        gpointer data) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;  // the view's own handling
    auto* browser = static_cast<WebKitBrowser*>(data);
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (browser->takeOwnLoad(uri)) {
        webkit_policy_decision_use(decision);
        return TRUE;
    }
    g_object_ref(decision);
    browser->AddRef();
    auto* pending =
        new PendingNavigation{browser, decision, webkitpage::textOfUtf8(unescapeBeyondAscii(uri).c_str())};
    g_idle_add_full(G_PRIORITY_HIGH_IDLE, askSinks, pending, nullptr);
    return TRUE;
}

void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    if (event != WEBKIT_LOAD_FINISHED) return;
    auto* browser = static_cast<WebKitBrowser*>(data);
    ++browser->loadsFinished;
    browser->documentComplete(webkitpage::textOfUtf8(webkit_web_view_get_uri(view)));
}

// The view's window was destroyed with the view in it (the main window closed first).
void onDestroy(GtkWidget*, gpointer data) {
    static_cast<WebKitBrowser*>(data)->releaseView(false);
}

void onClose(WebKitWebView*, gpointer) {
    // A copy: the handler may replace itself.
    std::function<void()> handler = webkitpage::settings().onClose;
    if (handler) handler();
}

// ---- automation ---------------------------------------------------------------------------------

GtkWidget* onCreateWebView(WebKitAutomationSession*, gpointer) {
    if (automationBrowser == nullptr || automationBrowser->view == nullptr) return nullptr;
    return GTK_WIDGET(automationBrowser->view);
}

void onAutomationStarted(WebKitWebContext*, WebKitAutomationSession* session, gpointer) {
    WebKitApplicationInfo* info = webkit_application_info_new();
    webkit_application_info_set_name(info, "zyntra-terminal");
    webkit_application_info_set_version(info, 1, 0, 0);
    webkit_automation_session_set_application_info(session, info);
    webkit_application_info_unref(info);
    g_signal_connect(session, "create-web-view", G_CALLBACK(onCreateWebView), nullptr);
}

void allowAutomation(WebKitWebContext* context) {
    static bool connected = false;
    if (connected) return;
    connected = true;
    webkit_web_context_set_automation_allowed(context, TRUE);
    g_signal_connect(context, "automation-started", G_CALLBACK(onAutomationStarted), nullptr);
}

// ---- scripts ------------------------------------------------------------------------------------

struct Evaluation {
    bool done = false;
    HRESULT result = E_FAIL;
    SString value;
};

void scriptDone(GObject* source, GAsyncResult* answer, gpointer data) {
    // The state is shared with the waiting call, which may have given up already.
    std::unique_ptr<std::shared_ptr<Evaluation>> holder(static_cast<std::shared_ptr<Evaluation>*>(data));
    Evaluation& evaluation = **holder;
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), answer, &error);
    if (value == nullptr) {
        evaluation.result =
            error != nullptr && error->domain == WEBKIT_JAVASCRIPT_ERROR ? DISP_E_EXCEPTION : E_FAIL;
        if (error != nullptr) g_error_free(error);
    } else {
        if (!jsc_value_is_undefined(value) && !jsc_value_is_null(value)) {
            char* text = jsc_value_to_string(value);
            evaluation.value = webkitpage::textOfUtf8(text);
            g_free(text);
        }
        g_object_unref(value);
        evaluation.result = S_OK;
    }
    evaluation.done = true;
}

}  // namespace

// ---- shared parts -------------------------------------------------------------------------------

namespace webkitpage {

Settings& settings() {
    static Settings* values = new Settings();
    return *values;
}

SString textOf(BSTR text) {
    SString bytes;
    bytes.set(text);
    return bytes;
}

HRESULT putText(BSTR* out, const SString& text) {
    if (out == nullptr) return E_POINTER;
    std::u16string wide = codepage::cp1252ToUtf16(text.getChars(), text.getLength());
    *out = SysAllocStringLen(wide.data(), unsigned(wide.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

std::string utf8Of(const SString& text) {
    return codepage::cp1252ToUtf8(text.getChars(), text.getLength());
}

SString textOfUtf8(const char* utf8) {
    if (utf8 == nullptr) return SString();
    const std::string bytes = codepage::utf8ToCp1252(utf8, int(std::char_traits<char>::length(utf8)));
    return rawText(bytes.data(), int(bytes.size()));
}

HRESULT runScript(WebKitWebView* view, const SString& script, SString* result) {
    if (view == nullptr) return E_FAIL;
    auto evaluation = std::make_shared<Evaluation>();
    const std::string source = utf8Of(script);
    webkit_web_view_evaluate_javascript(view, source.data(), gssize(source.size()), nullptr, nullptr, nullptr,
                                        scriptDone, new std::shared_ptr<Evaluation>(evaluation));
    EventLoop::waitUntil(kScriptLimitMs, [&] { return evaluation->done; });
    if (!evaluation->done) return E_FAIL;
    if (result != nullptr) *result = evaluation->value;
    return evaluation->result;
}

}  // namespace webkitpage

// ---- connection points --------------------------------------------------------------------------

ULONG STDMETHODCALLTYPE WebKitConnectionPoint::AddRef() {
    return browser.AddRef();
}
ULONG STDMETHODCALLTYPE WebKitConnectionPoint::Release() {
    return browser.Release();
}

void* WebKitConnectionPoint::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) return static_cast<IConnectionPoint*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE WebKitConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = events;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    return sinks.advise(sink, cookie);
}

HRESULT STDMETHODCALLTYPE WebKitConnectionPoint::Unadvise(DWORD cookie) {
    return sinks.unadvise(cookie);
}

// ---- the browser --------------------------------------------------------------------------------

namespace {
SString textOfVariant(const VARIANT* v) {
    if (v == nullptr) return SString();
    if (v->vt == (VT_BYREF | VT_VARIANT)) return textOfVariant(v->pvarVal);
    if (v->vt == VT_BSTR) return webkitpage::textOf(v->bstrVal);
    return SString();
}

long longOfVariant(const VARIANT* v) {
    if (v == nullptr) return 0;
    if (v->vt == (VT_BYREF | VT_VARIANT)) return longOfVariant(v->pvarVal);
    if (v->vt == VT_I4 || v->vt == VT_INT) return v->lVal;
    return 0;
}

VARIANT textVariant(const SString& text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    webkitpage::putText(&v.bstrVal, text);
    return v;
}

VARIANTARG byReference(VARIANT& v) {
    VARIANTARG arg;
    VariantInit(&arg);
    arg.vt = VT_BYREF | VT_VARIANT;
    arg.pvarVal = &v;
    return arg;
}
}  // namespace

WebKitBrowser::WebKitBrowser(WebKitWebView* webView)
    : view(webView), document(*this), window(*this), eventsPoint(*this, DIID_DWebBrowserEvents2) {
    handlers.push_back(g_signal_connect(view, "decide-policy", G_CALLBACK(onDecidePolicy), this));
    handlers.push_back(g_signal_connect(view, "load-changed", G_CALLBACK(onLoadChanged), this));
    handlers.push_back(g_signal_connect(view, "close", G_CALLBACK(onClose), this));
    handlers.push_back(g_signal_connect(view, "destroy", G_CALLBACK(onDestroy), this));
    if (webkitpage::settings().automation) automationBrowser = this;
}

WebKitBrowser::~WebKitBrowser() {
    Close(OLECLOSE_NOSAVE);
    if (automationBrowser == this) automationBrowser = nullptr;
}

void* WebKitBrowser::find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser2)
        return static_cast<IWebBrowser2*>(this);
    if (riid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (riid == IID_IOleWindow || riid == IID_IOleInPlaceActiveObject)
        return static_cast<IOleInPlaceActiveObject*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE WebKitBrowser::GoBack() {
    if (view == nullptr) return E_FAIL;
    webkit_web_view_go_back(view);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE WebKitBrowser::GoForward() {
    if (view == nullptr) return E_FAIL;
    webkit_web_view_go_forward(view);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE WebKitBrowser::Refresh() {
    if (view == nullptr) return E_FAIL;
    webkit_web_view_reload(view);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE WebKitBrowser::Stop() {
    if (view == nullptr) return E_FAIL;
    webkit_web_view_stop_loading(view);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitBrowser::get_Document(IDispatch** ppDisp) {
    if (ppDisp == nullptr) return E_POINTER;
    *ppDisp = nullptr;
    if (!documentLoaded || view == nullptr) return E_FAIL;
    *ppDisp = static_cast<IHTMLDocument2*>(&document);
    AddRef();
    return S_OK;
}

bool WebKitBrowser::beforeNavigate(const SString& url, const SString& frame, const SString& headers,
                                   long flags) {
    AddRef();  // a sink may let go of the browser meanwhile
    VARIANT urlValue = textVariant(url);
    VARIANT flagsValue;
    VariantInit(&flagsValue);
    flagsValue.vt = VT_I4;
    flagsValue.lVal = flags;
    VARIANT frameValue = textVariant(frame);
    VARIANT postData;
    VariantInit(&postData);
    VARIANT headersValue = textVariant(headers);
    VARIANT_BOOL cancel = VARIANT_FALSE;

    // As the browser passes them: last argument first.
    VARIANTARG args[7];
    args[6].vt = VT_DISPATCH;
    args[6].pdispVal = static_cast<IWebBrowser2*>(this);
    args[5] = byReference(urlValue);
    args[4] = byReference(flagsValue);
    args[3] = byReference(frameValue);
    args[2] = byReference(postData);
    args[1] = byReference(headersValue);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    DISPPARAMS parameters = {args, nullptr, 7, 0};
    eventsPoint.sinks.invokeAll(DISPID_BEFORENAVIGATE2, parameters);

    VariantClear(&urlValue);
    VariantClear(&frameValue);
    VariantClear(&headersValue);
    Release();
    return cancel != VARIANT_FALSE;
}

void WebKitBrowser::documentComplete(const SString& url) {
    AddRef();
    VARIANT address = textVariant(url);
    VARIANTARG args[2];
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = static_cast<IWebBrowser2*>(this);
    args[0] = byReference(address);
    DISPPARAMS parameters = {args, nullptr, 2, 0};
    eventsPoint.sinks.invokeAll(DISPID_DOCUMENTCOMPLETE, parameters);
    VariantClear(&address);
    Release();
}

bool WebKitBrowser::takeOwnLoad(const char* uri) {
    const std::string address = comparable(uri);
    for (auto it = ownLoads.begin(); it != ownLoads.end(); ++it) {
        if (*it == address) {
            ownLoads.erase(it);
            return true;
        }
    }
    return false;
}

HRESULT WebKitBrowser::loadPage(const std::string& html) {
    if (view == nullptr) return E_FAIL;
    const SString& base = webkitpage::settings().documentBase;
    const std::string baseUri = base.isEmpty() ? std::string("about:blank") : webkitpage::utf8Of(base);
    ownLoads.push_back(comparable(baseUri.c_str()));
    AddRef();
    const int before = loadsFinished;
    webkit_web_view_load_html(view, html.c_str(), baseUri.c_str());
    // The page's elements are there once close returns, as the host expects of a written page.
    const bool loaded =
        EventLoop::waitUntil(kLoadLimitMs, [&] { return loadsFinished != before || view == nullptr; });
    const bool open = view != nullptr;
    Release();
    return loaded && open ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE WebKitBrowser::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName,
                                                   VARIANT*, VARIANT* Headers) {
    if (view == nullptr) return E_FAIL;
    const SString url = textOfVariant(URL);
    if (beforeNavigate(url, textOfVariant(TargetFrameName), textOfVariant(Headers), longOfVariant(Flags)))
        return S_OK;
    if (url == "about:blank") {
        // A new view is blank already: the document is there, empty, until a page is written.
        documentLoaded = true;
        document.text = SString();
        document.open = false;
        document.hasContent = false;
        return S_OK;
    }
    const std::string address = webkitpage::utf8Of(url);
    ownLoads.push_back(comparable(address.c_str()));
    webkit_web_view_load_uri(view, address.c_str());
    return S_OK;
}

void WebKitBrowser::releaseView(bool destroy) {
    if (view == nullptr) return;
    WebKitWebView* closing = view;
    view = nullptr;
    for (gulong id : handlers)
        if (g_signal_handler_is_connected(closing, id)) g_signal_handler_disconnect(closing, id);
    handlers.clear();
    if (destroy) gtk_widget_destroy(GTK_WIDGET(closing));
    g_object_unref(closing);
}

HRESULT STDMETHODCALLTYPE WebKitBrowser::Close(DWORD) {
    releaseView(true);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitBrowser::DoVerb(LONG iVerb, LPMSG, IOleClientSite*, LONG, HWND hwndParent,
                                                LPCRECT rect) {
    if (view == nullptr) return E_FAIL;
    if (iVerb != OLEIVERB_SHOW) return E_NOTIMPL;
    GtkWidget* widget = GTK_WIDGET(view);
    GtkWidget* parent = reinterpret_cast<GtkWidget*>(hwndParent);
    const int left = rect != nullptr ? int(rect->left) : 0;
    const int top = rect != nullptr ? int(rect->top) : 0;
    if (parent != nullptr && GTK_IS_FIXED(parent)) {
        if (gtk_widget_get_parent(widget) == parent)
            gtk_fixed_move(GTK_FIXED(parent), widget, left, top);
        else if (gtk_widget_get_parent(widget) == nullptr)
            gtk_fixed_put(GTK_FIXED(parent), widget, left, top);
    } else if (parent != nullptr && GTK_IS_CONTAINER(parent) && gtk_widget_get_parent(widget) == nullptr) {
        gtk_container_add(GTK_CONTAINER(parent), widget);
    }
    if (rect != nullptr)
        gtk_widget_set_size_request(widget, int(rect->right - rect->left), int(rect->bottom - rect->top));
    gtk_widget_show(widget);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WebKitBrowser::GetWindow(HWND* phwnd) {
    if (phwnd == nullptr) return E_POINTER;
    *phwnd = reinterpret_cast<HWND>(view != nullptr ? GTK_WIDGET(view) : nullptr);
    return view != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE WebKitBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (ppCP == nullptr) return E_POINTER;
    *ppCP = nullptr;
    if (riid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
    *ppCP = &eventsPoint;
    AddRef();
    return S_OK;
}

// ---- the engine ---------------------------------------------------------------------------------

WebKitEngine::WebKitEngine() {
    previousEngine = setPageEngine(this);
}

WebKitEngine::~WebKitEngine() {
    setPageEngine(previousEngine);
}

SString WebKitEngine::getVersion() {
    return versionText();
}

bool WebKitEngine::isSupported(const SString& version) const {
    return versionAtLeast(version, 2, 40);
}

SString WebKitEngine::getRequirement() const {
    return "Sie ben\xF6tigen WebKitGTK 2.40 oder h\xF6her.";
}

void WebKitEngine::setDocumentBase(const SString& url) {
    webkitpage::settings().documentBase = url;
}

HRESULT WebKitEngine::createBrowser(IOleObject** browser) {
    if (browser == nullptr) return E_POINTER;
    *browser = nullptr;
    if (!gtk_init_check(nullptr, nullptr)) return CLASS_E_CLASSNOTAVAILABLE;
    WebKitWebContext* context = webkit_web_context_get_default();
    const bool automation = webkitpage::settings().automation;
    if (automation) allowAutomation(context);
    GtkWidget* widget =
        GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "is-controlled-by-automation",
                                automation ? TRUE : FALSE, nullptr));
    WebKitWebView* view = WEBKIT_WEB_VIEW(g_object_ref_sink(widget));
    *browser = static_cast<IOleObject*>(new WebKitBrowser(view));
    return S_OK;
}

void webkitEnableAutomation(bool enable) {
    webkitpage::settings().automation = enable;
}

void webkitSetCloseHandler(std::function<void()> handler) {
    webkitpage::settings().onClose = std::move(handler);
}
