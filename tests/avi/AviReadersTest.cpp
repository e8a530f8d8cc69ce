// Files we write, read back by ffprobe and ffmpeg: stream layout, frame rate and
// count, every decoded frame against the pixels we put in, the sound to its end,
// and OpenDML files split over several RIFF segments.
#include "AviTestSupport.h"
#include "AviWriter.h"
#include "FrameFormat.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace avi_test;

namespace {

struct ProbeCase {
    TPixelFormat depth;
    int bits;
    int frameTime;
    const char* frameRate;  // as ffprobe reduces 1000 / FrameTime
    const char* pixFmt;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.bits << " bits, " << c.frameTime << " ms"; }

std::string caseName(const ::testing::TestParamInfo<ProbeCase>& info)
{
    return "bits" + std::to_string(info.param.bits) + "_ms" + std::to_string(info.param.frameTime);
}

class AviDecoded : public ::testing::TestWithParam<ProbeCase> {};

void expectFrames(const std::string& file, const std::vector<std::vector<uint8_t>>& expected)
{
    std::vector<uint8_t> decoded = DecodeVideo(file);
    size_t frameBytes = expected.at(0).size();
    ASSERT_EQ(decoded.size(), frameBytes * expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_TRUE(std::equal(expected[i].begin(), expected[i].end(), decoded.begin() + i * frameBytes));
    }
}

// A sound that differs in every sample, so any lost or moved chunk shows.
std::vector<uint8_t> pcmRamp(size_t frames, int channels)
{
    std::vector<uint8_t> bytes(frames * channels * 2);
    for (size_t i = 0; i < frames * channels; ++i) {
        auto v = static_cast<int16_t>(std::lround(12000 * std::sin(double(i) * 0.0137)) + int(i % 97));
        bytes[2 * i] = uint8_t(v);
        bytes[2 * i + 1] = uint8_t(uint16_t(v) >> 8);
    }
    return bytes;
}

// Where ffprobe says the last packet of stream a:0 ends, in seconds.
double audioEnd(const std::string& file)
{
    std::string out = RunCommand("ffprobe -v error -select_streams a:0 -show_entries packet=pts_time,duration_time -of csv=p=0 '" +
                          file + "'");
    std::istringstream lines(out);
    std::string line, last;
    while (std::getline(lines, line))
        if (!line.empty())
            last = line;
    double pts = 0, duration = 0;
    char comma;
    std::istringstream(last) >> pts >> comma >> duration;
    return pts + duration;
}

} // namespace

TEST_P(AviDecoded, ProbesAndDecodesToOurPixels)
{
    const ProbeCase c = GetParam();
    ScratchDir dir;
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    TAviWriter writer;
    writer.SetDepth(c.depth);
    writer.SetFrameTime(c.frameTime);
    writer.SetFileName(dir.File("probe.avi"));
    std::vector<std::vector<uint8_t>> expected;
    for (int i = 0; i < 7; ++i) {
        // Sizes vary: some are scaled up, some down.
        bitmaps.push_back(PatternBitmap(60 + 13 * i, 40 + 9 * i, i));
        writer.Bitmaps().Add(bitmaps.back().get());
        expected.push_back(ExpectedFrame(*bitmaps.back(), 102, 76, true, c.bits));
    }
    writer.WriteAvi();

    std::string file = dir.File("probe.avi");
    EXPECT_EQ(ProbeStreamCount(file), 1);
    auto video = ProbeStream(file, 0, true);
    EXPECT_EQ(video["codec_type"], "video");
    EXPECT_EQ(video["codec_name"], "rawvideo");
    EXPECT_EQ(video["pix_fmt"], c.pixFmt);
    EXPECT_EQ(video["width"], "102");
    EXPECT_EQ(video["height"], "76");
    EXPECT_EQ(video["r_frame_rate"], c.frameRate);
    EXPECT_EQ(video["nb_frames"], "7");
    EXPECT_EQ(video["nb_read_frames"], "7");
    expectFrames(file, expected);
}

INSTANTIATE_TEST_SUITE_P(Depths, AviDecoded,
                         ::testing::Values(ProbeCase{pf24bit, 24, 100, "10/1", "bgr24"},
                                           ProbeCase{pf24bit, 24, 1000, "1/1", "bgr24"},
                                           ProbeCase{pf8bit, 8, 40, "25/1", "pal8"},
                                           ProbeCase{pf4bit, 4, 300, "10/3", "pal8"},
                                           ProbeCase{pf1bit, 1, 66, "500/33", "pal8"}),
                         caseName);

