// The MovieClip drawing methods (beginFill, lineStyle, lineTo, ...), the clip methods
// that go with them (createEmptyMovieClip, setMask, getBounds, hitTest), and the two
// small classes drawing scripts use: flash.geom.Matrix (gradient boxes) and Stage.
#pragma once

#include "Value.h"

#include "swf/Styles.h"

#include <optional>
#include <vector>

namespace flash::avm1 {

void installDrawingMethods(Object& clipMethods);
void installDrawingClasses(Interpreter& in, Object& global);

// beginGradientFill / lineGradientStyle arguments: type, colors, alphas, ratios,
// matrix[, spreadMethod, interpolationMethod, focalPointRatio].
struct GradientArguments {
    enum class Outcome { Style, Invalid, NoType };
    Outcome outcome = Outcome::Invalid;
    swf::FillStyle style;
};
GradientArguments parseGradient(Interpreter& in, const std::vector<Value>& args);

}  // namespace flash::avm1
