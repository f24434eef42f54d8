// archive::parse, the reader's view of the resource archive, on arbitrary bytes, in memory. Byte 0
// chooses the shape: even, the rest is the archive's bytes as they are; odd, the rest follows a
// start magic and header, so that the entry parser is reached at once. Every entry parsed must
// have a name the reader may write into its extraction folder and data, and a parsed archive must
// read back the same once it is built again.
#include "ArchiveFormat.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string bytes;
    if (data[0] & 1) {
        bytes.append(archive::kStartMagic, archive::kMagicLength);
        archive::appendU32(bytes, archive::kHeaderLength);
        archive::appendU32(bytes, archive::kHeaderWord2);
        archive::appendU32(bytes, archive::kHeaderWord3);
    }
    bytes.append(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<archive::Entry> entries;
    std::string error;
    const bool ok =
        archive::parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), entries, error);
    if (ok && !error.empty()) __builtin_trap();
    for (const archive::Entry& e : entries)
        if (!archive::isSafeEntryName(e.name.data(), e.name.size()) || e.data.empty()) __builtin_trap();
    if (!ok) return 0;

    const std::string rebuilt = archive::build(entries, archive::kMinStartOffset);
    std::vector<archive::Entry> again;
    if (!archive::parse(reinterpret_cast<const unsigned char*>(rebuilt.data()), rebuilt.size(), again,
                        error) ||
        again.size() != entries.size())
        __builtin_trap();
    for (size_t i = 0; i < entries.size(); ++i)
        if (again[i].name != entries[i].name || again[i].data != entries[i].data) __builtin_trap();
    return 0;
}
