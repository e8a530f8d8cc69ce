// Frames: background or none (the "Transparent" window mode), the viewport, the
// stage-to-surface matrix, and calls the renderer must survive.
#include "RenderFixture.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

constexpr QRgb kHostPixel = 0x80402010u;  // premultiplied: what the host's buffer holds

swf::Shape redSquare() { return shapeWith({solid(255, 0, 0)}, rectRecords(10, 10, 20, 20, 0, 1)); }

TEST(FrameBackground, FillsTheViewportFirst)
{
    auto renderer = makeRenderer();
    Canvas canvas(30, 30, kHostPixel);
    const auto id = renderer->registerShape(redSquare(), {});
    renderer->beginFrame(canvas.setup(true, {0, 128, 255, 255}));
    renderer->drawShape(id, {}, {});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(0, 0), 0xff0080ffu);
    EXPECT_EQ(canvas.at(29, 29), 0xff0080ffu);
    EXPECT_EQ(canvas.at(15, 15), 0xffff0000u);
}

TEST(FrameTransparent, LeavesTheSurfacePixelsAndComposesOverThem)
{
    auto renderer = makeRenderer();
    Canvas canvas(30, 30, kHostPixel);
    const auto id = renderer->registerShape(redSquare(), {});
    renderer->beginFrame(canvas.setup(false));
    renderer->drawShape(id, {}, {});
    // Half-transparent red over the host's pixel.
    renderer->drawShape(id, render::Matrix::translate(px(5), 0), {1, 1, 1, 0.5f, 0, 0, 0, 0});
    renderer->endFrame();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inside = x >= 10 && x < 25 && y >= 10 && y < 20;
            if (!inside) {
                ASSERT_EQ(canvas.at(x, y), kHostPixel) << x << "," << y;
            }
        }
    EXPECT_EQ(canvas.at(12, 15), 0xffff0000u);
    // (255, 0, 0) at alpha 128 over premultiplied (64, 32, 16, 128).
    const QRgb mixed = canvas.at(22, 15);
    EXPECT_NEAR(qAlpha(mixed), 128 + 128 * 127 / 255, 2);
    EXPECT_NEAR(qRed(mixed), 128 + 64 * 127 / 255, 2);
    EXPECT_NEAR(qGreen(mixed), 32 * 127 / 255, 2);
}

TEST(FrameViewport, DrawsOnlyInsideIt)
{
    auto renderer = makeRenderer();
    Canvas canvas(40, 40, kHostPixel);
    const auto id = renderer->registerShape(shapeWith({solid(255, 0, 0)}, rectRecords(0, 0, 40, 40, 0, 1)), {});
    render::FrameSetup setup = canvas.setup(true, {0, 0, 255, 255});
    setup.viewport = {10, 5, 20, 10};
    // The view's origin at (10, 5): the stage's left half is drawn in the viewport.
    setup.stageToSurface = render::Matrix{1 / 20.0, 0, 0, 1 / 20.0, 10, 5};
    renderer->beginFrame(setup);
    renderer->drawShape(id, render::Matrix::scale(0.25, 1), {});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(9, 10), kHostPixel);
    EXPECT_EQ(canvas.at(30, 10), kHostPixel);
    EXPECT_EQ(canvas.at(15, 4), kHostPixel);
    EXPECT_EQ(canvas.at(15, 15), kHostPixel);
    EXPECT_EQ(canvas.at(10, 5), 0xffff0000u);
    EXPECT_EQ(canvas.at(19, 14), 0xffff0000u);
    EXPECT_EQ(canvas.at(20, 14), 0xff0000ffu);
}

TEST(FrameStageMatrix, ScalesTheWholeStage)
{
    auto renderer = makeRenderer();
    Canvas canvas(50, 50);
    const auto id = renderer->registerShape(redSquare(), {});
    render::FrameSetup setup = canvas.setup();
    setup.stageToSurface = render::Matrix::scale(2 / 20.0, 2 / 20.0);
    renderer->beginFrame(setup);
    renderer->drawShape(id, {}, {});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(20, 20), 0xffff0000u);
    EXPECT_EQ(canvas.at(39, 39), 0xffff0000u);
    EXPECT_EQ(canvas.at(40, 40), 0xffffffffu);
    EXPECT_EQ(canvas.at(19, 19), 0xffffffffu);
}

TEST(FrameMisuse, IsHarmless)
{
    auto renderer = makeRenderer();
    const auto id = renderer->registerShape(redSquare(), {});
    // Outside a frame, unknown ids, an unusable surface, unbalanced pairs.
    renderer->drawShape(id, {}, {});
    renderer->endLayer();
    renderer->popMask();
    render::FrameSetup bad;
    EXPECT_FALSE(renderer->beginFrame(bad));
    renderer->drawShape(id, {}, {});
    Canvas canvas(30, 30);
    render::FrameSetup thin = canvas.setup();
    thin.surface.stride = 4;
    EXPECT_FALSE(renderer->beginFrame(thin));
    ASSERT_TRUE(renderer->beginFrame(canvas.setup()));
    renderer->drawShape(999, {}, {});
    renderer->endMask();
    renderer->beginLayer(render::BlendMode::Multiply);
    renderer->beginMask();
    for (int i = 0; i < 100; ++i)
        renderer->beginLayer(render::BlendMode::Layer);
    renderer->drawShape(id, {}, {});
    renderer->endFrame();  // closes everything
    ASSERT_TRUE(renderer->beginFrame(canvas.setup()));
    renderer->drawShape(id, {}, {});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(15, 15), 0xffff0000u);
    EXPECT_EQ(canvas.at(5, 5), 0xffffffffu);
}

TEST(FrameQuality, LowQualityDrawsHardEdges)
{
    // A square at half-pixel coordinates: anti-aliased edges are half covered, aliased
    // ones fully in or out.
    auto edgeAt = [](render::Quality q) {
        auto renderer = makeRenderer();
        Canvas canvas(30, 30);
        drawOnce(*renderer, canvas, shapeWith({solid(0, 0, 0)}, rectRecords(10.5, 10.5, 20.5, 20.5, 0, 1)), {}, {}, q);
        return qRed(canvas.at(10, 15));
    };
    EXPECT_NEAR(edgeAt(render::Quality::High), 128, 8);
    const int low = edgeAt(render::Quality::Low);
    EXPECT_TRUE(low == 0 || low == 255) << low;
}

}  // namespace

namespace {

TEST(FrameMisuse, DegenerateAndNonFiniteMatricesDrawNothing)
{
    auto renderer = makeRenderer();
    const auto id = renderer->registerShape(redSquare(), {});
    const std::vector<quint32> pixels(4, 0xff00ff00u);
    const auto bitmap = renderer->registerBitmap({reinterpret_cast<const uint8_t*>(pixels.data()), 2, 2, 8});
    Canvas canvas(30, 30);
    renderer->beginFrame(canvas.setup());
    const double nan = std::nan(""), inf = INFINITY;
    for (const render::Matrix& m : {render::Matrix{0, 0, 0, 0, 0, 0}, render::Matrix{nan, 0, 0, 1, 0, 0},
                                    render::Matrix{1, 0, 0, 1, inf, 0}, render::Matrix{1e300, 0, 0, 1e300, 0, 0}}) {
        renderer->drawShape(id, m, {});
        renderer->drawBitmap(bitmap, m, {}, true);
    }
    renderer->endFrame();
    EXPECT_EQ(canvas.at(15, 15), 0xffffffffu);
}

}  // namespace
