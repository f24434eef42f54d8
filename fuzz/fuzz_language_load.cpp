// SLanguage::load on arbitrary language file text, then look-ups of literals built from the same
// bytes: every entry that load reports must be reachable, and translate must stay inside its
// stores.
#include "SLanguage.h"
#include "SilentDialogs.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    SLanguage table;
    const char* text = reinterpret_cast<const char*>(data);
    table.load(text, int(size));
    const int count = table.getCount();
    // A second load appends behind the first.
    table.load(text, int(size));
    if (table.getCount() != 2 * count) __builtin_trap();

    // Literals made of the input's pieces: "\xB3\xB3" + piece + "\xB3\xB3" + default.
    std::string piece;
    for (size_t i = 0; i <= size && i < 4096; ++i) {
        if (i == size || data[i] == '\n' || data[i] == '=') {
            const std::string literal = "\xB3\xB3" + piece + "\xB3\xB3" + "d";
            const char* out = table.translate(literal.c_str());
            if (out == nullptr) __builtin_trap();
            (void)std::strlen(out);
            piece.clear();
        } else if (data[i] != 0) {
            piece += char(data[i]);
        }
    }
    const std::string asLiteral = "\xB3\xB3" + std::string(text, strnlen(text, size));
    (void)std::strlen(table.translate(asLiteral.c_str()));
    table.clear();
    return 0;
}
