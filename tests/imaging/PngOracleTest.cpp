// Every format the PNG writer produces, checked by the outside readers: pngcheck
// validates the file, libpng decodes it to exactly the samples we put in.
#include "ImagingTestSupport.h"
#include "LibpngOracle.h"
#include "PngPatterns.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace imaging_test;

namespace {

std::vector<PngFormatCase> allFormats()
{
    const std::pair<uint8_t, uint8_t> formats[] = {
        {0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4}, {3, 8},
        {2, 8}, {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16},
    };
    const std::pair<uint32_t, uint32_t> sizes[] = {{13, 11}, {1, 1}, {3, 2}};
    std::vector<PngFormatCase> cases;
    for (auto [type, depth] : formats)
        for (uint8_t interlace : {0, 1})
            for (auto [w, h] : sizes)
                cases.push_back({type, depth, interlace, w, h});
    return cases;
}

} // namespace

class PngOracle : public ::testing::TestWithParam<PngFormatCase> {};

TEST_P(PngOracle, PngcheckAcceptsAndLibpngDecodesOurSamples)
{
    const PngFormatCase c = GetParam();
    ScratchDir dir("oracle-" + CaseName(c));
    const std::string path = dir.File("image.png");
    auto image = MakePatternImage(c);
    ASSERT_FALSE(image->Empty());
    image->SaveToFile(path);

    std::string report;
    EXPECT_EQ(imaging_test::Run("pngcheck -v '" + path + "'", &report), 0) << report;

    const RawPng got = ReadWithLibpng(path);
    const RawPng want = ExpectedSamples(c);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.bitDepth, want.bitDepth);
    EXPECT_EQ(got.colorType, want.colorType);
    EXPECT_EQ(got.interlace, c.interlace);
    EXPECT_EQ(got.samples, want.samples);
    EXPECT_EQ(got.palette, want.palette);
}

INSTANTIATE_TEST_SUITE_P(Formats, PngOracle, ::testing::ValuesIn(allFormats()),
                         [](const auto& info) { return CaseName(info.param); });

TEST(PngOracle, PillowReadsTheProgramImage)
{
    // The program's frames: 16-bit RGBA, Sub filter, level 7.
    ScratchDir dir("oracle-pillow");
    const std::string path = dir.File("frame.png");
    const PngFormatCase c{sf_png::ctRGBA, 16, 0, 40, 30};
    MakePatternImage(c)->SaveToFile(path);
    std::string output;
    const std::string script =
        "import sys; from PIL import Image; im = Image.open(sys.argv[1]); im.load(); "
        "print(im.size[0], im.size[1], im.mode); "
        "px = im.convert('RGBA'); print(*px.getpixel((5, 7)), *px.getpixel((39, 29)))";
    ASSERT_EQ(imaging_test::Run(Python() + " -c \"" + script + "\" '" + path + "'", &output), 0) << output;
    const TColor a = PatternColor(5, 7), b = PatternColor(39, 29);
    char expected[200];
    snprintf(expected, sizeof expected, "40 30 RGBA\n%d %d %d %d %d %d %d %d\n", GetRValue(a), GetGValue(a),
             GetBValue(a), PatternAlpha(5, 7), GetRValue(b), GetGValue(b), GetBValue(b), PatternAlpha(39, 29));
    EXPECT_EQ(output, expected);
}

TEST(PngOracle, ProgramImagesEqualLibpngsFileAtTheSameSettings)
{
    // 16-bit RGBA, Sub, level 7: the same zlib stream split the same way. The files agree
    // byte for byte, except that for small images libpng announces a smaller window in
    // the zlib header (its own size optimisation; the deflate data stay the same).
    for (auto [width, height, noisy] : {std::tuple{40, 30, false}, std::tuple{300, 200, true}}) {
        auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 16, width, height);
        image->AddAlpha();
        RawPng raw;
        raw.width = uint32_t(width);
        raw.height = uint32_t(height);
        raw.bitDepth = 16;
        raw.colorType = 6;
        raw.channels = 4;
        uint32_t seed = 1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                seed = seed * 1103515245u + 12345u;
                const TColor c = noisy ? TColor((seed >> 8) & 0xFFFFFF) : PatternColor(uint32_t(x), uint32_t(y));
                const uint8_t a = noisy ? uint8_t(seed >> 3) : PatternAlpha(uint32_t(x), uint32_t(y));
                image->SetPixels(x, y, c);
                image->AlphaRow(y)[x] = a;
                for (uint8_t v : {GetRValue(c), GetGValue(c), GetBValue(c), a})
                    raw.samples.push_back(uint16_t(v << 8));
            }
        TMemoryStream ours;
        image->SaveToStream(ours);
        const std::vector<uint8_t> theirs = EncodeWithLibpngLikeOurs(raw);
        if (noisy) {
            EXPECT_TRUE(ours.Bytes() == theirs);
            EXPECT_GT(ParseChunks(theirs).size(), 4u);  // several IDAT chunks
            continue;
        }
        const auto a = ParseChunks(ours.Bytes()), b = ParseChunks(theirs);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].type, b[i].type);
            ASSERT_EQ(a[i].body.size(), b[i].body.size());
            const size_t skip = a[i].type == "IDAT" && i == 1 ? 2 : 0;  // the zlib header
            EXPECT_TRUE(std::equal(a[i].body.begin() + long(skip), a[i].body.end(), b[i].body.begin() + long(skip)))
                << a[i].type;
        }
        EXPECT_EQ(a[1].body[0] & 0x0F, 8);  // deflate
        EXPECT_EQ(a[1].body[0] >> 4, 7);    // ours: window bits 15
    }
}
