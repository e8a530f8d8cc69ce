// Conversion of one stored bitmap row to and from 32-bit pixels (bytes blue, green,
// red, alpha). Indexed formats read through their palette and write the nearest entry.
#pragma once

#include "Types.h"

#include <cstdint>
#include <vector>

namespace pixel_rows {

// Reads width pixels of a row in format into out (4 bytes per pixel).
void ReadRow(TPixelFormat format, const uint8_t* row, int width, const std::vector<TRGBQuad>& palette, uint8_t* out);

// Maps 32-bit colours to the entries of one palette, with a fast path for the
// standard tables.
class IndexMatcher {
public:
    explicit IndexMatcher(const std::vector<TRGBQuad>& palette);
    uint8_t operator()(uint8_t r, uint8_t g, uint8_t b) const;

private:
    enum class Kind { Halftone, Standard16, Monochrome, Other } m_kind;
    const std::vector<TRGBQuad>& m_palette;
};

// Writes width 32-bit pixels of in into a row of format.
void WriteRow(TPixelFormat format, const uint8_t* in, int width, const IndexMatcher& matcher, uint8_t* row);

} // namespace pixel_rows
