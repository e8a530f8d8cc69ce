// A Video object as scripts see it: a target with the placement's position, size and
// visibility, to which a NetStream is attached (attachVideo) and which clear() empties.
// Timeline calls do nothing on it.
#pragma once

#include "DisplayObject.h"
#include "Drawing.h"
#include "avm1/Host.h"
#include "avm1/Value.h"

#include <memory>

namespace flash {

class ClipContext;
class VideoObject;

class VideoClip final : public avm1::Clip {
public:
    VideoClip(VideoObject& video, ClipContext& context, bool caseSensitive);

    VideoObject& video() { return m_video; }

    DisplayObject* displayObject() override;
    std::string targetPath() const override;
    avm1::Clip* parentClip() override;
    avm1::Clip* childClip(std::string_view) override { return nullptr; }
    avm1::Object& variables() override { return *m_variables; }

    bool isPlaying() const override { return false; }
    void play() override {}
    void stop() override {}
    void nextFrame() override {}
    void prevFrame() override {}
    void gotoFrame(int, bool) override {}
    bool gotoLabel(std::string_view, bool) override { return false; }
    int currentFrame() const override { return 0; }
    int totalFrames() const override { return 1; }
    int framesLoaded() const override { return 1; }
    int frameOfLabel(std::string_view) const override { return -1; }

    avm1::Value getProperty(avm1::ClipProperty property) override;
    void setProperty(avm1::ClipProperty property, const avm1::Value& value) override;
    bool removeClip() override { return false; }
    std::array<double, 8> colorTransformValues() const override { return {100, 100, 100, 100, 0, 0, 0, 0}; }
    void setColorTransformValues(const std::array<double, 8>&) override {}

    Drawing& drawing() override { return m_drawing; }   // kept, never shown
    avm1::Clip* createEmptyClip(const std::string&, int) override { return nullptr; }
    int nextHighestDepth() const override { return 0; }
    bool setMask(avm1::Clip*) override { return false; }
    std::array<double, 4> boundsIn(avm1::Clip*) override { return {0, 0, 0, 0}; }
    bool hitTestPoint(double, double, bool) override { return false; }

private:
    VideoObject& m_video;
    ClipContext& m_context;
    std::shared_ptr<avm1::Object> m_variables;
    Drawing m_drawing;
};

// The script view of a Video object, made the first time a script asks for it.
VideoClip& scriptOf(VideoObject& video, ClipContext& context, bool caseSensitive);

}  // namespace flash
