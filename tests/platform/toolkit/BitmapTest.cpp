#include "Bitmap.h"
#include "Canvas.h"
#include "PixelFormats.h"

#include <gtest/gtest.h>

namespace {

TBitmap filled(int w, int h, TColor c, TPixelFormat pf = pf24bit)
{
    TBitmap b(w, h, pf);
    b.Canvas().Brush.Color = c;
    b.Canvas().FillRect(Rect(0, 0, w, h));
    return b;
}

} // namespace

TEST(BitmapTest, StoreIsBottomUpWithRowsPaddedToFourBytes)
{
    TBitmap b(3, 2, pf24bit);
    EXPECT_EQ(b.RowBytes(), 12);
    EXPECT_EQ(b.BitsSize(), 24u);
    b.SetPixel(0, 1, clRed);  // bottom-left pixel: first bytes of the store
    EXPECT_EQ(b.Bits()[0], 0);
    EXPECT_EQ(b.Bits()[2], 255);
    EXPECT_EQ(b.ScanLine(1), b.Bits());
    EXPECT_EQ(TBitmap::RowBytesOf(33, pf1bit), 8);
    EXPECT_EQ(TBitmap::RowBytesOf(5, pf4bit), 4);
}

TEST(BitmapTest, FourBitConversionUsesTheSixteenColoursInOrder)
{
    const auto& table = pixel_formats::StandardPalette16();
    ASSERT_EQ(table.size(), 16u);
    const TColor order[16] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                              clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
    TBitmap b(16, 1, pf24bit);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue), order[i]) << i;
        b.SetPixel(15 - i, 0, order[i]);
    }
    b.SetPixelFormat(pf4bit);
    EXPECT_EQ(b.Palette(), table);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(b.GetPixel(15 - i, 0), order[i]);
    EXPECT_EQ(b.ScanLine(0)[0], 0xFE);  // white (15) then aqua (14), high nibble first
    // A colour between entries takes the nearest one.
    b.SetPixel(0, 0, RGB(250, 10, 5));
    EXPECT_EQ(b.GetPixel(0, 0), clRed);
}

TEST(BitmapTest, OneBitConversionGivesBlackAndWhite)
{
    TBitmap b(10, 1, pf24bit);
    const TColor in[4] = {RGB(200, 200, 200), RGB(40, 60, 20), RGB(255, 0, 0), RGB(0, 255, 255)};
    for (int i = 0; i < 4; ++i)
        b.SetPixel(i, 0, in[i]);
    b.SetPixelFormat(pf1bit);
    EXPECT_TRUE(b.Monochrome());
    ASSERT_EQ(b.Palette().size(), 2u);
    EXPECT_EQ(b.GetPixel(0, 0), clWhite);
    EXPECT_EQ(b.GetPixel(1, 0), clBlack);
    EXPECT_EQ(b.GetPixel(2, 0), clBlack);  // 255+0+0 lies nearer black
    EXPECT_EQ(b.GetPixel(3, 0), clWhite);
    EXPECT_EQ(b.ScanLine(0)[0], 0x90);
}

TEST(BitmapTest, HalftoneMatchingIsTheExactNearestEntry)
{
    const auto& table = pixel_formats::HalftonePalette();
    ASSERT_EQ(table.size(), 256u);
    for (int r = 0; r < 256; r += 7)
        for (int g = 0; g < 256; g += 11)
            for (int b = 0; b < 256; b += 13)
                ASSERT_EQ(pixel_formats::NearestHalftone(r, g, b), pixel_formats::NearestInTable(table, r, g, b))
                    << r << "," << g << "," << b;
    TBitmap bmp = filled(4, 4, RGB(51, 102, 255));
    bmp.SetPixelFormat(pf8bit);
    EXPECT_EQ(bmp.ScanLine(0)[0], 36 * 1 + 6 * 2 + 5);
    EXPECT_EQ(bmp.GetPixel(3, 3), RGB(51, 102, 255));
}

TEST(BitmapTest, GrowingAFormatKeepsTheColours)
{
    TBitmap b = filled(5, 3, clOlive, pf4bit);
    b.SetPixelFormat(pf32bit);
    EXPECT_EQ(b.GetPixel(4, 2), clOlive);
    b.SetPixelFormat(pf16bit);
    EXPECT_EQ(b.GetPixel(0, 0), clOlive);  // 128 survives 5-6-5 exactly
    b.SetPixel(1, 0, RGB(255, 255, 255));
    EXPECT_EQ(b.GetPixel(1, 0), RGB(248, 252, 248));
}

TEST(BitmapTest, StretchCopyMapsColumnsByNearestPixel)
{
    TBitmap src(3, 1, pf24bit);
    src.SetPixel(0, 0, clRed);
    src.SetPixel(1, 0, clLime);
    src.SetPixel(2, 0, clBlue);
    TBitmap dst(7, 2, pf32bit);
    dst.Canvas().StretchDraw(Rect(0, 0, 7, 2), src);
    // column x takes source column x * 3 / 7: 0 0 0 1 1 2 2
    const TColor want[7] = {clRed, clRed, clRed, clLime, clLime, clBlue, clBlue};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(dst.GetPixel(x, 0), want[x]) << x;
        EXPECT_EQ(dst.GetPixel(x, 1), want[x]) << x;
    }
    // Drawing partly outside is clipped, not an error.
    dst.Canvas().Draw(5, 1, src);
    EXPECT_EQ(dst.GetPixel(5, 1), clRed);
    EXPECT_EQ(dst.GetPixel(6, 1), clLime);
}

TEST(BitmapTest, SizeChangeKeepsPixelsAndAssignCopies)
{
    TBitmap b = filled(4, 4, clTeal);
    b.SetSize(6, 2);
    EXPECT_EQ(b.GetPixel(3, 1), clTeal);
    EXPECT_EQ(b.GetPixel(5, 1), clBlack);
    TBitmap c;
    c.Assign(&b);
    EXPECT_EQ(c.Width(), 6);
    EXPECT_EQ(c.GetPixel(0, 0), clTeal);
    EXPECT_EQ(c.TransparentColor(), clTeal);  // default: the bottom-left pixel
    c.SetTransparentColor(clAqua);
    EXPECT_EQ(c.TransparentColor(), clAqua);
}

TEST(BitmapTest, SystemColoursResolveBeforeUse)
{
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    TBitmap b = filled(1, 1, clWindow);
    EXPECT_EQ(b.GetPixel(0, 0), clWhite);
}
