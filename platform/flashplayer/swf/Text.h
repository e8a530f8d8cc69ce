// Fonts and text: DefineFont 1/2/3 (with DefineFontInfo 1/2 merged in),
// DefineText 1/2 and DefineEditText.
#pragma once

#include "swf/Shape.h"
#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

struct Glyph {
    // A SHAPE: fill style 1 is the glyph's colour, there are no line styles.
    std::vector<ShapeRecord> records;
    std::uint16_t code = 0;   // character code (UCS-2 for wide codes), 0 when unknown
    std::int16_t advance = 0; // layout fonts only
    Rect bounds;              // layout fonts only
    friend bool operator==(const Glyph&, const Glyph&) = default;
};

struct KerningRecord {
    std::uint16_t left = 0;
    std::uint16_t right = 0;
    std::int16_t adjustment = 0;
    friend bool operator==(const KerningRecord&, const KerningRecord&) = default;
};

struct Font {
    std::uint16_t id = 0;
    std::uint8_t version = 1; // DefineFont 1, 2 or 3
    std::string name;         // from DefineFont2/3 or DefineFontInfo
    bool smallText = false;
    bool shiftJis = false;
    bool ansi = false;
    bool italic = false;
    bool bold = false;
    bool wideCodes = true;
    std::uint8_t language = 0;
    std::vector<Glyph> glyphs;
    bool hasLayout = false;
    std::int16_t ascent = 0;
    std::int16_t descent = 0;
    std::int16_t leading = 0;
    std::vector<KerningRecord> kerning;

    // Glyph coordinates use a 1024-unit em square; DefineFont3 uses 20 times
    // that. A glyph drawn at text height h (twips) scales by h / emSquare().
    double emSquare() const { return version >= 3 ? 20480.0 : 1024.0; }
    friend bool operator==(const Font&, const Font&) = default;
};

struct GlyphEntry {
    std::uint32_t index = 0;  // into Font::glyphs
    std::int32_t advance = 0; // twips to the next glyph's origin
    friend bool operator==(const GlyphEntry&, const GlyphEntry&) = default;
};

// TEXTRECORD. Absent members keep the previous record's value; the pen starts at
// (0, 0) in the text's coordinates and each offset sets it absolutely.
struct TextRecord {
    std::optional<std::uint16_t> fontId;
    std::optional<Rgba> color; // DefineText: RGB (alpha 255), DefineText2: RGBA
    std::optional<std::int16_t> xOffset;
    std::optional<std::int16_t> yOffset;
    std::optional<std::uint16_t> height; // twips, set together with fontId in the file
    std::vector<GlyphEntry> glyphs;
    friend bool operator==(const TextRecord&, const TextRecord&) = default;
};

struct Text {
    std::uint16_t id = 0;
    std::uint8_t version = 1; // DefineText 1 or 2
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
    friend bool operator==(const Text&, const Text&) = default;
};

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditTextLayout {
    TextAlign align = TextAlign::Left;
    std::uint16_t leftMargin = 0;
    std::uint16_t rightMargin = 0;
    std::uint16_t indent = 0;
    std::int16_t leading = 0;
    friend bool operator==(const EditTextLayout&, const EditTextLayout&) = default;
};

// DefineEditText. With `useOutlines` the text draws with the embedded glyphs of
// `fontId`; otherwise with a device font of the system by the font's name.
struct EditText {
    std::uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;
    std::optional<std::uint16_t> fontId;
    std::optional<std::string> fontClass;
    std::optional<std::uint16_t> fontHeight; // twips
    std::optional<Rgba> color;
    std::optional<std::uint16_t> maxLength;
    std::optional<EditTextLayout> layout;
    std::string variableName;
    std::optional<std::string> initialText;
    friend bool operator==(const EditText&, const EditText&) = default;
};

} // namespace swf
