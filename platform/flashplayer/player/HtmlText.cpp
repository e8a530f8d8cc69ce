#include "HtmlText.h"

#include "TextFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>

namespace flash {

namespace {

constexpr size_t kMaxStyles = 1024;

std::string lowered(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The value of attribute `name` in the inside of a tag ("font size='30' color=#f00").
std::optional<std::string> attribute(const std::string& tag, const std::string& name)
{
    const std::string lower = lowered(tag);
    for (size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
        if (at == 0 || !std::isspace(static_cast<unsigned char>(lower[at - 1])))
            continue;
        size_t i = at + name.size();
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
            ++i;
        if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
            const size_t close = tag.find(tag[i], i + 1);
            return tag.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
        }
        size_t j = i;
        while (j < tag.size() && !std::isspace(static_cast<unsigned char>(tag[j])))
            ++j;
        return tag.substr(i, j - i);
    }
    return std::nullopt;
}

std::optional<swf::Rgba> htmlColor(const std::string& text)
{
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    uint32_t v = 0;
    for (size_t i = 1; i < 7; ++i) {
        const int c = std::tolower(static_cast<unsigned char>(text[i]));
        if (!std::isxdigit(c))
            return std::nullopt;
        v = v * 16 + uint32_t(std::isdigit(c) ? c - '0' : c - 'a' + 10);
    }
    return swf::Rgba{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 255};
}

}  // namespace

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

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | ((cp >> 18) & 0x07));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

void StyledText::append(const std::string& utf8, const TextStyle& style)
{
    if (styles.empty() || !(styles.back() == style)) {
        auto same = std::find(styles.begin(), styles.end(), style);
        if (same == styles.end() && styles.size() < kMaxStyles)
            same = styles.insert(styles.end(), style);
        else if (same == styles.end())
            same = styles.end() - 1;
        m_current = uint16_t(same - styles.begin());
    } else {
        m_current = uint16_t(styles.size() - 1);
    }
    for (uint32_t cp : codePoints(utf8)) {
        codes.push_back(cp);
        styleOf.push_back(m_current);
    }
}

void FontChooser::choose(TextStyle& style, const std::string& face)
{
    const std::string current = style.font ? lowered(style.font->name) : std::string();
    for (const std::string& family : {lowered(face), current}) {
        if (family.empty())
            continue;
        if (style.font && current == family && style.font->bold == style.bold &&
            style.font->italic == style.italic)
            return;
        if (!m_scanned) {
            m_scanned = true;
            for (const auto& [id, character] : m_library.movie().dictionary)
                if (const auto* font = std::get_if<swf::Font>(&character); font && !font->glyphs.empty())
                    m_fonts.emplace(Key{lowered(font->name), font->bold, font->italic}, std::pair{id, font});
        }
        auto it = m_fonts.find(Key{family, style.bold, style.italic});
        if (it != m_fonts.end()) {
            style.fontId = it->second.first;
            style.font = it->second.second;
            return;
        }
    }
}

namespace {

// The rules of a tag's name, then of each of its classes, then of name.class.
void applyRules(TextStyle& style, std::string& face, const std::string& tag, const std::string& classes,
                const StyleRules& rules, FontChooser& fonts)
{
    auto apply = [&](const std::string& selector) {
        auto it = rules.find(selector);
        if (it == rules.end())
            return;
        if (it->second.font)
            face = *it->second.font;
        applyFormat(style, it->second, fonts);
    };
    apply(tag);
    size_t at = 0;
    for (int n = 0; n < 16; ++n) {   // a few classes at most
        at = classes.find_first_not_of(" \t", at);
        if (at == std::string::npos)
            break;
        const size_t end = std::min(classes.find_first_of(" \t", at), classes.size());
        const std::string name = classes.substr(at, end - at);
        apply("." + name);
        apply(tag + "." + name);
        at = end;
    }
}

}  // namespace

// HTML text with its styles: <b>, <i>, <font face size color>, <p align>; <br>, </p>
// and </li> break lines; the standard entities decode. Tags nest up to a depth.
StyledText styledHtml(const std::string& html, const TextStyle& base, FontChooser& fonts, const StyleRules* rules)
{
    constexpr size_t kMaxDepth = 64;
    struct Open {
        std::string tag;
        TextStyle style;
        std::string face;
    };
    std::vector<Open> stack{{"", base, ""}};
    size_t ignored = 0;   // tags opened past the depth limit
    StyledText out;
    std::string pending;
    auto flush = [&] {
        if (!pending.empty())
            out.append(pending, stack.back().style);
        pending.clear();
    };
    for (size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            const size_t end = html.find('>', i);
            if (end == std::string::npos)
                break;
            const std::string inside = html.substr(i + 1, end - i - 1);
            const std::string tag = lowered(inside);
            i = end + 1;
            const bool closing = !tag.empty() && tag[0] == '/';
            const std::string name = lowered(inside.substr(closing, inside.find_first_of(" \t\r\n/", closing) - closing));
            if (name == "br" || (closing && (name == "p" || name == "li")))
                pending += '\n';
            const bool styled = rules && (name == "span" || name == "a" || name == "li" || name == "textformat");
            if (name != "b" && name != "i" && name != "font" && name != "p" && !styled)
                continue;
            flush();
            if (closing) {
                if (ignored > 0) {
                    --ignored;
                    continue;
                }
                for (size_t k = stack.size(); k-- > 1;) {
                    if (stack[k].tag == name) {
                        stack.resize(k);
                        break;
                    }
                }
                continue;
            }
            if (stack.size() >= kMaxDepth) {
                ++ignored;
                continue;
            }
            Open next{name, stack.back().style, stack.back().face};
            if (name == "b")
                next.style.bold = true;
            else if (name == "i")
                next.style.italic = true;
            else if (name == "p") {
                const std::string align = lowered(attribute(inside, "align").value_or(""));
                if (align == "left" || align == "justify")
                    next.style.align = swf::TextAlign::Left;
                else if (align == "right")
                    next.style.align = swf::TextAlign::Right;
                else if (align == "center")
                    next.style.align = swf::TextAlign::Center;
            } else {
                if (auto face = attribute(inside, "face"))
                    next.face = *face;
                if (auto size = attribute(inside, "size")) {
                    const double px = std::atof(size->c_str());
                    if (px > 0)
                        next.style.height = std::min(px, 1000.0) * 20;
                }
                if (auto color = attribute(inside, "color"))
                    next.style.color = htmlColor(*color).value_or(next.style.color);
            }
            if (name != "p")
                fonts.choose(next.style, next.face);
            if (rules)
                applyRules(next.style, next.face, name, attribute(inside, "class").value_or(""), *rules, fonts);
            stack.push_back(std::move(next));
            continue;
        }
        if (html[i] == '&') {
            static const std::pair<const char*, char> entities[] = {
                {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&nbsp;", ' '}};
            bool matched = false;
            for (const auto& [entity, ch] : entities) {
                const size_t n = std::char_traits<char>::length(entity);
                if (html.compare(i, n, entity) == 0) {
                    pending += ch;
                    i += n;
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        pending += html[i++];
    }
    flush();
    while (!out.codes.empty() && out.codes.back() == '\n') {
        out.codes.pop_back();
        out.styleOf.pop_back();
    }
    return out;
}

}  // namespace flash
