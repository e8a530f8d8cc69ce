// A shape as the QPainter backend draws it: the edge records assembled into one
// closed path per fill style and one path per line style, grouped as the records'
// style arrays group them. Built once per character (or per morph ratio).
#pragma once

#include "render/Renderer.h"
#include "swf/Styles.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <vector>

namespace render {

// The pixels a bitmap fill paints with, prepared when the shape is built.
struct FillTexture {
    BitmapId bitmap = kNoId;
    // Clipped fills extend their edge pixels: when the shape reaches beyond the bitmap
    // the texture is the bitmap padded with its edges far enough to cover the shape,
    // and `origin` is where bitmap pixel (0, 0) sits in it.
    QImage padded;
    QPoint origin;
    // The texture under the last colour transform it was drawn with: objects keep
    // their transform over many frames, and transforming pixels is costly.
    mutable ColorTransform lastTransform;
    mutable QImage transformed;
};

struct BuiltFill {
    QPainterPath path;       // twips, closed contours
    // Edges this fill shares with fills drawn after it. Anti-aliased separately, two
    // fills meeting on an edge would let the background show through the pixels they
    // share; a hairline of this fill along the edge, under the later fill, keeps the
    // seam closed.
    QPainterPath seam;
    swf::FillStyle style;
    FillTexture texture;     // bitmap fills
    QBrush brush;            // the fill without a colour transform
    bool smooth = false;     // a smoothed bitmap fill
};

struct BuiltStroke {
    QPainterPath path;       // twips, open or closed subpaths in record order
    swf::LineStyle style;
    FillTexture texture;     // strokes painted with a bitmap fill
    QBrush brush;            // the stroke's paint without a colour transform
};

// Fills of one style group first, then its strokes; later groups draw above.
struct BuiltGroup {
    std::vector<BuiltFill> fills;
    std::vector<BuiltStroke> strokes;
};

struct BuiltShape {
    std::vector<BuiltGroup> groups;
    QRectF bounds;           // twips, strokes included
    bool glyph = false;      // fills take the colour of each glyph instance
};

}  // namespace render
