// Writer round trips: every corpus movie and a hand-made movie using every
// record kind survive write -> read unchanged, in all three compressions.
#include "CorpusFiles.h"
#include "KitchenSink.h"

#include "swf/Reader.h"
#include "swf/Writer.h"

#include <gtest/gtest.h>

namespace {

// The writer states the frame counts it writes and computes the file length.
swf::Movie normalised(swf::Movie m)
{
    m.header.fileLength = 0;
    m.header.frameCount = std::uint16_t(m.timeline.frames.size());
    m.timeline.declaredFrameCount = m.header.frameCount;
    for (auto& [id, c] : m.dictionary)
        if (auto* s = std::get_if<swf::Sprite>(&c))
            s->timeline.declaredFrameCount = std::uint16_t(s->timeline.frames.size());
    return m;
}

// Names what differs, so a failure says more than "not equal".
void expectSameMovie(const swf::Movie& a, const swf::Movie& b)
{
    EXPECT_TRUE(a.header == b.header);
    EXPECT_TRUE(a.timeline == b.timeline) << "root timeline differs";
    EXPECT_TRUE(a.timeline.labels == b.timeline.labels) << "labels differ";
    for (std::size_t i = 0; i < std::min(a.timeline.frames.size(), b.timeline.frames.size()); ++i)
        for (std::size_t t = 0; t < std::min(a.timeline.frames[i].tags.size(), b.timeline.frames[i].tags.size()); ++t)
            EXPECT_TRUE(a.timeline.frames[i].tags[t] == b.timeline.frames[i].tags[t]) << "frame " << i << " tag " << t;
    EXPECT_EQ(a.dictionary.size(), b.dictionary.size());
    for (const auto& [id, c] : a.dictionary) {
        const swf::Character* other = b.character(id);
        EXPECT_TRUE(other && *other == c) << "character " << id << " (kind " << c.index() << ") differs";
    }
    EXPECT_TRUE(a == b);
}

swf::Movie roundTrip(const swf::Movie& m, swf::Compression c)
{
    swf::Movie copy = m;
    copy.header.compression = c;
    auto bytes = swf::writeMovie(copy);
    EXPECT_TRUE(bytes.ok()) << bytes.error().message;
    if (!bytes.ok())
        return {};
    auto back = swf::readMovie(*bytes);
    EXPECT_TRUE(back.ok()) << back.error().message;
    if (!back.ok())
        return {};
    EXPECT_TRUE(back->warnings.empty()) << back->warnings.front();
    return normalised(*back);
}

TEST(SwfRoundTrip, EveryCorpusMovieSurvivesWriteAndRead)
{
    int count = 0;
    for (const auto& f : swftest::corpusFiles()) {
        if (f.expectError)
            continue;
        SCOPED_TRACE(f.name);
        auto movie = swf::readMovie(swftest::readFileBytes(f.path));
        ASSERT_TRUE(movie.ok());
        const swf::Movie original = normalised(*movie);
        expectSameMovie(roundTrip(original, original.header.compression), original);
        ++count;
    }
    EXPECT_GT(count, 140);
}

} // namespace

namespace {

class SwfKitchenSink : public ::testing::TestWithParam<swf::Compression> {};

TEST_P(SwfKitchenSink, EveryRecordKindSurvivesWriteAndRead)
{
    const swf::Movie m = normalised(swftest::kitchenSinkMovie());
    swf::Movie copy = m;
    copy.header.compression = GetParam();
    expectSameMovie(roundTrip(m, GetParam()), copy);
}

INSTANTIATE_TEST_SUITE_P(Compressions, SwfKitchenSink,
                         ::testing::Values(swf::Compression::None, swf::Compression::Zlib, swf::Compression::Lzma));

} // namespace
