// Display-object filters on premultiplied ARGB32 pixels. Filter sizes (blur, distance)
// are in stage pixels and follow the stage-to-surface matrix, not the object's own
// transform. Hostile sizes are clamped: blurs to 255 stage pixels and 15 passes, every
// reach to the largest surface, so a filter's cost stays bounded by the image it runs on.
#pragma once

#include "render/Types.h"
#include "swf/Filters.h"

#include <QImage>

#include <span>

namespace render {

// Pixels a filter adds around what it is given, per side.
struct FilterReach {
    int left = 0, top = 0, right = 0, bottom = 0;
    FilterReach& operator+=(const FilterReach& o);
};

FilterReach filterReach(const swf::Filter& filter, const Matrix& stageToSurface);
FilterReach filterReach(std::span<const swf::Filter> filters, const Matrix& stageToSurface);

// Applies one filter in place. The image (premultiplied ARGB32) must already have
// room for the filter's reach around the object.
void applyFilter(QImage& image, const swf::Filter& filter, const Matrix& stageToSurface);

}  // namespace render
