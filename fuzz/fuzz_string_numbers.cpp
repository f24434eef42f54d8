// SString's number and text conversions on arbitrary values: toInt and fromInt (every radix, width
// and the thousands points), toDouble and set(double) at any precision, format with texts past its
// first output limits, urlDecode and htmlEncode, each against a plain model.
// Undefined behaviour (an overflowing shift or sum, a bad cast) stops the run by itself.
#include "FuzzInput.h"
#include "SLanguage.h"
#include "SString.h"
#include "SilentDialogs.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string bytesOf(const SString& s) {
    return std::string(s.getChars(), size_t(s.getLength()));
}

std::string digitsOf(int value, int radix) {
    if (radix < 2 || radix > 36) radix = 10;
    const bool negative = radix == 10 && value < 0;
    unsigned u = negative ? 0u - unsigned(value) : unsigned(value);
    std::string d;
    do {
        d.insert(d.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[u % unsigned(radix)]);
        u /= unsigned(radix);
    } while (u != 0);
    return negative ? "-" + d : d;
}

// Zeros in front up to the width; points before the last 3, 6 and 9 places of values from 1000,
// 1000000 and 1000000000 on.
std::string modelFromInt(int value, bool separators, int radix, int width) {
    std::string s = digitsOf(value, radix);
    while (width > 0 && int(s.size()) < width)
        s.insert(s.begin(), '0');
    if (separators) {
        const int thresholds[] = {1000, 1000000, 1000000000};
        for (int i = 0; i < 3; ++i) {
            if (value < thresholds[i]) break;
            const int at = int(s.size()) - (3 + 4 * i);
            if (at >= 0) s.insert(size_t(at), 1, '.');  // too few places: none
        }
    }
    return s;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%" and the next two characters become the byte their leading hex digits give; a zero byte
// (no digit, or "%00") is dropped. A "%" in the last two places stays as it is.
std::string modelUrlDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            int byte = 0;
            for (size_t k = i + 1; k <= i + 2 && hexValue(s[k]) >= 0; ++k)
                byte = byte * 16 + hexValue(s[k]);
            if (byte != 0) out += char(byte);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string modelHtmlEncode(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch ((unsigned char)c) {
            case '"':
                out += "&quot;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '\'':
                out += "&prime;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case 0xC4:
                out += "&Auml;";
                break;
            case 0xD6:
                out += "&Ouml;";
                break;
            case 0xDC:
                out += "&Uuml;";
                break;
            case 0xDF:
                out += "&szlig;";
                break;
            case 0xE4:
                out += "&auml;";
                break;
            case 0xF6:
                out += "&ouml;";
                break;
            case 0xFC:
                out += "&uuml;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

template <typename... Args>
std::string printed(const char* fmt, Args... args) {
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    std::vector<char> buf(size_t(n) + 1);
    std::snprintf(buf.data(), buf.size(), fmt, args...);
    std::string s(buf.data(), size_t(n));
    if (s.size() > 1000000) s.resize(1000000);  // the longest text format makes
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs::install();
    globalLanguage().clear();
    FuzzInput in(data, size);
    const int value = in.value<int32_t>();
    const uint8_t flags = in.byte();
    const int radix = in.value<int8_t>();
    const int width = in.value<int8_t>();
    const double real = in.value<double>();
    const int precision = in.value<int8_t>();
    // Short padding, or with flag 2 one around the output limits 1000, 10000 and 100000 (the cut
    // at a million costs milliseconds per input; a unit test has it).
    const int limits[] = {1000, 10000, 100000};
    const int step = in.value<uint16_t>();
    const int padding = (flags & 2) ? limits[step % 3] - 20 + (step / 3) % 40 : step % 1200;
    const std::string text = in.rest();
    const char* cText = text.c_str();  // up to the first NUL
    const SString s = SString().setRaw(text.data(), int(text.size()));

    // Integers: printed and read back in every radix the reading knows.
    const bool separators = flags & 1;
    if (bytesOf(SString::fromInt(value, separators, radix, width)) !=
        modelFromInt(value, separators, radix, width))
        __builtin_trap();
    if (SString::fromInt(value, false).toInt() != value) __builtin_trap();
    if (SString(("0x" + digitsOf(value, 16)).c_str()).toInt() != value) __builtin_trap();
    if (SString(("0b" + digitsOf(value, 2)).c_str()).toInt() != value) __builtin_trap();
    if (bytesOf(SString(value)) != std::to_string(value)) __builtin_trap();
    {
        // Decimal text reads like a 64-bit strtol, saturated to the int range.
        const int got = s.toInt();
        if (text.compare(0, 1, "#") != 0 && text.compare(0, 2, "0x") != 0 && text.compare(0, 2, "0b") != 0) {
            errno = 0;
            const long long v = std::strtoll(cText, nullptr, 10);
            if (got != (v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v))) __builtin_trap();
        }
    }

    // Reals: printed with the string's precision (1..100 digits), read back exactly from 17 on.
    {
        SString r;
        r.setPrecision(precision);
        r.set(real);
        const int digits = precision < 1 ? 1 : precision > 100 ? 100 : precision;
        std::string want = printed("%.*g", digits, real);
        if (want.find_first_of(".eEnN") == std::string::npos) want += '.';
        if (bytesOf(r) != want) __builtin_trap();
        const double back = r.toDouble();
        if (std::isfinite(real) && digits >= 17 && back != real) __builtin_trap();
        if (std::isnan(real) != std::isnan(back)) __builtin_trap();
        if (s.toDouble() != std::atof(cText) && !std::isnan(s.toDouble())) __builtin_trap();
    }

    // format: numbers, the text, and a padded text past the first output limits.
    {
        SString f;
        f.format("%d|%s|%x|%.3f", value, cText, unsigned(value), std::isfinite(real) ? real : 0.0);
        if (bytesOf(f) !=
            printed("%d|%s|%x|%.3f", value, cText, unsigned(value), std::isfinite(real) ? real : 0.0))
            __builtin_trap();
        f.appendFormat("%*s", padding, cText);
        const std::string head =
            printed("%d|%s|%x|%.3f", value, cText, unsigned(value), std::isfinite(real) ? real : 0.0);
        std::string want = head + printed("%*s", padding, cText);
        if (want.size() > head.size() + 1000000) want.resize(head.size() + 1000000);
        if (bytesOf(f) != want) __builtin_trap();
        // Appended behind raw bytes, NULs included, which all stay.
        SString behind(s);
        behind.appendFormat("%d", value);
        if (bytesOf(behind) != text + std::to_string(value)) __builtin_trap();
        // The string's own text as an argument.
        SString own = SString().setRaw(cText, int(std::string(cText).size()));
        own.format("<%s>", own.getChars());
        if (bytesOf(own) != "<" + std::string(cText) + ">") __builtin_trap();
    }

    SString decoded(s);
    decoded.urlDecode();
    if (bytesOf(decoded) != modelUrlDecode(text)) __builtin_trap();
    SString encoded(s);
    encoded.htmlEncode();
    if (bytesOf(encoded) != modelHtmlEncode(text)) __builtin_trap();
    return 0;
}
