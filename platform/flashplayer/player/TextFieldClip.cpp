#include "TextFieldClip.h"

#include "MovieClip.h"
#include "StyleSheet.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr swf::Twips kGutter = 40;
constexpr double kMaxBoxTwips = 1e7;   // a field's box stays within this, any side

double scaleX(const swf::Matrix& m) { return std::sqrt(m.a * m.a + m.b * m.b); }
double scaleY(const swf::Matrix& m) { return std::sqrt(m.c * m.c + m.d * m.d); }
double rotation(const swf::Matrix& m) { return std::atan2(m.b, m.a); }

void compose(swf::Matrix& m, double sx, double sy, double r)
{
    const bool flipped = (m.a * m.d - m.b * m.c) < 0;
    m.a = sx * std::cos(r);
    m.b = sx * std::sin(r);
    m.c = -sy * std::sin(r) * (flipped ? -1 : 1);
    m.d = sy * std::cos(r) * (flipped ? -1 : 1);
}

std::string escapedHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '\r':
        case '\n': out += "<br>"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

TextFieldClip::TextFieldClip(DisplayObject& field, bool caseSensitive, ClipContext* context,
                             const swf::EditText& settings)
    : m_field(field),
      m_context(context),
      m_variables(std::make_shared<avm1::Object>(caseSensitive)),
      m_settings(settings)
{
    m_look.border = m_look.background = settings.border;
    m_selectable = !settings.noSelect;
    if (settings.autoSize)
        m_autoSize = "left";
}

int TextFieldClip::version() const { return m_context ? m_context->swfVersion() : 8; }

std::string TextFieldClip::targetPath() const
{
    return m_field.parent ? m_field.parent->targetPath() + "." + m_field.name : m_field.name;
}

avm1::Clip* TextFieldClip::parentClip() { return m_field.parent; }

void TextFieldClip::changed()
{
    if (m_context)
        m_context->invalidate();
}

avm1::Value TextFieldClip::getProperty(avm1::ClipProperty property)
{
    using P = avm1::ClipProperty;
    using V = avm1::Value;
    const swf::Matrix& m = m_field.matrix;
    switch (property) {
    case P::X: return V::fromNumber(m.tx / 20.0);
    case P::Y: return V::fromNumber(m.ty / 20.0);
    case P::XScale: return V::fromNumber(scaleX(m) * 100);
    case P::YScale: return V::fromNumber(scaleY(m) * 100);
    case P::Rotation: return V::fromNumber(rotation(m) * 180 / kPi);
    case P::Visible: return V::fromBool(m_field.visible);
    case P::Name: return V::fromString(m_field.name);
    case P::Alpha: return V::fromNumber(m_field.colorTransform.aMul / 256.0 * 100);
    case P::Width:
    case P::Height: {
        if (!m_context)
            return V::fromNumber(0);
        const swf::Rect r = m_context->boundsInParent(m_field);
        return V::fromNumber((property == P::Width ? r.width() : r.height()) / 20.0);
    }
    case P::Target: return V::fromString(targetPath());
    case P::TotalFrames:
    case P::FramesLoaded:
    case P::CurrentFrame: return V::fromNumber(1);
    default: return {};
    }
}

void TextFieldClip::setProperty(avm1::ClipProperty property, const avm1::Value& value)
{
    using P = avm1::ClipProperty;
    const double number = avm1::toNumber(value, version());
    const bool finite = std::isfinite(number);
    const auto twips = [](double pixels) { return swf::Twips(std::clamp(pixels * 20.0, -1e9, 1e9)); };
    swf::Matrix& m = m_field.matrix;
    switch (property) {
    case P::X: if (finite) m.tx = twips(number); break;
    case P::Y: if (finite) m.ty = twips(number); break;
    case P::XScale: if (finite) compose(m, std::clamp(number, -1e6, 1e6) / 100, scaleY(m), rotation(m)); break;
    case P::YScale: if (finite) compose(m, scaleX(m), std::clamp(number, -1e6, 1e6) / 100, rotation(m)); break;
    case P::Rotation: if (finite) compose(m, scaleX(m), scaleY(m), std::fmod(number, 360.0) * kPi / 180); break;
    case P::Alpha:
        if (finite) {
            m_field.colorTransform.aMul = static_cast<int16_t>(std::clamp(number * 2.56, -32768.0, 32767.0));
            m_field.scriptColored = true;
        }
        break;
    case P::Visible: m_field.visible = avm1::toBoolean(value, version()); break;
    case P::Name: m_field.name = avm1::toString(value, version()); break;
    case P::Width:
    case P::Height: {
        // A field's width and height are its box's: setting them resizes the box and
        // leaves the text's scale alone.
        if (!finite)
            break;
        const double size = std::clamp(number * 20.0, 0.0, kMaxBoxTwips);
        const double s = property == P::Width ? scaleX(m) : scaleY(m);
        const double local = s > 1e-9 ? size / s : size;
        swf::Rect& b = m_settings.bounds;
        if (property == P::Width)
            b.xMax = b.xMin + swf::Twips(std::lround(std::min(local, kMaxBoxTwips)));
        else
            b.yMax = b.yMin + swf::Twips(std::lround(std::min(local, kMaxBoxTwips)));
        break;
    }
    default: return;
    }
    if (property != P::Visible && property != P::Name && property != P::Alpha)
        m_field.scriptMoved = true;
    changed();
}

