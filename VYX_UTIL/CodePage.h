#pragma once

#include <string>

// Conversions between the program's Windows-1252 text and the UTF-16 / UTF-8 the platform speaks.
// 0x80..0x9F follow Windows-1252 (0x80 is U+20AC, ...); its five unassigned bytes map to the C1
// control characters of the same value and back. Characters that have no Windows-1252 form become
// '?'. Only the seams (BSTR, GTK, WebKit) use these.
namespace codepage {

char16_t toUtf16(unsigned char c);
char fromUtf16(char16_t c);  // '?' when the character has no Windows-1252 form

std::u16string cp1252ToUtf16(const char* text, int length);
std::string utf16ToCp1252(const char16_t* text, int length);

std::string cp1252ToUtf8(const char* text, int length);
// Malformed UTF-8 bytes become '?' one by one; characters outside the BMP become '?'.
std::string utf8ToCp1252(const char* text, int length);

}  // namespace codepage
