// SString's searches and pieces against a plain std::string model: find and findReverse (with and
// without case), replace (once and repeated), mid, left and right. The subject is raw bytes, NULs
// included; needles and replacements are C texts, so they end at their first NUL. A needle that
// starts with the literal marker is bytes to look for like any other.
#include "FuzzInput.h"
#include "SLanguage.h"
#include "SString.h"
#include "SilentDialogs.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string bytesOf(const SString& s) {
    return std::string(s.getChars(), size_t(s.getLength()));
}

std::string cText(const std::string& s) {
    return s.substr(0, s.find('\0'));
}

// Case folding of the program's text: ASCII letters and the three umlaut pairs.
unsigned char fold(char c) {
    const unsigned char u = (unsigned char)c;
    if (u >= 'A' && u <= 'Z') return u + 32;
    if (u == 0xC4 || u == 0xD6 || u == 0xDC) return u + 0x20;
    return u;
}

bool matchesAt(const std::string& s, size_t pos, const std::string& needle, bool ignoreCase) {
    for (size_t k = 0; k < needle.size(); ++k)
        if (ignoreCase ? fold(s[pos + k]) != fold(needle[k]) : s[pos + k] != needle[k]) return false;
    return true;
}

int modelFind(const std::string& s, const std::string& needle, int start, bool ignoreCase) {
    if (start < 0) start = 0;
    if (size_t(start) >= s.size()) return -1;
    for (size_t pos = size_t(start); pos + needle.size() <= s.size(); ++pos)
        if (matchesAt(s, pos, needle, ignoreCase)) return int(pos);
    return -1;
}

int modelFindReverse(const std::string& s, const std::string& needle, bool ignoreCase) {
    if (needle.size() > s.size()) return -1;
    for (size_t pos = s.size() - needle.size() + 1; pos-- > 0;)
        if (matchesAt(s, pos, needle, ignoreCase)) return int(pos);
    return -1;
}

// Every occurrence, left to right, without overlaps; repeated: the first occurrence again and
// again until none is left. False when the repeated form does not settle within the limits.
bool modelReplace(std::string& s, const std::string& what, const std::string& with, bool repeat) {
    if (what.empty()) return true;
    if (!repeat) {
        std::string out;
        size_t from = 0;
        for (size_t pos = s.find(what); pos != std::string::npos; pos = s.find(what, from)) {
            out.append(s, from, pos - from);
            out += with;
            from = pos + what.size();
        }
        out.append(s, from, std::string::npos);
        s = out;
        return true;
    }
    if (with.find(what) != std::string::npos) return true;  // refused: would never end
    for (int round = 0; round < 4096; ++round) {
        const size_t pos = s.find(what);
        if (pos == std::string::npos) return true;
        s.replace(pos, what.size(), with);
        if (s.size() > 65536) return false;
    }
    return false;
}

std::string modelMid(const std::string& s, int pos, int count) {
    const int length = int(s.size());
    if (pos < 0) pos += length;
    if (pos < 0) pos = 0;
    if (pos > length) return std::string();
    if (count < 0) count = length + count - pos > 0 ? length + count - pos : 0;
    if (count > length - pos) count = length - pos;
    return s.substr(size_t(pos), size_t(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    globalLanguage().clear();
    FuzzInput in(data, size);
    const uint8_t flags = in.byte();
    const bool ignoreCase = flags & 1;
    const bool repeat = flags & 2;
    const int start = in.value<int8_t>();
    const int pos = in.value<int16_t>();
    const int count = in.value<int16_t>();
    const std::string needle = cText(in.shortPiece());
    const std::string with = cText(in.shortPiece());
    const std::string subject = in.rest();
    const SString s = SString().setRaw(subject.data(), int(subject.size()));

    if (s.find(needle.c_str(), start, ignoreCase) != modelFind(subject, needle, start, ignoreCase))
        __builtin_trap();
    if (s.findReverse(needle.c_str(), ignoreCase) != modelFindReverse(subject, needle, ignoreCase))
        __builtin_trap();

    std::string replaced = subject;
    if (modelReplace(replaced, needle, with, repeat)) {
        SString r(s);
        r.replace(needle.c_str(), with.c_str(), repeat);
        if (bytesOf(r) != replaced) __builtin_trap();
    }

    if (bytesOf(s.mid(pos, count)) != modelMid(subject, pos, count)) __builtin_trap();
    if (bytesOf(s.mid(pos)) != modelMid(subject, pos, int(subject.size()))) __builtin_trap();
    if (bytesOf(s.left(count)) != modelMid(subject, 0, count)) __builtin_trap();
    const std::string right = count <= 0 ? std::string() : modelMid(subject, -count, int(subject.size()));
    if (bytesOf(s.right(count)) != right) __builtin_trap();
    return 0;
}
