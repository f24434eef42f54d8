#pragma once

// The subset of the OLE Automation types the program uses, with the platform's names and values,
// so that the code above the seams reads the same on every platform. On Windows the real headers
// would be included instead of this file.

#include <cstdint>
#include <cstring>

// Calling convention of interface methods: only meaningful on 32-bit Windows.
#define STDMETHODCALLTYPE

typedef int32_t HRESULT;
typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef uint16_t USHORT;
typedef uint32_t LCID;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int BOOL;
typedef LONG SCODE;
typedef LONG DISPID;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

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
constexpr HRESULT E_ABORT = HRESULT(0x80004004);
constexpr HRESULT E_UNEXPECTED = HRESULT(0x8000FFFF);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = HRESULT(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = HRESULT(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = HRESULT(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = HRESULT(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = HRESULT(0x80020006);
constexpr HRESULT DISP_E_BADVARTYPE = HRESULT(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = HRESULT(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = HRESULT(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = HRESULT(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = HRESULT(0x8002000E);
constexpr HRESULT DISP_E_ARRAYISLOCKED = HRESULT(0x8002000D);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HRESULT(0x80040111);
constexpr HRESULT CONNECT_E_NOCONNECTION = HRESULT(0x80040200);
constexpr HRESULT CONNECT_E_ADVISELIMIT = HRESULT(0x80040201);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = HRESULT(0x80040202);

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

// ---- interface identifiers -----------------------------------------------------------------------

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

inline BOOL IsEqualGUID(REFGUID a, REFGUID b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline BOOL IsEqualIID(REFIID a, REFIID b) {
    return IsEqualGUID(a, b);
}
inline bool operator==(REFGUID a, REFGUID b) {
    return IsEqualGUID(a, b) != 0;
}
inline bool operator!=(REFGUID a, REFGUID b) {
    return !(a == b);
}

extern const IID IID_NULL;
extern const IID IID_IUnknown;
extern const IID IID_IDispatch;

// ---- IUnknown and IDispatch -----------------------------------------------------------------------

struct VARIANT;
struct ITypeInfo;  // never used through; only its pointer type appears in IDispatch
struct DISPPARAMS;
struct EXCEPINFO;

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    // Objects are freed by Release, never deleted through an interface pointer.
    ~IUnknown() = default;
};

struct IDispatch : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                    DISPID* rgDispId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                             DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                             EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

// ---- variants -----------------------------------------------------------------------------------

struct SAFEARRAY;

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
        LONG* plVal;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY* parray;
        void* byref;
        int8_t cVal;
        uint16_t uiVal;
        uint32_t ulVal;
        int32_t intVal;
        uint32_t uintVal;
    };
};
typedef VARIANT VARIANTARG;

// ---- late-bound calls ---------------------------------------------------------------------------

// Arguments of IDispatch::Invoke; rgvarg holds them in reverse order (the last argument first).
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

enum : WORD {
    DISPATCH_METHOD = 0x1,
    DISPATCH_PROPERTYGET = 0x2,
    DISPATCH_PROPERTYPUT = 0x4,
    DISPATCH_PROPERTYPUTREF = 0x8,
};

enum : DISPID {
    DISPID_UNKNOWN = -1,
    DISPID_VALUE = 0,
    DISPID_PROPERTYPUT = -3,
};

// Events of the browser object (its DWebBrowserEvents2 event set).
enum : DISPID {
    DISPID_STATUSTEXTCHANGE = 102,
    DISPID_DOWNLOADCOMPLETE = 104,
    DISPID_COMMANDSTATECHANGE = 105,
    DISPID_DOWNLOADBEGIN = 106,
    DISPID_PROGRESSCHANGE = 108,
    DISPID_PROPERTYCHANGE = 112,
    DISPID_TITLECHANGE = 113,
    DISPID_BEFORENAVIGATE2 = 250,
    DISPID_NEWWINDOW2 = 251,
    DISPID_NAVIGATECOMPLETE2 = 252,
    DISPID_ONQUIT = 253,
    DISPID_ONVISIBLE = 254,
    DISPID_ONTOOLBAR = 255,
    DISPID_ONMENUBAR = 256,
    DISPID_ONSTATUSBAR = 257,
    DISPID_ONFULLSCREEN = 258,
    DISPID_DOCUMENTCOMPLETE = 259,
    DISPID_ONTHEATERMODE = 260,
    DISPID_WINDOWSETRESIZABLE = 262,
    DISPID_WINDOWCLOSING = 263,
    DISPID_WINDOWSETLEFT = 264,
    DISPID_WINDOWSETTOP = 265,
    DISPID_WINDOWSETWIDTH = 266,
    DISPID_WINDOWSETHEIGHT = 267,
    DISPID_CLIENTTOHOSTWINDOW = 268,
    DISPID_SETSECURELOCKICON = 269,
    DISPID_FILEDOWNLOAD = 270,
    DISPID_NAVIGATEERROR = 271,
    DISPID_PRIVACYIMPACTEDSTATECHANGE = 272,
    DISPID_NEWWINDOW3 = 273,
};

// BSTR: a length-prefixed, NUL-terminated UTF-16 text owned by the OLE allocator.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, unsigned length);
void SysFreeString(BSTR text);
unsigned SysStringLen(BSTR text);

void VariantInit(VARIANTARG* v);
HRESULT VariantClear(VARIANTARG* v);
HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src);
// Clearing releases interface pointers, frees BSTRs and destroys arrays; copying adds references.
// Converts between empty, the integer types, the real types, VT_BOOL and VT_BSTR, as the
// platform's variant conversion does for those types; anything else is DISP_E_TYPEMISMATCH.
// dest may equal src (conversion in place).
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt);

// ---- arrays -------------------------------------------------------------------------------------

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

enum : USHORT { FADF_BSTR = 0x0100, FADF_UNKNOWN = 0x0200, FADF_DISPATCH = 0x0400, FADF_VARIANT = 0x0800 };

// One-dimensional arrays of VARIANT (the document's write takes one); other element types give null.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* bound);
// Clears every element; fails with DISP_E_ARRAYISLOCKED while the data is accessed.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
