// Bitmap, sprite, button, video and sound definitions.
#include "swf/ReaderInternal.h"

#include <algorithm>
#include <array>

namespace swf::detail {

Status readDefineBits(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    Bitmap b;
    b.id = r.u16();
    b.kind = code == 6 ? BitmapKind::Jpeg : code == 21 ? BitmapKind::Jpeg2 : code == 35 ? BitmapKind::Jpeg3 : BitmapKind::Jpeg4;
    if (b.kind == BitmapKind::Jpeg3 || b.kind == BitmapKind::Jpeg4) {
        const std::uint32_t alphaOffset = r.u32();
        if (b.kind == BitmapKind::Jpeg4)
            b.deblocking = r.u16();
        if (alphaOffset > r.remaining())
            return malformed("a JPEG's alpha offset lies beyond its tag");
        b.data = r.bytesVector(alphaOffset);
        b.alphaData = r.rest();
    } else {
        b.data = r.rest();
    }
    if (r.failed())
        return truncatedRecord("a JPEG bitmap");
    define(ctx, std::move(b));
    return Ok{};
}

Status readJpegTables(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    if (ctx.movie.jpegTables.empty())
        ctx.movie.jpegTables = r.rest();
    return Ok{};
}

Status readDefineBitsLossless(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    Bitmap b;
    b.kind = code == 36 ? BitmapKind::Lossless2 : BitmapKind::Lossless;
    b.id = r.u16();
    const std::uint8_t format = r.u8();
    if (format < 3 || format > 5)
        return malformed("unknown lossless bitmap format " + std::to_string(format));
    b.format = static_cast<LosslessFormat>(format);
    b.width = r.u16();
    b.height = r.u16();
    if (b.format == LosslessFormat::ColorMapped8)
        b.colorTableSize = r.u8();
    b.data = r.rest();
    if (r.failed())
        return truncatedRecord("a lossless bitmap");
    define(ctx, std::move(b));
    return Ok{};
}

Status readDefineSprite(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    if (ctx.spriteDepth >= ctx.limits.maxSpriteDepth)
        return makeError(ErrorCode::LimitExceeded, "sprites nested too deeply");
    Sprite s;
    s.id = r.u16();
    s.timeline.declaredFrameCount = r.u16();
    if (r.failed())
        return truncatedRecord("DefineSprite");
    TagContext inner{ctx.movie, ctx.limits, ctx.tagCount};
    inner.timeline = &s.timeline;
    inner.spriteDepth = ctx.spriteDepth + 1;
    if (!readTagList(r, inner))
        warn(ctx, "sprite " + std::to_string(s.id) + " breaks off; its complete frames are kept");
    define(ctx, std::move(s));
    return Ok{};
}

namespace {

// BUTTONRECORDs up to the zero byte. Returns false at the end.
Status readButtonRecords(ByteReader& r, int version, std::vector<ButtonRecord>& out)
{
    while (!r.failed()) {
        const std::uint8_t flags = r.u8();
        if (flags == 0)
            break;
        ButtonRecord b;
        const bool hasBlend = flags & 0x20, hasFilters = flags & 0x10;
        b.hitTest = flags & 0x08;
        b.down = flags & 0x04;
        b.over = flags & 0x02;
        b.up = flags & 0x01;
        b.characterId = r.u16();
        b.depth = r.u16();
        b.matrix = readMatrix(r);
        if (version == 2) {
            b.colorTransform = readColorTransform(r, true);
            if (hasFilters)
                SWF_TRY(readFilterList(r, b.filters));
            if (hasBlend)
                b.blendMode = static_cast<BlendMode>(std::clamp<int>(r.u8(), 1, 14));
        }
        out.push_back(std::move(b));
    }
    return r.failed() ? Status(truncatedRecord("a button record")) : Status(Ok{});
}

} // namespace

Status readDefineButton(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    Button b;
    b.version = 1;
    b.id = r.u16();
    SWF_TRY(readButtonRecords(r, 1, b.records));
    ButtonAction a;
    a.transitions = OverDownToOverUp;
    a.actions = r.rest();
    if (!a.actions.empty())
        b.actions.push_back(std::move(a));
    define(ctx, std::move(b));
    return Ok{};
}

Status readDefineButton2(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    Button b;
    b.version = 2;
    b.id = r.u16();
    b.trackAsMenu = r.u8() & 1;
    const std::size_t actionStart = r.position();
    const std::uint16_t actionOffset = r.u16();
    SWF_TRY(readButtonRecords(r, 2, b.records));
    if (actionOffset != 0) {
        if (actionStart + actionOffset < r.position() || actionStart + actionOffset > r.size())
            return malformed("a button's action offset points outside the button");
        r.skip(actionStart + actionOffset - r.position());
        for (bool last = false; !last && !r.failed();) {
            const std::uint16_t size = r.u16();
            last = size == 0;
            if (!last && size < 4)
                return malformed("a button action record shorter than its header");
            ButtonAction a;
            const std::uint8_t c0 = r.u8();
            const std::uint8_t c1 = r.u8();
            a.transitions = std::uint16_t(c0 | ((c1 & 1) << 8));
            a.keyCode = c1 >> 1;
            a.actions = last ? r.rest() : r.bytesVector(size - 4u);
            b.actions.push_back(std::move(a));
        }
        if (r.failed())
            return truncatedRecord("a button's actions");
    }
    define(ctx, std::move(b));
    return Ok{};
}

namespace {

Button* findButton(TagContext& ctx, std::uint16_t id)
{
    auto it = ctx.movie.dictionary.find(id);
    return it == ctx.movie.dictionary.end() ? nullptr : std::get_if<Button>(&it->second);
}

} // namespace

Status readDefineButtonCxform(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    Button* b = findButton(ctx, r.u16());
    const ColorTransform cx = readColorTransform(r, false);
    if (!b)
        return malformed("a colour transform for a button that is not defined");
    if (r.failed())
        return truncatedRecord("DefineButtonCxform");
    b->colorTransform = cx;
    return Ok{};
}

Status readDefineButtonSound(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    Button* b = findButton(ctx, r.u16());
    std::array<ButtonSound, 4> sounds;
    for (ButtonSound& s : sounds) {
        s.soundId = r.u16();
        if (s.soundId != 0)
            s.info = readSoundInfo(r);
    }
    if (!b)
        return malformed("sounds for a button that is not defined");
    if (r.failed())
        return truncatedRecord("DefineButtonSound");
    b->sounds = sounds;
    return Ok{};
}

Status readDefineVideoStream(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    VideoStream v;
    v.id = r.u16();
    v.numFrames = r.u16();
    v.width = r.u16();
    v.height = r.u16();
    r.ub(4);
    v.deblocking = std::uint8_t(r.ub(3));
    v.smoothing = r.flag();
    v.codecId = r.u8();
    if (r.failed())
        return truncatedRecord("DefineVideoStream");
    define(ctx, std::move(v));
    return Ok{};
}

Status readVideoFrame(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    const std::uint16_t id = r.u16();
    VideoFrame f;
    f.frameNum = r.u16();
    f.data = r.rest();
    auto it = ctx.movie.dictionary.find(id);
    VideoStream* v = it == ctx.movie.dictionary.end() ? nullptr : std::get_if<VideoStream>(&it->second);
    if (!v)
        return malformed("a video frame for a stream that is not defined");
    if (r.failed())
        return truncatedRecord("VideoFrame");
    v->frames.push_back(std::move(f));
    return Ok{};
}

Status readDefineSound(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    Sound s;
    s.id = r.u16();
    s.format = readSoundFormat(r);
    s.sampleCount = r.u32();
    s.data = r.rest();
    if (r.failed())
        return truncatedRecord("DefineSound");
    define(ctx, std::move(s));
    return Ok{};
}

} // namespace swf::detail
