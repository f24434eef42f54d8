// SStringList's splitQuoted on arbitrary text, separator, quote pairs and escape setting.
#include "SStringList.h"
#include "SilentDialogs.h"

#include <string.h>  // memmem
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    if (size < 2) return 0;
    // Byte 0: separator. Byte 1: escape flag and the number of quote-pair bytes (0..7).
    const char separator = char(data[0]);
    const bool escape = data[1] & 1;
    int pairBytes = (data[1] >> 1) & 7;
    const char* p = reinterpret_cast<const char*>(data) + 2;
    int left = int(size) - 2;
    if (pairBytes > left) pairBytes = left;
    const SString pairs(p, pairBytes);
    const SString text(p + pairBytes, left - pairBytes);

    SStringList list;
    const int n = list.splitQuoted(text, separator, pairs, escape);
    if (n != list.getCount() || n > text.getLength() + 1) __builtin_trap();

    // The pieces are the text between the separators that ended them, in order: joined again
    // they give the text back (without a final separator whose rest was empty). Texts with the
    // language-table marker are translated when a piece is stored, so they are not compared.
    const int length = text.getLength();
    if (memmem(text.getChars(), size_t(length), "\xB3\xB3", 2) == nullptr) {
        SString joined = list.join(SString(separator));
        if (length > 0 && (n == 0 || joined.getLength() < length)) joined.append(SString(separator), -1);
        if (joined.getLength() != length ||
            std::memcmp(joined.getChars(), text.getChars(), size_t(length)) != 0)
            __builtin_trap();
    }
    return 0;
}
