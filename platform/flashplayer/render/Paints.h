// Turns SWF fill and line styles into QPainter brushes and pens, with a colour
// transform applied to every colour they paint.
#pragma once

#include "render/BuiltShape.h"
#include "render/Types.h"
#include "swf/Styles.h"

#include <QBrush>
#include <QImage>
#include <QPen>

#include <unordered_map>

namespace render {

// The registered bitmaps, premultiplied ARGB32.
class BitmapStore {
public:
    BitmapId add(QImage image);
    void remove(BitmapId id) { m_images.erase(id); }
    const QImage* find(BitmapId id) const;

private:
    std::unordered_map<BitmapId, QImage> m_images;
    BitmapId m_next = 1;
};

QColor toQColor(Rgba c);
Rgba fromSwf(swf::Rgba c);

// Prepares the texture of a bitmap fill for a path with bounds `pathBounds` (twips):
// resolves the bitmap and, for clipped fills, pads it with its edge pixels.
FillTexture prepareTexture(const swf::FillStyle& fill, const QRectF& pathBounds,
                           const BitmapLookup& lookup, const BitmapStore& bitmaps);

// The brush of a fill under a colour transform; Qt::NoBrush when it paints nothing.
// `smooth` tells whether the caller should turn on bitmap smoothing for it.
QBrush makeBrush(const swf::FillStyle& fill, const FillTexture& texture, const ColorTransform& cx,
                 const BitmapStore& bitmaps, bool* smooth = nullptr);

// The stops of a gradient under a colour transform; linear-RGB gradients get extra stops
// so that Qt's sRGB interpolation follows the linear curve.
QGradientStops gradientStops(const swf::Gradient& gradient, const ColorTransform& cx);

// The pen of a stroke drawn under a device transform, never thinner than a pixel.
// `stageScale` is the stage-to-surface scale that non-scaling strokes keep.
QPen makePen(const swf::LineStyle& line, const QBrush& brush, const QTransform& device,
             double stageScale);

}  // namespace render
