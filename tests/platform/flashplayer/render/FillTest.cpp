// Gradient fills: the gradient square under its matrix, endpoints, spread modes,
// radial and focal gradients against QPainter references.
#include "RenderFixture.h"

#include "render/Paints.h"

#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPainter>

using namespace rendertest;

namespace {

// A linear gradient whose square (-16384..16384) is mapped onto x 10..90 pixels.
swf::FillStyle linearFill(swf::SpreadMode spread, std::vector<swf::GradientRecord> records,
                          double fromX = 10, double toX = 90)
{
    swf::FillStyle f;
    f.kind = swf::FillKind::LinearGradient;
    const double scale = px(toX - fromX) / 32768.0;
    f.matrix.a = scale;
    f.matrix.d = scale;
    f.matrix.tx = px((fromX + toX) / 2);
    f.matrix.ty = px(10);
    f.gradient.spread = spread;
    f.gradient.records = std::move(records);
    return f;
}

const std::vector<swf::GradientRecord> kRedToBlue{{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};

Canvas drawGradient(const swf::FillStyle& fill, int width = 100)
{
    auto renderer = makeRenderer();
    Canvas canvas(width, 20);
    drawOnce(*renderer, canvas, shapeWith({fill}, rectRecords(0, 0, width, 20, 0, 1)));
    return canvas;
}

TEST(LinearGradient, EndpointsAndPadding)
{
    const Canvas c = drawGradient(linearFill(swf::SpreadMode::Pad, kRedToBlue));
    // Padded beyond both ends.
    EXPECT_EQ(c.at(0, 10), 0xffff0000u);
    EXPECT_EQ(c.at(5, 10), 0xffff0000u);
    EXPECT_EQ(c.at(95, 10), 0xff0000ffu);
    EXPECT_EQ(c.at(99, 10), 0xff0000ffu);
    // Near the ends, almost the end colours; the middle, half of each.
    EXPECT_GE(qRed(c.at(10, 10)), 245);
    EXPECT_GE(qBlue(c.at(89, 10)), 245);
    EXPECT_NEAR(qRed(c.at(50, 10)), 128, 6);
    EXPECT_NEAR(qBlue(c.at(50, 10)), 128, 6);
}

TEST(LinearGradient, MatchesQPainterForEverySpread)
{
    struct Case {
        swf::SpreadMode mode;
        QGradient::Spread qt;
    };
    for (const Case& k : {Case{swf::SpreadMode::Pad, QGradient::PadSpread},
                          Case{swf::SpreadMode::Reflect, QGradient::ReflectSpread},
                          Case{swf::SpreadMode::Repeat, QGradient::RepeatSpread}}) {
        const Canvas c = drawGradient(linearFill(k.mode, kRedToBlue, 30, 50));
        QImage reference(100, 20, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&reference);
        QLinearGradient g(30, 0, 50, 0);
        g.setColorAt(0, Qt::red);
        g.setColorAt(1, Qt::blue);
        g.setSpread(k.qt);
        p.fillRect(reference.rect(), g);
        p.end();
        const Difference d = compare(c.image, reference, 8);
        EXPECT_EQ(d.pixelsOver, 0) << "spread " << int(k.mode) << " largest " << d.largest;
    }
}

TEST(LinearGradient, ReflectAndRepeatDifferBeyondTheSquare)
{
    const Canvas reflect = drawGradient(linearFill(swf::SpreadMode::Reflect, kRedToBlue, 30, 50));
    const Canvas repeat = drawGradient(linearFill(swf::SpreadMode::Repeat, kRedToBlue, 30, 50));
    // Just past the blue end: reflect comes back from blue, repeat starts again at red.
    EXPECT_GE(qBlue(reflect.at(51, 10)), 230);
    EXPECT_GE(qRed(repeat.at(51, 10)), 230);
}

TEST(LinearGradient, LinearRgbInterpolationIsLighterInTheMiddle)
{
    std::vector<swf::GradientRecord> blackToWhite{{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
    swf::FillStyle normal = linearFill(swf::SpreadMode::Pad, blackToWhite);
    swf::FillStyle linear = normal;
    linear.gradient.interpolation = swf::InterpolationMode::LinearRgb;
    const int mid = qRed(drawGradient(normal).at(50, 10));
    const int midLinear = qRed(drawGradient(linear).at(50, 10));
    EXPECT_NEAR(mid, 128, 6);
    // Half the light is sRGB 188.
    EXPECT_NEAR(midLinear, 188, 8);
}

TEST(LinearGradient, AStopThatFadesOutKeepsItsColour)
{
    // Opaque red to fully transparent green: half way the colour is half green at half
    // alpha, so over white the middle is yellowish rather than pink.
    const Canvas c = drawGradient(linearFill(swf::SpreadMode::Pad, {{0, {255, 0, 0, 255}}, {255, {0, 255, 0, 0}}}));
    const QRgb mid = c.at(50, 10);
    EXPECT_NEAR(qRed(mid), 191, 8);
    EXPECT_NEAR(qGreen(mid), 191, 8);
    EXPECT_NEAR(qBlue(mid), 128, 8);
}

TEST(RadialGradient, CentreAndRimAndFocus)
{
    swf::FillStyle f;
    f.kind = swf::FillKind::RadialGradient;
    // Radius 40 px around (50, 50).
    f.matrix.a = f.matrix.d = px(40) / 16384.0;
    f.matrix.tx = f.matrix.ty = px(50);
    f.gradient.records = {{0, {255, 255, 255, 255}}, {255, {0, 0, 0, 255}}};
    auto draw = [](const swf::FillStyle& fill) {
        auto renderer = makeRenderer();
        Canvas canvas(100, 100);
        drawOnce(*renderer, canvas, shapeWith({fill}, rectRecords(0, 0, 100, 100, 0, 1)));
        return canvas;
    };
    const Canvas radial = draw(f);
    EXPECT_GE(qRed(radial.at(50, 50)), 250);
    EXPECT_EQ(radial.at(95, 50), 0xff000000u);
    EXPECT_NEAR(qRed(radial.at(70, 50)), 128, 8);
    // Symmetric around the centre.
    EXPECT_NEAR(qRed(radial.at(29, 50)), qRed(radial.at(70, 50)), 3);

    swf::FillStyle focal = f;
    focal.kind = swf::FillKind::FocalGradient;
    focal.gradient.focalPoint = 0.5;
    const Canvas focused = draw(focal);
    // The bright spot moves towards +x: right of centre is lighter than left of it.
    EXPECT_GT(qRed(focused.at(70, 50)), qRed(focused.at(30, 50)) + 20);
    EXPECT_GE(qRed(focused.at(70, 50)), 240);
}

TEST(GradientStops, FifteenStopsAndSingleStop)
{
    std::vector<swf::GradientRecord> stops;
    for (int i = 0; i < 15; ++i)
        stops.push_back({std::uint8_t(i * 255 / 14), {std::uint8_t(i % 2 ? 255 : 0), 0, 0, 255}});
    const Canvas many = drawGradient(linearFill(swf::SpreadMode::Pad, stops, 0, 140), 140);
    // Stop 1 (red) sits at ratio 18, i.e. x = 140 * 18 / 255 ~ 9.9.
    EXPECT_GE(qRed(many.at(10, 10)), 200);
    EXPECT_LE(qRed(many.at(20, 10)), 40);
    const Canvas single = drawGradient(linearFill(swf::SpreadMode::Pad, {{128, {0, 255, 0, 255}}}));
    EXPECT_EQ(single.at(3, 3), 0xff00ff00u);
}

}  // namespace

namespace {

// Over a gradient 256 pixels wide, entry i of the colour table covers pixel i - 1.
TEST(GradientStops, RepeatedAndBackwardRatiosTakeAnEntryEachAndRestartTheRamp)
{
    constexpr std::uint32_t red = 0xffff0000u, green = 0xff00ff00u, blue = 0xff0000ffu, white = 0xffffffffu;
    const swf::Rgba r{255, 0, 0, 255}, g{0, 255, 0, 255}, b{0, 0, 255, 255}, k{0, 0, 0, 255},
        w{255, 255, 255, 255};
    struct Pixel {
        int x;
        std::uint32_t color;
    };
    struct Case {
        const char* name;
        std::vector<swf::GradientRecord> records;
        std::vector<Pixel> pixels;
    };
    const Case cases[] = {
        // Red pads up to entry 7, green and blue take entries 8 and 9, then black to
        // white ramps from ratio 6 (entry 10 is already 4/144 of the way).
        {"repeated", {{6, r}, {6, g}, {6, b}, {6, k}, {150, w}},
         {{0, red}, {6, red}, {7, green}, {8, blue}, {9, 0xff070707u}, {149, white}, {255, white}}},
        // Going back to 50 repeats green in entry 81; blue to white then carries on from
        // entry 82, 32/50 of its way.
        {"backward", {{31, r}, {80, g}, {50, b}, {100, w}},
         {{30, red}, {79, green}, {80, green}, {81, 0xffa3a3ffu}, {99, white}}},
        // The last record going back keeps one entry for the one before it.
        {"last goes back", {{200, r}, {150, g}}, {{199, red}, {200, red}, {201, green}, {255, green}}},
    };
    for (const Case& c : cases) {
        const Canvas canvas = drawGradient(linearFill(swf::SpreadMode::Pad, c.records, 0, 256), 256);
        for (const Pixel& p : c.pixels) {
            const std::uint32_t got = canvas.at(p.x, 10);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(int(got >> shift & 0xff), int(p.color >> shift & 0xff), 2)
                    << c.name << " x " << p.x << std::hex << " got " << got;
        }
    }
}

TEST(GradientStops, HostileRatiosGiveOrderedStopsInsideTheSquare)
{
    std::vector<std::vector<swf::GradientRecord>> cases;
    cases.push_back(std::vector<swf::GradientRecord>(300, {255, {1, 2, 3, 255}}));
    cases.push_back(std::vector<swf::GradientRecord>(300, {0, {1, 2, 3, 255}}));
    std::vector<swf::GradientRecord> sawtooth;
    for (int i = 0; i < 300; ++i)
        sawtooth.push_back({std::uint8_t(i * 37), {std::uint8_t(i), 0, 0, 255}});
    cases.push_back(sawtooth);
    for (const auto& records : cases) {
        for (auto mode : {swf::InterpolationMode::Normal, swf::InterpolationMode::LinearRgb}) {
            swf::Gradient g;
            g.interpolation = mode;
            g.records = records;
            const QGradientStops stops = render::gradientStops(g, {});
            ASSERT_FALSE(stops.isEmpty());
            // At most a few stops per table entry, whatever the number of records.
            EXPECT_LE(stops.size(), 256 * 4 + 1);
            for (qsizetype i = 0; i < stops.size(); ++i) {
                EXPECT_GE(stops[i].first, 0.0);
                EXPECT_LE(stops[i].first, 1.0);
                if (i > 0) {
                    EXPECT_GT(stops[i].first, stops[i - 1].first) << i;
                }
            }
        }
    }
}

}  // namespace
