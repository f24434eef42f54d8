#pragma once

#include "CodePage.h"
#include "SString.h"

#include <string>

// Text across the GTK boundary: the program's Windows-1252 in, UTF-8 out, and back; line ends
// become the single line feed GTK lays out.
inline std::string gtkText(const SString& text) {
    std::string utf8 = codepage::cp1252ToUtf8(text.getChars(), text.getLength());
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        out += utf8[i];
    }
    return out;
}

// A file name: Windows-1252 path to the UTF-8 the file chooser speaks, unchanged otherwise.
inline std::string gtkPath(const SString& path) {
    return codepage::cp1252ToUtf8(path.getChars(), path.getLength());
}

inline SString fromGtkText(const char* utf8) {
    if (utf8 == nullptr) return SString();
    std::string text = codepage::utf8ToCp1252(utf8, int(std::char_traits<char>::length(utf8)));
    SString result;
    result.setRaw(text.data(), int(text.size()));
    return result;
}
