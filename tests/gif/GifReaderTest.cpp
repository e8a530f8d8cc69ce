#include "Exceptions.h"
#include "GifTestSupport.h"
#include "RxGIF.h"

#include <gtest/gtest.h>

#include <random>

using namespace gif_test;

namespace {

// A small GIF assembled block by block.
struct GifBuilder {
    std::vector<uint8_t> bytes;

    GifBuilder& Raw(std::initializer_list<int> values)
    {
        for (int v : values)
            bytes.push_back(uint8_t(v));
        return *this;
    }
    GifBuilder& Text(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    // Header, a screen of width x height and a two-entry global table (black, white).
    static GifBuilder Start(int width = 2, int height = 1, const std::string& signature = "GIF89a")
    {
        GifBuilder b;
        b.Text(signature).Raw({width, 0, height, 0, 0x80, 1, 0}).Raw({0, 0, 0, 255, 255, 255});
        return b;
    }
    GifBuilder& Control(int packed, int delay, int transparent)
    {
        return Raw({0x21, 0xF9, 4, packed, delay & 255, delay >> 8, transparent, 0});
    }
    GifBuilder& Comment(const std::string& text)
    {
        Raw({0x21, 0xFE, int(text.size())}).Text(text);
        return Raw({0});
    }
    GifBuilder& Loop(int count) { return Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.0").Raw({3, 1, count & 255, count >> 8, 0}); }
    // A 2 x 1 frame without a local table: pixels white, black.
    GifBuilder& Frame(int width = 2, int height = 1)
    {
        Raw({0x2C, 0, 0, 0, 0, width, 0, height, 0, 0});
        // Minimum code size 2: clear (4), 1, 0, end (5) in 3-bit codes.
        return Raw({2, 2, 0x0C, 0x0A, 0});
    }
    GifBuilder& End() { return Raw({0x3B}); }
};

std::unique_ptr<TGIFImage> Load(const std::vector<uint8_t>& bytes)
{
    auto image = std::make_unique<TGIFImage>();
    LoadBytes(*image, bytes);
    return image;
}

void ExpectReadError(const std::vector<uint8_t>& bytes, const std::string& message)
{
    TGIFImage image;
    try {
        LoadBytes(image, bytes);
        FAIL() << "no error";
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.what(), message);
    }
}

} // namespace

TEST(GifReader, MinimalFrameDecodes)
{
    TGIFImage image;
    LoadBytes(image, GifBuilder::Start().Frame().End().bytes);
    ASSERT_EQ(image.Count(), 1);
    EXPECT_EQ(image.FrameIndex(), 0);
    EXPECT_EQ(image.FormatVersion(), gv89a);
    EXPECT_EQ(FramePixels(*image.Frames(0)), (std::vector<TColor>{clWhite, clBlack}));
    EXPECT_EQ(image.BackgroundColor(), clWhite);
    // A frame without a local table carries a copy of the global one.
    EXPECT_EQ(image.Frames(0)->SharedItem().FrameTable, image.SharedData().GlobalTable);
    EXPECT_FALSE(image.Frames(0)->UsesLocalTable);
}

TEST(GifReader, SignatureAndVersionIgnoreCase)
{
    TGIFImage image;
    LoadBytes(image, GifBuilder::Start(2, 1, "gif89A").Frame().End().bytes);
    EXPECT_EQ(image.FormatVersion(), gv89a);
    LoadBytes(image, GifBuilder::Start(2, 1, "Gif87a").Frame().End().bytes);
    EXPECT_EQ(image.FormatVersion(), gv87a);
    ExpectReadError(GifBuilder::Start(2, 1, "GIF88a").Frame().End().bytes, "不明的 GIF 版本");
    ExpectReadError(GifBuilder::Start(2, 1, "JIF89a").Frame().End().bytes, "不明的 GIF 版本");
}

TEST(GifReader, LoopExtensionGivesLoopingAndCappedRepeatCount)
{
    for (auto [count, expected] : {std::pair{0, 0}, {5, 5}, {40000, 30000}}) {
        auto image = Load(GifBuilder::Start().Loop(count).Frame().Frame().End().bytes);
        EXPECT_TRUE(image->Looping());
        EXPECT_EQ(image->RepeatCount(), expected);
    }
    auto plain = Load(GifBuilder::Start().Frame().End().bytes);
    EXPECT_FALSE(plain->Looping());
    auto other = Load(GifBuilder::Start().Raw({0x21, 0xFF, 11}).Text("ANIMEXTS1.0").Raw({3, 1, 9, 0, 0}).Frame().End().bytes);
    EXPECT_EQ(other->RepeatCount(), 9);
}

TEST(GifReader, GraphicControlDelayTransparencyAndDisposal)
{
    auto image = Load(GifBuilder::Start().Control(0x09, 7, 1).Frame().Control(0x00, 7000, 0).Frame().End().bytes);
    ASSERT_EQ(image->Count(), 2);
    EXPECT_EQ(image->Frames(0)->AnimateInterval(), 70);
    EXPECT_EQ(image->Frames(0)->TransparentColor(), clWhite);
    EXPECT_EQ(image->Frames(0)->Disposal, 2);
    // 70000 ms does not fit: it saturates instead of wrapping round.
    EXPECT_EQ(image->Frames(1)->AnimateInterval(), 65535);
    EXPECT_EQ(image->Frames(1)->TransparentColor(), clNone);
    // An index past the table leaves the colour unset.
    auto past = Load(GifBuilder::Start().Control(0x01, 0, 9).Frame().End().bytes);
    EXPECT_EQ(past->Frames(0)->TransparentColor(), clNone);
}

TEST(GifReader, ZeroWidthTakesTheScreenWidth)
{
    auto image = Load(GifBuilder::Start(2, 1).Frame(0, 0).End().bytes);
    EXPECT_EQ(image->Frames(0)->SharedItem().Extent, (TPoint{2, 1}));
    EXPECT_EQ(image->Width(), 2);
}

TEST(GifReader, CommentsGoWithTheirFrameOrTheImage)
{
    auto image = Load(GifBuilder::Start().Comment("first").Frame().Comment("after").Comment("last").End().bytes);
    ASSERT_EQ(image->Count(), 1);
    EXPECT_EQ(image->Frames(0)->FrameComment(), TStringList{"first"});
    EXPECT_EQ(image->SharedData().ImageComment, (TStringList{"after", "\r\n\r\n", "last"}));
}

TEST(GifReader, ZeroBytesBetweenFramesAreSkipped)
{
    auto image = Load(GifBuilder::Start().Frame().Raw({0, 0, 0}).Frame().End().bytes);
    EXPECT_EQ(image->Count(), 2);
}

TEST(GifReader, UnexpectedByteAfterAFrameEndsReadingQuietly)
{
    auto image = Load(GifBuilder::Start().Frame().Raw({0x55}).Frame().End().bytes);
    EXPECT_EQ(image->Count(), 1);
}

TEST(GifReader, ByteCountZeroGivesAnEmptyImage)
{
    TMemoryStream stream(std::vector<uint8_t>{0, 0, 0, 0});
    TGIFImage image;
    image.ReadData(stream);
    EXPECT_EQ(image.Count(), 0);
    EXPECT_TRUE(image.Empty());
}

TEST(GifReader, LengthPrefixLongerThanTheStreamIsAReadError)
{
    std::vector<uint8_t> bytes = {0xFF, 0xFF, 0xFF, 0x7F, 'G', 'I', 'F'};
    TMemoryStream stream(bytes);
    TGIFImage image;
    EXPECT_THROW(image.ReadData(stream), EReadError);
}

TEST(GifReader, Errors)
{
    ExpectReadError(GifBuilder::Start().Raw({0x21, 0xAB, 0}).Frame().End().bytes, "不確定的 GIF 副檔名名: AB");
    ExpectReadError(GifBuilder::Start().Raw({0x55}).Frame().End().bytes, "讀取資料錯誤");
    ExpectReadError(GifBuilder::Start().Control(0, 0, 0).Raw({0x55}).End().bytes, "讀取資料錯誤");
    // A frame with no colour table anywhere fails when it is decoded; the first frame
    // is decoded at once and removed.
    GifBuilder noTable;
    noTable.Text("GIF89a").Raw({2, 0, 1, 0, 0, 0, 0}).Frame().End();
    TGIFImage image;
    try {
        LoadBytes(image, noTable.bytes);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_STREQ(e.what(), "無效的彩色數目");
    }
    EXPECT_EQ(image.Count(), 0);
}

TEST(GifReader, TruncatedRasterKeepsTheFrame)
{
    std::vector<uint8_t> bytes = GifBuilder::Start(2, 1).Frame().bytes;
    // Cut inside the data sub-block: the frame stays and decodes as far as it goes.
    bytes.resize(bytes.size() - 2);
    auto image = Load(bytes);
    ASSERT_EQ(image->Count(), 1);
    EXPECT_TRUE(image->Frames(0)->Damaged);
    EXPECT_EQ(image->Frames(0)->Width(), 2);
}

TEST(GifReader, FramesTooLargeForTheLimitsAreRefused)
{
    TGIFImage image;
    image.Limits.MaxFramePixels = 1;
    TMemoryStream stream(GifBuilder::Start().Frame().End().bytes);
    EXPECT_THROW(image.LoadFromStream(stream), EInvalidGraphicOperation);
    EXPECT_EQ(image.Count(), 0);
}

TEST(GifReader, OurFilesReadBack)
{
    TGIFImage image;
    for (int i = 0; i < 3; ++i) {
        TBitmap frame = MakeBitmap(20 + i, 10, [i](int x, int y) { return RGB(uint8_t(x * 10), uint8_t(y * 20 + i), 9); });
        image.AddFrame(&frame);
        image.Frames(i)->Origin = TPoint{i, 2 * i};
        image.Frames(i)->SetAnimateInterval(uint16_t(105 + i));
        image.Frames(i)->SetTransparentColor(frame.GetPixel(1, 1));
    }
    image.SetLooping(true);
    image.SetRepeatCount(12);
    std::vector<uint8_t> bytes = SaveBytes(image);
    auto back = Load(bytes);
    ASSERT_EQ(back->Count(), 3);
    EXPECT_TRUE(back->Looping());
    EXPECT_EQ(back->RepeatCount(), 12);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back->Frames(i)->Origin, image.Frames(i)->Origin);
        EXPECT_EQ(back->Frames(i)->SharedItem().Extent, image.Frames(i)->SharedItem().Extent);
        EXPECT_EQ(back->Frames(i)->AnimateInterval(), 100);
        EXPECT_EQ(back->Frames(i)->TransparentColor(), image.Frames(i)->TransparentColor());
        EXPECT_EQ(FramePixels(*back->Frames(i)), FramePixels(*image.Frames(i)));
    }
    // Written again, the coded frames go out unchanged.
    EXPECT_EQ(SaveBytes(*back), bytes);
}

