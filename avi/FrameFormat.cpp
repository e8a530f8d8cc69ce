#include "FrameFormat.h"

#include "LittleEndian.h"
#include "PixelFormats.h"

#include <array>
#include <cstring>

int BitsForDepth(TPixelFormat depth)
{
    switch (depth) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    default: return 0;
    }
}

uint64_t RowBytesFor(int64_t width, int bits)
{
    return ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 31) & ~uint64_t(31)) / 8;
}

FrameLayout LayoutFor(int width, int height, int bits)
{
    FrameLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = bits;
    layout.rowBytes = static_cast<uint32_t>(RowBytesFor(width, bits));
    layout.imageBytes = layout.rowBytes * static_cast<uint32_t>(height);
    return layout;
}

const std::vector<TRGBQuad>& ColourTableFor(int bits)
{
    static const std::vector<TRGBQuad> none;
    switch (bits) {
    case 1: return pixel_formats::MonochromePalette();
    case 4: return pixel_formats::StandardPalette16();
    case 8: return pixel_formats::HalftonePalette();
    default: return none;
    }
}

std::vector<uint8_t> FrameFormatBlock(const FrameLayout& layout)
{
    LittleEndianBytes out;
    // biSize, biWidth, biHeight (positive: bottom-up rows), biPlanes, biBitCount
    out.U32(40);
    out.U32(static_cast<uint32_t>(layout.width));
    out.U32(static_cast<uint32_t>(layout.height));
    out.U16(1);
    out.U16(static_cast<uint16_t>(layout.bits));
    // biCompression BI_RGB, biSizeImage, biXPelsPerMeter, biYPelsPerMeter, biClrUsed, biClrImportant
    out.U32(0);
    out.U32(layout.imageBytes);
    for (int i = 0; i < 4; ++i)
        out.U32(0);
    if (layout.bits <= 8) {
        const std::vector<TRGBQuad>& table = ColourTableFor(layout.bits);
        // 2^bits entries of blue, green, red, 0
        for (size_t i = 0; i < (size_t(1) << layout.bits); ++i) {
            TRGBQuad q = i < table.size() ? table[i] : TRGBQuad{};
            out.U8(q.rgbBlue);
            out.U8(q.rgbGreen);
            out.U8(q.rgbRed);
            out.U8(0);
        }
    }
    return out.Take();
}

namespace {

// Remembers recent matches in a small direct-mapped table: captured frames reuse few
// colours, and the search for the nearest entry costs far more than a look-up.
template <uint8_t (*Nearest)(uint8_t, uint8_t, uint8_t)>
class CachedMatch {
public:
    CachedMatch() { m_keys.fill(0xFFFFFFFFu); }
    uint8_t operator()(const uint8_t* bgr)
    {
        uint32_t key = uint32_t(bgr[0]) | (uint32_t(bgr[1]) << 8) | (uint32_t(bgr[2]) << 16);
        if (key == m_lastKey)
            return m_lastIndex;
        uint32_t slot = (key * 2654435761u) >> (32 - kSlotBits);
        if (m_keys[slot] != key) {
            m_keys[slot] = key;
            m_indices[slot] = Nearest(bgr[2], bgr[1], bgr[0]);
        }
        m_lastKey = key;
        m_lastIndex = m_indices[slot];
        return m_lastIndex;
    }

private:
    static constexpr int kSlotBits = 12;
    std::array<uint32_t, 1 << kSlotBits> m_keys;
    std::array<uint8_t, 1 << kSlotBits> m_indices{};
    uint32_t m_lastKey = 0xFFFFFFFFu;
    uint8_t m_lastIndex = 0;
};

template <int Bits, typename Match>
void packRow(const uint8_t* in, int width, Match& match, uint8_t* out)
{
    if constexpr (Bits == 8) {
        for (int x = 0; x < width; ++x)
            out[x] = match(in + 3 * x);
        return;
    }
    constexpr int perByte = 8 / Bits;
    for (int x = 0; x < width; x += perByte) {
        uint8_t byte = 0;
        for (int k = 0; k < perByte; ++k) {
            // The leftmost pixel takes the most significant bits.
            uint8_t index = x + k < width ? match(in + 3 * (x + k)) : 0;
            byte = static_cast<uint8_t>(byte | (index << (8 - Bits * (k + 1))));
        }
        out[x / perByte] = byte;
    }
}

template <int Bits, uint8_t (*Nearest)(uint8_t, uint8_t, uint8_t)>
void packAll(const uint8_t* frame24, const FrameLayout& layout, uint8_t* out)
{
    static thread_local CachedMatch<Nearest> match;
    uint64_t inRow = RowBytesFor(layout.width, 24);
    for (int y = 0; y < layout.height; ++y) {
        uint8_t* row = out + size_t(y) * layout.rowBytes;
        std::memset(row, 0, layout.rowBytes);
        packRow<Bits>(frame24 + size_t(y) * inRow, layout.width, match, row);
    }
}

} // namespace

void PackFrame(const uint8_t* frame24, const FrameLayout& layout, uint8_t* out)
{
    switch (layout.bits) {
    case 24: std::memcpy(out, frame24, layout.imageBytes); break;
    case 8: packAll<8, pixel_formats::NearestHalftone>(frame24, layout, out); break;
    case 4: packAll<4, pixel_formats::NearestStandard16>(frame24, layout, out); break;
    case 1: packAll<1, pixel_formats::NearestMonochrome>(frame24, layout, out); break;
    default: break;
    }
}
