// The file's records as the renderer's value types.
#pragma once

#include "render/Types.h"
#include "swf/Types.h"

namespace render {

inline Matrix toMatrix(const swf::Matrix& m)
{
    return {m.a, m.b, m.c, m.d, double(m.tx), double(m.ty)};
}

inline ColorTransform toColorTransform(const swf::ColorTransform& cx)
{
    return {cx.rMul / 256.0f, cx.gMul / 256.0f, cx.bMul / 256.0f, cx.aMul / 256.0f,
            float(cx.rAdd),   float(cx.gAdd),   float(cx.bAdd),   float(cx.aAdd)};
}

inline Rgba toRgba(swf::Rgba c)
{
    return {c.r, c.g, c.b, c.a};
}

}  // namespace render
