#include "TextLayout.h"

#include "HtmlText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>

namespace flash {

namespace {

constexpr swf::Twips kGutter = 40;   // text fields keep 2 pixels free inside their bounds

struct FontMetrics {
    double scale;      // twips per em unit
    double ascent;     // twips
    double descent;
    double leading;
};

FontMetrics metrics(const swf::Font* font, double height)
{
    const double em = font ? font->emSquare() : 1024.0;
    const double scale = height / em;
    if (font && font->hasLayout && (font->ascent > 0 || font->descent > 0))
        return {scale, font->ascent * scale, font->descent * scale, font->leading * scale};
    return {scale, height * 0.9, height * 0.22, 0};
}

}  // namespace

std::vector<render::GlyphInstance> layoutStaticText(const swf::Text& text, Library& library)
{
    std::vector<render::GlyphInstance> glyphs;
    const swf::Font* font = nullptr;
    uint16_t fontId = 0;
    double height = 240;
    swf::Rgba color{0, 0, 0, 255};
    double x = 0, y = 0;
    for (const swf::TextRecord& record : text.records) {
        if (record.fontId) {
            fontId = *record.fontId;
            font = library.movie().find<swf::Font>(fontId);
        }
        if (record.height)
            height = *record.height;
        if (record.color)
            color = *record.color;
        if (record.xOffset)
            x = *record.xOffset;
        if (record.yOffset)
            y = *record.yOffset;
        const double scale = height / (font ? font->emSquare() : 1024.0);
        for (const swf::GlyphEntry& entry : record.glyphs) {
            if (font && entry.index < font->glyphs.size()) {
                const render::ShapeId id = library.glyph(fontId, entry.index);
                if (id != render::kNoId)
                    glyphs.push_back({id, render::Matrix{scale, 0, 0, scale, x, y}, {color.r, color.g, color.b, color.a}});
            }
            x += entry.advance;
        }
    }
    return glyphs;
}

std::string plainTextOfHtml(const std::string& html)
{
    std::string out;
    for (size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            const size_t end = html.find('>', i);
            if (end == std::string::npos)
                break;
            std::string tag = html.substr(i + 1, end - i - 1);
            for (char& c : tag)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (tag.rfind("br", 0) == 0 || tag == "/p" || tag == "/li")
                out += '\n';
            i = end + 1;
            continue;
        }
        if (html[i] == '&') {
            static const std::pair<const char*, char> entities[] = {
                {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&nbsp;", ' '}};
            bool matched = false;
            for (const auto& [name, ch] : entities) {
                const size_t n = std::char_traits<char>::length(name);
                if (html.compare(i, n, name) == 0) {
                    out += ch;
                    i += n;
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        out += html[i++];
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

namespace {

// Script formats over ranges of the text, later ones over earlier ones.
void applySpans(StyledText& text, const std::vector<FormatSpan>& spans, FontChooser& fonts)
{
    constexpr size_t kMaxStyles = 1000;
    for (const FormatSpan& span : spans) {
        std::map<uint16_t, uint16_t> made;   // style before -> style after, for this span
        const size_t end = std::min(span.end, text.codes.size());
        for (size_t i = std::min(span.begin, end); i < end; ++i) {
            const uint16_t before = text.styleOf[i];
            auto it = made.find(before);
            if (it == made.end()) {
                TextStyle st = text.styles[before];
                applyFormat(st, span.format, fonts);
                auto same = std::find(text.styles.begin(), text.styles.end(), st);
                uint16_t index = uint16_t(same - text.styles.begin());
                if (same == text.styles.end()) {
                    if (text.styles.size() >= kMaxStyles)
                        index = before;
                    else
                        text.styles.push_back(st);
                }
                it = made.emplace(before, index).first;
            }
            text.styleOf[i] = it->second;
        }
    }
}

}  // namespace

EditTextRuns layoutEditText(const swf::EditText& field, const std::string& content, Library& library,
                            const FieldView& view)
{
    EditTextRuns runs;
    const swf::EditTextLayout layout = field.layout.value_or(swf::EditTextLayout{});
    TextStyle base;
    base.fontId = field.fontId.value_or(0);
    base.font = field.fontId ? library.movie().find<swf::Font>(base.fontId) : nullptr;
    base.height = field.fontHeight.value_or(240);
    base.color = field.color.value_or(swf::Rgba{0, 0, 0, 255});
    base.bold = base.font && base.font->bold;
    base.italic = base.font && base.font->italic;
    base.align = layout.align == swf::TextAlign::Justify ? swf::TextAlign::Left : layout.align;
    FontChooser fonts(library);
    if (view.base)
        applyFormat(base, *view.base, fonts);
    StyledText text;
    if (field.html || view.rules) {
        // Weight and slant come from the tags alone, whichever font the field names.
        if (!view.base || !view.base->bold)
            base.bold = false;
        if (!view.base || !view.base->italic)
            base.italic = false;
        fonts.choose(base, "");
        text = styledHtml(content, base, fonts, view.rules);
    } else {
        text.append(content, base);
    }
    if (text.styles.empty())
        text.styles.push_back(base);
    if (view.spans)
        applySpans(text, *view.spans, fonts);
    const double left = field.bounds.xMin + kGutter + layout.leftMargin;
    const double right = field.bounds.xMax - kGutter - layout.rightMargin;
    const bool outlines = field.useOutlines &&
        std::any_of(text.styles.begin(), text.styles.end(), [](const TextStyle& st) { return st.font && !st.font->glyphs.empty(); });

    // Per style: its metrics, and for embedded fonts the glyph of each code.
    std::vector<FontMetrics> fm;
    std::map<uint16_t, std::map<uint32_t, uint32_t>> glyphsOfFont;
    for (const TextStyle& st : text.styles) {
        fm.push_back(metrics(st.font, st.height));
        if (outlines && st.font && !glyphsOfFont.count(st.fontId)) {
            auto& map = glyphsOfFont[st.fontId];
            for (uint32_t i = 0; i < st.font->glyphs.size(); ++i)
                map.emplace(st.font->glyphs[i].code, i);
        }
    }
    auto glyphIndex = [&](size_t at) -> std::optional<uint32_t> {
        const TextStyle& st = text.styles[text.styleOf[at]];
        auto font = glyphsOfFont.find(st.fontId);
        if (!st.font || font == glyphsOfFont.end())
            return std::nullopt;
        auto it = font->second.find(text.codes[at]);
        return it == font->second.end() ? std::nullopt : std::optional<uint32_t>(it->second);
    };
    auto glyphAdvance = [&](size_t at) -> double {
        const TextStyle& st = text.styles[text.styleOf[at]];
        const double scale = fm[text.styleOf[at]].scale;
        if (outlines) {
            const std::optional<uint32_t> index = glyphIndex(at);
            if (!index)
                return 0;
            const swf::Glyph& g = st.font->glyphs[*index];
            return st.font->hasLayout ? g.advance * scale : (g.bounds.xMax > 0 ? g.bounds.xMax * scale : st.height * 0.6);
        }
        const uint32_t cp = text.codes[at];
        render::DeviceText probe;
        probe.utf8 = cp < 0x80 ? std::string(1, char(cp)) : std::string("M");
        probe.sizeTwips = st.height;
        probe.fontFamily = st.font ? st.font->name : std::string();
        probe.bold = st.bold;
        probe.italic = st.italic;
        return library.renderer().measureDeviceText(probe);
    };
    const bool singleLine = !field.multiline && !field.wordWrap;
    std::vector<double> advances(text.codes.size());
    for (size_t at = 0; at < text.codes.size(); ++at) {
        if (singleLine && (text.codes[at] == '\n' || text.codes[at] == '\r'))
            text.codes[at] = ' ';
        advances[at] = std::floor(glyphAdvance(at)) + text.styles[text.styleOf[at]].letterSpacing;
    }
    auto advanceOf = [&](size_t at) { return advances[at]; };

    // Break into lines (indices into the text): hard breaks, then word wrap at spaces.
    std::vector<std::vector<size_t>> lines(1);
    std::vector<double> widths(1, 0);
    const bool wrap = field.wordWrap;
    for (size_t at = 0; at < text.codes.size(); ++at) {
        if (text.codes[at] == '\n' || text.codes[at] == '\r') {
            lines.emplace_back();
            widths.push_back(0);
            continue;
        }
        const double w = advanceOf(at);
        if (wrap && widths.back() + w > right - left - layout.indent && !lines.back().empty()) {
            auto& line = lines.back();
            auto space = std::find_if(line.rbegin(), line.rend(), [&](size_t i) { return text.codes[i] == ' '; });
            std::vector<size_t> carry;
            if (space != line.rend()) {
                carry.assign(space.base(), line.end());
                line.erase(space.base() - 1, line.end());
            }
            double lineWidth = 0;
            for (size_t i : line)
                lineWidth += advanceOf(i);
            widths.back() = lineWidth;
            lines.push_back(carry);
            double carryWidth = 0;
            for (size_t i : carry)
                carryWidth += advanceOf(i);
            widths.push_back(carryWidth);
        }
        lines.back().push_back(at);
        widths.back() += w;
    }

    // A line is as tall as its tallest style; an empty one takes the style before it.
    std::vector<double> baselines(lines.size()), tops(lines.size()), bottoms(lines.size());
    double baseline = field.bounds.yMin + kGutter;
    uint16_t lastStyle = text.styleOf.empty() ? 0 : text.styleOf.front();
    double previousDescent = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        double ascent = 0, descent = 0, leading = 0;
        if (lines[n].empty()) {
            ascent = fm[lastStyle].ascent;
            descent = fm[lastStyle].descent;
            leading = fm[lastStyle].leading;
        }
        for (size_t i : lines[n]) {
            const FontMetrics& m = fm[text.styleOf[i]];
            ascent = std::max(ascent, m.ascent);
            descent = std::max(descent, m.descent);
            leading = std::max(leading, m.leading);
            lastStyle = text.styleOf[i];
        }
        tops[n] = baseline + (n == 0 ? 0 : previousDescent);
        baseline = tops[n] + ascent;
        baselines[n] = baseline;
        bottoms[n] = baseline + descent;
        previousDescent = descent + leading + layout.leading;
        runs.textWidth = std::max(runs.textWidth, widths[n] + (n == 0 ? layout.indent : 0));
    }
    runs.lineCount = int(lines.size());
    runs.textHeight = bottoms.back() - tops.front();
    // The last scroll line still showing the end of the text, and how far it slides.
    const double visible = (field.bounds.yMax - field.bounds.yMin) - 2 * kGutter;
    runs.maxScroll = 1;
    while (runs.maxScroll < runs.lineCount && bottoms.back() - tops[size_t(runs.maxScroll - 1)] > visible)
        ++runs.maxScroll;
    runs.maxHScroll = std::max(0.0, runs.textWidth - (right - left));
    const size_t first = size_t(std::clamp(view.scroll, 1, runs.maxScroll) - 1);
    const double shiftY = tops[first] - tops.front();
    const double shiftX = std::clamp(view.hscroll, 0.0, runs.maxHScroll);

    for (size_t n = first; n < lines.size(); ++n) {
        baseline = baselines[n] - shiftY;
        if (n > first && tops[n] - shiftY > field.bounds.yMax)
            break;
        double x = left + (n == 0 ? layout.indent : 0) - shiftX;
        const double free = (right - (x + shiftX)) - widths[n];
        const swf::TextAlign align = lines[n].empty() ? base.align : text.styles[text.styleOf[lines[n].front()]].align;
        if (align == swf::TextAlign::Center)
            x += free / 2;
        else if (align == swf::TextAlign::Right)
            x += free;
        if (outlines) {
            for (size_t i : lines[n]) {
                const TextStyle& st = text.styles[text.styleOf[i]];
                if (const std::optional<uint32_t> index = glyphIndex(i)) {
                    const render::ShapeId id = library.glyph(st.fontId, *index);
                    const double scale = fm[text.styleOf[i]].scale;
                    if (id != render::kNoId)
                        runs.glyphs.push_back({id, render::Matrix{scale, 0, 0, scale, x, baseline},
                                               {st.color.r, st.color.g, st.color.b, st.color.a}});
                }
                x += advanceOf(i);
            }
            continue;
        }
        // Device fonts: one run per stretch of one style.
        for (size_t k = 0; k < lines[n].size();) {
            const uint16_t styleIndex = text.styleOf[lines[n][k]];
            const TextStyle& st = text.styles[styleIndex];
            render::DeviceText run;
            const double start = x;
            for (; k < lines[n].size() && text.styleOf[lines[n][k]] == styleIndex; ++k) {
                appendUtf8(run.utf8, text.codes[lines[n][k]]);
                x += advanceOf(lines[n][k]);
            }
            run.fontFamily = st.font ? st.font->name : std::string();
            run.bold = st.bold;
            run.italic = st.italic;
            run.sizeTwips = st.height;
            run.color = {st.color.r, st.color.g, st.color.b, st.color.a};
            auto twips = [](double v) { return swf::Twips(std::clamp(v, -1e9, 1e9)); };
            runs.deviceRuns.push_back({run, swf::Point{twips(start), twips(baseline)}});
        }
    }
    return runs;
}

}  // namespace flash
