// Small helpers of the data model.
#include "swf/Movie.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {

std::int16_t clamp16(long v) { return static_cast<std::int16_t>(std::clamp<long>(v, INT16_MIN, INT16_MAX)); }

} // namespace

ColorTransform concat(const ColorTransform& outer, const ColorTransform& inner)
{
    ColorTransform r;
    r.rMul = clamp16(long(inner.rMul) * outer.rMul / 256);
    r.gMul = clamp16(long(inner.gMul) * outer.gMul / 256);
    r.bMul = clamp16(long(inner.bMul) * outer.bMul / 256);
    r.aMul = clamp16(long(inner.aMul) * outer.aMul / 256);
    r.rAdd = clamp16(long(inner.rAdd) * outer.rMul / 256 + outer.rAdd);
    r.gAdd = clamp16(long(inner.gAdd) * outer.gMul / 256 + outer.gAdd);
    r.bAdd = clamp16(long(inner.bAdd) * outer.bMul / 256 + outer.bAdd);
    r.aAdd = clamp16(long(inner.aAdd) * outer.aMul / 256 + outer.aAdd);
    return r;
}

Matrix concat(const Matrix& o, const Matrix& i)
{
    Matrix r;
    r.a = o.a * i.a + o.c * i.b;
    r.b = o.b * i.a + o.d * i.b;
    r.c = o.a * i.c + o.c * i.d;
    r.d = o.b * i.c + o.d * i.d;
    r.tx = static_cast<Twips>(std::lround(o.a * i.tx + o.c * i.ty + o.tx));
    r.ty = static_cast<Twips>(std::lround(o.b * i.tx + o.d * i.ty + o.ty));
    return r;
}

std::uint8_t FillStyle::typeCode() const
{
    switch (kind) {
    case FillKind::Solid: return 0x00;
    case FillKind::LinearGradient: return 0x10;
    case FillKind::RadialGradient: return 0x12;
    case FillKind::FocalGradient: return 0x13;
    case FillKind::Bitmap: return std::uint8_t(0x40 | (repeating ? 0 : 1) | (smoothed ? 0 : 2));
    }
    return 0x00;
}

std::uint16_t characterId(const Character& c)
{
    return std::visit([](const auto& ch) { return ch.id; }, c);
}

Rgba Movie::backgroundColor() const
{
    for (const Frame& f : timeline.frames)
        for (const ControlTag& t : f.tags)
            if (auto* bg = std::get_if<SetBackgroundColor>(&t))
                return bg->color;
    return Rgba{255, 255, 255, 255};
}

const Character* Movie::character(std::uint16_t id) const
{
    auto it = dictionary.find(id);
    return it == dictionary.end() ? nullptr : &it->second;
}

Result<DecodedBitmap> Movie::decodeBitmap(std::uint16_t id, const Limits& limits) const
{
    const Bitmap* b = find<Bitmap>(id);
    if (!b)
        return makeError(ErrorCode::Malformed, "no bitmap character " + std::to_string(id));
    return swf::decodeBitmap(*b, jpegTables, limits);
}

} // namespace swf
