#include "MemoryPage.h"
#include "SDocumentEvents2.h"
#include "SElementEvents2.h"
#include "SWebBrowserEvents2.h"
#include "TraceMonitor.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A browser sink that records what reaches its handlers and answers with a chosen result.
class RecordingBrowserSink : public SWebBrowserEvents2 {
public:
    int onBeforeNavigate2(IDispatch* browser, const SString& url, const SString& targetFrame,
                          VARIANT* postData, const SString& headers) override {
        calls.push_back("BeforeNavigate2 " + std::string(url) + "|" + std::string(targetFrame) + "|" +
                        std::string(headers));
        lastBrowser = browser;
        lastPostData = postData;
        return answer;
    }
    void onDocumentComplete(IDispatch*, const SString& url) override {
        calls.push_back("DocumentComplete " + std::string(url));
    }
    int onNavigateError(IDispatch*, const SString& url, const SString& frame, long status) override {
        calls.push_back("NavigateError " + std::string(url) + "|" + std::string(frame) + "|" +
                        std::to_string(status));
        return answer;
    }
    void onProgressChange(long progress, long maximum) override {
        calls.push_back("ProgressChange " + std::to_string(progress) + "/" + std::to_string(maximum));
    }
    int onWindowClosing(bool child) override {
        calls.push_back(std::string("WindowClosing ") + (child ? "child" : "top"));
        return answer;
    }

    int answer = 0;
    std::vector<std::string> calls;
    IDispatch* lastBrowser = nullptr;
    VARIANT* lastPostData = nullptr;
};

// The arguments of one BeforeNavigate2 as the browser passes them (last argument first), with the
// count and the cancel argument open to tampering.
struct NavigateArguments {
    NavigateArguments() {
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = SysAllocString(u"vyx:dexmode:send");
        VariantInit(&empty);
        for (VARIANTARG& a : args)
            VariantInit(&a);
        args[7].vt = VT_DISPATCH;  // only used when a test passes eight arguments
        args[6].vt = VT_DISPATCH;
        for (int i = 1; i <= 5; ++i) {
            args[i].vt = VT_BYREF | VT_VARIANT;
            args[i].pvarVal = &empty;
        }
        args[5].pvarVal = &url;
        args[0].vt = VT_BYREF | VT_BOOL;
        args[0].pboolVal = &cancel;
    }
    ~NavigateArguments() { VariantClear(&url); }

    VARIANT url, empty;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[8];
};

HRESULT invoke(IDispatch& sink, DISPID id, DISPPARAMS* parameters, VARIANT* result = nullptr) {
    return sink.Invoke(id, IID_NULL, 0, DISPATCH_METHOD, parameters, result, nullptr, nullptr);
}

}  // namespace

