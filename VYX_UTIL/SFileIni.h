#pragma once

#include "SString.h"

class SStringList;

// A settings file of "[section]" headers and "key=value" lines, held in memory as one text and
// written back whole: by save(), before another file is opened with the same object, and when a
// modified object is destroyed (unless its last open or save failed). Lines end with CR LF; a bare
// line feed in a file read is taken as CR LF, so a saved file has CR LF throughout. Keys and
// section names compare exactly.
//
// Masked files: a file whose content starts with "[vyxContentMask+" and a decimal number (the
// header "[vyxContentMask+123]" fills the first 22 bytes) holds every byte from offset 22 on
// XOR-ed with the mask byte, which is the number minus maskOffset, taken modulo 256. In memory
// the content is plain and the '+' reads '-'; a file whose header already says '-' is written
// masked at its next save. The number is read from the six header bytes after the marker only,
// which are never masked, so loading and saving always derive the same mask.
class SFileIni {
public:
    // Fixed for good: changing it would make every masked file unreadable.
    static const int maskOffset = 0x5A;

    SFileIni();
    SFileIni(const SFileIni&) = delete;
    SFileIni& operator=(const SFileIni&) = delete;
    virtual ~SFileIni();
    virtual const char* getClassName() const { return "SFileIni"; }

    // Saves pending changes of an open file first (a failed save makes open fail). With create
    // set a missing file is created empty. On failure the error text holds the system's message,
    // no file is open and the content keeps its previous text.
    bool open(const SString& fileName, bool create = false);
    bool isOpen() const { return !fileName.isEmpty(); }
    // Writes the whole content; false (error text set, still modified) on failure or without an
    // open file. The old file is replaced in one step, never left half-written.
    bool save();

    SString readString(const SString& section, const SString& key,
                       const SString& defaultValue = SString()) const;
    // An empty value removes an existing key line; a missing key is added at the end of its
    // section, a missing section at the end of the content. A value is one line: it is cut at its
    // first CR or LF.
    void writeString(const SString& section, const SString& key, const SString& value);
    // Values of 1000 and more are stored with thousands separators ("19.200"), and reading stops at
    // the first separator: readInt gives 19 for them. Large numbers go through readString.
    int readInt(const SString& section, const SString& key, int defaultValue = 0) const;
    void writeInt(const SString& section, const SString& key, int value);

    // Empties the lists, then adds each non-empty, trimmed line of the section body: with a values
    // list the trimmed texts before and after the first "=", otherwise the whole line. With
    // skipComments lines starting with ";" are left out. Returns the number of lines taken.
    int readSection(const SString& section, SStringList& keys, SStringList* values = nullptr,
                    bool skipComments = false) const;
    // Replaces the section's body by text (a final CR LF is added when missing).
    void writeSection(const SString& section, const SString& text);
    // Adds to names every section name (once, in file order) that matches one of the patterns
    // separated by "|": a name, "prefix*", "*suffix" or "*". With a bodies list also each
    // section's trimmed body. Returns the number of names added.
    int getSectionNames(const SString& patterns, SStringList& names, SStringList* bodies = nullptr) const;

    const SString& getErrorText() const { return errorText; }
    bool isModified() const { return modified; }
    const SString& getFileName() const { return fileName; }
    const SString& getContent() const { return content; }

private:
    bool locateSection(const SString& section, int& bodyStart, int& bodyEnd) const;
    bool locateKey(const SString& key, int bodyStart, int bodyEnd, int& lineStart, int& valueStart) const;
    // The mask byte from the number in the header of text (plain or masked: the same bytes).
    static int maskFor(const char* text, int length);
    void insertLine(int pos, const SString& text);

    SString errorText;
    bool modified;
    SString fileName;
    SString content;
};
