// The split of the device's identification line (Zyntra::versionField) on arbitrary bytes, NULs
// and marker bytes included, against a plain model: the bytes between the first and the second
// 0xF7, all after the first when there is no second, nothing without one.
#include "SLanguage.h"
#include "SilentDialogs.h"
#include "Zyntra.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    globalLanguage().clear();
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::string want;
    const size_t first = line.find('\xF7');
    if (first != std::string::npos) {
        const size_t second = line.find('\xF7', first + 1);
        want = line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    }
    const SString answer = SString().setRaw(line.data(), int(line.size()));
    const SString got = Zyntra::versionField(answer);
    if (std::string(got.getChars(), size_t(got.getLength())) != want) __builtin_trap();
    // The line itself is left as it was.
    if (std::string(answer.getChars(), size_t(answer.getLength())) != line) __builtin_trap();
    return 0;
}
