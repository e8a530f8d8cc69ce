// The writer's properties and the bytes of the file's headers, indexes and frames.
#include "AviTestSupport.h"
#include "AviWriter.h"
#include "Exceptions.h"
#include "FrameFormat.h"
#include "PixelFormats.h"

#include <gtest/gtest.h>

using namespace avi_test;

TEST(AviWriter, DefaultsAreATenthOfTheScreen)
{
    TAviWriter standard;
    EXPECT_EQ(standard.Width(), 102);
    EXPECT_EQ(standard.Height(), 76);
    EXPECT_EQ(standard.FrameTime(), 1000);
    EXPECT_TRUE(standard.Stretch());
    EXPECT_EQ(standard.Depth(), pfDevice);
    EXPECT_EQ(standard.FileName(), "");
    EXPECT_EQ(standard.WavFileName(), "");
    EXPECT_EQ(standard.Bitmaps().Count(), 0);

    TAviWriter wide(1919, 1085);
    EXPECT_EQ(wide.Width(), 191);
    EXPECT_EQ(wide.Height(), 108);
}

TEST(AviWriter, BitmapsAreReferencesThatPackAndClear)
{
    TBitmap a(2, 2, pf24bit), b(3, 3, pf24bit);
    {
        TAviWriter writer;
        writer.Bitmaps().Add(&a);
        writer.Bitmaps().Add(nullptr);
        writer.Bitmaps().Add(&b);
        writer.Bitmaps().Pack();
        ASSERT_EQ(writer.Bitmaps().Count(), 2);
        EXPECT_EQ(writer.Bitmaps()[0], &a);
        EXPECT_EQ(writer.Bitmaps()[1], &b);
    }
    // The writer is gone; the bitmaps are not.
    EXPECT_EQ(a.Width(), 2);
    EXPECT_EQ(b.Width(), 3);
}

TEST(AviWriter, WavFileNameAcceptsOnlyWavNames)
{
    const std::string message = "WavFileName must name a file with the .wav extension";
    TAviWriter writer;
    writer.SetWavFileName("");  // equal to the stored (empty) name: nothing happens
    EXPECT_EQ(writer.WavFileName(), "");

    struct Case {
        std::string value;
        bool accepted;
        std::string stored;  // what WavFileName reads afterwards
    };
    const Case cases[] = {
        {"/music/Song.wav", true, "/music/Song.wav"},
        {"/music/SONG.WAV", true, "/music/Song.wav"},  // same but for case: kept as it was
        {"/music/other.Wav", true, "/music/other.Wav"},
        {"/music/other.mp3", false, "/music/other.Wav"},
        {"/music/noext", false, "/music/other.Wav"},
        {"/music.wav/noext", false, "/music/other.Wav"},  // the dot is in a folder name
        {"C:\\sound.wav\\x", false, "/music/other.Wav"},
        {"", false, "/music/other.Wav"},  // a stored name cannot be cleared
        {"d:clip.WAV", true, "d:clip.WAV"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        if (c.accepted) {
            EXPECT_NO_THROW(writer.SetWavFileName(c.value));
        } else {
            try {
                writer.SetWavFileName(c.value);
                ADD_FAILURE() << "accepted";
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), message);
            }
        }
        EXPECT_EQ(writer.WavFileName(), c.stored);
    }
}

namespace {

struct DepthCase {
    TPixelFormat depth;
    int bits;
    uint32_t formatBytes;
    uint32_t rowBytes;
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.bits << " bits"; }

class AviHeaderBytes : public ::testing::TestWithParam<DepthCase> {};

} // namespace