TEST(AviComposition, SmallBitmapUnscaledOrStretched)
{
    ScratchDir dir;
    auto small = PatternBitmap(50, 40, 9);
    for (bool stretch : {false, true}) {
        SCOPED_TRACE(stretch ? "stretched" : "unscaled");
        TAviWriter writer;
        writer.SetDepth(pf24bit);
        writer.SetStretch(stretch);
        writer.SetFileName(dir.File("small.avi"));
        writer.Bitmaps().Add(small.get());
        writer.WriteAvi();
        std::vector<uint8_t> expected = ExpectedFrame(*small, 102, 76, stretch, 24);
        expectFrames(dir.File("small.avi"), {expected});
        if (!stretch) {
            // The part beyond the bitmap has the colour of its top-left pixel.
            TColor fill = small->GetPixel(0, 0);
            size_t at = (size_t(70) * 102 + 100) * 3;
            EXPECT_EQ(expected[at], GetBValue(fill));
            EXPECT_EQ(expected[at + 1], GetGValue(fill));
            EXPECT_EQ(expected[at + 2], GetRValue(fill));
        }
    }
}

TEST(AviComposition, IndexedBitmapsKeepTheirColours)
{
    // A bitmap the toolkit converted to a depth comes out of a file of that depth
    // with exactly its own colours: both use the same table.
    ScratchDir dir;
    for (auto [format, bits] : {std::pair{pf8bit, 8}, {pf4bit, 4}, {pf1bit, 1}}) {
        SCOPED_TRACE(bits);
        auto bitmap = PatternBitmap(102, 76, 4, format);
        TAviWriter writer;
        writer.SetDepth(format);
        writer.SetFileName(dir.File("indexed.avi"));
        writer.Bitmaps().Add(bitmap.get());
        writer.WriteAvi();
        expectFrames(dir.File("indexed.avi"), {ExpectedFrame(*bitmap, 102, 76, true, 24)});
    }
}

TEST(AviComposition, BitmapsOfEveryStoredFormatAreRead)
{
    ScratchDir dir;
    for (TPixelFormat format : {pf15bit, pf16bit, pf32bit, pf8bit, pf4bit, pf1bit}) {
        SCOPED_TRACE(int(format));
        auto bitmap = PatternBitmap(80, 60, 6, format);
        TAviWriter writer;
        writer.SetDepth(pf24bit);
        writer.SetFileName(dir.File("formats.avi"));
        writer.Bitmaps().Add(bitmap.get());
        writer.WriteAvi();
        expectFrames(dir.File("formats.avi"), {ExpectedFrame(*bitmap, 102, 76, true, 24)});
    }
}

TEST(AviComposition, AnEmptyBitmapRepeatsThePreviousFrame)
{
    ScratchDir dir;
    auto a = PatternBitmap(102, 76, 1), b = PatternBitmap(102, 76, 2);
    TBitmap empty;
    for (bool stretch : {true, false}) {
        SCOPED_TRACE(stretch);
        TAviWriter writer;
        writer.SetDepth(pf24bit);
        writer.SetStretch(stretch);
        writer.SetFileName(dir.File("empty.avi"));
        for (TBitmap* bitmap : {&empty, a.get(), &empty, b.get()})
            writer.Bitmaps().Add(bitmap);
        writer.WriteAvi();
        std::vector<uint8_t> black(102 * 76 * 3, 0), frameA = ExpectedFrame(*a, 102, 76, true, 24);
        expectFrames(dir.File("empty.avi"), {black, frameA, frameA, ExpectedFrame(*b, 102, 76, true, 24)});
    }
}

