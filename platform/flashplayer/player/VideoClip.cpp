#include "VideoClip.h"

#include "MovieClip.h"
#include "VideoObject.h"

#include <algorithm>
#include <cmath>

namespace flash {

VideoClip::VideoClip(VideoObject& video, ClipContext& context, bool caseSensitive)
    : m_video(video), m_context(context), m_variables(std::make_shared<avm1::Object>(caseSensitive))
{
}

DisplayObject* VideoClip::displayObject() { return &m_video; }

std::string VideoClip::targetPath() const
{
    return m_video.parent ? m_video.parent->targetPath() + "." + m_video.name : m_video.name;
}

avm1::Clip* VideoClip::parentClip() { return m_video.parent; }

avm1::Value VideoClip::getProperty(avm1::ClipProperty property)
{
    using P = avm1::ClipProperty;
    using V = avm1::Value;
    switch (property) {
    case P::X: return V::fromNumber(m_video.matrix.tx / 20.0);
    case P::Y: return V::fromNumber(m_video.matrix.ty / 20.0);
    case P::Width: return V::fromNumber(m_context.boundsInParent(m_video).width() / 20.0);
    case P::Height: return V::fromNumber(m_context.boundsInParent(m_video).height() / 20.0);
    case P::Visible: return V::fromBool(m_video.visible);
    case P::Name: return V::fromString(m_video.name);
    case P::Target: return V::fromString(targetPath());
    default: return {};
    }
}

void VideoClip::setProperty(avm1::ClipProperty property, const avm1::Value& value)
{
    using P = avm1::ClipProperty;
    const double number = avm1::toNumber(value, 7);
    const auto twips = [](double pixels) { return swf::Twips(std::clamp(pixels * 20.0, -1e9, 1e9)); };
    switch (property) {
    case P::X:
    case P::Y:
        if (std::isfinite(number)) {
            (property == P::X ? m_video.matrix.tx : m_video.matrix.ty) = twips(number);
            m_video.scriptMoved = true;
            m_context.invalidate();
        }
        break;
    case P::Visible:
        m_video.visible = avm1::toBoolean(value, 7);
        m_context.invalidate();
        break;
    default: break;
    }
}

VideoClip& scriptOf(VideoObject& video, ClipContext& context, bool caseSensitive)
{
    if (!video.script)
        video.script = std::make_shared<VideoClip>(video, context, caseSensitive);
    return static_cast<VideoClip&>(*video.script);
}

}  // namespace flash
