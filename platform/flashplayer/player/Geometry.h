// Small geometry helpers shared by drawing, bounds and hit testing.
#pragma once

#include "DisplayObject.h"
#include "render/Types.h"
#include "swf/Types.h"

namespace flash {

bool invert(const render::Matrix& m, render::Matrix& out);
swf::Rect transformRect(const swf::Rect& r, const render::Matrix& m);
// The matrix from the object's own space to stage twips.
render::Matrix worldMatrix(const DisplayObject& object);

}  // namespace flash