TEST(AviSound, TwoStreamsPlayTheSoundToItsEnd)
{
    ScratchDir dir;
    std::vector<uint8_t> sound = pcmRamp(44100 * 5 / 2, 2);  // 2.5 s
    WriteWavFile(dir.File("sound.wav"), PcmFormatBlock(2, 44100, 16), sound.data(), sound.size());
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    TAviWriter writer;
    writer.SetDepth(pf24bit);
    writer.SetFrameTime(100);
    writer.SetWidth(64);
    writer.SetHeight(48);
    writer.SetFileName(dir.File("sound.avi"));
    writer.SetWavFileName(dir.File("sound.wav"));
    std::vector<std::vector<uint8_t>> expected;
    for (int i = 0; i < 40; ++i) {  // 4 s of pictures
        bitmaps.push_back(PatternBitmap(64, 48, i));
        writer.Bitmaps().Add(bitmaps.back().get());
        expected.push_back(ExpectedFrame(*bitmaps.back(), 64, 48, true, 24));
    }
    writer.WriteAvi();

    std::string file = dir.File("sound.avi");
    ASSERT_EQ(ProbeStreamCount(file), 2);
    EXPECT_EQ(ProbeStream(file, 0)["codec_type"], "video");
    auto audio = ProbeStream(file, 1);
    EXPECT_EQ(audio["codec_type"], "audio");
    EXPECT_EQ(audio["codec_name"], "pcm_s16le");
    EXPECT_EQ(audio["sample_rate"], "44100");
    EXPECT_EQ(audio["channels"], "2");
    EXPECT_EQ(ProbeStream(file, 0)["duration"], "4.000000");
    EXPECT_NEAR(audioEnd(file), 2.5, 1e-6);
    EXPECT_EQ(DecodeAudioS16(file), sound);
    expectFrames(file, expected);

    // Interleaved about once a second: a chunk of sound before the first picture and
    // before every tenth one after it.
    auto top = ReadRiffTree(file);
    std::string order;
    for (const RiffNode& chunk : top.at(0).Find("movi")->children)
        order += chunk.id == "01wb" ? 'A' : 'v';
    std::string expected1s;
    for (int second : {0, 1, 2})
        expected1s.append("A").append(second < 2 ? 10 : 20, 'v');
    EXPECT_EQ(order, expected1s);
}

TEST(AviSound, SoundLongerThanThePicturesIsKeptWhole)
{
    ScratchDir dir;
    std::vector<uint8_t> sound = pcmRamp(11025 * 7 / 2, 1);  // 3.5 s
    WriteWavFile(dir.File("long.wav"), PcmFormatBlock(1, 11025, 16), sound.data(), sound.size());
    auto bitmap = PatternBitmap(32, 24, 5);
    TAviWriter writer;
    writer.SetDepth(pf4bit);
    writer.SetFrameTime(250);
    writer.SetFileName(dir.File("long.avi"));
    writer.SetWavFileName(dir.File("long.wav"));
    for (int i = 0; i < 4; ++i)  // 1 s of pictures
        writer.Bitmaps().Add(bitmap.get());
    writer.WriteAvi();
    EXPECT_EQ(ProbeStream(dir.File("long.avi"), 0)["duration"], "1.000000");
    EXPECT_NEAR(audioEnd(dir.File("long.avi")), (11025.0 * 7 / 2 - 0.5) / 11025, 2e-6);
    EXPECT_EQ(DecodeAudioS16(dir.File("long.avi")), sound);
}

TEST(AviSound, OtherFormatBlocksAreKeptAsTheyAre)
{
    ScratchDir dir;
    std::string wav = dir.File("adpcm.wav");
    int status = -1;
    RunCommand("ffmpeg -v error -f lavfi -i 'sine=frequency=440:sample_rate=22050:duration=1.5' -ac 1 -c:a adpcm_ms '" + wav + "'",
        &status);
    ASSERT_EQ(status, 0);
    WavReader reader;
    ASSERT_EQ(reader.Open(wav), WavError::None);
    EXPECT_EQ(reader.Format().wFormatTag, 2);  // WAVE_FORMAT_ADPCM with its coefficient block

    auto bitmap = PatternBitmap(32, 32, 1);
    TAviWriter writer;
    writer.SetDepth(pf24bit);
    writer.SetFrameTime(500);
    writer.SetFileName(dir.File("adpcm.avi"));
    writer.SetWavFileName(wav);
    for (int i = 0; i < 3; ++i)
        writer.Bitmaps().Add(bitmap.get());
    writer.WriteAvi();

    std::string file = dir.File("adpcm.avi");
    auto tree = ReadRiffTree(file);
    auto strls = tree.at(0).Find("hdrl")->FindAll("strl");
    ASSERT_EQ(strls.size(), 2u);
    EXPECT_EQ(ChunkBody(file, *strls[1]->Find("strf")), reader.FormatBlock());
    EXPECT_EQ(ProbeStream(file, 1)["codec_name"], "adpcm_ms");
    std::vector<uint8_t> fromAvi = DecodeAudioS16(file);
    EXPECT_FALSE(fromAvi.empty());
    EXPECT_EQ(fromAvi, DecodeAudioS16(wav));
}

