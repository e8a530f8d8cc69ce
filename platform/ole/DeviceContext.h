// A device context is a surface descriptor: 32-bit pixels (bytes blue, green, red,
// alpha), their size and row stride, and a window origin. Drawing at logical point
// (x, y) touches the pixel (x - windowOrg.x, y - windowOrg.y); moving the origin is how
// a host renders one part of a picture into a small scratch buffer.
#pragma once

#include "OleTypes.h"

#include <cstddef>
#include <cstdint>

struct DeviceContext {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row; rows run top-down
    POINT windowOrg;

    // The pixel at device coordinates, or null outside the surface.
    uint8_t* pixelAt(int x, int y) const
    {
        if (!pixels || x < 0 || y < 0 || x >= width || y >= height)
            return nullptr;
        return pixels + ptrdiff_t(y) * stride + ptrdiff_t(x) * 4;
    }
    POINT logicalToDevice(POINT p) const { return POINT{p.x - windowOrg.x, p.y - windowOrg.y}; }
    RECT logicalToDevice(const RECT& r) const
    {
        return RECT{r.left - windowOrg.x, r.top - windowOrg.y, r.right - windowOrg.x, r.bottom - windowOrg.y};
    }
    // The surface in logical coordinates.
    RECT logicalBounds() const { return RECT{windowOrg.x, windowOrg.y, windowOrg.x + width, windowOrg.y + height}; }
};

// The platform's origin calls; each gives the previous origin when asked.
bool SetWindowOrgEx(HDC dc, int x, int y, POINT* previous);
bool GetWindowOrgEx(HDC dc, POINT* origin);
// Adds (dx, dy) to the window origin: the picture moves by (-dx, -dy) on the surface.
bool OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous);
// Moves what is drawn by (dx, dy) on the surface (subtracts from the window origin),
// the toolkit's helper that hosts use around partial repaints.
void MoveWindowOrg(HDC dc, int dx, int dy);