TEST_P(AviHeaderBytes, MatchTheFrameLayout)
{
    const DepthCase c = GetParam();
    ScratchDir dir;
    auto b0 = PatternBitmap(102, 76, 1), b1 = PatternBitmap(60, 30, 2), b2 = PatternBitmap(102, 76, 3);
    TAviWriter writer;
    writer.SetDepth(c.depth);
    writer.SetFrameTime(100);
    writer.SetFileName(dir.File("out.avi"));
    for (TBitmap* b : {b0.get(), b1.get(), b2.get()})
        writer.Bitmaps().Add(b);
    writer.WriteAvi();
    EXPECT_EQ(writer.Bitmaps().Count(), 3);

    std::string file = dir.File("out.avi");
    auto top = ReadRiffTree(file);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].form, "AVI ");
    const RiffNode* hdrl = top[0].Find("hdrl");
    ASSERT_TRUE(hdrl);

    auto avih = ChunkBody(file, *hdrl->Find("avih"));
    ASSERT_EQ(avih.size(), 56u);
    EXPECT_EQ(U32At(avih, 0), 100000u);  // dwMicroSecPerFrame
    EXPECT_EQ(U32At(avih, 12) & 0x10, 0x10u);  // AVIF_HASINDEX
    EXPECT_EQ(U32At(avih, 16), 3u);  // dwTotalFrames
    EXPECT_EQ(U32At(avih, 24), 1u);  // dwStreams
    EXPECT_EQ(U32At(avih, 32), 102u);
    EXPECT_EQ(U32At(avih, 36), 76u);

    auto strls = hdrl->FindAll("strl");
    ASSERT_EQ(strls.size(), 1u);
    auto strh = ChunkBody(file, *strls[0]->Find("strh"));
    ASSERT_EQ(strh.size(), 56u);
    EXPECT_EQ(std::string(strh.begin(), strh.begin() + 4), "vids");
    EXPECT_EQ(U32At(strh, 4), 0u);     // fccHandler: no codec
    EXPECT_EQ(U32At(strh, 8), 0u);     // dwFlags
    EXPECT_EQ(U32At(strh, 20), 100u);  // dwScale = FrameTime
    EXPECT_EQ(U32At(strh, 24), 1000u); // dwRate
    EXPECT_EQ(U32At(strh, 32), 3u);    // dwLength
    EXPECT_EQ(U32At(strh, 44), 0u);    // dwSampleSize
    EXPECT_EQ(U16At(strh, 48), 0u);    // rcFrame
    EXPECT_EQ(U16At(strh, 50), 0u);
    EXPECT_EQ(U16At(strh, 52), 102u);
    EXPECT_EQ(U16At(strh, 54), 76u);

    auto strf = ChunkBody(file, *strls[0]->Find("strf"));
    ASSERT_EQ(strf.size(), c.formatBytes);
    EXPECT_EQ(U32At(strf, 0), 40u);
    EXPECT_EQ(U32At(strf, 4), 102u);
    EXPECT_EQ(U32At(strf, 8), 76u);
    EXPECT_EQ(U16At(strf, 12), 1u);
    EXPECT_EQ(U16At(strf, 14), c.bits);
    EXPECT_EQ(U32At(strf, 16), 0u);
    EXPECT_EQ(U32At(strf, 20), c.rowBytes * 76);
    for (size_t at = 24; at < 40; at += 4)
        EXPECT_EQ(U32At(strf, at), 0u);
    const auto& table = ColourTableFor(c.bits);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(strf[40 + 4 * i], table[i].rgbBlue);
        EXPECT_EQ(strf[41 + 4 * i], table[i].rgbGreen);
        EXPECT_EQ(strf[42 + 4 * i], table[i].rgbRed);
        EXPECT_EQ(strf[43 + 4 * i], 0);
    }

    // movi: one '00db' key frame per bitmap, each RowBytes x Height bytes.
    const RiffNode* movi = top[0].Find("movi");
    ASSERT_TRUE(movi);
    ASSERT_EQ(movi->children.size(), 3u);
    for (const RiffNode& chunk : movi->children) {
        EXPECT_EQ(chunk.id, "00db");
        EXPECT_EQ(chunk.size, c.rowBytes * 76);
    }
    // idx1: every entry a key frame, its offset counting from the 'movi' list type.
    auto idx1 = ChunkBody(file, *top[0].Find("idx1"));
    ASSERT_EQ(idx1.size(), 3u * 16);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::string(idx1.begin() + 16 * i, idx1.begin() + 16 * i + 4), "00db");
        EXPECT_EQ(U32At(idx1, 16 * i + 4), 0x10u);
        EXPECT_EQ(movi->offset + 8 + U32At(idx1, 16 * i + 8), movi->children[i].offset);
        EXPECT_EQ(U32At(idx1, 16 * i + 12), c.rowBytes * 76);
    }
    // A file that fits one RIFF stays AVI 1.0: the OpenDML records remain padding.
    EXPECT_EQ(strls[0]->Find("indx"), nullptr);
    EXPECT_EQ(hdrl->Find("odml"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Depths, AviHeaderBytes,
                         ::testing::Values(DepthCase{pf24bit, 24, 40, 308}, DepthCase{pf8bit, 8, 1064, 104},
                                           DepthCase{pf4bit, 4, 104, 52}, DepthCase{pf1bit, 1, 48, 16}),
                         [](const ::testing::TestParamInfo<DepthCase>& info) { return "bits" + std::to_string(info.param.bits); });

TEST(AviWriter, PacksIndexedPixelsLeftmostInTheHighBits)
{
    // A 9-pixel row at 1 bit: white, black, white, ... spills into a second byte.
    TBitmap source(9, 1, pf24bit);
    for (int x = 0; x < 9; ++x)
        source.SetPixel(x, 0, x % 2 == 0 ? clWhite : clBlack);
    std::vector<uint8_t> frame24(RowBytesFor(9, 24));
    std::copy_n(source.ScanLine(0), 27, frame24.begin());
    FrameLayout one = LayoutFor(9, 1, 1);
    std::vector<uint8_t> packed(one.imageBytes, 0xEE);
    PackFrame(frame24.data(), one, packed.data());
    EXPECT_EQ(packed, (std::vector<uint8_t>{0xAA, 0x80, 0x00, 0x00}));

    FrameLayout four = LayoutFor(9, 1, 4);
    packed.assign(four.imageBytes, 0xEE);
    PackFrame(frame24.data(), four, packed.data());
    // Standard colours: white is entry 15, black entry 0.
    EXPECT_EQ(packed, (std::vector<uint8_t>{0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0x00, 0x00, 0x00}));
}
