#include "OleTypes.h"

#include <gtest/gtest.h>

namespace {
// An object that only counts its references.
struct Counted : public IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid != IID_IUnknown) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
    ULONG STDMETHODCALLTYPE Release() override { return --count; }
    ULONG count = 1;
};
}  // namespace

TEST(OleInterfaces, IdentifiersCompareByValue) {
    IID copy = IID_IDispatch;
    EXPECT_TRUE(copy == IID_IDispatch);
    EXPECT_TRUE(IsEqualGUID(copy, IID_IDispatch));
    EXPECT_TRUE(IID_IUnknown != IID_IDispatch);
    copy.Data4[7] ^= 1;
    EXPECT_FALSE(IsEqualIID(copy, IID_IDispatch));
}

TEST(OleInterfaces, VariantsHoldReferencesToInterfaces) {
    Counted object;
    VARIANT a, b;
    VariantInit(&a);
    VariantInit(&b);
    a.vt = VT_UNKNOWN;
    a.punkVal = &object;
    object.AddRef();
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    EXPECT_EQ(object.count, 3u);
    VariantClear(&a);
    VariantClear(&b);
    EXPECT_EQ(object.count, 1u);
    EXPECT_EQ(a.vt, VT_EMPTY);
}

TEST(OleInterfaces, ArraysOfVariantsOwnTheirElements) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_BSTR, 0, 1), nullptr);
    VARIANT* items = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&items)), S_OK);
    items[0].vt = VT_BSTR;
    items[0].bstrVal = SysAllocString(u"page text");
    EXPECT_EQ(items[1].vt, VT_EMPTY);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
    LONG low = -1, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 1);

    // A variant holding the array copies it deeply and destroys it when cleared.
    VARIANT holder, copy;
    VariantInit(&holder);
    VariantInit(&copy);
    holder.vt = VT_ARRAY | VT_VARIANT;
    holder.parray = array;
    ASSERT_EQ(VariantCopy(&copy, &holder), S_OK);
    ASSERT_NE(copy.parray, array);
    VARIANT* copied = static_cast<VARIANT*>(copy.parray->pvData);
    EXPECT_NE(copied[0].bstrVal, items[0].bstrVal);
    EXPECT_EQ(SysStringLen(copied[0].bstrVal), 9u);
    EXPECT_EQ(VariantClear(&holder), S_OK);
    EXPECT_EQ(VariantClear(&copy), S_OK);
}
