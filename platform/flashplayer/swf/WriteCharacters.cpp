// Bitmap, sprite, button, video and sound definitions, and the dispatch of
// every character kind to its writer.
#include "swf/WriterInternal.h"

namespace swf::detail {

namespace {

void writeBitmap(WriteContext& ctx, const Bitmap& b)
{
    ByteWriter w;
    w.u16(b.id); // CharacterId
    switch (b.kind) {
    case BitmapKind::Jpeg:
    case BitmapKind::Jpeg2:
        w.bytes(b.data); // JPEGData / ImageData
        writeTag(ctx.out, b.kind == BitmapKind::Jpeg ? 6 : 21, w, true);
        return;
    case BitmapKind::Jpeg3:
    case BitmapKind::Jpeg4:
        w.u32(std::uint32_t(b.data.size())); // AlphaDataOffset
        if (b.kind == BitmapKind::Jpeg4)
            w.u16(b.deblocking); // DeblockParam
        w.bytes(b.data);
        w.bytes(b.alphaData); // BitmapAlphaData
        writeTag(ctx.out, b.kind == BitmapKind::Jpeg3 ? 35 : 90, w, true);
        return;
    case BitmapKind::Lossless:
    case BitmapKind::Lossless2:
        w.u8(std::uint8_t(b.format)); // BitmapFormat
        w.u16(b.width);               // BitmapWidth
        w.u16(b.height);              // BitmapHeight
        if (b.format == LosslessFormat::ColorMapped8) {
            if (b.colorTableSize > 255)
                w.fail("a colour table of more than 256 entries");
            w.u8(std::uint8_t(b.colorTableSize)); // BitmapColorTableSize
        }
        w.bytes(b.data); // ZlibBitmapData
        writeTag(ctx.out, b.kind == BitmapKind::Lossless ? 20 : 36, w, true);
        return;
    }
}

void writeSprite(WriteContext& ctx, const Sprite& s)
{
    ByteWriter body;
    WriteContext inner{ctx.movie, body};
    if (s.timeline.frames.size() > 0xFFFF)
        body.fail("a sprite with more than 65535 frames");
    body.u16(s.id);                                   // Sprite ID
    body.u16(std::uint16_t(s.timeline.frames.size())); // FrameCount
    writeTimeline(inner, s.timeline);
    writeTag(ctx.out, 39, body);
}

void writeButtonRecords(ByteWriter& w, const Button& b)
{
    for (const ButtonRecord& r : b.records) {
        const bool hasFilters = b.version == 2 && !r.filters.empty();
        const bool hasBlend = b.version == 2 && r.blendMode.has_value();
        if (b.version == 1 && (!r.colorTransform.isIdentity() || !r.filters.empty() || r.blendMode))
            w.fail("DefineButton records cannot carry colour transforms, filters or blend modes");
        w.u8(std::uint8_t((hasBlend ? 0x20 : 0) | (hasFilters ? 0x10 : 0) | (r.hitTest ? 0x08 : 0) |
                          (r.down ? 0x04 : 0) | (r.over ? 0x02 : 0) | (r.up ? 0x01 : 0)));
        if (!(r.hitTest || r.down || r.over || r.up))
            w.fail("a button record shown in no state");
        w.u16(r.characterId);
        w.u16(r.depth); // PlaceDepth
        writeMatrix(w, r.matrix);
        if (b.version == 2) {
            writeColorTransform(w, r.colorTransform, true);
            if (hasFilters)
                writeFilterList(w, r.filters);
            if (hasBlend)
                w.u8(std::uint8_t(*r.blendMode));
        }
    }
    w.u8(0); // CharacterEndFlag
}

void writeButton1(WriteContext& ctx, const Button& b)
{
    ByteWriter w;
    w.u16(b.id); // ButtonId
    writeButtonRecords(w, b);
    if (b.actions.size() > 1 || (b.actions.size() == 1 && b.actions[0].transitions != OverDownToOverUp))
        w.fail("DefineButton has only one action list, run on release");
    if (!b.actions.empty())
        w.bytes(b.actions[0].actions); // Actions
    writeTag(ctx.out, 7, w);
    if (b.colorTransform) {
        ByteWriter cx; // DefineButtonCxform
        cx.u16(b.id);
        writeColorTransform(cx, *b.colorTransform, false);
        writeTag(ctx.out, 23, cx);
    }
}

void writeButton2(WriteContext& ctx, const Button& b)
{
    ByteWriter w;
    w.u16(b.id);                    // ButtonId
    w.u8(b.trackAsMenu ? 1 : 0);    // TrackAsMenu
    const std::size_t offsetAt = w.size();
    w.u16(0); // ActionOffset: patched below
    writeButtonRecords(w, b);
    if (!b.actions.empty())
        w.patchU16(offsetAt, std::uint16_t(w.size() - offsetAt));
    for (std::size_t i = 0; i < b.actions.size(); ++i) {
        const ButtonAction& a = b.actions[i];
        const bool last = i + 1 == b.actions.size();
        if (a.actions.size() + 4 > 0xFFFF && !last)
            w.fail("a button action list longer than 65531 bytes");
        w.u16(last ? 0 : std::uint16_t(a.actions.size() + 4)); // CondActionSize
        w.u8(std::uint8_t(a.transitions & 0xFF));
        w.u8(std::uint8_t(((a.keyCode & 0x7F) << 1) | ((a.transitions >> 8) & 1)));
        w.bytes(a.actions);
    }
    writeTag(ctx.out, 34, w);
    if (b.colorTransform)
        ctx.out.fail("DefineButtonCxform belongs to DefineButton only");
}

void writeButtonSounds(WriteContext& ctx, const Button& b)
{
    if (!b.sounds)
        return;
    ByteWriter w; // DefineButtonSound
    w.u16(b.id);
    for (const ButtonSound& s : *b.sounds) {
        w.u16(s.soundId);
        if (s.soundId != 0)
            writeSoundInfo(w, s.info);
    }
    writeTag(ctx.out, 17, w);
}

void writeVideoStream(WriteContext& ctx, const VideoStream& v)
{
    ByteWriter w;
    w.u16(v.id);        // CharacterID
    w.u16(v.numFrames); // NumFrames
    w.u16(v.width);
    w.u16(v.height);
    w.ub(4, 0);                           // VideoFlagsReserved
    w.ub(3, v.deblocking & 7u);           // VideoFlagsDeblocking
    w.ub(1, v.smoothing);                 // VideoFlagsSmoothing
    w.u8(v.codecId);                      // CodecID
    writeTag(ctx.out, 60, w);
    // The frames follow their stream; players pick a frame by the ratio of the
    // placed video, so their place on the timeline does not matter to us.
    for (const VideoFrame& f : v.frames) {
        ByteWriter fw;
        fw.u16(v.id);       // StreamID
        fw.u16(f.frameNum); // FrameNum
        fw.bytes(f.data);   // VideoData
        writeTag(ctx.out, 61, fw, true);
    }
}

void writeSound(WriteContext& ctx, const Sound& s)
{
    ByteWriter w;
    w.u16(s.id); // SoundId
    writeSoundFormat(w, s.format);
    w.u32(s.sampleCount); // SoundSampleCount
    w.bytes(s.data);      // SoundData
    writeTag(ctx.out, 14, w, true);
}

} // namespace

void writeCharacter(WriteContext& ctx, const Character& c)
{
    std::visit(
        [&](const auto& ch) {
            using T = std::decay_t<decltype(ch)>;
            if constexpr (std::is_same_v<T, Shape>)
                writeShape(ctx, ch);
            else if constexpr (std::is_same_v<T, MorphShape>)
                writeMorphShape(ctx, ch);
            else if constexpr (std::is_same_v<T, Font>)
                writeFont(ctx, ch);
            else if constexpr (std::is_same_v<T, Text>)
                writeText(ctx, ch);
            else if constexpr (std::is_same_v<T, EditText>)
                writeEditText(ctx, ch);
            else if constexpr (std::is_same_v<T, Bitmap>)
                writeBitmap(ctx, ch);
            else if constexpr (std::is_same_v<T, Sprite>)
                writeSprite(ctx, ch);
            else if constexpr (std::is_same_v<T, Button>) {
                ch.version == 1 ? writeButton1(ctx, ch) : writeButton2(ctx, ch);
                writeButtonSounds(ctx, ch);
            } else if constexpr (std::is_same_v<T, VideoStream>)
                writeVideoStream(ctx, ch);
            else
                writeSound(ctx, ch);
        },
        c);
}

} // namespace swf::detail
