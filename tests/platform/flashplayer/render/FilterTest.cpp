// The filter pixel algorithms on tiny premultiplied images: the blur's box, the
// colour matrix, convolution edges, shadow offsets and knockout, bevel sides, and
// hostile sizes.
#include "render/Filters.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using render::applyFilter;
using render::filterReach;
using swf::Filter;
using swf::FilterKind;

const render::Matrix kOneToOne = render::Matrix::scale(1 / 20.0, 1 / 20.0);

QImage transparent(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    return image;
}

int alphaAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

Filter blur(double size, int passes)
{
    Filter f;
    f.kind = FilterKind::Blur;
    f.blurX = f.blurY = size;
    f.passes = std::uint8_t(passes);
    return f;
}

struct BlurCase {
    double size;
    int passes;
    double stageScale;   // surface pixels per stage pixel
    int reach;           // pixels spread on each side
};

class BoxBlurSpread : public ::testing::TestWithParam<BlurCase> {};

TEST_P(BoxBlurSpread, OnePixelSpreadsAsABoxKeepingItsSum)
{
    const BlurCase c = GetParam();
    const render::Matrix stage = render::Matrix::scale(c.stageScale / 20, c.stageScale / 20);
    const Filter f = blur(c.size, c.passes);
    EXPECT_EQ(filterReach(f, stage).left, c.reach);
    EXPECT_EQ(filterReach(f, stage).bottom, c.reach);
    const int side = 2 * c.reach + 5, mid = side / 2;
    QImage image = transparent(side, side);
    image.setPixel(mid, mid, 0xffffffff);
    applyFilter(image, f, stage);
    long sum = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int a = alphaAt(image, x, y);
            sum += a;
            if (std::abs(x - mid) > c.reach || std::abs(y - mid) > c.reach) {
                EXPECT_EQ(a, 0) << x << "," << y;
            }
        }
    EXPECT_GT(alphaAt(image, mid - c.reach, mid - c.reach), 0);
    EXPECT_NEAR(sum, 255, 255 * 0.1);
    EXPECT_EQ(image.pixel(mid, mid) & 0xffffff, std::uint32_t(alphaAt(image, mid, mid)) * 0x010101u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BoxBlurSpread,
                         ::testing::Values(BlurCase{3, 1, 1, 1}, BlurCase{5, 1, 1, 2}, BlurCase{3, 2, 1, 2},
                                           BlurCase{4, 1, 1, 2}, BlurCase{3, 1, 2, 3}));

TEST(BoxBlur, ThreeWideBoxSharesThePixelEvenly)
{
    QImage image = transparent(5, 5);
    image.setPixel(2, 2, 0xffffffff);
    applyFilter(image, blur(3, 1), kOneToOne);
    EXPECT_NEAR(alphaAt(image, 1, 1), 255 / 9.0, 1);
    EXPECT_NEAR(alphaAt(image, 2, 3), 255 / 9.0, 1);
    EXPECT_EQ(alphaAt(image, 0, 2), 0);
}

Filter colorMatrix(std::array<float, 20> m)
{
    Filter f;
    f.kind = FilterKind::ColorMatrix;
    f.colorMatrix = m;
    return f;
}

TEST(ColorMatrix, IdentityKeepsAndAKnownMatrixMaps)
{
    QImage image = transparent(2, 1);
    image.setPixel(0, 0, qPremultiply(qRgba(200, 100, 50, 255)));
    image.setPixel(1, 0, qPremultiply(qRgba(200, 100, 50, 128)));
    QImage same = image.copy();
    applyFilter(same, colorMatrix({1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0}), kOneToOne);
    EXPECT_EQ(same.pixel(0, 0), image.pixel(0, 0));
    EXPECT_EQ(same.pixel(1, 0), image.pixel(1, 0));
    // Red and blue swapped, green halved plus 10, alpha unchanged.
    applyFilter(image, colorMatrix({0, 0, 1, 0, 0, 0, 0.5f, 0, 0, 10, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}), kOneToOne);
    EXPECT_EQ(image.pixel(0, 0), qRgba(50, 60, 200, 255));
    const QRgb half = qUnpremultiply(image.pixel(1, 0));
    EXPECT_NEAR(qRed(half), 50, 2);
    EXPECT_NEAR(qGreen(half), 60, 2);
    EXPECT_NEAR(qBlue(half), 200, 2);
    EXPECT_EQ(qAlpha(half), 128);
}

