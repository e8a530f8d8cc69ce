// The bytes the PNG writer produces where the format leaves no freedom.
#include "ImagingTestSupport.h"
#include "PngWriter.h"
#include "sf_pngimage.h"

#include <gtest/gtest.h>

#include <random>

using namespace imaging_test;

namespace {

std::vector<uint8_t> save(TsfPngImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

const std::vector<uint8_t> kSignature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// The program's own image: 16-bit RGBA after AddAlpha.
std::unique_ptr<TsfPngImage> programImage(int width, int height)
{
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 16, width, height);
    image->AddAlpha();
    return image;
}

} // namespace

TEST(PngBytes, OnePixelRgba16HeaderScanlineAndEnd)
{
    auto image = programImage(1, 1);
    image->SetPixels(0, 0, RGB(255, 0, 0));
    image->AlphaRow(0)[0] = 255;
    const std::vector<uint8_t> png = save(*image);

    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8), kSignature);
    auto chunks = ParseChunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[0].body, (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 1, 0x10, 0x06, 0, 0, 0}));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(InflateImageData(chunks), (std::vector<uint8_t>{0x01, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0}));
    for (const Chunk& c : chunks)
        EXPECT_TRUE(c.crcOk) << c.type;
    // IEND is the last 12 bytes, exactly.
    const std::vector<uint8_t> iend(png.end() - 12, png.end());
    EXPECT_EQ(iend, (std::vector<uint8_t>{0, 0, 0, 0, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82}));
    // The header chunk is framed exactly: length 13, type, body, CRC.
    EXPECT_EQ(std::vector<uint8_t>(png.begin() + 8, png.begin() + 16), (std::vector<uint8_t>{0, 0, 0, 13, 'I', 'H', 'D', 'R'}));
}

TEST(PngBytes, ProgramImageRowsAreSubFilteredAndEightBytesPerPixel)
{
    const int width = 37, height = 5;
    auto image = programImage(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            image->SetPixels(x, y, RGB(uint8_t(x * 7), uint8_t(y * 40), uint8_t(x + y)));
            image->AlphaRow(y)[x] = uint8_t(255 - x);
        }
    auto chunks = ParseChunks(save(*image));
    ASSERT_EQ(chunks.size(), 3u);  // IHDR, IDAT, IEND: no ancillary chunk
    const std::vector<uint8_t> raw = InflateImageData(chunks);
    const size_t line = 1 + 8 * size_t(width);
    ASSERT_EQ(raw.size(), line * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = &raw[size_t(y) * line];
        EXPECT_EQ(row[0], 1) << "row " << y;
        // Undo Sub and check one pixel: samples carry the value in the high byte.
        std::vector<uint8_t> un(row + 1, row + line);
        for (size_t i = 8; i < un.size(); ++i)
            un[i] = uint8_t(un[i] + un[i - 8]);
        const int x = 3;
        EXPECT_EQ(un[8 * x + 0], x * 7);
        EXPECT_EQ(un[8 * x + 1], 0);
        EXPECT_EQ(un[8 * x + 2], y * 40);
        EXPECT_EQ(un[8 * x + 4], x + y);
        EXPECT_EQ(un[8 * x + 6], 255 - x);
        EXPECT_EQ(un[8 * x + 7], 0);
    }
}

TEST(PngBytes, SeventyThousandCompressedBytesMakeTwoChunks)
{
    TMemoryStream stream;
    std::vector<uint8_t> data(70000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 31 + 7);
    png_writer::IdatSink sink(stream, 65535);
    sink.Put(data.data(), 12345);
    sink.Put(data.data() + 12345, data.size() - 12345);
    sink.Finish();
    std::vector<uint8_t> png = kSignature;
    png.insert(png.end(), stream.Bytes().begin(), stream.Bytes().end());
    auto chunks = ParseChunks(png);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].body.size(), 65535u);
    EXPECT_EQ(chunks[1].body.size(), 4465u);
    EXPECT_TRUE(chunks[0].crcOk && chunks[1].crcOk);
    std::vector<uint8_t> joined = chunks[0].body;
    joined.insert(joined.end(), chunks[1].body.begin(), chunks[1].body.end());
    EXPECT_EQ(joined, data);
}