bool TextFieldClip::removeClip()
{
    // Script-made fields only; the parent drops this object, so nothing may run after.
    MovieClip* parent = m_field.parent;
    if (!parent || m_field.placeFrame >= 0 || m_field.depth < 0)
        return false;
    return parent->removeScriptObject(m_field.depth);
}

std::array<double, 8> TextFieldClip::colorTransformValues() const { return {100, 100, 100, 100, 0, 0, 0, 0}; }

std::string TextFieldClip::plainText() const
{
    return m_settings.html || m_rules ? plainTextOfHtml(m_field.text) : m_field.text;
}

void TextFieldClip::setContent(std::string content)
{
    if (content.size() > kMaxFieldText) {
        content.resize(kMaxFieldText);
        while (!content.empty() && (static_cast<unsigned char>(content.back()) & 0xC0) == 0x80)
            content.pop_back();   // never half a character
        if (!content.empty() && static_cast<unsigned char>(content.back()) >= 0xC0)
            content.pop_back();
    }
    m_field.text = std::move(content);
    // New text takes the new-text format under its HTML, and loses the ranges.
    m_spans.clear();
    m_textBase = m_newFormat;
    applyParagraph(m_settings.layout.emplace(m_settings.layout.value_or(swf::EditTextLayout{})), m_newFormat);
    m_scroll = 1;
    m_hscroll = 0;
    fitToText();
    changed();
}

void TextFieldClip::takeRules()
{
    if (m_styleSheet.type == avm1::Value::Type::Object)
        m_rules = styleRulesOf(*m_styleSheet.object, version());
    else
        m_rules.reset();
}

size_t TextFieldClip::textLength() const
{
    // The shown text changes behind scripts' backs too (variables, the tag's text).
    if (m_lengthOf != m_field.text) {
        m_lengthOf = m_field.text;
        m_length = codePoints(plainText()).size();
    }
    return m_length;
}

EditTextRuns TextFieldClip::measure() const
{
    Library* library = m_context ? m_context->library() : nullptr;
    if (!library)
        return {};
    FieldView whole = view();
    whole.scroll = 1;
    whole.hscroll = 0;
    return layoutEditText(m_settings, m_field.text, *library, whole);
}

void TextFieldClip::fitToText()
{
    if (m_autoSize == "none")
        return;
    const EditTextRuns runs = measure();
    const swf::EditTextLayout layout = m_settings.layout.value_or(swf::EditTextLayout{});
    swf::Rect& b = m_settings.bounds;
    b.yMax = b.yMin + swf::Twips(std::min(kMaxBoxTwips, std::ceil(runs.textHeight) + 2 * kGutter));
    if (m_settings.wordWrap)
        return;
    const auto width = swf::Twips(
        std::min(kMaxBoxTwips, std::ceil(runs.textWidth) + 2 * kGutter + layout.leftMargin + layout.rightMargin));
    if (m_autoSize == "right")
        b.xMin = b.xMax - width;
    else if (m_autoSize == "center")
        b.xMin += (b.xMax - b.xMin - width) / 2, b.xMax = b.xMin + width;
    else
        b.xMax = b.xMin + width;
}

