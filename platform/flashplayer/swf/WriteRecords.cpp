// Basic records, styles, filters and sound info: each mirrors ReadRecords.cpp.
#include "swf/WriterInternal.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace swf::detail {

namespace {

int maxSignedBits(std::initializer_list<std::int32_t> values)
{
    int n = 0;
    for (std::int32_t v : values)
        n = std::max(n, signedBits(v));
    return n;
}

} // namespace

void writeRect(ByteWriter& w, const Rect& r)
{
    w.flushBits();
    const int n = maxSignedBits({r.xMin, r.xMax, r.yMin, r.yMax});
    w.ub(5, std::uint32_t(n)); // Nbits
    w.sb(n, r.xMin);
    w.sb(n, r.xMax);
    w.sb(n, r.yMin);
    w.sb(n, r.yMax);
    w.flushBits();
}

void writeMatrix(ByteWriter& w, const Matrix& m)
{
    w.flushBits();
    const std::int32_t a = toFixed16(m.a), b = toFixed16(m.b), c = toFixed16(m.c), d = toFixed16(m.d);
    const bool hasScale = a != 65536 || d != 65536;
    w.ub(1, hasScale); // HasScale
    if (hasScale) {
        const int n = maxSignedBits({a, d});
        w.ub(5, std::uint32_t(n)); // NScaleBits
        w.sb(n, a);                // ScaleX
        w.sb(n, d);                // ScaleY
    }
    const bool hasRotate = b != 0 || c != 0;
    w.ub(1, hasRotate); // HasRotate
    if (hasRotate) {
        const int n = maxSignedBits({b, c});
        w.ub(5, std::uint32_t(n)); // NRotateBits
        w.sb(n, b);                // RotateSkew0
        w.sb(n, c);                // RotateSkew1
    }
    const int n = maxSignedBits({m.tx, m.ty});
    w.ub(5, std::uint32_t(n)); // NTranslateBits
    w.sb(n, m.tx);
    w.sb(n, m.ty);
    w.flushBits();
}

void writeColorTransform(ByteWriter& w, const ColorTransform& cx, bool withAlpha)
{
    w.flushBits();
    if (!withAlpha && (cx.aMul != 256 || cx.aAdd != 0))
        w.fail("an alpha colour transform where only RGB can be stored");
    const bool hasMult = cx.rMul != 256 || cx.gMul != 256 || cx.bMul != 256 || (withAlpha && cx.aMul != 256);
    const bool hasAdd = cx.rAdd != 0 || cx.gAdd != 0 || cx.bAdd != 0 || (withAlpha && cx.aAdd != 0);
    int n = 0;
    if (hasMult)
        n = std::max(n, maxSignedBits({cx.rMul, cx.gMul, cx.bMul, withAlpha ? cx.aMul : 0}));
    if (hasAdd)
        n = std::max(n, maxSignedBits({cx.rAdd, cx.gAdd, cx.bAdd, withAlpha ? cx.aAdd : 0}));
    w.ub(1, hasAdd);  // HasAddTerms
    w.ub(1, hasMult); // HasMultTerms
    w.ub(4, std::uint32_t(n)); // Nbits
    if (hasMult) {
        w.sb(n, cx.rMul);
        w.sb(n, cx.gMul);
        w.sb(n, cx.bMul);
        if (withAlpha)
            w.sb(n, cx.aMul);
    }
    if (hasAdd) {
        w.sb(n, cx.rAdd);
        w.sb(n, cx.gAdd);
        w.sb(n, cx.bAdd);
        if (withAlpha)
            w.sb(n, cx.aAdd);
    }
    w.flushBits();
}

void writeRgb(ByteWriter& w, Rgba c)
{
    if (c.a != 255)
        w.fail("a translucent colour where only RGB can be stored");
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
}

void writeRgba(ByteWriter& w, Rgba c)
{
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
    w.u8(c.a);
}

void writeColor(ByteWriter& w, Rgba c, bool withAlpha)
{
    if (withAlpha)
        writeRgba(w, c);
    else
        writeRgb(w, c);
}

