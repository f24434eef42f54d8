#pragma once

#include "OleTypes.h"

#include <cstdarg>

// The one text type of the program: 8-bit Windows-1252 text with its own length and capacity.
//
// The language table: a localisable literal "\xB3\xB3key\xB3\xB3default" becomes the current
// language's text when it enters a string as characters. Per operation:
//   passes the table   construction and set() from characters (with or without a length),
//                      append(const char*), operator==/!= with characters, startsWith/endsWith,
//                      and the format text of format/appendFormat;
//   bytes as they are  copies and assignments from another SString, append/insert of an SString,
//                      appendRepeated, setRaw, mid/left/right/splitOff, the needles of
//                      find/findReverse/replace and replace's new text, numbers and single
//                      characters, BSTR and VARIANT text (converted to Windows-1252 and kept).
// Text that is already a string was looked up when it became one, so bytes from a file, a
// device or the system stay exactly as they are once they are in a string (setRaw, or rawText()
// of RawText.h), whatever they begin with.
class SString {
public:
    SString();
    SString(const SString& other);
    SString(const char* text);
    SString(const char* text, int length);
    SString(char c);
    SString(int value);
    SString(double value);
    SString(const OLECHAR* wide);
    SString(const VARIANT& variant);
    virtual ~SString();
    virtual const char* getClassName() const { return "SString"; }

    SString& set(const char* text);
    SString& set(const char* text, int length);
    SString& set(const SString& other);
    // Bytes from a file, a device or the system, exactly as they are.
    SString& setRaw(const char* data, int length);
    SString& set(char c);
    SString& set(int value);
    SString& set(double value);
    // A BSTR: converted over its full length, never looked up; null gives "".
    SString& set(const OLECHAR* wide);
    SString& set(const VARIANT& variant);

    SString& operator=(const SString& other) { return set(other); }
    SString& operator=(const char* text) { return set(text); }
    SString& operator=(char c) { return set(c); }

    int getLength() const { return length; }
    const char* getChars() const { return chars; }
    operator const char*() const { return chars; }
    bool isEmpty() const { return length <= 0; }
    int getCharAt(int i) const { return (i < 0 || i >= length) ? 0 : int((signed char)chars[i]); }
    bool setCharAt(int i, char c);
    // UTF-16 copy, owned by the string until the next getWide() or its destruction.
    const OLECHAR* getWide();
    int getPrecision() const { return precision; }
    void setPrecision(int digits) { precision = digits; }
    int getCapacity() const { return capacity; }

    SString& append(const SString& other, int count);
    SString& append(const SString& other);
    SString& append(const char* text);
    SString& append(int value);
    SString& append(char c);
    SString& appendRepeated(const SString& other, int times);
    SString& operator+=(const SString& other) { return append(other); }
    SString& operator+=(const char* text) { return append(text); }
    SString& operator+=(char c) { return append(c); }

    SString mid(int pos, int count) const;
    SString mid(int pos) const;
    SString left(int n) const;
    SString right(int n) const;

    int find(const char* text, int start = 0, bool ignoreCase = false) const;
    int findReverse(const char* text, bool ignoreCase = false) const;
    int findChar(char c, int start = 0) const;
    int findLastChar(char c) const;
    bool startsWith(const char* text, bool ignoreCase = false) const;
    bool endsWith(const char* text, bool ignoreCase = false) const;

    SString& insert(int pos, const SString& other);
    SString& remove(int pos, int count);
    SString& replace(const char* what, const char* with, bool repeat = false);
    SString splitOff(const char* separator);
    SString& trim();
    SString& trimLeft();
    SString& trimRight();
    SString& toLower();
    SString& toUpper();

    int compare(const SString& other, bool ignoreCase = false) const;
    bool operator==(const SString& o) const { return compare(o) == 0; }
    bool operator!=(const SString& o) const { return compare(o) != 0; }
    bool operator<(const SString& o) const { return compare(o) < 0; }
    bool operator>(const SString& o) const { return compare(o) > 0; }
    bool operator<=(const SString& o) const { return compare(o) <= 0; }
    bool operator>=(const SString& o) const { return compare(o) >= 0; }
    bool operator==(const char* text) const;
    bool operator!=(const char* text) const { return !(*this == text); }

    int toInt() const;
    double toDouble() const;
    static SString fromInt(int value, bool separators = true, int radix = 10, int width = -1);

    SString& format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    SString& appendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    SString& formatV(const char* fmt, va_list args);
    SString& appendFormatV(const char* fmt, va_list args);

    static SString htmlEntity(char c);
    SString& htmlEncode();
    SString& urlDecode();

private:
    void init();
    void assign(const char* text, int n);  // raw: no lookup
    void appendRaw(const char* text, int n);
    void resize(int newCapacity);
    void growForAppend(int n);
    void swapBuffers(SString& other);
    static void formatInto(SString& out, const char* fmt, va_list args);

    int precision;
    int capacity;
    char* chars;
    int length;
    OLECHAR* wideChars;
    int wideSize;
};

SString operator+(const SString& a, const SString& b);
SString operator+(const SString& a, const char* b);
SString operator+(const char* a, const SString& b);
