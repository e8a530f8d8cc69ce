// flash.display.BitmapData and the flash.geom classes it takes (Rectangle, Point,
// ColorTransform), and MovieClip.attachBitmap.
#pragma once

#include "Value.h"

namespace flash::avm1 {

void installBitmapMethods(Object& clipMethods);
void installBitmapClasses(Interpreter& in, Object& global);

}  // namespace flash::avm1
