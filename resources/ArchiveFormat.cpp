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

namespace {

// A read position in the archive's bytes that never passes their end.
class Cursor {
public:
    Cursor(const unsigned char* bytes, size_t size) : at(bytes), left(size) {}
    size_t remaining() const { return left; }
    bool skip(uint64_t n) {
        if (n > left) n = left;
        at += n;
        left -= size_t(n);
        return true;
    }
    bool byte(unsigned char& value) {
        if (left < 1) return false;
        value = *at;
        return skip(1);
    }
    bool word(uint32_t& value) {
        if (left < 4) return false;
        value = readU32(at);
        return skip(4);
    }
    bool bytes(uint64_t n, std::string& out) {
        if (n > left) return false;
        out.assign(reinterpret_cast<const char*>(at), size_t(n));
        return skip(n);
    }

private:
    const unsigned char* at;
    size_t left;
};

}  // namespace

bool parse(const unsigned char* bytes, size_t size, std::vector<Entry>& entries, std::string& error,
           unsigned char key) {
    entries.clear();
    error.clear();
    Cursor header(bytes, size);
    std::string magic;
    uint32_t headerLength = 0;
    if (!header.bytes(kMagicLength, magic) ||
        magic.compare(0, kMagicLength, kStartMagic, kMagicLength) != 0 || header.remaining() < 12 ||
        !header.word(headerLength))
        return false;
    // The header length counts from behind the start magic, its own word included.
    Cursor in(bytes, size);
    in.skip(uint64_t(kMagicLength) + headerLength);
    for (;;) {
        unsigned char kind = 0;
        if (!in.byte(kind)) {
            error = "Fehler beim Lesen der Kennung";
            return false;
        }
        if (kind == (unsigned char)kEndMagic[0]) return true;
        if (kind != kKindFile) {
            error = "unbekannte Blockkennung: " + std::to_string(kind);
            return false;
        }
        uint32_t nameLength = 0, dataLength = 0;
        Entry entry;
        if (!in.word(nameLength)) {
            error = "Fehler beim Lesen der Namens-L\xE4nge";
            return false;
        }
        if (!in.bytes(nameLength, entry.name)) {
            error = "Fehler beim Lesen des Namens";
            return false;
        }
        // The name becomes a file name in the extraction folder and nothing else.
        if (!isSafeEntryName(entry.name.data(), entry.name.size())) {
            error = "unzul\xE4ssiger Eintragsname: \"" + entry.name + "\"";
            return false;
        }
        if (!in.word(dataLength)) {
            error = "Fehler beim Lesen der Daten-L\xE4nge";
            return false;
        }
        if (dataLength == 0 || !in.bytes(dataLength, entry.data)) {
            error = "Fehler beim Lesen der Daten: " + entry.name + " " + grouped(dataLength);
            return false;
        }
        scramble(reinterpret_cast<unsigned char*>(&entry.data[0]), entry.data.size(), key);
        entries.push_back(std::move(entry));
    }
}

std::string grouped(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
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
