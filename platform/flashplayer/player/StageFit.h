// Fitting the stage into the view by scale mode and alignment.
#pragma once

#include "Player.h"
#include "render/Types.h"
#include "swf/Types.h"

namespace flash {

// The matrix from stage twips to view pixels (before the view's origin in a surface).
render::Matrix stageToView(const swf::Rect& stage, int viewWidth, int viewHeight, ScaleMode mode, unsigned align);

// Parses the control's "SAlign" strings ("", "L", "TR", ...) and "Scale" strings
// ("showall", "noborder", "exactfit", "noscale"); unknown text gives the defaults.
unsigned alignFromString(const std::string& text);
ScaleMode scaleModeFromString(const std::string& text);

}  // namespace flash
