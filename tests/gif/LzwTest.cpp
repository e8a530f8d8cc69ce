#include "Lzw.h"
#include "Reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using gif::RasterShape;

namespace {

std::vector<uint8_t> Encode(const RasterShape& shape, const std::vector<uint8_t>& rows)
{
    std::vector<uint8_t> out;
    gif::LzwEncode(out, shape, rows.data());
    return out;
}

std::vector<uint8_t> RandomRows(const RasterShape& shape, uint32_t seed, int levels)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> rows(shape.Bytes(), 0);
    const size_t stride = shape.Stride();
    const int perByte = 8 / shape.bitsPerPixel;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x) {
            int v = int(rng() % uint32_t(levels)) & ((1 << shape.bitsPerPixel) - 1);
            int shift = 8 - shape.bitsPerPixel * (x % perByte + 1);
            rows[stride * size_t(y) + size_t(x / perByte)] |= uint8_t(v << shift);
        }
    return rows;
}

} // namespace

TEST(Lzw, TwoSevensGiveTheFixedBytes)
{
    // Codes clear (256), 7, 7, end (257), nine bits each.
    const RasterShape shape{2, 1, 8, false};
    std::vector<uint8_t> rows = {7, 7, 0, 0};
    EXPECT_EQ(Encode(shape, rows), (std::vector<uint8_t>{0x08, 0x05, 0x00, 0x0F, 0x1C, 0x08, 0x08, 0x00}));
}

TEST(Lzw, MinimumCodeSizeFollowsTheDepth)
{
    for (auto [bits, minimum] : {std::pair{1, 2}, {4, 4}, {8, 8}}) {
        const RasterShape shape{3, 2, bits, false};
        std::vector<uint8_t> rows(shape.Bytes(), 0);
        std::vector<uint8_t> coded = Encode(shape, rows);
        EXPECT_EQ(coded[0], minimum);
        // The first code is the clear code, 2^minimum, in minimum + 1 bits.
        EXPECT_EQ(coded[2] & ((1 << (minimum + 1)) - 1), (1 << minimum) & 0xFF);
    }
}

TEST(Lzw, SubBlocksAreFullButTheLast)
{
    const RasterShape shape{300, 200, 8, false};
    std::vector<uint8_t> coded = Encode(shape, RandomRows(shape, 1, 256));
    size_t at = 1;
    std::vector<int> lengths;
    while (coded[at] != 0) {
        lengths.push_back(coded[at]);
        at += coded[at] + 1u;
    }
    EXPECT_EQ(at + 1, coded.size());
    ASSERT_GT(lengths.size(), 2u);
    for (size_t i = 0; i + 1 < lengths.size(); ++i)
        EXPECT_EQ(lengths[i], 255);
}

// Walks the codes of raster data with the decoder's size rules; returns the code
// sizes in order, clear codes included.
std::vector<std::pair<int, int>> CodesOf(const std::vector<uint8_t>& coded)
{
    std::vector<uint8_t> bits;
    for (size_t at = 1; at < coded.size() && coded[at] != 0; at += coded[at] + 1u)
        bits.insert(bits.end(), coded.begin() + ptrdiff_t(at + 1), coded.begin() + ptrdiff_t(at + 1 + coded[at]));
    const int minimum = coded[0], clear = 1 << minimum, end = clear + 1;
    int size = minimum + 1, next = end + 1;
    bool first = true;
    std::vector<std::pair<int, int>> codes;
    for (size_t pos = 0; pos + size_t(size) <= bits.size() * 8;) {
        int code = 0;
        for (int i = 0; i < size; ++i, ++pos)
            code |= ((bits[pos / 8] >> (pos % 8)) & 1) << i;
        codes.emplace_back(code, size);
        if (code == end)
            break;
        if (code == clear) {
            size = minimum + 1;
            next = end + 1;
            first = true;
            continue;
        }
        if (!first && next < 4096 && ++next >= (1 << size) && size < 12)
            ++size;
        first = false;
    }
    return codes;
}

TEST(Lzw, FullTableClearsAndRestartsAtNineBits)
{
    const RasterShape shape{100, 100, 8, false};
    std::vector<uint8_t> rows = RandomRows(shape, 9, 256);
    std::vector<uint8_t> coded = Encode(shape, rows);
    EXPECT_EQ(coded, reference::LzwEncode(rows.data(), shape.width, shape.height, 8));
    auto codes = CodesOf(coded);
    ASSERT_GT(codes.size(), 4000u);
    EXPECT_EQ(codes.front(), std::make_pair(256, 9));
    // Code 4094 is assigned by the 3837th code after the clear; then comes one more
    // code and the clear, still 12 bits wide, and coding restarts at 9 bits.
    EXPECT_EQ(codes[3837 + 1].second, 12);
    EXPECT_EQ(codes[3837 + 2], std::make_pair(256, 12));
    EXPECT_EQ(codes[3837 + 3].second, 9);
    int maxSize = 0;
    for (auto [code, size] : codes)
        maxSize = std::max(maxSize, size);
    EXPECT_EQ(maxSize, 12);
    std::vector<uint8_t> decoded(shape.Bytes(), 0);
    EXPECT_TRUE(gif::LzwDecode(coded.data(), coded.size(), shape, 8, decoded.data()));
    EXPECT_EQ(decoded, rows);
}

