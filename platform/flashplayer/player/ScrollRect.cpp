#include "ScrollRect.h"

#include "MovieClip.h"

#include <cmath>

namespace flash {

std::optional<swf::Rect> scrollRectOf(const MovieClip& clip)
{
    avm1::Object& vars = const_cast<MovieClip&>(clip).variables();
    if (!vars.hasOwn("scrollRect"))
        return std::nullopt;
    const avm1::Value r = vars.get("scrollRect");
    if (r.type != avm1::Value::Type::Object)
        return std::nullopt;
    double v[4];
    const char* const keys[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        v[i] = avm1::toNumber(r.object->get(keys[i]), 10);
        if (!std::isfinite(v[i]) || std::fabs(v[i]) > 1e6)   // pixels; beyond this nothing fits the stage
            return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return std::nullopt;
    auto tw = [](double px) { return swf::Twips(std::lround(px * 20)); };
    return swf::Rect{tw(v[0]), tw(v[0] + v[2]), tw(v[1]), tw(v[1] + v[3])};
}

}  // namespace flash
