// Text layout: static text records into positioned glyphs, and text fields
// (DefineEditText) into lines of embedded glyphs or device-font runs.
#pragma once

#include "Library.h"
#include "TextFormat.h"

#include "render/Renderer.h"
#include "swf/Text.h"

#include <string>
#include <utility>
#include <vector>

namespace flash {

std::vector<render::GlyphInstance> layoutStaticText(const swf::Text& text, Library& library);

struct EditTextRuns {
    std::vector<render::GlyphInstance> glyphs;                  // in the field's space
    std::vector<std::pair<render::DeviceText, swf::Point>> deviceRuns;  // baseline origins
    double textWidth = 0;    // twips, the widest line
    double textHeight = 0;   // twips, top of the first line to the bottom of the last
    int lineCount = 1;
    int maxScroll = 1;       // the first line shown when the text's end shows
    double maxHScroll = 0;   // twips
};

// What a script changed about a field's text: formats over ranges and where it is
// scrolled to (`scroll` 1-based line, `hscroll` twips).
struct FieldView {
    const std::vector<FormatSpan>* spans = nullptr;
    int scroll = 1;
    double hscroll = 0;
    const StyleRules* rules = nullptr;   // a style sheet: the text is HTML
    const TextFormat* base = nullptr;    // the look of new text, under HTML tags and spans
};

// Lays `content` out in the field's bounds (2-pixel gutter, margins, alignment,
// word wrap), each glyph advancing whole twips. HTML fields show their text in the
// styles of its tags.
// Lines from `view.scroll` on show, the first at the top of the box, shifted left by
// `view.hscroll`; lines below the box are left out.
EditTextRuns layoutEditText(const swf::EditText& field, const std::string& content, Library& library,
                            const FieldView& view = {});

// The text of an HTML fragment: tags dropped, <br> and </p> as line breaks, the
// five standard entities decoded.
std::string plainTextOfHtml(const std::string& html);

}  // namespace flash
