// A text field as scripts see it: a target with the clip properties of its placement
// that keeps what scripts set on it (border, background and their colours) for
// drawing. Timeline calls do nothing on it.
#pragma once

#include "DisplayObject.h"
#include "Drawing.h"
#include "avm1/Host.h"
#include "avm1/Value.h"

#include "swf/Text.h"

#include <memory>

namespace flash {

class TextFieldClip final : public avm1::Clip {
public:
    TextFieldClip(DisplayObject& field, bool caseSensitive)
        : m_field(field), m_variables(std::make_shared<avm1::Object>(caseSensitive)) {}

    std::string targetPath() const override;
    avm1::Clip* parentClip() override;
    avm1::Clip* childClip(std::string_view) override { return nullptr; }
    avm1::Object& variables() override { return *m_variables; }
    const avm1::Object& values() const { return *m_variables; }

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
    std::array<double, 8> colorTransformValues() const override;
    void setColorTransformValues(const std::array<double, 8>&) override {}

    // A text field holds no script drawing, children or masks; what scripts draw into
    // it is kept but never shown.
    Drawing& drawing() override { return m_drawing; }
    avm1::Clip* createEmptyClip(const std::string&, int) override { return nullptr; }
    int nextHighestDepth() const override { return 0; }
    bool setMask(avm1::Clip*) override { return false; }
    std::array<double, 4> boundsIn(avm1::Clip*) override { return {0, 0, 0, 0}; }
    bool hitTestPoint(double, double, bool) override { return false; }

private:
    DisplayObject& m_field;
    std::shared_ptr<avm1::Object> m_variables;
    Drawing m_drawing;
};

// How a text field's box looks: the tag's border flag gives a white background and
// a black border; scripts change each of them.
struct FieldLook {
    bool border = false;
    bool background = false;
    swf::Rgba borderColor{0, 0, 0, 255};
    swf::Rgba backgroundColor{255, 255, 255, 255};
};
FieldLook fieldLook(const DisplayObject& field, const swf::EditText& edit, int swfVersion);

// The script view of an EditText object, made the first time a script asks for it.
TextFieldClip& scriptOf(DisplayObject& field, bool caseSensitive);

}  // namespace flash
