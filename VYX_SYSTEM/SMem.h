#pragma once

#include "SString.h"

#include <cstdint>

// A growable, zero-filled byte buffer. Its size is the number of bytes it holds; every resize
// keeps the contents and fills new bytes with zeros. A failed allocation stops the program.
class SMem {
public:
    explicit SMem(int size = 100);
    explicit SMem(const SString& text);
    SMem(const SMem& other);
    SMem& operator=(const SMem& other);
    virtual ~SMem();
    virtual const char* getClassName() const { return "SMem"; }

    unsigned char* getData() { return data; }
    const unsigned char* getData() const { return data; }
    int getSize() const { return size; }

    // Negative sizes count as 0.
    void setSize(int newSize);
    // Below needed: grows to needed + extra. Otherwise, with limit not -1 and
    // needed < limit < size, shrinks to limit.
    void ensureSize(int needed, int extra = 0, int limit = -1);

    // 0 when index is out of range.
    int getByte(int index) const;
    // False when index is out of range.
    bool setByte(int index, unsigned char value);

    void append(const void* bytes, int count);
    void append(const SMem& other);
    void append(const SString& text);
    // Numbers go in little-endian order whatever the machine.
    void appendByte(unsigned char value);
    void appendUInt16(uint16_t value);
    void appendUInt32(uint32_t value);

    // Inserts count bytes before pos (0 <= pos <= size), moving the rest back; false out of range.
    bool insert(int pos, const void* bytes, int count);
    // Removes up to count bytes from pos, moving the rest forward; false when pos is out of range.
    bool remove(int pos, int count);

    void assign(const SMem& other);
    void assign(const SString& text);
    // The bytes as a text, exactly as they are.
    SString toString() const;

    // First position of the sequence, -1 when absent or count <= 0.
    int find(const void* bytes, int count) const;
    // Last position at or before start (-1: from the end).
    int findReverse(const void* bytes, int count, int start = -1) const;
    // Replaces every occurrence; returns how many.
    int replaceByte(unsigned char oldValue, unsigned char newValue);
    // Sets every byte to 0.
    void clear();

private:
    void assignBytes(const void* bytes, int count);

    unsigned char* data;
    int size;
};
