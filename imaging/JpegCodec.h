// libjpeg underneath TJPEGImage: compressing a 24-bit bitmap and decoding JPEG data.
// libjpeg reports errors through an error manager that jumps back to us, so the library
// never ends the process; each compressor and decompressor is destroyed on every path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class TBitmap;
class TMemoryStream;

namespace jpeg_codec {

struct CompressSettings {
    int quality = 90;
    bool grayscale = false;
    bool progressive = false;
};

// Appends the JPEG file of a pf24bit bitmap (rows blue, green, red) to out.
// Raises EJPEG with the library's message code.
void Compress(const TBitmap& bitmap, const CompressSettings& settings, TMemoryStream& out);

struct Header {
    int width = 0;
    int height = 0;
};
// Reads the frame header; raises EJPEG for data libjpeg refuses.
Header ReadHeader(const uint8_t* data, size_t size);

struct DecodeSettings {
    int scaleDenominator = 1;  // 1, 2, 4 or 8
    bool smoothing = true;     // fancy upsampling
    bool fast = false;         // the fast integer DCT
    uint64_t maxPixels = 0;
    uint32_t maxWidth = 0;
    uint32_t maxHeight = 0;
};
// Decodes into a pf24bit bitmap; raises EJPEG for corrupt or oversized data.
std::unique_ptr<TBitmap> Decode(const uint8_t* data, size_t size, const DecodeSettings& settings);

} // namespace jpeg_codec
