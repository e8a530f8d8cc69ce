// The PNG image model: making images, alpha, pixel access, copying, drawing, saving files.
#include "FileSizeLimit.h"
#include "Bitmap.h"
#include "Canvas.h"
#include "Exceptions.h"
#include "ImagingTestSupport.h"
#include "LibpngOracle.h"
#include "sf_pngimage.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>

using namespace imaging_test;

namespace {

std::vector<std::string> layerNames(const TsfPngImage& image)
{
    std::vector<std::string> names;
    for (int i = 0; i < image.Layers().Count(); ++i)
        names.push_back(image.Layers().Item(i)->GetLayerName());
    return names;
}

struct Made {
    uint8_t colorType, bitDepth;
    int storeBits;
    size_t paletteEntries;
};

} // namespace

class PngCreateSized : public ::testing::TestWithParam<Made> {};

TEST_P(PngCreateSized, BuildsHeaderStoreAndLayers)
{
    const Made m = GetParam();
    auto image = TsfPngImage::CreateSized(m.colorType, m.bitDepth, 10, 3);
    TsfPngLayerIHDR* h = image->HeaderLayer();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(image->Width(), 10);
    EXPECT_EQ(image->Height(), 3);
    EXPECT_EQ(h->StoreBitCount(), m.storeBits);
    EXPECT_EQ(h->RowStride, (m.storeBits * 10 + 31) / 32 * 4);
    EXPECT_EQ(h->PixelData.size(), size_t(h->RowStride) * 3);
    EXPECT_EQ(h->Palette.size(), m.paletteEntries);
    EXPECT_TRUE(h->AlphaData.empty());
    const std::vector<std::string> expected = m.colorType == sf_png::ctPalette
                                                  ? std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}
                                                  : std::vector<std::string>{"IHDR", "IDAT", "IEND"};
    EXPECT_EQ(layerNames(*image), expected);
    EXPECT_EQ(image->PixelRow(0), h->PixelData.data() + size_t(h->RowStride) * 2);  // bottom-up store
    EXPECT_EQ(image->PixelRow(3), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Formats, PngCreateSized,
                         ::testing::Values(Made{0, 1, 1, 2}, Made{0, 2, 4, 16}, Made{0, 4, 4, 16}, Made{0, 8, 8, 256},
                                           Made{0, 16, 8, 256}, Made{3, 1, 1, 2}, Made{3, 2, 4, 16}, Made{3, 4, 4, 16},
                                           Made{3, 8, 8, 256}, Made{2, 8, 24, 0}, Made{2, 16, 24, 0}));

TEST(PngImage, GreyRampAndNearestGrey)
{
    auto image = TsfPngImage::CreateSized(sf_png::ctGrey, 4, 4, 1);
    EXPECT_EQ(image->PaletteColor(5), RGB(85, 85, 85));
    image->SetPixels(1, 0, RGB(90, 80, 86));  // nearest ramp entry: 85
    EXPECT_EQ(image->Pixels(1, 0), RGB(85, 85, 85));
    EXPECT_EQ(image->PixelRow(0)[0], 0x05);  // leftmost pixel in the high nibble
}

TEST(PngImage, PixelsOutsideAreIgnoredAndReadAsZero)
{
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 8, 2, 2);
    image->SetPixels(-1, 0, clWhite);
    image->SetPixels(2, 0, clWhite);
    image->SetPixels(0, 2, clWhite);
    image->SetPixels(1, 1, RGB(1, 2, 3));
    EXPECT_EQ(image->Pixels(5, 5), 0);
    EXPECT_EQ(image->Pixels(1, 1), RGB(1, 2, 3));
    EXPECT_EQ(image->PixelRow(1)[3], 3);  // stored blue, green, red
    EXPECT_EQ(image->PixelRow(1)[5], 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(image->Pixels(x, y), x == 1 && y == 1 ? RGB(1, 2, 3) : 0);
}

