#include "BmpHeaders.h"
#include "ColourReduction.h"
#include "Exceptions.h"
#include "GifTestSupport.h"
#include "Lzw.h"
#include "Reference.h"
#include "SyntheticFrames.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using gif_test::MakeBitmap;

namespace {

struct Reduced {
    std::vector<TRGBQuad> table;
    std::vector<uint8_t> rows;  // bottom-up, padded
    int width = 0, height = 0;
    uint8_t IndexAt(int x, int y) const { return rows[size_t(height - 1 - y) * ((size_t(width) + 3) & ~size_t(3)) + size_t(x)]; }
};

Reduced Reduce(const TBitmap& bitmap, TColorReduction method)
{
    std::unique_ptr<TMemoryStream> bmp = ReduceToIndexed(bitmap, pf8bit, method);
    gif::IndexedBmpView view;
    EXPECT_EQ(gif::ParseIndexedBmp(bmp->Memory(), size_t(bmp->Size()), view), gif::BmpProblem::None);
    EXPECT_EQ(view.bits, 8);
    Reduced r;
    r.width = view.width;
    r.height = view.height;
    for (int i = 0; i < 256; ++i)
        r.table.push_back({view.table[4 * i], view.table[4 * i + 1], view.table[4 * i + 2], view.table[4 * i + 3]});
    r.rows.assign(view.rows, view.rows + ((size_t(view.width) + 3) & ~size_t(3)) * size_t(view.height));
    return r;
}

const TRGBQuad kGrey128 = RgbQuad(128, 128, 128);

} // namespace

TEST(ColourReduction, ThreeColoursExactMostFrequentFirst)
{
    // Red on 6 pixels, green on 2, blue on 4.
    TBitmap bitmap = MakeBitmap(4, 3, [](int x, int y) {
        int n = y * 4 + x;
        return n < 6 ? RGB(200, 10, 10) : n < 8 ? RGB(10, 200, 10) : RGB(10, 10, 200);
    });
    Reduced r = Reduce(bitmap, rmHistogram);
    EXPECT_EQ(r.table[0], RgbQuad(200, 10, 10));
    EXPECT_EQ(r.table[1], RgbQuad(10, 10, 200));
    EXPECT_EQ(r.table[2], RgbQuad(10, 200, 10));
    for (int i = 3; i < 256; ++i)
        EXPECT_EQ(r.table[size_t(i)], kGrey128);
    EXPECT_EQ(r.IndexAt(0, 0), 0);
    EXPECT_EQ(r.IndexAt(3, 1), 2);
    EXPECT_EQ(r.IndexAt(3, 2), 1);
}

TEST(ColourReduction, EqualCountsGoToTheColourMetFirstBottomUp)
{
    // The bottom row is scanned first: its colour gets index 0 although the top row
    // holds the other colour as often.
    TBitmap bitmap = MakeBitmap(3, 2, [](int, int y) { return y == 0 ? clYellow : clNavy; });
    Reduced r = Reduce(bitmap, rmHistogram);
    EXPECT_EQ(r.table[0], RgbQuad(0, 0, 128));
    EXPECT_EQ(r.table[1], RgbQuad(255, 255, 0));
}

TEST(ColourReduction, ManyColoursStayNearTheirEntries)
{
    // 5000 distinct colours: more than the table counts, so low bits are dropped
    // (blue first), and more than 256, so they are grouped.
    TBitmap bitmap = MakeBitmap(100, 50, [](int x, int y) {
        int n = y * 100 + x;
        return RGB(uint8_t(n % 256), uint8_t(n / 256 * 13), uint8_t(n * 37 % 256));
    });
    Reduced r = Reduce(bitmap, rmHistogram);
    std::vector<uint8_t> indices, table;
    reference::Histogram(bitmap.Bits(), 100, 50, indices, table);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(r.table[size_t(i)], (TRGBQuad{table[size_t(4 * i)], table[size_t(4 * i + 1)], table[size_t(4 * i + 2)], 0}));
    EXPECT_EQ(r.rows, indices);
    // Every pixel keeps a colour near its own, whatever its frequency.
    int worst = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const TColor c = bitmap.GetPixel(x, y);
            const TRGBQuad q = r.table[r.IndexAt(x, y)];
            worst = std::max({worst, std::abs(GetRValue(c) - q.rgbRed), std::abs(GetGValue(c) - q.rgbGreen),
                              std::abs(GetBValue(c) - q.rgbBlue)});
        }
    EXPECT_LE(worst, 48);
}

