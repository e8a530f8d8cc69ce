// Edge records into filled regions: fill sides, contour joining, holes, adjacent
// fills, style groups and the fill rules.
#include "RenderFixture.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

using namespace rendertest;

namespace {

constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kRed = 0xffff0000u;
constexpr QRgb kBlue = 0xff0000ffu;

struct Probe {
    int x, y;
    QRgb expected;
};

struct AssemblyCase {
    const char* name;
    swf::Shape shape;
    std::vector<Probe> probes;
};

std::vector<swf::ShapeRecord> reversedRect(double x0, double y0, double x1, double y1, std::uint32_t fill0,
                                           std::uint32_t fill1)
{
    swf::StyleChange move;
    move.moveTo = swf::Point{px(x0), px(y0)};
    move.fill0 = fill0;
    move.fill1 = fill1;
    const swf::Twips w = px(x1) - px(x0), h = px(y1) - px(y0);
    return {move, swf::StraightEdge{0, h}, swf::StraightEdge{w, 0}, swf::StraightEdge{0, -h},
            swf::StraightEdge{-w, 0}};
}

// A rectangle whose contour is written as two pieces, the second piece first.
std::vector<swf::ShapeRecord> splitRect()
{
    swf::StyleChange second;
    second.moveTo = swf::Point{px(30), px(10)};
    second.fill1 = 1;
    swf::StyleChange first;
    first.moveTo = swf::Point{px(10), px(10)};
    return {second, swf::StraightEdge{0, px(20)}, swf::StraightEdge{-px(20), 0}, swf::StraightEdge{0, -px(20)},
            first, swf::StraightEdge{px(20), 0}};
}

// Two squares sharing the edge x = 20: red left of it, blue right of it; the shared
// edge runs downwards with red on its... either side, as long as both sides are set.
std::vector<swf::ShapeRecord> adjacentSquares()
{
    std::vector<swf::ShapeRecord> r;
    swf::StyleChange top;
    top.moveTo = swf::Point{px(10), px(10)};
    top.fill0 = 0;
    top.fill1 = 1;
    r.push_back(top);
    r.push_back(swf::StraightEdge{px(10), 0});
    swf::StyleChange shared;
    shared.fill0 = 2;
    shared.fill1 = 1;
    r.push_back(shared);
    r.push_back(swf::StraightEdge{0, px(10)});
    swf::StyleChange rest;
    rest.fill0 = 0;
    rest.fill1 = 1;
    r.push_back(rest);
    r.push_back(swf::StraightEdge{-px(10), 0});
    r.push_back(swf::StraightEdge{0, -px(10)});
    swf::StyleChange blue;
    blue.moveTo = swf::Point{px(20), px(10)};
    blue.fill0 = 0;
    blue.fill1 = 2;
    r.push_back(blue);
    r.push_back(swf::StraightEdge{px(10), 0});
    r.push_back(swf::StraightEdge{0, px(10)});
    r.push_back(swf::StraightEdge{-px(10), 0});
    return r;
}

swf::Shape withNewStyles()
{
    auto records = rectRecords(10, 10, 30, 30, 0, 1);
    swf::StyleChange next;
    next.newStyles = swf::StyleArrays{{solid(0, 0, 255)}, {}};
    next.moveTo = swf::Point{px(20), px(20)};
    next.fill1 = 1;
    records.push_back(next);
    const auto second = rectRecords(20, 20, 38, 38, 0, 1);
    records.insert(records.end(), second.begin() + 1, second.end());
    return shapeWith({solid(255, 0, 0)}, records);
}

swf::Shape overlapping(bool nonZero)
{
    auto records = rectRecords(5, 5, 25, 25, 0, 1);
    append(records, rectRecords(15, 15, 35, 35, 0, 1));
    swf::Shape s = shapeWith({solid(255, 0, 0)}, records);
    s.usesFillWindingRule = nonZero;
    return s;
}

std::vector<AssemblyCase> cases()
{
    std::vector<AssemblyCase> c;
    c.push_back({"fill1", shapeWith({solid(255, 0, 0)}, rectRecords(10, 10, 30, 30, 0, 1)),
                 {{10, 10, kRed}, {29, 29, kRed}, {9, 10, kWhite}, {30, 29, kWhite}, {20, 30, kWhite}}});
    c.push_back({"fill0_reversed", shapeWith({solid(255, 0, 0)}, reversedRect(10, 10, 30, 30, 1, 0)),
                 {{10, 10, kRed}, {29, 29, kRed}, {9, 9, kWhite}, {30, 30, kWhite}}});
    c.push_back({"split_contour", shapeWith({solid(255, 0, 0)}, splitRect()),
                 {{10, 10, kRed}, {29, 29, kRed}, {20, 20, kRed}, {9, 20, kWhite}, {30, 20, kWhite}}});
    {
        auto records = rectRecords(5, 5, 35, 35, 0, 1);
        append(records, rectRecords(15, 15, 25, 25, 1, 0));
        c.push_back({"hole", shapeWith({solid(255, 0, 0)}, records),
                     {{5, 5, kRed}, {14, 20, kRed}, {15, 15, kWhite}, {24, 24, kWhite}, {25, 20, kRed}}});
    }
    c.push_back({"adjacent_fills", shapeWith({solid(255, 0, 0), solid(0, 0, 255)}, adjacentSquares()),
                 {{19, 15, kRed}, {20, 15, kBlue}, {10, 19, kRed}, {29, 10, kBlue}, {30, 15, kWhite}}});
    c.push_back({"new_styles_draw_above", withNewStyles(),
                 {{15, 15, kRed}, {25, 25, kBlue}, {29, 21, kBlue}, {35, 35, kBlue}, {30, 15, kWhite}}});
    c.push_back({"even_odd_overlap", overlapping(false), {{10, 10, kRed}, {20, 20, kWhite}, {30, 30, kRed}}});
    c.push_back({"non_zero_overlap", overlapping(true), {{10, 10, kRed}, {20, 20, kRed}, {30, 30, kRed}}});
    // Style indices beyond the arrays bound nothing.
    c.push_back({"unknown_style", shapeWith({solid(255, 0, 0)}, rectRecords(10, 10, 30, 30, 0, 7)),
                 {{20, 20, kWhite}}});
    return c;
}

class ShapeAssembly : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(ShapeAssembly, FillsTheRegionsOfEachStyle)
{
    for (render::Quality quality : {render::Quality::High, render::Quality::Low}) {
        auto renderer = makeRenderer();
        Canvas canvas(40, 40);
        drawOnce(*renderer, canvas, GetParam().shape, {}, {}, quality);
        for (const Probe& p : GetParam().probes)
            EXPECT_EQ(canvas.at(p.x, p.y), p.expected)
                << "at " << p.x << "," << p.y << " quality " << int(quality);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShapeAssembly, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Quadratic curves against the same outline drawn with QPainter directly.
TEST(ShapeCurves, MatchAQPainterReference)
{
    swf::StyleChange move;
    move.moveTo = swf::Point{px(10), px(30)};
    move.fill1 = 1;
    const std::vector<swf::ShapeRecord> records{
        move,
        swf::CurvedEdge{0, -px(20), px(20), 0},   // to (30, 10) via (10, 10)
        swf::CurvedEdge{px(20), 0, 0, px(20)},    // to (50, 30) via (50, 10)
        swf::CurvedEdge{0, px(20), -px(20), 0},   // to (30, 50) via (50, 50)
        swf::CurvedEdge{-px(20), 0, 0, -px(20)},  // back via (10, 50)
    };
    auto renderer = makeRenderer();
    Canvas canvas(60, 60);
    drawOnce(*renderer, canvas, shapeWith({solid(0, 128, 0)}, records), render::Matrix::translate(0, 0));

    QImage reference(60, 60, QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::white);
    QPainter p(&reference);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path(QPointF(10, 30));
    path.quadTo(10, 10, 30, 10);
    path.quadTo(50, 10, 50, 30);
    path.quadTo(50, 50, 30, 50);
    path.quadTo(10, 50, 10, 30);
    p.fillPath(path, QColor(0, 128, 0));
    p.end();
    const Difference d = compare(canvas.image, reference, 8);
    EXPECT_EQ(d.pixelsOver, 0) << "largest difference " << d.largest;
    EXPECT_EQ(canvas.at(30, 30), 0xff008000u);
}

TEST(ShapeMatrix, MovesAndScalesTheShape)
{
    auto renderer = makeRenderer();
    Canvas canvas(40, 40);
    // A 10 x 10 square scaled by 2 and moved by (5, 5) pixels covers 5..25.
    const render::Matrix m{2, 0, 0, 2, tw(5), tw(5)};
    drawOnce(*renderer, canvas, shapeWith({solid(255, 0, 0)}, rectRecords(0, 0, 10, 10, 0, 1)), m);
    EXPECT_EQ(canvas.at(5, 5), kRed);
    EXPECT_EQ(canvas.at(24, 24), kRed);
    EXPECT_EQ(canvas.at(25, 25), kWhite);
    EXPECT_EQ(canvas.at(4, 10), kWhite);
}

TEST(ShapeHitTest, FindsFillsAndStrokes)
{
    auto renderer = makeRenderer();
    swf::LineStyle line;
    line.width = 40;
    auto records = rectRecords(10, 10, 30, 30, 0, 1);
    append(records, rectRecords(50, 10, 60, 20, 0, 0, 1));
    const auto id = renderer->registerShape(shapeWith({solid(255, 0, 0)}, records, {line}), {});
    EXPECT_TRUE(renderer->hitTest(id, px(20), px(20)));
    EXPECT_FALSE(renderer->hitTest(id, px(40), px(20)));
    EXPECT_TRUE(renderer->hitTest(id, px(50), px(15)));   // on the stroke
    EXPECT_FALSE(renderer->hitTest(id, px(55), px(15)));  // inside the unfilled outline
    EXPECT_FALSE(renderer->hitTest(id + 100, 0, 0));
}

}  // namespace

namespace {

// Thousands of edges from one point, and edges far out of range: built quickly, drawn
// without harm.
TEST(ShapeHostile, StarsAndFarEdgesBuildAndDraw)
{
    std::vector<swf::ShapeRecord> records;
    for (int i = 0; i < 20000; ++i) {
        swf::StyleChange move;
        move.moveTo = swf::Point{px(20), px(20)};
        move.fill1 = 1;
        move.line = 1;
        records.push_back(move);
        records.push_back(swf::StraightEdge{(i % 200) - 100, 100});
    }
    swf::StyleChange far;
    far.moveTo = swf::Point{INT32_MAX - 5, INT32_MIN + 5};
    records.push_back(far);
    for (int i = 0; i < 4; ++i)
        records.push_back(swf::CurvedEdge{INT32_MAX, INT32_MAX, INT32_MIN, 7});
    swf::LineStyle line;
    auto renderer = makeRenderer();
    Canvas canvas(40, 40);
    drawOnce(*renderer, canvas, shapeWith({solid(255, 0, 0)}, records, {line}));
    EXPECT_NE(canvas.at(20, 21), 0xffffffffu);
}

}  // namespace

namespace {

// Red and blue meeting on x = 20.5: the shared pixel column is half of each, with no
// white from behind (and nothing leaks beyond the shape).
TEST(ShapeSeams, AdjacentFillsLeaveNoGapOnSharedEdges)
{
    std::vector<swf::ShapeRecord> r;
    swf::StyleChange start;
    start.moveTo = swf::Point{px(10), px(10)};
    start.fill0 = 0;
    start.fill1 = 1;
    r.push_back(start);
    r.push_back(swf::StraightEdge{px(10.5), 0});
    swf::StyleChange shared;
    shared.fill0 = 2;
    r.push_back(shared);
    r.push_back(swf::StraightEdge{0, px(10)});
    swf::StyleChange rest;
    rest.fill0 = 0;
    r.push_back(rest);
    r.push_back(swf::StraightEdge{-px(10.5), 0});
    r.push_back(swf::StraightEdge{0, -px(10)});
    swf::StyleChange blue;
    blue.moveTo = swf::Point{px(20.5), px(10)};
    blue.fill1 = 2;
    r.push_back(blue);
    r.push_back(swf::StraightEdge{px(9.5), 0});
    r.push_back(swf::StraightEdge{0, px(10)});
    r.push_back(swf::StraightEdge{-px(9.5), 0});
    auto renderer = makeRenderer();
    Canvas canvas(40, 30);
    drawOnce(*renderer, canvas, shapeWith({solid(255, 0, 0), solid(0, 0, 255)}, r));
    const QRgb seam = canvas.at(20, 15);
    EXPECT_NEAR(qRed(seam), 128, 8);
    EXPECT_NEAR(qBlue(seam), 128, 8);
    EXPECT_LE(qGreen(seam), 8) << std::hex << seam;
    EXPECT_EQ(canvas.at(19, 15), 0xffff0000u);
    EXPECT_EQ(canvas.at(21, 15), 0xff0000ffu);
    EXPECT_EQ(canvas.at(20, 9), 0xffffffffu);
    EXPECT_EQ(canvas.at(20, 20), 0xffffffffu);
}

}  // namespace
