// Reading PNG files: files libpng writes (every format, interlaced or not, all filter
// types) come back as the pixels they hold; damaged files are refused with a reason.
#include "ImagingTestSupport.h"
#include "LibpngOracle.h"
#include "Exceptions.h"
#include "PngPatterns.h"

#include <gtest/gtest.h>

#include <zlib.h>

using namespace imaging_test;

namespace {

TColor expectedColour(const PngFormatCase& c, uint32_t x, uint32_t y)
{
    if (c.colorType == sf_png::ctRGB || c.colorType == sf_png::ctRGBA)
        return PatternColor(x, y);
    const unsigned level = PatternLevel(x, y, c.colorType == sf_png::ctPalette || c.bitDepth == 2 ? c.bitDepth : LevelDepth(c));
    if (c.colorType == sf_png::ctPalette)
        return RGB(uint8_t(level * 13), uint8_t(255 - level * 7), uint8_t(level * 29 + 1));
    const int depth = c.bitDepth == 16 ? 8 : c.bitDepth;
    const uint8_t grey = uint8_t(level * 255 / ((1u << depth) - 1));
    return RGB(grey, grey, grey);
}

std::vector<PngFormatCase> readCases()
{
    const std::pair<uint8_t, uint8_t> formats[] = {
        {0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4}, {3, 8},
        {2, 8}, {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16},
    };
    std::vector<PngFormatCase> cases;
    for (auto [type, depth] : formats)
        for (uint8_t interlace : {0, 1}) {
            cases.push_back({type, depth, interlace, 29, 17});
            cases.push_back({type, depth, interlace, 2, 3});
        }
    return cases;
}

} // namespace

class PngReadBack : public ::testing::TestWithParam<PngFormatCase> {};

TEST_P(PngReadBack, FileWrittenByLibpngGivesItsPixels)
{
    const PngFormatCase c = GetParam();
    ScratchDir dir("read-" + CaseName(c));
    const std::string path = dir.File("libpng.png");
    WriteWithLibpng(path, PatternForLibpng(c));

    TsfPngImage image;
    image.LoadFromFile(path);
    ASSERT_EQ(image.Width(), int(c.width));
    ASSERT_EQ(image.Height(), int(c.height));
    EXPECT_EQ(image.HeaderLayer()->ColorType, c.colorType);
    EXPECT_EQ(image.InterlaceMethod(), c.interlace);
    const bool alpha = c.colorType == sf_png::ctGreyAlpha || c.colorType == sf_png::ctRGBA;
    for (uint32_t y = 0; y < c.height; ++y)
        for (uint32_t x = 0; x < c.width; ++x) {
            ASSERT_EQ(image.Pixels(int(x), int(y)), expectedColour(c, x, y)) << x << "," << y;
            if (alpha) {
                ASSERT_EQ(image.AlphaRow(int(y))[x], PatternAlpha(x, y)) << x << "," << y;
            }
        }
}

TEST_P(PngReadBack, OurFileSurvivesReadAndWriteAgain)
{
    const PngFormatCase c = GetParam();
    auto original = MakePatternImage(c);
    TMemoryStream first;
    original->SaveToStream(first);
    first.SetPosition(0);
    TsfPngImage copy;
    copy.LoadFromStream(first);
    TMemoryStream second;
    copy.SaveToStream(second);
    EXPECT_EQ(first.Bytes(), second.Bytes());
}

INSTANTIATE_TEST_SUITE_P(Formats, PngReadBack, ::testing::ValuesIn(readCases()),
                         [](const auto& info) { return CaseName(info.param); });

// ---- damaged files -------------------------------------------------------------

namespace {

std::vector<uint8_t> u32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

std::vector<uint8_t> ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t interlace = 0)
{
    std::vector<uint8_t> body = u32(w);
    auto hb = u32(h);
    body.insert(body.end(), hb.begin(), hb.end());
    body.insert(body.end(), {depth, type, 0, 0, interlace});
    return MakeChunk("IHDR", body);
}

std::vector<uint8_t> zlib(const std::vector<uint8_t>& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> out(size);
    compress(out.data(), &size, raw.data(), uLong(raw.size()));
    out.resize(size);
    return out;
}

