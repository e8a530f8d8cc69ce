// Morph shapes at a ratio: the start and end edges, taken pairwise in order, and every
// style member are interpolated linearly, giving an ordinary shape to build.
#pragma once

#include "swf/Shape.h"

namespace render {

// `t` from 0 (start) to 1 (end).
swf::Shape morphAt(const swf::MorphShape& morph, double t);

}  // namespace render
