// Fixed synthetic frame sets of the GIF encoding benchmark (also used by the tests
// that hold the encoder's bytes to the straightforward implementation): 100 frames of
// 440 x 316, either rich (gradients, a soft moving disc and sensor-like noise: many
// thousands of colours per frame) or cartoon-like (flat shapes, under 200 colours).
#pragma once

#include "Bitmap.h"

#include <vector>

namespace synthetic {

constexpr int kWidth = 440;
constexpr int kHeight = 316;
constexpr int kFrames = 100;

enum class FrameSet { Rich, Cartoon };

// Frame index of a set, as a pf24bit bitmap; the same for every call.
TBitmap MakeFrame(FrameSet set, int index);

// Distinct colours of a 24-bit bitmap.
int DistinctColours(const TBitmap& bitmap);

} // namespace synthetic
