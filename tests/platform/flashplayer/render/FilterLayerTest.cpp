// Filter layers of the QPainter backend: filter sizes follow the stage-to-surface
// matrix but not the object's own matrix, the layer grows by the filter's reach, and
// the layer's colour transform tints only what was painted.
#include "RenderFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace rendertest;

TEST(FilterLayer, ShadowOffsetScalesWithTheStageNotTheObject)
{
    auto renderer = makeRenderer();
    const auto red = renderer->registerShape(shapeWith({solid(255, 0, 0)}, rectRecords(0, 0, 10, 10, 0, 1)), {});
    swf::Filter shadow;
    shadow.kind = swf::FilterKind::DropShadow;
    shadow.colors = {swf::Rgba{0, 0, 255, 255}};
    shadow.distance = 5;   // stage pixels, along x
    Canvas canvas(40, 20);
    render::FrameSetup setup = canvas.setup();
    setup.stageToSurface = render::Matrix::scale(2 / 20.0, 2 / 20.0);
    setup.quality = render::Quality::Low;
    renderer->beginFrame(setup);
    const swf::Filter filters[] = {shadow};
    renderer->beginFilterLayer(filters, render::BlendMode::Normal, {});
    renderer->drawShape(red, render::Matrix::scale(0.5, 0.5), {});   // 0..10 surface pixels
    renderer->endLayer();
    renderer->endFrame();
    EXPECT_EQ(canvas.at(5, 5), 0xffff0000u);
    EXPECT_EQ(canvas.at(15, 5), 0xff0000ffu);   // 10 surface pixels on: beyond the object
    EXPECT_EQ(canvas.at(19, 9), 0xff0000ffu);
    EXPECT_EQ(canvas.at(21, 5), 0xffffffffu);
    EXPECT_EQ(canvas.at(15, 12), 0xffffffffu);
}

TEST(FilterLayer, ColourTransformTintsOnlyWhatWasPainted)
{
    auto renderer = makeRenderer();
    const auto red = renderer->registerShape(shapeWith({solid(255, 0, 0)}, rectRecords(0, 0, 10, 10, 0, 1)), {});
    swf::Filter glow;
    glow.kind = swf::FilterKind::Glow;
    glow.colors = {swf::Rgba{0, 0, 255, 255}};
    glow.blurX = glow.blurY = 3;
    render::ColorTransform cx;
    cx.gAdd = 255;
    cx.aAdd = 128;
    Canvas canvas(30, 30);
    render::FrameSetup setup = canvas.setup();
    setup.quality = render::Quality::Low;
    renderer->beginFrame(setup);
    const swf::Filter filters[] = {glow};
    renderer->beginFilterLayer(filters, render::BlendMode::Normal, cx);
    renderer->drawShape(red, render::Matrix::translate(200, 200), {});   // 10..20 px
    renderer->endLayer();
    renderer->endFrame();
    EXPECT_EQ(canvas.at(15, 15), 0xffffff00u);        // red plus green
    const QRgb glowed = canvas.at(9, 15);   // the glow, blue plus green, over white
    EXPECT_EQ(glowed & 0xffffu, 0xffffu);
    EXPECT_LT(qRed(glowed), 128);
    EXPECT_EQ(canvas.at(8, 15), 0xffffffffu);         // the area around: untouched
    EXPECT_EQ(canvas.at(15, 21), 0xffffffffu);
}

}  // namespace
