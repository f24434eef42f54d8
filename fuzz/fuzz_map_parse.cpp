// SMapStringToString's parse and substitute on arbitrary text: page parameters and settings.
#include "SMapStringToString.h"
#include "SilentDialogs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    if (size < 3) return 0;
    // Byte 0 chooses separator lengths; then the pair separator, the key separator, the text.
    const int pairLength = 1 + (data[0] & 1);
    const int keyLength = 1 + ((data[0] >> 1) & 1);
    const char* p = reinterpret_cast<const char*>(data) + 1;
    int left = int(size) - 1;
    if (left < pairLength + keyLength) return 0;
    const SString pairSeparator(p, pairLength);
    const SString keySeparator(p + pairLength, keyLength);
    p += pairLength + keyLength;
    left -= pairLength + keyLength;
    const SString text(p, left);

    SMapStringToString map;
    const int result = map.parse(text, pairSeparator, keySeparator);
    if (result < -1 || result > text.getLength() + 1) __builtin_trap();
    if (map.getCount() > (result < 0 ? text.getLength() + 1 : result)) __builtin_trap();

    // The parsed pairs fill the text itself in as a template, once with the usual % markers and
    // once with the separators as markers.
    map.substitute(text, "%", "%");
    map.substitute(text, pairSeparator, keySeparator);
    map.substitute(text, "", "");
    map.join(keySeparator, pairSeparator);
    map.parse(text, keySeparator, pairSeparator, false);
    return 0;
}