// A valid 4 x 2 grey image, put together from its parts so that each part can be broken.
struct Parts {
    std::vector<uint8_t> signature{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header = ihdr(4, 2, 8, 0);
    std::vector<uint8_t> middle;
    std::vector<uint8_t> data = MakeChunk("IDAT", zlib({0, 1, 2, 3, 4, 1, 9, 9, 9, 9}));
    std::vector<uint8_t> end = MakeChunk("IEND", {});
    std::vector<uint8_t> join() const
    {
        std::vector<uint8_t> all;
        for (const auto* part : {&signature, &header, &middle, &data, &end})
            all.insert(all.end(), part->begin(), part->end());
        return all;
    }
};

struct Damage {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* reason;  // part of the error message; null for a readable file
};

std::vector<Damage> damagedFiles()
{
    std::vector<Damage> cases;
    auto add = [&](const char* name, const Parts& p, const char* reason) { cases.push_back({name, p.join(), reason}); };
    Parts p;
    {
        Parts q = p;
        q.signature[1] = 'Q';
        add("BadSignature", q, "signature");
    }
    {
        Parts q = p;
        q.header.back() ^= 1;
        add("HeaderCrc", q, "CRC");
    }
    {
        Parts q = p;
        q.data.back() ^= 0x40;
        add("DataCrc", q, "CRC error in chunk IDAT");
    }
    {
        Parts q = p;
        q.data[12] ^= 0x40;  // found by the decoder or by the CRC, whichever comes first
        add("DataByteFlipped", q, "");
    }
    {
        Parts q = p;
        q.header = ihdr(0, 2, 8, 0);
        add("ZeroWidth", q, "IHDR");
    }
    {
        Parts q = p;
        q.header = ihdr(4, 2, 16, 3);
        add("Palette16", q, "IHDR");
    }
    {
        Parts q = p;
        q.header = ihdr(4, 2, 8, 0, 2);
        add("UnknownInterlace", q, "IHDR");
    }
    {
        Parts q = p;
        q.header = ihdr(100000, 100000, 8, 0);
        add("HugeClaim", q, "too large");
    }
    {
        Parts q = p;
        q.data = MakeChunk("IDAT", zlib({0, 1, 2, 3, 4}));
        add("RowsMissing", q, "ends before the last row");
    }
    {
        Parts q = p;
        q.data = MakeChunk("IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0x00, 0x12});
        add("GarbageStream", q, "corrupt image data");
    }
    {
        Parts q = p;
        q.data = MakeChunk("IDAT", zlib({7, 1, 2, 3, 4, 1, 9, 9, 9, 9}));
        add("UnknownFilter", q, "filter type 7");
    }
    {
        Parts q = p;
        q.end.clear();
        add("NoEnd", q, "before its IEND");
    }
    {
        Parts q = p;
        q.data.clear();
        add("NoData", q, "no image data");
    }
    {
        Parts q = p;
        q.middle = MakeChunk("ABCD", {1, 2, 3});
        add("UnknownCritical", q, "unknown critical chunk");
    }
    {
        Parts q = p;
        q.header = ihdr(4, 2, 8, 3);
        add("PaletteMissing", q, "PLTE");
    }
    {
        Parts q = p;
        q.header = ihdr(4, 2, 2, 3);
        q.middle = MakeChunk("PLTE", std::vector<uint8_t>(15, 0));  // five entries for 2 bits
        add("PaletteTooLong", q, "PLTE");
    }
    {
        Parts q = p;
        q.middle = MakeChunk("PLTE", std::vector<uint8_t>(6, 0));
        add("PaletteInGreyImage", q, "PLTE chunk in a grey image");
    }
    {
        Parts q = p;
        q.header = ihdr(4, 2, 8, 2);
        q.middle = MakeChunk("PLTE", std::vector<uint8_t>(6, 0));
        q.data = MakeChunk("IDAT", zlib(std::vector<uint8_t>(26, 0)));
        cases.push_back({"SuggestedPaletteIsIgnored", q.join(), nullptr});
    }
    {
        Parts q = p;
        auto extra = MakeChunk("IDAT", zlib({0}));
        q.end = MakeChunk("tEXt", {'a', 0, 'b'});
        q.end.insert(q.end.end(), extra.begin(), extra.end());
        add("DataNotConsecutive", q, "not consecutive");
    }
    {
        Parts q = p;
        q.header = MakeChunk("IHDR", {0, 0, 0, 4, 0, 0, 0, 2, 8});
        add("ShortHeader", q, "IHDR");
    }
    {
        Parts q = p;
        q.middle = {0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 1, 2};
        add("HugeChunkLength", q, "too large");
    }
    {
        Parts q = p;
        q.middle = MakeChunk("zTXt", {'k', 0, 0, 0x78, 0x9C, 1, 2});
        add("BrokenZtxt", q, "zTXt");
    }
    {
        Parts q = p;
        q.middle = MakeChunk("tRNS", {0, 1, 2});
        add("GreyTransparencyOfThreeBytes", q, "tRNS");
    }
    {
        Parts q = p;
        q.middle = MakeChunk("IHDR", std::vector<uint8_t>(q.header.begin() + 8, q.header.end() - 4));
        add("SecondHeader", q, "second IHDR");
    }
    {
        Parts q = p;
        q.data.resize(q.data.size() - 6);
        q.end.clear();
        add("CutInsideData", q, "ends inside a chunk");
    }
    {
        Parts q = p;
        q.middle = {0, 0, 0, 1, 'I', '#', 'A', 'T', 0};
        add("BadChunkType", q, "invalid chunk type");
    }
    return cases;
}

} // namespace

TEST(PngRead, TheIntactPartsMakeAReadableImage)
{
    TMemoryStream stream(Parts{}.join());
    TsfPngImage image;
    image.LoadFromStream(stream);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Pixels(3, 0), RGB(4, 4, 4));
    EXPECT_EQ(image.Pixels(1, 1), RGB(18, 18, 18));  // Sub: 9 + 9
    EXPECT_EQ(image.Pixels(3, 1), RGB(36, 36, 36));
}

