// Every SWF of the shared corpus parses, with the header values and tag codes its
// manifest lists, no tag skipped as damaged, and every bitmap decodable. The two
// deliberately broken LZMA files must fail with a clear message.
#include "CorpusFiles.h"

#include "swf/Reader.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using swftest::CorpusFile;

std::string compressionName(swf::Compression c)
{
    return c == swf::Compression::None ? "none" : c == swf::Compression::Zlib ? "zlib" : "lzma";
}

void checkBitmaps(const CorpusFile& f, const swf::Movie& movie)
{
    for (const auto& [id, character] : movie.dictionary) {
        if (!std::holds_alternative<swf::Bitmap>(character))
            continue;
        auto decoded = movie.decodeBitmap(id);
        ASSERT_TRUE(decoded.ok()) << f.name << " bitmap " << id << ": " << decoded.error().message;
        EXPECT_EQ(decoded->pixels.size(), std::size_t(decoded->width) * decoded->height);
    }
}

void checkFile(const CorpusFile& f)
{
    const auto bytes = swftest::readFileBytes(f.path);
    ASSERT_FALSE(bytes.empty()) << f.path;
    auto movie = swf::readMovie(bytes);
    if (f.expectError) {
        ASSERT_FALSE(movie.ok());
        EXPECT_EQ(movie.error().code, swf::ErrorCode::Decompression);
        EXPECT_NE(movie.error().message.find("LZMA"), std::string::npos) << movie.error().message;
        return;
    }
    ASSERT_TRUE(movie.ok()) << movie.error().message;
    const swf::Header& h = movie->header;
    EXPECT_EQ(compressionName(h.compression), f.compression);
    EXPECT_EQ(h.version, f.version);
    if (f.frames >= 0) {
        EXPECT_EQ(h.frameCount, f.frames);
        // One case has one ShowFrame more than its header declares.
        EXPECT_GE(movie->timeline.frames.size(), std::size_t(f.frames));
    }
    if (f.fps >= 0) {
        EXPECT_NEAR(h.fps(), f.fps, 1.0 / 256);
    }
    EXPECT_EQ(h.stageWidth(), f.width);
    EXPECT_EQ(h.stageHeight(), f.height);
    EXPECT_FALSE(movie->truncated);
    for (const std::string& w : movie->warnings)
        ADD_FAILURE() << w;
    auto codes = swf::listTagCodes(bytes);
    ASSERT_TRUE(codes.ok());
    EXPECT_EQ(*codes, f.tagCodes);
    checkBitmaps(f, *movie);
}

// One test over all files: the corpus is data, not a hundred and fifty tests.
TEST(SwfCorpus, EveryFileParsesAsItsManifestSays)
{
    const auto files = swftest::corpusFiles();
    ASSERT_GT(files.size(), 140u);
    for (const CorpusFile& f : files) {
        SCOPED_TRACE(f.name);
        checkFile(f);
    }
}

} // namespace
