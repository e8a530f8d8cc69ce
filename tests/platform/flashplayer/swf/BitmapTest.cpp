// Bitmap decoding: every lossless format against hand-computed pixels, JPEG
// (whole, split into JPEGTables + image, with the old bogus prefix, with an
// alpha plane) against libjpeg's own encoder, and limits on damaged input.
#include "swf/Bitmap.h"
#include "swf/Reader.h"
#include "swf/Writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <jpeglib.h>
#include <zlib.h>

namespace {

using namespace swf;

std::vector<std::uint8_t> deflate(const std::vector<std::uint8_t>& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> out(size);
    compress2(out.data(), &size, raw.data(), uLong(raw.size()), 6);
    out.resize(size);
    return out;
}

struct LosslessCase {
    const char* name;
    BitmapKind kind;
    LosslessFormat format;
    std::uint16_t tableSize;
    std::vector<std::uint8_t> raw; // inflated tag data: colour table, padded rows
    std::vector<std::uint32_t> expected;
};

// 3 x 2 pixels each; rows pad to 4 bytes.
const LosslessCase kLossless[] = {
    {"colour-mapped RGB", BitmapKind::Lossless, LosslessFormat::ColorMapped8, 1,
     {255, 0, 0, 0, 0, 255, /*rows*/ 0, 1, 0, 9, 1, 1, 0, 9},
     {0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000}},
    {"colour-mapped RGBA, index past the table", BitmapKind::Lossless2, LosslessFormat::ColorMapped8, 1,
     {128, 0, 0, 128, 0, 0, 0, 0, /*rows*/ 0, 1, 7, 9, 1, 0, 0, 9},
     {0x80800000, 0x00000000, 0x00000000, 0x00000000, 0x80800000, 0x80800000}},
    {"PIX15", BitmapKind::Lossless, LosslessFormat::Rgb15, 0,
     {0x7C, 0x00, 0x03, 0xE0, 0x00, 0x1F, 0, 0, 0x7F, 0xFF, 0x00, 0x00, 0x42, 0x10, 0, 0},
     {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF848484}},
    {"PIX24", BitmapKind::Lossless, LosslessFormat::Rgb32, 0,
     {0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0, 13, 14, 15, 0, 16, 17, 18},
     {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112}},
    {"ARGB, colour above alpha clamped", BitmapKind::Lossless2, LosslessFormat::Rgb32, 0,
     {255, 1, 2, 3, 0, 0, 0, 0, 128, 128, 64, 0, 10, 200, 5, 10, 255, 255, 255, 255, 1, 1, 1, 1},
     {0xFF010203, 0x00000000, 0x80804000, 0x0A0A050A, 0xFFFFFFFF, 0x01010101}},
};

class SwfLossless : public ::testing::TestWithParam<LosslessCase> {};

TEST_P(SwfLossless, DecodesToPremultipliedArgb)
{
    const LosslessCase& c = GetParam();
    Bitmap b;
    b.kind = c.kind;
    b.format = c.format;
    b.width = 3;
    b.height = 2;
    b.colorTableSize = c.tableSize;
    b.data = deflate(c.raw);
    auto d = decodeBitmap(b, {});
    ASSERT_TRUE(d.ok()) << d.error().message;
    EXPECT_EQ(d->width, 3);
    EXPECT_EQ(d->height, 2);
    EXPECT_EQ(d->pixels, c.expected);
    // Cut short: a clear error, never a read past the data.
    b.data = deflate(std::vector<std::uint8_t>(c.raw.begin(), c.raw.end() - 6));
    EXPECT_FALSE(decodeBitmap(b, {}).ok());
}

INSTANTIATE_TEST_SUITE_P(Formats, SwfLossless, ::testing::ValuesIn(kLossless),
                         [](const auto& info) { return std::to_string(info.index); });

// libjpeg as the reference encoder. `tablesOnly` / `abbreviated` give the two
// halves DefineBits + JPEGTables use.
struct Jpeg {
    std::vector<std::uint8_t> full, tables, abbreviated;
};

std::vector<std::uint8_t> runEncoder(int w, int h, const std::vector<std::uint8_t>& rgb, int mode)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (mode == 1) {
        jpeg_write_tables(&c);
    } else {
        if (mode == 2)
            jpeg_suppress_tables(&c, TRUE);
        jpeg_start_compress(&c, mode == 0 ? TRUE : FALSE);
        while (c.next_scanline < c.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + c.next_scanline * w * 3);
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
    }
    std::vector<std::uint8_t> out(buf, buf + size);
    jpeg_destroy_compress(&c);
    std::free(buf);
    return out;
}