TEST(EventSinks, BeforeNavigate2ChecksItsArgumentsBeforeTheHandler) {
    struct Case {
        const char* what;
        UINT count;
        VARTYPE cancelType;
        bool nullCancel;
        HRESULT want;
    } cases[] = {
        {"seven arguments", 7, VT_BYREF | VT_BOOL, false, S_OK},
        {"six arguments", 6, VT_BYREF | VT_BOOL, false, E_INVALIDARG},
        {"eight arguments", 8, VT_BYREF | VT_BOOL, false, E_INVALIDARG},
        {"cancel by value", 7, VT_BOOL, false, E_INVALIDARG},
        {"cancel as a reference to an integer", 7, VT_BYREF | VT_I4, false, E_INVALIDARG},
        {"cancel as a null reference", 7, VT_BYREF | VT_BOOL, true, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        RecordingBrowserSink sink;
        NavigateArguments a;
        a.args[0].vt = c.cancelType;
        if (c.nullCancel) a.args[0].pboolVal = nullptr;
        DISPPARAMS p{a.args, nullptr, c.count, 0};
        EXPECT_EQ(invoke(sink, DISPID_BEFORENAVIGATE2, &p), c.want) << c.what;
        EXPECT_EQ(sink.calls.size(), c.want == S_OK ? 1u : 0u) << c.what;
    }
    RecordingBrowserSink sink;
    EXPECT_EQ(invoke(sink, DISPID_BEFORENAVIGATE2, nullptr), E_INVALIDARG);
    EXPECT_TRUE(sink.calls.empty());
}

TEST(EventSinks, AnyNonzeroHandlerResultCancels) {
    struct Case {
        int answer;
        VARIANT_BOOL before;
        VARIANT_BOOL want;
    } cases[] = {
        {0, VARIANT_FALSE, VARIANT_FALSE}, {1, VARIANT_FALSE, VARIANT_TRUE}, {2, VARIANT_FALSE, VARIANT_TRUE},
        {-7, VARIANT_FALSE, VARIANT_TRUE}, {0, VARIANT_TRUE, VARIANT_FALSE},
    };
    for (const Case& c : cases) {
        RecordingBrowserSink sink;
        sink.answer = c.answer;
        NavigateArguments a;
        a.cancel = c.before;
        DISPPARAMS p{a.args, nullptr, 7, 0};
        ASSERT_EQ(invoke(sink, DISPID_BEFORENAVIGATE2, &p), S_OK);
        EXPECT_EQ(a.cancel, c.want) << "handler result " << c.answer;
    }
}

TEST(EventSinks, NavigationsFromThePageReachTheHandlerWithTheirTexts) {
    MemoryPage page;
    RecordingBrowserSink sink;
    IOleObject* browser = nullptr;
    ASSERT_EQ(page.createBrowser(&browser), S_OK);
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
              S_OK);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(&sink), &cookie), S_OK);

    // Texts cross as UTF-16 and arrive in Windows-1252.
    sink.answer = 1;
    EXPECT_TRUE(page.fireNavigation("vyx:twi:send:\xE4\xB0", "_self", "X-A: 1"));
    EXPECT_TRUE(page.followed.empty());
    sink.answer = 0;
    EXPECT_FALSE(page.fireNavigation("http://example.invalid/"));
    page.completeDocument("about:blank");
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"BeforeNavigate2 vyx:twi:send:\xE4\xB0|_self|X-A: 1",
                                                    "BeforeNavigate2 http://example.invalid/||",
                                                    "DocumentComplete about:blank"}));
    EXPECT_NE(sink.lastBrowser, nullptr);
    ASSERT_NE(sink.lastPostData, nullptr);
    EXPECT_EQ(page.followed, (std::vector<SString>{"http://example.invalid/"}));

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.getReferenceCount(), 0u);
    point->Release();
    container->Release();
    browser->Release();
    EXPECT_EQ(page.getOutstandingReferences(), 0);
}

