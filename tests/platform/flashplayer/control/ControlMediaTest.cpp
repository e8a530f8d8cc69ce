// The movie's own loads (pictures, movies, FLV) go through the control the way the
// movie came: the site's bind host, else local files; nothing else is reached.
#include "ControlFixture.h"

#include <cstdio>
#include <fstream>

namespace {

std::string text(const std::optional<std::vector<uint8_t>>& bytes)
{
    return bytes ? std::string(bytes->begin(), bytes->end()) : "(none)";
}

}  // namespace

TEST_F(ControlTest, MediaFetchesGoThroughTheBindHost)
{
    create();
    ASSERT_TRUE(engine.callbacks.fetch);
    serve("media/pic.png", "PNG-bytes");
    EXPECT_EQ(text(engine.callbacks.fetch("media/pic.png", 1 << 20)), "PNG-bytes");
    EXPECT_EQ(text(engine.callbacks.fetch("media/missing.png", 1 << 20)), "(none)");
    EXPECT_EQ(text(engine.callbacks.fetch("media/pic.png", 4)), "(none)");   // over the bound
    EXPECT_FALSE(engine.loaded);   // fetching media never replaces the movie
}

TEST_F(ControlTest, WithoutABindHostMediaComeFromLocalFilesOnly)
{
    site->createMonikerNotImpl = true;
    create();
    const std::string path = std::string(TOVRANE_BINARY_DIR) + "/control_media.flv";
    std::ofstream(path, std::ios::binary) << "FLV-local";
    EXPECT_EQ(text(engine.callbacks.fetch(path, 1 << 20)), "FLV-local");
    EXPECT_EQ(text(engine.callbacks.fetch("file://" + path, 1 << 20)), "FLV-local");
    EXPECT_EQ(text(engine.callbacks.fetch("http://example.invalid/x.flv", 1 << 20)), "(none)");
    std::remove(path.c_str());
    EXPECT_EQ(text(engine.callbacks.fetch(path, 1 << 20)), "(none)");
}