namespace {

// Frames with sound, in RIFF segments of segmentBytes, checked end to end.
void writeAndCheckOpenDml(const ScratchDir& dir, uint64_t segmentBytes, int frames)
{
    std::vector<uint8_t> sound = pcmRamp(22050 * 3, 1);  // 3 s, mono
    WriteWavFile(dir.File("odml.wav"), PcmFormatBlock(1, 22050, 16), sound.data(), sound.size());
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    TAviWriter writer;
    writer.SetDepth(pf24bit);
    writer.SetFrameTime(40);
    writer.SetWidth(64);
    writer.SetHeight(64);
    writer.MuxLimits().segmentBytes = segmentBytes;
    writer.SetFileName(dir.File("odml.avi"));
    writer.SetWavFileName(dir.File("odml.wav"));
    std::vector<std::vector<uint8_t>> expected;
    for (int i = 0; i < frames; ++i) {
        bitmaps.push_back(PatternBitmap(64, 64, i));
        writer.Bitmaps().Add(bitmaps.back().get());
        expected.push_back(ExpectedFrame(*bitmaps.back(), 64, 64, true, 24));
    }
    writer.WriteAvi();

    std::string file = dir.File("odml.avi");
    auto top = ReadRiffTree(file);
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top[0].form, "AVI ");
    for (size_t i = 1; i < top.size(); ++i) {
        EXPECT_EQ(top[i].form, "AVIX");
        EXPECT_LE(top[i].size + 8u, segmentBytes);
    }
    const RiffNode* hdrl = top[0].Find("hdrl");
    auto strls = hdrl->FindAll("strl");
    ASSERT_EQ(strls.size(), 2u);
    // Pictures are in every segment, so each has a standard index of video; the
    // sound's few chunks are in some of them.
    std::vector<uint32_t> inUse;
    for (const RiffNode* strl : strls) {
        const RiffNode* indx = strl->Find("indx");
        ASSERT_TRUE(indx);
        inUse.push_back(U32At(ChunkBody(file, *indx), 4));
    }
    EXPECT_EQ(inUse[0], top.size());
    EXPECT_GE(inUse[1], 1u);
    EXPECT_LE(inUse[1], top.size());
    // Following the indexes by hand: super index -> 'ix00' -> every '00db' chunk, in order.
    auto super = ChunkBody(file, *strls[0]->Find("indx"));
    EXPECT_EQ(std::string(super.begin() + 8, super.begin() + 12), "00db");
    uint32_t framesIndexed = 0;
    for (uint32_t e = 0; e < inUse[0]; ++e) {
        uint64_t ixOffset = U32At(super, 24 + 16 * e) | uint64_t(U32At(super, 28 + 16 * e)) << 32;
        auto ix = BytesAt(file, ixOffset, U32At(super, 32 + 16 * e));
        ASSERT_EQ(std::string(ix.begin(), ix.begin() + 4), "ix00");
        EXPECT_EQ(U16At(ix, 8), 2u);   // wLongsPerEntry
        EXPECT_EQ(ix[11], 1u);         // AVI_INDEX_OF_CHUNKS
        uint32_t entries = U32At(ix, 12);
        EXPECT_EQ(U32At(super, 36 + 16 * e), entries);  // dwDuration: frames of the segment
        uint64_t base = U32At(ix, 20) | uint64_t(U32At(ix, 24)) << 32;
        EXPECT_EQ(base, top[e].offset);
        for (uint32_t k = 0; k < entries; ++k) {
            uint32_t offset = U32At(ix, 32 + 8 * k), size = U32At(ix, 36 + 8 * k);
            EXPECT_EQ(size, 64u * 64 * 3);  // bit 31 clear: a key frame
            auto header = BytesAt(file, base + offset - 8, 8);
            EXPECT_EQ(std::string(header.begin(), header.begin() + 4), "00db");
            ++framesIndexed;
        }
    }
    EXPECT_EQ(framesIndexed, uint32_t(frames));
    const RiffNode* odml = hdrl->Find("odml");
    ASSERT_TRUE(odml);
    EXPECT_EQ(U32At(ChunkBody(file, *odml->Find("dmlh")), 0), uint32_t(frames));
    // The legacy header counts the frames of the first segment only.
    auto avih = ChunkBody(file, *hdrl->Find("avih"));
    size_t firstFrames = top[0].Find("movi")->FindAll("00db").size();
    EXPECT_EQ(U32At(avih, 16), firstFrames);
    EXPECT_LT(firstFrames, size_t(frames));

