#include "BmpHeaders.h"

#include <algorithm>
#include <cstring>

namespace gif {
namespace {

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | (Get16(p + 2) << 16); }

} // namespace

void WriteBmpHeaders(uint8_t* out, const BmpLayout& layout)
{
    std::memset(out, 0, BmpLayout::kHeadersSize);
    // BITMAPFILEHEADER: type, file size, two reserved words, offset of the rows.
    out[0] = 'B';
    out[1] = 'M';
    Put32(out + 2, uint32_t(layout.FileSize()));
    Put32(out + 10, uint32_t(layout.PixelOffset()));
    // BITMAPINFOHEADER: size, width, height, planes, bit count, compression, image size.
    Put32(out + 14, 40);
    Put32(out + 18, uint32_t(layout.width));
    Put32(out + 22, uint32_t(layout.height));
    Put16(out + 26, 1);
    Put16(out + 28, uint32_t(layout.bits));
    Put32(out + 34, uint32_t(layout.Stride() * size_t(layout.height)));
}

BmpProblem ParseIndexedBmp(const uint8_t* data, size_t size, IndexedBmpView& view)
{
    if (size < BmpLayout::kHeadersSize)
        return BmpProblem::Malformed;
    const int32_t width = int32_t(Get32(data + 18));
    const int32_t height = int32_t(Get32(data + 22));
    const int bits = int(Get16(data + 28));
    if (bits != 1 && bits != 4 && bits != 8)
        return BmpProblem::NotIndexed;
    if (width < 0 || height < 0 || width > 0xFFFF || height > 0xFFFF)
        return BmpProblem::Malformed;
    BmpLayout layout{width, height, bits, 1 << bits};
    const size_t offset = Get32(data + 10);
    if (offset < BmpLayout::kHeadersSize || offset > size || size - offset < layout.Stride() * size_t(height))
        return BmpProblem::Malformed;
    // A shorter table than the depth allows leaves the remaining entries black.
    const int entries = int(std::min<size_t>(size_t(1) << bits, (offset - BmpLayout::kHeadersSize) / 4));
    view = IndexedBmpView{width, height, bits, data + BmpLayout::kHeadersSize, entries, data + offset};
    return BmpProblem::None;
}

} // namespace gif
