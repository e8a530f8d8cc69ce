// Text layout: static text records into positioned glyphs, and text fields
// (DefineEditText) into lines of embedded glyphs or device-font runs.
#pragma once

#include "Library.h"

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
};

// Lays `content` out in the field's bounds (2-pixel gutter, margins, alignment,
// word wrap), each glyph advancing whole twips. HTML fields show their text in the
// styles of its tags.
EditTextRuns layoutEditText(const swf::EditText& field, const std::string& content, Library& library);

// The text of an HTML fragment: tags dropped, <br> and </p> as line breaks, the
// five standard entities decoded.
std::string plainTextOfHtml(const std::string& html);

}  // namespace flash
