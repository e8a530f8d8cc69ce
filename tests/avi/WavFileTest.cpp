// The WAV reader on files we did not write (odd chunks, cut-off data, hostile
// sizes) and the WAV writer's bytes, read back by ffprobe and ffmpeg.
#include "AviTestSupport.h"
#include "WavBytes.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace avi_test;

namespace {

std::vector<uint8_t> pcmFormat() { return FormatBytes(1, 2, 8000, 32000, 4, 16); }

std::vector<uint8_t> sound(size_t bytes)
{
    std::vector<uint8_t> s(bytes);
    for (size_t i = 0; i < bytes; ++i)
        s[i] = uint8_t(i * 7 + 3);
    return s;
}

struct Opened {
    WavError error;
    std::vector<uint8_t> format;
    std::vector<uint8_t> data;
};

Opened openBytes(const ScratchDir& dir, const std::vector<uint8_t>& bytes, const WavLimits& limits = {})
{
    WriteFileBytes(dir.File("case.wav"), bytes);
    WavReader reader;
    Opened result{reader.Open(dir.File("case.wav"), limits), {}, {}};
    if (result.error == WavError::None) {
        result.format = reader.FormatBlock();
        result.data.resize(reader.DataBytes());
        EXPECT_TRUE(reader.ReadData(result.data.data(), result.data.size()));
        uint8_t extra;
        EXPECT_FALSE(reader.ReadData(&extra, 1));  // nothing beyond the data
    }
    return result;
}

} // namespace

TEST(WavWriter, WritesTheCanonicalHeaderThatFfprobeReads)
{
    ScratchDir dir;
    std::vector<uint8_t> data = sound(8000 * 4);  // 1 s of 16-bit stereo
    WriteWavFile(dir.File("pcm.wav"), PcmFormatBlock(2, 8000, 16), data.data(), data.size());
    std::vector<uint8_t> bytes = ReadFileBytes(dir.File("pcm.wav"));
    const std::vector<uint8_t> header = {
        'R', 'I', 'F', 'F', 0x26, 0x7D, 0, 0, 'W', 'A', 'V', 'E',  // RIFF size 38 + 32000
        'f', 'm', 't', ' ', 18, 0, 0, 0,                           // WAVEFORMATEX with cbSize
        1, 0, 2, 0, 0x40, 0x1F, 0, 0, 0x00, 0x7D, 0, 0, 4, 0, 16, 0, 0, 0,
        'd', 'a', 't', 'a', 0x00, 0x7D, 0, 0};
    ASSERT_EQ(bytes.size(), header.size() + data.size());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), bytes.begin() + header.size()));

    auto probe = ProbeStream(dir.File("pcm.wav"), 0);
    EXPECT_EQ(probe["codec_name"], "pcm_s16le");
    EXPECT_EQ(probe["sample_rate"], "8000");
    EXPECT_EQ(probe["channels"], "2");
    EXPECT_EQ(probe["duration"], "1.000000");
    EXPECT_EQ(DecodeAudioS16(dir.File("pcm.wav")), data);
}

TEST(WavReader, FindsFormatAndDataAmongOtherChunks)
{
    ScratchDir dir;
    std::vector<uint8_t> data = sound(1001);
    // An odd-sized chunk first (its pad byte must be skipped), the data before the format.
    Opened o = openBytes(dir, RiffBytes("WAVE", {{"LIST", {'I', 'N', 'F', 'O', 'x'}}, {"data", data}, {"fmt ", pcmFormat()}}));
    ASSERT_EQ(o.error, WavError::None);
    EXPECT_EQ(o.format, pcmFormat());
    EXPECT_EQ(o.data, data);
}

TEST(WavReader, KeepsAnyFormatBlockAsItIs)
{
    ScratchDir dir;
    // WAVE_FORMAT_EXTENSIBLE: 40 bytes with its sub-format.
    std::vector<uint8_t> fmt = FormatBytes(0xFFFE, 2, 48000, 192000, 4, 16);
    std::vector<uint8_t> extension = {22, 0, 16, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), extension.begin(), extension.end());
    Opened o = openBytes(dir, RiffBytes("WAVE", {{"fmt ", fmt}, {"data", sound(64)}}));
    ASSERT_EQ(o.error, WavError::None);
    EXPECT_EQ(o.format, fmt);
}

