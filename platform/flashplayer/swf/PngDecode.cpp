// PNG data inside DefineBitsJPEG2/3 (SWF 8 allows PNG and GIF there): a small
// decoder over zlib for non-interlaced images of every colour type and depth.
// The image's own alpha applies; the tag's alpha plane does not.
#include "swf/ImageDecode.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace swf::detail {

namespace {

struct PngHeader {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    int channels() const { return colorType == 0 || colorType == 3 ? 1 : colorType == 4 ? 2 : colorType == 2 ? 3 : 4; }
};

std::uint32_t be32(const std::uint8_t* p) { return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

bool validCombination(const PngHeader& h)
{
    switch (h.colorType) {
    case 0: return h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8 || h.depth == 16;
    case 3: return h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8;
    case 2: case 4: case 6: return h.depth == 8 || h.depth == 16;
    }
    return false;
}

struct PngChunks {
    PngHeader header;
    std::vector<std::uint32_t> palette; // 0xAARRGGBB, not premultiplied
    std::vector<std::uint8_t> idat;
    bool hasKey = false;
    std::uint16_t key[3] = {}; // tRNS colour key of grey or RGB images
};

Status readChunks(std::span<const std::uint8_t> d, const Limits& limits, PngChunks& c)
{
    std::size_t pos = 8;
    bool haveHeader = false;
    while (pos + 12 <= d.size()) {
        const std::uint32_t len = be32(&d[pos]);
        if (len > d.size() - pos - 12)
            break; // a chunk cut short: use what came before
        const std::uint8_t* type = &d[pos + 4];
        const std::uint8_t* data = &d[pos + 8];
        if (std::memcmp(type, "IHDR", 4) == 0 && len >= 13) {
            c.header = {be32(data), be32(data + 4), data[8], data[9], data[12]};
            haveHeader = true;
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            for (std::uint32_t i = 0; i + 2 < len && c.palette.size() < 256; i += 3)
                c.palette.push_back(0xFF000000u | (std::uint32_t(data[i]) << 16) | (data[i + 1] << 8) | data[i + 2]);
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            if (c.header.colorType == 3) {
                for (std::uint32_t i = 0; i < len && i < c.palette.size(); ++i)
                    c.palette[i] = (c.palette[i] & 0xFFFFFFu) | (std::uint32_t(data[i]) << 24);
            } else if (len >= 2) {
                c.hasKey = true;
                for (std::uint32_t i = 0; i < 3 && 2 * i + 1 < len; ++i)
                    c.key[i] = std::uint16_t((data[2 * i] << 8) | data[2 * i + 1]);
            }
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (c.idat.size() + len > limits.maxBitmapBytes)
                return makeError(ErrorCode::LimitExceeded, "the PNG data is larger than allowed");
            c.idat.insert(c.idat.end(), data, data + len);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        pos += 12 + len;
    }
    if (!haveHeader || !validCombination(c.header))
        return makeError(ErrorCode::Malformed, "the PNG header is missing or invalid");
    if (c.header.interlace != 0)
        return makeError(ErrorCode::Unsupported, "interlaced PNG data in a bitmap tag is not decoded");
    return Ok{};
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes the per-row filters in place; rows keep their filter byte in front.
void unfilter(std::vector<std::uint8_t>& raw, std::size_t rowBytes, std::size_t height, std::size_t bpp)
{
    const std::size_t stride = rowBytes + 1;
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = raw.data() + y * stride + 1;
        const std::uint8_t* prev = y > 0 ? row - stride : nullptr;
        const int filter = row[-1];
        for (std::size_t x = 0; x < rowBytes; ++x) {
            const int a = x >= bpp ? row[x - bpp] : 0, b = prev ? prev[x] : 0, c = prev && x >= bpp ? prev[x - bpp] : 0;
            int add = 0;
            switch (filter) {
            case 1: add = a; break;
            case 2: add = b; break;
            case 3: add = (a + b) / 2; break;
            case 4: add = paeth(a, b, c); break;
            default: break; // 0, and unknown filters as none
            }
            row[x] = std::uint8_t(row[x] + add);
        }
    }
}

// Sample `i` of a row at the image's depth, as 16 bits (so keys compare exactly).
std::uint16_t sample(const std::uint8_t* row, std::size_t i, int depth)
{
    if (depth == 16)
        return std::uint16_t((row[2 * i] << 8) | row[2 * i + 1]);
    if (depth == 8)
        return row[i];
    const std::size_t bit = i * depth;
    return std::uint16_t((row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1));
}

std::uint8_t to8(std::uint16_t v, int depth)
{
    return depth == 16 ? std::uint8_t((std::uint32_t(v) * 255 + 32767) / 65535) : depth == 8 ? std::uint8_t(v) : std::uint8_t(v * 255 / ((1 << depth) - 1));
}

std::uint32_t premultiplied(std::uint32_t argb)
{
    const unsigned a = argb >> 24;
    auto m = [a](unsigned c) { return (c * a + 127) / 255; };
    return (a << 24) | (m((argb >> 16) & 0xFF) << 16) | (m((argb >> 8) & 0xFF) << 8) | m(argb & 0xFF);
}

std::uint32_t pixelAt(const PngChunks& c, const std::uint8_t* row, std::size_t x)
{
    const PngHeader& h = c.header;
    const int n = h.channels(), d = h.depth;
    std::uint16_t s[4];
    for (int k = 0; k < n; ++k)
        s[k] = sample(row, x * n + k, d);
    switch (h.colorType) {
    case 3: return s[0] < c.palette.size() ? c.palette[s[0]] : 0xFF000000u;
    case 0: {
        const std::uint32_t g = to8(s[0], d);
        const std::uint32_t a = c.hasKey && s[0] == c.key[0] ? 0 : 255;
        return (a << 24) | (g << 16) | (g << 8) | g;
    }
    case 4: {
        const std::uint32_t g = to8(s[0], d);
        return (std::uint32_t(to8(s[1], d)) << 24) | (g << 16) | (g << 8) | g;
    }
    case 2: {
        const std::uint32_t a = c.hasKey && s[0] == c.key[0] && s[1] == c.key[1] && s[2] == c.key[2] ? 0 : 255;
        return (a << 24) | (std::uint32_t(to8(s[0], d)) << 16) | (to8(s[1], d) << 8) | to8(s[2], d);
    }
    default:
        return (std::uint32_t(to8(s[3], d)) << 24) | (std::uint32_t(to8(s[0], d)) << 16) | (to8(s[1], d) << 8) |
               to8(s[2], d);
    }
}

} // namespace

bool isPng(std::span<const std::uint8_t> d)
{
    static const std::uint8_t sig[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return d.size() >= 8 && std::memcmp(d.data(), sig, 8) == 0;
}

Result<DecodedBitmap> decodePng(std::span<const std::uint8_t> data, const Limits& limits)
{
    PngChunks c;
    SWF_TRY(readChunks(data, limits, c));
    const PngHeader& h = c.header;
    if (h.width == 0 || h.height == 0 || std::uint64_t(h.width) * h.height > limits.maxBitmapPixels)
        return makeError(ErrorCode::LimitExceeded, "the PNG image is empty or larger than allowed");
    const std::size_t bits = std::size_t(h.depth) * h.channels();
    const std::size_t rowBytes = (std::size_t(h.width) * bits + 7) / 8;
    const std::size_t need = (rowBytes + 1) * h.height;
    if (need > limits.maxBitmapBytes)
        return makeError(ErrorCode::LimitExceeded, "the PNG image is larger than allowed");
    auto raw = inflatePartial(c.idat, need);
    SWF_TRY(raw);
    if (raw->empty())
        return makeError(ErrorCode::Malformed, "the PNG image data is damaged");
    raw->resize(need, 0); // a short stream leaves the rest black
    unfilter(*raw, rowBytes, h.height, std::max<std::size_t>(1, bits / 8));
    DecodedBitmap out;
    out.width = int(h.width);
    out.height = int(h.height);
    out.pixels.resize(std::size_t(h.width) * h.height);
    for (std::size_t y = 0; y < h.height; ++y) {
        const std::uint8_t* row = raw->data() + y * (rowBytes + 1) + 1;
        for (std::size_t x = 0; x < h.width; ++x)
            out.pixels[y * h.width + x] = premultiplied(pixelAt(c, row, x));
    }
    return out;
}

} // namespace swf::detail