TEST(ColourReduction, AGreyGradientKeepsItsGreys)
{
    // 300 greys under 300 more frequent reds: the most frequent colours alone would
    // fill the table with reds and leave every grey to the nearest red.
    TBitmap bitmap = MakeBitmap(600, 40, [](int x, int y) {
        if (y < 30)
            return RGB(255, uint8_t(x / 2 % 150), uint8_t(x / 2 / 150 * 50));
        const int grey = x / 2 * 255 / 299;
        return RGB(uint8_t(grey), uint8_t(grey), uint8_t(grey));
    });
    Reduced r = Reduce(bitmap, rmHistogram);
    for (int x = 0; x < 600; x += 7) {
        const TRGBQuad q = r.table[r.IndexAt(x, 35)];
        const int grey = x / 2 * 255 / 299;
        EXPECT_LE(std::abs(q.rgbRed - grey) + std::abs(q.rgbGreen - grey) + std::abs(q.rgbBlue - grey), 12) << x;
    }
    const TRGBQuad red = r.table[r.IndexAt(10, 10)];
    EXPECT_LE(std::abs(red.rgbRed - 255) + std::abs(red.rgbGreen - 5) + red.rgbBlue, 12);
}

TEST(ColourReduction, MatchesTheStraightforwardMethod)
{
    struct Case {
        int width, height;
        std::function<TColor(int, int)> colour;
    };
    std::mt19937 rng(11);
    const Case cases[] = {
        {440, 316, [](int x, int y) { return RGB(uint8_t(x * 255 / 439), uint8_t(y * 255 / 315), 90); }},
        {200, 100, [&](int, int) { return TColor(rng() & 0xFFFFFF); }},
        {97, 41, [&](int, int) { return RGB(uint8_t(rng() % 6 * 40), uint8_t(rng() % 7 * 30), uint8_t(rng() % 5 * 50)); }},
        {320, 240, [](int x, int y) { return ((x / 16 + y / 16) & 1) ? RGB(uint8_t(x), uint8_t(y), uint8_t(x ^ y)) : clWhite; }},
        {1, 1, [](int, int) { return clRed; }},
        {255, 9, [](int x, int) { return RGB(uint8_t(x), uint8_t(x), uint8_t(x)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        TBitmap bitmap = MakeBitmap(c.width, c.height, c.colour);
        Reduced r = Reduce(bitmap, rmHistogram);
        std::vector<uint8_t> indices, table;
        reference::Histogram(bitmap.Bits(), c.width, c.height, indices, table);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(r.table[size_t(i)], (TRGBQuad{table[size_t(4 * i)], table[size_t(4 * i + 1)], table[size_t(4 * i + 2)], 0})) << i;
        EXPECT_EQ(r.rows, indices);
    }
}

TEST(ColourReduction, GreyRamp)
{
    const TColor colours[] = {clWhite, clBlack, clRed, clLime, clBlue};
    const int expected[] = {255, 0, 76, 149, 28};
    TBitmap bitmap = MakeBitmap(5, 1, [&](int x, int) { return colours[x]; });
    Reduced r = Reduce(bitmap, rmGrey);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(r.IndexAt(x, 0), expected[x]);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(r.table[size_t(i)], RgbQuad(uint8_t(i), uint8_t(i), uint8_t(i)));
}

TEST(ColourReduction, OtherPixelFormatsReadThroughTheirColours)
{
    TBitmap bitmap = MakeBitmap(7, 3, [](int x, int) { return x < 3 ? clTeal : clOlive; });
    TBitmap wide(bitmap);
    wide.SetPixelFormat(pf32bit);
    TBitmap narrow(bitmap);
    narrow.SetPixelFormat(pf16bit);
    EXPECT_EQ(Reduce(wide, rmHistogram).rows, Reduce(bitmap, rmHistogram).rows);
    Reduced r = Reduce(narrow, rmHistogram);
    EXPECT_EQ(r.IndexAt(0, 0), r.IndexAt(2, 2));
    EXPECT_NE(r.IndexAt(0, 0), r.IndexAt(6, 0));
}

TEST(ColourReduction, EmptyBitmapIsInvalid)
{
    TBitmap empty;
    try {
        ReduceToIndexed(empty, pf8bit, rmHistogram);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
}

TEST(ColourReduction, BenchmarkFramesMatchTheStraightforwardMethodAndCoder)
{
    // A few frames of each synthetic benchmark set, the whole path: reduction and LZW.
    for (auto set : {synthetic::FrameSet::Rich, synthetic::FrameSet::Cartoon})
        for (int index : {0, 57}) {
            TBitmap bitmap = synthetic::MakeFrame(set, index);
            Reduced r = Reduce(bitmap, rmHistogram);
            std::vector<uint8_t> indices, table;
            reference::Histogram(bitmap.Bits(), bitmap.Width(), bitmap.Height(), indices, table);
            ASSERT_EQ(r.rows, indices);
            for (int i = 0; i < 256; ++i)
                ASSERT_EQ(r.table[size_t(i)], (TRGBQuad{table[size_t(4 * i)], table[size_t(4 * i + 1)], table[size_t(4 * i + 2)], 0}));
            std::vector<uint8_t> coded;
            gif::LzwEncode(coded, gif::RasterShape{bitmap.Width(), bitmap.Height(), 8, false}, r.rows.data());
            EXPECT_EQ(coded, reference::LzwEncode(indices.data(), bitmap.Width(), bitmap.Height(), 8));
        }
}
