// Our reader against files other programs write: ImageMagick, ffmpeg and giflib at
// test time, and the conformance and damaged-file collections of the shared corpus.
// giflib decodes the same bytes as the independent judge of every frame.
#include "Exceptions.h"
#include "GifTestSupport.h"
#include "RxGIF.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace gif_test;

namespace {

bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

std::vector<uint8_t> RunToFile(const std::string& command, const std::string& path)
{
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<uint8_t> bytes = ReadFile(path);
    std::remove(path.c_str());
    return bytes;
}

// Frame by frame, our reader must see what giflib sees.
void ExpectSameAsGiflib(const std::vector<uint8_t>& bytes, TGIFImage& ours)
{
    GiflibImage theirs = DecodeWithGiflib(bytes);
    ASSERT_TRUE(theirs.ok) << theirs.error;
    ASSERT_EQ(ours.Count(), int(theirs.frames.size()));
    EXPECT_EQ(theirs.loopCount >= 0, ours.Looping());
    if (theirs.loopCount >= 0)
        EXPECT_EQ(ours.RepeatCount(), std::min(theirs.loopCount, 30000));
    for (int i = 0; i < ours.Count(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        TGIFFrame& frame = *ours.Frames(i);
        const GiflibFrame& f = theirs.frames[size_t(i)];
        EXPECT_EQ(frame.Origin, (TPoint{f.left, f.top}));
        EXPECT_EQ(frame.Interlace, f.interlace);
        if (f.width == 0 || f.height == 0)
            continue;
        EXPECT_EQ(frame.SharedItem().Extent, (TPoint{f.width, f.height}));
        if (f.delay >= 0) {
            EXPECT_EQ(frame.AnimateInterval(), std::min(f.delay * 10, 65535));
            EXPECT_EQ(frame.Disposal, f.disposal);
        }
        EXPECT_EQ(frame.TransparentColor(), f.transparentColour);
        std::vector<TColor> pixels = FramePixels(frame);
        ASSERT_EQ(pixels.size(), f.pixels.size());
        size_t differing = 0;
        for (size_t p = 0; p < pixels.size(); ++p)
            if (f.pixels[p] != clNone && f.pixels[p] != pixels[p])
                ++differing;
        EXPECT_EQ(differing, 0u);
    }
}

std::unique_ptr<TGIFImage> LoadAll(const std::vector<uint8_t>& bytes)
{
    auto image = std::make_unique<TGIFImage>();
    LoadBytes(*image, bytes);
    return image;
}

} // namespace

TEST(GifInterop, ImageMagickAnimationWithLoop)
{
    if (!HaveTool("convert"))
        GTEST_SKIP() << "ImageMagick is not installed";
    const std::string path = TempPath("im1.gif");
    auto bytes = RunToFile("convert -size 40x30 -delay 20 xc:red -delay 35 xc:blue -loop 3 " + path, path);
    auto image = LoadAll(bytes);
    ASSERT_EQ(image->Count(), 2);
    EXPECT_EQ(image->Frames(0)->AnimateInterval(), 200);
    EXPECT_EQ(image->Frames(1)->AnimateInterval(), 350);
    EXPECT_TRUE(image->Looping());
    // ImageMagick stores -loop N as N - 1 further repetitions.
    EXPECT_EQ(image->RepeatCount(), 2);
    EXPECT_EQ(FramePixels(*image->Frames(0)), std::vector<TColor>(40 * 30, clRed));
    EXPECT_EQ(FramePixels(*image->Frames(1)), std::vector<TColor>(40 * 30, clBlue));
    ExpectSameAsGiflib(bytes, *image);
}

TEST(GifInterop, ImageMagickInterlacedTransparentWithDisposal)
{
    if (!HaveTool("convert"))
        GTEST_SKIP() << "ImageMagick is not installed";
    const std::string path = TempPath("im2.gif");
    auto bytes = RunToFile("convert -dispose Background -delay 7 -size 31x23 xc:none -fill red -draw 'rectangle 2,2 12,9' "
                           "-size 31x23 plasma:fractal -seed 3 -fill blue -draw 'circle 15,11 15,18' "
                           "-interlace GIF -loop 0 " + path, path);
    auto image = LoadAll(bytes);
    ASSERT_EQ(image->Count(), 2);
    EXPECT_TRUE(image->Frames(0)->Interlace);
    EXPECT_NE(image->Frames(0)->TransparentColor(), clNone);
    EXPECT_EQ(image->Frames(0)->Disposal, 2);
    EXPECT_EQ(image->Frames(1)->AnimateInterval(), 70);
    EXPECT_TRUE(image->Frames(1)->UsesLocalTable);
    EXPECT_TRUE(image->Looping());
    EXPECT_EQ(image->RepeatCount(), 0);
    EXPECT_EQ(image->Frames(0)->Bitmap()->GetPixel(5, 5), clRed);
    ExpectSameAsGiflib(bytes, *image);
}

TEST(GifInterop, FfmpegAnimation)
{
    if (!HaveTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is not installed";
    const std::string path = TempPath("ff.gif");
    auto bytes = RunToFile("ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=5 -frames:v 4 -loop 0 -y " + path, path);
    auto image = LoadAll(bytes);
    ASSERT_EQ(image->Count(), 4);
    EXPECT_TRUE(image->Looping());
    EXPECT_EQ(image->RepeatCount(), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(image->Frames(i)->AnimateInterval(), 200);
    EXPECT_EQ(image->LogicalScreenWidth(), 64);
    ExpectSameAsGiflib(bytes, *image);
}

TEST(GifInterop, GiflibFramesWithLocalTablesInterlaceAndTransparency)
{
    std::vector<GiflibWriteFrame> frames;
    for (int i = 0; i < 3; ++i) {
        GiflibWriteFrame f{23, 19, i == 0, {}, {}, 10 * (i + 1), i == 1 ? 3 : -1, i + 1};
        for (int n = 0; n < 16; ++n)
            f.table.push_back(RGB(uint8_t(n * 16), uint8_t(255 - n * 10 - i), uint8_t(i * 60)));
        for (int p = 0; p < 23 * 19; ++p)
            f.indices.push_back(uint8_t((p * (i + 3) / 7) % 16));
        frames.push_back(f);
    }
    auto bytes = EncodeWithGiflib(23, 19, frames, 2, "giflib comment");
    auto image = LoadAll(bytes);
    ASSERT_EQ(image->Count(), 3);
    EXPECT_TRUE(image->Frames(0)->Interlace);
    EXPECT_EQ(image->Frames(1)->TransparentColor(), frames[1].table[3]);
    EXPECT_EQ(image->SharedData().ImageComment, TStringList{"giflib comment"});
    EXPECT_EQ(image->RepeatCount(), 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(image->Frames(i)->UsesLocalTable);
        EXPECT_EQ(image->Frames(i)->Disposal, i + 1);
        EXPECT_EQ(image->Frames(i)->AnimateInterval(), 100 * (i + 1));
        std::vector<TColor> expected;
        for (uint8_t index : frames[size_t(i)].indices)
            expected.push_back(frames[size_t(i)].table[index]);
        EXPECT_EQ(FramePixels(*image->Frames(i)), expected);
    }
    ExpectSameAsGiflib(bytes, *image);
}

namespace {

struct CorpusRow {
    std::string file;
    std::string expected;
};

std::vector<CorpusRow> CorpusRows()
{
    std::ifstream in(std::string(TOVRANE_CORPUS_DIR) + "/gif/MANIFEST.tsv");
    std::vector<CorpusRow> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, '\t');)
            cells.push_back(cell);
        if (cells.size() > 11)
            rows.push_back({cells[0], cells[11]});
    }
    return rows;
}

std::map<std::string, std::string> ConfValues(const std::string& expected)
{
    std::map<std::string, std::string> values;
    std::stringstream in(expected);
    for (std::string word; in >> word;)
        if (auto eq = word.find('='); eq != std::string::npos)
            values[word.substr(0, eq)] = word.substr(eq + 1);
    return values;
}

// Where this reader parts from the conformance files' expectations, by design.
const std::map<std::string, std::string> kDesignDifferences = {
    {"unknown-extension.gif", "an unknown extension label is refused with its own message"},
    {"loop-max.gif", "repeat counts are capped at 30000"},
};

} // namespace