TEST(GifReader, CutAtEveryPositionKeepsTheFramesRead)
{
    GifBuilder b = GifBuilder::Start().Loop(0).Comment("c").Control(0x05, 3, 0).Frame();
    const size_t afterFirst = b.bytes.size();
    b.Control(0x01, 4, 1).Frame().Comment("end").End();
    for (size_t cut = 0; cut <= b.bytes.size(); ++cut) {
        std::vector<uint8_t> part(b.bytes.begin(), b.bytes.begin() + ptrdiff_t(cut));
        TGIFImage image;
        try {
            LoadBytes(image, part);
        } catch (const Exception&) {
        }
        for (int i = 0; i < image.Count(); ++i)
            FramePixels(*image.Frames(i));
        if (cut >= afterFirst)
            EXPECT_GE(image.Count(), 1) << cut;
    }
}

TEST(GifReader, RandomByteFlipsNeverCrash)
{
    TGIFImage source;
    for (int i = 0; i < 3; ++i) {
        TBitmap frame = MakeBitmap(30, 20, [i](int x, int y) { return RGB(uint8_t(x * 8), uint8_t(y * 12), uint8_t(i * 80)); });
        source.AddFrame(&frame);
        source.Frames(i)->SetAnimateInterval(50);
    }
    const std::vector<uint8_t> bytes = SaveBytes(source);
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bad = bytes;
        const int flips = 1 + int(rng() % 6);
        for (int f = 0; f < flips; ++f)
            bad[rng() % bad.size()] = uint8_t(rng());
        TGIFImage image;
        image.Limits.MaxFramePixels = 1 << 20;
        try {
            LoadBytes(image, bad);
        } catch (const Exception&) {
        }
        try {
            for (int i = 0; i < image.Count(); ++i)
                FramePixels(*image.Frames(i));
        } catch (const Exception&) {
        }
    }
}
