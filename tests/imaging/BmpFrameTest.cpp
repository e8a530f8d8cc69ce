// The BMP file of a 32-bit frame, as the image series writes it through the toolkit
// bitmap: a fixed 54-byte header, no colour table, bottom-up rows of blue, green, red, alpha.
#include "Bitmap.h"
#include "ImagingTestSupport.h"

#include <gtest/gtest.h>

using namespace imaging_test;

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }

TBitmap makeFrame(int width, int height)
{
    TBitmap frame(width, height, pf32bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = frame.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[4 * x] = uint8_t(x);
            row[4 * x + 1] = uint8_t(y);
            row[4 * x + 2] = uint8_t(x + y);
            row[4 * x + 3] = uint8_t(255 - x);
        }
    }
    // Bottom-left and top-left told apart.
    uint8_t* bottom = frame.ScanLine(height - 1);
    bottom[0] = 0x11, bottom[1] = 0x22, bottom[2] = 0x33, bottom[3] = 0x44;
    uint8_t* top = frame.ScanLine(0);
    top[0] = 0xAA, top[1] = 0xBB, top[2] = 0xCC, top[3] = 0xDD;
    return frame;
}

} // namespace

TEST(BmpFrame, A320By240FrameIsItsHeaderAndPixelsOnly)
{
    TBitmap frame = makeFrame(320, 240);
    TMemoryStream stream;
    frame.SaveToStream(stream);
    const std::vector<uint8_t>& b = stream.Bytes();
    ASSERT_EQ(b.size(), 307254u);
    EXPECT_EQ(b[0], 0x42);  // "BM"
    EXPECT_EQ(b[1], 0x4D);
    EXPECT_EQ(le32(b, 2), 307254u);
    EXPECT_EQ(le32(b, 6), 0u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 320u);
    EXPECT_EQ(le32(b, 22), 240u);  // positive: bottom row first
    EXPECT_EQ(le16(b, 26), 1);
    EXPECT_EQ(le16(b, 28), 32);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), 307200u);
    for (size_t at = 38; at < 54; at += 4)
        EXPECT_EQ(le32(b, at), 0u) << "offset " << at;
    // The first pixel is the bottom-left one, alpha byte included.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.begin() + 58), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44}));
    // The top row comes last.
    const size_t topRow = 54 + size_t(239) * 320 * 4;
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(topRow), b.begin() + long(topRow) + 4),
              (std::vector<uint8_t>{0xAA, 0xBB, 0xCC, 0xDD}));
    // A pixel inside: x = 7 of the row y = 100 from the top.
    const size_t inner = 54 + size_t(239 - 100) * 1280 + 7 * 4;
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(inner), b.begin() + long(inner) + 4),
              (std::vector<uint8_t>{7, 100, 107, 248}));
}

TEST(BmpFrame, SavedFileIsReadByPillowWithTheFramesColours)
{
    ScratchDir dir("bmp-frame");
    const std::string path = dir.File("1.bmp");
    TBitmap frame = makeFrame(33, 17);
    frame.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path).size(), 54u + 4 * 33 * 17);
    std::string out;
    const std::string script =
        "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "print(im.size[0], im.size[1], *im.convert('RGB').getpixel((0, 16)), *im.convert('RGB').getpixel((5, 3)))";
    ASSERT_EQ(imaging_test::Run(Python() + " -c \"" + script + "\" '" + path + "'", &out), 0) << out;
    EXPECT_EQ(out, "33 17 51 34 17 8 3 5\n");
}
