// Every failure of a write: its message, the order in which checks meet it, and
// that nothing is left behind (no temporary file, the earlier output untouched).
#include "FileSizeLimit.h"
#include "AviTestSupport.h"
#include "AviWriter.h"
#include "Exceptions.h"
#include "WavBytes.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace avi_test;

namespace {

const std::vector<uint8_t> kOldOutput = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'm'};

struct Fixture {
    ScratchDir dir;
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    TAviWriter writer;

    Fixture()
    {
        WriteFileBytes(dir.File("out.avi"), kOldOutput);
        writer.SetDepth(pf24bit);
        writer.SetFrameTime(100);
        writer.SetFileName(dir.File("out.avi"));
        for (int i = 0; i < 3; ++i)
            add(PatternBitmap(40, 30, i));
    }
    void add(std::unique_ptr<TBitmap> b)
    {
        writer.Bitmaps().Add(b.get());
        bitmaps.push_back(std::move(b));
    }
    // A WAV file in the scratch folder (made before the entries are listed).
    std::string wav(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        WriteFileBytes(dir.File(name), bytes);
        return dir.File(name);
    }
};

struct FailureCase {
    const char* name;
    std::function<void(Fixture&)> setUp;
    std::string message;
};

std::vector<uint8_t> goodFormat() { return FormatBytes(1, 1, 8000, 16000, 2, 16); }
std::vector<uint8_t> someSound() { return std::vector<uint8_t>(3200, 0x11); }