TEST(EventSinks, OtherBrowserEventsCheckTheirCountAndCancelFlag) {
    RecordingBrowserSink sink;
    sink.answer = 1;
    VARIANT url, frame, status;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(u"http://x.invalid/");
    VariantInit(&frame);
    VariantInit(&status);
    status.vt = VT_I4;
    status.lVal = 404;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG args[5];
    args[4].vt = VT_DISPATCH;
    args[4].pdispVal = nullptr;
    args[3].vt = VT_BYREF | VT_VARIANT;
    args[3].pvarVal = &url;
    args[2].vt = VT_BYREF | VT_VARIANT;
    args[2].pvarVal = &frame;
    args[1].vt = VT_BYREF | VT_VARIANT;
    args[1].pvarVal = &status;
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    DISPPARAMS five{args, nullptr, 5, 0};
    DISPPARAMS four{args + 1, nullptr, 4, 0};
    EXPECT_EQ(invoke(sink, DISPID_NAVIGATEERROR, &four), E_INVALIDARG);
    EXPECT_EQ(invoke(sink, DISPID_NAVIGATEERROR, &five), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);

    // WindowClosing(IsChildWindow, Cancel): a cancel flag passed by value is refused, never written.
    VARIANTARG closing[2];
    closing[1].vt = VT_BOOL;
    closing[1].boolVal = VARIANT_TRUE;
    closing[0].vt = VT_BOOL;
    closing[0].boolVal = VARIANT_FALSE;
    DISPPARAMS two{closing, nullptr, 2, 0};
    EXPECT_EQ(invoke(sink, DISPID_WINDOWCLOSING, &two), E_INVALIDARG);
    closing[0].vt = VT_BYREF | VT_BOOL;
    closing[0].pboolVal = &cancel;
    cancel = VARIANT_FALSE;
    EXPECT_EQ(invoke(sink, DISPID_WINDOWCLOSING, &two), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);

    // ProgressChange(Progress, ProgressMax): values, last first.
    VARIANTARG progress[2];
    progress[1].vt = VT_I4;
    progress[1].lVal = 30;
    progress[0].vt = VT_I4;
    progress[0].lVal = 100;
    DISPPARAMS pp{progress, nullptr, 2, 0};
    EXPECT_EQ(invoke(sink, DISPID_PROGRESSCHANGE, &pp), S_OK);
    DISPPARAMS one{progress, nullptr, 1, 0};
    EXPECT_EQ(invoke(sink, DISPID_PROGRESSCHANGE, &one), E_INVALIDARG);
    // Events without arguments are not checked.
    EXPECT_EQ(invoke(sink, DISPID_DOWNLOADBEGIN, nullptr), S_OK);

    EXPECT_EQ(sink.calls, (std::vector<std::string>{"NavigateError http://x.invalid/||404",
                                                    "WindowClosing child", "ProgressChange 30/100"}));
    VariantClear(&url);
}

TEST(EventSinks, UnknownDispatchIdsAreTracedAndAccepted) {
    TraceMonitor::get().reset();
    RecordingBrowserSink browser;
    SDocumentEvents2 document;
    NavigateArguments a;
    DISPPARAMS p{a.args, nullptr, 7, 0};
    EXPECT_EQ(invoke(browser, DISPID_NEWWINDOW3, &p), S_OK);
    EXPECT_EQ(invoke(document, 5, nullptr), S_OK);
    EXPECT_TRUE(browser.calls.empty());
    EXPECT_EQ(TraceMonitor::get().linesSince(),
              (std::vector<std::string>{"unbehandelte Dispatch-ID: 273", "unbehandelte Dispatch-ID: 5"}));

    // The base handler of BeforeNavigate2 traces and lets the navigation go on.
    SWebBrowserEvents2 plain;
    a.cancel = VARIANT_TRUE;
    EXPECT_EQ(invoke(plain, DISPID_BEFORENAVIGATE2, &p), S_OK);
    EXPECT_EQ(a.cancel, VARIANT_FALSE);
    EXPECT_EQ(TraceMonitor::get().linesSince(),
              (std::vector<std::string>{"SWebBrowserEvents2::onBeforeNavigate2(..)"}));
}

TEST(EventSinks, TypeInformationAndNamesShowABoxAndFail) {
    ScriptedDialogs dialogs;
    SWebBrowserEvents2 sink;
    UINT count = 7;
    ITypeInfo* info = nullptr;
    OLECHAR name[] = u"onclick";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(sink.GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(sink.GetTypeInfo(0, 0, &info), E_NOTIMPL);
    EXPECT_EQ(sink.GetIDsOfNames(IID_NULL, names, 1, 0, &id), E_NOTIMPL);
    ASSERT_EQ(dialogs.boxes.size(), 3u);
    const char* texts[] = {"GetTypeInfoCount", "GetTypeInfo", "GetIDsOfNames"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialogs.boxes[size_t(i)].text, texts[i]);
        EXPECT_EQ(dialogs.boxes[size_t(i)].caption, "Fehler !");
        EXPECT_EQ(dialogs.boxes[size_t(i)].flags, unsigned(MB_OK | MB_ICONERROR));
    }
}

