#include "Exceptions.h"
#include "GifTestSupport.h"
#include "RxGIF.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace gif_test;

namespace {

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t at, size_t n)
{
    return std::vector<uint8_t>(bytes.begin() + ptrdiff_t(at), bytes.begin() + ptrdiff_t(at + n));
}

TBitmap Indexed(int width, int height, TPixelFormat format)
{
    TBitmap bitmap = MakeBitmap(width, height, [](int x, int y) { return (x + y) % 3 ? clWhite : clBlack; });
    bitmap.SetPixelFormat(format);
    return bitmap;
}

} // namespace

TEST(GifWriter, SingleEightBitFrameHeader)
{
    TGIFImage image;
    TBitmap bitmap = Indexed(100, 80, pf8bit);
    image.AddFrame(&bitmap);
    std::vector<uint8_t> bytes = SaveBytes(image);
    EXPECT_EQ(Slice(bytes, 0, 6), (std::vector<uint8_t>{'G', 'I', 'F', '8', '7', 'a'}));
    EXPECT_EQ(Slice(bytes, 6, 7), (std::vector<uint8_t>{100, 0, 80, 0, 0xF7, 0, 0}));
    // 768 bytes of global table, then the image descriptor without extensions.
    EXPECT_EQ(Slice(bytes, 13 + 768, 10), (std::vector<uint8_t>{0x2C, 0, 0, 0, 0, 100, 0, 80, 0, 0x00}));
    EXPECT_EQ(bytes[13 + 768 + 10], 0x08);
    EXPECT_EQ(bytes.back(), 0x3B);
    ExpectGiflibAgrees(bytes, image);
}

