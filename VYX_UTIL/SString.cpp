#include "SString.h"

#include "CodePage.h"
#include "SLanguage.h"

#include <strings.h>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

[[noreturn]] void allocationFailed(const char* condition) {
    std::fprintf(stderr, "SString: assertion failed: %s\n", condition);
    std::abort();
}

// The language table decides nothing for texts that do not start with the marker pair, so that
// test is made here, inline, and almost every assignment never leaves this file.
inline const char* lookup(const char* text) {
    if (text != nullptr && (unsigned char)text[0] == 0xB3 && (unsigned char)text[1] == 0xB3)
        return globalLanguage().translate(text);
    return text;
}

inline char lowerOf(char c) {
    unsigned char u = (unsigned char)c;
    if (u >= 'A' && u <= 'Z') return char(u + 32);
    if (u == 0xC4 || u == 0xD6 || u == 0xDC) return char(u + 0x20);
    return c;
}

inline char upperOf(char c) {
    unsigned char u = (unsigned char)c;
    if (u >= 'a' && u <= 'z') return char(u - 32);
    if (u == 0xE4 || u == 0xF6 || u == 0xFC) return char(u - 0x20);
    return c;
}

// Windows' _ltoa: lower-case digits, a sign only in radix 10, other radixes see the 32-bit
// pattern as unsigned.
void ltoa32(int value, char* out, int radix) {
    if (radix < 2 || radix > 36) radix = 10;
    char tmp[40];
    int n = 0;
    bool negative = radix == 10 && value < 0;
    unsigned u = negative ? 0u - unsigned(value) : unsigned(value);
    do {
        unsigned d = u % unsigned(radix);
        tmp[n++] = char(d < 10 ? '0' + d : 'a' + d - 10);
        u /= unsigned(radix);
    } while (u != 0);
    int k = 0;
    if (negative) out[k++] = '-';
    while (n > 0)
        out[k++] = tmp[--n];
    out[k] = 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

// ---- construction and storage ------------------------------------------------------------------

void SString::init() {
    precision = 10;
    capacity = 10;
    length = 0;
    wideChars = nullptr;
    wideSize = 0;
    chars = static_cast<char*>(std::calloc(1, size_t(capacity)));
    if (chars == nullptr) allocationFailed("pBuffer");
}

SString::SString() {
    init();
}
SString::SString(const SString& other) {
    init();
    set(other);
}
SString::SString(const char* text) {
    init();
    set(text);
}
SString::SString(const char* text, int n) {
    init();
    set(text, n);
}
SString::SString(char c) {
    init();
    set(c);
}
SString::SString(int value) {
    init();
    set(value);
}
SString::SString(double value) {
    init();
    set(value);
}
SString::SString(const OLECHAR* wide) {
    init();
    set(wide);
}
SString::SString(const VARIANT& variant) {
    init();
    set(variant);
}

SString::~SString() {
    std::free(chars);
    std::free(wideChars);
}

void SString::resize(int newCapacity) {
    char* p = static_cast<char*>(std::realloc(chars, size_t(newCapacity)));
    if (p == nullptr) allocationFailed("p2");
    // New bytes are zero, so the buffer past the terminator is always clean.
    if (newCapacity > capacity) std::memset(p + capacity, 0, size_t(newCapacity - capacity));
    chars = p;
    capacity = newCapacity;
}

void SString::assign(const char* text, int n) {
    if (n < 0) n = 0;
    if (capacity <= n + 2 || capacity > n + 10) {
        // The source may live inside our own buffer (s.set(s.getChars() + 2)): copy it first.
        if (text >= chars && text < chars + capacity) {
            SString copy;
            copy.assign(text, n);
            assign(copy.chars, copy.length);
            return;
        }
        resize(n + 100);
    }
    std::memmove(chars, text, size_t(n));
    chars[n] = 0;
    length = n;
}

void SString::growForAppend(int n) {
    if (length + n + 1 >= capacity) resize(length + n + 100);
}

void SString::appendRaw(const char* text, int n) {
    if (n <= 0) return;
    if (text >= chars && text < chars + capacity) {
        SString copy;
        copy.assign(text, n);
        appendRaw(copy.chars, copy.length);
        return;
    }
    growForAppend(n);
    std::memcpy(chars + length, text, size_t(n));
    length += n;
    chars[length] = 0;
}

// ---- set family --------------------------------------------------------------------------------

SString& SString::set(const char* text) {
    if (text == nullptr) {
        assign("", 0);
        return *this;
    }
    const char* t = lookup(text);
    assign(t, int(std::strlen(t)));
    return *this;
}

SString& SString::set(const char* text, int n) {
    if (text == nullptr) {
        assign("", 0);
        return *this;
    }
    // A text with a known length need not end in a NUL (received bytes, a piece of a buffer):
    // only its n bytes are read, and a literal is looked up from a terminated copy of them.
    if (n >= 2 && (unsigned char)text[0] == 0xB3 && (unsigned char)text[1] == 0xB3) {
        SString raw;
        raw.assign(text, n);
        const char* t = lookup(raw.chars);
        assign(t, t == raw.chars ? raw.length : int(std::strlen(t)));
        return *this;
    }
    assign(text, n);
    return *this;
}

SString& SString::set(const SString& other) {
    if (&other != this) assign(other.chars, other.length);
    return *this;
}

SString& SString::setRaw(const char* data, int n) {
    if (data == nullptr || n < 0) n = 0;
    assign(data ? data : "", n);
    return *this;
}

SString& SString::set(char c) {
    resize(2);
    chars[0] = c;
    chars[1] = 0;
    length = 1;
    return *this;
}

SString& SString::set(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", value);
    assign(buf, int(std::strlen(buf)));
    return *this;
}

SString& SString::set(double value) {
    // The runtime's _gcvt form: %g with the string's precision, and a decimal point kept even
    // when no fraction follows ("100.").
    int digits = precision < 1 ? 1 : precision > 100 ? 100 : precision;
    char buf[160];
    std::snprintf(buf, sizeof buf, "%.*g", digits, value);
    if (std::strpbrk(buf, ".eEnN") == nullptr) std::strcat(buf, ".");
    assign(buf, int(std::strlen(buf)));
    return *this;
}

SString& SString::set(const OLECHAR* wide) {
    if (wide == nullptr) {
        assign("", 0);
        return *this;
    }
    // Text from the page is what the user typed or the page holds, never a literal of the program.
    std::string text = codepage::utf16ToCp1252(wide, int(SysStringLen(const_cast<BSTR>(wide))));
    return setRaw(text.data(), int(text.size()));
}

SString& SString::set(const VARIANT& variant) {
    if (variant.vt == VT_BSTR) return set(variant.bstrVal);
    VARIANT converted;
    VariantInit(&converted);
    if (SUCCEEDED(VariantChangeType(&converted, &variant, 0, VT_BSTR)))
        set(converted.bstrVal);
    else
        assign("", 0);
    VariantClear(&converted);
    return *this;
}

// ---- access ------------------------------------------------------------------------------------

bool SString::setCharAt(int i, char c) {
    if (i < 0 || i >= length) return false;
    chars[i] = c;
    return true;
}

const OLECHAR* SString::getWide() {
    std::free(wideChars);
    wideSize = int((length + 1) * sizeof(OLECHAR));
    wideChars = static_cast<OLECHAR*>(std::malloc(size_t(wideSize)));
    if (wideChars == nullptr) allocationFailed("pBufferW");
    for (int i = 0; i < length; ++i)
        wideChars[i] = codepage::toUtf16((unsigned char)chars[i]);
    wideChars[length] = 0;
    return wideChars;
}

// ---- append family -----------------------------------------------------------------------------

SString& SString::append(const SString& other, int count) {
    if (count < 0 || count >= other.length) count = other.length;
    appendRaw(other.chars, count);
    return *this;
}

SString& SString::append(const SString& other) {
    appendRaw(other.chars, other.length);
    return *this;
}

SString& SString::append(const char* text) {
    if (text == nullptr) return *this;
    const char* t = lookup(text);
    appendRaw(t, int(std::strlen(t)));
    return *this;
}

SString& SString::append(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", value);
    appendRaw(buf, int(std::strlen(buf)));
    return *this;
}

SString& SString::append(char c) {
    appendRaw(&c, 1);
    return *this;
}

SString& SString::appendRepeated(const SString& other, int times) {
    if (times <= 0 || other.length == 0) return *this;
    // other may be *this; its bytes are copied raw, so a text starting with the literal marker is
    // not looked up a second time.
    SString piece;
    piece.assign(other.chars, other.length);
    const long long total = (long long)length + (long long)piece.length * times;
    if (total >= INT_MAX - 100) return *this;
    if (capacity < total + 1) resize(int(total) + 100);
    for (int i = 0; i < times; ++i) {
        if (piece.length == 1)
            chars[length] = piece.chars[0];
        else
            std::memcpy(chars + length, piece.chars, size_t(piece.length));
        length += piece.length;
    }
    chars[length] = 0;
    return *this;
}

SString operator+(const SString& a, const SString& b) {
    SString r(a);
    r.append(b);
    return r;
}
SString operator+(const SString& a, const char* b) {
    SString r(a);
    r.append(b);
    return r;
}
SString operator+(const char* a, const SString& b) {
    SString r(a);
    r.append(b);
    return r;
}

// ---- substrings --------------------------------------------------------------------------------

SString SString::mid(int pos, int count) const {
    SString r;
    if (pos < 0) pos += length;
    if (pos < 0) pos = 0;  // still before the start: the result starts at the beginning
    if (pos > length) return r;
    if (count < 0) count = (length + count - pos) > 0 ? length + count - pos : 0;
    if (count > length - pos) count = length - pos;
    r.assign(chars + pos, count);
    return r;
}

SString SString::mid(int pos) const {
    return mid(pos, length);
}

SString SString::left(int n) const {
    return mid(0, n);
}

SString SString::right(int n) const {
    if (n <= 0) return SString();  // the last 0 characters, not the whole text
    return mid(-n);
}

// ---- searching ---------------------------------------------------------------------------------

int SString::find(const char* text, int start, bool ignoreCase) const {
    if (text == nullptr) return -1;
    if (start < 0) start = 0;
    if (start >= length) return -1;
    const int n = int(std::strlen(text));
    if (!ignoreCase) {
        for (int pos = start; pos + n <= length; ++pos)
            if (std::memcmp(chars + pos, text, size_t(n)) == 0) return pos;
        return -1;
    }
    // The needle is bytes to look for, never a literal for the language table: both case copies
    // are its raw bytes, so each holds exactly n of them.
    SString upper, lower;
    upper.setRaw(text, n).toUpper();
    lower.setRaw(text, n).toLower();
    for (int pos = start; pos + n <= length; ++pos) {
        int k = 0;
        while (k < n && (chars[pos + k] == upper.chars[k] || chars[pos + k] == lower.chars[k]))
            ++k;
        if (k == n) return pos;
    }
    return -1;
}

int SString::findReverse(const char* text, bool ignoreCase) const {
    if (text == nullptr) return -1;
    const int n = int(std::strlen(text));
    if (!ignoreCase) {
        for (int pos = length - n; pos >= 0; --pos)
            if (std::memcmp(chars + pos, text, size_t(n)) == 0) return pos;
        return -1;
    }
    SString upper, lower;  // raw bytes, as in find()
    upper.setRaw(text, n).toUpper();
    lower.setRaw(text, n).toLower();
    for (int pos = length - n; pos >= 0; --pos) {
        int k = n - 1;
        while (k >= 0 && (chars[pos + k] == upper.chars[k] || chars[pos + k] == lower.chars[k]))
            --k;
        if (k < 0) return pos;
    }
    return -1;
}

int SString::findChar(char c, int start) const {
    if (start < 0) start = 0;
    for (int i = start; i < length; ++i)
        if (chars[i] == c) return i;
    return -1;
}

int SString::findLastChar(char c) const {
    for (int i = length - 1; i >= 0; --i)
        if (chars[i] == c) return i;
    return -1;
}

bool SString::startsWith(const char* text, bool ignoreCase) const {
    if (text == nullptr) return false;
    SString pattern(text);
    if (pattern.length > length) return false;
    SString head = left(pattern.length);
    if (ignoreCase) {
        head.toLower();
        pattern.toLower();
    }
    return std::memcmp(head.chars, pattern.chars, size_t(pattern.length)) == 0;
}

bool SString::endsWith(const char* text, bool ignoreCase) const {
    if (text == nullptr) return false;
    SString pattern(text);
    if (pattern.length > length) return false;
    SString tail = right(pattern.length);
    if (ignoreCase) {
        tail.toLower();
        pattern.toLower();
    }
    return std::memcmp(tail.chars, pattern.chars, size_t(pattern.length)) == 0;
}

// ---- editing -----------------------------------------------------------------------------------

SString& SString::insert(int pos, const SString& other) {
    if (pos < 0) pos += length;
    if (pos < 0) return *this;
    if (pos >= length) {
        appendRaw(other.chars, other.length);
        return *this;
    }
    // other may be *this; its bytes are copied raw, so a text starting with the literal marker is
    // not looked up a second time.
    SString piece;
    piece.assign(other.chars, other.length);
    growForAppend(piece.length);
    std::memmove(chars + pos + piece.length, chars + pos, size_t(length - pos));
    std::memcpy(chars + pos, piece.chars, size_t(piece.length));
    length += piece.length;
    chars[length] = 0;
    return *this;
}

SString& SString::remove(int pos, int count) {
    if (pos < 0 || pos >= length) return *this;
    if (count < -1) return *this;  // no defined meaning: refused
    if (count == -1 || count > length - pos) count = length - pos;
    std::memmove(chars + pos, chars + pos + count, size_t(length - pos - count));
    length -= count;
    std::memset(chars + length, 0, size_t(count));
    return *this;
}

SString& SString::replace(const char* what, const char* with, bool repeat) {
    if (what == nullptr || *what == 0) return *this;  // an empty search text would never end
    if (with == nullptr) with = "";
    const int whatLength = int(std::strlen(what));
    const int withLength = int(std::strlen(with));
    if (repeat && std::strstr(with, what) != nullptr) return *this;  // would never end

    if (!repeat) {
        int pos = find(what, 0);
        if (pos < 0) return *this;
        SString result;
        int from = 0;
        while (pos >= 0) {
            result.appendRaw(chars + from, pos - from);
            result.appendRaw(with, withLength);
            from = pos + whatLength;
            pos = from < length ? find(what, from) : -1;
        }
        result.appendRaw(chars + from, length - from);
        assign(result.chars, result.length);
        return *this;
    }

    // Each round replaces the first occurrence and searches again. Nothing before that position
    // matched, so a new occurrence can begin no earlier than whatLength - 1 characters before it.
    // The replacement is bytes like the search text, as in the single pass above: never a
    // literal for the language table.
    const SString replacement = SString().setRaw(with, withLength);
    int pos = find(what, 0);
    while (pos >= 0) {
        remove(pos, whatLength);
        insert(pos, replacement);
        int from = pos - whatLength + 1;
        pos = find(what, from < 0 ? 0 : from);
    }
    return *this;
}

SString SString::splitOff(const char* separator) {
    int pos = (separator != nullptr && *separator != 0) ? find(separator, 0) : -1;
    SString head;
    if (pos < 0) {
        head.assign(chars, length);
        assign("", 0);
        return head;
    }
    head.assign(chars, pos);
    remove(0, pos + int(std::strlen(separator)));
    return head;
}

SString& SString::trimLeft() {
    int i = 0;
    while (i < length && (unsigned char)chars[i] <= 0x20)
        ++i;
    if (i > 0) remove(0, i);
    length = int(std::strlen(chars));
    return *this;
}

SString& SString::trimRight() {
    int end = length;
    while (end > 0 && (unsigned char)chars[end - 1] <= 0x20)
        --end;
    std::memset(chars + end, 0, size_t(length - end));
    length = int(std::strlen(chars));
    return *this;
}

SString& SString::trim() {
    trimRight();
    return trimLeft();
}

SString& SString::toLower() {
    for (int i = 0; i < length; ++i)
        chars[i] = lowerOf(chars[i]);
    return *this;
}

SString& SString::toUpper() {
    for (int i = 0; i < length; ++i)
        chars[i] = upperOf(chars[i]);
    return *this;
}

// ---- comparison --------------------------------------------------------------------------------

int SString::compare(const SString& other, bool ignoreCase) const {
    int r = ignoreCase ? strcasecmp(chars, other.chars) : std::strcmp(chars, other.chars);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

bool SString::operator==(const char* text) const {
    if (text == nullptr) return length == 0;
    return std::strcmp(chars, lookup(text)) == 0;
}

// ---- numbers -----------------------------------------------------------------------------------

int SString::toInt() const {
    if (length >= 7 && chars[0] == '#') {
        unsigned v = 0;
        for (int i = 1; i <= 6; ++i) {
            int d = hexDigit(chars[i]);
            if (d < 0) break;
            v = (v << 4) | unsigned(d);
        }
        // 0xRRGGBB becomes the Windows colour order 0x00BBGGRR.
        return int(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
    }
    if (length >= 3 && chars[0] == '0' && chars[1] == 'x') {
        uint32_t v = 0;
        for (int i = 2; i < length; ++i) {
            int d = hexDigit(chars[i]);
            if (d < 0) break;
            v = (v << 4) | uint32_t(d);
        }
        return int(v);
    }
    if (length >= 3 && chars[0] == '0' && chars[1] == 'b') {
        uint32_t v = 0;
        for (int i = 2; i < length && i < 2 + 33; ++i) {
            if (chars[i] != '0' && chars[i] != '1') break;
            v = (v << 1) | uint32_t(chars[i] - '0');
        }
        return int(v);
    }
    // atol of a 32-bit long: out-of-range values saturate.
    errno = 0;
    long v = std::strtol(chars, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}

double SString::toDouble() const {
    return std::atof(chars);
}

SString SString::fromInt(int value, bool separators, int radix, int width) {
    char buf[40];
    ltoa32(value, buf, radix);
    SString r(buf);
    while (width > 0 && r.length < width)
        r.insert(0, SString("0"));
    if (separators) {
        if (value >= 1000) r.insert(-3, SString("."));
        if (value > 999999) r.insert(-7, SString("."));
        if (value > 999999999) r.insert(-11, SString("."));
    }
    return r;
}

// ---- formatting --------------------------------------------------------------------------------

SString& SString::format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    formatV(fmt, args);
    va_end(args);
    return *this;
}

SString& SString::appendFormat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    appendFormatV(fmt, args);
    va_end(args);
    return *this;
}

// Formats behind position start of out, trying output limits of 1000, 10000, 100000 and 1000000
// characters; longer output stays cut at 1000000.
void SString::formatInto(SString& out, const char* fmt, va_list args) {
    static const int kLimits[] = {1000, 10000, 100000, 1000000};
    const int start = out.length;
    for (int limit : kLimits) {
        if (out.capacity < start + limit + 1) out.resize(start + limit + 1);
        va_list copy;
        va_copy(copy, args);
        int written = std::vsnprintf(out.chars + start, size_t(limit) + 1, fmt, copy);
        va_end(copy);
        if (written < 0) {
            out.chars[start] = 0;
            break;
        }
        if (written <= limit) break;
    }
    // The text in front of start may hold NUL bytes (received data); only the new part ends at
    // its terminator.
    out.length = start + int(std::strlen(out.chars + start));
}

void SString::swapBuffers(SString& other) {
    std::swap(chars, other.chars);
    std::swap(capacity, other.capacity);
    std::swap(length, other.length);
}

// Both format into a separate buffer, so an argument may be this string's own text.
SString& SString::formatV(const char* fmt, va_list args) {
    if (fmt == nullptr) return *this;
    SString out;
    formatInto(out, lookup(fmt), args);
    swapBuffers(out);
    return *this;
}

SString& SString::appendFormatV(const char* fmt, va_list args) {
    if (fmt == nullptr) return *this;
    SString out;
    out.assign(chars, length);
    formatInto(out, lookup(fmt), args);
    swapBuffers(out);
    return *this;
}

// ---- HTML and URL ------------------------------------------------------------------------------

SString SString::htmlEntity(char c) {
    switch ((unsigned char)c) {
        case 0x22:
            return SString("&quot;");
        case 0x26:
            return SString("&amp;");
        case 0x27:
            return SString("&prime;");
        case 0x3C:
            return SString("&lt;");
        case 0x3E:
            return SString("&gt;");
        case 0xC4:
            return SString("&Auml;");
        case 0xD6:
            return SString("&Ouml;");
        case 0xDC:
            return SString("&Uuml;");
        case 0xDF:
            return SString("&szlig;");
        case 0xE4:
            return SString("&auml;");
        case 0xF6:
            return SString("&ouml;");
        case 0xFC:
            return SString("&uuml;");
        default:
            return SString(c);
    }
}

SString& SString::htmlEncode() {
    SString result;
    for (int i = 0; i < length; ++i) {
        SString entity = htmlEntity(chars[i]);
        result.appendRaw(entity.chars, entity.length);
    }
    assign(result.chars, result.length);
    return *this;
}

SString& SString::urlDecode() {
    SString result;
    for (int i = 0; i < length; ++i) {
        if (chars[i] == '%' && i < length - 2) {
            char hex[5] = {'0', 'x', chars[i + 1], chars[i + 2], 0};
            int byte = SString(hex).toInt();
            if (byte != 0) result.append(char(byte));
            i += 2;
        } else {
            result.append(chars[i]);
        }
    }
    assign(result.chars, result.length);
    return *this;
}
