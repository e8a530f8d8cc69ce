// GIF data inside DefineBitsJPEG2/3: the first image of the file on its logical
// screen, with the transparency of its graphic control extension.
#include "swf/ByteReader.h"
#include "swf/ImageDecode.h"

#include <array>
#include <cstring>

namespace swf::detail {

namespace {

using Palette = std::vector<std::uint32_t>; // 0xFFRRGGBB

Palette readPalette(ByteReader& r, std::uint8_t flags)
{
    Palette p;
    if (!(flags & 0x80))
        return p;
    const std::size_t n = std::size_t(2) << (flags & 7);
    for (std::size_t i = 0; i < n && !r.failed(); ++i) {
        auto c = r.bytes(3);
        if (c.size() == 3)
            p.push_back(0xFF000000u | (std::uint32_t(c[0]) << 16) | (c[1] << 8) | c[2]);
    }
    return p;
}

// Data sub-blocks up to the zero-length terminator.
std::vector<std::uint8_t> readSubBlocks(ByteReader& r, std::size_t cap)
{
    std::vector<std::uint8_t> out;
    while (!r.failed()) {
        const std::size_t n = r.u8();
        if (n == 0)
            break;
        auto b = r.bytes(n);
        if (out.size() + b.size() <= cap)
            out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

// Variable-width LZW as GIF uses it; stops at the end code, at a code that does
// not exist yet, or when `out` is full.
void lzwDecode(std::span<const std::uint8_t> in, int minCodeSize, std::vector<std::uint8_t>& out, std::size_t want)
{
    if (minCodeSize < 2 || minCodeSize > 11)
        return;
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::array<std::uint16_t, 4096> prefix{};
    std::array<std::uint8_t, 4096> suffix{}, stack{};
    int codeSize = minCodeSize + 1, next = end + 1, prev = -1;
    std::uint8_t first = 0;
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (std::size_t pos = 0; out.size() < want;) {
        while (bitCount < codeSize && pos < in.size()) {
            bits |= std::uint32_t(in[pos++]) << bitCount;
            bitCount += 8;
        }
        if (bitCount < codeSize)
            return;
        int code = int(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = end + 1;
            prev = -1;
            continue;
        }
        if (code == end || code > next || (prev < 0 && code >= clear))
            return;
        int sp = 0, c = code;
        if (code == next) { // the KwKwK case
            stack[sp++] = first;
            c = prev;
        }
        while (c >= clear && sp < 4095) {
            stack[sp++] = suffix[c];
            c = prefix[c];
        }
        first = std::uint8_t(c);
        stack[sp++] = first;
        while (sp > 0 && out.size() < want)
            out.push_back(stack[--sp]);
        if (prev >= 0 && next < 4096) {
            prefix[next] = std::uint16_t(prev);
            suffix[next] = first;
            if (++next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
        prev = code;
    }
}

// Row of the image that the i-th decoded row belongs to.
std::size_t interlacedRow(std::size_t i, std::size_t h)
{
    static const std::size_t start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const std::size_t rows = h > start[pass] ? (h - start[pass] + step[pass] - 1) / step[pass] : 0;
        if (i < rows)
            return start[pass] + i * step[pass];
        i -= rows;
    }
    return 0;
}

} // namespace

bool isGif(std::span<const std::uint8_t> d)
{
    return d.size() >= 6 && (std::memcmp(d.data(), "GIF87a", 6) == 0 || std::memcmp(d.data(), "GIF89a", 6) == 0);
}

Result<DecodedBitmap> decodeGif(std::span<const std::uint8_t> data, const Limits& limits)
{
    ByteReader r(data);
    r.skip(6);
    std::size_t sw = r.u16(), sh = r.u16();
    const std::uint8_t flags = r.u8();
    r.skip(2); // background colour index, aspect ratio
    const Palette global = readPalette(r, flags);
    int transparent = -1;
    while (!r.failed()) {
        const std::uint8_t block = r.u8();
        if (block == 0x21) { // extension
            const std::uint8_t label = r.u8();
            auto body = readSubBlocks(r, 256);
            if (label == 0xF9 && body.size() >= 4)
                transparent = (body[0] & 1) ? body[3] : -1;
            continue;
        }
        if (block != 0x2C) // trailer or damage
            break;
        const std::size_t left = r.u16(), top = r.u16(), w = r.u16(), h = r.u16();
        const std::uint8_t imageFlags = r.u8();
        const Palette local = readPalette(r, imageFlags);
        const int minCodeSize = r.u8();
        if (sw == 0 || sh == 0) {
            sw = left + w;
            sh = top + h;
        }
        if (r.failed() || w == 0 || h == 0 || sw * sh == 0 || std::uint64_t(sw) * sh > limits.maxBitmapPixels ||
            std::uint64_t(w) * h > limits.maxBitmapPixels)
            return makeError(ErrorCode::Malformed, "the GIF image is empty, cut short or larger than allowed");
        const auto lzw = readSubBlocks(r, limits.maxBitmapBytes);
        std::vector<std::uint8_t> indices;
        indices.reserve(w * h);
        lzwDecode(lzw, minCodeSize, indices, w * h);
        indices.resize(w * h, std::uint8_t(transparent >= 0 ? transparent : 0));
        const Palette& table = local.empty() ? global : local;
        DecodedBitmap out;
        out.width = int(sw);
        out.height = int(sh);
        out.pixels.assign(sw * sh, 0);
        for (std::size_t i = 0; i < h; ++i) {
            const std::size_t y = top + ((imageFlags & 0x40) ? interlacedRow(i, h) : i);
            for (std::size_t x = 0; x < w && y < sh; ++x) {
                const std::uint8_t index = indices[i * w + x];
                if (left + x < sw && index != transparent && index < table.size())
                    out.pixels[y * sw + left + x] = table[index];
            }
        }
        return out;
    }
    return makeError(ErrorCode::Malformed, "the GIF data holds no image");
}

} // namespace swf::detail
