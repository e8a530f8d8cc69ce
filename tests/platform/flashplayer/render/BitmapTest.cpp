// Bitmaps: drawn as characters, as repeating and clipped fills (nearest pixel and
// smoothed), and video frames stretched over their rectangle.
#include "RenderFixture.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

constexpr QRgb kRed = 0xffff0000u, kGreen = 0xff00ff00u, kBlue = 0xff0000ffu, kYellow = 0xffffff00u;
constexpr QRgb kWhite = 0xffffffffu;

// A 2 x 2 bitmap: red, green / blue, yellow.
const std::vector<quint32> kQuad{kRed, kGreen, kBlue, kYellow};

render::ImageView quadView()
{
    return {reinterpret_cast<const uint8_t*>(kQuad.data()), 2, 2, 8};
}

swf::FillStyle bitmapFill(std::uint16_t id, double pixelSize, bool repeating, bool smoothed)
{
    swf::FillStyle f;
    f.kind = swf::FillKind::Bitmap;
    f.bitmapId = id;
    // The bitmap matrix maps bitmap pixels into twips: 20 per screen pixel.
    f.matrix.a = f.matrix.d = pixelSize * 20;
    f.repeating = repeating;
    f.smoothed = smoothed;
    return f;
}

struct FillProbe {
    int x, y;
    QRgb expected;
};

struct BitmapFillCase {
    const char* name;
    bool repeating;
    double shapeSize;  // pixels, the square 0..shapeSize
    std::vector<FillProbe> probes;
};

class BitmapFill : public ::testing::TestWithParam<BitmapFillCase> {};