const FailureCase kCases[] = {
    {"EmptyList", [](Fixture& f) { f.writer.Bitmaps().Clear(); }, "No bitmaps on the Bitmaps list"},
    {"NullEntry",
     [](Fixture& f) {
         f.writer.Bitmaps().Clear();
         f.writer.Bitmaps().Add(f.bitmaps[0].get());
         f.writer.Bitmaps().Add(nullptr);
         f.writer.Bitmaps().Add(f.bitmaps[2].get());
     },
     "Bitmaps[1] is not a TBitmap"},
    {"NullEntryBeforeBadSettings",
     [](Fixture& f) {
         f.writer.SetDepth(pfDevice);
         f.writer.SetFileName(f.dir.File("missing/out.avi"));
         f.writer.Bitmaps().Add(nullptr);
     },
     "Bitmaps[3] is not a TBitmap"},
    {"NoFileName", [](Fixture& f) { f.writer.SetFileName(""); }, "Failed to create AVI video work file"},
    {"MissingFolder", [](Fixture& f) { f.writer.SetFileName(f.dir.File("missing/out.avi")); },
     "Failed to create AVI video work file"},
    {"ZeroFrameTime", [](Fixture& f) { f.writer.SetFrameTime(0); }, "Failed to create AVI video stream"},
    {"NegativeFrameTimeBeforeDepth",
     [](Fixture& f) {
         f.writer.SetFrameTime(-40);
         f.writer.SetDepth(pfDevice);
     },
     "Failed to create AVI video stream"},
    {"ZeroWidth", [](Fixture& f) { f.writer.SetWidth(0); }, "Invalid bitmap"},
    {"NegativeHeightBeforeDepth",
     [](Fixture& f) {
         f.writer.SetHeight(-1);
         f.writer.SetDepth(pf16bit);
     },
     "Invalid bitmap"},
    {"DeviceDepth", [](Fixture& f) { f.writer.SetDepth(pfDevice); }, "Invalid pixel foramt"},
    {"Depth15", [](Fixture& f) { f.writer.SetDepth(pf15bit); }, "Invalid pixel foramt"},
    {"Depth16", [](Fixture& f) { f.writer.SetDepth(pf16bit); }, "Invalid pixel foramt"},
    {"Depth32", [](Fixture& f) { f.writer.SetDepth(pf32bit); }, "Invalid pixel foramt"},
    {"CustomDepth", [](Fixture& f) { f.writer.SetDepth(pfCustom); }, "Invalid pixel foramt"},
    {"DepthBeforeSound",
     [](Fixture& f) {
         f.writer.SetDepth(pfDevice);
         f.writer.SetWavFileName(f.dir.File("absent.wav"));
     },
     "Invalid pixel foramt"},
    {"FrameTooWide", [](Fixture& f) { f.writer.SetWidth(40000); }, "Failed to retrieve bitmap info"},
    {"FrameTooLarge",
     [](Fixture& f) {
         f.writer.SetWidth(16000);
         f.writer.SetHeight(16000);
     },
     "Failed to retrieve bitmap info"},
    {"SoundMissing", [](Fixture& f) { f.writer.SetWavFileName(f.dir.File("absent.wav")); },
     "A disk error occurred while opening the audio file."},
    {"SoundIsAFolder",
     [](Fixture& f) {
         std::filesystem::create_directory(f.dir.File("folder.wav"));
         f.writer.SetWavFileName(f.dir.File("folder.wav"));
     },
     "A disk error occurred while reading the audio file."},
    {"SoundIsAPipe",
     [](Fixture& f) {
         ASSERT_EQ(mkfifo(f.dir.File("pipe.wav").c_str(), 0600), 0);
         f.writer.SetWavFileName(f.dir.File("pipe.wav"));
     },
     "A disk error occurred while reading the audio file."},
    {"SoundPathThroughAFile",
     [](Fixture& f) {
         f.wav("plain", {'x'});
         f.writer.SetWavFileName(f.dir.File("plain/sound.wav"));
     },
     "Unknown error opening audio file"},
    {"SoundNotRiff", [](Fixture& f) { f.writer.SetWavFileName(f.wav("text.wav", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'})); },
     "The file could not be read, indicating a corrupt file or an unrecognized format."},
    {"SoundTooShort", [](Fixture& f) { f.writer.SetWavFileName(f.wav("short.wav", {'R', 'I', 'F', 'F', 0})); },
     "The file could not be read, indicating a corrupt file or an unrecognized format."},
    {"SoundFormatTruncated",
     [](Fixture& f) {
         f.writer.SetWavFileName(f.wav("fmt8.wav", RiffBytes("WAVE", {{"fmt ", std::vector<uint8_t>(8, 1)}, {"data", someSound()}})));
     },
     "The file could not be read, indicating a corrupt file or an unrecognized format."},
    {"SoundWithoutFormat",
     [](Fixture& f) { f.writer.SetWavFileName(f.wav("nofmt.wav", RiffBytes("WAVE", {{"data", someSound()}}))); },
     "The file could not be read, indicating a corrupt file or an unrecognized format."},
    {"SoundOfAnotherKind",
     [](Fixture& f) { f.writer.SetWavFileName(f.wav("video.wav", RiffBytes("AVI ", {{"JUNK", {1, 2, 3, 4}}}))); },
     "According to the registry, the type of audio file specified in AVIFileOpen does not have a handler to process it."},
    {"SoundFormatHuge",
     [](Fixture& f) {
         std::vector<uint8_t> fmt = goodFormat();
         fmt.resize(100000, 0);
         f.writer.SetWavFileName(f.wav("hugefmt.wav", RiffBytes("WAVE", {{"fmt ", fmt}, {"data", someSound()}})));
     },
     "The file could not be opened because of insufficient memory."},
    {"SoundWithoutData",
     [](Fixture& f) { f.writer.SetWavFileName(f.wav("nodata.wav", RiffBytes("WAVE", {{"fmt ", goodFormat()}}))); },
     "Unable to get audio stream"},
    {"SoundWithoutBlockSize",
     [](Fixture& f) {
         f.writer.SetWavFileName(
             f.wav("noalign.wav", RiffBytes("WAVE", {{"fmt ", FormatBytes(1, 1, 8000, 16000, 0, 16)}, {"data", someSound()}})));
     },
     "Failed to create editable AVI audio stream"},
    {"DiskFullAtHeaders", [](Fixture& f) {}, "Failed to set AVI stream format"},
    {"DiskFullAtFrames",
     [](Fixture& f) {
         f.writer.Bitmaps().Clear();
         f.writer.SetWidth(200);
         f.writer.SetHeight(200);
         for (int i = 0; i < 20; ++i)
             f.writer.Bitmaps().Add(f.bitmaps[0].get());
     },
     "Failed to add frame to AVI. Err=8004406E"},
    {"DiskFullAtTheEnd", [](Fixture& f) {}, "Could not create Video Stream"},
    {"OutputIsAFolder",
     [](Fixture& f) {
         std::filesystem::create_directory(f.dir.File("folder.avi"));
         f.writer.SetFileName(f.dir.File("folder.avi"));
     },
     "Could not create Video Stream"},
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class AviFailure : public ::testing::TestWithParam<FailureCase> {};

// Bytes the write would have produced, for the case that fails on its very last bytes.
uintmax_t completeSize(Fixture& f)
{
    std::string saved = f.writer.FileName();
    f.writer.SetFileName(f.dir.File("complete.avi"));
    f.writer.WriteAvi();
    uintmax_t size = std::filesystem::file_size(f.dir.File("complete.avi"));
    std::filesystem::remove(f.dir.File("complete.avi"));
    f.writer.SetFileName(saved);
    return size;
}

} // namespace

TEST_P(AviFailure, RaisesItsMessageAndLeavesNothingBehind)
{
    const FailureCase& c = GetParam();
    Fixture f;
    c.setUp(f);
    const int count = f.writer.Bitmaps().Count();
    std::vector<std::string> before = f.dir.Entries();

    rlim_t limit = RLIM_INFINITY;
    std::string name = c.name;
    if (name == "DiskFullAtHeaders")
        limit = 0;
    else if (name == "DiskFullAtFrames")
        limit = 300 * 1024;
    else if (name == "DiskFullAtTheEnd")
        limit = completeSize(f) - 1;

    std::string message;
    try {
        FileSizeLimit fsize(limit);
        f.writer.WriteAvi();
    } catch (const Exception& e) {
        message = e.Message();
    }
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(f.dir.Entries(), before);
    EXPECT_EQ(ReadFileBytes(f.dir.File("out.avi")), kOldOutput);
    EXPECT_EQ(f.writer.Bitmaps().Count(), count);
}

INSTANTIATE_TEST_SUITE_P(Cases, AviFailure, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(AviFailure, AWriteAfterAFailureSucceeds)
{
    Fixture f;
    f.writer.SetDepth(pfDevice);
    EXPECT_THROW(f.writer.WriteAvi(), Exception);
    f.writer.SetDepth(pf8bit);
    f.writer.WriteAvi();
    EXPECT_EQ(ProbeStream(f.dir.File("out.avi"), 0)["nb_frames"], "3");
    EXPECT_EQ(f.dir.Entries(), std::vector<std::string>{"out.avi"});
}
