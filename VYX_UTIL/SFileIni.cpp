#include "SFileIni.h"

#include "FileSystemSeam.h"
#include "RawText.h"
#include "SDebug.h"
#include "SStringList.h"
#include "SSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const int kMarkerLength = 16;  // the marker and its '+' or '-'
const int kHeaderLength = 22;  // bytes that are never masked

// Lines typed with a Linux editor end in a bare line feed; the searches know only CR LF, so such
// lines get their CR in memory and are written back with it.
void completeLineEnds(std::string& bytes) {
    size_t bare = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ++bare;
    if (bare == 0) return;
    std::string out;
    out.reserve(bytes.size() + bare);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) out += '\r';
        out += bytes[i];
    }
    bytes.swap(out);
}

SString withCompleteLineEnds(const SString& text) {
    std::string bytes(text.getChars(), size_t(text.getLength()));
    completeLineEnds(bytes);
    return rawText(bytes.data(), int(bytes.size()));
}

// A value is one line: a line break in it would end the line, and what follows would be read as
// a line of its own (a key, or a section header).
SString firstLine(const SString& text) {
    const char* chars = text.getChars();
    int n = 0;
    while (n < text.getLength() && chars[n] != '\r' && chars[n] != '\n')
        ++n;
    return text.left(n);
}

bool endsWithLineEnd(const SString& text) {
    return rawBytesAt(text, text.getLength() - 2, "\r\n", 2);
}

SString joined(const char* a, const SString& b, const char* c) {
    SString text(a);
    text.append(b);
    text.append(c);
    return text;
}

bool nameMatches(const SString& name, const SString& pattern) {
    if (pattern.getLength() == 1 && pattern.getChars()[0] == '*') return true;
    if (pattern.getLength() > 0 && pattern.getChars()[0] == '*') return rawEndsWith(name, pattern.mid(1));
    if (pattern.getLength() > 0 && pattern.getChars()[pattern.getLength() - 1] == '*')
        return rawStartsWith(name, pattern.left(pattern.getLength() - 1));
    return name.getLength() == pattern.getLength() &&
           std::memcmp(name.getChars(), pattern.getChars(), size_t(name.getLength())) == 0;
}

}  // namespace

SFileIni::SFileIni() : modified(false) {}

SFileIni::~SFileIni() {
    if (modified && errorText.isEmpty()) save();
}

int SFileIni::maskFor(const char* text, int length) {
    int n = length < kHeaderLength ? length - kMarkerLength : kHeaderLength - kMarkerLength;
    if (n <= 0) return (0 - maskOffset) & 0xFF;
    int number = SString(std::string(text + kMarkerLength, size_t(n)).c_str()).toInt();
    return (number - maskOffset) & 0xFF;
}

bool SFileIni::open(const SString& name, bool create) {
    // Pending changes belong to the file that is open; without one there is nowhere to save them.
    if (modified && isOpen() && !save()) return false;
    errorText = "";
    FILE* stream = fsOpenStream(name, "rb");
    if (stream == nullptr && create && fsLastError() == ENOENT) stream = fsOpenStream(name, "w+b");
    std::string bytes;
    int error = stream == nullptr ? fsLastError() : 0;
    if (stream != nullptr) {
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
            bytes.append(chunk, n);
        if (std::ferror(stream)) error = fsLastError();
        std::fclose(stream);
    }
    if (stream == nullptr || error != 0) {
        errorText = SSystem::getErrorText(error);
        fileName = "";
        globalDebug().trace(joined("SFileIni::open(..) ", name, " ") + errorText);
        return false;
    }
    if (bytes.compare(0, kMarkerLength, "[vyxContentMask+") == 0) {
        const char mask = char(maskFor(bytes.data(), int(bytes.size())));
        for (size_t i = kHeaderLength; i < bytes.size(); ++i)
            bytes[i] ^= mask;
        bytes[kMarkerLength - 1] = '-';
    }
    completeLineEnds(bytes);
    fileName = name;
    content = rawText(bytes.data(), int(bytes.size()));
    modified = false;
    if (!endsWithLineEnd(content)) content.append("\r\n");
    return true;
}

