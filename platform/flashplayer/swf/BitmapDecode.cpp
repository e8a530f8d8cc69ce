// Decoding bitmap characters to premultiplied 0xAARRGGBB pixels: the lossless
// formats through zlib, the JPEG kinds through JpegDecode.cpp plus their zlib
// alpha plane.
#include "swf/Bitmap.h"
#include "swf/ImageDecode.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace swf {

namespace detail {

Result<std::vector<std::uint8_t>> inflatePartial(std::span<const std::uint8_t> in, std::size_t cap)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return makeError(ErrorCode::Decompression, "zlib could not be initialised");
    std::vector<std::uint8_t> out(cap);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), UINT32_MAX));
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(cap);
    int rc = Z_OK;
    while (rc == Z_OK && z.avail_out > 0)
        rc = inflate(&z, Z_SYNC_FLUSH);
    out.resize(cap - z.avail_out);
    inflateEnd(&z);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR && out.empty())
        return makeError(ErrorCode::Decompression, "the bitmap's zlib data is damaged");
    return out;
}

} // namespace detail

namespace {

using detail::inflatePartial;

std::uint32_t premultiply(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    auto mul = [a](unsigned c) { return (c * a + 127) / 255; };
    return (std::uint32_t(a) << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

// Lossless2 colours are stored premultiplied already; a damaged file may hold a
// colour brighter than its alpha, which premultiplied pixels cannot represent.
std::uint32_t clampPremultiplied(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return (std::uint32_t(a) << 24) | (std::uint32_t(std::min(r, a)) << 16) | (std::uint32_t(std::min(g, a)) << 8) |
           std::min(b, a);
}

std::size_t rowBytes(std::size_t width, std::size_t bytesPerPixel) { return (width * bytesPerPixel + 3) & ~std::size_t(3); }

Status checkSize(int width, int height, const Limits& limits)
{
    if (width <= 0 || height <= 0)
        return makeError(ErrorCode::Malformed, "the bitmap has no pixels");
    if (std::uint64_t(width) * std::uint64_t(height) > limits.maxBitmapPixels)
        return makeError(ErrorCode::LimitExceeded, "the bitmap has more pixels than allowed");
    return Ok{};
}

Result<DecodedBitmap> decodeLossless(const Bitmap& bm, const Limits& limits)
{
    SWF_TRY(checkSize(bm.width, bm.height, limits));
    const bool alpha = bm.kind == BitmapKind::Lossless2;
    const std::size_t w = bm.width, h = bm.height;
    std::size_t tableBytes = 0, bpp = 4;
    if (bm.format == LosslessFormat::ColorMapped8) {
        tableBytes = (std::size_t(bm.colorTableSize) + 1) * (alpha ? 4 : 3);
        bpp = 1;
    } else if (bm.format == LosslessFormat::Rgb15) {
        bpp = 2;
    }
    const std::size_t stride = rowBytes(w, bpp);
    const std::size_t need = tableBytes + stride * h;
    if (need > limits.maxBitmapBytes)
        return makeError(ErrorCode::LimitExceeded, "the bitmap's data is larger than allowed");
    auto raw = inflatePartial(bm.data, need);
    SWF_TRY(raw);
    // The last row may lack its padding.
    if (raw->size() < need - (stride - w * bpp))
        return makeError(ErrorCode::Truncated, "the bitmap's pixel data is cut short");
    raw->resize(need, 0);
    const std::uint8_t* p = raw->data();
    DecodedBitmap out;
    out.width = int(w);
    out.height = int(h);
    out.pixels.resize(w * h);
    if (bm.format == LosslessFormat::ColorMapped8) {
        std::uint32_t table[256] = {};
        const std::size_t entries = std::size_t(bm.colorTableSize) + 1;
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint8_t* c = p + i * (alpha ? 4 : 3);
            table[i] = alpha ? clampPremultiplied(c[3], c[0], c[1], c[2]) : premultiply(255, c[0], c[1], c[2]);
        }
        p += tableBytes;
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x)
                out.pixels[y * w + x] = table[p[y * stride + x]]; // indices past the table: transparent
    } else if (bm.format == LosslessFormat::Rgb15) {
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x) {
                const unsigned v = (unsigned(p[y * stride + 2 * x]) << 8) | p[y * stride + 2 * x + 1];
                auto expand = [](unsigned c5) { return std::uint8_t((c5 << 3) | (c5 >> 2)); };
                out.pixels[y * w + x] = premultiply(255, expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
            }
    } else {
        for (std::size_t i = 0; i < w * h; ++i) {
            const std::uint8_t* c = p + (i / w) * stride + (i % w) * 4;
            out.pixels[i] = alpha ? clampPremultiplied(c[0], c[1], c[2], c[3]) : premultiply(255, c[1], c[2], c[3]);
        }
    }
    return out;
}


Status applyAlpha(std::span<const std::uint8_t> alphaData, DecodedBitmap& bm)
{
    if (alphaData.empty())
        return Ok{};
    auto alpha = inflatePartial(alphaData, bm.pixels.size());
    SWF_TRY(alpha);
    // A short plane leaves the rest opaque.
    for (std::size_t i = 0; i < alpha->size(); ++i) {
        const std::uint32_t c = bm.pixels[i];
        bm.pixels[i] = premultiply((*alpha)[i], std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c));
    }
    return Ok{};
}

} // namespace

Result<DecodedBitmap> decodeBitmap(const Bitmap& bitmap, std::span<const std::uint8_t> jpegTables, const Limits& limits)
{
    if (bitmap.kind == BitmapKind::Lossless || bitmap.kind == BitmapKind::Lossless2)
        return decodeLossless(bitmap, limits);
    if (detail::isPng(bitmap.data))
        return detail::decodePng(bitmap.data, limits);
    if (detail::isGif(bitmap.data))
        return detail::decodeGif(bitmap.data, limits);
    auto tables = bitmap.kind == BitmapKind::Jpeg ? jpegTables : std::span<const std::uint8_t>{};
    auto decoded = decodeJpeg(tables, bitmap.data, limits);
    SWF_TRY(decoded);
    if (bitmap.kind == BitmapKind::Jpeg3 || bitmap.kind == BitmapKind::Jpeg4)
        SWF_TRY(applyAlpha(bitmap.alphaData, *decoded));
    return decoded;
}

} // namespace swf