TEST_P(BitmapFill, PaintsNearestPixels)
{
    const BitmapFillCase& c = GetParam();
    auto renderer = makeRenderer();
    const auto bitmap = renderer->registerBitmap(quadView());
    const render::BitmapLookup lookup = [&](std::uint16_t id) { return id == 7 ? bitmap : render::kNoId; };
    // Each bitmap pixel covers 4 x 4 screen pixels.
    const auto shape = renderer->registerShape(
        shapeWith({bitmapFill(7, 4, c.repeating, false)}, rectRecords(0, 0, c.shapeSize, c.shapeSize, 0, 1)),
        lookup);
    Canvas canvas(24, 24);
    renderer->beginFrame(canvas.setup());
    renderer->drawShape(shape, {}, {});
    renderer->endFrame();
    for (const FillProbe& p : c.probes)
        EXPECT_EQ(canvas.at(p.x, p.y), p.expected) << "at " << p.x << "," << p.y << std::hex << " got "
                                                   << canvas.at(p.x, p.y);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BitmapFill,
    ::testing::Values(
        BitmapFillCase{"inside", true, 8, {{0, 0, kRed}, {3, 3, kRed}, {4, 0, kGreen}, {0, 4, kBlue}, {7, 7, kYellow},
                                           {8, 8, kWhite}}},
        BitmapFillCase{"repeating", true, 16, {{8, 0, kRed}, {12, 0, kGreen}, {8, 12, kBlue}, {15, 15, kYellow}}},
        // Clipped fills extend the edge pixels beyond the bitmap.
        BitmapFillCase{"clipped", false, 20, {{0, 0, kRed}, {15, 0, kGreen}, {19, 2, kGreen}, {2, 19, kBlue},
                                              {19, 19, kYellow}, {7, 7, kYellow}, {21, 21, kWhite}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapFillSmoothing, BlendsNeighboursOnlyWhenSmoothed)
{
    auto draw = [](bool smoothed, render::Quality quality) {
        auto renderer = makeRenderer();
        const auto bitmap = renderer->registerBitmap(quadView());
        const auto shape = renderer->registerShape(
            shapeWith({bitmapFill(1, 8, false, smoothed)}, rectRecords(0, 0, 16, 16, 0, 1)),
            [&](std::uint16_t) { return bitmap; });
        Canvas canvas(16, 16);
        render::FrameSetup setup = canvas.setup();
        setup.quality = quality;
        renderer->beginFrame(setup);
        renderer->drawShape(shape, {}, {});
        renderer->endFrame();
        return canvas.at(8, 4);  // on the border of red and green
    };
    const QRgb sharp = draw(false, render::Quality::High);
    EXPECT_TRUE(sharp == kRed || sharp == kGreen) << std::hex << sharp;
    const QRgb smooth = draw(true, render::Quality::High);
    EXPECT_GT(qRed(smooth), 60);
    EXPECT_GT(qGreen(smooth), 60);
    // Low quality never smooths.
    const QRgb low = draw(true, render::Quality::Low);
    EXPECT_TRUE(low == kRed || low == kGreen) << std::hex << low;
}

TEST(BitmapCharacter, CoversTwentyTwipsPerPixel)
{
    auto renderer = makeRenderer();
    const auto bitmap = renderer->registerBitmap(quadView());
    Canvas canvas(30, 30);
    renderer->beginFrame(canvas.setup());
    // Scaled by 5 and moved by 10 pixels: 10..20.
    renderer->drawBitmap(bitmap, {5, 0, 0, 5, tw(10), tw(10)}, {}, false);
    renderer->endFrame();
    EXPECT_EQ(canvas.at(10, 10), kRed);
    EXPECT_EQ(canvas.at(14, 14), kRed);
    EXPECT_EQ(canvas.at(15, 10), kGreen);
    EXPECT_EQ(canvas.at(10, 15), kBlue);
    EXPECT_EQ(canvas.at(19, 19), kYellow);
    EXPECT_EQ(canvas.at(20, 20), kWhite);
    EXPECT_EQ(canvas.at(9, 9), kWhite);
}

TEST(BitmapCharacter, MissingOrBadBitmapsDrawNothing)
{
    auto renderer = makeRenderer();
    EXPECT_EQ(renderer->registerBitmap({nullptr, 2, 2, 8}), render::kNoId);
    EXPECT_EQ(renderer->registerBitmap({reinterpret_cast<const uint8_t*>(kQuad.data()), 2, 2, 4}), render::kNoId);
    EXPECT_EQ(renderer->registerBitmap({reinterpret_cast<const uint8_t*>(kQuad.data()), 0, 2, 8}), render::kNoId);
    // A fill whose bitmap is not there paints nothing.
    const auto shape = renderer->registerShape(
        shapeWith({bitmapFill(3, 4, true, false)}, rectRecords(0, 0, 10, 10, 0, 1)),
        [](std::uint16_t) { return render::kNoId; });
    Canvas canvas(10, 10);
    renderer->beginFrame(canvas.setup());
    renderer->drawShape(shape, {}, {});
    renderer->drawBitmap(12345, {}, {}, false);
    renderer->endFrame();
    EXPECT_EQ(canvas.at(5, 5), kWhite);
}

TEST(VideoFrame, StretchesOverTheVideoRectangle)
{
    auto renderer = makeRenderer();
    Canvas canvas(40, 40);
    renderer->beginFrame(canvas.setup());
    // A 2 x 2 frame over a 40 x 20 pixel video rectangle at (0, 10).
    renderer->drawVideoFrame(quadView(), px(40), px(20), render::Matrix::translate(0, px(10)), {}, false);
    renderer->endFrame();
    EXPECT_EQ(canvas.at(0, 10), kRed);
    EXPECT_EQ(canvas.at(19, 19), kRed);
    EXPECT_EQ(canvas.at(20, 10), kGreen);
    EXPECT_EQ(canvas.at(0, 20), kBlue);
    EXPECT_EQ(canvas.at(39, 29), kYellow);
    EXPECT_EQ(canvas.at(20, 30), kWhite);
    EXPECT_EQ(canvas.at(20, 9), kWhite);
}

}  // namespace

namespace {

TEST(BitmapFillColour, FollowsTheColourTransformOfEachDraw)
{
    auto renderer = makeRenderer();
    const auto bitmap = renderer->registerBitmap(quadView());
    const auto shape = renderer->registerShape(
        shapeWith({bitmapFill(1, 4, true, false)}, rectRecords(0, 0, 8, 8, 0, 1)), [&](std::uint16_t) { return bitmap; });
    Canvas canvas(8, 8);
    const render::ColorTransform noRed{0, 1, 1, 1, 0, 0, 0, 0};
    const render::ColorTransform blueAdded{1, 1, 1, 1, 0, 0, 255, 0};
    const std::pair<render::ColorTransform, QRgb> draws[] = {
        {noRed, 0xff000000u}, {noRed, 0xff000000u}, {blueAdded, 0xffff00ffu}, {{}, kRed}};
    for (const auto& [cx, expected] : draws) {
        renderer->beginFrame(canvas.setup());
        renderer->drawShape(shape, {}, cx);
        renderer->endFrame();
        EXPECT_EQ(canvas.at(1, 1), expected) << std::hex << canvas.at(1, 1);
    }
}

}  // namespace
