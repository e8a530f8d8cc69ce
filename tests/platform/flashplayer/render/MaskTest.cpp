// Masks (clip layers): content clipped by the mask's shapes, unions, nesting, and the
// mask's own colour not mattering.
#include "RenderFixture.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

constexpr QRgb kRed = 0xffff0000u, kWhite = 0xffffffffu;

class MaskFixture : public ::testing::Test {
protected:
    render::ShapeId rect(double x0, double y0, double x1, double y1, swf::Rgba colour = {255, 0, 0, 255})
    {
        return renderer->registerShape(shapeWith({swf::FillStyle::solid(colour)}, rectRecords(x0, y0, x1, y1, 0, 1)),
                                       {});
    }
    bool red(int x, int y) const { return canvas.at(x, y) == kRed; }

    std::unique_ptr<render::Renderer> renderer = makeRenderer();
    Canvas canvas{40, 40};
};

TEST_F(MaskFixture, ClipsContentToTheMaskShape)
{
    const auto mask = rect(10, 10, 20, 20, {0, 255, 0, 255});
    const auto content = rect(0, 0, 40, 40);
    const auto after = rect(30, 30, 40, 40);
    renderer->beginFrame(canvas.setup());
    renderer->beginMask();
    renderer->drawShape(mask, {}, {});
    renderer->endMask();
    renderer->drawShape(content, {}, {});
    renderer->popMask();
    renderer->drawShape(after, {}, {});
    renderer->endFrame();
    EXPECT_TRUE(red(10, 10));
    EXPECT_TRUE(red(19, 19));
    EXPECT_EQ(canvas.at(9, 15), kWhite);
    EXPECT_EQ(canvas.at(20, 15), kWhite);
    EXPECT_EQ(canvas.at(25, 25), kWhite);
    EXPECT_TRUE(red(35, 35));  // after popMask nothing is clipped
}

TEST_F(MaskFixture, SeveralMaskShapesUniteAndTheirAlphaDoesNotMatter)
{
    const auto left = rect(0, 0, 10, 10, {0, 0, 0, 10});
    const auto right = rect(30, 0, 40, 10, {0, 0, 0, 10});
    const auto content = rect(0, 0, 40, 40);
    renderer->beginFrame(canvas.setup());
    renderer->beginMask();
    renderer->drawShape(left, {}, {});
    renderer->drawShape(right, {}, {0, 0, 0, 0, 0, 0, 0, 0});
    renderer->endMask();
    renderer->drawShape(content, {}, {});
    renderer->popMask();
    renderer->endFrame();
    EXPECT_TRUE(red(5, 5));
    EXPECT_TRUE(red(35, 5));
    EXPECT_EQ(canvas.at(20, 5), kWhite);
    EXPECT_EQ(canvas.at(5, 20), kWhite);
}

TEST_F(MaskFixture, NestedMasksClipByTheirIntersection)
{
    const auto outer = rect(0, 0, 25, 25);
    const auto inner = rect(15, 15, 40, 40);
    const auto content = rect(0, 0, 40, 40);
    renderer->beginFrame(canvas.setup());
    renderer->beginMask();
    renderer->drawShape(outer, {}, {});
    renderer->endMask();
    renderer->beginMask();
    renderer->drawShape(inner, {}, {});
    renderer->endMask();
    renderer->drawShape(content, {}, {});
    renderer->popMask();
    renderer->popMask();
    renderer->endFrame();
    EXPECT_TRUE(red(15, 15));
    EXPECT_TRUE(red(24, 24));
    EXPECT_EQ(canvas.at(10, 10), kWhite);
    EXPECT_EQ(canvas.at(30, 30), kWhite);
    EXPECT_EQ(canvas.at(20, 30), kWhite);
}

TEST_F(MaskFixture, BitmapMasksByItsRectangle)
{
    const std::vector<quint32> clear(4, 0u);
    const auto bitmap = renderer->registerBitmap({reinterpret_cast<const uint8_t*>(clear.data()), 2, 2, 8});
    const auto content = rect(0, 0, 40, 40);
    renderer->beginFrame(canvas.setup());
    renderer->beginMask();
    renderer->drawBitmap(bitmap, render::Matrix::scale(5, 5), {}, false);
    renderer->endMask();
    renderer->drawShape(content, {}, {});
    renderer->popMask();
    renderer->endFrame();
    EXPECT_TRUE(red(0, 0));
    EXPECT_TRUE(red(9, 9));
    EXPECT_EQ(canvas.at(10, 10), kWhite);
}

TEST_F(MaskFixture, AnEmptyMaskHidesEverything)
{
    const auto content = rect(0, 0, 40, 40);
    renderer->beginFrame(canvas.setup());
    renderer->beginMask();
    renderer->endMask();
    renderer->drawShape(content, {}, {});
    renderer->popMask();
    renderer->endFrame();
    EXPECT_EQ(canvas.at(20, 20), kWhite);
}

}  // namespace