bool SFileIni::save() {
    errorText = "";
    if (fileName.isEmpty()) return false;
    std::string bytes(content.getChars(), size_t(content.getLength()));
    if (rawBytesAt(content, 0, "[vyxContentMask-", kMarkerLength)) {
        const char mask = char(maskFor(bytes.data(), int(bytes.size())));
        for (size_t i = kHeaderLength; i < bytes.size(); ++i)
            bytes[i] ^= mask;
        bytes[kMarkerLength - 1] = '+';
    }
    if (!fsReplaceFile(fileName, bytes.data(), int(bytes.size()))) {
        errorText = SSystem::getErrorText(fsLastError());
        globalDebug().trace(joined("SFileIni::save(..) ", fileName, " ") + errorText);
        return false;
    }
    modified = false;
    return true;
}

bool SFileIni::locateSection(const SString& section, int& bodyStart, int& bodyEnd) const {
    const SString header = joined("[", section, "]");
    int start = 0;
    if (!rawStartsWith(content, header)) {
        int hit = rawFind(content, joined("\r\n", header, ""), 0);
        if (hit < 0) return false;
        start = hit + 2;
    }
    const char* chars = content.getChars();
    const int length = content.getLength();
    int pos = start + header.getLength();
    while (pos < length && (chars[pos] == ' ' || chars[pos] == '\t'))
        ++pos;
    if (pos < length && chars[pos] == '\r') ++pos;
    if (pos < length && chars[pos] == '\n') ++pos;
    bodyStart = pos;
    if (pos < length && chars[pos] == '[') {
        bodyEnd = pos;
    } else {
        int next = rawFind(content, SString("\r\n["), pos);
        bodyEnd = next < 0 ? length : next + 2;
    }
    return true;
}

bool SFileIni::locateKey(const SString& key, int bodyStart, int bodyEnd, int& lineStart,
                         int& valueStart) const {
    const SString line = joined("\r\n", key, "=");
    int hit = rawFind(content, line, bodyStart - 2);
    if (hit < 0 || hit + 2 < bodyStart || hit + 2 >= bodyEnd) return false;
    lineStart = hit + 2;
    valueStart = hit + line.getLength();
    return true;
}

SString SFileIni::readString(const SString& section, const SString& key, const SString& defaultValue) const {
    int bodyStart, bodyEnd, lineStart, valueStart;
    if (!locateSection(section, bodyStart, bodyEnd) ||
        !locateKey(key, bodyStart, bodyEnd, lineStart, valueStart))
        return defaultValue;
    int end = content.findChar('\r', valueStart);
    if (end < 0) end = content.getLength();
    return content.mid(valueStart, end - valueStart);
}

void SFileIni::insertLine(int pos, const SString& text) {
    // Content that was never loaded may end without a line end; a new line must not join the last.
    if (pos > 0 && !rawBytesAt(content, pos - 2, "\r\n", 2)) {
        content.insert(pos, SString("\r\n"));
        pos += 2;
    }
    content.insert(pos, text);
}

void SFileIni::writeString(const SString& givenSection, const SString& givenKey, const SString& givenValue) {
    modified = true;
    // The content never holds a bare line feed, so what is saved reads back the same.
    const SString section = withCompleteLineEnds(givenSection);
    const SString key = withCompleteLineEnds(givenKey);
    const SString value = firstLine(givenValue);
    SString line(key);
    line.append('=');
    line.append(value);
    line.append("\r\n");
    int bodyStart, bodyEnd, lineStart, valueStart;
    if (!locateSection(section, bodyStart, bodyEnd)) {
        if (!content.isEmpty() && !endsWithLineEnd(content)) content.append("\r\n");
        content.append("\r\n[");
        content.append(section);
        content.append("]\r\n");
        content.append(line);
        return;
    }
    if (!locateKey(key, bodyStart, bodyEnd, lineStart, valueStart)) {
        insertLine(bodyEnd, line);
        return;
    }
    if (value.isEmpty()) {
        int end = rawFind(content, SString("\r\n"), valueStart);
        content.remove(lineStart, end < 0 ? -1 : end + 2 - lineStart);
        return;
    }
    int end = content.findChar('\r', valueStart);
    if (end < 0) end = content.getLength();
    content.remove(valueStart, end - valueStart);
    content.insert(valueStart, value);
}

