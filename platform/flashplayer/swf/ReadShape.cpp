// Shape records, DefineShape 1-4 and DefineMorphShape 1-2.
#include "swf/ReaderInternal.h"

#include <algorithm>

namespace swf::detail {

namespace {

struct RecordState {
    int fillBits;
    int lineBits;
};

Status readStyleChange(ByteReader& r, std::uint32_t flags, int shapeVersion, const Limits& limits,
                       RecordState& st, StyleChange& sc)
{
    if (flags & 0x01) { // StateMoveTo
        const int n = int(r.ub(5));
        Point p;
        p.x = r.sb(n);
        p.y = r.sb(n);
        sc.moveTo = p;
    }
    if (flags & 0x02)
        sc.fill0 = r.ub(st.fillBits);
    if (flags & 0x04)
        sc.fill1 = r.ub(st.fillBits);
    if (flags & 0x08)
        sc.line = r.ub(st.lineBits);
    if (flags & 0x10) { // StateNewStyles
        if (shapeVersion < 2)
            return malformed("new styles in a shape that cannot have them");
        StyleArrays styles;
        SWF_TRY(readStyleArrays(r, shapeVersion, limits, styles));
        sc.newStyles = std::move(styles);
        st.fillBits = int(r.ub(4));
        st.lineBits = int(r.ub(4));
    }
    return Ok{};
}

ShapeRecord readEdge(ByteReader& r)
{
    const bool straight = r.flag();
    const int n = int(r.ub(4)) + 2;
    if (straight) {
        StraightEdge e;
        if (r.flag()) { // GeneralLineFlag
            e.dx = r.sb(n);
            e.dy = r.sb(n);
        } else if (r.flag()) { // VertLineFlag
            e.dy = r.sb(n);
        } else {
            e.dx = r.sb(n);
        }
        return e;
    }
    CurvedEdge c;
    c.controlDx = r.sb(n);
    c.controlDy = r.sb(n);
    c.anchorDx = r.sb(n);
    c.anchorDy = r.sb(n);
    return c;
}

} // namespace

Status readShapeRecords(ByteReader& r, int shapeVersion, int fillBits, int lineBits, const Limits& limits,
                        std::vector<ShapeRecord>& out)
{
    RecordState st{fillBits, lineBits};
    // Edge records take three to five bytes in practice; reserving by the bytes
    // left stays bounded by the data and spares the big shapes most regrowth.
    out.reserve(std::min(limits.maxShapeRecords, out.size() + r.remaining() / 4 + 1));
    while (!r.failed()) {
        if (out.size() >= limits.maxShapeRecords)
            return makeError(ErrorCode::LimitExceeded, "too many shape records");
        if (r.flag()) { // TypeFlag: edge
            out.push_back(readEdge(r));
            continue;
        }
        const std::uint32_t flags = r.ub(5);
        if (flags == 0) // EndShapeRecord
            break;
        StyleChange sc;
        SWF_TRY(readStyleChange(r, flags, shapeVersion, limits, st, sc));
        out.push_back(std::move(sc));
    }
    r.align();
    if (r.failed())
        return truncatedRecord("a shape's edge list");
    return Ok{};
}

Status readGlyphShape(ByteReader& r, const Limits& limits, std::vector<ShapeRecord>& out)
{
    r.align();
    const int fillBits = int(r.ub(4));
    const int lineBits = int(r.ub(4));
    return readShapeRecords(r, 1, fillBits, lineBits, limits, out);
}

int shapeVersionOf(std::uint16_t code)
{
    switch (code) {
    case 2: return 1;
    case 22: return 2;
    case 32: return 3;
    default: return 4; // 83
    }
}

Status readDefineShape(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    Shape s;
    s.version = std::uint8_t(shapeVersionOf(code));
    s.id = r.u16();
    s.bounds = readRect(r);
    s.edgeBounds = s.bounds;
    if (s.version == 4) {
        s.edgeBounds = readRect(r);
        r.ub(5);
        s.usesFillWindingRule = r.flag();
        s.usesNonScalingStrokes = r.flag();
        s.usesScalingStrokes = r.flag();
    }
    SWF_TRY(readStyleArrays(r, s.version, ctx.limits, s.styles));
    const int fillBits = int(r.ub(4));
    const int lineBits = int(r.ub(4));
    SWF_TRY(readShapeRecords(r, s.version, fillBits, lineBits, ctx.limits, s.records));
    define(ctx, std::move(s));
    return Ok{};
}

Status readDefineMorphShape(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    MorphShape m;
    m.version = code == 84 ? 2 : 1;
    m.id = r.u16();
    m.startBounds = readRect(r);
    m.endBounds = readRect(r);
    if (m.version == 2) {
        m.startEdgeBounds = readRect(r);
        m.endEdgeBounds = readRect(r);
        r.ub(6);
        m.usesNonScalingStrokes = r.flag();
        m.usesScalingStrokes = r.flag();
    }
    const std::uint32_t offset = r.u32(); // from here to the end edges
    const std::size_t endEdgesAt = r.position() + offset;
    const std::size_t fills = readStyleCount(r, true);
    if (fills > ctx.limits.maxStyles)
        return makeError(ErrorCode::LimitExceeded, "too many morph fill styles");
    for (std::size_t i = 0; i < fills && !r.failed(); ++i) {
        MorphFillStyle f;
        SWF_TRY(readMorphFillStyle(r, f));
        m.fills.push_back(std::move(f));
    }
    const std::size_t lines = readStyleCount(r, true);
    if (lines > ctx.limits.maxStyles)
        return makeError(ErrorCode::LimitExceeded, "too many morph line styles");
    for (std::size_t i = 0; i < lines && !r.failed(); ++i) {
        MorphLineStyle l;
        SWF_TRY(readMorphLineStyle(r, m.version, l));
        m.lines.push_back(std::move(l));
    }
    SWF_TRY(readGlyphShape(r, ctx.limits, m.startRecords));
    // The end edges are where the offset says (writers sometimes pad before them).
    if (offset != 0 && endEdgesAt >= r.position() && endEdgesAt <= r.size())
        r.skip(endEdgesAt - r.position());
    SWF_TRY(readGlyphShape(r, ctx.limits, m.endRecords));
    define(ctx, std::move(m));
    return Ok{};
}

} // namespace swf::detail
