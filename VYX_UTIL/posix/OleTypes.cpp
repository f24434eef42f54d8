// OLE Automation types off Windows: BSTR allocation and the variant operations the program uses.
// Implements: the identifiers of IUnknown and IDispatch, SysAllocString(Len), SysFreeString,
// SysStringLen, VariantInit, VariantClear (frees BSTRs, releases interfaces, destroys arrays),
// VariantCopy (copies BSTRs, adds references, copies arrays), VariantChangeType between
// empty/integers/reals/bool/BSTR, one-dimensional SAFEARRAYs of VARIANT.
// Not implemented: arrays of other element types or more dimensions, dates, currency, decimals,
// interface conversions.

#include "OleTypes.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const IID IID_NULL = {0x00000000, 0x0000, 0x0000, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {
SAFEARRAY* copyArray(const SAFEARRAY* array);
}

BSTR SysAllocStringLen(const OLECHAR* text, unsigned length) {
    // Layout as on the platform: a 32-bit byte count in front of the characters, then a NUL.
    char* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + (size_t(length) + 1) * sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    uint32_t bytes = length * sizeof(OLECHAR);
    std::memcpy(block, &bytes, sizeof bytes);
    OLECHAR* chars = reinterpret_cast<OLECHAR*>(block + sizeof(uint32_t));
    if (text != nullptr)
        std::memcpy(chars, text, size_t(length) * sizeof(OLECHAR));
    else
        std::memset(chars, 0, size_t(length) * sizeof(OLECHAR));
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    unsigned n = 0;
    while (text[n] != 0)
        ++n;
    return SysAllocStringLen(text, n);
}

void SysFreeString(BSTR text) {
    if (text != nullptr) std::free(reinterpret_cast<char*>(text) - sizeof(uint32_t));
}

unsigned SysStringLen(BSTR text) {
    if (text == nullptr) return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<char*>(text) - sizeof(uint32_t), sizeof bytes);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANTARG* v) {
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* v) {
    if (v == nullptr) return E_INVALIDARG;
    switch (v->vt) {
        case VT_BSTR:
            SysFreeString(v->bstrVal);
            break;
        case VT_UNKNOWN:
            if (v->punkVal != nullptr) v->punkVal->Release();
            break;
        case VT_DISPATCH:
            if (v->pdispVal != nullptr) v->pdispVal->Release();
            break;
        case VT_ARRAY | VT_VARIANT:
            if (v->parray != nullptr) {
                HRESULT hr = SafeArrayDestroy(v->parray);
                if (FAILED(hr)) return hr;
            }
            break;
        default:
            break;  // values and references own nothing
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) {
    if (dest == nullptr || src == nullptr) return E_INVALIDARG;
    if (dest == src) return S_OK;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    } else if (src->vt == VT_UNKNOWN && src->punkVal != nullptr) {
        src->punkVal->AddRef();
    } else if (src->vt == VT_DISPATCH && src->pdispVal != nullptr) {
        src->pdispVal->AddRef();
    } else if (src->vt == (VT_ARRAY | VT_VARIANT) && src->parray != nullptr) {
        copy.parray = copyArray(src->parray);
        if (copy.parray == nullptr) return E_OUTOFMEMORY;
    }
    VariantClear(dest);
    *dest = copy;
    return S_OK;
}