TEST(PngBytes, LargeImageDataFillsEveryChunkButTheLast)
{
    // Noise does not compress, so the stream spans several chunks.
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 8, 300, 200);
    std::mt19937 random(42);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            image->SetPixels(x, y, TColor(random() & 0xFFFFFF));
    auto chunks = ParseChunks(save(*image));
    std::vector<size_t> sizes;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT")
            sizes.push_back(c.body.size());
    ASSERT_GE(sizes.size(), 3u);
    for (size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], 65535u);
    EXPECT_GT(sizes.back(), 0u);
    EXPECT_LE(sizes.back(), 65535u);
    EXPECT_EQ(InflateImageData(chunks).size(), size_t(200) * (1 + 900));
}

TEST(PngBytes, IdatLimitNeverBelow65535)
{
    TsfPngImage image;
    EXPECT_EQ(image.IdatLimit(), 65535);
    image.SetIdatLimit(1000);
    EXPECT_EQ(image.IdatLimit(), 65535);
    image.SetIdatLimit(100000);
    EXPECT_EQ(image.IdatLimit(), 100000);
}

struct Rejected {
    uint8_t colorType, bitDepth;
    int width, height;
};

class PngRejected : public ::testing::TestWithParam<Rejected> {};

TEST_P(PngRejected, WritesTheSignatureOnly)
{
    const Rejected r = GetParam();
    auto image = TsfPngImage::CreateSized(r.colorType, r.bitDepth, r.width, r.height);
    EXPECT_TRUE(image->Empty());
    EXPECT_EQ(image->Width(), 0);
    EXPECT_EQ(image->HeaderLayer(), nullptr);
    EXPECT_EQ(save(*image), kSignature);
}

INSTANTIATE_TEST_SUITE_P(Combinations, PngRejected,
                         ::testing::Values(Rejected{3, 16, 4, 4}, Rejected{2, 4, 4, 4}, Rejected{2, 1, 4, 4},
                                           Rejected{1, 8, 4, 4}, Rejected{0, 3, 4, 4}, Rejected{6, 4, 4, 4},
                                           Rejected{4, 2, 4, 4}, Rejected{6, 8, 0, 4}, Rejected{0, 8, 4, -1}));

TEST(PngBytes, ShortRowsWithSeveralFiltersAreWrittenUnfiltered)
{
    // Two bytes per row: no position from 2 on scores, so None wins even outside the set.
    auto image = TsfPngImage::CreateSized(sf_png::ctGrey, 8, 2, 3);
    image->SetFilterSet(FilterBit(sfFilterNone) | FilterBit(sfFilterSub) | FilterBit(sfFilterUp));
    image->SetPixels(0, 1, clWhite);
    auto raw = InflateImageData(ParseChunks(save(*image)));
    ASSERT_EQ(raw.size(), 9u);
    EXPECT_EQ(raw[0], 0);
    EXPECT_EQ(raw[3], 0);
    EXPECT_EQ(raw[6], 0);
    EXPECT_EQ(raw[4], 255);

    image->SetFilterSet(FilterBit(sfFilterSub) | FilterBit(sfFilterUp));
    raw = InflateImageData(ParseChunks(save(*image)));
    EXPECT_EQ(raw[0], 0);  // None, though not in the set
}

TEST(PngBytes, AdaptiveChoicePicksTheBestScoringFilter)
{
    // A horizontal ramp: Sub turns each row into a constant run, None and Up do not.
    auto image = TsfPngImage::CreateSized(sf_png::ctGrey, 8, 64, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 64; ++x)
            image->SetPixels(x, y, RGB(uint8_t(x * 3 + y * 50), uint8_t(x * 3 + y * 50), uint8_t(x * 3 + y * 50)));
    image->SetFilterSet(FilterBit(sfFilterNone) | FilterBit(sfFilterSub) | FilterBit(sfFilterUp) |
                        FilterBit(sfFilterAverage) | FilterBit(sfFilterPaeth));
    auto raw = InflateImageData(ParseChunks(save(*image)));
    ASSERT_EQ(raw.size(), 4u * 65);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(raw[size_t(y) * 65], 1) << "row " << y;
    // Each filter alone is always used as it is.
    for (int f = sfFilterNone; f <= sfFilterPaeth; ++f) {
        image->SetFilterSet(FilterBit(TsfPngFilter(f)));
        raw = InflateImageData(ParseChunks(save(*image)));
        for (int y = 0; y < 4; ++y)
            EXPECT_EQ(raw[size_t(y) * 65], f);
    }
}