TEST(GifWriter, TwoLoopingFramesWriteTheLoopExtensionAndALocalTable)
{
    TGIFImage image;
    TBitmap a = Indexed(10, 10, pf8bit), b = Indexed(10, 10, pf8bit);
    image.AddFrame(&a);
    image.AddFrame(&b);
    image.SetLooping(true);
    image.SetRepeatCount(0);
    std::vector<uint8_t> bytes = SaveBytes(image);
    EXPECT_EQ(Slice(bytes, 0, 6), (std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a'}));
    const std::vector<uint8_t> loop = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(Slice(bytes, 13 + 768, 19), loop);
    // Second frame: descriptor packed $87 followed by 768 bytes of local table.
    const size_t first = 13 + 768 + 19;
    size_t at = first + 10;
    at += 1;  // minimum code size
    while (bytes[at] != 0)
        at += bytes[at] + 1u;
    ++at;
    EXPECT_EQ(bytes[at], 0x2C);
    EXPECT_EQ(bytes[at + 9], 0x87);
    EXPECT_EQ(bytes[at + 10 + 768], 0x08);
    ExpectGiflibAgrees(bytes, image);
}

TEST(GifWriter, LoopExtensionOnlyWithMoreThanOneFrame)
{
    TGIFImage image;
    TBitmap a = Indexed(4, 4, pf8bit);
    image.AddFrame(&a);
    image.SetLooping(true);
    std::vector<uint8_t> single = SaveBytes(image);
    EXPECT_EQ(single[13 + 768], 0x2C);
    image.AddFrame(&a);
    image.SetRepeatCount(1000);
    std::vector<uint8_t> two = SaveBytes(image);
    EXPECT_EQ(Slice(two, 13 + 768 + 14, 4), (std::vector<uint8_t>{0x03, 0x01, 0xE8, 0x03}));
    ExpectGiflibAgrees(two, image);
}

TEST(GifWriter, GraphicControlBlockOfDelayAndMissingTransparentColour)
{
    TGIFImage image;
    TBitmap a = Indexed(4, 4, pf1bit);
    image.AddFrame(&a);
    image.Frames(0)->SetAnimateInterval(105);
    image.Frames(0)->SetTransparentColor(RGB(1, 2, 3));
    std::vector<uint8_t> bytes = SaveBytes(image);
    EXPECT_EQ(Slice(bytes, 13 + 6, 8), (std::vector<uint8_t>{0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00}));
    ExpectGiflibAgrees(bytes, image);

    // A colour of the table sets the flag and the index; disposal lands in bits 2 to 4.
    image.Frames(0)->SetTransparentColor(clWhite);
    image.Frames(0)->Disposal = 2;
    bytes = SaveBytes(image);
    const int white = image.Frames(0)->SharedItem().FrameTable.IndexOf(clWhite);
    ASSERT_GE(white, 0);
    EXPECT_EQ(Slice(bytes, 13 + 6, 8), (std::vector<uint8_t>{0x21, 0xF9, 0x04, 0x09, 0x0A, 0x00, uint8_t(white), 0x00}));
    ExpectGiflibAgrees(bytes, image);
}

TEST(GifWriter, OneAndFourBitTablePacking)
{
    struct Case {
        TPixelFormat format;
        uint8_t packed;
        size_t entries;
        uint8_t minimumCodeSize;
    };
    for (const Case& c : {Case{pf1bit, 0x80, 2, 2}, Case{pf4bit, 0xB3, 16, 4}}) {
        TGIFImage image;
        TBitmap bitmap = Indexed(9, 5, c.format);
        image.AddFrame(&bitmap);
        std::vector<uint8_t> bytes = SaveBytes(image);
        EXPECT_EQ(bytes[10], c.packed);
        EXPECT_EQ(bytes[13 + 3 * c.entries], 0x2C);
        EXPECT_EQ(bytes[13 + 3 * c.entries + 10], c.minimumCodeSize);
        ExpectGiflibAgrees(bytes, image);
    }
}

TEST(GifWriter, LongCommentLineIsCutTo255Bytes)
{
    TGIFImage image;
    TBitmap a = Indexed(2, 2, pf1bit);
    image.AddFrame(&a);
    image.SharedData().ImageComment = {std::string(300, 'c')};
    std::vector<uint8_t> bytes = SaveBytes(image);
    const size_t at = bytes.size() - 1 - 1 - 255 - 1 - 2;
    EXPECT_EQ(Slice(bytes, at, 3), (std::vector<uint8_t>{0x21, 0xFE, 0xFF}));
    EXPECT_EQ(bytes[bytes.size() - 2], 0x00);
    EXPECT_EQ(image.FormatVersion(), gv89a);
    GiflibImage theirs = DecodeWithGiflib(bytes);
    ASSERT_TRUE(theirs.ok);
    ASSERT_EQ(theirs.comments.size(), 1u);
    EXPECT_EQ(theirs.comments[0], std::string(255, 'c'));
}

TEST(GifWriter, SavingTwiceGivesIdenticalFiles)
{
    TGIFImage image;
    for (int i = 0; i < 3; ++i) {
        TBitmap frame = MakeBitmap(40, 30, [i](int x, int y) { return RGB(uint8_t(x * 6), uint8_t(y * 8), uint8_t(i * 70)); });
        image.AddFrame(&frame);
        image.Frames(i)->SetAnimateInterval(uint16_t(100 + i * 30));
    }
    image.Frames(1)->FrameComment() = {"second"};
    image.SetLooping(true);
    std::vector<uint8_t> first = SaveBytes(image);
    EXPECT_EQ(first, SaveBytes(image));
    ExpectGiflibAgrees(first, image);
}

TEST(GifWriter, FullColourFramesRoundTripThroughGiflib)
{
    TGIFImage image;
    for (int i = 0; i < 4; ++i) {
        TBitmap frame = MakeBitmap(57, 33 + i, [i](int x, int y) { return RGB(uint8_t(x * 4 + i), uint8_t(y * 7), uint8_t((x ^ y) * 3)); });
        image.AddFrame(&frame);
        image.Frames(i)->Origin = TPoint{i * 3, i};
        image.Frames(i)->SetAnimateInterval(uint16_t(i * 50));
        image.Frames(i)->SetTransparentColor(i == 2 ? frame.GetPixel(0, 0) : clNone);
        image.Frames(i)->Disposal = uint8_t(i % 4);
    }
    image.SetLooping(true);
    image.SetRepeatCount(7);
    ExpectGiflibAgrees(SaveBytes(image), image);
}

TEST(GifWriter, FramesWithFewColoursKeepThemExactly)
{
    TGIFImage image;
    TBitmap frame = MakeBitmap(64, 48, [](int x, int y) { return RGB(uint8_t(x / 8 * 30), uint8_t(y / 8 * 40), 77); });
    image.AddFrame(&frame);
    std::vector<uint8_t> bytes = SaveBytes(image);
    GiflibImage theirs = DecodeWithGiflib(bytes);
    ASSERT_TRUE(theirs.ok);
    std::vector<TColor> source;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            source.push_back(frame.GetPixel(x, y));
    EXPECT_EQ(theirs.frames[0].pixels, source);
}

TEST(GifWriter, GreyImagesWriteTheGreyRamp)
{
    TGIFImage image;
    TBitmap frame = MakeBitmap(16, 16, [](int x, int y) { return RGB(uint8_t(x * 16), uint8_t(y * 16), 200); });
    image.AddFrame(&frame);
    image.AddFrame(&frame);
    image.Frames(1)->SetTransparentColor(clAqua);
    image.Grayscale(true);
    EXPECT_EQ(image.Frames(1)->TransparentColor(), RGB(178, 178, 178));
    std::vector<uint8_t> bytes = SaveBytes(image);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(Slice(bytes, 13 + 3 * size_t(i), 3), (std::vector<uint8_t>{uint8_t(i), uint8_t(i), uint8_t(i)}));
    ExpectGiflibAgrees(bytes, image);
}

TEST(GifWriter, NoFramesIsAnError)
{
    TGIFImage image;
    TMemoryStream stream;
    try {
        image.SaveToStream(stream);
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_STREQ(e.what(), "無 GIF 格式輸入資料");
    }
    EXPECT_EQ(stream.Size(), 0);
}

TEST(GifWriter, FrameWithoutBitmapIsAnErrorAndEarlierFramesKeepTheirData)
{
    TGIFImage image;
    TBitmap a = Indexed(3, 3, pf8bit);
    image.AddFrame(&a);
    image.AddFrame(nullptr);
    TMemoryStream stream;
    EXPECT_THROW(image.SaveToStream(stream), EInvalidGraphicOperation);
    EXPECT_TRUE(image.Frames(0)->SharedItem().HasCodedData());
    EXPECT_EQ(stream.Size(), 0);
}

TEST(GifWriter, FailedSaveKeepsTheExistingFile)
{
    const std::string path = TempPath("keep.gif");
    WriteFile(path, {'o', 'l', 'd'});
    TGIFImage empty;
    EXPECT_THROW(empty.SaveToFile(path), EInvalidGraphicOperation);
    EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{'o', 'l', 'd'}));

    TGIFImage image;
    TBitmap a = Indexed(5, 5, pf4bit);
    image.AddFrame(&a);
    image.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), SaveBytes(image));
    std::remove(path.c_str());
}