TEST(GifInterop, CorpusFilesReadLikeGiflibAndDamagedOnesFailCleanly)
{
    const std::vector<CorpusRow> rows = CorpusRows();
    ASSERT_GT(rows.size(), 200u);
    int compared = 0, refused = 0;
    for (const CorpusRow& row : rows) {
        SCOPED_TRACE(row.file);
        const std::vector<uint8_t> bytes = ReadFile(std::string(TOVRANE_CORPUS_DIR) + "/gif/" + row.file);
        const std::string name = row.file.substr(row.file.rfind('/') + 1);
        TGIFImage image;
        std::string error;
        try {
            LoadBytes(image, bytes);
            for (int i = 0; i < image.Count(); ++i)
                FramePixels(*image.Frames(i));
        } catch (const Exception& e) {
            error = e.what();
        }
        if (row.file.rfind("libnsgif-tests/", 0) == 0)
            continue;  // damaged files: reaching here without a crash is the test
        if (kDesignDifferences.count(name)) {
            ++refused;
            continue;
        }
        const auto conf = ConfValues(row.expected);
        // An empty image reports no screen size.
        if (auto size = conf.find("size"); size != conf.end() && error.empty() && !image.Empty()) {
            EXPECT_EQ(std::to_string(image.LogicalScreenWidth()) + "x" + std::to_string(image.LogicalScreenHeight()),
                      size->second);
        }
        // Files that are animated only by other readers' guesses have no loop extension.
        const bool forced = conf.count("force-animation") && conf.at("force-animation") == "yes";
        if (auto loop = conf.find("loop"); loop != conf.end() && error.empty() && !forced) {
            if (loop->second == "infinite")
                EXPECT_TRUE(image.Looping() && image.RepeatCount() == 0);
            else if (loop->second != "0")
                EXPECT_EQ(std::to_string(image.RepeatCount()), loop->second);
        }
        GiflibImage theirs = DecodeWithGiflib(bytes);
        if (!theirs.ok || !error.empty()) {
            std::printf("  not compared: %s (ours: %s; giflib: %s)\n", name.c_str(), error.empty() ? "read" : error.c_str(),
                        theirs.ok ? "read" : theirs.error.c_str());
            ++refused;
            continue;
        }
        ExpectSameAsGiflib(bytes, image);
        ++compared;
    }
    RecordProperty("compared", compared);
    std::printf("corpus: %d files compared with giflib, %d refused by one of the readers\n", compared, refused);
}
