// Colour transforms on premultiplied pixels: each pixel is taken back to straight
// colour, transformed channel by channel as SWF defines it, and premultiplied again.
#pragma once

#include "render/Types.h"

#include <QImage>

namespace render {

// A copy of `source` (any format) with `cx` applied, in Format_ARGB32_Premultiplied.
QImage colorTransformed(const QImage& source, const ColorTransform& cx);

// The same in place on premultiplied ARGB32 rows. `keepTransparent` leaves fully
// transparent pixels alone (an alpha add would otherwise show the whole image).
void applyColorTransform(QImage& image, const ColorTransform& cx, bool keepTransparent = false);

}  // namespace render
