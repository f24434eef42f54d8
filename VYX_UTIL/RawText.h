#pragma once

#include "SString.h"

#include <cstring>

// The raw-byte helpers: bytes from a file, a device or the system as an SString, and searches on a
// string's exact bytes. SString's own searches for characters stop at a NUL of the needle, and its
// startsWith/endsWith offer the needle to the language table (see SString.h); these do neither.

inline SString rawText(const char* data, int count) {
    SString text;
    text.setRaw(data, count);
    return text;
}

// The first position from start where what's bytes stand in text, -1 when nowhere.
inline int rawFind(const SString& text, const SString& what, int start = 0) {
    const int n = what.getLength(), length = text.getLength();
    if (start < 0) start = 0;
    for (int pos = start; pos + n <= length; ++pos)
        if (std::memcmp(text.getChars() + pos, what.getChars(), size_t(n)) == 0) return pos;
    return -1;
}

// Whether what's n bytes stand in text at pos.
inline bool rawBytesAt(const SString& text, int pos, const char* what, int n) {
    return pos >= 0 && pos + n <= text.getLength() &&
           std::memcmp(text.getChars() + pos, what, size_t(n)) == 0;
}

inline bool rawStartsWith(const SString& text, const SString& what) {
    return rawBytesAt(text, 0, what.getChars(), what.getLength());
}

inline bool rawEndsWith(const SString& text, const SString& what) {
    return rawBytesAt(text, text.getLength() - what.getLength(), what.getChars(), what.getLength());
}
