// How frames are stored: bits per pixel by depth, row and image sizes, the
// BITMAPINFOHEADER with its colour table, and the packing of composed frames.
//
// The colour tables are fixed per depth, so every frame of a file shares the one
// table stored with the first frame. They are the toolkit's own tables, so a frame
// that TBitmap already converted to the same depth keeps its indices exactly:
//   1 bit:  black, white
//   4 bits: the 16 standard colours: black, maroon, green, olive, navy, purple,
//           teal, grey (128), silver (192), red, lime, yellow, blue, fuchsia,
//           aqua, white
//   8 bits: the halftone table: entries 0-215 the 6 x 6 x 6 cube
//           (index 36 r + 6 g + b, levels 0, 51, 102, 153, 204, 255), entries
//           216-255 the greys (i + 1) * 255 / 41
// A colour is stored as the entry nearest to it (least sum of squared channel
// differences, lowest index on ties); there is no dithering.
#pragma once

#include "Types.h"

#include <cstdint>
#include <vector>

struct FrameLayout {
    int width = 0;
    int height = 0;
    int bits = 0;          // 1, 4, 8 or 24
    uint32_t rowBytes = 0; // padded to a multiple of 4
    uint32_t imageBytes = 0;
};

// 1, 4, 8 or 24 for the depths a file can hold; 0 for the others.
int BitsForDepth(TPixelFormat depth);
// ((width * bits + 31) with the low five bits cleared) / 8.
uint64_t RowBytesFor(int64_t width, int bits);
FrameLayout LayoutFor(int width, int height, int bits);

// The colour table of a palette depth (1, 4 or 8 bits); empty for 24 bits.
const std::vector<TRGBQuad>& ColourTableFor(int bits);
// BITMAPINFOHEADER (40 bytes) followed by the colour table of 1, 4 and 8 bits.
std::vector<uint8_t> FrameFormatBlock(const FrameLayout& layout);

// Converts a 24-bit frame (rows bottom-up, padded as a 24-bit DIB) into the
// layout's depth; out holds layout.imageBytes.
void PackFrame(const uint8_t* frame24, const FrameLayout& layout, uint8_t* out);
