#include "render/FilterGeometry.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {

constexpr double kMaxBlur = 255;          // stage pixels
constexpr int kMaxPasses = 15;
constexpr double kMaxSurfacePixels = 16384;

double clampedStagePixels(double v, double limit)
{
    return std::isfinite(v) ? std::clamp(v, -limit, limit) : 0.0;
}

// Surface pixels per stage pixel along each axis (the stage matrix maps twips).
double axisScale(double a, double b)
{
    const double s = 20 * std::hypot(a, b);
    return std::isfinite(s) ? std::min(s, kMaxSurfacePixels) : 0.0;
}

}  // namespace

BlurSize surfaceBlur(const swf::Filter& f, const Matrix& m)
{
    BlurSize b;
    b.x = std::min(std::max(0.0, clampedStagePixels(f.blurX, kMaxBlur)) * axisScale(m.a, m.b), kMaxSurfacePixels);
    b.y = std::min(std::max(0.0, clampedStagePixels(f.blurY, kMaxBlur)) * axisScale(m.c, m.d), kMaxSurfacePixels);
    b.passes = std::min<int>(f.passes, kMaxPasses);
    return b;
}

PixelOffset surfaceOffset(const swf::Filter& f, const Matrix& m)
{
    const double distance = clampedStagePixels(f.distance, kMaxSurfacePixels);
    const double angle = std::isfinite(f.angle) ? f.angle : 0.0;
    const double sx = std::cos(angle) * distance * 20, sy = std::sin(angle) * distance * 20;
    const double dx = std::clamp(m.a * sx + m.c * sy, -kMaxSurfacePixels, kMaxSurfacePixels);
    const double dy = std::clamp(m.b * sx + m.d * sy, -kMaxSurfacePixels, kMaxSurfacePixels);
    return {int(std::lround(std::isfinite(dx) ? dx : 0)), int(std::lround(std::isfinite(dy) ? dy : 0))};
}

}  // namespace render