TEST(PngImage, AddAlphaGivesOpaquePlanesOrTransparencyEntries)
{
    auto rgb = TsfPngImage::CreateSized(sf_png::ctRGB, 16, 3, 2);
    EXPECT_EQ(rgb->AlphaRow(0), nullptr);
    rgb->AddAlpha();
    EXPECT_EQ(rgb->HeaderLayer()->ColorType, sf_png::ctRGBA);
    ASSERT_NE(rgb->AlphaRow(1), nullptr);
    EXPECT_EQ(rgb->AlphaRow(1) - rgb->AlphaRow(0), 3);
    EXPECT_EQ(rgb->HeaderLayer()->AlphaData, std::vector<uint8_t>(6, 255));

    auto palette = TsfPngImage::CreateSized(sf_png::ctPalette, 4, 3, 2);
    palette->AddAlpha();
    auto* t = palette->Layers().FindLayer<TsfPngLayertRNS>();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->DataSize(), 16u);
    EXPECT_EQ(t->Transparency[255], 255);
    EXPECT_EQ(layerNames(*palette), (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));

    // One-bit grey has no alpha form: it becomes 8-bit grey+alpha with the same greys.
    auto grey = TsfPngImage::CreateSized(sf_png::ctGrey, 1, 9, 1);
    grey->SetPixels(8, 0, clWhite);
    grey->AddAlpha();
    EXPECT_EQ(grey->HeaderLayer()->ColorType, sf_png::ctGreyAlpha);
    EXPECT_EQ(grey->HeaderLayer()->BitDepth, 8);
    EXPECT_EQ(grey->Pixels(8, 0), clWhite);
    EXPECT_EQ(grey->Pixels(7, 0), clBlack);
    EXPECT_EQ(grey->TransparencyMode(), ptmPartial);
}

TEST(PngImage, TransparencyModes)
{
    EXPECT_EQ(TsfPngImage().TransparencyMode(), ptmNone);
    auto palette = TsfPngImage::CreateSized(sf_png::ctPalette, 8, 2, 2);
    EXPECT_EQ(palette->TransparencyMode(), ptmNone);
    palette->AddAlpha();
    EXPECT_EQ(palette->TransparencyMode(), ptmNone);
    auto* t = palette->Layers().FindLayer<TsfPngLayertRNS>();
    t->Transparency[4] = 0;
    EXPECT_EQ(palette->TransparencyMode(), ptmBit);
    t->Transparency[9] = 128;
    EXPECT_EQ(palette->TransparencyMode(), ptmPartial);
}

TEST(PngImage, DrawBlendsWithTheStatedRounding)
{
    // Black at alpha 128 over white: (0 * 128 + 127 * 255 + 255) div 256 = 127.
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 16, 3, 1);
    image->AddAlpha();
    image->AlphaRow(0)[0] = 128;
    image->AlphaRow(0)[1] = 0;
    image->AlphaRow(0)[2] = 255;
    image->SetPixels(2, 0, RGB(10, 20, 30));
    TBitmap target(3, 1, pf24bit);
    target.Canvas().Brush.Color = clWhite;
    target.Canvas().FillRect(Rect(0, 0, 3, 1));
    image->Draw(target.Canvas(), Rect(0, 0, 3, 1));
    EXPECT_EQ(target.GetPixel(0, 0), RGB(127, 127, 127));
    EXPECT_EQ(target.GetPixel(1, 0), clWhite);
    EXPECT_EQ(target.GetPixel(2, 0), RGB(10, 20, 30));
}

TEST(PngImage, DrawStretchesByNearestPixelAndClips)
{
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 8, 2, 2);
    image->SetPixels(0, 0, clRed);
    image->SetPixels(1, 0, clLime);
    image->SetPixels(0, 1, clBlue);
    image->SetPixels(1, 1, clWhite);
    TBitmap target(5, 5, pf32bit);
    image->Draw(target.Canvas(), Rect(1, 1, 7, 7));  // 3x scale, partly outside
    EXPECT_EQ(target.GetPixel(0, 0), clBlack);
    EXPECT_EQ(target.GetPixel(1, 1), clRed);
    EXPECT_EQ(target.GetPixel(3, 3), clRed);
    EXPECT_EQ(target.GetPixel(4, 1), clLime);
    EXPECT_EQ(target.GetPixel(1, 4), clBlue);
    EXPECT_EQ(target.GetPixel(4, 4), clWhite);
}

TEST(PngImage, DrawOfAPaletteImageUsesItsTransparencyEntries)
{
    auto image = TsfPngImage::CreateSized(sf_png::ctPalette, 8, 2, 1);
    image->SetPixels(0, 0, image->PaletteColor(0));
    image->SetPixels(1, 0, image->PaletteColor(215));  // white in the colour cube
    image->AddAlpha();
    image->Layers().FindLayer<TsfPngLayertRNS>()->Transparency[0] = 0;
    TBitmap target(2, 1, pf24bit);
    target.Canvas().Brush.Color = clRed;
    target.Canvas().FillRect(Rect(0, 0, 2, 1));
    image->Draw(target.Canvas(), Rect(0, 0, 2, 1));
    EXPECT_EQ(target.GetPixel(0, 0), clRed);
    EXPECT_EQ(target.GetPixel(1, 0), clWhite);
}

