#include "SRingBuffer.h"

SRingBuffer::SRingBuffer(int capacity)
    : SMem(capacity), writePos(0), readPos(0), empty(true), overflowCount(0), droppedUntaken(0) {}

void SRingBuffer::reset(int capacity) {
    std::lock_guard<std::mutex> guard(lock);
    // Stale bytes are never read (the positions say what is stored), so a purge of the same
    // capacity does not rewrite the whole block.
    setSize(capacity);
    writePos = 0;
    readPos = 0;
    empty = true;
    overflowCount = 0;
    droppedUntaken = 0;
}

void SRingBuffer::putLocked(unsigned char byte, int capacity) {
    getData()[writePos] = byte;
    if (readPos == writePos && !empty) {
        readPos = (readPos + 1) % capacity;
        ++overflowCount;
        ++droppedUntaken;
    }
    writePos = (writePos + 1) % capacity;
    empty = false;
}

bool SRingBuffer::put(unsigned char byte) {
    return put(&byte, 1);
}

bool SRingBuffer::put(const unsigned char* bytes, int count) {
    std::lock_guard<std::mutex> guard(lock);
    const int capacity = getSize();
    if (capacity <= 0) return false;
    for (int i = 0; i < count; ++i)
        putLocked(bytes[i], capacity);
    return true;
}

int SRingBuffer::availableLocked() const {
    if (empty) return 0;
    const int capacity = getSize();
    if (readPos == writePos) return capacity;
    return ((writePos - readPos) % capacity + capacity) % capacity;
}

int SRingBuffer::getAvailable() const {
    std::lock_guard<std::mutex> guard(lock);
    return availableLocked();
}

bool SRingBuffer::peek(int index, unsigned char& byte) const {
    std::lock_guard<std::mutex> guard(lock);
    if (index < 0 || index >= availableLocked()) return false;
    byte = getData()[(readPos + index) % getSize()];
    return true;
}

bool SRingBuffer::get(void* buffer, int count) {
    std::lock_guard<std::mutex> guard(lock);
    if (count < 0 || count > availableLocked()) return false;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    const int capacity = getSize();
    for (int i = 0; i < count; ++i) {
        out[i] = getData()[readPos];
        readPos = (readPos + 1) % capacity;
        if (readPos == writePos) empty = true;
    }
    return true;
}

int SRingBuffer::take(unsigned char& byte) {
    std::lock_guard<std::mutex> guard(lock);
    if (droppedUntaken > 0) {
        const int dropped = droppedUntaken;
        droppedUntaken = 0;
        return -dropped;
    }
    if (empty) return 0;
    byte = getData()[readPos];
    readPos = (readPos + 1) % getSize();
    if (readPos == writePos) empty = true;
    return 1;
}

int SRingBuffer::getOverflowCount() const {
    std::lock_guard<std::mutex> guard(lock);
    return overflowCount;
}
