// The look scripts give a stretch of a text field's text (the TextFormat class):
// each member may be unset, and only set members change a style.
#pragma once

#include "HtmlText.h"

#include "swf/Text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace flash {

struct TextFormat {
    std::optional<std::string> font;
    std::optional<double> size;          // pixels
    std::optional<uint32_t> color;       // 0xRRGGBB
    std::optional<bool> bold, italic, underline;
    std::optional<swf::TextAlign> align;
    std::optional<double> leftMargin, rightMargin, indent, leading, letterSpacing;   // pixels

    // Members set in `over` replace these.
    void merge(const TextFormat& over);
    // Members that differ from `other` become unset (the common look of a range).
    void intersect(const TextFormat& other);
};

// Sizes, margins and spacing are kept within these, whatever a script asks.
inline constexpr double kMaxFontPixels = 1000;
inline constexpr double kMaxMarginPixels = 4000;

// The format of a style, paragraph members from the field's layout.
TextFormat formatOf(const TextStyle& style, const swf::EditTextLayout& layout);
// Applies the set character members of a format to a style.
void applyFormat(TextStyle& style, const TextFormat& format, FontChooser& fonts);
// Applies the set paragraph members (margins, indent, leading) to a field's layout.
void applyParagraph(swf::EditTextLayout& layout, const TextFormat& format);

// A format over characters [begin, end) of a field's text.
struct FormatSpan {
    size_t begin = 0;
    size_t end = 0;
    TextFormat format;
};

// setTextFormat(begin, end): the range clamped into the text; nothing when empty.
void addFormatSpan(std::vector<FormatSpan>& spans, size_t textLength, double begin, double end,
                   const TextFormat& format);

}  // namespace flash
