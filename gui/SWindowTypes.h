#pragma once

#include "WindowTypes.h"

#include <cstdint>

// The window messages the framework passes to its windows, with the platform's names and values,
// beyond the key messages the page host shares.
typedef intptr_t LRESULT;

enum : UINT {
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_CLOSE = 0x0010,
    WM_COMMAND = 0x0111,
};

// Notification code of a button click in the high word of WM_COMMAND's wParam.
enum : UINT { BN_CLICKED = 0 };

inline unsigned loWord(uintptr_t v) {
    return unsigned(v & 0xFFFF);
}
inline unsigned hiWord(uintptr_t v) {
    return unsigned((v >> 16) & 0xFFFF);
}
inline uintptr_t makeLong(unsigned lo, unsigned hi) {
    return uintptr_t((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}
