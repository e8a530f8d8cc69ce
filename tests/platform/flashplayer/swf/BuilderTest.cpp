// The builder makes what other tools make, and the writer refuses models it
// could not write faithfully.
#include "CorpusFiles.h"

#include "swf/Reader.h"
#include "swf/Writer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace swf;

TEST(SwfBuilder, WritesTheSameBytesAsAnAuthoringToolForARedStage)
{
    // swf-parser/SimpleRedBackground.swf: SWF 6, 400 x 400, 60 fps, one red frame.
    MovieBuilder b(400, 400, 60, 6);
    b.setBackground({255, 0, 0, 255});
    b.showFrame();
    auto ours = b.build(Compression::Zlib);
    ASSERT_TRUE(ours.ok());
    const auto theirs = swftest::readFileBytes(std::filesystem::path(TOVRANE_CORPUS_DIR) / "swf-parser/SimpleRedBackground.swf");
    ASSERT_EQ(std::vector<std::uint8_t>(ours->begin(), ours->begin() + 8),
              std::vector<std::uint8_t>(theirs.begin(), theirs.begin() + 8)); // CWS, version, length
    auto a = decompressBody(*ours);
    auto c = decompressBody(theirs);
    ASSERT_TRUE(a.ok() && c.ok());
    EXPECT_EQ(*a, *c);
}

TEST(SwfBuilder, BuildsReadableMoviesWithShapesBitmapsAndSprites)
{
    MovieBuilder b(200, 100, 12.5);
    const std::uint16_t box = b.addRectangle({0, 400, 0, 200}, {0, 128, 255, 255}, LineStyle::solid(40, {0, 0, 0, 255}));
    const std::vector<std::uint32_t> pixels = {0xFFFF0000, 0x80400000, 0x00000000, 0xFF00FF00};
    const std::uint16_t bitmap = b.addBitmap(2, 2, pixels);
    SpriteBuilder s;
    s.place(box, 1);
    s.showFrame();
    s.remove(1);
    s.showFrame();
    const std::uint16_t clip = b.add(s.sprite());
    b.label("first");
    b.place(clip, 1, Matrix::translate(100, 100));
    b.showFrame();
    b.move(1, Matrix::scale(2, 2));
    b.remove(1);
    for (Compression c : {Compression::None, Compression::Zlib, Compression::Lzma}) {
        auto bytes = b.build(c);
        ASSERT_TRUE(bytes.ok()) << bytes.error().message;
        EXPECT_EQ((*bytes)[0], c == Compression::None ? 'F' : c == Compression::Zlib ? 'C' : 'Z');
        auto m = readMovie(*bytes);
        ASSERT_TRUE(m.ok());
        EXPECT_DOUBLE_EQ(m->header.fps(), 12.5);
        EXPECT_EQ(m->header.stageWidth(), 200);
        EXPECT_EQ(m->timeline.frames.size(), 2u);
        EXPECT_EQ(m->timeline.labels.at(0).name, "first");
        const Shape* shape = m->find<Shape>(box);
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->bounds, (Rect{-20, 420, -20, 220}));
        EXPECT_EQ(shape->records.size(), 5u);
        const Sprite* sprite = m->find<Sprite>(clip);
        ASSERT_TRUE(sprite);
        EXPECT_EQ(sprite->timeline.frames.size(), 2u);
        auto decoded = m->decodeBitmap(bitmap);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded->pixels, pixels);
    }
}

TEST(SwfBuilder, SplitsStraightEdgesTooLongForOneRecord)
{
    Shape s;
    s.version = 1;
    s.styles.lines = {LineStyle{}};
    StyleChange sc;
    sc.line = 1;
    s.records = {sc, StraightEdge{300000, -5}};
    MovieBuilder b(10, 10);
    const std::uint16_t id = b.add(s);
    auto bytes = b.build();
    ASSERT_TRUE(bytes.ok());
    auto m = readMovie(*bytes);
    ASSERT_TRUE(m.ok());
    Twips dx = 0, dy = 0;
    for (const ShapeRecord& r : m->find<Shape>(id)->records)
        if (auto* e = std::get_if<StraightEdge>(&r)) {
            dx += e->dx;
            dy += e->dy;
        }
    EXPECT_EQ(dx, 300000);
    EXPECT_EQ(dy, -5);
}

struct BadModel {
    const char* what;
    std::function<void(Movie&)> spoil;
};

class SwfWriterRefuses : public ::testing::TestWithParam<BadModel> {};

TEST_P(SwfWriterRefuses, ModelsItCannotWriteFaithfully)
{
    MovieBuilder b(10, 10);
    b.addRectangle({0, 20, 0, 20}, {1, 2, 3, 255});
    b.showFrame();
    Movie m = b.movie();
    GetParam().spoil(m);
    auto bytes = writeMovie(m);
    ASSERT_FALSE(bytes.ok()) << GetParam().what;
    EXPECT_EQ(bytes.error().code, ErrorCode::Malformed);
}

Shape& firstShape(Movie& m) { return std::get<Shape>(m.dictionary.begin()->second); }

const BadModel kBadModels[] = {
    {"translucent colour in DefineShape", [](Movie& m) { firstShape(m).version = 1; firstShape(m).styles.fills[0].color.a = 9; }},
    {"focal gradient before DefineShape4", [](Movie& m) { firstShape(m).styles.fills[0].kind = FillKind::FocalGradient; }},
    {"caps on a DefineShape3 line", [](Movie& m) { LineStyle l; l.endCap = CapStyle::None; firstShape(m).styles.lines = {l}; }},
    {"curve longer than 17 bits", [](Movie& m) { firstShape(m).records.push_back(CurvedEdge{70000, 0, 0, 0}); }},
    {"new styles in DefineShape", [](Movie& m) {
         firstShape(m).version = 1;
         StyleChange sc;
         sc.newStyles = StyleArrays{};
         firstShape(m).records.push_back(sc);
     }},
    {"string with a zero byte", [](Movie& m) { m.timeline.labels.push_back({std::string("a\0b", 3), 0, false}); }},
    {"PlaceObject3 member on PlaceObject2", [](Movie& m) {
         PlaceObject p;
         p.blendMode = BlendMode::Add;
         m.timeline.frames[0].tags.push_back(p);
     }},
    {"text font without height", [](Movie& m) {
         Text t;
         t.id = 50;
         TextRecord r;
         r.fontId = 1;
         t.records = {r};
         m.dictionary.emplace(50, t);
     }},
    {"character under another id", [](Movie& m) { m.dictionary.emplace(77, Shape{}); }},
};

INSTANTIATE_TEST_SUITE_P(Cases, SwfWriterRefuses, ::testing::ValuesIn(kBadModels));

} // namespace
