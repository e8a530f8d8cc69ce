// The clip properties scripts read and write (_x, _alpha, _rotation, ...).
#include "MovieClip.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

constexpr double kPi = 3.14159265358979323846;

double scaleX(const swf::Matrix& m) { return std::sqrt(m.a * m.a + m.b * m.b); }
double scaleY(const swf::Matrix& m) { return std::sqrt(m.c * m.c + m.d * m.d); }
double rotation(const swf::Matrix& m) { return std::atan2(m.b, m.a); }

// Rebuilds the linear part from scales and a rotation (radians), as the
// authoring tool's property panel does.
void compose(swf::Matrix& m, double sx, double sy, double r)
{
    const bool flipped = (m.a * m.d - m.b * m.c) < 0;
    m.a = sx * std::cos(r);
    m.b = sx * std::sin(r);
    m.c = -sy * std::sin(r) * (flipped ? -1 : 1);
    m.d = sy * std::cos(r) * (flipped ? -1 : 1);
}

swf::Twips toTwipsClamped(double pixels)
{
    if (std::isnan(pixels))
        return 0;
    return static_cast<swf::Twips>(std::clamp(pixels * 20.0, -1e9, 1e9));
}

std::string slashPath(const MovieClip& clip)
{
    if (!clip.parent)
        return "/";
    const std::string up = slashPath(*clip.parent);
    return (up == "/" ? "/" : up + "/") + clip.name;
}

}  // namespace

avm1::Value MovieClip::getProperty(avm1::ClipProperty property)
{
    using P = avm1::ClipProperty;
    using V = avm1::Value;
    switch (property) {
    case P::X: return V::fromNumber(matrix.tx / 20.0);
    case P::Y: return V::fromNumber(matrix.ty / 20.0);
    case P::XScale: return V::fromNumber(scaleX(matrix) * 100);
    case P::YScale: return V::fromNumber(scaleY(matrix) * 100);
    case P::CurrentFrame: return V::fromNumber(currentFrame() + 1);
    case P::TotalFrames: return V::fromNumber(totalFrames());
    case P::FramesLoaded: return V::fromNumber(framesLoaded());
    case P::Alpha: return V::fromNumber(colorTransform.aMul / 256.0 * 100);
    case P::Visible: return V::fromBool(visible);
    case P::Width: {
        const swf::Rect r = m_context.boundsInParent(*this);
        return V::fromNumber(r.width() / 20.0);
    }
    case P::Height: {
        const swf::Rect r = m_context.boundsInParent(*this);
        return V::fromNumber(r.height() / 20.0);
    }
    case P::Rotation: return V::fromNumber(rotation(matrix) * 180 / kPi);
    case P::Target: return V::fromString(slashPath(*this));
    case P::Name: return V::fromString(name);
    case P::DropTarget: return V::fromString("");
    case P::Url: return V::fromString("");
    case P::HighQuality: return V::fromNumber(1);
    case P::FocusRect: return V::fromBool(true);
    case P::SoundBufTime: return V::fromNumber(5);
    case P::Quality: return V::fromString("HIGH");
    case P::XMouse: return V::fromNumber(m_context.mouseIn(*this).x / 20.0);
    case P::YMouse: return V::fromNumber(m_context.mouseIn(*this).y / 20.0);
    case P::Count: break;
    }
    return {};
}

void MovieClip::setProperty(avm1::ClipProperty property, const avm1::Value& value)
{
    using P = avm1::ClipProperty;
    const double n = avm1::toNumber(value, m_context.swfVersion());
    const bool number = std::isfinite(n);
    switch (property) {
    case P::X: if (number) { matrix.tx = toTwipsClamped(n); scriptMoved = true; } break;
    case P::Y: if (number) { matrix.ty = toTwipsClamped(n); scriptMoved = true; } break;
    case P::XScale:
        if (number) { compose(matrix, n / 100, scaleY(matrix), rotation(matrix)); scriptMoved = true; }
        break;
    case P::YScale:
        if (number) { compose(matrix, scaleX(matrix), n / 100, rotation(matrix)); scriptMoved = true; }
        break;
    case P::Rotation:
        if (number) { compose(matrix, scaleX(matrix), scaleY(matrix), std::fmod(n, 360.0) * kPi / 180); scriptMoved = true; }
        break;
    case P::Alpha:
        if (number) {
            colorTransform.aMul = static_cast<int16_t>(std::clamp(n * 2.56, -32768.0, 32767.0));
            scriptColored = true;
        }
        break;
    case P::Visible: visible = avm1::toBoolean(value, m_context.swfVersion()); break;
    case P::Name: name = avm1::toString(value, m_context.swfVersion()); break;
    case P::Width:
    case P::Height: {
        if (!number)
            break;
        const swf::Rect r = m_context.boundsInParent(*this);
        const double current = (property == P::Width ? r.width() : r.height()) / 20.0;
        if (current <= 0)
            break;
        const double factor = n / current;
        if (property == P::Width)
            compose(matrix, scaleX(matrix) * factor, scaleY(matrix), rotation(matrix));
        else
            compose(matrix, scaleX(matrix), scaleY(matrix) * factor, rotation(matrix));
        scriptMoved = true;
        break;
    }
    default: break;
    }
    m_context.invalidate();
}

std::array<double, 8> MovieClip::colorTransformValues() const
{
    const swf::ColorTransform& c = colorTransform;
    return {c.rMul / 2.56, c.gMul / 2.56, c.bMul / 2.56, c.aMul / 2.56,
            double(c.rAdd), double(c.gAdd), double(c.bAdd), double(c.aAdd)};
}

void MovieClip::setColorTransformValues(const std::array<double, 8>& v)
{
    // Out-of-range values wrap around the 16 bits they are kept in.
    auto fixed = [](double x, double scale) { return static_cast<int16_t>(avm1::toInt32(x * scale)); };
    colorTransform = {fixed(v[0], 2.56), fixed(v[1], 2.56), fixed(v[2], 2.56), fixed(v[3], 2.56),
                      fixed(v[4], 1), fixed(v[5], 1), fixed(v[6], 1), fixed(v[7], 1)};
    scriptColored = true;
    m_context.invalidate();
}

}  // namespace flash