namespace {

void writeGradientHead(ByteWriter& w, const Gradient& g, std::size_t count, int shapeVersion)
{
    // Older versions officially stop at 8 colours; real files use up to 15 in
    // every version, and so does the reader.
    if (count > 15) {
        w.fail("a gradient with more than 15 colours");
        count = 15;
    }
    w.flushBits();
    w.ub(2, std::uint32_t(g.spread));        // SpreadMode
    w.ub(2, std::uint32_t(g.interpolation)); // InterpolationMode
    w.ub(4, std::uint32_t(count));           // NumGradients
}

void writeGradient(ByteWriter& w, const Gradient& g, int shapeVersion, bool focal)
{
    writeGradientHead(w, g, g.records.size(), shapeVersion);
    for (std::size_t i = 0; i < g.records.size() && i < 15; ++i) {
        w.u8(g.records[i].ratio);
        writeColor(w, g.records[i].color, shapeVersion >= 3);
    }
    if (focal)
        w.fixed8(g.focalPoint); // FocalPoint
}

bool isGradient(FillKind k) { return k == FillKind::LinearGradient || k == FillKind::RadialGradient || k == FillKind::FocalGradient; }

void writeLineStyle2Flags(ByteWriter& w, const LineStyle& l, bool hasFill)
{
    w.ub(2, std::uint32_t(l.startCap)); // StartCapStyle
    w.ub(2, std::uint32_t(l.join));     // JoinStyle
    w.ub(1, hasFill);                   // HasFillFlag
    w.ub(1, l.noHScale);                // NoHScaleFlag
    w.ub(1, l.noVScale);                // NoVScaleFlag
    w.ub(1, l.pixelHinting);            // PixelHintingFlag
    w.ub(5, 0);                         // Reserved
    w.ub(1, l.noClose);                 // NoClose
    w.ub(2, std::uint32_t(l.endCap));   // EndCapStyle
    if (l.join == JoinStyle::Miter)
        w.u16(std::uint16_t(std::lround(std::clamp(l.miterLimit, 0.0, 255.0) * 256.0))); // MiterLimitFactor
}

bool hasLineStyle2Members(const LineStyle& l)
{
    LineStyle plain;
    plain.width = l.width;
    plain.color = l.color;
    return !(l == plain);
}

void writeLineStyle(ByteWriter& w, const LineStyle& l, int shapeVersion)
{
    w.u16(l.width); // Width
    if (shapeVersion < 4) {
        if (hasLineStyle2Members(l))
            w.fail("caps, joins, flags or fills on a line style of DefineShape 1-3");
        writeColor(w, l.color, shapeVersion >= 3);
        return;
    }
    writeLineStyle2Flags(w, l, l.fill.has_value());
    if (l.fill)
        writeFillStyle(w, *l.fill, shapeVersion);
    else
        writeRgba(w, l.color);
}

void writeStyleCount(ByteWriter& w, std::size_t n, bool extended)
{
    if (n < 0xFF) {
        w.u8(std::uint8_t(n));
        return;
    }
    if (!extended || n > 0xFFFF)
        w.fail("more styles than the shape version can count");
    w.u8(0xFF);
    w.u16(std::uint16_t(n));
}

} // namespace

void writeFillStyle(ByteWriter& w, const FillStyle& f, int shapeVersion)
{
    w.u8(f.typeCode()); // FillStyleType
    if (f.kind == FillKind::Solid) {
        writeColor(w, f.color, shapeVersion >= 3);
    } else if (isGradient(f.kind)) {
        if (f.kind == FillKind::FocalGradient && shapeVersion < 4)
            w.fail("a focal gradient outside DefineShape4");
        writeMatrix(w, f.matrix); // GradientMatrix
        writeGradient(w, f.gradient, shapeVersion, f.kind == FillKind::FocalGradient);
    } else {
        w.u16(f.bitmapId);        // BitmapId
        writeMatrix(w, f.matrix); // BitmapMatrix
    }
}