namespace {
enum class Kind { Empty, Integer, Real, Bool, Text, Other };

Kind kindOf(VARTYPE vt) {
    switch (vt) {
        case VT_EMPTY:
            return Kind::Empty;
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
            return Kind::Integer;
        case VT_R4:
        case VT_R8:
            return Kind::Real;
        case VT_BOOL:
            return Kind::Bool;
        case VT_BSTR:
            return Kind::Text;
        default:
            return Kind::Other;
    }
}

long long integerOf(const VARIANT& v) {
    switch (v.vt) {
        case VT_I1:
            return v.cVal;
        case VT_UI1:
            return v.bVal;
        case VT_I2:
            return v.iVal;
        case VT_UI2:
            return v.uiVal;
        case VT_I4:
        case VT_INT:
            return v.lVal;
        case VT_UI4:
        case VT_UINT:
            return v.ulVal;
        default:
            return 0;
    }
}

BSTR bstrFromAscii(const std::string& s) {
    std::u16string w(s.begin(), s.end());
    return SysAllocStringLen(w.data(), unsigned(w.size()));
}

// Reads a number from a BSTR the way the platform's conversion accepts plain numbers: optional
// blanks, a sign, digits, an optional fraction and exponent; nothing else may follow.
bool parseNumber(BSTR text, double& out) {
    std::string s;
    for (unsigned i = 0, n = SysStringLen(text); i < n; ++i) {
        if (text[i] > 0x7F) return false;
        s += char(text[i]);
    }
    const char* p = s.c_str();
    while (*p == ' ')
        ++p;
    if (*p == 0) return false;
    char* end = nullptr;
    out = std::strtod(p, &end);
    if (end == p) return false;
    while (*end == ' ')
        ++end;
    return *end == 0 && std::isfinite(out);
}

HRESULT storeInteger(VARIANT& out, VARTYPE vt, double value) {
    double r = std::nearbyint(value);
    long long lo, hi;
    switch (vt) {
        case VT_I1:
            lo = -128;
            hi = 127;
            break;
        case VT_UI1:
            lo = 0;
            hi = 255;
            break;
        case VT_I2:
            lo = -32768;
            hi = 32767;
            break;
        case VT_UI2:
            lo = 0;
            hi = 65535;
            break;
        case VT_UI4:
        case VT_UINT:
            lo = 0;
            hi = UINT_MAX;
            break;
        default:
            lo = INT_MIN;
            hi = INT_MAX;
            break;
    }
    // Written so that NaN fails too: it compares false with everything, and neither it nor an
    // infinity may reach the integer cast below.
    if (!(r >= double(lo) && r <= double(hi))) return DISP_E_OVERFLOW;
    long long n = (long long)r;
    out.vt = vt;
    switch (vt) {
        case VT_I1:
            out.cVal = int8_t(n);
            break;
        case VT_UI1:
            out.bVal = uint8_t(n);
            break;
        case VT_I2:
            out.iVal = int16_t(n);
            break;
        case VT_UI2:
            out.uiVal = uint16_t(n);
            break;
        case VT_UI4:
        case VT_UINT:
            out.ulVal = uint32_t(n);
            break;
        default:
            out.lVal = int32_t(n);
            break;
    }
    return S_OK;
}
}  // namespace

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT /*flags*/, VARTYPE vt) {
    if (dest == nullptr || src == nullptr) return E_INVALIDARG;
    const Kind from = kindOf(src->vt);
    const Kind to = kindOf(vt);
    if (from == Kind::Other || to == Kind::Other || to == Kind::Empty) return DISP_E_TYPEMISMATCH;

    VARIANT out;
    VariantInit(&out);
    double number = 0;
    switch (from) {
        case Kind::Empty:
            number = 0;
            break;
        case Kind::Integer:
            number = double(integerOf(*src));
            break;
        case Kind::Real:
            number = src->vt == VT_R4 ? src->fltVal : src->dblVal;
            break;
        case Kind::Bool:
            number = src->boolVal ? -1 : 0;
            break;
        case Kind::Text:
            if (to == Kind::Text) break;
            if (to == Kind::Bool) {
                std::string s;
                for (unsigned i = 0, n = SysStringLen(src->bstrVal); i < n; ++i)
                    s += char(src->bstrVal[i]);
                if (s == "True" || s == "true" || s == "TRUE") {
                    number = -1;
                    break;
                }
                if (s == "False" || s == "false" || s == "FALSE") {
                    number = 0;
                    break;
                }
            }
            if (!parseNumber(src->bstrVal, number)) return DISP_E_TYPEMISMATCH;
            break;
        default:
            return DISP_E_TYPEMISMATCH;
    }

    HRESULT hr = S_OK;
    switch (to) {
        case Kind::Integer:
            hr = storeInteger(out, vt, number);
            break;
        case Kind::Real:
            // A double beyond the single range does not fit a VT_R4, as on the platform.
            if (vt == VT_R4 && src->vt != VT_R4 && std::fabs(number) > double(FLT_MAX))
                return DISP_E_OVERFLOW;
            out.vt = vt;
            if (vt == VT_R4)
                out.fltVal = float(number);
            else
                out.dblVal = number;
            break;
        case Kind::Bool:
            out.vt = VT_BOOL;
            out.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case Kind::Text: {
            out.vt = VT_BSTR;
            if (from == Kind::Text) {
                out.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
            } else if (from == Kind::Bool) {
                out.bstrVal = bstrFromAscii(src->boolVal ? "True" : "False");
            } else if (from == Kind::Empty) {
                out.bstrVal = SysAllocStringLen(nullptr, 0);
            } else {
                char buf[64];
                if (from == Kind::Integer)
                    std::snprintf(buf, sizeof buf, "%lld", integerOf(*src));
                else
                    std::snprintf(buf, sizeof buf, "%.15g", number);
                out.bstrVal = bstrFromAscii(buf);
            }
            if (out.bstrVal == nullptr) return E_OUTOFMEMORY;
            break;
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
    if (FAILED(hr)) return hr;
    VariantClear(dest);  // safe when dest == src: the result is already in out
    *dest = out;
    return S_OK;
}

// ---- arrays -------------------------------------------------------------------------------------

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
    if (vt != VT_VARIANT) return nullptr;
    SAFEARRAY* array = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
    if (array == nullptr) return nullptr;
    array->cDims = 1;
    array->fFeatures = FADF_VARIANT;
    array->cbElements = sizeof(VARIANT);
    array->rgsabound[0].cElements = elements;
    array->rgsabound[0].lLbound = lowerBound;
    array->pvData = std::calloc(elements == 0 ? 1 : elements, sizeof(VARIANT));
    if (array->pvData == nullptr) {
        std::free(array);
        return nullptr;
    }
    VARIANT* items = static_cast<VARIANT*>(array->pvData);
    for (ULONG i = 0; i < elements; ++i)
        VariantInit(&items[i]);
    return array;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
    if (array == nullptr || data == nullptr) return E_INVALIDARG;
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
    if (array == nullptr) return E_INVALIDARG;
    if (array->cLocks == 0) return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* bound) {
    if (array == nullptr || bound == nullptr) return E_INVALIDARG;
    if (dimension != 1) return DISP_E_BADINDEX;
    *bound = array->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* bound) {
    if (array == nullptr || bound == nullptr) return E_INVALIDARG;
    if (dimension != 1) return DISP_E_BADINDEX;
    *bound = array->rgsabound[0].lLbound + LONG(array->rgsabound[0].cElements) - 1;
    return S_OK;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (array == nullptr) return S_OK;
    if (array->cLocks != 0) return DISP_E_ARRAYISLOCKED;
    VARIANT* items = static_cast<VARIANT*>(array->pvData);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i)
        VariantClear(&items[i]);
    std::free(array->pvData);
    std::free(array);
    return S_OK;
}

namespace {
SAFEARRAY* copyArray(const SAFEARRAY* array) {
    const ULONG n = array->rgsabound[0].cElements;
    SAFEARRAY* copy = SafeArrayCreateVector(VT_VARIANT, array->rgsabound[0].lLbound, n);
    if (copy == nullptr) return nullptr;
    const VARIANT* from = static_cast<const VARIANT*>(array->pvData);
    VARIANT* to = static_cast<VARIANT*>(copy->pvData);
    for (ULONG i = 0; i < n; ++i) {
        if (FAILED(VariantCopy(&to[i], &from[i]))) {
            SafeArrayDestroy(copy);
            return nullptr;
        }
    }
    return copy;
}
}  // namespace
