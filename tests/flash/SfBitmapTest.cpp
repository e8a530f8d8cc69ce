#include "sf_bitmap.h"

#include "Bitmap.h"
#include "Canvas.h"
#include "DeviceContext.h"

#include <gtest/gtest.h>

namespace {

struct VariantGuard {
    ~VariantGuard() { SetBlendVariant(TsfBlendVariant::Vector); }
};

} // namespace

TEST(SfBitmapTest, SetSizeRules)
{
    TsfBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Header().biSize, 40u);
    b.SetSize(-20, 10);
    EXPECT_EQ(b.Width(), 20);
    EXPECT_EQ(b.Height(), 10);
    EXPECT_EQ(b.Header().biHeight, -10);
    EXPECT_EQ(TsfBitmap::FindBitmapByDC(b.DC()), &b);
    b.SetPixel(3, 4, 0x11223344);
    b.SetSize(0, 10);  // nothing
    b.SetSize(20, 10);  // same size keeps the pixels
    EXPECT_EQ(b.Pixel(3, 4), 0x11223344u);
    b.SetSize(21, 10);  // anything else clears them
    EXPECT_EQ(b.Pixel(3, 4), 0u);
    // Outside reads give 0 and writes change nothing.
    b.SetPixel(b.Width(), 0, 0xFFFFFFFF);
    EXPECT_EQ(b.Pixel(b.Width(), 0), 0u);
    EXPECT_EQ(b.Pixel(-1, 0), 0u);
    HDC dc = b.DC();
    {
        TsfBitmap other;
        other.SetSize(1, 1);
        EXPECT_EQ(TsfBitmap::FindBitmapByDC(other.DC()), &other);
    }
    EXPECT_EQ(TsfBitmap::FindBitmapByDC(dc), &b);
}

TEST(SfBitmapTest, BlendRowVariants)
{
    VariantGuard guard;
    const uint32_t s = 0x80FF0000, d = 0xFF0000FF;
    struct Case {
        TsfBlendVariant variant;
        uint32_t want;
    } cases[] = {{TsfBlendVariant::Vector, 0xBF7F007F}, {TsfBlendVariant::Plain, 0xFF7F007E}};
    for (const Case& c : cases) {
        SetBlendVariant(c.variant);
        uint32_t out = d;
        BlendRow(&s, &out, 1);
        EXPECT_EQ(out, c.want);
        uint32_t clear = 0x00ABCDEF, keep = d;
        BlendRow(&clear, &keep, 1);
        EXPECT_EQ(keep, d);  // alpha 0 leaves the destination
        uint32_t solid = 0xFF123456, copy = d;
        BlendRow(&solid, &copy, 1);
        EXPECT_EQ(copy, solid);  // alpha 255 copies the source
    }
}

TEST(SfBitmapTest, KeyCopyRowSkipsTheKeyColour)
{
    uint32_t src[2] = {0x007F007F, 0x00123456};
    uint32_t dst[2] = {0xAAAAAAAA, 0xBBBBBBBB};
    KeyCopyRow(src, dst, 2);
    EXPECT_EQ(dst[0], 0xAAAAAAAAu);
    EXPECT_EQ(dst[1], 0xFF123456u);
}

TEST(SfBitmapTest, CheckAlphaAndFill)
{
    TsfBitmap b;
    b.SetSize(4, 4);
    b.Fill(0xFF000000);
    b.SetPixel(1, 1, 0x00000000);
    b.CheckAlpha();
    EXPECT_FALSE(b.AlphaBlend);
    b.SetPixel(2, 2, 0x01000000);
    b.CheckAlpha();
    EXPECT_TRUE(b.AlphaBlend);

    b.AlphaBlend = false;
    b.FillRect(RECT{-5, 2, 2, 10}, 0xFF00FF00);  // clipped to (0, 2)-(2, 4)
    EXPECT_EQ(b.Pixel(1, 3), 0xFF00FF00u);
    EXPECT_EQ(b.Pixel(2, 3), 0xFF000000u);
    EXPECT_EQ(b.Pixel(1, 1), 0u);
    b.SetAlpha(7);
    EXPECT_EQ(b.Pixel(1, 3), 0x0700FF00u);
    EXPECT_EQ(ColorToPixel(clWindow, 255), 0xFFFFFFFFu);
    EXPECT_EQ(ColorToPixel(RGB(1, 2, 3), 0x80), 0x80010203u);
    EXPECT_EQ(PixelToColor(0x80010203u), RGB(1, 2, 3));
}

TEST(SfBitmapTest, ScaledDrawMapsColumnsAsSpecified)
{
    TsfBitmap src, dst;
    src.SetSize(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            src.SetPixel(x, y, 0xFF000000u | uint32_t(x) | (uint32_t(y) << 8));
    dst.SetSize(60, 60);
    // Into a 50 x 50 rectangle at (0, 0) of a context that belongs to another bitmap.
    src.DrawTo(dst.DC(), RECT{0, 0, 50, 50}, RECT{0, 0, 100, 100});
    for (int c = 0; c < 50; ++c) {
        EXPECT_EQ(dst.Pixel(c, 0) & 0xFF, uint32_t(c * 99 / 49)) << c;
        EXPECT_EQ((dst.Pixel(0, c) >> 8) & 0xFF, uint32_t(c * 99 / 49)) << c;
    }
    EXPECT_EQ(dst.Pixel(50, 0), 0u);
    // A moved window origin shifts where the picture lands.
    dst.Fill(0);
    SetWindowOrgEx(dst.DC(), 10, 0, nullptr);
    src.DrawTo(dst.DC(), 10, 0, RECT{0, 0, 5, 5});
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(0, 0));
    // An out-of-range source rectangle draws nothing.
    dst.Fill(0);
    src.DrawToBitmap(dst, RECT{0, 0, 10, 10}, RECT{95, 0, 105, 10});
    EXPECT_EQ(dst.Pixel(0, 0), 0u);
}

TEST(SfBitmapTest, AssignFromAndToToolkitBitmaps)
{
    TBitmap rgb(3, 2, pf24bit);
    rgb.SetPixel(2, 1, clRed);
    TsfBitmap b;
    b.Assign(&rgb);
    EXPECT_EQ(b.Pixel(2, 1), 0xFFFF0000u);  // other formats come in opaque
    EXPECT_FALSE(b.AlphaBlend);

    TBitmap argb(2, 1, pf32bit);
    argb.ScanLine(0)[3] = 0x40;  // a half-transparent pixel keeps its alpha
    b.Assign(&argb);
    EXPECT_EQ(b.Pixel(0, 0), 0x40000000u);
    EXPECT_TRUE(b.AlphaBlend);

    TsfBitmap copy;
    copy.Transparent = false;
    copy.Assign(&b);
    EXPECT_EQ(copy.Pixel(0, 0), 0x40000000u);
    EXPECT_TRUE(copy.AlphaBlend);

    TsfBitmap opaque;
    opaque.SetSize(2, 2);
    opaque.Fill(0xFF102030);
    TBitmap out;
    out.Assign(&opaque);
    EXPECT_EQ(out.PixelFormat(), pf32bit);
    EXPECT_EQ(out.GetPixel(1, 1), RGB(0x10, 0x20, 0x30));
}
