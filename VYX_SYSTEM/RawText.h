#pragma once

#include "SString.h"

// Bytes from a file or the system as an SString, exactly as they are (no language table).
inline SString rawText(const char* data, int count) {
    SString text;
    text.setRaw(data, count);
    return text;
}

// Copies from into to as it is.
inline void assignRaw(SString& to, const SString& from) {
    to.set(from);
}
