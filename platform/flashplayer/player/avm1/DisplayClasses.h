// flash.geom, flash.filters and the SWF 8 members of clips (transform, filters,
// blendMode, opaqueBackground, cacheAsBitmap, localToGlobal, ...).
#pragma once

#include "Value.h"

namespace flash::avm1 {

class Interpreter;

void installDisplayClasses(Interpreter& in, Object& global, Object& clipMethods);

}  // namespace flash::avm1
