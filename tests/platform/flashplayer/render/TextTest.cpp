// Glyph text and device text.
#include "RenderFixture.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

// A square glyph in the 1024-unit EM square, its baseline at y 0: x 0..512, y -512..0.
std::vector<swf::ShapeRecord> squareGlyph()
{
    swf::StyleChange move;
    move.moveTo = swf::Point{0, -512};
    move.fill0 = 1;  // glyph outlines may name either side
    return {move, swf::StraightEdge{512, 0}, swf::StraightEdge{0, 512}, swf::StraightEdge{-512, 0},
            swf::StraightEdge{0, -512}};
}

TEST(GlyphText, DrawsEachGlyphWithItsMatrixAndColour)
{
    auto renderer = makeRenderer();
    const auto glyph = renderer->registerGlyph(squareGlyph());
    // Text height 20 px: scale 400 / 1024; a square of 10 px.
    const double s = px(20) / 1024.0;
    const render::GlyphInstance glyphs[] = {
        {glyph, {s, 0, 0, s, tw(5), tw(20)}, {255, 0, 0, 255}},
        {glyph, {s, 0, 0, s, tw(20), tw(20)}, {0, 0, 255, 255}},
    };
    Canvas canvas(40, 30);
    renderer->beginFrame(canvas.setup());
    renderer->drawGlyphs(glyphs, render::Matrix::translate(0, px(5)), {1, 1, 1, 1, 0, 100, 0, 0});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(5, 15), 0xffff6400u);   // red with green added by the transform
    EXPECT_EQ(canvas.at(14, 24), 0xffff6400u);
    EXPECT_EQ(canvas.at(20, 15), 0xff0064ffu);
    EXPECT_EQ(canvas.at(16, 20), 0xffffffffu);
    EXPECT_EQ(canvas.at(5, 25), 0xffffffffu);
}

TEST(DeviceText, DrawsAndMeasures)
{
    auto renderer = makeRenderer();
    render::DeviceText text;
    text.utf8 = "Hello";
    text.sizeTwips = px(16);
    text.color = {0, 0, 0, 255};
    const double width = renderer->measureDeviceText(text);
    EXPECT_GT(width, px(10));
    EXPECT_LT(width, px(80));
    Canvas canvas(100, 30);
    renderer->beginFrame(canvas.setup());
    renderer->drawDeviceText(text, render::Matrix::translate(px(5), px(20)), {});
    renderer->endFrame();
    int dark = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (qRed(canvas.at(x, y)) < 100) {
                ++dark;
                EXPECT_GE(x, 4);
                EXPECT_LE(y, 24);
            }
    EXPECT_GT(dark, 20);
}

}  // namespace