struct ConvolutionCase {
    bool clamp;
    swf::Rgba outside;
    bool preserveAlpha;
    QRgb last;   // the last pixel, which reads beyond the edge
};

class Convolution : public ::testing::TestWithParam<ConvolutionCase> {};

TEST_P(Convolution, TakesTheRightNeighbourAndTreatsTheEdgeAsAsked)
{
    const ConvolutionCase c = GetParam();
    QImage image = transparent(3, 1);
    image.setPixel(0, 0, 0xff0000ff);
    image.setPixel(1, 0, 0xff00ff00);
    image.setPixel(2, 0, 0xffffffff);
    Filter f;
    f.kind = FilterKind::Convolution;
    f.matrixX = 3;
    f.matrixY = 1;
    f.matrix = {0, 0, 2};
    f.divisor = 2;
    f.clamp = c.clamp;
    f.defaultColor = c.outside;
    f.preserveAlpha = c.preserveAlpha;
    applyFilter(image, f, kOneToOne);
    EXPECT_EQ(image.pixel(0, 0), 0xff00ff00u);
    EXPECT_EQ(image.pixel(1, 0), 0xffffffffu);
    EXPECT_EQ(image.pixel(2, 0), c.last);
}

INSTANTIATE_TEST_SUITE_P(Edges, Convolution,
                         ::testing::Values(ConvolutionCase{true, {}, false, 0xffffffff},
                                           ConvolutionCase{false, {255, 0, 0, 255}, false, 0xffff0000},
                                           ConvolutionCase{false, {0, 0, 0, 0}, false, 0x00000000},
                                           ConvolutionCase{false, {0, 0, 0, 0}, true, 0xff000000}));

Filter shadow(double angle, double distance)
{
    Filter f;
    f.kind = FilterKind::DropShadow;
    f.colors = {swf::Rgba{0, 0, 255, 255}};
    f.angle = angle;
    f.distance = distance;
    return f;
}

// A 2x2 opaque red block at (6, 6) of a 16x16 image.
QImage block()
{
    QImage image = transparent(16, 16);
    for (int y = 6; y < 8; ++y)
        for (int x = 6; x < 8; ++x)
            image.setPixel(x, y, 0xffff0000);
    return image;
}

struct OffsetCase {
    double angle;
    int x, y;   // where the shadow of (6, 6) lands
};

class ShadowOffset : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(ShadowOffset, LandsAlongTheAngle)
{
    const OffsetCase c = GetParam();
    QImage image = block();
    applyFilter(image, shadow(c.angle, 4), kOneToOne);
    EXPECT_EQ(image.pixel(c.x, c.y), 0xff0000ffu);
    EXPECT_EQ(image.pixel(6, 6), 0xffff0000u);   // the object stays on top
    EXPECT_EQ(alphaAt(image, 12 - c.x, 12 - c.y), 0);
}

INSTANTIATE_TEST_SUITE_P(Angles, ShadowOffset,
                         ::testing::Values(OffsetCase{0, 10, 6}, OffsetCase{std::numbers::pi / 2, 6, 10},
                                           OffsetCase{std::numbers::pi, 2, 6},
                                           OffsetCase{-std::numbers::pi / 2, 6, 2}));

