#include "render/PainterRenderer.h"

#include "render/BuiltShape.h"
#include "render/ImageColor.h"
#include "render/LayerStack.h"
#include "render/Morph.h"
#include "render/Paints.h"
#include "render/ShapeBuilder.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPathStroker>

#include <cmath>
#include <deque>
#include <unordered_map>

namespace render {

namespace {

// Ratios of one morph kept built at a time; tweens cycle through a few dozen.
constexpr std::size_t kMorphCacheSize = 64;

// Bitmaps larger than this are refused at registration.
constexpr int kMaxBitmapSide = 8192;

QTransform toQTransform(const Matrix& m)
{
    return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty);
}

// A transform that can place anything: finite and not collapsing the plane to a line
// (such objects have no area and draw nothing).
bool usable(const QTransform& t)
{
    const double values[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return t.determinant() != 0.0;
}

// The pixels a rectangle in device space may touch, within the viewport. Clipped in
// floating point first: huge transforms must not overflow the integer rectangle.
QRect touchedPixels(const QRectF& device, const QRect& viewport)
{
    const QRectF clipped = device.adjusted(-1, -1, 1, 1).intersected(QRectF(viewport));
    if (clipped.isEmpty())
        return {};
    return clipped.toAlignedRect().intersected(viewport);
}

QString familyFor(const std::string& name)
{
    if (name.empty() || name == "_sans")
        return QStringLiteral("Sans Serif");
    if (name == "_serif")
        return QStringLiteral("Serif");
    if (name == "_typewriter")
        return QStringLiteral("Monospace");
    return QString::fromStdString(name);
}

QFont fontFor(const DeviceText& text)
{
    QFont font(familyFor(text.fontFamily));
    // Sizes in twips: the text is drawn in its own twips space.
    font.setPixelSize(std::max(1, int(std::lround(text.sizeTwips))));
    font.setBold(text.bold);
    font.setItalic(text.italic);
    return font;
}

struct MorphEntry {
    swf::MorphShape source;
    BitmapLookup bitmaps;
    std::unordered_map<std::uint16_t, BuiltShape> built;
    std::deque<std::uint16_t> order;  // oldest first
};

class PainterRenderer final : public Renderer {
public:
    ShapeId registerShape(const swf::Shape& shape, const BitmapLookup& bitmaps) override
    {
        BuiltShape built = buildShape({&shape.styles, shape.records, shape.usesFillWindingRule});
        prepare(built, bitmaps);
        const ShapeId id = m_nextId++;
        m_shapes.emplace(id, std::move(built));
        return id;
    }

    MorphId registerMorph(const swf::MorphShape& morph, const BitmapLookup& bitmaps) override
    {
        const MorphId id = m_nextId++;
        m_morphs.emplace(id, MorphEntry{morph, bitmaps, {}, {}});
        return id;
    }

    ShapeId registerGlyph(std::span<const swf::ShapeRecord> records) override
    {
        const ShapeId id = m_nextId++;
        m_shapes.emplace(id, buildGlyph(records));
        return id;
    }

    BitmapId registerBitmap(const ImageView& pixels) override
    {
        if (!pixels.pixels || pixels.width <= 0 || pixels.height <= 0 || pixels.width > kMaxBitmapSide ||
            pixels.height > kMaxBitmapSide || pixels.stride < pixels.width * 4)
            return kNoId;
        const QImage view(pixels.pixels, pixels.width, pixels.height, pixels.stride,
                          QImage::Format_ARGB32_Premultiplied);
        return m_bitmaps.add(view.copy());
    }

    void releaseShape(ShapeId id) override { m_shapes.erase(id); }
    void releaseMorph(MorphId id) override { m_morphs.erase(id); }
    void releaseBitmap(BitmapId id) override
    {
        m_bitmaps.remove(id);
        m_transformedBitmaps.erase(id);
    }

    bool hitTest(ShapeId id, double x, double y) const override
    {
        auto it = m_shapes.find(id);
        return it != m_shapes.end() && hits(it->second, QPointF(x, y));
    }

    bool hitTestMorph(MorphId id, std::uint16_t ratio, double x, double y) override
    {
        const BuiltShape* shape = morphAt(id, ratio);
        return shape && hits(*shape, QPointF(x, y));
    }

    bool beginFrame(const FrameSetup& setup) override
    {
        m_inFrame = m_layers.begin(setup);
        m_quality = setup.quality;
        m_stage = toQTransform(setup.stageToSurface);
        m_stageMatrix = setup.stageToSurface;
        m_stageScale = std::sqrt(std::abs(m_stage.determinant()));
        return m_inFrame;
    }

    void endFrame() override
    {
        m_layers.end();
        m_inFrame = false;
    }

    void drawShape(ShapeId id, const Matrix& matrix, const ColorTransform& cx) override
    {
        auto it = m_shapes.find(id);
        if (it != m_shapes.end())
            drawBuilt(it->second, toQTransform(matrix) * m_stage, cx, nullptr);
    }

    void drawMorph(MorphId id, std::uint16_t ratio, const Matrix& matrix, const ColorTransform& cx) override
    {
        if (!m_inFrame)
            return;
        if (const BuiltShape* shape = morphAt(id, ratio))
            drawBuilt(*shape, toQTransform(matrix) * m_stage, cx, nullptr);
    }

    void drawGlyphs(std::span<const GlyphInstance> glyphs, const Matrix& matrix,
                    const ColorTransform& cx) override
    {
        if (!m_inFrame)
            return;
        const QTransform text = toQTransform(matrix) * m_stage;
        for (const GlyphInstance& g : glyphs) {
            auto it = m_shapes.find(g.glyph);
            if (it != m_shapes.end())
                drawBuilt(it->second, toQTransform(g.matrix) * text, cx, &g.color);
        }
    }

    void drawDeviceText(const DeviceText& text, const Matrix& matrix, const ColorTransform& cx) override
    {
        if (!m_inFrame || m_layers.suppressed() || !QGuiApplication::instance() || text.utf8.empty() ||
            !usable(toQTransform(matrix) * m_stage))
            return;
        const QFont font = fontFor(text);
        const QString string = QString::fromStdString(text.utf8);
        const QFontMetricsF metrics(font);
        const QRectF box(0, -metrics.ascent(), metrics.horizontalAdvance(string), metrics.height());
        const QTransform device = toQTransform(matrix) * m_stage;
        m_layers.touch(touchedPixels(device.mapRect(box), m_layers.viewport()));
        QPainter& p = m_layers.painter();
        p.setTransform(device);
        p.setFont(font);
        p.setPen(m_layers.definingMask() ? QColor(Qt::black) : toQColor(cx.apply(text.color)));
        p.drawText(QPointF(0, 0), string);
    }

    double measureDeviceText(const DeviceText& text) override
    {
        if (!QGuiApplication::instance() || text.utf8.empty())
            return 0;
        return QFontMetricsF(fontFor(text)).horizontalAdvance(QString::fromStdString(text.utf8));
    }

    void drawBitmap(BitmapId id, const Matrix& matrix, const ColorTransform& cx, bool smoothing) override
    {
        if (!m_inFrame)
            return;
        const QImage* image = m_bitmaps.find(id);
        if (!image)
            return;
        const QTransform device = QTransform::fromScale(20, 20) * toQTransform(matrix) * m_stage;
        drawImage(*image, device, cx, smoothing, id);
    }

    void drawVideoFrame(const ImageView& frame, double widthTwips, double heightTwips, const Matrix& matrix,
                        const ColorTransform& cx, bool smoothing) override
    {
        if (!m_inFrame || !frame.pixels || frame.width <= 0 || frame.height <= 0 ||
            frame.stride < frame.width * 4)
            return;
        const QImage image(frame.pixels, frame.width, frame.height, frame.stride,
                           QImage::Format_ARGB32_Premultiplied);
        const QTransform device = QTransform::fromScale(widthTwips / frame.width, heightTwips / frame.height) *
                                  toQTransform(matrix) * m_stage;
        drawImage(image, device, cx, smoothing, kNoId);
    }

    void beginMask() override
    {
        if (m_inFrame)
            m_layers.beginMask();
    }
    void endMask() override
    {
        if (m_inFrame)
            m_layers.endMask();
    }
    void popMask() override
    {
        if (m_inFrame)
            m_layers.popMask();
    }
    void beginLayer(BlendMode mode) override
    {
        if (m_inFrame)
            m_layers.beginBlend(mode);
    }
    void beginFilterLayer(std::span<const swf::Filter> filters, BlendMode mode, const ColorTransform& cx) override
    {
        if (m_inFrame)
            m_layers.beginBlend(mode, {filters, m_stageMatrix, cx});
    }
    void endLayer() override
    {
        if (m_inFrame)
            m_layers.endBlend();
    }

private:
    // Resolves textures and the untransformed brushes once, when a shape is built.
    void prepare(BuiltShape& shape, const BitmapLookup& bitmaps) const
    {
        for (BuiltGroup& g : shape.groups) {
            for (BuiltFill& f : g.fills) {
                f.texture = prepareTexture(f.style, f.path.controlPointRect(), bitmaps, m_bitmaps);
                f.brush = makeBrush(f.style, f.texture, {}, m_bitmaps, &f.smooth);
            }
            for (BuiltStroke& s : g.strokes) {
                if (s.style.fill) {
                    s.texture = prepareTexture(*s.style.fill, s.path.controlPointRect(), bitmaps, m_bitmaps);
                    s.brush = makeBrush(*s.style.fill, s.texture, {}, m_bitmaps);
                } else {
                    s.brush = QBrush(toQColor(fromSwf(s.style.color)));
                }
            }
        }
    }

    const BuiltShape* morphAt(MorphId id, std::uint16_t ratio)
    {
        auto it = m_morphs.find(id);
        if (it == m_morphs.end())
            return nullptr;
        MorphEntry& entry = it->second;
        auto found = entry.built.find(ratio);
        if (found != entry.built.end())
            return &found->second;
        if (entry.order.size() >= kMorphCacheSize) {
            entry.built.erase(entry.order.front());
            entry.order.pop_front();
        }
        const swf::Shape shape = render::morphAt(entry.source, ratio / 65535.0);
        BuiltShape built = buildShape({&shape.styles, shape.records, false});
        prepare(built, entry.bitmaps);
        entry.order.push_back(ratio);
        return &entry.built.emplace(ratio, std::move(built)).first->second;
    }

    static bool hits(const BuiltShape& shape, const QPointF& point)
    {
        if (!shape.bounds.contains(point))
            return false;
        for (const BuiltGroup& g : shape.groups) {
            for (const BuiltFill& f : g.fills)
                if (f.path.contains(point))
                    return true;
            for (const BuiltStroke& s : g.strokes) {
                QPainterPathStroker stroker;
                stroker.setWidth(std::max<double>(s.style.width, 20.0));
                if (stroker.createStroke(s.path).contains(point))
                    return true;
            }
        }
        return false;
    }

    // The brush a fill paints with under `cx`; `opacity` is set when the transform is
    // better applied as the painter's opacity (alpha-only transforms of bitmaps).
    QBrush brushFor(const swf::FillStyle& style, const FillTexture& texture, const QBrush& plain,
                    const ColorTransform& cx, double* opacity) const
    {
        *opacity = 1.0;
        if (m_layers.definingMask())
            return QBrush(Qt::black);
        if (cx.isIdentity())
            return plain;
        if (style.kind == swf::FillKind::Bitmap && cx.isAlphaOnly()) {
            *opacity = std::clamp(double(cx.aMul), 0.0, 1.0);
            return plain;
        }
        return makeBrush(style, texture, cx, m_bitmaps);
    }

    void drawBuilt(const BuiltShape& shape, const QTransform& device, const ColorTransform& cx,
                   const Rgba* glyphColor)
    {
        if (!m_inFrame || m_layers.suppressed() || shape.groups.empty() || !usable(device))
            return;
        const QRect deviceBounds = touchedPixels(device.mapRect(shape.bounds), m_layers.viewport());
        if (deviceBounds.isEmpty())
            return;
        m_layers.touch(deviceBounds);
        QPainter& p = m_layers.painter();
        p.setTransform(device);
        const bool smoothAllowed = m_quality == Quality::High || m_quality == Quality::Best;
        // Seams only open with anti-aliasing, and only opaque fills can hide them.
        const bool closeSeams = m_quality != Quality::Low && !m_layers.definingMask() && cx.aMul >= 1.0f &&
                                cx.aAdd >= 0.0f;
        for (const BuiltGroup& g : shape.groups) {
            for (const BuiltFill& f : g.fills) {
                double opacity = 1.0;
                QBrush brush;
                if (glyphColor)
                    brush = m_layers.definingMask() ? QBrush(Qt::black) : QBrush(toQColor(cx.apply(*glyphColor)));
                else
                    brush = brushFor(f.style, f.texture, f.brush, cx, &opacity);
                if (brush.style() == Qt::NoBrush)
                    continue;
                p.setRenderHint(QPainter::SmoothPixmapTransform, f.smooth && smoothAllowed);
                p.setOpacity(opacity);
                p.fillPath(f.path, brush);
                if (closeSeams && !f.seam.isEmpty() && opacity == 1.0 && brush.isOpaque()) {
                    QPen seamPen(brush, 1.0);
                    seamPen.setCosmetic(true);
                    seamPen.setCapStyle(Qt::FlatCap);  // no further than the edge goes
                    p.strokePath(f.seam, seamPen);
                }
            }
            p.setOpacity(1.0);
            for (const BuiltStroke& s : g.strokes) {
                double opacity = 1.0;
                const QBrush brush = s.style.fill
                                         ? brushFor(*s.style.fill, s.texture, s.brush, cx, &opacity)
                                         : (m_layers.definingMask()
                                                ? QBrush(Qt::black)
                                                : QBrush(toQColor(cx.apply(fromSwf(s.style.color)))));
                if (brush.style() == Qt::NoBrush)
                    continue;
                p.setOpacity(opacity);
                p.strokePath(s.path, makePen(s.style, brush, device, m_stageScale));
            }
            p.setOpacity(1.0);
        }
    }

    void drawImage(const QImage& image, const QTransform& device, const ColorTransform& cx, bool smoothing,
                   BitmapId cacheKey)
    {
        if (m_layers.suppressed() || !usable(device))
            return;
        const QRectF rect(0, 0, image.width(), image.height());
        const QRect deviceBounds = touchedPixels(device.mapRect(rect), m_layers.viewport());
        if (deviceBounds.isEmpty())
            return;
        m_layers.touch(deviceBounds);
        QPainter& p = m_layers.painter();
        p.setTransform(device);
        if (m_layers.definingMask()) {
            p.fillRect(rect, Qt::black);
            return;
        }
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        smoothing && (m_quality == Quality::High || m_quality == Quality::Best));
        if (cx.isIdentity()) {
            p.drawImage(QPointF(0, 0), image);
        } else if (cx.isAlphaOnly()) {
            p.setOpacity(std::clamp(double(cx.aMul), 0.0, 1.0));
            p.drawImage(QPointF(0, 0), image);
            p.setOpacity(1.0);
        } else {
            p.drawImage(QPointF(0, 0), transformedImage(image, cx, cacheKey));
        }
    }

    // Colour-transformed copies of bitmaps are kept per bitmap for the last transform
    // used, since an object usually keeps its transform over many frames.
    QImage transformedImage(const QImage& image, const ColorTransform& cx, BitmapId cacheKey)
    {
        if (cacheKey == kNoId)
            return colorTransformed(image, cx);
        auto& slot = m_transformedBitmaps[cacheKey];
        if (slot.image.isNull() || !(slot.cx == cx)) {
            slot.cx = cx;
            slot.image = colorTransformed(image, cx);
        }
        return slot.image;
    }

    struct TransformedBitmap {
        ColorTransform cx;
        QImage image;
    };

    std::uint32_t m_nextId = 1;
    std::unordered_map<ShapeId, BuiltShape> m_shapes;
    std::unordered_map<MorphId, MorphEntry> m_morphs;
    BitmapStore m_bitmaps;
    std::unordered_map<BitmapId, TransformedBitmap> m_transformedBitmaps;
    LayerStack m_layers;
    bool m_inFrame = false;
    Quality m_quality = Quality::High;
    QTransform m_stage;
    Matrix m_stageMatrix;
    double m_stageScale = 1 / 20.0;
};

}  // namespace

std::unique_ptr<Renderer> createPainterRenderer()
{
    return std::make_unique<PainterRenderer>();
}

}  // namespace render
