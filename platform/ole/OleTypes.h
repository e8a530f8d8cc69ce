// The plain value types of the COM-style layer: integer widths under their platform
// names, wide strings, handles as opaque pointers, and the small geometry records
// the embedding interfaces take.
#pragma once

#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using ULONG = uint32_t;
using LONG = int32_t;
using UINT = uint32_t;
using INT = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using LCID = uint32_t;
using DISPID = int32_t;
using MEMBERID = int32_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BOOL = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HIMETRIC = int32_t;

// Handles are opaque: the layer never looks behind them except for device contexts
// (DeviceContext.h). Distinct tag types keep them from mixing.
struct HWND__;
using HWND = HWND__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HACCEL__;
using HACCEL = HACCEL__*;
struct HRGN__;
using HRGN = HRGN__*;
struct HOLEMENU__;
using HOLEMENU = HOLEMENU__*;
struct HPALETTE__;
using HPALETTE = HPALETTE__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct DeviceContext;
using HDC = DeviceContext*;

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};
using POINTL = POINT;

struct POINTF {
    float x = 0;
    float y = 0;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const SIZE&, const SIZE&) = default;
};
using SIZEL = SIZE;

// Right and bottom are exclusive, as everywhere on the platform.
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    LONG width() const { return right - left; }
    LONG height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const RECT&, const RECT&) = default;
};
using RECTL = RECT;

// A queued window message as the in-place interfaces pass it around.
struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};

// Helpers for packing two 16-bit halves, as window-message parameters do.
constexpr DWORD MAKELONG(WORD low, WORD high) { return DWORD(low) | (DWORD(high) << 16); }
constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
// Signed coordinates packed in an LPARAM (mouse messages).
constexpr int GET_X_LPARAM(LPARAM lp) { return int(int16_t(LOWORD(uintptr_t(lp)))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return int(int16_t(HIWORD(uintptr_t(lp)))); }
constexpr LPARAM MAKELPARAM(int x, int y) { return LPARAM(MAKELONG(WORD(int16_t(x)), WORD(int16_t(y)))); }
