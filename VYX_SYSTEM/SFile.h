#pragma once

#include "SString.h"

#include <cstdio>

class SMem;

// One open file on the C runtime's stream, and helpers that read or write a whole file.
// Failures give false (0, "") and leave a message in the error text; the ones marked below also
// show a message box unless the caller asks for quiet operation.
class SFile {
public:
    SFile();
    SFile(const SFile&) = delete;
    SFile& operator=(const SFile&) = delete;
    virtual ~SFile();
    virtual const char* getClassName() const { return "SFile"; }

    // Closes an open file first. A mode with neither "t" nor "b" gets "b": binary by default.
    // Unless quiet, a failure is shown in a box titled "Fehler SFile::open(..)".
    bool open(const SString& name, const SString& mode = "rb", bool quiet = false);
    // False when writing out the buffered bytes failed (the error text says why).
    bool close();
    bool isOpen() const { return stream != nullptr; }
    // Full path of the open file, "" when closed.
    const SString& getPath() const { return path; }
    // The mode the file was opened with, after the binary default was applied.
    const SString& getMode() const { return mode; }
    const SString& getErrorText() const { return errorText; }

    // count bytes from the current position (-1: up to the end); fewer at the end of the file.
    SString read(int count = -1);
    // The number of bytes read; 0 on an error (without an open file also a message box).
    int readBytes(void* buffer, int count);
    // The next line, without its line feed (a carriage return before it stays), exactly as its
    // bytes are. False at the end of the file, and on an error, which the error text then names.
    bool readLine(SString& line);
    bool write(const void* bytes, int count);
    bool write(const SString& text);
    // origin 0 start, 1 current position, 2 end; with origin 2 a positive offset counts back.
    bool seek(long offset, int origin = 0);
    long tell();
    // Size in bytes; the position is kept. Without an open file a message box and 0.
    long getSize();
    // Creates a file with a unique name beginning with prefix in folder (empty: the temporary
    // folder) and opens it for writing and reading.
    bool createTemp(const SString& prefix, const SString& folder = SString(), bool quiet = false);

    // Whole-file helpers. Given an error-text string they are quiet and copy the message there;
    // without one a failure is shown in a message box. The writers replace the file in one step
    // (fsReplaceFile): a failed write leaves the old file as it was.
    static SString readTextFile(const SString& name, SString* errorText = nullptr);
    static bool writeTextFile(const SString& name, const SString& text, SString* errorText = nullptr);
    static bool readFileToMem(const SString& name, SMem& mem, SString* errorText = nullptr);
    static bool writeMemToFile(const SString& name, const SMem& mem, SString* errorText = nullptr);

private:
    void setSystemError(const char* prefix, int error);
    static bool writeWhole(const SString& name, const void* bytes, int count, SString* errorText);

    SString errorText;
    FILE* stream;
    SString path;
    SString mode;
};