class PngDamaged : public ::testing::TestWithParam<Damage> {};

TEST_P(PngDamaged, IsRefusedWithItsReasonAndLeavesAnEmptyImage)
{
    const Damage& d = GetParam();
    TMemoryStream stream(d.bytes);
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 8, 3, 3);
    if (!d.reason) {  // a control case: readable
        image->LoadFromStream(stream);
        EXPECT_EQ(image->Width(), 4);
        EXPECT_EQ(image->Layers().FindLayer<TsfPngLayerPLTE>(), nullptr);
        return;
    }
    try {
        image->LoadFromStream(stream);
        FAIL() << "accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find(d.reason), std::string::npos) << e.what();
    }
    EXPECT_TRUE(image->Empty());
    EXPECT_EQ(image->Width(), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, PngDamaged, ::testing::ValuesIn(damagedFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PngRead, EveryTruncationOfAValidFileIsRefused)
{
    auto image = MakePatternImage({sf_png::ctRGBA, 16, 1, 9, 7});
    image->Layers().AddLayer<TsfPngLayertEXt>()->Keyword = "Title";
    TMemoryStream whole;
    image->SaveToStream(whole);
    const std::vector<uint8_t>& bytes = whole.Bytes();
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        TMemoryStream part(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)));
        TsfPngImage copy;
        EXPECT_THROW(copy.LoadFromStream(part), EInvalidGraphic) << "cut at " << cut;
        EXPECT_TRUE(copy.Empty());
    }
}

