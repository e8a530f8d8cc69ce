// Fonts and text: DefineFont, DefineFont2/3, DefineFontInfo 1/2, DefineText 1/2,
// DefineEditText.
#include "swf/ReaderInternal.h"

#include <map>

namespace swf::detail {

namespace {

// Reads the glyph outlines at `offsets` (relative to the offset table at
// `base`); glyph i ends where glyph i+1 starts, the last one at `end`.
Status readGlyphs(std::span<const std::uint8_t> table, const std::vector<std::uint32_t>& offsets,
                  std::uint32_t end, const Limits& limits, std::vector<Glyph>& glyphs)
{
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const std::uint32_t from = offsets[i];
        const std::uint32_t to = i + 1 < offsets.size() ? offsets[i + 1] : end;
        Glyph g;
        if (from < to && to <= table.size()) {
            ByteReader gr(table.subspan(from, to - from));
            SWF_TRY(readGlyphShape(gr, limits, g.records));
        } else if (from > to || to > table.size()) {
            return malformed("a glyph offset points outside its font");
        }
        glyphs.push_back(std::move(g));
    }
    return Ok{};
}

} // namespace

Status readDefineFont(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    Font f;
    f.version = 1;
    f.id = r.u16();
    auto table = r.restSpan();
    ByteReader t(table);
    const std::uint16_t first = t.u16();
    const std::size_t count = first / 2;
    if (count > ctx.limits.maxGlyphs || first > table.size())
        return malformed("a font's offset table is larger than the font");
    std::vector<std::uint32_t> offsets;
    if (count > 0)
        offsets.push_back(first);
    for (std::size_t i = 1; i < count; ++i)
        offsets.push_back(t.u16());
    SWF_TRY(readGlyphs(table, offsets, std::uint32_t(table.size()), ctx.limits, f.glyphs));
    define(ctx, std::move(f));
    return Ok{};
}

namespace {

void readFontFlags(std::uint8_t flags, Font& f, bool& wideOffsets)
{
    f.hasLayout = flags & 0x80;
    f.shiftJis = flags & 0x40;
    f.smallText = flags & 0x20;
    f.ansi = flags & 0x10;
    wideOffsets = flags & 0x08;
    f.wideCodes = flags & 0x04;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
}

void readLayout(ByteReader& r, Font& f)
{
    f.ascent = r.s16();
    f.descent = r.s16();
    f.leading = r.s16();
    for (Glyph& g : f.glyphs)
        g.advance = r.s16();
    for (Glyph& g : f.glyphs)
        g.bounds = readRect(r);
    const std::size_t kernings = r.u16();
    for (std::size_t i = 0; i < kernings && !r.failed(); ++i) {
        KerningRecord k;
        k.left = f.wideCodes ? r.u16() : r.u8();
        k.right = f.wideCodes ? r.u16() : r.u8();
        k.adjustment = r.s16();
        f.kerning.push_back(k);
    }
}

} // namespace

Status readDefineFont2(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    Font f;
    f.version = code == 75 ? 3 : 2;
    f.id = r.u16();
    bool wideOffsets = false;
    readFontFlags(r.u8(), f, wideOffsets);
    f.language = r.u8();
    f.name = r.pstring();
    const std::size_t count = r.u16();
    if (count > ctx.limits.maxGlyphs)
        return makeError(ErrorCode::LimitExceeded, "too many glyphs in a font");
    auto table = r.restSpan();
    ByteReader t(table);
    const std::size_t offsetSize = wideOffsets ? 4 : 2;
    std::vector<std::uint32_t> offsets;
    for (std::size_t i = 0; i < count && !t.failed(); ++i)
        offsets.push_back(wideOffsets ? t.u32() : t.u16());
    // Fonts without glyphs (device fonts) may or may not carry the code table offset.
    std::uint32_t codeTableOffset = std::uint32_t(count * offsetSize);
    if (count > 0 || t.remaining() >= offsetSize + (f.hasLayout ? 8 : 0))
        codeTableOffset = wideOffsets ? t.u32() : t.u16();
    if (t.failed() || codeTableOffset > table.size())
        return malformed("a font's code table lies outside the font");
    SWF_TRY(readGlyphs(table, offsets, codeTableOffset, ctx.limits, f.glyphs));
    ByteReader rest(table.subspan(codeTableOffset));
    for (Glyph& g : f.glyphs)
        g.code = f.wideCodes ? rest.u16() : rest.u8();
    if (f.hasLayout)
        readLayout(rest, f);
    if (rest.failed())
        return truncatedRecord("a font's code or layout table");
    define(ctx, std::move(f));
    return Ok{};
}