TEST(GifWriter, WriteDataPrefixesTheLength)
{
    TGIFImage image;
    TBitmap a = Indexed(5, 5, pf8bit);
    image.AddFrame(&a);
    TMemoryStream stream;
    image.WriteData(stream);
    std::vector<uint8_t> plain = SaveBytes(image);
    const auto& bytes = stream.Bytes();
    ASSERT_EQ(bytes.size(), plain.size() + 4);
    EXPECT_EQ(size_t(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (bytes[3] << 24)), plain.size());
    stream.SetPosition(0);
    TGIFImage back;
    back.ReadData(stream);
    EXPECT_EQ(back.Count(), 1);
}

TEST(GifWriter, ShortPaletteOfAnIndexedBitmapIsPaddedNotReadFromThePixels)
{
    TBitmap bitmap(6, 3, pf8bit);
    bitmap.SetPalette({RgbQuad(255, 0, 0), RgbQuad(0, 255, 0), RgbQuad(0, 0, 255), RgbQuad(9, 9, 9)});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            bitmap.ScanLine(y)[x] = uint8_t((x + y) % 4);
    TGIFImage image;
    image.AddFrame(&bitmap);
    std::vector<uint8_t> bytes = SaveBytes(image);
    const ColorTable& table = image.SharedData().GlobalTable;
    EXPECT_EQ(table.EntryCount, 256);
    EXPECT_EQ(table.ColorOf(2), clBlue);
    EXPECT_EQ(table.ColorOf(3), RGB(9, 9, 9));
    for (int i = 4; i < 256; ++i)
        EXPECT_EQ(table.ColorOf(i), clBlack);
    ExpectGiflibAgrees(bytes, image);
    GiflibImage theirs = DecodeWithGiflib(bytes);
    EXPECT_EQ(theirs.frames[0].pixels[7], clBlue);  // (1, 1) holds index 2
}
