// Control tags (placing, removing, actions, labels, sounds on the timeline) and
// movie-wide informative tags.
#include "swf/ReaderInternal.h"

#include <algorithm>

namespace swf::detail {

namespace {

void addControl(TagContext& ctx, ControlTag tag)
{
    if (ctx.frame)
        ctx.frame->tags.push_back(std::move(tag));
}

Status readClipActions(ByteReader& r, std::uint8_t swfVersion, std::vector<ClipAction>& out)
{
    const bool wide = swfVersion >= 6;
    r.u16(); // reserved
    wide ? r.u32() : r.u16(); // AllEventFlags
    while (!r.failed()) {
        const std::uint32_t events = wide ? r.u32() : r.u16();
        if (events == 0)
            break;
        std::uint32_t size = r.u32();
        ClipAction a;
        a.events = events;
        if (events & ClipEventKeyPress) {
            a.keyCode = r.u8();
            size = size > 0 ? size - 1 : 0;
        }
        if (size > r.remaining())
            return malformed("a clip action longer than its tag");
        a.actions = r.bytesVector(size);
        out.push_back(std::move(a));
    }
    return r.failed() ? Status(truncatedRecord("clip actions")) : Status(Ok{});
}

} // namespace

Status readPlaceObject(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    PlaceObject p;
    p.version = 1;
    p.characterId = r.u16();
    p.depth = r.u16();
    p.matrix = readMatrix(r);
    if (r.remaining() > 0)
        p.colorTransform = readColorTransform(r, false);
    if (r.failed())
        return truncatedRecord("PlaceObject");
    addControl(ctx, std::move(p));
    return Ok{};
}

// PlaceObject2, PlaceObject3 and PlaceObject4 (PlaceObject3 followed by AMF data
// for ActionScript 3, which we leave alone).
Status readPlaceObject2(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    PlaceObject p;
    p.version = code == 26 ? 2 : 3;
    const std::uint8_t f = r.u8();
    const std::uint8_t g = p.version == 3 ? r.u8() : 0;
    const bool hasCharacter = f & 0x02;
    p.move = f & 0x01;
    p.depth = r.u16();
    p.hasImage = g & 0x10;
    if (g & 0x08) // PlaceFlagHasClassName (real files with HasImage carry an id, no name)
        p.className = r.cstring();
    if (hasCharacter)
        p.characterId = r.u16();
    if (f & 0x04)
        p.matrix = readMatrix(r);
    if (f & 0x08)
        p.colorTransform = readColorTransform(r, true);
    if (f & 0x10)
        p.ratio = r.u16();
    if (f & 0x20)
        p.name = r.cstring();
    if (f & 0x40)
        p.clipDepth = r.u16();
    if (g & 0x01) {
        std::vector<Filter> filters;
        SWF_TRY(readFilterList(r, filters));
        p.filters = std::move(filters);
    }
    if (g & 0x02)
        p.blendMode = static_cast<BlendMode>(std::clamp<int>(r.u8(), 1, 14));
    if (g & 0x04)
        p.cacheAsBitmap = r.u8() != 0;
    if (g & 0x20)
        p.visible = r.u8() != 0;
    if (g & 0x40)
        p.opaqueBackground = readRgba(r);
    if (f & 0x80)
        SWF_TRY(readClipActions(r, ctx.swfVersion(), p.clipActions));
    if (r.failed())
        return truncatedRecord("PlaceObject2");
    addControl(ctx, std::move(p));
    return Ok{};
}

Status readRemoveObject(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    RemoveObject o;
    if (code == 5)
        o.characterId = r.u16();
    o.depth = r.u16();
    if (r.failed())
        return truncatedRecord("RemoveObject");
    addControl(ctx, o);
    return Ok{};
}

Status readDoAction(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    addControl(ctx, DoAction{r.rest()});
    return Ok{};
}

Status readDoInitAction(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    DoInitAction a;
    a.spriteId = r.u16();
    a.actions = r.rest();
    if (r.failed())
        return truncatedRecord("DoInitAction");
    addControl(ctx, std::move(a));
    return Ok{};
}

Status readSetBackgroundColor(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    const Rgba c = readRgb(r);
    if (r.failed())
        return truncatedRecord("SetBackgroundColor");
    addControl(ctx, SetBackgroundColor{c});
    return Ok{};
}

Status readFrameLabel(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    FrameLabel l;
    l.name = r.cstring();
    if (r.failed())
        return truncatedRecord("FrameLabel");
    l.anchor = r.remaining() > 0 && r.u8() == 1;
    l.frame = std::uint32_t(ctx.timeline->frames.size());
    ctx.timeline->labels.push_back(std::move(l));
    return Ok{};
}

Status readSetTabIndex(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    SetTabIndex t;
    t.depth = r.u16();
    t.tabIndex = r.u16();
    if (r.failed())
        return truncatedRecord("SetTabIndex");
    addControl(ctx, t);
    return Ok{};
}

Status readStartSound(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    StartSound s;
    if (code == 89)
        s.className = r.cstring();
    else
        s.soundId = r.u16();
    s.info = readSoundInfo(r);
    if (r.failed())
        return truncatedRecord("StartSound");
    addControl(ctx, std::move(s));
    return Ok{};
}

Status readSoundStreamHead(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    SoundStreamHead h;
    h.version = code == 45 ? 2 : 1;
    r.ub(4);
    h.playback.rate = std::uint8_t(r.ub(2));
    h.playback.is16Bit = r.flag();
    h.playback.stereo = r.flag();
    h.stream = readSoundFormat(r);
    h.playback.format = h.stream.format;
    h.samplesPerBlock = r.u16();
    if (h.stream.format == SoundFormat::Mp3 && r.remaining() >= 2)
        h.latencySeek = r.s16();
    if (r.failed())
        return truncatedRecord("SoundStreamHead");
    ctx.timeline->soundStreamHead = h;
    return Ok{};
}

Status readSoundStreamBlock(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    addControl(ctx, SoundStreamBlock{r.rest()});
    return Ok{};
}

// FileAttributes, Metadata, ScriptLimits, Protect, EnableDebugger 1/2.
Status readMovieAttributes(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    Movie& m = ctx.movie;
    switch (code) {
    case 69: {
        const std::uint8_t f = r.u8();
        FileAttributes a;
        a.useDirectBlit = f & 0x40;
        a.useGpu = f & 0x20;
        a.hasMetadata = f & 0x10;
        a.actionScript3 = f & 0x08;
        a.useNetwork = f & 0x01;
        if (!r.failed())
            m.fileAttributes = a;
        break;
    }
    case 77: m.metadata = r.cstring(); break;
    case 65: {
        ScriptLimits s;
        s.maxRecursionDepth = r.u16();
        s.scriptTimeoutSeconds = r.u16();
        if (!r.failed())
            m.scriptLimits = s;
        break;
    }
    case 24: m.protect = true; break;
    default: m.enableDebugger = true; break; // 58, 64
    }
    return r.failed() ? Status(truncatedRecord("a movie attribute tag")) : Status(Ok{});
}

// ExportAssets, ImportAssets, ImportAssets2.
Status readAssets(ByteReader& r, TagContext& ctx, std::uint16_t code)
{
    ImportAssets imp;
    if (code != 56) {
        imp.url = r.cstring();
        if (code == 71)
            r.skip(2); // reserved
    }
    const std::size_t n = r.u16();
    std::vector<ExportedAsset> assets;
    for (std::size_t i = 0; i < n && !r.failed(); ++i) {
        ExportedAsset a;
        a.id = r.u16();
        a.name = r.cstring();
        assets.push_back(std::move(a));
    }
    if (r.failed())
        return truncatedRecord(code == 56 ? "ExportAssets" : "ImportAssets");
    if (code == 56) {
        ctx.movie.exports.insert(ctx.movie.exports.end(), assets.begin(), assets.end());
    } else {
        imp.assets = std::move(assets);
        ctx.movie.imports.push_back(std::move(imp));
    }
    return Ok{};
}

Status readDefineScalingGrid(ByteReader& r, TagContext& ctx, std::uint16_t)
{
    const std::uint16_t id = r.u16();
    const Rect grid = readRect(r);
    if (r.failed())
        return truncatedRecord("DefineScalingGrid");
    ctx.movie.scalingGrids.emplace(id, grid);
    return Ok{};
}

} // namespace swf::detail
