// Morph shapes: edges, colours and gradients interpolated by ratio.
#include "RenderFixture.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

// From a red 10 x 10 square at (0, 0) to a blue 20 x 20 square at (20, 20).
swf::MorphShape squareMorph()
{
    swf::MorphShape m;
    m.fills.push_back({solid(255, 0, 0), solid(0, 0, 255)});
    m.startRecords = rectRecords(0, 0, 10, 10, 0, 1);
    m.endRecords = rectRecords(20, 20, 40, 40, 0, 0);
    // End records carry only moves.
    auto& move = std::get<swf::StyleChange>(m.endRecords.front());
    move.fill0.reset();
    move.fill1.reset();
    move.line.reset();
    return m;
}

struct MorphProbe {
    std::uint16_t ratio;
    int x, y;
    QRgb expected;
};

class MorphRatio : public ::testing::TestWithParam<MorphProbe> {};

TEST_P(MorphRatio, InterpolatesEdgesAndColours)
{
    const MorphProbe& c = GetParam();
    auto renderer = makeRenderer();
    const auto id = renderer->registerMorph(squareMorph(), {});
    Canvas canvas(50, 50);
    renderer->beginFrame(canvas.setup());
    renderer->drawMorph(id, c.ratio, {}, {});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(c.x, c.y), c.expected) << "ratio " << c.ratio << " at " << c.x << "," << c.y;
}

INSTANTIATE_TEST_SUITE_P(Cases, MorphRatio,
                         ::testing::Values(MorphProbe{0, 0, 0, 0xffff0000u}, MorphProbe{0, 9, 9, 0xffff0000u},
                                           MorphProbe{0, 10, 10, 0xffffffffu},
                                           MorphProbe{65535, 20, 20, 0xff0000ffu},
                                           MorphProbe{65535, 39, 39, 0xff0000ffu},
                                           MorphProbe{65535, 19, 19, 0xffffffffu},
                                           // Half way: the square spans 10..25, purple.
                                           MorphProbe{32768, 10, 10, 0xff7f0080u},
                                           MorphProbe{32768, 24, 24, 0xff7f0080u},
                                           MorphProbe{32768, 9, 9, 0xffffffffu},
                                           MorphProbe{32768, 25, 25, 0xffffffffu}));

TEST(MorphCache, DrawsManyRatiosAndComesBackToTheFirst)
{
    auto renderer = makeRenderer();
    const auto id = renderer->registerMorph(squareMorph(), {});
    Canvas canvas(50, 50);
    for (int ratio = 0; ratio <= 65535; ratio += 512) {
        renderer->beginFrame(canvas.setup());
        renderer->drawMorph(id, std::uint16_t(ratio), {}, {});
        renderer->endFrame();
    }
    renderer->beginFrame(canvas.setup());
    renderer->drawMorph(id, 0, {}, {});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(5, 5), 0xffff0000u);
    EXPECT_EQ(canvas.at(30, 30), 0xffffffffu);
    EXPECT_TRUE(renderer->hitTestMorph(id, 0, px(5), px(5)));
    EXPECT_FALSE(renderer->hitTestMorph(id, 65535, px(5), px(5)));
}

TEST(MorphGradient, InterpolatesStopColours)
{
    swf::FillStyle start, end;
    start.kind = end.kind = swf::FillKind::LinearGradient;
    start.gradient.records = {{0, {255, 0, 0, 255}}, {255, {255, 0, 0, 255}}};
    end.gradient.records = {{0, {0, 0, 255, 255}}, {255, {0, 0, 255, 255}}};
    swf::MorphShape m = squareMorph();
    m.fills = {{start, end}};
    auto renderer = makeRenderer();
    const auto id = renderer->registerMorph(m, {});
    Canvas canvas(50, 50);
    renderer->beginFrame(canvas.setup());
    renderer->drawMorph(id, 32768, {}, {});
    renderer->endFrame();
    EXPECT_EQ(canvas.at(15, 15), 0xff7f0080u);
}

TEST(MorphHostile, MismatchedEdgeCountsDrawWithoutHarm)
{
    swf::MorphShape m = squareMorph();
    m.endRecords.resize(2);  // one end edge for four start edges
    auto renderer = makeRenderer();
    const auto id = renderer->registerMorph(m, {});
    Canvas canvas(50, 50);
    renderer->beginFrame(canvas.setup());
    renderer->drawMorph(id, 40000, {}, {});
    renderer->drawMorph(id + 7, 40000, {}, {});
    renderer->endFrame();
    SUCCEED();
}

}  // namespace
