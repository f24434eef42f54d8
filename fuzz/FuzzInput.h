#pragma once

// Takes a fuzz input apart front to back: small numbers first, then byte pieces. Past the end
// every read gives zeros or empty pieces, so each input is a valid one.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t byte() { return pos < size ? data[pos++] : 0; }

    template <typename T>
    T value() {
        T v{};
        const size_t n = size - pos < sizeof v ? size - pos : sizeof v;
        std::memcpy(&v, data + pos, n);
        pos += n;
        return v;
    }

    // Up to n bytes.
    std::string piece(size_t n) {
        if (n > size - pos) n = size - pos;
        std::string s(reinterpret_cast<const char*>(data + pos), n);
        pos += n;
        return s;
    }

    // A piece whose length is the next byte.
    std::string shortPiece() { return piece(byte()); }

    std::string rest() { return piece(size - pos); }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};
