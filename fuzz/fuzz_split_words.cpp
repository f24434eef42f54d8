// SStringList's splitWords (and split at the first byte) on arbitrary text.
#include "SStringList.h"
#include "SilentDialogs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    const SString text(reinterpret_cast<const char*>(data), int(size));
    SStringList words;
    const int n = words.splitWords(text);
    if (n != words.getCount() || n > text.getLength() + 1) __builtin_trap();
    for (int i = 0; i < n; ++i)
        if (words.getAt(i).getLength() > text.getLength()) __builtin_trap();

    if (size > 1) {
        SStringList pieces;
        const SString separator(reinterpret_cast<const char*>(data), 1);
        const SString rest(reinterpret_cast<const char*>(data) + 1, int(size) - 1);
        const int parts = pieces.split(rest, separator);
        // A NUL separator is an empty one to the search, and refused.
        if (data[0] == 0 ? parts != 0 : parts < 1) __builtin_trap();
    }
    return 0;
}
