// Composing an offscreen layer onto what lies below it with a blend mode.
#pragma once

#include "render/Types.h"

#include <QImage>
#include <QPainter>

namespace render {

// Composes `rect` of `layer` onto the same rect of `below`, whose active painter is
// `painter`. Both images are premultiplied ARGB32 of the same size.
void composeLayer(QPainter& painter, QImage& below, const QImage& layer, const QRect& rect,
                  BlendMode mode);

// The composition modes Qt offers with SWF's meaning; false for those composed by hand.
bool qtCompositionFor(BlendMode mode, QPainter::CompositionMode* out);

}  // namespace render
