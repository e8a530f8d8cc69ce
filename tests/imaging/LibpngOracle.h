// libpng as the reference reader and writer for our PNG files (tests only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imaging_test {

struct RawPng {
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    // Every sample of every pixel, row by row, as libpng gives them (unpacked).
    std::vector<uint16_t> samples;
    int channels = 0;
    std::vector<uint8_t> palette;       // r, g, b per entry
    std::vector<uint8_t> transparency;  // tRNS of palette images
    uint16_t Sample(uint32_t x, uint32_t y, int channel) const
    {
        return samples[(size_t(y) * width + x) * size_t(channels) + size_t(channel)];
    }
};

// Decodes with libpng (no transformations); throws with libpng's message on error.
RawPng ReadWithLibpng(const std::string& path);
// Encodes with libpng: default filters and compression, optionally interlaced.
void WriteWithLibpng(const std::string& path, const RawPng& image);
// Encodes in memory with our writer's settings: Sub filter only, zlib level 7, window
// bits 15, memory level 8, default strategy, IDAT chunks of 65535 bytes.
std::vector<uint8_t> EncodeWithLibpngLikeOurs(const RawPng& image);

} // namespace imaging_test
