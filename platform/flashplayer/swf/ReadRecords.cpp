// Basic records, styles, filters and sound info.
#include "swf/ReaderInternal.h"

namespace swf::detail {

Rect readRect(ByteReader& r)
{
    r.align();
    const int n = int(r.ub(5));
    Rect rect;
    rect.xMin = r.sb(n);
    rect.xMax = r.sb(n);
    rect.yMin = r.sb(n);
    rect.yMax = r.sb(n);
    r.align();
    return rect;
}

Matrix readMatrix(ByteReader& r)
{
    r.align();
    Matrix m;
    if (r.flag()) { // HasScale
        const int n = int(r.ub(5));
        m.a = r.fb(n);
        m.d = r.fb(n);
    }
    if (r.flag()) { // HasRotate
        const int n = int(r.ub(5));
        m.b = r.fb(n);
        m.c = r.fb(n);
    }
    const int n = int(r.ub(5));
    m.tx = r.sb(n);
    m.ty = r.sb(n);
    r.align();
    return m;
}

ColorTransform readColorTransform(ByteReader& r, bool withAlpha)
{
    r.align();
    ColorTransform cx;
    const bool hasAdd = r.flag();
    const bool hasMult = r.flag();
    const int n = int(r.ub(4));
    if (hasMult) {
        cx.rMul = std::int16_t(r.sb(n));
        cx.gMul = std::int16_t(r.sb(n));
        cx.bMul = std::int16_t(r.sb(n));
        if (withAlpha)
            cx.aMul = std::int16_t(r.sb(n));
    }
    if (hasAdd) {
        cx.rAdd = std::int16_t(r.sb(n));
        cx.gAdd = std::int16_t(r.sb(n));
        cx.bAdd = std::int16_t(r.sb(n));
        if (withAlpha)
            cx.aAdd = std::int16_t(r.sb(n));
    }
    r.align();
    return cx;
}

Rgba readRgb(ByteReader& r)
{
    auto b = r.bytes(3);
    return b.size() == 3 ? Rgba{b[0], b[1], b[2], 255} : Rgba{};
}

Rgba readRgba(ByteReader& r)
{
    auto b = r.bytes(4);
    return b.size() == 4 ? Rgba{b[0], b[1], b[2], b[3]} : Rgba{};
}

namespace {

void readGradientHead(ByteReader& r, Gradient& g, std::size_t& count)
{
    r.align();
    g.spread = static_cast<SpreadMode>(std::min<std::uint32_t>(r.ub(2), 2)); // 3 is reserved: pad
    g.interpolation = static_cast<InterpolationMode>(r.ub(2) & 1);
    count = r.ub(4);
}

Status readGradient(ByteReader& r, bool rgba, bool focal, Gradient& g)
{
    std::size_t count = 0;
    readGradientHead(r, g, count);
    for (std::size_t i = 0; i < count && !r.failed(); ++i) {
        GradientRecord rec;
        rec.ratio = r.u8();
        rec.color = readColor(r, rgba);
        g.records.push_back(rec);
    }
    if (focal)
        g.focalPoint = r.fixed8();
    if (r.failed())
        return truncatedRecord("a gradient");
    return Ok{};
}

bool isGradient(std::uint8_t type) { return type == 0x10 || type == 0x12 || type == 0x13; }

FillKind gradientKind(std::uint8_t type)
{
    return type == 0x10 ? FillKind::LinearGradient : type == 0x12 ? FillKind::RadialGradient : FillKind::FocalGradient;
}

void setBitmapType(std::uint8_t type, FillStyle& f)
{
    f.kind = FillKind::Bitmap;
    f.repeating = (type & 1) == 0;
    f.smoothed = (type & 2) == 0;
}

Status readLineStyle(ByteReader& r, int shapeVersion, LineStyle& l)
{
    l.width = r.u16();
    if (shapeVersion < 4) {
        l.color = readColor(r, shapeVersion >= 3);
        return r.failed() ? Status(truncatedRecord("a line style")) : Status(Ok{});
    }
    l.startCap = static_cast<CapStyle>(std::min<std::uint32_t>(r.ub(2), 2));
    l.join = static_cast<JoinStyle>(std::min<std::uint32_t>(r.ub(2), 2));
    const bool hasFill = r.flag();
    l.noHScale = r.flag();
    l.noVScale = r.flag();
    l.pixelHinting = r.flag();
    r.ub(5);
    l.noClose = r.flag();
    l.endCap = static_cast<CapStyle>(std::min<std::uint32_t>(r.ub(2), 2));
    if (l.join == JoinStyle::Miter)
        l.miterLimit = r.u16() / 256.0;
    if (hasFill) {
        FillStyle f;
        SWF_TRY(readFillStyle(r, shapeVersion, f));
        l.fill = f;
    } else {
        l.color = readRgba(r);
    }
    return r.failed() ? Status(truncatedRecord("a line style")) : Status(Ok{});
}

} // namespace

Status readFillStyle(ByteReader& r, int shapeVersion, FillStyle& f)
{
    const std::uint8_t type = r.u8();
    if (type == 0x00) {
        f.kind = FillKind::Solid;
        f.color = readColor(r, shapeVersion >= 3);
    } else if (isGradient(type)) {
        f.kind = gradientKind(type);
        f.matrix = readMatrix(r);
        SWF_TRY(readGradient(r, shapeVersion >= 3, type == 0x13, f.gradient));
    } else if (type >= 0x40 && type <= 0x43) {
        setBitmapType(type, f);
        f.bitmapId = r.u16();
        f.matrix = readMatrix(r);
    } else {
        return malformed("unknown fill style type " + std::to_string(type));
    }
    return r.failed() ? Status(truncatedRecord("a fill style")) : Status(Ok{});
}

std::size_t readStyleCount(ByteReader& r, bool extended)
{
    std::size_t n = r.u8();
    if (n == 0xFF && extended)
        n = r.u16();
    return n;
}

Status readStyleArrays(ByteReader& r, int shapeVersion, const Limits& limits, StyleArrays& out)
{
    std::size_t fills = readStyleCount(r, shapeVersion >= 2);
    if (fills > limits.maxStyles)
        return makeError(ErrorCode::LimitExceeded, "too many fill styles");
    for (std::size_t i = 0; i < fills && !r.failed(); ++i) {
        FillStyle f;
        SWF_TRY(readFillStyle(r, shapeVersion, f));
        out.fills.push_back(std::move(f));
    }
    std::size_t lines = readStyleCount(r, true);
    if (lines > limits.maxStyles)
        return makeError(ErrorCode::LimitExceeded, "too many line styles");
    for (std::size_t i = 0; i < lines && !r.failed(); ++i) {
        LineStyle l;
        SWF_TRY(readLineStyle(r, shapeVersion, l));
        out.lines.push_back(std::move(l));
    }
    return r.failed() ? Status(truncatedRecord("a style array")) : Status(Ok{});
}

namespace {

Status readMorphGradient(ByteReader& r, bool focal, Gradient& start, Gradient& end)
{
    std::size_t count = 0;
    readGradientHead(r, start, count);
    end.spread = start.spread;
    end.interpolation = start.interpolation;
    for (std::size_t i = 0; i < count && !r.failed(); ++i) {
        GradientRecord a, b;
        a.ratio = r.u8();
        a.color = readRgba(r);
        b.ratio = r.u8();
        b.color = readRgba(r);
        start.records.push_back(a);
        end.records.push_back(b);
    }
    if (focal) {
        start.focalPoint = r.fixed8();
        end.focalPoint = r.fixed8();
    }
    return r.failed() ? Status(truncatedRecord("a morph gradient")) : Status(Ok{});
}

} // namespace

Status readMorphFillStyle(ByteReader& r, MorphFillStyle& m)
{
    const std::uint8_t type = r.u8();
    if (type == 0x00) {
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
    } else if (isGradient(type)) {
        m.start.kind = m.end.kind = gradientKind(type);
        m.start.matrix = readMatrix(r);
        m.end.matrix = readMatrix(r);
        SWF_TRY(readMorphGradient(r, type == 0x13, m.start.gradient, m.end.gradient));
    } else if (type >= 0x40 && type <= 0x43) {
        setBitmapType(type, m.start);
        setBitmapType(type, m.end);
        m.start.bitmapId = m.end.bitmapId = r.u16();
        m.start.matrix = readMatrix(r);
        m.end.matrix = readMatrix(r);
    } else {
        return malformed("unknown morph fill style type " + std::to_string(type));
    }
    return r.failed() ? Status(truncatedRecord("a morph fill style")) : Status(Ok{});
}

Status readMorphLineStyle(ByteReader& r, int morphVersion, MorphLineStyle& m)
{
    m.start.width = r.u16();
    m.end.width = r.u16();
    if (morphVersion < 2) {
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
        return r.failed() ? Status(truncatedRecord("a morph line style")) : Status(Ok{});
    }
    LineStyle& s = m.start;
    s.startCap = static_cast<CapStyle>(std::min<std::uint32_t>(r.ub(2), 2));
    s.join = static_cast<JoinStyle>(std::min<std::uint32_t>(r.ub(2), 2));
    const bool hasFill = r.flag();
    s.noHScale = r.flag();
    s.noVScale = r.flag();
    s.pixelHinting = r.flag();
    r.ub(5);
    s.noClose = r.flag();
    s.endCap = static_cast<CapStyle>(std::min<std::uint32_t>(r.ub(2), 2));
    if (s.join == JoinStyle::Miter)
        s.miterLimit = r.u16() / 256.0;
    const std::uint16_t endWidth = m.end.width;
    m.end = s;
    m.end.width = endWidth;
    if (hasFill) {
        MorphFillStyle f;
        SWF_TRY(readMorphFillStyle(r, f));
        m.start.fill = f.start;
        m.end.fill = f.end;
    } else {
        m.start.color = readRgba(r);
        m.end.color = readRgba(r);
    }
    return r.failed() ? Status(truncatedRecord("a morph line style")) : Status(Ok{});
}

namespace {

void readFilterFlags(ByteReader& r, Filter& f, bool withOnTop)
{
    f.inner = r.flag();
    f.knockout = r.flag();
    f.compositeSource = r.flag();
    if (withOnTop) {
        f.onTop = r.flag();
        f.passes = std::uint8_t(r.ub(4));
    } else {
        f.passes = std::uint8_t(r.ub(5));
    }
    r.align();
}

void readBlurAngle(ByteReader& r, Filter& f, bool withAngle)
{
    f.blurX = r.fixed16();
    f.blurY = r.fixed16();
    if (withAngle) {
        f.angle = r.fixed16();
        f.distance = r.fixed16();
    }
}

Status readFilter(ByteReader& r, Filter& f)
{
    const std::uint8_t id = r.u8();
    if (id > 7)
        return malformed("unknown filter " + std::to_string(id));
    f.kind = static_cast<FilterKind>(id);
    switch (f.kind) {
    case FilterKind::DropShadow:
        f.colors = {readRgba(r)};
        readBlurAngle(r, f, true);
        f.strength = r.fixed8();
        readFilterFlags(r, f, false);
        break;
    case FilterKind::Blur:
        readBlurAngle(r, f, false);
        f.passes = std::uint8_t(r.ub(5));
        r.align();
        break;
    case FilterKind::Glow:
        f.colors = {readRgba(r)};
        readBlurAngle(r, f, false);
        f.strength = r.fixed8();
        readFilterFlags(r, f, false);
        break;
    case FilterKind::Bevel:
        f.colors = {readRgba(r), readRgba(r)};
        readBlurAngle(r, f, true);
        f.strength = r.fixed8();
        readFilterFlags(r, f, true);
        break;
    case FilterKind::GradientGlow:
    case FilterKind::GradientBevel: {
        const std::size_t n = r.u8();
        for (std::size_t i = 0; i < n && !r.failed(); ++i)
            f.colors.push_back(readRgba(r));
        for (std::size_t i = 0; i < n && !r.failed(); ++i)
            f.ratios.push_back(r.u8());
        readBlurAngle(r, f, true);
        f.strength = r.fixed8();
        readFilterFlags(r, f, true);
        break;
    }
    case FilterKind::Convolution: {
        f.matrixX = r.u8();
        f.matrixY = r.u8();
        f.divisor = r.f32();
        f.bias = r.f32();
        const std::size_t n = std::size_t(f.matrixX) * f.matrixY;
        for (std::size_t i = 0; i < n && !r.failed(); ++i)
            f.matrix.push_back(r.f32());
        f.defaultColor = readRgba(r);
        r.ub(6);
        f.clamp = r.flag();
        f.preserveAlpha = r.flag();
        r.align();
        break;
    }
    case FilterKind::ColorMatrix:
        for (float& v : f.colorMatrix)
            v = r.f32();
        break;
    }
    return r.failed() ? Status(truncatedRecord("a filter")) : Status(Ok{});
}

} // namespace

Status readFilterList(ByteReader& r, std::vector<Filter>& out)
{
    const std::size_t n = r.u8();
    for (std::size_t i = 0; i < n && !r.failed(); ++i) {
        Filter f;
        SWF_TRY(readFilter(r, f));
        out.push_back(std::move(f));
    }
    return r.failed() ? Status(truncatedRecord("a filter list")) : Status(Ok{});
}

SoundInfo readSoundInfo(ByteReader& r)
{
    SoundInfo s;
    r.ub(2);
    s.syncStop = r.flag();
    s.syncNoMultiple = r.flag();
    const bool hasEnvelope = r.flag();
    const bool hasLoops = r.flag();
    const bool hasOut = r.flag();
    const bool hasIn = r.flag();
    if (hasIn)
        s.inPoint = r.u32();
    if (hasOut)
        s.outPoint = r.u32();
    if (hasLoops)
        s.loopCount = r.u16();
    if (hasEnvelope) {
        const std::size_t n = r.u8();
        for (std::size_t i = 0; i < n && !r.failed(); ++i) {
            SoundEnvelopePoint p;
            p.position44 = r.u32();
            p.leftLevel = r.u16();
            p.rightLevel = r.u16();
            s.envelope.push_back(p);
        }
    }
    return s;
}

SoundFormatInfo readSoundFormat(ByteReader& r)
{
    SoundFormatInfo f;
    f.format = static_cast<SoundFormat>(r.ub(4));
    f.rate = std::uint8_t(r.ub(2));
    f.is16Bit = r.flag();
    f.stereo = r.flag();
    return f;
}

} // namespace swf::detail
