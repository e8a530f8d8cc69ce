#include "Types.h"

#include <algorithm>

namespace {

// The colours our skin uses for the system colour indexes the program names.
TColor systemColor(int index)
{
    switch (index) {
    case 0x05: return clWhite;            // window background
    case 0x08: return clBlack;            // window text
    case 0x0D: return RGB(0, 120, 215);   // highlight
    case 0x0E: return clWhite;            // highlight text
    case 0x0F: return RGB(240, 240, 240); // button face
    case 0x10: return RGB(160, 160, 160); // button shadow
    case 0x11: return RGB(109, 109, 109); // grey text
    case 0x12: return clBlack;            // button text
    default: return clBlack;
    }
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if (color < 0)
        return systemColor(color & 0xFF);
    return color;
}

TRect IntersectRect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty())
        return TRect{};
    return r;
}