void writeStyleArrays(ByteWriter& w, const StyleArrays& s, int shapeVersion)
{
    writeStyleCount(w, s.fills.size(), shapeVersion >= 2);
    for (const FillStyle& f : s.fills)
        writeFillStyle(w, f, shapeVersion);
    writeStyleCount(w, s.lines.size(), true);
    for (const LineStyle& l : s.lines)
        writeLineStyle(w, l, shapeVersion);
}

void writeMorphFillStyle(ByteWriter& w, const MorphFillStyle& m)
{
    const FillStyle& s = m.start;
    const FillStyle& e = m.end;
    if (s.kind != e.kind || s.typeCode() != e.typeCode())
        w.fail("a morph fill style whose ends are of different kinds");
    w.u8(s.typeCode()); // FillStyleType
    if (s.kind == FillKind::Solid) {
        writeRgba(w, s.color);
        writeRgba(w, e.color);
    } else if (isGradient(s.kind)) {
        writeMatrix(w, s.matrix);
        writeMatrix(w, e.matrix);
        if (s.gradient.records.size() != e.gradient.records.size())
            w.fail("a morph gradient whose ends have different numbers of colours");
        writeGradientHead(w, s.gradient, s.gradient.records.size(), 4);
        for (std::size_t i = 0; i < s.gradient.records.size() && i < e.gradient.records.size(); ++i) {
            w.u8(s.gradient.records[i].ratio);
            writeRgba(w, s.gradient.records[i].color);
            w.u8(e.gradient.records[i].ratio);
            writeRgba(w, e.gradient.records[i].color);
        }
        if (s.kind == FillKind::FocalGradient) {
            w.fixed8(s.gradient.focalPoint);
            w.fixed8(e.gradient.focalPoint);
        }
    } else {
        w.u16(s.bitmapId);
        writeMatrix(w, s.matrix);
        writeMatrix(w, e.matrix);
    }
}

void writeMorphLineStyle(ByteWriter& w, const MorphLineStyle& m, int morphVersion)
{
    w.u16(m.start.width); // StartWidth
    w.u16(m.end.width);   // EndWidth
    if (morphVersion < 2) {
        if (hasLineStyle2Members(m.start))
            w.fail("caps, joins, flags or fills on a line style of DefineMorphShape");
        writeRgba(w, m.start.color);
        writeRgba(w, m.end.color);
        return;
    }
    const bool hasFill = m.start.fill.has_value();
    if (hasFill != m.end.fill.has_value())
        w.fail("a morph line style filled at one end only");
    writeLineStyle2Flags(w, m.start, hasFill);
    if (hasFill && m.end.fill) {
        writeMorphFillStyle(w, MorphFillStyle{*m.start.fill, *m.end.fill});
    } else {
        writeRgba(w, m.start.color);
        writeRgba(w, m.end.color);
    }
}

