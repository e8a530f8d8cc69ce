#include "TextFieldClip.h"

#include "MovieClip.h"

#include <algorithm>
#include <cmath>

namespace flash {

std::string TextFieldClip::targetPath() const
{
    return m_field.parent ? m_field.parent->targetPath() + "." + m_field.name : m_field.name;
}

avm1::Clip* TextFieldClip::parentClip() { return m_field.parent; }

avm1::Value TextFieldClip::getProperty(avm1::ClipProperty property)
{
    using P = avm1::ClipProperty;
    using V = avm1::Value;
    switch (property) {
    case P::X: return V::fromNumber(m_field.matrix.tx / 20.0);
    case P::Y: return V::fromNumber(m_field.matrix.ty / 20.0);
    case P::Visible: return V::fromBool(m_field.visible);
    case P::Name: return V::fromString(m_field.name);
    case P::Alpha: return V::fromNumber(m_field.colorTransform.aMul / 256.0 * 100);
    default: return {};
    }
}

void TextFieldClip::setProperty(avm1::ClipProperty property, const avm1::Value& value)
{
    using P = avm1::ClipProperty;
    const double number = avm1::toNumber(value, 7);
    const auto twips = [](double pixels) { return swf::Twips(std::clamp(pixels * 20.0, -1e9, 1e9)); };
    switch (property) {
    case P::X:
        if (std::isfinite(number)) {
            m_field.matrix.tx = twips(number);
            m_field.scriptMoved = true;
        }
        break;
    case P::Y:
        if (std::isfinite(number)) {
            m_field.matrix.ty = twips(number);
            m_field.scriptMoved = true;
        }
        break;
    case P::Visible: m_field.visible = avm1::toBoolean(value, 7); break;
    default: break;
    }
}

std::array<double, 8> TextFieldClip::colorTransformValues() const { return {100, 100, 100, 100, 0, 0, 0, 0}; }

FieldLook fieldLook(const DisplayObject& field, const swf::EditText& edit, int swfVersion)
{
    FieldLook look;
    look.border = look.background = edit.border;
    const auto* script = static_cast<const TextFieldClip*>(field.script.get());
    if (!script)
        return look;
    const avm1::Object& vars = script->values();
    auto flag = [&](const char* name, bool& out) {
        if (vars.has(name))
            out = avm1::toBoolean(vars.get(name), swfVersion);
    };
    auto colour = [&](const char* name, swf::Rgba& out) {
        if (!vars.has(name))
            return;
        const double v = avm1::toNumber(vars.get(name), swfVersion);
        if (!std::isfinite(v))
            return;
        const auto rgb = uint32_t(int64_t(v) & 0xFFFFFF);
        out = swf::Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
    };
    flag("border", look.border);
    flag("background", look.background);
    colour("borderColor", look.borderColor);
    colour("backgroundColor", look.backgroundColor);
    return look;
}

TextFieldClip& scriptOf(DisplayObject& field, bool caseSensitive)
{
    if (!field.script)
        field.script = std::make_shared<TextFieldClip>(field, caseSensitive);
    return static_cast<TextFieldClip&>(*field.script);
}

}  // namespace flash
