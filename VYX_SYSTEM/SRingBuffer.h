#pragma once

#include "SMem.h"

#include <mutex>

// The fixed-size receive buffer of a serial port. One thread puts (the port's reader thread),
// another gets (the user-interface thread); put, get, peek, getAvailable, reset and
// getOverflowCount are safe for that, the inherited SMem operations are not. A full buffer never
// blocks: a new byte overwrites the oldest one, and the loss is counted.
class SRingBuffer : public SMem {
public:
    explicit SRingBuffer(int capacity = 100);
    SRingBuffer(const SRingBuffer&) = delete;
    SRingBuffer& operator=(const SRingBuffer&) = delete;
    const char* getClassName() const override { return "SRingBuffer"; }

    // Resizes to capacity and empties the buffer (positions 0, overflow count 0).
    void reset(int capacity);
    // False when the buffer has no storage; otherwise stores the byte, dropping the oldest one
    // when full.
    bool put(unsigned char byte);
    int getAvailable() const;
    // The byte index places after the oldest; false when index is not below getAvailable().
    bool peek(int index, unsigned char& byte) const;
    // Moves count bytes out, oldest first; false, taking nothing, when fewer are stored.
    bool get(void* buffer, int count);
    int getOverflowCount() const;

private:
    int availableLocked() const;

    // Both positions and the flag change together, and a put into a full buffer moves the read
    // position as well, so one lock guards them all; it is held only for a few byte copies.
    mutable std::mutex lock;
    int writePos;
    int readPos;
    bool empty;
    int overflowCount;
};
