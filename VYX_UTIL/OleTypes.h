#pragma once

// The subset of the OLE Automation types the program uses, with the platform's names and values,
// so that the code above the seams reads the same on every platform. On Windows the real headers
// would be included instead of this file.

#include <cstdint>

typedef int32_t HRESULT;
typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef uint16_t USHORT;
typedef uint32_t LCID;

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002);
constexpr HRESULT E_POINTER = HRESULT(0x80004003);
constexpr HRESULT E_FAIL = HRESULT(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000E);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057);
constexpr HRESULT DISP_E_TYPEMISMATCH = HRESULT(0x80020005);
constexpr HRESULT DISP_E_BADVARTYPE = HRESULT(0x80020008);
constexpr HRESULT DISP_E_OVERFLOW = HRESULT(0x8002000A);

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct IUnknown;
struct IDispatch;

struct VARIANT {
    VARTYPE vt;
    uint16_t wReserved1, wReserved2, wReserved3;
    union {
        int32_t lVal;
        uint8_t bVal;
        int16_t iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        VARIANT_BOOL* pboolVal;
        VARIANT* pvarVal;
        void* byref;
        int8_t cVal;
        uint16_t uiVal;
        uint32_t ulVal;
        int32_t intVal;
        uint32_t uintVal;
    };
};
typedef VARIANT VARIANTARG;

// BSTR: a length-prefixed, NUL-terminated UTF-16 text owned by the OLE allocator.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, unsigned length);
void SysFreeString(BSTR text);
unsigned SysStringLen(BSTR text);

void VariantInit(VARIANTARG* v);
HRESULT VariantClear(VARIANTARG* v);
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src);
// Converts between empty, the integer types, the real types, VT_BOOL and VT_BSTR, as the
// platform's variant conversion does for those types; anything else is DISP_E_TYPEMISMATCH.
// dest may equal src (conversion in place).
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt);
