// SComPortSettings::parse on arbitrary settings text: whatever it reads, the text toString prints
// for it parses back to the same line parameters and prints the same again, and the port name is
// always back at its default.
#include "SComPortSettings.h"
#include "SLanguage.h"
#include "SilentDialogs.h"

#include <cstddef>
#include <cstdint>

namespace {

bool sameLine(const SComPortSettings& a, const SComPortSettings& b) {
    return a.baudRate == b.baudRate && a.parity == b.parity && a.dataBits == b.dataBits &&
           a.stopBits == b.stopBits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    globalLanguage().clear();
    const SString text = SString().setRaw(reinterpret_cast<const char*>(data), int(size));
    SComPortSettings first;
    first.parse(text);
    if (first.port != "com1") __builtin_trap();
    if (first.parity < 0 || first.parity > 4 || first.stopBits < 0 || first.stopBits > 2) __builtin_trap();

    const SString printed = first.toString();
    SComPortSettings second;
    second.parse(printed);
    if (!sameLine(first, second)) __builtin_trap();
    const SString again = second.toString();
    if (again.getLength() != printed.getLength() || again != printed) __builtin_trap();
    return 0;
}
