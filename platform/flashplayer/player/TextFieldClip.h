// A text field as scripts see it: a target with the clip properties of its placement
// and the TextField members (text, formats, box look, scrolling). It keeps its own
// copy of the field's settings, which scripts change. Timeline calls do nothing on it.
#pragma once

#include "DisplayObject.h"
#include "Drawing.h"
#include "TextFormat.h"
#include "TextLayout.h"
#include "avm1/Host.h"
#include "avm1/Value.h"

#include "swf/Text.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace flash {

class ClipContext;

// How a text field's box looks: the tag's border flag gives a white background and
// a black border; scripts change each of them.
struct FieldLook {
    bool border = false;
    bool background = false;
    swf::Rgba borderColor{0, 0, 0, 255};
    swf::Rgba backgroundColor{255, 255, 255, 255};
};

// Text longer than this is cut when a script sets it.
inline constexpr size_t kMaxFieldText = 1 << 20;

class TextFieldClip final : public avm1::Clip {
public:
    TextFieldClip(DisplayObject& field, bool caseSensitive, ClipContext* context, const swf::EditText& settings);

    DisplayObject* displayObject() override { return &m_field; }
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
    bool getNamed(const std::string& name, avm1::Value& out) override;
    bool setNamed(const std::string& name, const avm1::Value& value) override;
    bool removeClip() override;
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

    const swf::EditText& settings() const { return m_settings; }
    const FieldLook& look() const { return m_look; }
    FieldView view() const { return {&m_spans, m_scroll, m_hscroll, m_rules ? &*m_rules : nullptr, &m_textBase}; }

    // The TextField methods.
    TextFormat textFormat(double begin, double end) const;
    void setTextFormat(double begin, double end, const TextFormat& format);
    const TextFormat& newTextFormat() const { return m_newFormat; }
    void setNewTextFormat(const TextFormat& format) { m_newFormat.merge(format); }

private:
    std::string plainText() const;
    void setContent(std::string content);
    EditTextRuns measure() const;
    void fitToText();   // autoSize
    void takeRules();
    size_t textLength() const;
    void changed();
    int version() const;

    DisplayObject& m_field;
    ClipContext* m_context;
    std::shared_ptr<avm1::Object> m_variables;
    swf::EditText m_settings;
    FieldLook m_look;
    std::vector<FormatSpan> m_spans;
    TextFormat m_newFormat;
    TextFormat m_textBase;   // the new-text format when the text was set
    mutable std::string m_lengthOf;   // the text m_length counts
    mutable size_t m_length = 0;
    int m_scroll = 1;
    double m_hscroll = 0;   // twips
    std::string m_autoSize = "none";
    avm1::Value m_styleSheet;
    std::optional<StyleRules> m_rules;   // the sheet's rules when the HTML was set
    bool m_selectable = true;
    Drawing m_drawing;
};

// The box look of a field: the script's when one looks at it, else the tag's.
FieldLook fieldLook(const DisplayObject& field, const swf::EditText& edit);
// The settings a field shows with: its script's copy, else its tag; null when neither.
const swf::EditText* fieldSettings(const DisplayObject& field, const swf::Movie& movie);
FieldView fieldView(const DisplayObject& field);

// The script view of an EditText object, made the first time a script asks for it
// (from `settings`, else the field's tag).
TextFieldClip& scriptOf(DisplayObject& field, bool caseSensitive, ClipContext* context,
                        const swf::EditText* settings = nullptr);

}  // namespace flash
