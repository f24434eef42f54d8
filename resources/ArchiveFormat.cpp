#include "ArchiveFormat.h"

#include <cstring>

namespace archive {
namespace {
// The one marker object of a program image. volatile keeps the compiler from folding the state
// character into the code: the packer changes it in the file, after compilation.
const volatile char kMarker[kMarkerLength + 1] = "zyntravyxr0";
}  // namespace

char markerState() {
    return kMarker[kMarkerLetters];
}

std::string markerLetters() {
    std::string letters;
    for (int i = 0; i < kMarkerLetters; ++i)
        letters += kMarker[i];
    return letters;
}

uint32_t readU32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void appendU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

void scramble(unsigned char* data, size_t length, unsigned char key) {
    for (size_t i = 0; i < length; ++i)
        data[i] ^= key;
}

bool isSafeEntryName(const char* name, size_t length) {
    if (name == nullptr || length == 0) return false;
    if ((length == 1 && name[0] == '.') || (length == 2 && name[0] == '.' && name[1] == '.')) return false;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = (unsigned char)name[i];
        if (c < 0x20 || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

std::string build(const std::vector<Entry>& entries, uint32_t startOffset) {
    std::string out(kStartMagic, kMagicLength);
    appendU32(out, kHeaderLength);
    appendU32(out, kHeaderWord2);
    appendU32(out, kHeaderWord3);
    for (const Entry& e : entries) {
        out += char(kKindFile);
        appendU32(out, uint32_t(e.name.size()));
        out += e.name;
        appendU32(out, uint32_t(e.data.size()));
        const size_t at = out.size();
        out += e.data;
        scramble(reinterpret_cast<unsigned char*>(&out[at]), e.data.size());
    }
    out.append(kEndMagic, kMagicLength);
    appendU32(out, startOffset);
    return out;
}

std::vector<size_t> findMarkers(const std::string& image) {
    const std::string letters = markerLetters();
    std::vector<size_t> found;
    for (size_t at = image.find(letters); at != std::string::npos; at = image.find(letters, at + 1)) {
        const size_t state = at + kMarkerLetters;
        if (state < image.size() && (image[state] == kStateNoArchive || image[state] == kStateArchive))
            found.push_back(at);
    }
    return found;
}

}  // namespace archive
