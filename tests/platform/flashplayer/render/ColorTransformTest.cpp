// Colour transforms: the arithmetic on solid colours, gradient stops and bitmap pixels,
// and the combination of nested transforms.
#include "RenderFixture.h"

#include "render/SwfConvert.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

struct CxCase {
    const char* name;
    swf::Rgba colour;
    swf::ColorTransform cx;
};

// The file's rule written out: (value * mul) >> 8, plus add, clamped.
std::uint8_t expectedChannel(int v, int mul, int add)
{
    return std::uint8_t(std::clamp(((v * mul) >> 8) + add, 0, 255));
}

QRgb expectedPixel(const CxCase& c)
{
    const int r = expectedChannel(c.colour.r, c.cx.rMul, c.cx.rAdd);
    const int g = expectedChannel(c.colour.g, c.cx.gMul, c.cx.gAdd);
    const int b = expectedChannel(c.colour.b, c.cx.bMul, c.cx.bAdd);
    const int a = expectedChannel(c.colour.a, c.cx.aMul, c.cx.aAdd);
    return qPremultiply(qRgba(r, g, b, a));
}

swf::ColorTransform cxOf(std::int16_t rm, std::int16_t gm, std::int16_t bm, std::int16_t am, std::int16_t ra,
                         std::int16_t ga, std::int16_t ba, std::int16_t aa)
{
    return {rm, gm, bm, am, ra, ga, ba, aa};
}

std::vector<CxCase> cases()
{
    return {
        {"identity", {10, 20, 30, 255}, {}},
        {"half_red", {200, 100, 50, 255}, cxOf(128, 256, 256, 256, 0, 0, 0, 0)},
        {"add_clamps_high", {200, 100, 50, 255}, cxOf(256, 256, 256, 256, 100, 200, 255, 0)},
        {"negative_add_clamps_low", {200, 100, 50, 255}, cxOf(256, 256, 256, 256, -250, -50, -10, 0)},
        {"negative_multiplier", {200, 100, 50, 255}, cxOf(-256, 256, 256, 256, 255, 0, 0, 0)},
        {"brightness_up", {60, 90, 120, 255}, cxOf(154, 154, 154, 256, 101, 101, 101, 0)},
        {"tint", {60, 90, 120, 255}, cxOf(64, 64, 64, 256, 191, 0, 0, 0)},
        {"alpha_half", {255, 0, 0, 255}, cxOf(256, 256, 256, 128, 0, 0, 0, 0)},
        {"alpha_add", {0, 0, 255, 51}, cxOf(256, 256, 256, 256, 0, 0, 0, 102)},
        {"multiplier_above_one", {100, 100, 100, 255}, cxOf(512, 384, 1024, 256, 0, 0, 0, 0)},
    };
}

class ColorTransformArithmetic : public ::testing::TestWithParam<CxCase> {};

// Drawn on a transparent surface, so the pixel is the transformed colour itself.
TEST_P(ColorTransformArithmetic, AppliesToSolidFills)
{
    const CxCase& c = GetParam();
    auto renderer = makeRenderer();
    Canvas canvas(20, 20, 0);
    const auto id = renderer->registerShape(
        shapeWith({swf::FillStyle::solid(c.colour)}, rectRecords(0, 0, 20, 20, 0, 1)), {});
    renderer->beginFrame(canvas.setup(false));
    renderer->drawShape(id, {}, render::toColorTransform(c.cx));
    renderer->endFrame();
    const QRgb got = canvas.at(10, 10), want = expectedPixel(c);
    for (int shift : {0, 8, 16, 24})
        EXPECT_NEAR(int((got >> shift) & 0xff), int((want >> shift) & 0xff), 1)
            << std::hex << got << " vs " << want;
}

TEST_P(ColorTransformArithmetic, AppliesToGradientStops)
{
    const CxCase& c = GetParam();
    swf::FillStyle f;
    f.kind = swf::FillKind::LinearGradient;
    f.gradient.records = {{0, c.colour}, {255, c.colour}};
    auto renderer = makeRenderer();
    Canvas canvas(20, 20, 0);
    const auto id = renderer->registerShape(shapeWith({f}, rectRecords(0, 0, 20, 20, 0, 1)), {});
    renderer->beginFrame(canvas.setup(false));
    renderer->drawShape(id, {}, render::toColorTransform(c.cx));
    renderer->endFrame();
    const QRgb got = canvas.at(10, 10), want = expectedPixel(c);
    for (int shift : {0, 8, 16, 24})
        EXPECT_NEAR(int((got >> shift) & 0xff), int((want >> shift) & 0xff), 2)
            << std::hex << got << " vs " << want;
}

TEST_P(ColorTransformArithmetic, AppliesToBitmapPixels)
{
    const CxCase& c = GetParam();
    const quint32 pixel = qPremultiply(qRgba(c.colour.r, c.colour.g, c.colour.b, c.colour.a));
    std::vector<quint32> pixels(4, pixel);
    auto renderer = makeRenderer();
    const auto bitmap = renderer->registerBitmap({reinterpret_cast<const uint8_t*>(pixels.data()), 2, 2, 8});
    Canvas canvas(20, 20, 0);
    renderer->beginFrame(canvas.setup(false));
    renderer->drawBitmap(bitmap, render::Matrix::scale(10, 10), render::toColorTransform(c.cx), false);
    renderer->endFrame();
    const QRgb got = canvas.at(10, 10), want = expectedPixel(c);
    // Premultiplied storage of the source costs a little precision at low alpha.
    for (int shift : {0, 8, 16, 24})
        EXPECT_NEAR(int((got >> shift) & 0xff), int((want >> shift) & 0xff), 3)
            << std::hex << got << " vs " << want;
}

INSTANTIATE_TEST_SUITE_P(Cases, ColorTransformArithmetic, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ColorTransformConcat, InnerFirstThenOuter)
{
    const render::ColorTransform inner{0.5f, 1, 1, 1, 10, 0, 0, 0};
    const render::ColorTransform outer{1, 1, 1, 1, 20, 0, 0, 0};
    const render::ColorTransform both = outer * inner;
    const render::Rgba c{100, 0, 0, 255};
    EXPECT_EQ(both.apply(c), outer.apply(inner.apply(c)));
    EXPECT_EQ(both.apply(c).r, 80);
}

TEST(MatrixConcat, InnerFirstThenOuter)
{
    const render::Matrix inner = render::Matrix::translate(10, 0);
    const render::Matrix outer = render::Matrix::scale(2, 3);
    const render::Matrix both = outer * inner;
    EXPECT_DOUBLE_EQ(both.mapX(1, 1), 22);
    EXPECT_DOUBLE_EQ(both.mapY(1, 1), 3);
}

}  // namespace
