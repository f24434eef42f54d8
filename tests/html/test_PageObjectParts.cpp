#include "PageObjectParts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A sink on the heap that frees itself with its last reference, as a script's sink would. Invoke
// notes its name and runs what the test gives it.
struct HeapSink final : public IDispatch {
    HeapSink(std::string name, std::vector<std::string>& calls) : name(std::move(name)), calls(calls) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        calls.push_back(name);
        if (onInvoke) onInvoke();
        if (result != nullptr) {
            result->vt = VT_I4;
            result->lVal = long(calls.size());
        }
        return S_OK;
    }
    ULONG references = 1;
    std::string name;
    std::vector<std::string>& calls;
    std::function<void()> onInvoke;
};

}  // namespace

// Every sink connected when the call starts is called, in order, even when an earlier one
// disconnects a later one that then goes away (the address sanitizer sees a freed sink called).
TEST(ConnectedSinks, SinksDisconnectedDuringACallAreStillCalledSafely) {
    std::vector<std::string> calls;
    ConnectedSinks sinks;
    HeapSink* first = new HeapSink("first", calls);
    HeapSink* second = new HeapSink("second", calls);
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(sinks.advise(first, &firstCookie), S_OK);
    ASSERT_EQ(sinks.advise(second, &secondCookie), S_OK);
    EXPECT_NE(firstCookie, secondCookie);
    first->Release();  // the list holds each sink now
    second->Release();
    first->onInvoke = [&] {
        EXPECT_EQ(sinks.unadvise(secondCookie), S_OK);
        EXPECT_EQ(sinks.unadvise(firstCookie), S_OK);
    };

    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(sinks.invokeAll(1, none, &result), S_OK);
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(result.lVal, 2);  // the last sink's answer
    EXPECT_EQ(sinks.count(), 0);
    EXPECT_EQ(sinks.unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(sinks.advise(nullptr, &firstCookie), E_POINTER);
}
