// The styled text of a text field: its characters, each with the look of its stretch,
// from plain text or from the HTML that text fields show.
#pragma once

#include "Library.h"

#include "swf/Text.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace flash {

// UTF-8 to code points; invalid bytes pass as Latin-1, which is what SWF 5 and older
// files hold anyway.
std::vector<uint32_t> codePoints(const std::string& s);
void appendUtf8(std::string& out, uint32_t cp);

// How a stretch of a field's text looks.
struct TextStyle {
    uint16_t fontId = 0;
    const swf::Font* font = nullptr;
    double height = 240;   // twips
    swf::Rgba color{0, 0, 0, 255};
    bool bold = false;
    bool italic = false;
    swf::TextAlign align = swf::TextAlign::Left;
    bool underline = false;
    double letterSpacing = 0;   // twips
    friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

struct StyledText {
    std::vector<uint32_t> codes;
    std::vector<uint16_t> styleOf;   // per code, into `styles`
    std::vector<TextStyle> styles;

    // Adds text in a style; past a thousand styles the last one is reused.
    void append(const std::string& utf8, const TextStyle& style);

private:
    uint16_t m_current = 0;
};

// Picks the movie's font for a face and a weight and slant: the face's font with that
// style, else the current family's, else the current font as it is.
class FontChooser {
public:
    explicit FontChooser(Library& library) : m_library(library) {}

    void choose(TextStyle& style, const std::string& face);

private:
    using Key = std::tuple<std::string, bool, bool>;   // family in lower case, bold, italic
    Library& m_library;
    bool m_scanned = false;
    std::map<Key, std::pair<uint16_t, const swf::Font*>> m_fonts;   // the first of each
};

struct TextFormat;
// Style sheet rules by selector: "p" (a tag), ".name" (a class), "p.name".
using StyleRules = std::map<std::string, TextFormat>;

// HTML text with its styles: <b>, <i>, <font face size color>, <p align>; <br>, </p>
// and </li> break lines; the standard entities decode. Tags nest up to a depth. With
// `rules`, each tag also takes the rules of its name and of its classes.
StyledText styledHtml(const std::string& html, const TextStyle& base, FontChooser& fonts,
                      const StyleRules* rules = nullptr);

}  // namespace flash