int SFileIni::readInt(const SString& section, const SString& key, int defaultValue) const {
    return readString(section, key, SString::fromInt(defaultValue)).toInt();
}

void SFileIni::writeInt(const SString& section, const SString& key, int value) {
    writeString(section, key, SString::fromInt(value));
}

int SFileIni::readSection(const SString& section, SStringList& keys, SStringList* values,
                          bool skipComments) const {
    keys.clear();
    if (values != nullptr) values->clear();
    int bodyStart, bodyEnd;
    if (!locateSection(section, bodyStart, bodyEnd)) return 0;
    const SString body = content.mid(bodyStart, bodyEnd - bodyStart);
    const SString lineEnd("\r\n");
    int taken = 0;
    for (int pos = 0; pos < body.getLength();) {
        int end = rawFind(body, lineEnd, pos);
        if (end < 0) end = body.getLength();
        SString line = body.mid(pos, end - pos);
        pos = end + 2;
        line.trim();
        if (line.isEmpty() || (skipComments && line.getChars()[0] == ';')) continue;
        if (values != nullptr) {
            int equals = line.findChar('=');
            SString name = equals < 0 ? line : line.left(equals);
            SString value = equals < 0 ? SString() : line.mid(equals + 1);
            keys.add(name.trim());
            values->add(value.trim());
        } else {
            keys.add(line);
        }
        ++taken;
    }
    return taken;
}

void SFileIni::writeSection(const SString& givenSection, const SString& text) {
    modified = true;
    const SString section = withCompleteLineEnds(givenSection);
    SString body = withCompleteLineEnds(text);
    if (!endsWithLineEnd(body)) body.append("\r\n");
    int bodyStart, bodyEnd;
    if (locateSection(section, bodyStart, bodyEnd)) {
        content.remove(bodyStart, bodyEnd - bodyStart);
        insertLine(bodyStart, body);
        return;
    }
    if (!content.isEmpty() && !endsWithLineEnd(content)) content.append("\r\n");
    content.append("\r\n\r\n[");
    content.append(section);
    content.append("]\r\n");
    content.append(body);
}

int SFileIni::getSectionNames(const SString& patterns, SStringList& names, SStringList* bodies) const {
    SStringList list;
    SString rest;
    rest.append(patterns);
    do {
        list.add(rest.splitOff("|"));
    } while (!rest.isEmpty());

    int added = 0;
    const char* chars = content.getChars();
    const SString lineEnd("\r\n");
    for (int pos = 0; pos < content.getLength();) {
        int next = rawFind(content, lineEnd, pos);
        int end = next < 0 ? content.getLength() : next;
        if (chars[pos] == '[') {
            // The name runs to the "]" on the same line; a line without one is no header.
            const char* close =
                static_cast<const char*>(std::memchr(chars + pos + 1, ']', size_t(end - pos - 1)));
            if (close != nullptr) {
                SString name = content.mid(pos + 1, int(close - chars) - pos - 1);
                bool wanted = false;
                for (int i = 0; i < list.getCount() && !wanted; ++i)
                    wanted = nameMatches(name, list.getAt(i));
                if (wanted && names.find(name) < 0) {
                    names.add(name);
                    if (bodies != nullptr) {
                        int bodyStart = 0, bodyEnd = 0;
                        locateSection(name, bodyStart, bodyEnd);
                        bodies->add(content.mid(bodyStart, bodyEnd - bodyStart).trim());
                    }
                    ++added;
                }
            }
        }
        if (next < 0) break;
        pos = next + 2;
    }
    return added;
}