// 16 x 16: left half red, right half blue.
std::vector<std::uint8_t> testImage()
{
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            rgb.push_back(x < 8 ? 255 : 0);
            rgb.push_back(0);
            rgb.push_back(x < 8 ? 0 : 255);
        }
    return rgb;
}

void expectRedBlue(const DecodedBitmap& d, std::uint8_t alpha = 255)
{
    ASSERT_EQ(d.width, 16);
    ASSERT_EQ(d.height, 16);
    for (int x : {2, 13}) {
        const std::uint32_t p = d.pixels[8 * 16 + x];
        const int r = (p >> 16) & 0xFF, b = p & 0xFF;
        EXPECT_EQ(p >> 24, alpha);
        EXPECT_NEAR(x < 8 ? r : b, alpha, 12) << x;
        EXPECT_NEAR(x < 8 ? b : r, 0, 12) << x;
    }
}

TEST(SwfJpeg, DecodesWholeSplitAndPrefixedData)
{
    const auto rgb = testImage();
    const auto full = runEncoder(16, 16, rgb, 0);
    const auto tables = runEncoder(16, 16, rgb, 1);
    const auto image = runEncoder(16, 16, rgb, 2);
    ASSERT_LT(image.size(), full.size()); // really abbreviated

    Bitmap b;
    b.kind = BitmapKind::Jpeg2;
    b.data = full;
    auto d = decodeBitmap(b, {});
    ASSERT_TRUE(d.ok()) << d.error().message;
    expectRedBlue(*d);

    b.kind = BitmapKind::Jpeg; // DefineBits + JPEGTables
    b.data = image;
    d = decodeBitmap(b, tables);
    ASSERT_TRUE(d.ok()) << d.error().message;
    expectRedBlue(*d);
    EXPECT_FALSE(decodeBitmap(b, {}).ok()); // no tables: a clear error

    // Tables and image in one tag, behind the bogus EOI/SOI of old writers.
    b.kind = BitmapKind::Jpeg2;
    b.data = {0xFF, 0xD9, 0xFF, 0xD8};
    b.data.insert(b.data.end(), tables.begin(), tables.end());
    b.data.insert(b.data.end(), image.begin(), image.end());
    d = decodeBitmap(b, {});
    ASSERT_TRUE(d.ok()) << d.error().message;
    expectRedBlue(*d);
}

TEST(SwfJpeg, AppliesTheAlphaPlaneOfDefineBitsJpeg3)
{
    Bitmap b;
    b.kind = BitmapKind::Jpeg3;
    b.data = runEncoder(16, 16, testImage(), 0);
    b.alphaData = deflate(std::vector<std::uint8_t>(256, 128));
    auto d = decodeBitmap(b, {});
    ASSERT_TRUE(d.ok()) << d.error().message;
    expectRedBlue(*d, 128);
}

TEST(SwfJpeg, RefusesDamagedAndOversizedImagesCleanly)
{
    auto full = runEncoder(16, 16, testImage(), 0);
    Limits small;
    small.maxBitmapPixels = 100;
    EXPECT_EQ(decodeJpeg({}, full, small).error().code, ErrorCode::Malformed);
    for (std::size_t cut : {std::size_t(3), std::size_t(20), full.size() / 2}) {
        std::vector<std::uint8_t> part(full.begin(), full.begin() + long(cut));
        auto d = decodeJpeg({}, part); // a header cut short fails; cut data decodes partly
        if (d.ok()) {
            EXPECT_EQ(d->pixels.size(), 256u);
        }
    }
    std::vector<std::uint8_t> garbage(200, 0x5A);
    EXPECT_FALSE(decodeJpeg({}, garbage).ok());

    Bitmap huge;
    huge.kind = BitmapKind::Lossless;
    huge.width = huge.height = 60000;
    huge.data = deflate({1, 2, 3});
    EXPECT_EQ(decodeBitmap(huge, {}).error().code, ErrorCode::LimitExceeded);
}

} // namespace

