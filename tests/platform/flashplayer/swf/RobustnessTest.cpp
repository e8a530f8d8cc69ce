// Hostile input: named cases that must fail cleanly or keep what is intact, and
// thousands of deterministic mutations of corpus movies that must never crash
// (this test runs under AddressSanitizer and UBSan in the sanitizer build).
#include "CorpusFiles.h"

#include "swf/ByteWriter.h"
#include "swf/Reader.h"
#include "swf/Writer.h"

#include <gtest/gtest.h>

#include <random>
#include <zlib.h>

namespace {

using namespace swf;

// A plain movie around hand-made tag bytes: 100 x 100, 10 fps, `frames` declared.
std::vector<std::uint8_t> fws(const std::vector<std::uint8_t>& tags, std::uint16_t frames = 1)
{
    ByteWriter w;
    w.bytes(std::vector<std::uint8_t>{'F', 'W', 'S', 10, 0, 0, 0, 0});
    w.ub(5, 12); // RECT 0..2000 twips
    w.sb(12, 0);
    w.sb(12, 2000);
    w.sb(12, 0);
    w.sb(12, 2000);
    w.flushBits();
    w.u16(10 << 8);
    w.u16(frames);
    w.bytes(tags);
    w.patchU32(4, std::uint32_t(w.size()));
    return w.data();
}

std::vector<std::uint8_t> tag(std::uint16_t code, const std::vector<std::uint8_t>& body)
{
    ByteWriter w;
    w.u16(std::uint16_t((code << 6) | 0x3F));
    w.u32(std::uint32_t(body.size()));
    w.bytes(body);
    return w.data();
}

std::vector<std::uint8_t> cat(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const std::vector<std::uint8_t> kShowFrame = {0x40, 0x00};

TEST(SwfHostile, RefusesWhatIsNoMovie)
{
    EXPECT_EQ(readMovie(std::vector<std::uint8_t>{}).error().code, ErrorCode::NotSwf);
    EXPECT_EQ(readMovie(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}).error().code, ErrorCode::NotSwf);
    EXPECT_EQ(readMovie(std::vector<std::uint8_t>{'F', 'W', 'S', 10, 9, 0, 0, 0, 0x70}).error().code, ErrorCode::Truncated);
    // ZWS claiming 4 GB: refused before anything is allocated.
    EXPECT_EQ(readMovie(std::vector<std::uint8_t>{'Z', 'W', 'S', 13, 0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0, 0x5D, 0, 0, 0x10, 0, 1, 2})
                  .error().code,
              ErrorCode::Decompression);
}

TEST(SwfHostile, BoundsTheLzmaDictionaryAHeaderAsksFor)
{
    // Found by the fuzzer: properties asking for a 940 MB dictionary.
    const std::vector<std::uint8_t> file = {
        0x5a, 0x57, 0x53, 0x0d, 0x01, 0x3d, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x3b, 0xff, 0xfc, 0xa6,
        0x14, 0x16, 0x5a, 0x7b, 0xf0, 0x5a, 0x10, 0x8b, 0x38, 0xdc, 0x1c, 0x07, 0x25, 0x8b, 0x26, 0x3c, 0xdb,
        0xa8, 0x5b, 0xdf, 0xe4, 0xd2, 0x56, 0x39, 0xe7, 0xcd, 0x32, 0x9a, 0x59, 0xa7, 0x2a, 0xec, 0x75, 0x64,
        0x65, 0x87, 0x1d, 0x66, 0xb9, 0xfb, 0xff, 0xfe, 0xb4, 0x4c, 0x00};
    auto m = readMovie(file);
    if (!m.ok()) {
        EXPECT_FALSE(m.error().message.empty());
    }
}

TEST(SwfHostile, StopsInflatingAtTheLimit)
{
    std::vector<std::uint8_t> zeros(4 << 20, 0); // inflates a thousandfold
    uLongf size = compressBound(uLong(zeros.size()));
    std::vector<std::uint8_t> packed(size);
    compress2(packed.data(), &size, zeros.data(), uLong(zeros.size()), 9);
    packed.resize(size);
    auto file = cat({{'C', 'W', 'S', 10, 0, 0, 0x40, 0}, packed});
    Limits limits;
    limits.maxUncompressedBytes = 1 << 20;
    auto body = decompressBody(file, limits);
    ASSERT_TRUE(body.ok());
    EXPECT_EQ(body->size(), limits.maxUncompressedBytes);
    EXPECT_FALSE(readMovie(file, limits).ok()); // all zeros: no complete frame
}

TEST(SwfHostile, KeepsTheCompleteFramesOfACutMovie)
{
    MovieBuilder b(100, 100);
    const std::uint16_t box = b.addRectangle({0, 200, 0, 200}, {255, 0, 0, 255});
    for (int i = 0; i < 5; ++i) {
        b.place(box, std::uint16_t(i + 1), Matrix::translate(i * 100, 0));
        b.showFrame();
    }
    auto bytes = b.build();
    ASSERT_TRUE(bytes.ok());
    std::size_t complete = 0;
    for (std::size_t cut = 30; cut < bytes->size(); cut += 3) {
        auto m = readMovie(std::span(bytes->data(), cut));
        if (!m.ok())
            continue;
        EXPECT_TRUE(m->truncated);
        EXPECT_GE(m->timeline.frames.size(), complete); // more data never loses frames
        complete = m->timeline.frames.size();
        EXPECT_LT(complete, 5u);
    }
    EXPECT_EQ(complete, 4u);
}

TEST(SwfHostile, LimitsNestingRecordsAndCounts)
{
    // DefineSprite nested 200 deep: the reader stops at its depth limit.
    std::vector<std::uint8_t> sprite = {0, 0};
    for (int depth = 0; depth < 200; ++depth)
        sprite = tag(39, cat({{std::uint8_t(depth + 1), 0, 1, 0}, sprite, {0, 0}}));
    auto m = readMovie(fws(cat({sprite, kShowFrame})));
    ASSERT_TRUE(m.ok());
    EXPECT_FALSE(m->warnings.empty());
    EXPECT_LE(m->dictionary.size(), 4u);

    // A shape of more edge records than allowed, a font claiming 65535 glyphs
    // without data, a text record with 33-bit glyph indices.
    std::vector<std::uint8_t> edges(2000, 0xFF);
    auto shape = tag(2, cat({{1, 0, 0, 0, 0, 0x10}, edges, {0, 0}}));
    auto font = tag(48, {2, 0, 0, 0, 0, 0xFF, 0xFF});
    auto text = tag(11, {3, 0, 0, 0, 33, 1, 0});
    Limits limits;
    limits.maxShapeRecords = 100;
    m = readMovie(fws(cat({shape, font, text, kShowFrame})), limits);
    ASSERT_TRUE(m.ok());
    EXPECT_TRUE(m->dictionary.empty());
    EXPECT_EQ(m->warnings.size(), 3u);
    EXPECT_EQ(m->timeline.frames.size(), 1u);
}

// Mutations act mostly on the inflated form, so that they hit tags and records
// rather than just breaking the zlib stream.
std::vector<std::uint8_t> asFws(const std::vector<std::uint8_t>& file)
{
    auto body = decompressBody(file);
    if (!body.ok())
        return file;
    std::vector<std::uint8_t> out(file.begin(), file.begin() + 8);
    out[0] = 'F';
    out.insert(out.end(), body->begin(), body->end());
    return out;
}

void exercise(const std::vector<std::uint8_t>& bytes)
{
    Limits limits;
    limits.maxBitmapPixels = 1 << 20;
    limits.maxUncompressedBytes = 8 << 20;
    auto m = readMovie(bytes, limits);
    if (!m.ok()) {
        EXPECT_FALSE(m.error().message.empty());
        return;
    }
    for (const auto& [id, c] : m->dictionary)
        if (std::holds_alternative<Bitmap>(c))
            (void)m->decodeBitmap(id, limits);
    // Whatever the reader accepts, the writer either writes readably or refuses.
    auto again = writeMovie(*m);
    if (again.ok()) {
        auto back = readMovie(*again);
        ASSERT_TRUE(back.ok()) << back.error().message;
        EXPECT_EQ(back->timeline.frames.size(), m->timeline.frames.size());
    }
}

TEST(SwfMutations, ThousandsOfDamagedCorpusMoviesNeverCrash)
{
    std::vector<std::vector<std::uint8_t>> seeds;
    for (const auto& f : swftest::corpusFiles()) {
        auto bytes = swftest::readFileBytes(f.path);
        if (bytes.size() < 40'000) {
            seeds.push_back(asFws(bytes));
            seeds.push_back(bytes);
        }
    }
    ASSERT_GT(seeds.size(), 100u);
    std::mt19937 rng(20261210); // fixed: failures reproduce
    int readable = 0;
    constexpr int kRuns = 4000;
    for (int run = 0; run < kRuns; ++run) {
        const auto& seed = seeds[rng() % seeds.size()];
        std::vector<std::uint8_t> m = seed;
        switch (rng() % 3) {
        case 0: m.resize(rng() % m.size()); break; // truncation
        case 1:
            for (int k = 1 + int(rng() % 4); k > 0; --k)
                m[8 + rng() % (m.size() - 8)] ^= std::uint8_t(1u << (rng() % 8)); // bit flips after the signature
            break;
        default: {
            const std::size_t at = 8 + rng() % (m.size() - 8);
            const std::uint8_t v = rng() % 2 ? 0xFF : 0x00;
            for (std::size_t i = at; i < std::min(m.size(), at + 1 + rng() % 4); ++i)
                m[i] = v; // large or zero lengths and counts
        }
        }
        SCOPED_TRACE("run " + std::to_string(run));
        exercise(m);
        if (readMovie(m).ok())
            ++readable;
    }
    // Most damage leaves a playable prefix; a reader that refused everything would pass the rest.
    EXPECT_GT(readable, kRuns / 3);
}

} // namespace
