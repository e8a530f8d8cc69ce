// Filter sizes turned from stage pixels into surface pixels, with the clamps that
// keep hostile values cheap.
#pragma once

#include "render/BoxBlur.h"
#include "render/Types.h"
#include "swf/Filters.h"

namespace render {

// The blur of a filter in surface pixels.
BlurSize surfaceBlur(const swf::Filter& filter, const Matrix& stageToSurface);

// The offset of a shadow or bevel (angle and distance) in whole surface pixels.
struct PixelOffset {
    int x = 0, y = 0;
};
PixelOffset surfaceOffset(const swf::Filter& filter, const Matrix& stageToSurface);

}  // namespace render