TEST(PngRead, AncillaryChunksComeBack)
{
    auto image = TsfPngImage::CreateSized(sf_png::ctPalette, 4, 5, 5);
    image->AddAlpha();
    image->Layers().FindLayer<TsfPngLayertRNS>()->Transparency[3] = 7;
    auto* text = image->Layers().AddLayer<TsfPngLayerzTXt>();
    text->Keyword = "Comment";
    text->Text = std::string(3000, 'z');
    auto* phys = image->Layers().AddLayer<TsfPngLayerpHYs>();
    phys->PPUnitX = 2835;
    phys->PPUnitY = 2834;
    phys->Unit = 1;
    auto* time = image->Layers().AddLayer<TsfPngLayertIME>();
    time->Year = 2026;
    time->Month = 12;
    time->Day = 10;
    time->Hour = 11;
    auto* raw = image->Layers().AddLayer("prIv");
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(image->Layers().AddLayer<TsfPngLayerpHYs>(), nullptr);  // one only
    EXPECT_EQ(image->Layers().AddLayer<TsfPngLayerIDAT>(), nullptr);  // critical: not outside building

    ScratchDir dir("ancillary");
    image->SaveToFile(dir.File("a.png"));
    std::string report;
    EXPECT_EQ(imaging_test::Run("pngcheck -v '" + dir.File("a.png") + "'", &report), 0) << report;

    TsfPngImage copy;
    copy.LoadFromFile(dir.File("a.png"));
    std::vector<std::string> order;
    for (int i = 0; i < copy.Layers().Count(); ++i)
        order.push_back(copy.Layers().Item(i)->LayerName);
    EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "pHYs", "PLTE", "tRNS", "IDAT", "zTXt", "tIME", "prIv", "IEND"}));
    EXPECT_EQ(copy.Layers().FindLayer<TsfPngLayerzTXt>()->Text, std::string(3000, 'z'));
    EXPECT_EQ(copy.Layers().FindLayer<TsfPngLayerpHYs>()->PPUnitY, 2834u);
    EXPECT_EQ(copy.Layers().FindLayer<TsfPngLayertIME>()->Year, 2026);
    EXPECT_EQ(copy.Layers().FindLayer<TsfPngLayertRNS>()->DataSize(), 16u);
    EXPECT_EQ(copy.Layers().FindLayer<TsfPngLayertRNS>()->Transparency[3], 7);
}

TEST(PngRead, GammaChangesTheStoredSamplesAndWritingUndoesIt)
{
    // gAMA 1/2.2 times the display's 2.2 is the identity; 1.0 brightens mid greys.
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 8, 2, 1);
    image->SetPixels(0, 0, RGB(64, 128, 192));
    image->Building = true;
    image->Layers().AddLayer<TsfPngLayergAMA>()->Gamma = 100000;
    image->Building = false;
    TMemoryStream stream;
    image->SaveToStream(stream);
    stream.SetPosition(0);
    TsfPngImage copy;
    copy.LoadFromStream(stream);
    EXPECT_GT(GetRValue(copy.Pixels(0, 0)), 64);
    EXPECT_GT(GetGValue(copy.Pixels(0, 0)), 128);
    TMemoryStream again;
    copy.SaveToStream(again);
    auto raw = InflateImageData(ParseChunks(again.Bytes()));
    // Filter byte, then the first pixel within rounding of what was written.
    EXPECT_NEAR(raw[1], 64, 2);
    EXPECT_NEAR(raw[2], 128, 2);
    EXPECT_NEAR(raw[3], 192, 2);
}

TEST(PngRead, ChunksKeepTheirPlacesWhenWrittenAgain)
{
    // Unknown chunks before the palette (sRGB) and after it (bKGD) stay where a PNG file
    // needs them when a loaded image is saved again.
    std::vector<uint8_t> file = Parts{}.signature;
    for (const auto& chunk : {ihdr(2, 2, 8, 3), MakeChunk("gAMA", u32(45455)), MakeChunk("sRGB", {0}),
                              MakeChunk("PLTE", {255, 0, 0, 0, 0, 255}), MakeChunk("tRNS", {0}), MakeChunk("bKGD", {1}),
                              MakeChunk("IDAT", zlib({0, 0, 1, 0, 1, 1})), MakeChunk("tEXt", {'k', 0, 'v'}),
                              MakeChunk("IEND", {})})
        file.insert(file.end(), chunk.begin(), chunk.end());
    TMemoryStream in(file);
    TsfPngImage image;
    image.LoadFromStream(in);
    EXPECT_EQ(image.Pixels(1, 0), clBlue);
    EXPECT_EQ(image.TransparencyMode(), ptmBit);
    ScratchDir dir("chunk-places");
    image.SaveToFile(dir.File("again.png"));
    std::string report;
    EXPECT_EQ(imaging_test::Run("pngcheck -v '" + dir.File("again.png") + "'", &report), 0) << report;
    std::vector<std::string> order;
    for (const Chunk& c : ParseChunks(ReadFileBytes(dir.File("again.png"))))
        order.push_back(c.type);
    EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "gAMA", "sRGB", "PLTE", "tRNS", "bKGD", "IDAT", "tEXt", "IEND"}));
}