Status readDefineFontInfo(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    const std::uint16_t id = r.u16();
    auto it = ctx.movie.dictionary.find(id);
    Font* f = it == ctx.movie.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
    if (!f)
        return malformed("font information for a font that is not defined");
    std::string name = r.pstring();
    const std::uint8_t flags = r.u8();
    const std::uint8_t language = code == 62 ? r.u8() : 0;
    const bool wide = flags & 0x01;
    std::vector<std::uint16_t> codes;
    for (std::size_t i = 0; i < f->glyphs.size() && !r.failed(); ++i)
        codes.push_back(wide ? r.u16() : r.u8());
    if (r.failed())
        return truncatedRecord("DefineFontInfo");
    f->name = std::move(name);
    f->smallText = flags & 0x20;
    f->shiftJis = flags & 0x10;
    f->ansi = flags & 0x08;
    f->italic = flags & 0x04;
    f->bold = flags & 0x02;
    f->wideCodes = wide;
    f->language = language;
    for (std::size_t i = 0; i < codes.size(); ++i)
        f->glyphs[i].code = codes[i];
    return Ok{};
}

namespace {

bool readTextRecord(ByteReader& r, bool rgba, int glyphBits, int advanceBits, TextRecord& rec)
{
    const std::uint8_t flags = r.u8();
    if (flags == 0 || r.failed())
        return false; // EndOfRecordsFlag
    if (flags & 0x08)
        rec.fontId = r.u16();
    if (flags & 0x04)
        rec.color = readColor(r, rgba);
    if (flags & 0x01)
        rec.xOffset = r.s16();
    if (flags & 0x02)
        rec.yOffset = r.s16();
    if (flags & 0x08)
        rec.height = r.u16();
    const std::size_t n = r.u8();
    for (std::size_t i = 0; i < n && !r.failed(); ++i) {
        GlyphEntry g;
        g.index = r.ub(glyphBits);
        g.advance = r.sb(advanceBits);
        rec.glyphs.push_back(g);
    }
    r.align();
    return !r.failed();
}

} // namespace

Status readDefineText(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    Text t;
    t.version = code == 33 ? 2 : 1;
    t.id = r.u16();
    t.bounds = readRect(r);
    t.matrix = readMatrix(r);
    const int glyphBits = r.u8();
    const int advanceBits = r.u8();
    if (glyphBits > 32 || advanceBits > 32)
        return malformed("DefineText bit widths above 32");
    TextRecord rec;
    while (readTextRecord(r, t.version == 2, glyphBits, advanceBits, rec)) {
        t.records.push_back(std::move(rec));
        rec = {};
    }
    if (r.failed())
        return truncatedRecord("DefineText");
    define(ctx, std::move(t));
    return Ok{};
}

Status readDefineEditText(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    EditText e;
    e.id = r.u16();
    e.bounds = readRect(r);
    const std::uint8_t a = r.u8();
    const std::uint8_t b = r.u8();
    const bool hasText = a & 0x80, hasColor = a & 0x04, hasMaxLength = a & 0x02, hasFont = a & 0x01;
    const bool hasFontClass = b & 0x80, hasLayout = b & 0x20;
    e.wordWrap = a & 0x40;
    e.multiline = a & 0x20;
    e.password = a & 0x10;
    e.readOnly = a & 0x08;
    e.autoSize = b & 0x40;
    e.noSelect = b & 0x10;
    e.border = b & 0x08;
    e.wasStatic = b & 0x04;
    e.html = b & 0x02;
    e.useOutlines = b & 0x01;
    if (hasFont)
        e.fontId = r.u16();
    if (hasFontClass)
        e.fontClass = r.cstring();
    if (hasFont || hasFontClass)
        e.fontHeight = r.u16();
    if (hasColor)
        e.color = readRgba(r);
    if (hasMaxLength)
        e.maxLength = r.u16();
    if (hasLayout) {
        EditTextLayout l;
        l.align = static_cast<TextAlign>(std::min<int>(r.u8(), 3));
        l.leftMargin = r.u16();
        l.rightMargin = r.u16();
        l.indent = r.u16();
        l.leading = r.s16();
        e.layout = l;
    }
    e.variableName = r.cstring();
    if (hasText)
        e.initialText = r.cstring();
    if (r.failed())
        return truncatedRecord("DefineEditText");
    define(ctx, std::move(e));
    return Ok{};
}

} // namespace swf::detail
