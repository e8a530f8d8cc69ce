#include "render/Paints.h"

#include "render/ImageColor.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace render {

namespace {

// The gradient square's half size in gradient space.
constexpr double kGradientHalf = 16384.0;

// A padded texture may cost at most this many pixels.
constexpr qint64 kMaxPaddedPixels = 4096 * 4096;

QTransform toQTransform(const swf::Matrix& m)
{
    return QTransform(m.a, m.b, m.c, m.d, double(m.tx), double(m.ty));
}

QGradient::Spread spreadOf(swf::SpreadMode mode)
{
    switch (mode) {
    case swf::SpreadMode::Reflect: return QGradient::ReflectSpread;
    case swf::SpreadMode::Repeat: return QGradient::RepeatSpread;
    case swf::SpreadMode::Pad: break;
    }
    return QGradient::PadSpread;
}

double toLinear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double fromLinear(double c)
{
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

QColor mixLinear(const QColor& a, const QColor& b, double t)
{
    auto mix = [t](double x, double y) {
        return fromLinear(toLinear(x) * (1 - t) + toLinear(y) * t);
    };
    return QColor::fromRgbF(float(mix(a.redF(), b.redF())), float(mix(a.greenF(), b.greenF())),
                            float(mix(a.blueF(), b.blueF())),
                            float(a.alphaF() * (1 - t) + b.alphaF() * t));
}

QGradientStops linearRgbStops(const QGradientStops& stops)
{
    constexpr int kSteps = 16;
    QGradientStops out;
    for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
        const auto& [p0, c0] = stops[i];
        const auto& [p1, c1] = stops[i + 1];
        for (int s = 0; s < kSteps; ++s) {
            const double t = double(s) / kSteps;
            out.push_back({p0 + (p1 - p0) * t, mixLinear(c0, c1, t)});
        }
    }
    if (!stops.isEmpty())
        out.push_back(stops.back());
    return out;
}

}  // namespace

BitmapId BitmapStore::add(QImage image)
{
    const BitmapId id = m_next++;
    m_images.emplace(id, std::move(image));
    return id;
}

const QImage* BitmapStore::find(BitmapId id) const
{
    auto it = m_images.find(id);
    return it == m_images.end() ? nullptr : &it->second;
}

QColor toQColor(Rgba c)
{
    return QColor(c.r, c.g, c.b, c.a);
}

Rgba fromSwf(swf::Rgba c)
{
    return {c.r, c.g, c.b, c.a};
}

QGradientStops gradientStops(const swf::Gradient& gradient, const ColorTransform& cx)
{
    QGradientStops stops;
    int last = -1;
    for (const swf::GradientRecord& r : gradient.records) {
        // Every record keeps a place of its own: one that repeats or goes back behind
        // the one before sits one step (1/255) after it, as the reference player shows.
        const int at = std::min(255, std::max(int(r.ratio), last + 1));
        stops.push_back({at / 255.0, toQColor(cx.apply(fromSwf(r.color)))});
        last = at;
    }
    if (gradient.interpolation == swf::InterpolationMode::LinearRgb && stops.size() > 1)
        return linearRgbStops(stops);
    return stops;
}

FillTexture prepareTexture(const swf::FillStyle& fill, const QRectF& pathBounds,
                           const BitmapLookup& lookup, const BitmapStore& bitmaps)
{
    FillTexture texture;
    if (fill.kind != swf::FillKind::Bitmap || !lookup)
        return texture;
    texture.bitmap = lookup(fill.bitmapId);
    const QImage* image = bitmaps.find(texture.bitmap);
    if (!image || image->isNull() || fill.repeating)
        return texture;
    bool invertible = false;
    const QTransform inverse = toQTransform(fill.matrix).inverted(&invertible);
    if (!invertible)
        return texture;
    // The shape's extent in bitmap pixels, one more pixel around it for smoothing.
    const QRectF reach = inverse.mapRect(pathBounds).adjusted(-1, -1, 1, 1);
    // A shape reaching this far beyond its bitmap is not padded (it repeats instead).
    constexpr double kFar = 1 << 20;
    if (!(reach.left() > -kFar && reach.top() > -kFar && reach.right() < kFar && reach.bottom() < kFar))
        return texture;
    const QRect bitmapRect = image->rect();
    const QRect need = QRect(QPoint(int(std::floor(reach.left())), int(std::floor(reach.top()))),
                             QPoint(int(std::ceil(reach.right())), int(std::ceil(reach.bottom()))))
                           .united(bitmapRect);
    if (need == bitmapRect)
        return texture;
    if (qint64(need.width()) * need.height() > kMaxPaddedPixels)
        return texture;  // too far out to pad: draws repeating instead
    QImage padded(need.size(), QImage::Format_ARGB32_Premultiplied);
    const QImage src = image->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < need.height(); ++y) {
        const int sy = std::clamp(y + need.top(), 0, src.height() - 1);
        const auto* in = reinterpret_cast<const quint32*>(src.constScanLine(sy));
        auto* out = reinterpret_cast<quint32*>(padded.scanLine(y));
        for (int x = 0; x < need.width(); ++x)
            out[x] = in[std::clamp(x + need.left(), 0, src.width() - 1)];
    }
    texture.padded = std::move(padded);
    texture.origin = -need.topLeft();
    return texture;
}

