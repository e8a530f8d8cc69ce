// The clip properties scripts read and write (_x, _alpha, _rotation, ...).
#include "MovieClip.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool sameLinear(const swf::Matrix& a, const swf::Matrix& b)
{
    return a.a == b.a && a.b == b.b && a.c == b.c && a.d == b.d;
}

// The scales and axis rotations (radians) of the object: as a script last set them
// while the matrix is still the one they made, else read from the matrix.
DisplayObject::Scales scalesOf(const DisplayObject& o)
{
    if (o.scaleCache && sameLinear(o.scaleCache->forMatrix, o.matrix))
        return *o.scaleCache;
    const swf::Matrix& m = o.matrix;
    DisplayObject::Scales s;
    s.x = std::sqrt(m.a * m.a + m.b * m.b);
    s.y = std::sqrt(m.c * m.c + m.d * m.d);
    s.rotationX = std::atan2(m.b, m.a);
    s.rotationY = std::atan2(-m.c, m.d);
    return s;
}

// Rebuilds the linear part from scales and axis rotations and remembers them.
void compose(DisplayObject& o, DisplayObject::Scales s)
{
    swf::Matrix& m = o.matrix;
    m.a = s.x * std::cos(s.rotationX);
    m.b = s.x * std::sin(s.rotationX);
    m.c = -s.y * std::sin(s.rotationY);
    m.d = s.y * std::cos(s.rotationY);
    s.forMatrix = m;
    o.scaleCache = s;
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
    case P::XScale: return V::fromNumber(scalesOf(*this).x * 100);
    case P::YScale: return V::fromNumber(scalesOf(*this).y * 100);
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
    case P::Rotation: return V::fromNumber(scalesOf(*this).rotationX * 180 / kPi);
    case P::Target: return V::fromString(slashPath(*this));
    case P::Name: return V::fromString(name);
    case P::DropTarget: return V::fromString("");
    case P::Url: return V::fromString("");
    case P::HighQuality: {
        const std::string q = m_context.qualityName();
        return V::fromNumber(q == "LOW" ? 0 : q == "BEST" ? 2 : 1);
    }
    case P::FocusRect: {
        const V own = m_variables->get("__focusrect");
        return own.type == V::Type::Bool ? own : V::fromBool(true);
    }
    case P::SoundBufTime: return V::fromNumber(5);
    case P::Quality: return V::fromString(m_context.qualityName());
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
        if (number) {
            DisplayObject::Scales s = scalesOf(*this);
            s.x = n / 100;
            compose(*this, s);
            scriptMoved = true;
        }
        break;
    case P::YScale:
        if (number) {
            DisplayObject::Scales s = scalesOf(*this);
            s.y = n / 100;
            compose(*this, s);
            scriptMoved = true;
        }
        break;
    case P::Rotation:
        if (number) {
            DisplayObject::Scales s = scalesOf(*this);
            double r = std::fmod(n, 360.0);
            if (r > 180)
                r -= 360;
            else if (r < -180)
                r += 360;
            const double turn = r * kPi / 180 - s.rotationX;
            s.rotationX += turn;
            s.rotationY += turn;
            compose(*this, s);
            scriptMoved = true;
        }
        break;
    case P::Alpha:
        if (number) {
            colorTransform.aMul = static_cast<int16_t>(std::clamp(n * 2.56, -32768.0, 32767.0));
            scriptColored = true;
        }
        break;
    case P::Visible: visible = avm1::toBoolean(value, m_context.swfVersion()); break;
    case P::Quality: m_context.setQualityName(avm1::toString(value, m_context.swfVersion())); break;
    case P::HighQuality:
        if (number)
            m_context.setQualityName(n <= 0 ? "LOW" : n >= 2 ? "BEST" : "HIGH");
        break;
    case P::FocusRect:
        // null or undefined: back to the movie's setting.
        if (value.isNullish())
            m_variables->remove("__focusrect");
        else
            m_variables->set("__focusrect", avm1::Value::fromBool(avm1::toBoolean(value, m_context.swfVersion())));
        break;
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
        DisplayObject::Scales s = scalesOf(*this);
        if (property == P::Width)
            s.x *= factor;
        else
            s.y *= factor;
        compose(*this, s);
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