    auto video = ProbeStream(file, 0, true);
    EXPECT_EQ(video["nb_read_frames"], std::to_string(frames));
    EXPECT_EQ(video["r_frame_rate"], "25/1");
    expectFrames(file, expected);
    EXPECT_EQ(DecodeAudioS16(file), sound);
}

} // namespace

TEST(AviOpenDml, SegmentsBeyondTheFirstAreIndexed)
{
    ScratchDir dir;
    // 64 x 64 x 3 bytes a frame: about 20 frames per 256 KiB segment.
    writeAndCheckOpenDml(dir, 256 * 1024, 120);
}

// A real file over 4 GiB: run with TOVRANE_AVI_BIG=1 (needs about 5 GB of disk and a few minutes).
TEST(AviOpenDml, FileOverFourGibibytesIsReadCompletely)
{
    if (!std::getenv("TOVRANE_AVI_BIG"))
        GTEST_SKIP() << "set TOVRANE_AVI_BIG=1 to write a file over 4 GiB";
    ScratchDir dir;
    const int width = 640, height = 480, distinct = 8;
    const uint64_t frameBytes = uint64_t(width) * height * 3;
    const int frames = static_cast<int>((uint64_t(4) << 30) / frameBytes + 200);
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    for (int i = 0; i < distinct; ++i)
        bitmaps.push_back(PatternBitmap(width, height, i));

    // The frames' checksums as ffmpeg sees them, from a small file of the same frames.
    auto checksums = [](const std::string& file) {
        std::string out = RunCommand("ffmpeg -v error -i '" + file + "' -map 0:v -f framemd5 -");
        std::vector<std::string> sums;
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line))
            if (!line.empty() && line[0] != '#')
                sums.push_back(line.substr(line.rfind(' ') + 1));
        return sums;
    };
    TAviWriter reference;
    reference.SetDepth(pf24bit);
    reference.SetWidth(width);
    reference.SetHeight(height);
    reference.SetFileName(dir.File("reference.avi"));
    for (auto& b : bitmaps)
        reference.Bitmaps().Add(b.get());
    reference.WriteAvi();
    std::vector<std::string> expected = checksums(dir.File("reference.avi"));
    ASSERT_EQ(expected.size(), size_t(distinct));

    TAviWriter writer;
    writer.SetDepth(pf24bit);
    writer.SetWidth(width);
    writer.SetHeight(height);
    writer.SetFrameTime(40);
    writer.SetFileName(dir.File("big.avi"));
    for (int i = 0; i < frames; ++i)
        writer.Bitmaps().Add(bitmaps[size_t(i % distinct)].get());
    writer.WriteAvi();
    std::filesystem::remove(dir.File("reference.avi"));
    EXPECT_GT(std::filesystem::file_size(dir.File("big.avi")), uint64_t(4) << 30);
    // RIFF 'AVI ' and then 'AVIX' segments, none beyond 1 GiB.
    auto top = ReadRiffTree(dir.File("big.avi"));
    ASSERT_GE(top.size(), 5u);
    for (size_t i = 0; i < top.size(); ++i) {
        EXPECT_EQ(top[i].form, i == 0 ? "AVI " : "AVIX");
        EXPECT_LE(uint64_t(top[i].size) + 8, uint64_t(1) << 30);
    }

    EXPECT_EQ(ProbeStream(dir.File("big.avi"), 0)["nb_frames"], std::to_string(frames));
    std::vector<std::string> sums = checksums(dir.File("big.avi"));
    ASSERT_EQ(sums.size(), size_t(frames));
    for (int i = 0; i < frames; ++i)
        ASSERT_EQ(sums[size_t(i)], expected[size_t(i % distinct)]) << "frame " << i;
}
