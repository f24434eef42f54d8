#include "CodePage.h"

namespace codepage {
namespace {
// Windows-1252 0x80..0x9F. The unassigned bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D pass through as C1.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}
}  // namespace

char16_t toUtf16(unsigned char c) {
    return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : char16_t(c);
}

char fromUtf16(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return char(0x80 + i);
    return '?';
}

std::u16string cp1252ToUtf16(const char* text, int length) {
    std::u16string out;
    out.reserve(size_t(length > 0 ? length : 0));
    for (int i = 0; i < length; ++i)
        out += toUtf16((unsigned char)text[i]);
    return out;
}

std::string utf16ToCp1252(const char16_t* text, int length) {
    std::string out;
    out.reserve(size_t(length > 0 ? length : 0));
    for (int i = 0; i < length; ++i) {
        // A surrogate pair is one character outside the BMP: one '?'.
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        out += fromUtf16(text[i]);
    }
    return out;
}

std::string cp1252ToUtf8(const char* text, int length) {
    std::string out;
    out.reserve(size_t(length > 0 ? length : 0));
    for (int i = 0; i < length; ++i)
        appendUtf8(out, toUtf16((unsigned char)text[i]));
    return out;
}

std::string utf8ToCp1252(const char* text, int length) {
    std::string out;
    out.reserve(size_t(length > 0 ? length : 0));
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    int i = 0;
    while (i < length) {
        unsigned c = s[i];
        int extra = c < 0x80             ? 0
                    : (c & 0xE0) == 0xC0 ? 1
                    : (c & 0xF0) == 0xE0 ? 2
                    : (c & 0xF8) == 0xF0 ? 3
                                         : -1;
        if (extra < 0 || i + extra >= length) {
            out += '?';
            ++i;
            continue;
        }
        unsigned cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += cp > 0xFFFF ? '?' : fromUtf16(char16_t(cp));
        i += extra + 1;
    }
    return out;
}

}  // namespace codepage
