#include "Geometry.h"

#include "DisplayDrawer.h"
#include "MovieClip.h"

#include <algorithm>
#include <cmath>

namespace flash {

bool invert(const render::Matrix& m, render::Matrix& out)
{
    const double det = m.a * m.d - m.b * m.c;
    if (std::fabs(det) < 1e-12)
        return false;
    out = {m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    out.tx = -(out.a * m.tx + out.c * m.ty);
    out.ty = -(out.b * m.tx + out.d * m.ty);
    return true;
}

swf::Rect transformRect(const swf::Rect& r, const render::Matrix& m)
{
    const double xs[] = {double(r.xMin), double(r.xMax)};
    const double ys[] = {double(r.yMin), double(r.yMax)};
    double x0 = 1e18, x1 = -1e18, y0 = 1e18, y1 = -1e18;
    for (double x : xs)
        for (double y : ys) {
            x0 = std::min(x0, m.mapX(x, y));
            x1 = std::max(x1, m.mapX(x, y));
            y0 = std::min(y0, m.mapY(x, y));
            y1 = std::max(y1, m.mapY(x, y));
        }
    auto clampT = [](double v) { return std::isnan(v) ? 0 : swf::Twips(std::clamp(v, -1e9, 1e9)); };
    return {clampT(x0), clampT(x1), clampT(y0), clampT(y1)};
}

render::Matrix worldMatrix(const DisplayObject& object)
{
    render::Matrix m = toRender(object.matrix);
    int guard = 0;
    for (const MovieClip* p = object.parent; p && guard < 256; p = p->parent, ++guard)
        m = toRender(p->matrix) * m;
    return m;
}

}  // namespace flash
