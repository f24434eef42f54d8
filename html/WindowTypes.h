#pragma once

#include "OleTypes.h"

#include <cstdint>

// The window types the page host needs from the window system, with the platform's names and
// values: an opaque window handle, the message and its parameters (for key pre-translation) and
// rectangles. Off Windows a handle is whatever the window seam hands out; the page host never
// looks inside it.
typedef struct HWND__* HWND;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef const RECT* LPCRECT;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

enum : UINT { WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102 };
enum : WPARAM { VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B };
