// Blend modes on flat colours against their formulas, and the layer-bound modes alpha
// and erase.
#include "RenderFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace rendertest;
using render::BlendMode;

namespace {

using Formula = std::function<int(int s, int d)>;

int multiply(int s, int d) { return s * d / 255; }
int screen(int s, int d) { return s + d - s * d / 255; }
int hardLight(int s, int d) { return s < 128 ? 2 * s * d / 255 : 255 - 2 * (255 - s) * (255 - d) / 255; }

struct BlendCase {
    const char* name;
    BlendMode mode;
    Formula formula;
};

std::vector<BlendCase> cases()
{
    return {
        {"normal", BlendMode::Normal, [](int s, int) { return s; }},
        {"layer", BlendMode::Layer, [](int s, int) { return s; }},
        {"multiply", BlendMode::Multiply, multiply},
        {"screen", BlendMode::Screen, screen},
        {"lighten", BlendMode::Lighten, [](int s, int d) { return std::max(s, d); }},
        {"darken", BlendMode::Darken, [](int s, int d) { return std::min(s, d); }},
        {"difference", BlendMode::Difference, [](int s, int d) { return std::abs(s - d); }},
        {"add", BlendMode::Add, [](int s, int d) { return std::min(255, s + d); }},
        {"subtract", BlendMode::Subtract, [](int s, int d) { return std::max(0, d - s); }},
        {"invert", BlendMode::Invert, [](int, int d) { return 255 - d; }},
        {"overlay", BlendMode::Overlay, [](int s, int d) { return hardLight(d, s); }},
        {"hardlight", BlendMode::HardLight, hardLight},
    };
}

class BlendFormula : public ::testing::TestWithParam<BlendCase> {};

TEST_P(BlendFormula, MatchesOnFlatColours)
{
    const BlendCase& c = GetParam();
    const swf::Rgba below{200, 100, 30, 255};
    const swf::Rgba above{90, 180, 240, 255};
    auto renderer = makeRenderer();
    const auto back = renderer->registerShape(shapeWith({swf::FillStyle::solid(below)}, rectRecords(0, 0, 20, 20, 0, 1)), {});
    const auto front = renderer->registerShape(shapeWith({swf::FillStyle::solid(above)}, rectRecords(5, 5, 15, 15, 0, 1)), {});
    Canvas canvas(20, 20);
    renderer->beginFrame(canvas.setup());
    renderer->drawShape(back, {}, {});
    renderer->beginLayer(c.mode);
    renderer->drawShape(front, {}, {});
    renderer->endLayer();
    renderer->endFrame();
    const QRgb got = canvas.at(10, 10);
    EXPECT_NEAR(qRed(got), c.formula(above.r, below.r), 2) << std::hex << got;
    EXPECT_NEAR(qGreen(got), c.formula(above.g, below.g), 2) << std::hex << got;
    EXPECT_NEAR(qBlue(got), c.formula(above.b, below.b), 2) << std::hex << got;
    EXPECT_EQ(qAlpha(got), 255);
    // Outside the layer's object nothing changes.
    EXPECT_EQ(canvas.at(2, 2), 0xffc8641eu);
}

INSTANTIATE_TEST_SUITE_P(Cases, BlendFormula, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Inside a Layer parent: a red square, and over it a child with mode alpha or erase.
QRgb layerWithChild(BlendMode childMode, std::uint8_t childAlpha)
{
    auto renderer = makeRenderer();
    const auto parent = renderer->registerShape(shapeWith({solid(255, 0, 0)}, rectRecords(0, 0, 20, 20, 0, 1)), {});
    const auto child = renderer->registerShape(shapeWith({solid(0, 0, 255, childAlpha)}, rectRecords(5, 5, 15, 15, 0, 1)), {});
    Canvas canvas(20, 20);
    renderer->beginFrame(canvas.setup());
    renderer->beginLayer(BlendMode::Layer);
    renderer->drawShape(parent, {}, {});
    renderer->beginLayer(childMode);
    renderer->drawShape(child, {}, {});
    renderer->endLayer();
    renderer->endLayer();
    renderer->endFrame();
    EXPECT_EQ(canvas.at(2, 2), 0xffff0000u);  // the parent outside the child keeps its pixels
    return canvas.at(10, 10);
}

TEST(BlendLayerModes, AlphaKeepsTheParentByTheChildsAlpha)
{
    // The parent at half alpha over the white stage; the child's colour is not drawn.
    const QRgb half = layerWithChild(BlendMode::Alpha, 128);
    EXPECT_NEAR(qRed(half), 255, 1);
    EXPECT_NEAR(qGreen(half), 127, 2);
    EXPECT_NEAR(qBlue(half), 127, 2);
    EXPECT_EQ(layerWithChild(BlendMode::Alpha, 255), 0xffff0000u);
}

TEST(BlendLayerModes, EraseCutsTheParentByTheChildsAlpha)
{
    EXPECT_EQ(layerWithChild(BlendMode::Erase, 255), 0xffffffffu);
    const QRgb half = layerWithChild(BlendMode::Erase, 128);
    EXPECT_NEAR(qGreen(half), 128, 2);
    EXPECT_NEAR(qRed(half), 255, 1);
}

TEST(BlendLayerModes, OutsideABlendGroupAlphaAndEraseChangeNothing)
{
    for (BlendMode mode : {BlendMode::Alpha, BlendMode::Erase}) {
        auto renderer = makeRenderer();
        const auto back = renderer->registerShape(shapeWith({solid(255, 0, 0)}, rectRecords(0, 0, 20, 20, 0, 1)), {});
        const auto child = renderer->registerShape(shapeWith({solid(0, 0, 255, 100)}, rectRecords(5, 5, 15, 15, 0, 1)), {});
        Canvas canvas(20, 20);
        renderer->beginFrame(canvas.setup());
        renderer->drawShape(back, {}, {});
        renderer->beginLayer(mode);
        renderer->drawShape(child, {}, {});
        renderer->endLayer();
        renderer->endFrame();
        EXPECT_EQ(canvas.at(10, 10), 0xffff0000u) << int(mode);
    }
}

TEST(BlendModes, FileBytesMapToModes)
{
    EXPECT_EQ(render::blendModeFromByte(0), BlendMode::Normal);
    EXPECT_EQ(render::blendModeFromByte(1), BlendMode::Normal);
    EXPECT_EQ(render::blendModeFromByte(3), BlendMode::Multiply);
    EXPECT_EQ(render::blendModeFromByte(14), BlendMode::HardLight);
    EXPECT_EQ(render::blendModeFromByte(200), BlendMode::Normal);
}

TEST(BlendModes, NestedLayersCompose)
{
    // Multiply inside screen: each layer composes onto what lies below it.
    auto renderer = makeRenderer();
    const auto grey = renderer->registerShape(shapeWith({solid(128, 128, 128)}, rectRecords(0, 0, 20, 20, 0, 1)), {});
    Canvas canvas(20, 20);
    renderer->beginFrame(canvas.setup(true, {100, 100, 100, 255}));
    renderer->beginLayer(BlendMode::Screen);
    renderer->drawShape(grey, {}, {});
    renderer->beginLayer(BlendMode::Multiply);
    renderer->drawShape(grey, {}, {});
    renderer->endLayer();
    renderer->endLayer();
    renderer->endFrame();
    // Inside the screen layer: 128 * 128 / 255 = 64 over transparent... the multiply
    // layer meets the grey of its parent layer, giving 64; then screen with 100.
    const int inner = 128 * 128 / 255;
    EXPECT_NEAR(qRed(canvas.at(10, 10)), screen(inner, 100), 3);
}

}  // namespace
