// BMP file streams of TBitmap: a 14-byte file header, a 40-byte info header, the
// colour table of indexed formats (and the masks of 16-bit 5-6-5), bottom-up rows
// padded to 4 bytes. Reading accepts the same layouts (and top-down rows, and the
// larger info headers of later versions) and refuses anything it cannot hold.
#include "Bitmap.h"
#include "Exceptions.h"
#include "Stream.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr int64_t kMaxPixels = int64_t(1) << 28;

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

[[noreturn]] void refuse(const std::string& why)
{
    throw EInvalidGraphic(std::string(toolkit_messages::InvalidImage) + ": " + why);
}

struct BmpInfo {
    int width = 0;
    int height = 0;  // negative: rows stored top-down
    int bits = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    uint32_t masks[3] = {0, 0, 0};
};

TPixelFormat formatFor(const BmpInfo& info)
{
    switch (info.bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return info.compression == kBiBitfields && info.masks[1] == 0x07E0 ? pf16bit : pf15bit;
    case 24: return pf24bit;
    default: return pf32bit;
    }
}

void checkInfo(const BmpInfo& info)
{
    if (info.width <= 0 || info.height == 0)
        refuse("bad size");
    int64_t pixels = int64_t(info.width) * (info.height < 0 ? -int64_t(info.height) : info.height);
    if (pixels > kMaxPixels)
        refuse("picture too large");
    if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 16 && info.bits != 24 && info.bits != 32)
        refuse("unsupported depth " + std::to_string(info.bits));
    if (info.compression == kBiBitfields) {
        bool ok565 = info.bits == 16 && info.masks[0] == 0xF800 && info.masks[1] == 0x07E0 && info.masks[2] == 0x001F;
        bool ok555 = info.bits == 16 && info.masks[0] == 0x7C00 && info.masks[1] == 0x03E0 && info.masks[2] == 0x001F;
        bool ok32 = info.bits == 32 && info.masks[0] == 0xFF0000 && info.masks[1] == 0xFF00 && info.masks[2] == 0xFF;
        if (!ok565 && !ok555 && !ok32)
            refuse("unsupported colour masks");
    } else if (info.compression != kBiRgb) {
        refuse("compressed bitmaps are not supported");
    }
    if (info.bits <= 8 && info.colorsUsed > (1u << info.bits))
        refuse("colour table too large");
}

} // namespace

void TBitmap::LoadFromStream(TStream& stream)
{
    uint8_t fileHeader[14];
    if (stream.Read(fileHeader, 14) != 14 || fileHeader[0] != 'B' || fileHeader[1] != 'M')
        refuse("not a BMP file");
    int64_t start = stream.Position() - 14;
    uint32_t pixelOffset = le32(fileHeader + 10);

    uint8_t sizeField[4];
    if (stream.Read(sizeField, 4) != 4)
        refuse("truncated header");
    uint32_t headerSize = le32(sizeField);
    if (headerSize < 40 || headerSize > 124)
        refuse("unsupported header");
    std::vector<uint8_t> header(headerSize);
    std::memcpy(header.data(), sizeField, 4);
    if (stream.Read(header.data() + 4, headerSize - 4) != headerSize - 4)
        refuse("truncated header");

    BmpInfo info;
    info.width = static_cast<int32_t>(le32(&header[4]));
    info.height = static_cast<int32_t>(le32(&header[8]));
    if (le16(&header[12]) != 1)
        refuse("bad plane count");
    info.bits = le16(&header[14]);
    info.compression = le32(&header[16]);
    info.colorsUsed = le32(&header[32]);
    if (info.compression == kBiBitfields) {
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i)
                info.masks[i] = le32(&header[40 + 4 * i]);
        } else {
            uint8_t masks[12];
            if (stream.Read(masks, 12) != 12)
                refuse("truncated masks");
            for (int i = 0; i < 3; ++i)
                info.masks[i] = le32(masks + 4 * i);
        }
    }
    checkInfo(info);

    std::vector<TRGBQuad> palette;
    if (info.bits <= 8) {
        uint32_t count = info.colorsUsed ? info.colorsUsed : (1u << info.bits);
        std::vector<uint8_t> table(count * 4);
        if (stream.Read(table.data(), table.size()) != table.size())
            refuse("truncated colour table");
        for (uint32_t i = 0; i < count; ++i)
            palette.push_back(TRGBQuad{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0});
    }

    TPixelFormat format = formatFor(info);
    int height = info.height < 0 ? -info.height : info.height;
    int rowBytes = RowBytesOf(info.width, format);
    int64_t needed = int64_t(rowBytes) * height;
    stream.SetPosition(start + pixelOffset);
    if (stream.Size() - stream.Position() < needed)
        refuse("truncated pixel data");

    TBitmap loaded;
    loaded.resetStore(info.width, height, format);
    loaded.m_palette = palette;
    for (int i = 0; i < height; ++i) {
        // Stored row i is picture row height-1-i, unless the file is top-down.
        int y = info.height < 0 ? i : height - 1 - i;
        stream.ReadBuffer(loaded.ScanLine(y), static_cast<size_t>(rowBytes));
    }
    *this = loaded;
}

void TBitmap::SaveToStream(TStream& stream)
{
    int bits = BitsPerPixel();
    bool masks565 = m_format == pf16bit;
    uint32_t tableBytes = bits <= 8 ? static_cast<uint32_t>(m_palette.size()) * 4 : masks565 ? 12 : 0;
    uint32_t imageSize = static_cast<uint32_t>(m_bits.size());
    uint32_t offset = 14 + 40 + tableBytes;

    // BITMAPFILEHEADER
    stream.WriteBuffer("BM", 2);
    stream.WriteDWord(offset + imageSize);  // bfSize
    stream.WriteDWord(0);                   // bfReserved1, bfReserved2
    stream.WriteDWord(offset);              // bfOffBits
    // BITMAPINFOHEADER
    stream.WriteDWord(40);                                   // biSize
    stream.WriteDWord(static_cast<uint32_t>(m_width));       // biWidth
    stream.WriteDWord(static_cast<uint32_t>(m_height));      // biHeight: positive, bottom row first
    stream.WriteWord(1);                                     // biPlanes
    stream.WriteWord(static_cast<uint16_t>(bits));           // biBitCount
    stream.WriteDWord(masks565 ? kBiBitfields : kBiRgb);     // biCompression
    stream.WriteDWord(imageSize);                            // biSizeImage
    stream.WriteDWord(0);                                    // biXPelsPerMeter
    stream.WriteDWord(0);                                    // biYPelsPerMeter
    stream.WriteDWord(bits <= 8 ? static_cast<uint32_t>(m_palette.size()) : 0);  // biClrUsed
    stream.WriteDWord(0);                                    // biClrImportant
    if (bits <= 8) {
        for (const TRGBQuad& q : m_palette) {
            uint8_t entry[4] = {q.rgbBlue, q.rgbGreen, q.rgbRed, 0};
            stream.WriteBuffer(entry, 4);
        }
    } else if (masks565) {
        stream.WriteDWord(0xF800);
        stream.WriteDWord(0x07E0);
        stream.WriteDWord(0x001F);
    }
    stream.WriteBuffer(m_bits.data(), m_bits.size());
}
