// flash.geom, flash.filters and the SWF 8 members of clips (transform, filters,
// blendMode, opaqueBackground, cacheAsBitmap, localToGlobal, ...).
#pragma once

#include "Value.h"

#include "swf/Filters.h"

#include <optional>
#include <string>

namespace flash::avm1 {

class Interpreter;

void installDisplayClasses(Interpreter& in, Object& global, Object& clipMethods);
// A flash.filters object as the renderer takes it; nothing for other objects.
std::optional<swf::Filter> filterFromScript(Interpreter& in, const Value& v);

// duplicateMovieClip (the method and CloneSprite): a copy of `source` named `name` at
// the display-list depth `displayDepth`, `init`'s members copied onto it first.
Value duplicateClip(Interpreter& in, Clip& source, const std::string& name, int displayDepth, const Value& init);

}  // namespace flash::avm1
