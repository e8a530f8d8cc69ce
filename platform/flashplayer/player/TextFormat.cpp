#include "TextFormat.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

constexpr size_t kMaxSpans = 64;   // each span costs a pass over its range per layout

template <typename T>
void mergeOne(std::optional<T>& into, const std::optional<T>& over)
{
    if (over)
        into = over;
}

template <typename T>
void keepCommon(std::optional<T>& mine, const std::optional<T>& other)
{
    if (mine != other)
        mine.reset();
}

double clampedPixels(double v, double lo, double hi) { return std::isfinite(v) ? std::clamp(v, lo, hi) : 0; }

}  // namespace

void TextFormat::merge(const TextFormat& o)
{
    mergeOne(font, o.font);
    mergeOne(size, o.size);
    mergeOne(color, o.color);
    mergeOne(bold, o.bold);
    mergeOne(italic, o.italic);
    mergeOne(underline, o.underline);
    mergeOne(align, o.align);
    mergeOne(leftMargin, o.leftMargin);
    mergeOne(rightMargin, o.rightMargin);
    mergeOne(indent, o.indent);
    mergeOne(leading, o.leading);
    mergeOne(letterSpacing, o.letterSpacing);
}

void TextFormat::intersect(const TextFormat& o)
{
    keepCommon(font, o.font);
    keepCommon(size, o.size);
    keepCommon(color, o.color);
    keepCommon(bold, o.bold);
    keepCommon(italic, o.italic);
    keepCommon(underline, o.underline);
    keepCommon(align, o.align);
    keepCommon(leftMargin, o.leftMargin);
    keepCommon(rightMargin, o.rightMargin);
    keepCommon(indent, o.indent);
    keepCommon(leading, o.leading);
    keepCommon(letterSpacing, o.letterSpacing);
}

TextFormat formatOf(const TextStyle& style, const swf::EditTextLayout& layout)
{
    TextFormat f;
    f.font = style.font ? style.font->name : std::string("Times New Roman");
    f.size = style.height / 20.0;
    f.color = (uint32_t(style.color.r) << 16) | (uint32_t(style.color.g) << 8) | style.color.b;
    f.bold = style.bold;
    f.italic = style.italic;
    f.underline = style.underline;
    f.align = style.align;
    f.leftMargin = layout.leftMargin / 20.0;
    f.rightMargin = layout.rightMargin / 20.0;
    f.indent = layout.indent / 20.0;
    f.leading = layout.leading / 20.0;
    f.letterSpacing = style.letterSpacing / 20.0;
    return f;
}

void applyFormat(TextStyle& style, const TextFormat& f, FontChooser& fonts)
{
    if (f.size)
        style.height = std::round(clampedPixels(*f.size, 0, kMaxFontPixels) * 20);
    if (f.color)
        style.color = swf::Rgba{uint8_t(*f.color >> 16), uint8_t(*f.color >> 8), uint8_t(*f.color), 255};
    if (f.bold)
        style.bold = *f.bold;
    if (f.italic)
        style.italic = *f.italic;
    if (f.underline)
        style.underline = *f.underline;
    if (f.align)
        style.align = *f.align == swf::TextAlign::Justify ? swf::TextAlign::Left : *f.align;
    if (f.letterSpacing)
        style.letterSpacing = std::round(clampedPixels(*f.letterSpacing, -kMaxMarginPixels, kMaxMarginPixels) * 20);
    if (f.font || f.bold || f.italic)
        fonts.choose(style, f.font.value_or(std::string()));
}

void applyParagraph(swf::EditTextLayout& layout, const TextFormat& f)
{
    auto margin = [](double px) { return uint16_t(std::lround(clampedPixels(px, 0, kMaxMarginPixels) * 20)); };
    if (f.leftMargin)
        layout.leftMargin = margin(*f.leftMargin);
    if (f.rightMargin)
        layout.rightMargin = margin(*f.rightMargin);
    if (f.indent)
        layout.indent = margin(*f.indent);
    if (f.leading)
        layout.leading = int16_t(std::lround(clampedPixels(*f.leading, -360, 1000) * 20));
    if (f.align)
        layout.align = *f.align;
}

void addFormatSpan(std::vector<FormatSpan>& spans, size_t textLength, double begin, double end,
                   const TextFormat& format)
{
    const double n = double(textLength);
    const double b = std::isnan(begin) ? 0 : std::clamp(begin, 0.0, n);
    const double e = std::isnan(end) ? n : std::clamp(end, 0.0, n);
    if (!(b < e))
        return;
    const auto from = size_t(b), to = size_t(e);
    if (!spans.empty() && spans.back().begin == from && spans.back().end == to) {
        spans.back().format.merge(format);
        return;
    }
    // Past the bound the oldest spans go: a script calling it without end keeps the
    // list small.
    if (spans.size() >= kMaxSpans)
        spans.erase(spans.begin());
    spans.push_back({from, to, format});
}

}  // namespace flash
