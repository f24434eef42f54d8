#pragma once

#include "SString.h"

#include <string>

// Bytes from a file or the system as an SString, exactly as they are. A plain assignment would
// offer them to the language table, which turns a text that begins with the marker pair
// "\xB3\xB3" into a translation; a leading blank keeps the table out of it.
// Built in one named object and returned from one place only, so that the compiler returns that
// object itself: a copy would be an assignment and would consult the table after all.
inline SString rawText(const char* data, int count) {
    std::string buffer(1, ' ');
    if (data != nullptr && count > 0) buffer.append(data, size_t(count));
    SString text(buffer.data(), int(buffer.size()));
    text.remove(0, 1);
    return text;
}

// Copies from into to without the language table (an SString assignment would consult it).
inline void assignRaw(SString& to, const SString& from) {
    if (&to == &from) return;
    to.remove(0, -1);
    to.append(from, from.getLength());
}
