// Helpers of the renderer tests: shapes made from records, a surface to draw into and
// pixel reads.
#pragma once

#include "render/PainterRenderer.h"
#include "swf/Shape.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <vector>

namespace rendertest {

// Twips for a pixel coordinate.
inline swf::Twips px(double pixels) { return swf::Twips(pixels * 20); }
// The same for matrix members.
inline double tw(double pixels) { return pixels * 20; }

// Records for a rectangle path, clockwise on screen (y down), starting at (x0, y0),
// with the given fill sides and line.
inline std::vector<swf::ShapeRecord> rectRecords(double x0, double y0, double x1, double y1,
                                                 std::uint32_t fill0, std::uint32_t fill1,
                                                 std::uint32_t line = 0)
{
    swf::StyleChange move;
    move.moveTo = swf::Point{px(x0), px(y0)};
    move.fill0 = fill0;
    move.fill1 = fill1;
    move.line = line;
    const swf::Twips w = px(x1) - px(x0), h = px(y1) - px(y0);
    return {move, swf::StraightEdge{w, 0}, swf::StraightEdge{0, h}, swf::StraightEdge{-w, 0},
            swf::StraightEdge{0, -h}};
}

inline void append(std::vector<swf::ShapeRecord>& to, const std::vector<swf::ShapeRecord>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline swf::Shape shapeWith(std::vector<swf::FillStyle> fills, std::vector<swf::ShapeRecord> records,
                            std::vector<swf::LineStyle> lines = {})
{
    swf::Shape shape;
    shape.version = 4;
    shape.styles.fills = std::move(fills);
    shape.styles.lines = std::move(lines);
    shape.records = std::move(records);
    return shape;
}

inline swf::FillStyle solid(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255)
{
    return swf::FillStyle::solid({r, g, b, a});
}

// A premultiplied ARGB32 picture the renderer draws into.
struct Canvas {
    QImage image;

    Canvas(int width, int height, QRgb fill = 0xff000000u)
        : image(width, height, QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(fill);
    }
    render::Surface surface()
    {
        return {image.bits(), image.width(), image.height(), int(image.bytesPerLine())};
    }
    render::FrameSetup setup(bool background = true, render::Rgba colour = {255, 255, 255, 255})
    {
        render::FrameSetup s;
        s.surface = surface();
        s.hasBackground = background;
        s.background = colour;
        return s;
    }
    // The premultiplied pixel as 0xAARRGGBB, as stored.
    QRgb at(int x, int y) const { return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]; }
};

inline std::unique_ptr<render::Renderer> makeRenderer() { return render::createPainterRenderer(); }

// Registers `shape`, draws it once with `matrix` and `cx` onto a white canvas.
inline void drawOnce(render::Renderer& r, Canvas& canvas, const swf::Shape& shape,
                     const render::Matrix& matrix = {}, const render::ColorTransform& cx = {},
                     render::Quality quality = render::Quality::High)
{
    const render::ShapeId id = r.registerShape(shape, {});
    render::FrameSetup setup = canvas.setup();
    setup.quality = quality;
    r.beginFrame(setup);
    r.drawShape(id, matrix, cx);
    r.endFrame();
}

// Largest difference of any channel between two pictures of the same size, and how
// many pixels differ by more than `tolerance`.
struct Difference {
    int largest = 0;
    int pixelsOver = 0;
};

inline Difference compare(const QImage& a, const QImage& b, int tolerance)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = reinterpret_cast<const QRgb*>(a.constScanLine(y))[x];
            const QRgb q = reinterpret_cast<const QRgb*>(b.constScanLine(y))[x];
            const int diff = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                       std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            d.largest = std::max(d.largest, diff);
            if (diff > tolerance)
                ++d.pixelsOver;
        }
    return d;
}

}  // namespace rendertest
