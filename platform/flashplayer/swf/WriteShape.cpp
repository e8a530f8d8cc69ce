// Shape records, DefineShape 1-4 and DefineMorphShape 1-2.
#include "swf/WriterInternal.h"

#include <algorithm>
#include <cstdlib>

namespace swf::detail {

namespace {

constexpr int kMaxEdgeBits = 17; // NumBits is 4 bits + 2

struct Bits {
    int fill;
    int line;
};

void writeStyleChange(ByteWriter& w, const StyleChange& sc, int shapeVersion, Bits& bits)
{
    std::uint32_t flags = 0;
    if (sc.newStyles)
        flags |= 0x10;
    if (sc.line)
        flags |= 0x08;
    if (sc.fill1)
        flags |= 0x04;
    if (sc.fill0)
        flags |= 0x02;
    if (sc.moveTo)
        flags |= 0x01;
    if (flags == 0)
        return; // an empty change would read as the end of the shape
    w.ub(1, 0);     // TypeFlag: non-edge
    w.ub(5, flags); // StateNewStyles, StateLineStyle, StateFillStyle1, StateFillStyle0, StateMoveTo
    if (sc.moveTo) {
        const int n = std::max(signedBits(sc.moveTo->x), signedBits(sc.moveTo->y));
        w.ub(5, std::uint32_t(n)); // MoveBits
        w.sb(n, sc.moveTo->x);
        w.sb(n, sc.moveTo->y);
    }
    if (sc.fill0)
        w.ub(bits.fill, *sc.fill0);
    if (sc.fill1)
        w.ub(bits.fill, *sc.fill1);
    if (sc.line)
        w.ub(bits.line, *sc.line);
    if (sc.newStyles) {
        if (shapeVersion < 2)
            w.fail("new styles in a shape that cannot have them");
        writeStyleArrays(w, *sc.newStyles, shapeVersion);
        bits = {styleBits(sc.newStyles->fills.size()), styleBits(sc.newStyles->lines.size())};
        w.ub(4, std::uint32_t(bits.fill)); // NumFillBits
        w.ub(4, std::uint32_t(bits.line)); // NumLineBits
    }
}

void writeStraight(ByteWriter& w, Twips dx, Twips dy)
{
    const int n = std::max({signedBits(dx), signedBits(dy), 2});
    if (n > kMaxEdgeBits) { // too long for one record: two halves draw the same line
        writeStraight(w, dx / 2, dy / 2);
        writeStraight(w, dx - dx / 2, dy - dy / 2);
        return;
    }
    w.ub(1, 1);                    // TypeFlag: edge
    w.ub(1, 1);                    // StraightFlag
    w.ub(4, std::uint32_t(n - 2)); // NumBits
    if (dx != 0 && dy != 0) {
        w.ub(1, 1); // GeneralLineFlag
        w.sb(n, dx);
        w.sb(n, dy);
    } else {
        w.ub(1, 0);
        w.ub(1, dx == 0); // VertLineFlag
        w.sb(n, dx == 0 ? dy : dx);
    }
}

void writeCurve(ByteWriter& w, const CurvedEdge& c)
{
    const int n = std::max({signedBits(c.controlDx), signedBits(c.controlDy), signedBits(c.anchorDx),
                            signedBits(c.anchorDy), 2});
    if (n > kMaxEdgeBits)
        w.fail("a curve too long for one edge record");
    w.ub(1, 1);                    // TypeFlag: edge
    w.ub(1, 0);                    // StraightFlag: curved
    w.ub(4, std::uint32_t(std::min(n, kMaxEdgeBits) - 2)); // NumBits
    w.sb(n, c.controlDx);
    w.sb(n, c.controlDy);
    w.sb(n, c.anchorDx);
    w.sb(n, c.anchorDy);
}

struct MaxIndices {
    std::uint32_t fill = 0;
    std::uint32_t line = 0;
};

MaxIndices maxIndices(const std::vector<ShapeRecord>& records)
{
    MaxIndices m;
    for (const ShapeRecord& r : records)
        if (auto* sc = std::get_if<StyleChange>(&r)) {
            m.fill = std::max({m.fill, sc->fill0.value_or(0), sc->fill1.value_or(0)});
            m.line = std::max(m.line, sc->line.value_or(0));
        }
    return m;
}

} // namespace

int styleBits(std::size_t count) { return unsignedBits(std::uint32_t(count)); }

void writeShapeRecords(ByteWriter& w, const std::vector<ShapeRecord>& records, int shapeVersion, int fillBits,
                       int lineBits)
{
    Bits bits{fillBits, lineBits};
    for (const ShapeRecord& r : records) {
        if (auto* sc = std::get_if<StyleChange>(&r))
            writeStyleChange(w, *sc, shapeVersion, bits);
        else if (auto* e = std::get_if<StraightEdge>(&r))
            writeStraight(w, e->dx, e->dy);
        else
            writeCurve(w, std::get<CurvedEdge>(r));
    }
    w.ub(6, 0); // EndShapeRecord
    w.flushBits();
}

void writeGlyphShape(ByteWriter& w, const std::vector<ShapeRecord>& records)
{
    const MaxIndices m = maxIndices(records);
    const int fillBits = unsignedBits(m.fill), lineBits = unsignedBits(m.line);
    w.flushBits();
    w.ub(4, std::uint32_t(fillBits)); // NumFillBits
    w.ub(4, std::uint32_t(lineBits)); // NumLineBits
    writeShapeRecords(w, records, 1, fillBits, lineBits);
}

void writeShape(WriteContext& ctx, const Shape& s)
{
    static const std::uint16_t codes[] = {2, 22, 32, 83};
    if (s.version < 1 || s.version > 4)
        ctx.out.fail("a shape version outside 1-4");
    const int v = std::clamp<int>(s.version, 1, 4);
    ByteWriter w;
    w.u16(s.id);            // ShapeId
    writeRect(w, s.bounds); // ShapeBounds
    if (v == 4) {
        writeRect(w, s.edgeBounds); // EdgeBounds
        w.ub(5, 0);                 // Reserved
        w.ub(1, s.usesFillWindingRule);
        w.ub(1, s.usesNonScalingStrokes);
        w.ub(1, s.usesScalingStrokes);
    }
    writeStyleArrays(w, s.styles, v); // Shapes: SHAPEWITHSTYLE
    const int fillBits = styleBits(s.styles.fills.size()), lineBits = styleBits(s.styles.lines.size());
    w.ub(4, std::uint32_t(fillBits)); // NumFillBits
    w.ub(4, std::uint32_t(lineBits)); // NumLineBits
    writeShapeRecords(w, s.records, v, fillBits, lineBits);
    writeTag(ctx.out, codes[v - 1], w);
}

void writeMorphShape(WriteContext& ctx, const MorphShape& m)
{
    const int v = m.version == 2 ? 2 : 1;
    ByteWriter w;
    w.u16(m.id);                  // CharacterId
    writeRect(w, m.startBounds);  // StartBounds
    writeRect(w, m.endBounds);    // EndBounds
    if (v == 2) {
        writeRect(w, m.startEdgeBounds);
        writeRect(w, m.endEdgeBounds);
        w.ub(6, 0); // Reserved
        w.ub(1, m.usesNonScalingStrokes);
        w.ub(1, m.usesScalingStrokes);
    }
    const std::size_t offsetAt = w.size();
    w.u32(0); // Offset: patched below
    if (m.fills.size() >= 0xFF) {
        w.u8(0xFF);
        w.u16(std::uint16_t(m.fills.size()));
    } else {
        w.u8(std::uint8_t(m.fills.size())); // MorphFillStyles
    }
    for (const MorphFillStyle& f : m.fills)
        writeMorphFillStyle(w, f);
    if (m.lines.size() >= 0xFF) {
        w.u8(0xFF);
        w.u16(std::uint16_t(m.lines.size()));
    } else {
        w.u8(std::uint8_t(m.lines.size())); // MorphLineStyles
    }
    for (const MorphLineStyle& l : m.lines)
        writeMorphLineStyle(w, l, v);
    writeGlyphShape(w, m.startRecords); // StartEdges
    w.patchU32(offsetAt, std::uint32_t(w.size() - offsetAt - 4));
    writeGlyphShape(w, m.endRecords); // EndEdges
    writeTag(ctx.out, v == 2 ? 84 : 46, w);
}

} // namespace swf::detail