TEST(EventSinks, EachSinkAnswersItsEventInterfaceAndIDispatchOnly) {
    SWebBrowserEvents2 browser;
    SDocumentEvents2 document;
    SElementEvents2 element;
    struct Case {
        IDispatch* sink;
        const IID* own;
        const IID* other;
    } cases[] = {
        {&browser, &DIID_DWebBrowserEvents2, &DIID_HTMLDocumentEvents2},
        {&document, &DIID_HTMLDocumentEvents2, &DIID_HTMLElementEvents2},
        {&element, &DIID_HTMLElementEvents2, &DIID_DWebBrowserEvents2},
    };
    for (const Case& c : cases) {
        void* out = nullptr;
        EXPECT_EQ(c.sink->QueryInterface(*c.own, &out), S_OK);
        EXPECT_EQ(out, c.sink);
        EXPECT_EQ(c.sink->QueryInterface(IID_IDispatch, &out), S_OK);
        void* untouched = &out;
        out = untouched;
        EXPECT_EQ(c.sink->QueryInterface(*c.other, &out), E_NOINTERFACE);
        EXPECT_EQ(c.sink->QueryInterface(IID_IHTMLElement, &out), E_NOINTERFACE);
        EXPECT_EQ(out, untouched);
        // Two references were given; letting them go never frees a member sink.
        EXPECT_EQ(c.sink->Release(), 1u);
        EXPECT_EQ(c.sink->Release(), 0u);
        EXPECT_EQ(c.sink->Release(), 0u);
    }
}

namespace {
class ClickCancellingDocument : public SDocumentEvents2 {
public:
    int onClick(SHtmlEventObj& event) override {
        event.getType(type);
        return 1;
    }
    void onKeyDown(SHtmlEventObj& event) override { event.getType(type); }
    SString type;
};

class ContextMenuElement : public SElementEvents2 {
public:
    int onContextMenu(SHtmlEventObj&) override { return 5; }
};
}  // namespace

TEST(EventSinks, PageEventsReachHandlersWithTheirEventObject) {
    MemoryPage page;
    ClickCancellingDocument sink;
    IOleObject* browser = nullptr;
    ASSERT_EQ(page.createBrowser(&browser), S_OK);
    IWebBrowser2* web = nullptr;
    browser->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web));
    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(u"about:blank");
    web->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&url);
    IDispatch* document = nullptr;
    ASSERT_EQ(web->get_Document(&document), S_OK);
    IConnectionPointContainer* container = nullptr;
    document->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(DIID_HTMLDocumentEvents2, &point), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(&sink), &cookie), S_OK);

    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(page.fireDocumentEvent(-600, "click", &cancel), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(sink.type, "click");
    EXPECT_EQ(page.fireDocumentEvent(-602, "keydown", &cancel), S_OK);
    EXPECT_EQ(cancel, VARIANT_FALSE);
    EXPECT_EQ(sink.type, "keydown");

    point->Unadvise(cookie);
    point->Release();
    container->Release();
    document->Release();
    web->Release();
    browser->Release();
    EXPECT_EQ(page.getOutstandingReferences(), 0);

    // Called directly: the result is a VARIANT_BOOL; a call without its event object is refused.
    ContextMenuElement element;
    VARIANTARG none;
    VariantInit(&none);
    none.vt = VT_DISPATCH;
    none.pdispVal = nullptr;
    DISPPARAMS one{&none, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(invoke(element, 1023, &one, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    EXPECT_EQ(invoke(element, -600, &one, &result), S_OK);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);
    DISPPARAMS zero{nullptr, nullptr, 0, 0};
    EXPECT_EQ(invoke(element, 1023, &zero, &result), E_INVALIDARG);
}
