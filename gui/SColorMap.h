#pragma once

#include "SString.h"

#include <cstdint>

typedef uint32_t COLORREF;  // 0x00BBGGRR, as the platform stores colours

inline COLORREF rgb(unsigned r, unsigned g, unsigned b) {
    return COLORREF((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// The named colours of the window framework ("black", "white", "red", ...; names compare without
// regard to case). Exactly one instance: globalColorMap().
class SColorMap {
public:
    virtual ~SColorMap() = default;
    virtual const char* getClassName() const { return "SColorMap"; }

    // True and the colour for a known name; false (colour untouched) for an unknown one.
    bool lookup(const SString& name, COLORREF& color) const;
    // The colour for the name, or fallback for an unknown name.
    COLORREF getColor(const SString& name, COLORREF fallback = 0) const;
};

SColorMap& globalColorMap();
