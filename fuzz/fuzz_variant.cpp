// VariantChangeType and SVariant on arbitrary variants: every value type the conversion knows (and
// a few it refuses), with any bit pattern (NaN, infinities, huge reals) and any BSTR text, turned
// into every target type, into a fresh variant and in place. A success gives the target type
// and, for numbers, the value a model expects (reals rounded half to even, refused outside the
// target's range, NaN and infinities never an integer); a failure leaves the destination alone.
// Leaks show in the leak check at the end of the run.
#include "FuzzInput.h"
#include "OleTypes.h"
#include "SLanguage.h"
#include "SString.h"
#include "SVariant.h"
#include "SilentDialogs.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const VARTYPE kTypes[] = {VT_EMPTY, VT_NULL, VT_I1,    VT_UI1,      VT_I2,     VT_UI2,
                          VT_I4,    VT_UI4,  VT_INT,   VT_UINT,     VT_R4,     VT_R8,
                          VT_BOOL,  VT_BSTR, VT_ERROR, VT_DISPATCH, VT_UNKNOWN};
const int kTypeCount = int(sizeof kTypes / sizeof kTypes[0]);

bool isInteger(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
            return true;
        default:
            return false;
    }
}

bool isNumber(VARTYPE vt) {
    return isInteger(vt) || vt == VT_R4 || vt == VT_R8 || vt == VT_BOOL || vt == VT_EMPTY;
}

void range(VARTYPE vt, double& lo, double& hi) {
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
            hi = 4294967295.0;
            break;
        default:
            lo = -2147483648.0;
            hi = 2147483647.0;
            break;
    }
}

double numberOf(const VARIANT& v) {
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
        case VT_R4:
            return v.fltVal;
        case VT_R8:
            return v.dblVal;
        case VT_BOOL:
            return v.boolVal ? -1 : 0;
        default:
            return 0;
    }
}

bool sameBits(const VARIANT& a, const VARIANT& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Checks one conversion of src (a number type) to vt against the model.
void checkNumber(const VARIANT& src, VARTYPE vt, HRESULT hr, const VARIANT& out) {
    const double x = numberOf(src);
    if (isInteger(vt)) {
        double lo, hi;
        range(vt, lo, hi);
        const double r = std::nearbyint(x);
        const bool fits = std::isfinite(r) && r >= lo && r <= hi;
        if (!fits) {
            if (hr != DISP_E_OVERFLOW) __builtin_trap();
            return;
        }
        if (hr != S_OK || numberOf(out) != r) __builtin_trap();
    } else if (vt == VT_R8) {
        if (hr != S_OK || !(numberOf(out) == x || (std::isnan(x) && std::isnan(numberOf(out)))))
            __builtin_trap();
    } else if (vt == VT_R4) {
        if (src.vt != VT_R4 && std::fabs(x) > double(FLT_MAX)) {
            if (hr != DISP_E_OVERFLOW) __builtin_trap();
            return;
        }
        if (hr != S_OK || !(out.fltVal == float(x) || (std::isnan(x) && std::isnan(out.fltVal))))
            __builtin_trap();
    } else if (vt == VT_BOOL) {
        if (hr != S_OK || out.boolVal != (x != 0 ? VARIANT_TRUE : VARIANT_FALSE)) __builtin_trap();
    } else if (vt == VT_BSTR) {
        if (hr != S_OK || out.bstrVal == nullptr) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    globalLanguage().clear();
    FuzzInput in(data, size);
    VARIANT src;
    VariantInit(&src);
    src.vt = kTypes[in.byte() % kTypeCount];
    const uint64_t bits = in.value<uint64_t>();
    const std::string text = in.rest();
    if (src.vt == VT_BSTR) {
        // UTF-16 units from the bytes, pairs of them.
        std::u16string units(text.size() / 2, u'\0');
        std::memcpy(&units[0], text.data(), units.size() * 2);
        src.bstrVal = SysAllocStringLen(units.data(), unsigned(units.size()));
    } else if (src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN) {
        src.punkVal = nullptr;  // no object behind it
    } else if (src.vt != VT_EMPTY) {
        std::memcpy(&src.dblVal, &bits, sizeof bits);
    }

    for (VARTYPE vt : kTypes) {
        VARIANT out;
        VariantInit(&out);
        const HRESULT hr = VariantChangeType(&out, &src, 0, vt);
        if (SUCCEEDED(hr) ? out.vt != vt : out.vt != VT_EMPTY) __builtin_trap();
        if (isNumber(src.vt) && (isNumber(vt) || vt == VT_BSTR) && vt != VT_EMPTY)
            checkNumber(src, vt, hr, out);
        else if (src.vt == VT_BSTR && vt == VT_BSTR &&
                 (hr != S_OK || SysStringLen(out.bstrVal) != SysStringLen(src.bstrVal)))
            __builtin_trap();
        else if (!(isNumber(src.vt) || src.vt == VT_BSTR) || !(isNumber(vt) || vt == VT_BSTR) ||
                 vt == VT_EMPTY)
            if (hr != DISP_E_TYPEMISMATCH) __builtin_trap();

        // A text reads as the real it spells: an integer from it equals the integer from that real.
        if (src.vt == VT_BSTR && isInteger(vt)) {
            VARIANT real;
            VariantInit(&real);
            if (SUCCEEDED(VariantChangeType(&real, &src, 0, VT_R8))) {
                VARIANT viaReal;
                VariantInit(&viaReal);
                const HRESULT hr2 = VariantChangeType(&viaReal, &real, 0, vt);
                if (hr2 != hr || (SUCCEEDED(hr) && !sameBits(out, viaReal))) __builtin_trap();
            }
        }
        // An integer printed as text reads back as the same number.
        if (isInteger(src.vt) && vt == VT_BSTR && SUCCEEDED(hr)) {
            VARIANT back;
            VariantInit(&back);
            if (VariantChangeType(&back, &out, 0, VT_R8) != S_OK || back.dblVal != numberOf(src))
                __builtin_trap();
        }

        // In place: the same answer, and on failure the variant is untouched.
        VARIANT copy;
        VariantInit(&copy);
        if (VariantCopy(&copy, &src) != S_OK) __builtin_trap();
        VARIANT before = copy;
        const HRESULT inPlace = VariantChangeType(&copy, &copy, 0, vt);
        if (inPlace != hr) __builtin_trap();
        if (FAILED(inPlace) && !sameBits(copy, before)) __builtin_trap();
        if (SUCCEEDED(inPlace) && vt != VT_BSTR && !sameBits(copy, out)) __builtin_trap();
        VariantClear(&copy);
        VariantClear(&out);
    }

    // The string and SVariant sides of the same conversions.
    (void)SString(src).getLength();
    {
        SVariant v(SString().setRaw(text.data(), int(text.size())));
        (void)v.toString();
        (void)v.toInt();
        (void)v.toBool();
        const int i = int(uint32_t(bits));
        SVariant n(i);
        if (n.toString() != SString(std::to_string(i).c_str())) __builtin_trap();
        SVariant t(SString(std::to_string(i).c_str()));
        if (t.toInt() != i) __builtin_trap();
    }
    VariantClear(&src);
    return 0;
}
