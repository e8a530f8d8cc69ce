// DefineFont (with DefineFontInfo), DefineFont2/3, DefineText 1/2, DefineEditText.
#include "swf/WriterInternal.h"

#include <algorithm>

namespace swf::detail {

namespace {

void writeFont1(WriteContext& ctx, const Font& f)
{
    ByteWriter glyphs;
    std::vector<std::uint32_t> offsets;
    const std::size_t tableSize = f.glyphs.size() * 2;
    for (const Glyph& g : f.glyphs) {
        offsets.push_back(std::uint32_t(tableSize + glyphs.size()));
        writeGlyphShape(glyphs, g.records);
    }
    ByteWriter w;
    w.adoptError(glyphs);
    w.u16(f.id); // FontID
    for (std::uint32_t o : offsets) {
        if (o > 0xFFFF)
            w.fail("a DefineFont larger than its 16-bit offsets reach");
        w.u16(std::uint16_t(o)); // OffsetTable
    }
    w.bytes(glyphs.data()); // GlyphShapeTable
    writeTag(ctx.out, 10, w);

    const bool anyCode = std::any_of(f.glyphs.begin(), f.glyphs.end(), [](const Glyph& g) { return g.code != 0; });
    if (f.name.empty() && !anyCode)
        return;
    ByteWriter info; // DefineFontInfo
    info.u16(f.id);
    if (f.name.size() > 255)
        info.fail("a font name longer than 255 bytes");
    info.u8(std::uint8_t(std::min<std::size_t>(f.name.size(), 255))); // FontNameLen
    info.bytes({reinterpret_cast<const std::uint8_t*>(f.name.data()), std::min<std::size_t>(f.name.size(), 255)});
    info.u8(std::uint8_t((f.smallText ? 0x20 : 0) | (f.shiftJis ? 0x10 : 0) | (f.ansi ? 0x08 : 0) |
                         (f.italic ? 0x04 : 0) | (f.bold ? 0x02 : 0) | (f.wideCodes ? 0x01 : 0)));
    // DefineFontInfo2 adds the language code (and requires wide codes).
    const bool info2 = f.language != 0;
    if (info2 && !f.wideCodes)
        info.fail("a font language code needs wide character codes");
    if (info2)
        info.u8(f.language); // LanguageCode
    for (const Glyph& g : f.glyphs) {
        if (f.wideCodes) {
            info.u16(g.code);
        } else {
            if (g.code > 0xFF)
                info.fail("a wide character code in a font with narrow codes");
            info.u8(std::uint8_t(g.code));
        }
    }
    writeTag(ctx.out, info2 ? 62 : 13, info);
}

void writeFontLayout(ByteWriter& w, const Font& f)
{
    w.s16(f.ascent);  // FontAscent
    w.s16(f.descent); // FontDescent
    w.s16(f.leading); // FontLeading
    for (const Glyph& g : f.glyphs)
        w.s16(g.advance); // FontAdvanceTable
    for (const Glyph& g : f.glyphs)
        writeRect(w, g.bounds); // FontBoundsTable
    w.u16(std::uint16_t(f.kerning.size())); // KerningCount
    for (const KerningRecord& k : f.kerning) {
        if (f.wideCodes) {
            w.u16(k.left);
            w.u16(k.right);
        } else {
            w.u8(std::uint8_t(k.left));
            w.u8(std::uint8_t(k.right));
        }
        w.s16(k.adjustment);
    }
}

void writeFont2(WriteContext& ctx, const Font& f)
{
    ByteWriter glyphs;
    std::vector<std::uint32_t> shapeOffsets;
    for (const Glyph& g : f.glyphs) {
        shapeOffsets.push_back(std::uint32_t(glyphs.size()));
        writeGlyphShape(glyphs, g.records);
    }
    const std::size_t n = f.glyphs.size();
    const bool wideOffsets = (n + 1) * 2 + glyphs.size() > 0xFFFF;
    const std::size_t tableSize = (n + 1) * (wideOffsets ? 4 : 2);
    ByteWriter w;
    w.adoptError(glyphs);
    w.u16(f.id); // FontID
    w.u8(std::uint8_t((f.hasLayout ? 0x80 : 0) | (f.shiftJis ? 0x40 : 0) | (f.smallText ? 0x20 : 0) |
                      (f.ansi ? 0x10 : 0) | (wideOffsets ? 0x08 : 0) | (f.wideCodes ? 0x04 : 0) |
                      (f.italic ? 0x02 : 0) | (f.bold ? 0x01 : 0)));
    w.u8(f.language); // LanguageCode
    if (f.name.size() > 255)
        w.fail("a font name longer than 255 bytes");
    w.u8(std::uint8_t(std::min<std::size_t>(f.name.size(), 255))); // FontNameLen
    w.bytes({reinterpret_cast<const std::uint8_t*>(f.name.data()), std::min<std::size_t>(f.name.size(), 255)});
    if (n > 0xFFFF)
        w.fail("more than 65535 glyphs");
    w.u16(std::uint16_t(n)); // NumGlyphs
    auto offset = [&](std::size_t v) { wideOffsets ? w.u32(std::uint32_t(v)) : w.u16(std::uint16_t(v)); };
    for (std::uint32_t o : shapeOffsets)
        offset(tableSize + o); // OffsetTable
    offset(tableSize + glyphs.size()); // CodeTableOffset
    w.bytes(glyphs.data());
    for (const Glyph& g : f.glyphs) {
        if (f.wideCodes) {
            w.u16(g.code);
        } else {
            if (g.code > 0xFF)
                w.fail("a wide character code in a font with narrow codes");
            w.u8(std::uint8_t(g.code));
        }
    }
    if (f.hasLayout)
        writeFontLayout(w, f);
    writeTag(ctx.out, f.version == 3 ? 75 : 48, w);
}

void writeTextRecord(ByteWriter& w, const TextRecord& r, bool rgba, int glyphBits, int advanceBits)
{
    if (r.fontId.has_value() != r.height.has_value())
        w.fail("a text record sets a font without a height or a height without a font");
    w.u8(std::uint8_t(0x80 | (r.fontId ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.yOffset ? 0x02 : 0) |
                      (r.xOffset ? 0x01 : 0))); // TextRecordType + flags
    if (r.fontId)
        w.u16(*r.fontId);
    if (r.color)
        writeColor(w, *r.color, rgba);
    if (r.xOffset)
        w.s16(*r.xOffset);
    if (r.yOffset)
        w.s16(*r.yOffset);
    if (r.fontId)
        w.u16(r.height.value_or(0)); // TextHeight
    if (r.glyphs.size() > 255)
        w.fail("a text record with more than 255 glyphs");
    w.u8(std::uint8_t(r.glyphs.size())); // GlyphCount
    for (const GlyphEntry& g : r.glyphs) {
        w.ub(glyphBits, g.index);
        w.sb(advanceBits, g.advance);
    }
    w.flushBits();
}

} // namespace

void writeFont(WriteContext& ctx, const Font& f)
{
    if (f.version == 1)
        writeFont1(ctx, f);
    else
        writeFont2(ctx, f);
}

void writeText(WriteContext& ctx, const Text& t)
{
    int glyphBits = 0, advanceBits = 0;
    for (const TextRecord& r : t.records)
        for (const GlyphEntry& g : r.glyphs) {
            glyphBits = std::max(glyphBits, unsignedBits(g.index));
            advanceBits = std::max(advanceBits, signedBits(g.advance));
        }
    ByteWriter w;
    w.u16(t.id);              // CharacterID
    writeRect(w, t.bounds);   // TextBounds
    writeMatrix(w, t.matrix); // TextMatrix
    w.u8(std::uint8_t(glyphBits));   // GlyphBits
    w.u8(std::uint8_t(advanceBits)); // AdvanceBits
    for (const TextRecord& r : t.records)
        writeTextRecord(w, r, t.version == 2, glyphBits, advanceBits);
    w.u8(0); // EndOfRecordsFlag
    writeTag(ctx.out, t.version == 2 ? 33 : 11, w);
}

void writeEditText(WriteContext& ctx, const EditText& e)
{
    ByteWriter w;
    w.u16(e.id);            // CharacterID
    writeRect(w, e.bounds); // Bounds
    w.u8(std::uint8_t((e.initialText ? 0x80 : 0) | (e.wordWrap ? 0x40 : 0) | (e.multiline ? 0x20 : 0) |
                      (e.password ? 0x10 : 0) | (e.readOnly ? 0x08 : 0) | (e.color ? 0x04 : 0) |
                      (e.maxLength ? 0x02 : 0) | (e.fontId ? 0x01 : 0)));
    w.u8(std::uint8_t((e.fontClass ? 0x80 : 0) | (e.autoSize ? 0x40 : 0) | (e.layout ? 0x20 : 0) |
                      (e.noSelect ? 0x10 : 0) | (e.border ? 0x08 : 0) | (e.wasStatic ? 0x04 : 0) |
                      (e.html ? 0x02 : 0) | (e.useOutlines ? 0x01 : 0)));
    if (e.fontId)
        w.u16(*e.fontId); // FontID
    if (e.fontClass)
        w.cstring(*e.fontClass); // FontClass
    if (e.fontId || e.fontClass)
        w.u16(e.fontHeight.value_or(240)); // FontHeight
    if (e.color)
        writeRgba(w, *e.color); // TextColor
    if (e.maxLength)
        w.u16(*e.maxLength); // MaxLength
    if (e.layout) {
        w.u8(std::uint8_t(e.layout->align));
        w.u16(e.layout->leftMargin);
        w.u16(e.layout->rightMargin);
        w.u16(e.layout->indent);
        w.s16(e.layout->leading);
    }
    w.cstring(e.variableName); // VariableName
    if (e.initialText)
        w.cstring(*e.initialText); // InitialText
    writeTag(ctx.out, 37, w);
}

} // namespace swf::detail
