// The filters made from the object's blurred alpha: drop shadow and glow (a shadow
// without offset), their gradient form, and bevels (a highlight and a shadow on the
// two sides of the angle). Each paints outside the object (outer), inside it (inner)
// or both (full), with the object kept, hidden or knocked out.
#pragma once

#include "render/Types.h"
#include "swf/Filters.h"

#include <QImage>

namespace render {

// DropShadow, Glow and GradientGlow.
void applyShadow(QImage& image, const swf::Filter& filter, const Matrix& stageToSurface);
// Bevel and GradientBevel.
void applyBevel(QImage& image, const swf::Filter& filter, const Matrix& stageToSurface);

}  // namespace render
