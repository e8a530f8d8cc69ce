// Box blur of 8-bit interleaved channels, the blur every SWF filter builds on: a box
// `width` pixels wide (fractional widths weigh the two outer taps by the fraction),
// run horizontally then vertically, `passes` times. What lies outside the buffer
// counts as zero, so the buffer must already hold room for what the blur spreads.
#pragma once

#include <cstdint>

namespace render {

struct BlurSize {
    double x = 0;      // box widths in pixels; up to 1 leaves that axis alone
    double y = 0;
    int passes = 1;
};

// The pixels a blur spreads beyond its source on each side, per axis.
int blurReach(double width, int passes);

// Blurs `channels` interleaved 8-bit values per pixel in place (4 for premultiplied
// ARGB32, 1 for an alpha plane); rows are `stride` bytes apart.
void boxBlur(std::uint8_t* pixels, int width, int height, int stride, int channels, const BlurSize& size);

}  // namespace render
