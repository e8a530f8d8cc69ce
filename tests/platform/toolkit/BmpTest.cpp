#include "Bitmap.h"
#include "Canvas.h"
#include "Exceptions.h"
#include "Stream.h"

#include <QImage>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TBitmap pattern(int w, int h, TPixelFormat pf)
{
    TBitmap b(w, h, pf32bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, RGB(uint8_t(x * 40), uint8_t(y * 60), uint8_t((x + y) * 20)));
    b.SetPixelFormat(pf);
    return b;
}

QImage readWithQt(const TMemoryStream& s)
{
    QImage img;
    img.loadFromData(s.Memory(), static_cast<int>(s.Bytes().size()), "BMP");
    return img;
}

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

} // namespace

class BmpRoundTrip : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(BmpRoundTrip, QtReadsWhatWeWriteAndWeReadItBack)
{
    TBitmap b = pattern(5, 3, GetParam());
    TMemoryStream s;
    b.SaveToStream(s);

    QImage img = readWithQt(s);
    ASSERT_FALSE(img.isNull());
    ASSERT_EQ(img.width(), 5);
    ASSERT_EQ(img.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            TColor c = b.GetPixel(x, y);
            QRgb q = img.pixel(x, y);
            EXPECT_EQ(RGB(qRed(q), qGreen(q), qBlue(q)), c) << x << "," << y;
        }

    s.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.PixelFormat(), GetParam());
    EXPECT_EQ(back.Width(), 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(back.GetPixel(x, y), b.GetPixel(x, y));
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip, ::testing::Values(pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit));

TEST(BmpTest, ThirtyTwoBitFrameFileLayout)
{
    TBitmap b(320, 240, pf32bit);
    uint8_t* bottom = b.ScanLine(239);
    bottom[0] = 1, bottom[1] = 2, bottom[2] = 3, bottom[3] = 0x80;  // bottom-left pixel, with alpha
    TMemoryStream s;
    b.SaveToStream(s);
    const uint8_t* d = s.Memory();
    ASSERT_EQ(s.Size(), 307254);
    EXPECT_EQ(d[0], 'B');
    EXPECT_EQ(d[1], 'M');
    EXPECT_EQ(le32(d + 2), 307254u);
    EXPECT_EQ(le32(d + 6), 0u);
    EXPECT_EQ(le32(d + 10), 54u);
    EXPECT_EQ(le32(d + 14), 40u);
    EXPECT_EQ(le32(d + 18), 320u);
    EXPECT_EQ(le32(d + 22), 240u);
    EXPECT_EQ(d[26] | (d[27] << 8), 1);
    EXPECT_EQ(d[28] | (d[29] << 8), 32);
    EXPECT_EQ(le32(d + 30), 0u);
    EXPECT_EQ(le32(d + 34), 307200u);
    for (int i = 38; i < 54; ++i)
        EXPECT_EQ(d[i], 0) << i;
    EXPECT_EQ(d[54], 1);
    EXPECT_EQ(d[55], 2);
    EXPECT_EQ(d[56], 3);
    EXPECT_EQ(d[57], 0x80);
}

TEST(BmpTest, MalformedFilesAreRefused)
{
    TBitmap good = pattern(4, 4, pf8bit);
    TMemoryStream s;
    good.SaveToStream(s);
    const std::vector<uint8_t> bytes = s.Bytes();

    auto load = [](std::vector<uint8_t> data) {
        TMemoryStream in(std::move(data));
        TBitmap b;
        b.LoadFromStream(in);
    };
    auto patched = [&](size_t at, std::vector<uint8_t> value) {
        auto d = bytes;
        std::copy(value.begin(), value.end(), d.begin() + at);
        return d;
    };
    // Every cut of the file is refused without reading past it.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_THROW(load(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)), EInvalidGraphic) << n;
    EXPECT_THROW(load(patched(0, {'X'})), EInvalidGraphic);                  // signature
    EXPECT_THROW(load(patched(18, {0, 0, 0, 0})), EInvalidGraphic);          // width 0
    EXPECT_THROW(load(patched(18, {0xFF, 0xFF, 0xFF, 0x7F})), EInvalidGraphic);  // absurd width
    EXPECT_THROW(load(patched(28, {7, 0})), EInvalidGraphic);                // 7 bits per pixel
    EXPECT_THROW(load(patched(30, {1, 0, 0, 0})), EInvalidGraphic);          // run-length coded
    EXPECT_THROW(load(patched(46, {1, 1, 0, 0})), EInvalidGraphic);          // 257 colours for 8 bits
    EXPECT_THROW(load(patched(14, {200, 0, 0, 0})), EInvalidGraphic);        // unknown header size
    EXPECT_NO_THROW(load(bytes));
}

TEST(BmpTest, TopDownFilesAreRead)
{
    TBitmap b = pattern(3, 2, pf24bit);
    TMemoryStream s;
    b.SaveToStream(s);
    auto d = s.Bytes();
    // Negate the height and swap the two rows: the same picture, stored top-down.
    int32_t h = -2;
    std::memcpy(&d[22], &h, 4);
    std::vector<uint8_t> row0(d.begin() + 54, d.begin() + 66);
    std::copy(d.begin() + 66, d.begin() + 78, d.begin() + 54);
    std::copy(row0.begin(), row0.end(), d.begin() + 66);
    TMemoryStream in(d);
    TBitmap back;
    back.LoadFromStream(in);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back.GetPixel(x, y), b.GetPixel(x, y));
}