QBrush makeBrush(const swf::FillStyle& fill, const FillTexture& texture, const ColorTransform& cx,
                 const BitmapStore& bitmaps, bool* smooth)
{
    if (smooth)
        *smooth = false;
    switch (fill.kind) {
    case swf::FillKind::Solid:
        return QBrush(toQColor(cx.apply(fromSwf(fill.color))));
    case swf::FillKind::LinearGradient:
    case swf::FillKind::RadialGradient:
    case swf::FillKind::FocalGradient: {
        const QGradientStops stops = gradientStops(fill.gradient, cx);
        if (stops.isEmpty())
            return QBrush(Qt::NoBrush);
        if (stops.size() == 1)
            return QBrush(stops.front().second);
        QGradient gradient;
        if (fill.kind == swf::FillKind::LinearGradient) {
            gradient = QLinearGradient(-kGradientHalf, 0, kGradientHalf, 0);
        } else {
            const double focal = fill.kind == swf::FillKind::FocalGradient
                                     ? std::clamp(fill.gradient.focalPoint, -0.999, 0.999)
                                     : 0.0;
            gradient = QRadialGradient(QPointF(0, 0), kGradientHalf, QPointF(focal * kGradientHalf, 0));
        }
        gradient.setStops(stops);
        gradient.setSpread(spreadOf(fill.gradient.spread));
        // Stops blend as plain colours: a transparent stop keeps its colour on the way.
        gradient.setInterpolationMode(QGradient::ComponentInterpolation);
        QBrush brush(gradient);
        brush.setTransform(toQTransform(fill.matrix));
        return brush;
    }
    case swf::FillKind::Bitmap: {
        const QImage* image = texture.padded.isNull() ? bitmaps.find(texture.bitmap) : &texture.padded;
        if (!image || image->isNull())
            return QBrush(Qt::NoBrush);
        if (!cx.isIdentity() && (texture.transformed.isNull() || !(texture.lastTransform == cx))) {
            texture.transformed = colorTransformed(*image, cx);
            texture.lastTransform = cx;
        }
        QBrush brush(cx.isIdentity() ? *image : texture.transformed);
        QTransform t = QTransform::fromTranslate(-texture.origin.x(), -texture.origin.y()) *
                       toQTransform(fill.matrix);
        brush.setTransform(t);
        if (smooth)
            *smooth = fill.smoothed;
        return brush;
    }
    }
    return QBrush(Qt::NoBrush);
}

QPen makePen(const swf::LineStyle& line, const QBrush& brush, const QTransform& device,
             double stageScale)
{
    // Strokes scale with their shape, stretched like it when it is scaled unevenly; only
    // both no-scale flags together keep the width (at the stage's scale). Whatever ends
    // up thinner than a pixel is drawn as a one-pixel hairline.
    const bool scaling = !(line.noHScale && line.noVScale);
    const double objectScale = std::sqrt(std::abs(device.determinant()));
    QPen pen(brush, 1.0);
    if (scaling && line.width * objectScale >= 1.0) {
        pen.setWidthF(line.width);
    } else {
        pen.setWidthF(std::max(1.0, line.width * (scaling ? objectScale : stageScale)));
        pen.setCosmetic(true);
    }
    switch (line.startCap) {
    case swf::CapStyle::Round: pen.setCapStyle(Qt::RoundCap); break;
    case swf::CapStyle::None: pen.setCapStyle(Qt::FlatCap); break;
    case swf::CapStyle::Square: pen.setCapStyle(Qt::SquareCap); break;
    }
    switch (line.join) {
    case swf::JoinStyle::Round: pen.setJoinStyle(Qt::RoundJoin); break;
    case swf::JoinStyle::Bevel: pen.setJoinStyle(Qt::BevelJoin); break;
    case swf::JoinStyle::Miter:
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(std::max(1.0, line.miterLimit));
        break;
    }
    return pen;
}

}  // namespace render