TEST(WavReader, DataCutShortByTheEndOfTheFileKeepsWhatIsThere)
{
    ScratchDir dir;
    std::vector<uint8_t> bytes = RiffBytes("WAVE", {{"fmt ", pcmFormat()}, {"data", sound(400)}});
    for (uint32_t claimed : {1000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(claimed);
        std::vector<uint8_t> cut = bytes;
        size_t sizeAt = cut.size() - 400 - 4;
        for (int i = 0; i < 4; ++i)
            cut[sizeAt + i] = uint8_t(claimed >> (8 * i));
        Opened o = openBytes(dir, cut);
        ASSERT_EQ(o.error, WavError::None);
        EXPECT_EQ(o.data, sound(400));
    }
}

TEST(WavReader, RefusesDamagedFilesWithoutReadingPastThem)
{
    ScratchDir dir;
    std::vector<uint8_t> fmtTooLong = RiffBytes("WAVE", {{"fmt ", pcmFormat()}});
    fmtTooLong[16] = 0xFF;  // the format claims 255 bytes the file does not have
    std::vector<Chunk> manyChunks(10, Chunk{"JUNK", {0, 0}});
    manyChunks.push_back({"fmt ", pcmFormat()});
    manyChunks.push_back({"data", sound(8)});
    WavLimits fewChunks;
    fewChunks.maxChunks = 5;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        WavLimits limits;
        WavError expected;
    } cases[] = {
        {"empty", {}, {}, WavError::BadFormat},
        {"header only", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, {}, WavError::BadFormat},
        {"format runs past the end", fmtTooLong, {}, WavError::BadFormat},
        {"too many chunks", RiffBytes("WAVE", manyChunks), fewChunks, WavError::BadFormat},
        {"format over the limit", RiffBytes("WAVE", {{"fmt ", std::vector<uint8_t>(200, 1)}, {"data", sound(8)}}),
         WavLimits{100, 4096}, WavError::TooLarge},
        {"no byte rate", RiffBytes("WAVE", {{"fmt ", FormatBytes(1, 1, 8000, 0, 2, 16)}, {"data", sound(8)}}), {},
         WavError::UnusableFormat},
        {"big-endian RIFF", {'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, {}, WavError::BadFormat},
        {"another RIFF form", RiffBytes("RMID", {{"data", sound(8)}}), {}, WavError::NotWave},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(openBytes(dir, c.bytes, c.limits).error, c.expected);
    }
}

TEST(WavReader, SurvivesMutatedFiles)
{
    // Damaged copies of a valid file: bytes changed, sizes rewritten, the end cut off.
    // Whatever the reader makes of them, it stays inside the file and within its limits.
    ScratchDir dir;
    std::vector<uint8_t> fmt = FormatBytes(0xFFFE, 2, 48000, 192000, 4, 16);
    fmt.resize(40, 0x5A);
    const std::vector<uint8_t> valid =
        RiffBytes("WAVE", {{"LIST", sound(13)}, {"fmt ", fmt}, {"fact", {4, 0, 0, 0}}, {"data", sound(300)}, {"JUNK", sound(5)}});
    std::mt19937 random(20261210);
    WavLimits limits;
    limits.maxFormatBytes = 64;
    limits.maxChunks = 16;
    for (int round = 0; round < 800; ++round) {
        std::vector<uint8_t> bytes = valid;
        int changes = 1 + int(random() % 6);
        for (int i = 0; i < changes; ++i) {
            size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0: bytes[at] = uint8_t(random()); break;
            case 1: bytes[at] = 0xFF; break;
            default: bytes.resize(std::max<size_t>(at, 1)); break;
            }
        }
        WriteFileBytes(dir.File("mutant.wav"), bytes);
        WavReader reader;
        if (reader.Open(dir.File("mutant.wav"), limits) != WavError::None)
            continue;
        ASSERT_LE(reader.FormatBlock().size(), limits.maxFormatBytes);
        ASSERT_GE(reader.FormatBlock().size(), 16u);
        ASSERT_LE(reader.DataBytes(), bytes.size());
        std::vector<uint8_t> data(reader.DataBytes());
        ASSERT_TRUE(reader.ReadData(data.data(), data.size()));
    }
}