TextFormat TextFieldClip::textFormat(double begin, double end) const
{
    TextStyle base;
    Library* library = m_context ? m_context->library() : nullptr;
    if (library && m_settings.fontId)
        base.font = library->movie().find<swf::Font>(*m_settings.fontId);
    base.height = m_settings.fontHeight.value_or(240);
    base.color = m_settings.color.value_or(swf::Rgba{0, 0, 0, 255});
    const swf::EditTextLayout layout = m_settings.layout.value_or(swf::EditTextLayout{});
    base.align = layout.align == swf::TextAlign::Justify ? swf::TextAlign::Left : layout.align;
    TextFormat whole = formatOf(base, layout);
    whole.merge(m_textBase);
    const size_t length = textLength();
    const double n = double(length);
    const size_t from = size_t(std::isnan(begin) ? 0 : std::clamp(begin, 0.0, n));
    size_t to = size_t(std::isnan(end) ? n : std::clamp(end, 0.0, n));
    if (to <= from)
        to = std::min(length, from + 1);   // an empty range asks for the character there
    // The look of each character: the field's, then the spans over it. Spans change
    // looks only at their ends, so the characters between two ends look alike.
    std::vector<size_t> cuts{from};
    for (const FormatSpan& s : m_spans)
        for (size_t c : {s.begin, s.end})
            if (c > from && c < to)
                cuts.push_back(c);
    std::sort(cuts.begin(), cuts.end());
    std::optional<TextFormat> common;
    for (size_t at : cuts) {
        TextFormat f = whole;
        for (const FormatSpan& s : m_spans)
            if (s.begin <= at && at < s.end)
                f.merge(s.format);
        if (common)
            common->intersect(f);
        else
            common = f;
    }
    return common.value_or(whole);
}

void TextFieldClip::setTextFormat(double begin, double end, const TextFormat& format)
{
    addFormatSpan(m_spans, textLength(), begin, end, format);
    applyParagraph(m_settings.layout.emplace(m_settings.layout.value_or(swf::EditTextLayout{})), format);
    fitToText();
    changed();
}

bool TextFieldClip::getNamed(const std::string& name, avm1::Value& out)
{
    using V = avm1::Value;
    const swf::EditText& s = m_settings;
    auto colour = [](swf::Rgba c) { return V::fromNumber((c.r << 16) | (c.g << 8) | c.b); };
    if (name == "text") out = V::fromString(plainText());
    else if (name == "htmlText") out = V::fromString(s.html ? m_field.text : escapedHtml(m_field.text));
    else if (name == "html") out = V::fromBool(s.html);
    else if (name == "length") out = V::fromNumber(double(textLength()));
    else if (name == "border") out = V::fromBool(m_look.border);
    else if (name == "background") out = V::fromBool(m_look.background);
    else if (name == "borderColor") out = colour(m_look.borderColor);
    else if (name == "backgroundColor") out = colour(m_look.backgroundColor);
    else if (name == "textColor") out = V::fromNumber(double(textFormat(0, 1).color.value_or(0)));
    else if (name == "autoSize") out = V::fromString(m_autoSize);
    else if (name == "wordWrap") out = V::fromBool(s.wordWrap);
    else if (name == "multiline") out = V::fromBool(s.multiline);
    else if (name == "selectable") out = V::fromBool(m_selectable);
    else if (name == "embedFonts") out = V::fromBool(s.useOutlines);
    else if (name == "password") out = V::fromBool(s.password);
    else if (name == "type") out = V::fromString(s.readOnly ? "dynamic" : "input");
    else if (name == "variable") out = s.variableName.empty() ? V::null() : V::fromString(s.variableName);
    else if (name == "maxChars") out = s.maxLength ? V::fromNumber(*s.maxLength) : V::null();
    else if (name == "scroll") out = V::fromNumber(std::min(m_scroll, measure().maxScroll));
    else if (name == "hscroll") out = V::fromNumber(std::round(std::min(m_hscroll, measure().maxHScroll) / 20));
    else if (name == "maxscroll") out = V::fromNumber(measure().maxScroll);
    else if (name == "maxhscroll") out = V::fromNumber(std::round(measure().maxHScroll / 20));
    else if (name == "bottomScroll") out = V::fromNumber(measure().lineCount);
    else if (name == "textWidth") out = V::fromNumber(std::round(measure().textWidth / 20));
    else if (name == "textHeight") out = V::fromNumber(std::round(measure().textHeight / 20));
    else if (name == "styleSheet") out = m_styleSheet;
    else if (name == "_parent") out = m_field.parent ? V::fromClip(m_field.parent) : V{};
    else return false;
    return true;
}

