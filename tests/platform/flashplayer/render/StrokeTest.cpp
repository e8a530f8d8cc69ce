// Strokes: widths, the hairline minimum, scaling, caps and joins, fill-styled strokes,
// and their order above the fills.
#include "RenderFixture.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

using namespace rendertest;

namespace {

swf::LineStyle lineOf(std::uint16_t width, swf::Rgba colour = {0, 0, 0, 255})
{
    swf::LineStyle l;
    l.width = width;
    l.color = colour;
    return l;
}

// A vertical line at x (pixels) from y0 to y1.
std::vector<swf::ShapeRecord> verticalLine(double x, double y0 = 5, double y1 = 35)
{
    swf::StyleChange move;
    move.moveTo = swf::Point{px(x), px(y0)};
    move.line = 1;
    return {move, swf::StraightEdge{0, px(y1) - px(y0)}};
}

// Dark pixels on row 20 (the stroke's width as drawn).
int darkPixelsOnRow(const Canvas& canvas, int y = 20)
{
    int n = 0;
    for (int x = 0; x < canvas.image.width(); ++x)
        if (qRed(canvas.at(x, y)) < 128)
            ++n;
    return n;
}

struct WidthCase {
    const char* name;
    std::uint16_t width;
    double sx, sy;
    bool noHScale, noVScale;
    int expectedPixels;  // across a vertical line
};

class StrokeWidth : public ::testing::TestWithParam<WidthCase> {};

TEST_P(StrokeWidth, DrawsTheScaledWidthAndNeverLessThanAPixel)
{
    const WidthCase& c = GetParam();
    swf::LineStyle line = lineOf(c.width);
    line.noHScale = c.noHScale;
    line.noVScale = c.noVScale;
    auto renderer = makeRenderer();
    Canvas canvas(80, 40);
    // The line sits at x = 20.5 after scaling, so odd widths cover whole pixels.
    const render::Matrix m{c.sx, 0, 0, c.sy, 0, 0};
    drawOnce(*renderer, canvas, shapeWith({}, verticalLine(20.5 / c.sx, 10 / c.sy, 30 / c.sy), {line}), m, {},
             render::Quality::Low);
    EXPECT_EQ(darkPixelsOnRow(canvas), c.expectedPixels);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrokeWidth,
    ::testing::Values(WidthCase{"width_0_hairline", 0, 1, 1, false, false, 1},
                      WidthCase{"quarter_pixel_hairline", 5, 1, 1, false, false, 1},
                      WidthCase{"three_pixels", 60, 1, 1, false, false, 3},
                      WidthCase{"one_pixel_scaled_by_5", 20, 5, 5, false, false, 5},
                      // Uneven scaling stretches the stroke like the shape.
                      WidthCase{"stretched_across", 20, 5, 1, false, false, 5},
                      WidthCase{"stretched_along", 20, 1, 5, false, false, 1},
                      WidthCase{"one_flag_still_scales", 20, 5, 5, true, false, 5},
                      WidthCase{"non_scaling_keeps_one_pixel", 20, 5, 5, true, true, 1},
                      WidthCase{"non_scaling_three_pixels", 60, 0.2, 0.2, true, true, 3},
                      WidthCase{"tiny_scale_stays_hairline", 20, 0.1, 0.1, false, false, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct ShapeOfStroke {
    const char* name;
    swf::CapStyle cap;
    swf::JoinStyle join;
    double miterLimit;
};

class StrokeGeometry : public ::testing::TestWithParam<ShapeOfStroke> {};

// An open polyline with a sharp corner against the same stroke drawn by QPainter.
TEST_P(StrokeGeometry, MatchesAQPainterReference)
{
    const ShapeOfStroke& c = GetParam();
    swf::LineStyle line = lineOf(160, {0, 0, 160, 255});  // 8 px
    line.startCap = line.endCap = c.cap;
    line.join = c.join;
    line.miterLimit = c.miterLimit;
    swf::StyleChange move;
    move.moveTo = swf::Point{px(15), px(60)};
    move.line = 1;
    const std::vector<swf::ShapeRecord> records{move, swf::StraightEdge{px(25), -px(45)},
                                                swf::StraightEdge{px(25), px(45)}};
    auto renderer = makeRenderer();
    Canvas canvas(80, 80);
    drawOnce(*renderer, canvas, shapeWith({}, records, {line}));

    QImage reference(80, 80, QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::white);
    QPainter p(&reference);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(0, 0, 160), 8);
    pen.setCapStyle(c.cap == swf::CapStyle::Round ? Qt::RoundCap
                    : c.cap == swf::CapStyle::None ? Qt::FlatCap
                                                   : Qt::SquareCap);
    pen.setJoinStyle(c.join == swf::JoinStyle::Round ? Qt::RoundJoin
                     : c.join == swf::JoinStyle::Bevel ? Qt::BevelJoin
                                                       : Qt::MiterJoin);
    pen.setMiterLimit(c.miterLimit);
    p.setPen(pen);
    QPainterPath path(QPointF(15, 60));
    path.lineTo(40, 15);
    path.lineTo(65, 60);
    p.drawPath(path);
    p.end();
    const Difference d = compare(canvas.image, reference, 16);
    EXPECT_EQ(d.pixelsOver, 0) << "largest " << d.largest;
}

INSTANTIATE_TEST_SUITE_P(Cases, StrokeGeometry,
                         ::testing::Values(ShapeOfStroke{"round", swf::CapStyle::Round, swf::JoinStyle::Round, 3},
                                           ShapeOfStroke{"flat_bevel", swf::CapStyle::None, swf::JoinStyle::Bevel, 3},
                                           ShapeOfStroke{"square_miter", swf::CapStyle::Square, swf::JoinStyle::Miter, 4},
                                           ShapeOfStroke{"miter_cut_at_limit", swf::CapStyle::None, swf::JoinStyle::Miter, 1.2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StrokeCaps, DifferInLengthAsTheCapsSay)
{
    // A horizontal 4 px line from x 20 to 40 at y 20: flat caps end at the ends,
    // square and round ones 2 px beyond.
    auto widthOf = [](swf::CapStyle cap) {
        swf::LineStyle line = lineOf(80);
        line.startCap = line.endCap = cap;
        swf::StyleChange move;
        move.moveTo = swf::Point{px(20), px(20)};
        move.line = 1;
        auto renderer = makeRenderer();
        Canvas canvas(60, 40);
        drawOnce(*renderer, canvas, shapeWith({}, {move, swf::StraightEdge{px(20), 0}}, {line}));
        return darkPixelsOnRow(canvas, 20);
    };
    EXPECT_EQ(widthOf(swf::CapStyle::None), 20);
    EXPECT_EQ(widthOf(swf::CapStyle::Square), 24);
    EXPECT_EQ(widthOf(swf::CapStyle::Round), 24);
}

TEST(StrokeOrder, StrokesDrawAboveTheFillsOfTheirGroup)
{
    // The outline comes first in the records and the fill after it: still on top.
    auto records = rectRecords(10, 10, 30, 30, 0, 0, 1);
    append(records, rectRecords(10, 10, 30, 30, 0, 1, 0));
    auto renderer = makeRenderer();
    Canvas canvas(40, 40);
    drawOnce(*renderer, canvas, shapeWith({solid(255, 0, 0)}, records, {lineOf(40, {0, 0, 255, 255})}));
    EXPECT_EQ(canvas.at(10, 20), 0xff0000ffu);  // the stroke straddles x = 10
    EXPECT_EQ(canvas.at(9, 20), 0xff0000ffu);
    EXPECT_EQ(canvas.at(20, 20), 0xffff0000u);
}

TEST(StrokeFill, LineStyle2WithAFillPaintsWithTheFill)
{
    swf::LineStyle line = lineOf(80, {0, 0, 0, 255});
    line.fill = solid(0, 200, 0);
    auto renderer = makeRenderer();
    Canvas canvas(40, 40);
    drawOnce(*renderer, canvas, shapeWith({}, verticalLine(20), {line}));
    EXPECT_EQ(canvas.at(19, 20), 0xff00c800u);
    EXPECT_EQ(canvas.at(20, 20), 0xff00c800u);
}

TEST(StrokeClose, ClosedOutlinesAreJoinedUnlessNoClose)
{
    // A closed square with flat caps: joined, the corner pixel outside is painted; with
    // NoClose the start corner gets two flat caps and stays empty.
    auto cornerOf = [](bool noClose) {
        swf::LineStyle line = lineOf(80);
        line.startCap = line.endCap = swf::CapStyle::None;
        line.join = swf::JoinStyle::Miter;
        line.noClose = noClose;
        auto renderer = makeRenderer();
        Canvas canvas(40, 40);
        drawOnce(*renderer, canvas, shapeWith({}, rectRecords(10, 10, 30, 30, 0, 0, 1), {line}));
        return canvas.at(8, 8);
    };
    EXPECT_EQ(cornerOf(false), 0xff000000u);
    EXPECT_EQ(cornerOf(true), 0xffffffffu);
}

}  // namespace
