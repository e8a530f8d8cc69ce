// The renderer alone: drawing cached shapes of each kind into a 550 x 400 surface.
#include "render/PainterRenderer.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <vector>

namespace {

constexpr int kWidth = 550, kHeight = 400;

swf::Shape blob(swf::FillStyle fill, bool stroked)
{
    swf::Shape s;
    s.styles.fills.push_back(std::move(fill));
    if (stroked) {
        swf::LineStyle line;
        line.width = 40;
        s.styles.lines.push_back(line);
    }
    swf::StyleChange move;
    move.moveTo = swf::Point{0, 600};
    move.fill1 = 1;
    move.line = stroked ? 1 : 0;
    s.records = {move,
                 swf::CurvedEdge{0, -600, 600, 0},
                 swf::CurvedEdge{600, 0, 0, 600},
                 swf::CurvedEdge{0, 600, -600, 0},
                 swf::CurvedEdge{-600, 0, 0, -600}};
    return s;
}

swf::FillStyle gradientFill()
{
    swf::FillStyle f;
    f.kind = swf::FillKind::RadialGradient;
    f.matrix.a = f.matrix.d = 600 / 16384.0;
    f.matrix.tx = f.matrix.ty = 600;
    f.gradient.records = {{0, {255, 255, 0, 255}}, {128, {255, 0, 0, 255}}, {255, {0, 0, 128, 255}}};
    return f;
}

// 200 shapes spread over the stage, rotated and scaled a little differently each.
void drawScene(benchmark::State& state, const swf::Shape& shape, render::BlendMode mode, bool masked)
{
    auto renderer = render::createPainterRenderer();
    const auto id = renderer->registerShape(shape, {});
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    render::FrameSetup setup;
    setup.surface = {image.bits(), kWidth, kHeight, int(image.bytesPerLine())};
    std::vector<render::Matrix> matrices;
    for (int i = 0; i < 200; ++i) {
        const double angle = i * 0.1, scale = 0.5 + (i % 7) * 0.1;
        matrices.push_back({scale * std::cos(angle), scale * std::sin(angle), -scale * std::sin(angle),
                            scale * std::cos(angle), double((i * 53) % (kWidth * 20)), double((i * 97) % (kHeight * 20))});
    }
    for (auto _ : state) {
        renderer->beginFrame(setup);
        if (masked) {
            renderer->beginMask();
            renderer->drawShape(id, render::Matrix{10, 0, 0, 8, 1000, 1000}, {});
            renderer->endMask();
        }
        for (std::size_t i = 0; i < matrices.size(); ++i) {
            const bool layered = mode != render::BlendMode::Normal && i % 10 == 0;
            if (layered)
                renderer->beginLayer(mode);
            renderer->drawShape(id, matrices[i], {1, 1, 1, 0.8f, 0, 0, 0, 0});
            if (layered)
                renderer->endLayer();
        }
        if (masked)
            renderer->popMask();
        renderer->endFrame();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SolidShapes(benchmark::State& s) { drawScene(s, blob(swf::FillStyle::solid({0, 128, 255, 255}), false), render::BlendMode::Normal, false); }
void BM_StrokedShapes(benchmark::State& s) { drawScene(s, blob(swf::FillStyle::solid({0, 128, 255, 255}), true), render::BlendMode::Normal, false); }
void BM_GradientShapes(benchmark::State& s) { drawScene(s, blob(gradientFill(), false), render::BlendMode::Normal, false); }
void BM_MaskedShapes(benchmark::State& s) { drawScene(s, blob(swf::FillStyle::solid({0, 128, 255, 255}), false), render::BlendMode::Normal, true); }
void BM_MultiplyLayers(benchmark::State& s) { drawScene(s, blob(swf::FillStyle::solid({0, 128, 255, 255}), false), render::BlendMode::Multiply, false); }

BENCHMARK(BM_SolidShapes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StrokedShapes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GradientShapes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MaskedShapes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MultiplyLayers)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