bool TextFieldClip::setNamed(const std::string& name, const avm1::Value& value)
{
    const int v = version();
    swf::EditText& s = m_settings;
    auto flag = [&](bool& target) {
        target = avm1::toBoolean(value, v);
        fitToText();
        changed();
    };
    auto colour = [&](swf::Rgba& target) {
        const double n = avm1::toNumber(value, v);
        if (std::isfinite(n)) {
            const auto rgb = uint32_t(avm1::toInt32(n)) & 0xFFFFFF;
            target = swf::Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
        }
        changed();
    };
    if (name == "text") {
        const std::string text = avm1::toString(value, v);
        setContent(s.html ? escapedHtml(text) : text);
    } else if (name == "htmlText") {
        takeRules();
        setContent(avm1::toString(value, v));
    } else if (name == "styleSheet") {
        m_styleSheet = value.type == avm1::Value::Type::Object ? value : avm1::Value::undefined();
        takeRules();
        fitToText();
        changed();
    } else if (name == "html") flag(s.html);
    else if (name == "border") flag(m_look.border);
    else if (name == "background") flag(m_look.background);
    else if (name == "borderColor") colour(m_look.borderColor);
    else if (name == "backgroundColor") colour(m_look.backgroundColor);
    else if (name == "wordWrap") flag(s.wordWrap);
    else if (name == "multiline") flag(s.multiline);
    else if (name == "embedFonts") flag(s.useOutlines);
    else if (name == "password") flag(s.password);
    else if (name == "selectable") flag(m_selectable);
    else if (name == "textColor") {
        const double n = avm1::toNumber(value, v);
        TextFormat f;
        f.color = std::isfinite(n) ? uint32_t(avm1::toInt32(n)) & 0xFFFFFF : 0;
        m_newFormat.merge(f);
        setTextFormat(NAN, NAN, f);
    } else if (name == "autoSize") {
        std::string mode = value.type == avm1::Value::Type::Bool ? (value.boolean ? "left" : "none")
                                                                 : avm1::toString(value, v);
        if (mode != "left" && mode != "right" && mode != "center")
            mode = "none";
        m_autoSize = mode;
        fitToText();
        changed();
    } else if (name == "type") {
        s.readOnly = avm1::toString(value, v) != "input";
    } else if (name == "variable") {
        s.variableName = value.isNullish() ? std::string() : avm1::toString(value, v).substr(0, 1024);
    } else if (name == "scroll" || name == "hscroll") {
        const double n = avm1::toNumber(value, v);
        if (std::isfinite(n)) {
            if (name == "scroll")
                m_scroll = int(std::clamp(n, 1.0, double(measure().maxScroll)));
            else
                m_hscroll = std::clamp(n * 20, 0.0, measure().maxHScroll);
            changed();
        }
    } else if (name == "length" || name == "textWidth" || name == "textHeight" || name == "maxscroll" ||
               name == "maxhscroll" || name == "bottomScroll") {
        // read-only
    } else {
        return false;
    }
    return true;
}

FieldLook fieldLook(const DisplayObject& field, const swf::EditText& edit)
{
    if (const auto* script = static_cast<const TextFieldClip*>(field.script.get()))
        return script->look();
    FieldLook look;
    look.border = look.background = edit.border;
    return look;
}

const swf::EditText* fieldSettings(const DisplayObject& field, const swf::Movie& movie)
{
    if (const auto* script = static_cast<const TextFieldClip*>(field.script.get()))
        return &script->settings();
    return movie.find<swf::EditText>(field.characterId());
}

FieldView fieldView(const DisplayObject& field)
{
    if (const auto* script = static_cast<const TextFieldClip*>(field.script.get()))
        return script->view();
    return {};
}

TextFieldClip& scriptOf(DisplayObject& field, bool caseSensitive, ClipContext* context, const swf::EditText* settings)
{
    if (!field.script) {
        swf::EditText copy;
        if (settings)
            copy = *settings;
        else if (Library* library = context ? context->library() : nullptr)
            if (const auto* edit = library->movie().find<swf::EditText>(field.characterId()))
                copy = *edit;
        field.script = std::make_shared<TextFieldClip>(field, caseSensitive, context, copy);
    }
    return static_cast<TextFieldClip&>(*field.script);
}

}  // namespace flash
