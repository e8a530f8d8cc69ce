// Bitmap characters (DefineBits, DefineBitsJPEG2/3/4, DefineBitsLossless 1/2)
// kept as their file bytes, and their decoding to premultiplied ARGB on request.
#pragma once

#include "swf/Limits.h"
#include "swf/Result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace swf {

enum class BitmapKind : std::uint8_t {
    Jpeg,      // DefineBits: JPEG data without tables; the movie's JPEGTables apply
    Jpeg2,     // DefineBitsJPEG2: complete JPEG, or PNG or GIF data (SWF 8)
    Jpeg3,     // DefineBitsJPEG3: JPEG + zlib alpha plane (PNG/GIF: their own alpha)
    Jpeg4,     // DefineBitsJPEG4: as JPEG3 with a deblocking value
    Lossless,  // DefineBitsLossless: no alpha
    Lossless2, // DefineBitsLossless2: with alpha (premultiplied in the file)
};

// BitmapFormat of the lossless tags.
enum class LosslessFormat : std::uint8_t {
    ColorMapped8 = 3, // 8-bit indices into a colour table (RGB or RGBA), rows padded to 4 bytes
    Rgb15 = 4,        // PIX15, rows padded to 4 bytes (DefineBitsLossless only)
    Rgb32 = 5,        // PIX24 (pad, R, G, B) or ARGB
};

struct Bitmap {
    std::uint16_t id = 0;
    BitmapKind kind = BitmapKind::Lossless;
    // JPEG kinds: the image bytes (tables may be inside). Lossless kinds: the
    // zlib stream (colour table + pixels).
    std::vector<std::uint8_t> data;
    // Jpeg3/Jpeg4: zlib stream of one alpha byte per pixel; may be empty.
    std::vector<std::uint8_t> alphaData;
    std::uint16_t deblocking = 0; // Jpeg4, 8.8 fixed
    // Lossless kinds only.
    LosslessFormat format = LosslessFormat::Rgb32;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t colorTableSize = 0; // entries = value + 1, ColorMapped8 only
    friend bool operator==(const Bitmap&, const Bitmap&) = default;
};

// A decoded bitmap: pixels as uint32 0xAARRGGBB, premultiplied by alpha (bytes
// B, G, R, A in memory, the layout of QImage::Format_ARGB32_Premultiplied),
// rows of `width` pixels without padding.
struct DecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Decodes any bitmap character. `jpegTables` is the movie's JPEGTables tag body
// (used by BitmapKind::Jpeg only). Refuses more than limits.maxBitmapPixels.
Result<DecodedBitmap> decodeBitmap(const Bitmap& bitmap, std::span<const std::uint8_t> jpegTables,
                                   const Limits& limits = {});

// The JPEG decoder on its own (for tests and the writer's checks): decodes
// `tables` (may be empty) followed by `image`, opaque.
Result<DecodedBitmap> decodeJpeg(std::span<const std::uint8_t> tables, std::span<const std::uint8_t> image,
                                 const Limits& limits = {});

} // namespace swf
