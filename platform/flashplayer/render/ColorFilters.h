// The filters that recompute each pixel from colours: the 4x5 colour matrix and the
// convolution. Both work on straight (not premultiplied) colour.
#pragma once

#include "swf/Filters.h"

#include <QImage>

namespace render {

void applyColorMatrix(QImage& image, const swf::Filter& filter);
// Refuses (leaves the image alone) a kernel whose work would exceed a fixed budget.
void applyConvolution(QImage& image, const swf::Filter& filter);

}  // namespace render
