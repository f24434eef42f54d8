#include "SVariant.h"

SVariant::SVariant() {
    VariantInit(&value);
}
SVariant::SVariant(const SString& text) : SVariant() {
    set(text);
}
SVariant::SVariant(bool b) : SVariant() {
    set(b);
}
SVariant::SVariant(int i) : SVariant() {
    set(i);
}
SVariant::~SVariant() {
    VariantClear(&value);
}

void SVariant::set(const SString& text) {
    VariantClear(&value);
    SString copy(text);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(copy.getWide(), unsigned(copy.getLength()));
}

void SVariant::set(bool b) {
    VariantClear(&value);
    value.vt = VT_BOOL;
    value.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

void SVariant::set(int i) {
    VariantClear(&value);
    value.vt = VT_I4;
    value.lVal = i;
}

int SVariant::toInt() {
    if (FAILED(VariantChangeType(&value, &value, 0, VT_I4))) return 0;
    return value.lVal;
}

bool SVariant::toBool() {
    if (FAILED(VariantChangeType(&value, &value, 0, VT_BOOL))) return false;
    return value.boolVal != VARIANT_FALSE;
}

SString SVariant::toString() const {
    return SString(value);
}
