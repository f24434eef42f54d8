#include "SMem.h"

#include "RawText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void allocationFailed(const char* condition) {
    std::fprintf(stderr, "SMem: assertion failed: %s\n", condition);
    std::abort();
}

// One byte more than asked, so that a buffer of size 0 still has a block of its own.
unsigned char* allocate(int size) {
    void* p = std::calloc(size_t(size) + 1, 1);
    if (p == nullptr) allocationFailed("pBuffer");
    return static_cast<unsigned char*>(p);
}

}  // namespace

SMem::SMem(int initialSize) : data(nullptr), size(initialSize < 0 ? 0 : initialSize) {
    data = allocate(size);
}

SMem::SMem(const SString& text) : data(nullptr), size(0) {
    data = allocate(0);
    assign(text);
}

SMem::SMem(const SMem& other) : data(nullptr), size(0) {
    data = allocate(0);
    assign(other);
}

SMem& SMem::operator=(const SMem& other) {
    assign(other);
    return *this;
}

SMem::~SMem() {
    std::free(data);
}

void SMem::setSize(int newSize) {
    if (newSize < 0) newSize = 0;
    if (newSize == size) return;
    void* p = std::realloc(data, size_t(newSize) + 1);
    if (p == nullptr) allocationFailed("pBuffer");
    data = static_cast<unsigned char*>(p);
    if (newSize > size) std::memset(data + size, 0, size_t(newSize - size) + 1);
    size = newSize;
}

void SMem::ensureSize(int needed, int extra, int limit) {
    if (size < needed)
        setSize(needed + (extra > 0 ? extra : 0));
    else if (limit != -1 && needed < limit && limit < size)
        setSize(limit);
}

int SMem::getByte(int index) const {
    return (index < 0 || index >= size) ? 0 : data[index];
}

bool SMem::setByte(int index, unsigned char value) {
    if (index < 0 || index >= size) return false;
    data[index] = value;
    return true;
}

void SMem::append(const void* bytes, int count) {
    insert(size, bytes, count);
}

void SMem::append(const SMem& other) {
    append(other.data, other.size);
}

void SMem::append(const SString& text) {
    append(text.getChars(), text.getLength());
}

void SMem::appendByte(unsigned char value) {
    append(&value, 1);
}

void SMem::appendUInt16(uint16_t value) {
    unsigned char b[2] = {(unsigned char)(value & 0xFF), (unsigned char)(value >> 8)};
    append(b, 2);
}

void SMem::appendUInt32(uint32_t value) {
    unsigned char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = (unsigned char)(value >> (8 * i));
    append(b, 4);
}

bool SMem::insert(int pos, const void* bytes, int count) {
    if (pos < 0 || pos > size) return false;
    if (count <= 0 || bytes == nullptr) return true;
    // The bytes may lie inside this buffer, which the resize can move.
    const unsigned char* source = static_cast<const unsigned char*>(bytes);
    unsigned char* copy = nullptr;
    if (source >= data && source < data + size + 1) {
        copy = static_cast<unsigned char*>(std::malloc(size_t(count)));
        if (copy == nullptr) allocationFailed("pBuffer");
        std::memcpy(copy, source, size_t(count));
        source = copy;
    }
    int oldSize = size;
    setSize(size + count);
    std::memmove(data + pos + count, data + pos, size_t(oldSize - pos));
    std::memcpy(data + pos, source, size_t(count));
    std::free(copy);
    return true;
}

bool SMem::remove(int pos, int count) {
    if (pos < 0 || pos >= size) return false;
    if (count <= 0) return true;
    if (count > size - pos) count = size - pos;
    std::memmove(data + pos, data + pos + count, size_t(size - pos - count));
    setSize(size - count);
    return true;
}

void SMem::assignBytes(const void* bytes, int count) {
    if (count < 0) count = 0;
    if (bytes == data) return;
    unsigned char* block = allocate(count);
    if (count > 0) std::memcpy(block, bytes, size_t(count));
    std::free(data);
    data = block;
    size = count;
}

void SMem::assign(const SMem& other) {
    if (&other != this) assignBytes(other.data, other.size);
}

void SMem::assign(const SString& text) {
    assignBytes(text.getChars(), text.getLength());
}

SString SMem::toString() const {
    return rawText(reinterpret_cast<const char*>(data), size);
}

int SMem::find(const void* bytes, int count) const {
    if (count <= 0 || bytes == nullptr) return -1;
    for (int pos = 0; pos + count <= size; ++pos)
        if (std::memcmp(data + pos, bytes, size_t(count)) == 0) return pos;
    return -1;
}

int SMem::findReverse(const void* bytes, int count, int start) const {
    if (count <= 0 || bytes == nullptr) return -1;
    int pos = size - count;
    if (start >= 0 && start < pos) pos = start;
    for (; pos >= 0; --pos)
        if (std::memcmp(data + pos, bytes, size_t(count)) == 0) return pos;
    return -1;
}

int SMem::replaceByte(unsigned char oldValue, unsigned char newValue) {
    int replaced = 0;
    for (int i = 0; i < size; ++i)
        if (data[i] == oldValue) {
            data[i] = newValue;
            ++replaced;
        }
    return replaced;
}

void SMem::clear() {
    std::memset(data, 0, size_t(size));
}