namespace {

// PNG data in DefineBitsJPEG2/3, made by ffmpeg's PNG encoder in every colour
// type it writes and compared with ffmpeg's own decoding.
std::vector<std::uint8_t> readBytes(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    std::vector<std::uint8_t> out;
    if (!f)
        return out;
    std::uint8_t buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

class SwfPng : public ::testing::TestWithParam<const char*> {};

TEST_P(SwfPng, DecodesAsFfmpegDoes)
{
    const std::string dir = std::string(TOVRANE_BINARY_DIR) + "/swf-png-test-";
    const std::string png = dir + GetParam() + ".png", raw = dir + GetParam() + ".rgba";
    const std::string make = std::string("ffmpeg -y -v error -f lavfi -i 'testsrc=size=21x9,format=rgba,"
                                         "colorchannelmixer=aa=0.5' -frames:v 1 -pix_fmt ") + GetParam() + " '" + png + "'";
    const std::string ref = "ffmpeg -y -v error -i '" + png + "' -f rawvideo -pix_fmt rgba '" + raw + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(std::system(ref.c_str()), 0);
    Bitmap b;
    b.kind = BitmapKind::Jpeg3;
    b.data = readBytes(png);
    b.alphaData = {1, 2, 3}; // ignored for PNG data
    auto d = decodeBitmap(b, {});
    ASSERT_TRUE(d.ok()) << d.error().message;
    ASSERT_EQ(d->width, 21);
    ASSERT_EQ(d->height, 9);
    const auto rgba = readBytes(raw);
    ASSERT_EQ(rgba.size(), 21u * 9 * 4);
    for (std::size_t i = 0; i < d->pixels.size(); ++i) {
        const unsigned a = rgba[4 * i + 3];
        auto m = [a](unsigned c) { return (c * a + 127) / 255; };
        const std::uint32_t want = (a << 24) | (m(rgba[4 * i]) << 16) | (m(rgba[4 * i + 1]) << 8) | m(rgba[4 * i + 2]);
        for (int sh = 0; sh < 32; sh += 8) // 16-bit samples and their premultiplication may round either way
            ASSERT_NEAR(int((d->pixels[i] >> sh) & 0xFF), int((want >> sh) & 0xFF), 2) << "pixel " << i;
    }
    // Cut anywhere: a clear error or a picture of the right size.
    for (std::size_t cut = 0; cut < b.data.size(); cut += 17) {
        Bitmap part = b;
        part.data.resize(cut);
        auto p = decodeBitmap(part, {});
        if (p.ok()) {
            EXPECT_EQ(p->pixels.size(), 21u * 9);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ColourTypes, SwfPng,
                         ::testing::Values("rgba", "rgb24", "pal8", "gray", "ya8", "monob", "gray16be", "rgb48be",
                                           "rgba64be"));

} // namespace

namespace {

// GIF data in DefineBitsJPEG2: ffmpeg's GIF encoder against ffmpeg's decoder,
// and every GIF of the shared corpus (damaged ones included) without a crash.
TEST(SwfGif, DecodesAsFfmpegDoesAndSurvivesTheGifCorpus)
{
    const std::string base = std::string(TOVRANE_BINARY_DIR) + "/swf-gif-test";
    const std::string make = "ffmpeg -y -v error -f lavfi -i testsrc=size=23x11 -frames:v 1 '" + base + ".gif'";
    const std::string ref = "ffmpeg -y -v error -i '" + base + ".gif' -f rawvideo -pix_fmt rgba '" + base + ".rgba'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(std::system(ref.c_str()), 0);
    Bitmap b;
    b.kind = BitmapKind::Jpeg2;
    b.data = readBytes(base + ".gif");
    auto d = decodeBitmap(b, {});
    ASSERT_TRUE(d.ok()) << d.error().message;
    ASSERT_EQ(d->width, 23);
    ASSERT_EQ(d->height, 11);
    const auto rgba = readBytes(base + ".rgba");
    ASSERT_EQ(rgba.size(), 23u * 11 * 4);
    for (std::size_t i = 0; i < d->pixels.size(); ++i) {
        const std::uint32_t want = (std::uint32_t(rgba[4 * i + 3]) << 24) | (rgba[4 * i] << 16) | (rgba[4 * i + 1] << 8) | rgba[4 * i + 2];
        ASSERT_EQ(d->pixels[i], want) << "pixel " << i;
    }

    int decoded = 0, files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(TOVRANE_CORPUS_DIR) + "/gif")) {
        if (entry.path().extension() != ".gif")
            continue;
        ++files;
        Bitmap g;
        g.kind = BitmapKind::Jpeg2;
        g.data = readBytes(entry.path().string());
        if (g.data.size() < 6 || std::memcmp(g.data.data(), "GIF", 3) != 0)
            continue;
        auto r = decodeBitmap(g, {});
        if (r.ok()) {
            ++decoded;
            EXPECT_EQ(r->pixels.size(), std::size_t(r->width) * r->height);
        }
    }
    EXPECT_GT(files, 200);
    EXPECT_GT(decoded, files / 2);
}

} // namespace