namespace {

void writeFilterFlags(ByteWriter& w, const Filter& f, bool withOnTop)
{
    w.ub(1, f.inner);           // InnerShadow / InnerGlow
    w.ub(1, f.knockout);        // Knockout
    w.ub(1, f.compositeSource); // CompositeSource
    if (withOnTop) {
        w.ub(1, f.onTop);                  // OnTop
        w.ub(4, std::min<int>(f.passes, 15)); // Passes
    } else {
        w.ub(5, std::min<int>(f.passes, 31));
    }
    w.flushBits();
}

void writeBlurAngle(ByteWriter& w, const Filter& f, bool withAngle)
{
    w.fixed16(f.blurX);
    w.fixed16(f.blurY);
    if (withAngle) {
        w.fixed16(f.angle);
        w.fixed16(f.distance);
    }
}

Rgba colorAt(const Filter& f, std::size_t i) { return i < f.colors.size() ? f.colors[i] : Rgba{0, 0, 0, 255}; }

void writeFilter(ByteWriter& w, const Filter& f)
{
    w.u8(std::uint8_t(f.kind)); // FilterID
    switch (f.kind) {
    case FilterKind::DropShadow:
        writeRgba(w, colorAt(f, 0));
        writeBlurAngle(w, f, true);
        w.fixed8(f.strength);
        writeFilterFlags(w, f, false);
        break;
    case FilterKind::Blur:
        writeBlurAngle(w, f, false);
        w.ub(5, std::min<int>(f.passes, 31));
        w.ub(3, 0);
        break;
    case FilterKind::Glow:
        writeRgba(w, colorAt(f, 0));
        writeBlurAngle(w, f, false);
        w.fixed8(f.strength);
        writeFilterFlags(w, f, false);
        break;
    case FilterKind::Bevel:
        writeRgba(w, colorAt(f, 0));
        writeRgba(w, colorAt(f, 1));
        writeBlurAngle(w, f, true);
        w.fixed8(f.strength);
        writeFilterFlags(w, f, true);
        break;
    case FilterKind::GradientGlow:
    case FilterKind::GradientBevel:
        if (f.colors.size() != f.ratios.size() || f.colors.size() > 255)
            w.fail("a gradient filter whose colours and ratios do not pair up");
        w.u8(std::uint8_t(f.colors.size()));
        for (Rgba c : f.colors)
            writeRgba(w, c);
        for (std::uint8_t r : f.ratios)
            w.u8(r);
        writeBlurAngle(w, f, true);
        w.fixed8(f.strength);
        writeFilterFlags(w, f, true);
        break;
    case FilterKind::Convolution:
        if (f.matrix.size() != std::size_t(f.matrixX) * f.matrixY)
            w.fail("a convolution filter whose matrix does not match its size");
        w.u8(f.matrixX);
        w.u8(f.matrixY);
        w.f32(f.divisor);
        w.f32(f.bias);
        for (float v : f.matrix)
            w.f32(v);
        writeRgba(w, f.defaultColor);
        w.ub(6, 0);
        w.ub(1, f.clamp);
        w.ub(1, f.preserveAlpha);
        break;
    case FilterKind::ColorMatrix:
        for (float v : f.colorMatrix)
            w.f32(v);
        break;
    }
    w.flushBits();
}

} // namespace

void writeFilterList(ByteWriter& w, const std::vector<Filter>& filters)
{
    if (filters.size() > 255)
        w.fail("more than 255 filters");
    w.u8(std::uint8_t(filters.size())); // NumberOfFilters
    for (const Filter& f : filters)
        writeFilter(w, f);
}

void writeSoundInfo(ByteWriter& w, const SoundInfo& s)
{
    w.flushBits();
    w.ub(2, 0);                         // Reserved
    w.ub(1, s.syncStop);                // SyncStop
    w.ub(1, s.syncNoMultiple);          // SyncNoMultiple
    w.ub(1, !s.envelope.empty());       // HasEnvelope
    w.ub(1, s.loopCount.has_value());   // HasLoops
    w.ub(1, s.outPoint.has_value());    // HasOutPoint
    w.ub(1, s.inPoint.has_value());     // HasInPoint
    if (s.inPoint)
        w.u32(*s.inPoint);
    if (s.outPoint)
        w.u32(*s.outPoint);
    if (s.loopCount)
        w.u16(*s.loopCount);
    if (!s.envelope.empty()) {
        if (s.envelope.size() > 255)
            w.fail("a sound envelope with more than 255 points");
        w.u8(std::uint8_t(s.envelope.size()));
        for (const SoundEnvelopePoint& p : s.envelope) {
            w.u32(p.position44);
            w.u16(p.leftLevel);
            w.u16(p.rightLevel);
        }
    }
}

void writeSoundFormat(ByteWriter& w, const SoundFormatInfo& f)
{
    w.ub(4, std::uint32_t(f.format) & 15); // SoundFormat
    w.ub(2, f.rate & 3u);                  // SoundRate
    w.ub(1, f.is16Bit);                    // SoundSize
    w.ub(1, f.stereo);                     // SoundType
}

} // namespace swf::detail
