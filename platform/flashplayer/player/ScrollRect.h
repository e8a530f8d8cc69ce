// MovieClip.scrollRect: a flash.geom.Rectangle a script sets on a clip. The clip shows
// only that rectangle of its content (pixels), moved to its origin.
#pragma once

#include "swf/Types.h"

#include <optional>

namespace flash {

class MovieClip;

// The rectangle in twips, or none when the clip has no usable one.
std::optional<swf::Rect> scrollRectOf(const MovieClip& clip);

}  // namespace flash
