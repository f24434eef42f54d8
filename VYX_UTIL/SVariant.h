#pragma once

#include "OleTypes.h"
#include "SString.h"

// One OLE VARIANT, cleared before every new value and at destruction; the page element wrappers
// pass strings, integers and booleans to and from the page with it.
class SVariant {
public:
    SVariant();
    SVariant(const SString& text);
    SVariant(bool value);
    SVariant(int value);
    SVariant(const SVariant&) = delete;
    SVariant& operator=(const SVariant&) = delete;
    virtual ~SVariant();
    virtual const char* getClassName() const { return "SVariant"; }

    void set(const SString& text);
    void set(bool value);
    void set(int value);

    // Each read converts the variant in place; a failed conversion reads as 0, false or "".
    int toInt();
    bool toBool();
    SString toString() const;

    VARIANT* getAddress() { return &value; }
    const VARIANT& get() const { return value; }

private:
    VARIANT value;
};
