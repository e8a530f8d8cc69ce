#include "TextLayout.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace flash {

namespace {

constexpr swf::Twips kGutter = 40;   // text fields keep 2 pixels free inside their bounds

// UTF-8 to code points; invalid bytes pass as Latin-1, which is what SWF 5 and older
// files hold anyway.
std::vector<uint32_t> codePoints(const std::string& s)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
        bool valid = i + extra < s.size() + 0 || extra == 0;
        for (int k = 1; valid && k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        if (!valid) {
            out.push_back(c);
            ++i;
        } else {
            out.push_back(cp);
            i += extra + 1;
        }
    }
    return out;
}

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

EditTextRuns layoutEditText(const swf::EditText& field, const std::string& content, Library& library)
{
    EditTextRuns runs;
    const std::string text = field.html ? plainTextOfHtml(content) : content;
    const uint16_t fontId = field.fontId.value_or(0);
    const swf::Font* font = field.fontId ? library.movie().find<swf::Font>(fontId) : nullptr;
    const double height = field.fontHeight.value_or(240);
    const swf::Rgba color = field.color.value_or(swf::Rgba{0, 0, 0, 255});
    const swf::EditTextLayout layout = field.layout.value_or(swf::EditTextLayout{});
    const FontMetrics fm = metrics(font, height);
    const double left = field.bounds.xMin + kGutter + layout.leftMargin;
    const double right = field.bounds.xMax - kGutter - layout.rightMargin;
    const bool outlines = field.useOutlines && font && !font->glyphs.empty();

    std::map<uint32_t, uint32_t> glyphOfCode;
    if (outlines)
        for (uint32_t i = 0; i < font->glyphs.size(); ++i)
            glyphOfCode.emplace(font->glyphs[i].code, i);

    auto advanceOf = [&](uint32_t cp) -> double {
        if (outlines) {
            auto it = glyphOfCode.find(cp);
            if (it == glyphOfCode.end())
                return 0;
            const swf::Glyph& g = font->glyphs[it->second];
            return font->hasLayout ? g.advance * fm.scale : (g.bounds.xMax > 0 ? g.bounds.xMax * fm.scale : height * 0.6);
        }
        render::DeviceText probe;
        probe.utf8 = cp < 0x80 ? std::string(1, char(cp)) : std::string("M");
        probe.sizeTwips = height;
        probe.fontFamily = font ? font->name : std::string();
        return library.renderer().measureDeviceText(probe);
    };

    // Break into lines: hard breaks, then word wrap at spaces.
    std::vector<std::vector<uint32_t>> lines(1);
    std::vector<double> widths(1, 0);
    const bool wrap = field.wordWrap;
    for (uint32_t cp : codePoints(text)) {
        if (cp == '\n' || cp == '\r') {
            if (!field.multiline && !wrap)
                cp = ' ';
            else {
                lines.emplace_back();
                widths.push_back(0);
                continue;
            }
        }
        const double w = advanceOf(cp);
        if (wrap && widths.back() + w > right - left - layout.indent && !lines.back().empty()) {
            auto& line = lines.back();
            auto space = std::find(line.rbegin(), line.rend(), uint32_t(' '));
            std::vector<uint32_t> carry;
            if (space != line.rend()) {
                carry.assign(space.base(), line.end());
                line.erase(space.base() - 1, line.end());
            }
            double lineWidth = 0;
            for (uint32_t c : line)
                lineWidth += advanceOf(c);
            widths.back() = lineWidth;
            lines.push_back(carry);
            double carryWidth = 0;
            for (uint32_t c : carry)
                carryWidth += advanceOf(c);
            widths.push_back(carryWidth);
        }
        lines.back().push_back(cp);
        widths.back() += w;
    }

    double baseline = field.bounds.yMin + kGutter + fm.ascent;
    const double lineStep = fm.ascent + fm.descent + fm.leading + layout.leading;
    for (size_t n = 0; n < lines.size(); ++n) {
        double x = left + (n == 0 ? layout.indent : 0);
        const double free = (right - x) - widths[n];
        if (layout.align == swf::TextAlign::Center)
            x += free / 2;
        else if (layout.align == swf::TextAlign::Right)
            x += free;
        if (outlines) {
            for (uint32_t cp : lines[n]) {
                auto it = glyphOfCode.find(cp);
                if (it != glyphOfCode.end()) {
                    const render::ShapeId id = library.glyph(fontId, it->second);
                    if (id != render::kNoId)
                        runs.glyphs.push_back({id, render::Matrix{fm.scale, 0, 0, fm.scale, x, baseline},
                                               {color.r, color.g, color.b, color.a}});
                }
                x += advanceOf(cp);
            }
        } else if (!lines[n].empty()) {
            render::DeviceText run;
            for (uint32_t cp : lines[n]) {
                if (cp < 0x80) run.utf8 += char(cp);
                else if (cp < 0x800) { run.utf8 += char(0xC0 | (cp >> 6)); run.utf8 += char(0x80 | (cp & 0x3F)); }
                else { run.utf8 += char(0xE0 | ((cp >> 12) & 0x0F)); run.utf8 += char(0x80 | ((cp >> 6) & 0x3F)); run.utf8 += char(0x80 | (cp & 0x3F)); }
            }
            run.fontFamily = font ? font->name : std::string();
            run.bold = font && font->bold;
            run.italic = font && font->italic;
            run.sizeTwips = height;
            run.color = {color.r, color.g, color.b, color.a};
            runs.deviceRuns.push_back({run, swf::Point{swf::Twips(x), swf::Twips(baseline)}});
        }
        baseline += lineStep;
    }
    return runs;
}

}  // namespace flash
