// The code-page conversions between Windows-1252, UTF-16 and UTF-8, and the wide form of SString,
// on arbitrary input: every byte goes to UTF-16 or UTF-8 and back unchanged; arbitrary UTF-16 and
// UTF-8 come back as the Windows-1252 character where there is one and '?' where not, and that
// text round-trips again.
#include "CodePage.h"
#include "FuzzInput.h"
#include "OleTypes.h"
#include "SLanguage.h"
#include "SString.h"
#include "SilentDialogs.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string bytesOf(const SString& s) {
    return std::string(s.getChars(), size_t(s.getLength()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    globalLanguage().clear();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const int n = int(size);

    // Windows-1252 bytes: both round trips are exact.
    const std::u16string wide = codepage::cp1252ToUtf16(bytes.data(), n);
    if (wide.size() != bytes.size()) __builtin_trap();
    if (codepage::utf16ToCp1252(wide.data(), int(wide.size())) != bytes) __builtin_trap();
    const std::string utf8 = codepage::cp1252ToUtf8(bytes.data(), n);
    if (codepage::utf8ToCp1252(utf8.data(), int(utf8.size())) != bytes) __builtin_trap();
    for (unsigned char c : bytes)
        if (codepage::fromUtf16(codepage::toUtf16(c)) != char(c)) __builtin_trap();

    // The same bytes as UTF-16 units: one character each (a valid surrogate pair is one), '?'
    // exactly where Windows-1252 has none.
    std::u16string units((size + 1) / 2, u'\0');
    for (size_t i = 0; i < size; ++i)
        units[i / 2] = char16_t(units[i / 2] | (char16_t(data[i]) << (8 * (i % 2))));
    const std::string narrow = codepage::utf16ToCp1252(units.data(), int(units.size()));
    size_t k = 0;
    for (size_t i = 0; i < units.size(); ++i, ++k) {
        if (k >= narrow.size()) __builtin_trap();
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            ++i;
            if (narrow[k] != '?') __builtin_trap();
            continue;
        }
        const char c = narrow[k];
        if (c == '?' ? (u != u'?' && codepage::fromUtf16(u) != '?')
                     : codepage::toUtf16((unsigned char)c) != u)
            __builtin_trap();
    }
    if (k != narrow.size()) __builtin_trap();

    // The same bytes as UTF-8: never longer in Windows-1252, and that text round-trips.
    const std::string fromUtf8 = codepage::utf8ToCp1252(bytes.data(), n);
    if (fromUtf8.size() > bytes.size()) __builtin_trap();
    const std::string again = codepage::cp1252ToUtf8(fromUtf8.data(), int(fromUtf8.size()));
    if (codepage::utf8ToCp1252(again.data(), int(again.size())) != fromUtf8) __builtin_trap();

    // SString's wide form and back through a BSTR (a text that starts with the literal marker
    // would be looked up on the way back in, so the round trip starts behind it).
    const size_t from = (size >= 2 && data[0] == 0xB3 && data[1] == 0xB3) ? 2 : 0;
    SString s = SString().setRaw(bytes.data() + from, int(size - from));
    if (size - from >= 2 && data[from] == 0xB3 && data[from + 1] == 0xB3) return 0;
    BSTR b = SysAllocStringLen(s.getWide(), unsigned(s.getLength()));
    if (b == nullptr) __builtin_trap();
    const SString back(b);
    SysFreeString(b);
    if (bytesOf(back) != bytes.substr(from)) __builtin_trap();
    return 0;
}