TEST(Lzw, CodeSizeGrowsWhenCode512IsAssigned)
{
    const RasterShape shape{300, 10, 8, false};
    auto codes = CodesOf(Encode(shape, RandomRows(shape, 4, 256)));
    // Codes 0 (clear) and 1..255 assign 258..512; the code after that is 10 bits.
    EXPECT_EQ(codes[255].second, 9);
    EXPECT_EQ(codes[256].second, 10);
}

TEST(Lzw, MatchesTheStraightforwardEncoder)
{
    struct Case {
        RasterShape shape;
        int levels;
    };
    const Case cases[] = {{{1, 1, 8}, 256},   {{17, 9, 8}, 3},     {{440, 316, 8}, 256}, {{440, 316, 8}, 12},
                          {{333, 77, 4}, 16}, {{64, 64, 4}, 2},    {{129, 31, 1}, 2},    {{600, 300, 8}, 40},
                          {{5, 1, 1}, 2},     {{700, 100, 8}, 200}};
    uint32_t seed = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.shape.width) + "x" + std::to_string(c.shape.height));
        std::vector<uint8_t> rows = RandomRows(c.shape, seed++, c.levels);
        EXPECT_EQ(Encode(c.shape, rows), reference::LzwEncode(rows.data(), c.shape.width, c.shape.height, c.shape.bitsPerPixel));
    }
}

TEST(Lzw, DecodingGivesBackTheRowsInterlacedOrNot)
{
    for (int bits : {1, 4, 8})
        for (bool interlaced : {false, true})
            for (int height : {1, 2, 3, 5, 8, 9, 17, 100}) {
                const RasterShape shape{37, height, bits, interlaced};
                std::vector<uint8_t> rows = RandomRows(shape, uint32_t(height * 31 + bits), 1 << bits);
                // Row padding stays zero in both.
                std::vector<uint8_t> coded;
                gif::LzwEncode(coded, shape, rows.data());
                std::vector<uint8_t> decoded(shape.Bytes(), 0);
                EXPECT_TRUE(gif::LzwDecode(coded.data(), coded.size(), shape, bits, decoded.data()));
                EXPECT_EQ(decoded, rows) << bits << " bits, height " << height << (interlaced ? " interlaced" : "");
            }
}

TEST(Lzw, InterlacedRowOrder)
{
    std::vector<int> rows;
    int pass = 0;
    for (int y = 0; y < 10; y = gif::NextInterlacedRow(y, 10, pass))
        rows.push_back(y);
    EXPECT_EQ(rows, (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST(Lzw, MissingEndCodeDecodesUntilTheLastRow)
{
    // Clear, 7, 7 and no end code.
    const RasterShape shape{2, 1, 8, false};
    std::vector<uint8_t> coded = {0x08, 0x04, 0x00, 0x0F, 0x1C, 0x00, 0x00};
    std::vector<uint8_t> rows(4, 0);
    EXPECT_TRUE(gif::LzwDecode(coded.data(), coded.size(), shape, 8, rows.data()));
    EXPECT_EQ(rows[0], 7);
    EXPECT_EQ(rows[1], 7);
}

TEST(Lzw, DamagedDataStopsWithoutReadingPastItsBytes)
{
    const RasterShape shape{61, 23, 8, false};
    std::vector<uint8_t> rows = RandomRows(shape, 3, 256);
    std::vector<uint8_t> coded = Encode(shape, rows);
    for (size_t cut = 0; cut < coded.size(); ++cut) {
        // An exact-size heap copy so that AddressSanitizer sees any read past the end.
        std::vector<uint8_t> part(coded.begin(), coded.begin() + ptrdiff_t(cut));
        std::vector<uint8_t> decoded(shape.Bytes(), 0);
        gif::LzwDecode(part.data(), part.size(), shape, 8, decoded.data());
    }
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bad = coded;
        for (int flips = 0; flips < 4; ++flips)
            bad[rng() % bad.size()] ^= uint8_t(1 << (rng() % 8));
        bad.resize(rng() % bad.size() + 1);
        std::vector<uint8_t> decoded(shape.Bytes(), 0);
        for (int colourBits : {1, 3, 8})
            gif::LzwDecode(bad.data(), bad.size(), shape, colourBits, decoded.data());
    }
}

TEST(Lzw, MinimumCodeSizeOutOfRangeMarksDamage)
{
    const RasterShape shape{2, 1, 8, false};
    std::vector<uint8_t> rows(4, 0);
    const uint8_t coded[] = {0x0B, 0x02, 0x00, 0x08, 0x00};
    EXPECT_FALSE(gif::LzwDecode(coded, sizeof coded, shape, 8, rows.data()));
}
