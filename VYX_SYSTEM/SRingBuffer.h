#pragma once

#include "SMem.h"

#include <mutex>

// The fixed-size receive buffer of a serial port. One thread puts (the port's reader thread),
// another gets (the user-interface thread); put, get, take, peek, getAvailable, reset and
// getOverflowCount are safe for that, the inherited SMem operations are not. A full buffer never
// blocks: a new byte overwrites the oldest one, and the loss is counted, so that the reader who
// takes the bytes around the gap learns of it (take).
class SRingBuffer : public SMem {
public:
    explicit SRingBuffer(int capacity = 100);
    SRingBuffer(const SRingBuffer&) = delete;
    SRingBuffer& operator=(const SRingBuffer&) = delete;
    const char* getClassName() const override { return "SRingBuffer"; }

    // Resizes to capacity and empties the buffer (positions 0, overflow count 0, no gap).
    void reset(int capacity);
    // False when the buffer has no storage; otherwise stores the byte, dropping the oldest one
    // when full.
    bool put(unsigned char byte);
    // The same for count bytes in order, under one lock: a reader thread that puts byte by byte
    // would contend with the taker for every byte.
    bool put(const unsigned char* bytes, int count);
    int getAvailable() const;
    // The byte index places after the oldest; false when index is not below getAvailable().
    bool peek(int index, unsigned char& byte) const;
    // Moves count bytes out, oldest first; false, taking nothing, when fewer are stored. Does not
    // look for gaps: a reader who must know of lost bytes uses take.
    bool get(void* buffer, int count);
    // Takes the oldest byte: 1. When bytes were dropped ahead of it since the last take, takes
    // nothing and returns -(their number) once, so the taker sees the gap exactly where it is;
    // the byte after the gap is there for the next take. 0 when empty.
    int take(unsigned char& byte);
    // Bytes dropped since the last reset.
    int getOverflowCount() const;

private:
    int availableLocked() const;
    void putLocked(unsigned char byte, int capacity);

    // Both positions and the flag change together, and a put into a full buffer moves the read
    // position as well, so one lock guards them all; it is held only for a few byte copies.
    mutable std::mutex lock;
    int writePos;
    int readPos;
    bool empty;
    int overflowCount;
    int droppedUntaken;  // dropped since the last take, not yet reported by take
};
