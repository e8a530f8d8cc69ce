// Limits on what the reader and the bitmap decoder accept from a file. Defaults
// are tight enough to keep a hostile file to a few hundred MB and well under a
// second, and loose enough for every real movie we know.
#pragma once

#include <cstddef>
#include <cstdint>

namespace swf {

struct Limits {
    std::size_t maxUncompressedBytes = 64u << 20; // after inflating CWS/ZWS
    std::size_t maxTags = 1'000'000;              // all timelines together
    std::size_t maxFrames = 200'000;              // per timeline
    int maxSpriteDepth = 4;                       // DefineSprite inside DefineSprite
    std::size_t maxShapeRecords = 2'000'000;      // per shape, glyph or morph end
    std::size_t maxStyles = 65'535;               // per style array
    std::size_t maxGlyphs = 65'535;               // per font
    std::uint64_t maxBitmapPixels = 16u << 20;    // width * height of one decoded bitmap
    std::size_t maxBitmapBytes = 64u << 20;       // inflated bytes of one lossless bitmap/alpha
};

} // namespace swf