TEST(Shadow, KnockoutCutsTheObjectAndHideObjectDropsIt)
{
    Filter f = shadow(0, 1);   // covers (7..8, 6..7): overlaps the block's right column
    f.knockout = true;
    QImage knocked = block();
    applyFilter(knocked, f, kOneToOne);
    EXPECT_EQ(alphaAt(knocked, 6, 6), 0);
    EXPECT_EQ(alphaAt(knocked, 7, 6), 0);
    EXPECT_EQ(knocked.pixel(8, 6), 0xff0000ffu);

    f.knockout = false;
    f.compositeSource = false;
    QImage hidden = block();
    applyFilter(hidden, f, kOneToOne);
    EXPECT_EQ(alphaAt(hidden, 6, 6), 0);
    EXPECT_EQ(hidden.pixel(7, 6), 0xff0000ffu);
}

TEST(GradientGlow, MapsTheGlowAmountThroughTheGradient)
{
    QImage image = transparent(9, 9);
    for (int y = 3; y < 6; ++y)
        for (int x = 3; x < 6; ++x)
            image.setPixel(x, y, 0xff00ff00);
    Filter f;
    f.kind = FilterKind::GradientGlow;
    f.colors = {swf::Rgba{0, 0, 255, 0}, swf::Rgba{255, 0, 0, 255}};
    f.ratios = {0, 255};
    f.blurX = f.blurY = 3;
    applyFilter(image, f, kOneToOne);
    // A third of the box covers the object beside its edge, a ninth at the corner.
    const QRgb side = qUnpremultiply(image.pixel(2, 4)), corner = qUnpremultiply(image.pixel(2, 2));
    EXPECT_NEAR(qAlpha(side), 85, 2);
    EXPECT_NEAR(qRed(side), 85, 3);
    EXPECT_NEAR(qBlue(side), 170, 3);
    EXPECT_NEAR(qAlpha(corner), 28, 2);
    EXPECT_EQ(image.pixel(4, 4), 0xff00ff00u);
    EXPECT_EQ(alphaAt(image, 1, 4), 0);
}

TEST(Bevel, FirstColourFacesTheLightSecondTheAngle)
{
    QImage image = transparent(16, 16);
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            image.setPixel(x, y, 0xff808080);
    Filter f;
    f.kind = FilterKind::Bevel;
    f.colors = {swf::Rgba{255, 0, 0, 255}, swf::Rgba{0, 0, 255, 255}};
    f.angle = std::numbers::pi / 4;
    f.distance = 1;
    f.inner = true;
    applyFilter(image, f, kOneToOne);
    EXPECT_EQ(image.pixel(4, 4), 0xffff0000u);
    EXPECT_EQ(image.pixel(11, 11), 0xff0000ffu);
    EXPECT_EQ(image.pixel(8, 8), 0xff808080u);   // the middle is left alone
    EXPECT_EQ(alphaAt(image, 3, 3), 0);           // inner: nothing outside
}

TEST(HostileFilters, SizesAreClampedAndWorkBounded)
{
    Filter huge = shadow(1, 1e9);
    huge.blurX = huge.blurY = 1e9;
    huge.passes = 31;
    const render::Matrix zoomed = render::Matrix::scale(50, 50);   // 1000 surface pixels per stage pixel
    const render::FilterReach reach = filterReach(huge, zoomed);
    for (int side : {reach.left, reach.top, reach.right, reach.bottom}) {
        EXPECT_GE(side, 0);
        EXPECT_LE(side, 16384);
    }
    QImage image = block();
    applyFilter(image, huge, zoomed);   // finishes and stays in the image

    Filter convolution;
    convolution.kind = FilterKind::Convolution;
    convolution.matrixX = convolution.matrixY = 255;
    convolution.matrix.assign(255 * 255, 1.0f);
    QImage large = transparent(128, 128);
    large.fill(0xff102030);
    const QImage before = large.copy();
    applyFilter(large, convolution, kOneToOne);   // beyond the cost budget: refused
    EXPECT_EQ(large, before);

    Filter short_ = convolution;   // fewer values than the size says
    short_.matrixX = short_.matrixY = 3;
    short_.matrix.resize(4);
    applyFilter(large, short_, kOneToOne);
    EXPECT_EQ(large, before);
}

}  // namespace
