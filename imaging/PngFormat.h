// Facts of the PNG format shared by the reader and the writer: which colour type and
// bit depth combinations exist, and the sizes of scanlines and pixels they give.
// Both directions use this one validator, so we never write what we would refuse.
#pragma once

#include <cstdint>

namespace png_format {

// The combinations the PNG standard allows (and the only ones we write or read).
bool IsValidFormat(uint8_t colorType, uint8_t bitDepth);
// Samples per pixel of a colour type.
int Channels(uint8_t colorType);
bool HasAlphaPlane(uint8_t colorType);
// Bytes of one scanline without its filter byte, for width pixels.
uint64_t LineSize(uint8_t colorType, uint8_t bitDepth, uint32_t width);
// Distance in bytes to the corresponding byte of the pixel to the left (at least 1).
int PixelStep(uint8_t colorType, uint8_t bitDepth);
// Bits per pixel of the in-memory store.
int StoreBitCount(uint8_t colorType, uint8_t bitDepth);
// Bytes of one stored row, padded to 4 bytes.
uint64_t StoreRowStride(int storeBits, uint32_t width);

inline uint32_t ReadBigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
inline uint16_t ReadBigEndian16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline void PutBigEndian32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline void PutBigEndian16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

} // namespace png_format
