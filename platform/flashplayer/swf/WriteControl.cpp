// Control tags and timelines (frames, labels, ShowFrame, End).
#include "swf/WriterInternal.h"

namespace swf::detail {

namespace {

void writeClipActions(ByteWriter& w, const std::vector<ClipAction>& actions, std::uint8_t swfVersion)
{
    const bool wide = swfVersion >= 6;
    auto events = [&](std::uint32_t v) {
        if (!wide && v > 0xFFFF)
            w.fail("clip events of SWF 6 in an older movie");
        wide ? w.u32(v) : w.u16(std::uint16_t(v));
    };
    std::uint32_t all = 0;
    for (const ClipAction& a : actions)
        all |= a.events;
    w.u16(0);    // Reserved
    events(all); // AllEventFlags
    for (const ClipAction& a : actions) {
        if (a.events == 0)
            w.fail("a clip action without events");
        events(a.events);
        const bool key = a.events & ClipEventKeyPress;
        w.u32(std::uint32_t(a.actions.size() + (key ? 1 : 0))); // ActionRecordSize
        if (key)
            w.u8(a.keyCode);
        w.bytes(a.actions);
    }
    events(0); // ClipActionEndFlag
}

void writePlaceObject1(WriteContext& ctx, const PlaceObject& p)
{
    ByteWriter w;
    if (!p.characterId || p.move)
        w.fail("PlaceObject needs a character and cannot move");
    w.u16(p.characterId.value_or(0));
    w.u16(p.depth);
    writeMatrix(w, p.matrix.value_or(Matrix{}));
    if (p.colorTransform)
        writeColorTransform(w, *p.colorTransform, false);
    writeTag(ctx.out, 4, w);
}

void writePlaceObject23(WriteContext& ctx, const PlaceObject& p)
{
    const bool v3 = p.version >= 3;
    if (!v3 && (p.className || p.hasImage || p.filters || p.blendMode || p.cacheAsBitmap || p.visible ||
                p.opaqueBackground))
        ctx.out.fail("PlaceObject3 members on a PlaceObject2");
    ByteWriter w;
    w.u8(std::uint8_t((!p.clipActions.empty() ? 0x80 : 0) | (p.clipDepth ? 0x40 : 0) | (p.name ? 0x20 : 0) |
                      (p.ratio ? 0x10 : 0) | (p.colorTransform ? 0x08 : 0) | (p.matrix ? 0x04 : 0) |
                      (p.characterId ? 0x02 : 0) | (p.move ? 0x01 : 0)));
    if (v3)
        w.u8(std::uint8_t((p.opaqueBackground ? 0x40 : 0) | (p.visible ? 0x20 : 0) | (p.hasImage ? 0x10 : 0) |
                          (p.className ? 0x08 : 0) | (p.cacheAsBitmap ? 0x04 : 0) | (p.blendMode ? 0x02 : 0) |
                          (p.filters ? 0x01 : 0)));
    w.u16(p.depth); // Depth
    if (p.className)
        w.cstring(*p.className);
    if (p.characterId)
        w.u16(*p.characterId);
    if (p.matrix)
        writeMatrix(w, *p.matrix);
    if (p.colorTransform)
        writeColorTransform(w, *p.colorTransform, true);
    if (p.ratio)
        w.u16(*p.ratio);
    if (p.name)
        w.cstring(*p.name);
    if (p.clipDepth)
        w.u16(*p.clipDepth);
    if (p.filters)
        writeFilterList(w, *p.filters);
    if (p.blendMode)
        w.u8(std::uint8_t(*p.blendMode));
    if (p.cacheAsBitmap)
        w.u8(*p.cacheAsBitmap ? 1 : 0);
    if (p.visible)
        w.u8(*p.visible ? 1 : 0);
    if (p.opaqueBackground)
        writeRgba(w, *p.opaqueBackground);
    if (!p.clipActions.empty())
        writeClipActions(w, p.clipActions, ctx.swfVersion());
    writeTag(ctx.out, v3 ? 70 : 26, w);
}

void writeStreamHead(WriteContext& ctx, const SoundStreamHead& h)
{
    ByteWriter w;
    w.ub(4, 0); // Reserved
    w.ub(2, h.playback.rate & 3u);
    w.ub(1, h.playback.is16Bit);
    w.ub(1, h.playback.stereo);
    writeSoundFormat(w, h.stream);
    w.u16(h.samplesPerBlock); // StreamSoundSampleCount
    if (h.stream.format == SoundFormat::Mp3)
        w.s16(h.latencySeek); // LatencySeek
    writeTag(ctx.out, h.version == 2 ? 45 : 18, w);
}

void writeLabels(WriteContext& ctx, const Timeline& t, std::size_t frame)
{
    for (const FrameLabel& l : t.labels) {
        if (l.frame != frame)
            continue;
        ByteWriter w;
        w.cstring(l.name);
        if (l.anchor)
            w.u8(1); // NamedAnchor
        writeTag(ctx.out, 43, w);
    }
}

} // namespace

void writeControlTag(WriteContext& ctx, const ControlTag& tag)
{
    ByteWriter w;
    if (auto* p = std::get_if<PlaceObject>(&tag)) {
        p->version == 1 ? writePlaceObject1(ctx, *p) : writePlaceObject23(ctx, *p);
    } else if (auto* r = std::get_if<RemoveObject>(&tag)) {
        if (r->characterId)
            w.u16(*r->characterId);
        w.u16(r->depth);
        writeTag(ctx.out, r->characterId ? 5 : 28, w);
    } else if (auto* a = std::get_if<DoAction>(&tag)) {
        w.bytes(a->actions);
        writeTag(ctx.out, 12, w);
    } else if (auto* i = std::get_if<DoInitAction>(&tag)) {
        w.u16(i->spriteId);
        w.bytes(i->actions);
        writeTag(ctx.out, 59, w);
    } else if (auto* s = std::get_if<StartSound>(&tag)) {
        s->className ? w.cstring(*s->className) : w.u16(s->soundId);
        writeSoundInfo(w, s->info);
        writeTag(ctx.out, s->className ? 89 : 15, w);
    } else if (auto* b = std::get_if<SoundStreamBlock>(&tag)) {
        w.bytes(b->data);
        writeTag(ctx.out, 19, w, true);
    } else if (auto* bg = std::get_if<SetBackgroundColor>(&tag)) {
        writeRgb(w, Rgba{bg->color.r, bg->color.g, bg->color.b, 255});
        writeTag(ctx.out, 9, w);
    } else if (auto* t = std::get_if<SetTabIndex>(&tag)) {
        w.u16(t->depth);
        w.u16(t->tabIndex);
        writeTag(ctx.out, 66, w);
    }
}

void writeTimeline(WriteContext& ctx, const Timeline& t)
{
    if (t.soundStreamHead)
        writeStreamHead(ctx, *t.soundStreamHead);
    for (std::size_t i = 0; i < t.frames.size(); ++i) {
        writeLabels(ctx, t, i);
        for (const ControlTag& tag : t.frames[i].tags)
            writeControlTag(ctx, tag);
        writeTag(ctx.out, 1, ByteWriter{}); // ShowFrame
    }
    writeLabels(ctx, t, t.frames.size());
    writeTag(ctx.out, 0, ByteWriter{}); // End
}

} // namespace swf::detail
