#pragma once

#include "SString.h"

#include <string>

// A string's bytes, its length counted (NUL bytes included), for comparisons in tests.
inline std::string str(const SString& s) {
    return std::string(s.getChars(), size_t(s.getLength()));
}
