// The MovieClip drawing methods (beginFill, lineStyle, lineTo, ...), the clip methods
// that go with them (createEmptyMovieClip, setMask, getBounds, hitTest), and the two
// small classes drawing scripts use: flash.geom.Matrix (gradient boxes) and Stage.
#pragma once

#include "Value.h"

namespace flash::avm1 {

void installDrawingMethods(Object& clipMethods);
void installDrawingClasses(Interpreter& in, Object& global);

}  // namespace flash::avm1
