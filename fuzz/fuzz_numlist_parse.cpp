// SNumList's parse and split on arbitrary text: the send lists a user types into the page.
#include "SNumList.h"
#include "SilentDialogs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    const SString text(reinterpret_cast<const char*>(data), int(size));

    SNumList checked;
    SString rejected;
    const bool ok = checked.parse(text, true, &rejected);
    SNumList unchecked;
    if (!unchecked.parse(text)) __builtin_trap();  // without a check every token is taken
    if (ok) {
        // With every token accepted, both walks must have added the same values.
        if (checked.getCount() != unchecked.getCount()) __builtin_trap();
        for (int i = 0; i < checked.getCount(); ++i)
            if (checked.getAt(i) != unchecked.getAt(i)) __builtin_trap();
    } else if (rejected.isEmpty()) {
        __builtin_trap();  // a failed parse names the token it stopped at
    }
    checked.parse(text, false, &rejected);

    // split: the first one or two bytes are the separator.
    if (size > 0) {
        const int sepLength = (data[0] & 1) && size > 1 ? 2 : 1;
        const SString separator(reinterpret_cast<const char*>(data), sepLength);
        const SString rest(reinterpret_cast<const char*>(data) + sepLength, int(size) - sepLength);
        SNumList parts;
        const int n = parts.split(rest, separator);
        if (n != parts.getCount() || n > rest.getLength() + 1) __builtin_trap();
    }
    return 0;
}