TEST(PngImage, AssignCopiesAnotherImageWithItsSettings)
{
    auto source = TsfPngImage::CreateSized(sf_png::ctRGB, 16, 4, 4);
    source->AddAlpha();
    source->SetPixels(2, 3, RGB(9, 8, 7));
    source->AlphaRow(3)[2] = 66;
    source->SetInterlaceMethod(1);
    source->SetIdatLimit(70000);
    source->SetCompressionLevel(3);
    source->SetFilterSet(FilterBit(sfFilterPaeth));
    TsfPngImage copy;
    copy.Assign(source.get());
    EXPECT_EQ(layerNames(copy), layerNames(*source));
    EXPECT_EQ(copy.Pixels(2, 3), RGB(9, 8, 7));
    EXPECT_EQ(copy.AlphaRow(3)[2], 66);
    EXPECT_EQ(copy.InterlaceMethod(), 1);
    EXPECT_EQ(copy.IdatLimit(), 70000);
    EXPECT_EQ(copy.CompressionLevel(), 3);
    EXPECT_EQ(copy.FilterSet(), FilterBit(sfFilterPaeth));
    // A deep copy: changing one leaves the other.
    copy.SetPixels(2, 3, clWhite);
    EXPECT_EQ(source->Pixels(2, 3), RGB(9, 8, 7));
    TMemoryStream a, b;
    source->SaveToStream(a);
    copy.SetPixels(2, 3, RGB(9, 8, 7));
    copy.SaveToStream(b);
    EXPECT_EQ(a.Bytes(), b.Bytes());

    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(PngImage, AssignConvertsToolkitBitmaps)
{
    TBitmap colour(3, 2, pf32bit);
    colour.SetPixel(0, 0, RGB(200, 100, 50));
    colour.SetPixel(2, 1, RGB(1, 2, 3));
    TsfPngImage png;
    png.Assign(&colour);
    EXPECT_EQ(png.HeaderLayer()->ColorType, sf_png::ctRGB);
    EXPECT_EQ(png.HeaderLayer()->BitDepth, 8);
    EXPECT_EQ(png.Pixels(0, 0), RGB(200, 100, 50));
    EXPECT_EQ(png.Pixels(2, 1), RGB(1, 2, 3));
    EXPECT_EQ(png.Layers().FindLayer<TsfPngLayertRNS>(), nullptr);

    TBitmap indexed(5, 1, pf4bit);
    indexed.SetPixel(3, 0, clRed);
    indexed.SetTransparentColor(clRed);
    indexed.SetTransparent(true);
    png.Assign(&indexed);
    EXPECT_EQ(png.HeaderLayer()->ColorType, sf_png::ctPalette);
    EXPECT_EQ(png.HeaderLayer()->BitDepth, 4);
    EXPECT_EQ(png.Pixels(3, 0), clRed);
    EXPECT_EQ(png.Pixels(0, 0), clBlack);
    EXPECT_EQ(png.TransparencyMode(), ptmBit);

    // Back to a bitmap: drawn onto white, the transparent pixel shows white.
    TBitmap back;
    back.Assign(&png);
    ASSERT_EQ(back.Width(), 5);
    EXPECT_EQ(back.GetPixel(0, 0), clBlack);
    EXPECT_EQ(back.GetPixel(3, 0), clWhite);
}

TEST(PngImage, AssignOfAnotherGraphicIsRefused)
{
    class Other : public TGraphic {
    public:
        std::string ClassName() const override { return "TOther"; }
        int Width() const override { return 1; }
        int Height() const override { return 1; }
        bool Empty() const override { return false; }
        void Draw(TCanvas&, const TRect&) override {}
        void LoadFromStream(TStream&) override {}
        void SaveToStream(TStream&) override {}
    } other;
    TsfPngImage png;
    EXPECT_THROW(png.Assign(&other), EConvertError);
}

TEST(PngImage, AFailedSaveLeavesTheEarlierFileAndNoTemporary)
{
    ScratchDir dir("png-failed-save");
    const std::string path = dir.File("1.png");
    WriteFileBytes(path, {'o', 'l', 'd'});
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 16, 200, 200);
    image->AddAlpha();
    std::mt19937 random(7);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            image->SetPixels(x, y, TColor(random() & 0xFFFFFF));
    {
        FileSizeLimit limit(8192);
        EXPECT_THROW(image->SaveToFile(path), EStreamError);
    }
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"1.png"});

    // Unhindered, the same save replaces the file with a whole PNG.
    image->SaveToFile(path);
    EXPECT_EQ(ReadWithLibpng(path).width, 200u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"1.png"});
    EXPECT_THROW(image->SaveToFile(dir.File("missing/1.png")), EStreamError);
}
