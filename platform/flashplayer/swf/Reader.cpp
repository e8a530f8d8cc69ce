// The tag loop and the public entry points of the reader.
#include "swf/Reader.h"
#include "swf/ReaderInternal.h"

#include <algorithm>
#include <fstream>

namespace swf {

namespace detail {

namespace {

struct TagEntry {
    std::uint16_t code;
    const char* name;
    TagHandler handler; // nullptr: skipped on purpose
};

// Every tag of SWF 1 to 10 we know by name. Tags without a handler carry nothing
// the engine uses (ActionScript 3, authoring data, hints for the font rasteriser).
constexpr TagEntry kTags[] = {
    {0, "End", nullptr},
    {1, "ShowFrame", nullptr},
    {2, "DefineShape", readDefineShape},
    {4, "PlaceObject", readPlaceObject},
    {5, "RemoveObject", readRemoveObject},
    {6, "DefineBits", readDefineBits},
    {7, "DefineButton", readDefineButton},
    {8, "JPEGTables", readJpegTables},
    {9, "SetBackgroundColor", readSetBackgroundColor},
    {10, "DefineFont", readDefineFont},
    {11, "DefineText", readDefineText},
    {12, "DoAction", readDoAction},
    {13, "DefineFontInfo", readDefineFontInfo},
    {14, "DefineSound", readDefineSound},
    {15, "StartSound", readStartSound},
    {17, "DefineButtonSound", readDefineButtonSound},
    {18, "SoundStreamHead", readSoundStreamHead},
    {19, "SoundStreamBlock", readSoundStreamBlock},
    {20, "DefineBitsLossless", readDefineBitsLossless},
    {21, "DefineBitsJPEG2", readDefineBits},
    {22, "DefineShape2", readDefineShape},
    {23, "DefineButtonCxform", readDefineButtonCxform},
    {24, "Protect", readMovieAttributes},
    {26, "PlaceObject2", readPlaceObject2},
    {28, "RemoveObject2", readRemoveObject},
    {32, "DefineShape3", readDefineShape},
    {33, "DefineText2", readDefineText},
    {34, "DefineButton2", readDefineButton2},
    {35, "DefineBitsJPEG3", readDefineBits},
    {36, "DefineBitsLossless2", readDefineBitsLossless},
    {37, "DefineEditText", readDefineEditText},
    {39, "DefineSprite", readDefineSprite},
    {41, "ProductInfo", nullptr},
    {43, "FrameLabel", readFrameLabel},
    {45, "SoundStreamHead2", readSoundStreamHead},
    {46, "DefineMorphShape", readDefineMorphShape},
    {48, "DefineFont2", readDefineFont2},
    {56, "ExportAssets", readAssets},
    {57, "ImportAssets", readAssets},
    {58, "EnableDebugger", readMovieAttributes},
    {59, "DoInitAction", readDoInitAction},
    {60, "DefineVideoStream", readDefineVideoStream},
    {61, "VideoFrame", readVideoFrame},
    {62, "DefineFontInfo2", readDefineFontInfo},
    {63, "DebugID", nullptr},
    {64, "EnableDebugger2", readMovieAttributes},
    {65, "ScriptLimits", readMovieAttributes},
    {66, "SetTabIndex", readSetTabIndex},
    {69, "FileAttributes", readMovieAttributes},
    {70, "PlaceObject3", readPlaceObject2},
    {71, "ImportAssets2", readAssets},
    {72, "DoABC", nullptr},
    {73, "DefineFontAlignZones", nullptr},
    {74, "CSMTextSettings", nullptr},
    {75, "DefineFont3", readDefineFont2},
    {76, "SymbolClass", nullptr},
    {77, "Metadata", readMovieAttributes},
    {78, "DefineScalingGrid", readDefineScalingGrid},
    {82, "DoABC2", nullptr},
    {83, "DefineShape4", readDefineShape},
    {84, "DefineMorphShape2", readDefineMorphShape},
    {86, "DefineSceneAndFrameLabelData", nullptr},
    {87, "DefineBinaryData", nullptr},
    {88, "DefineFontName", nullptr},
    {89, "StartSound2", readStartSound},
    {90, "DefineBitsJPEG4", readDefineBits},
    {91, "DefineFont4", nullptr},
    {93, "EnableTelemetry", nullptr},
    {94, "PlaceObject4", readPlaceObject2},
};

const TagEntry* findTag(std::uint16_t code)
{
    for (const TagEntry& t : kTags)
        if (t.code == code)
            return &t;
    return nullptr;
}

struct TagHeader {
    std::uint16_t code = 0;
    std::uint32_t length = 0;
};

// RECORDHEADER: code in the top 10 bits, a 6-bit length, 0x3F meaning a 32-bit
// length follows.
bool readTagHeader(ByteReader& r, TagHeader& h)
{
    if (r.remaining() < 2)
        return false;
    const std::uint16_t v = r.u16();
    h.code = v >> 6;
    h.length = v & 0x3F;
    if (h.length == 0x3F) {
        if (r.remaining() < 4)
            return false;
        h.length = r.u32();
    }
    return h.length <= r.remaining();
}

} // namespace

TagHandler tagHandler(std::uint16_t code)
{
    const TagEntry* t = findTag(code);
    return t ? t->handler : nullptr;
}

const char* tagName(std::uint16_t code)
{
    const TagEntry* t = findTag(code);
    return t ? t->name : "unknown tag";
}

void define(TagContext& ctx, Character character)
{
    const std::uint16_t id = characterId(character);
    if (!ctx.movie.dictionary.emplace(id, std::move(character)).second)
        warn(ctx, "character " + std::to_string(id) + " is defined twice; the first definition is kept");
}

void warn(TagContext& ctx, std::string message)
{
    // A hostile file could otherwise make the warnings the largest thing we keep.
    if (ctx.movie.warnings.size() < 100)
        ctx.movie.warnings.push_back(std::move(message));
}

bool readTagList(ByteReader& r, TagContext& ctx)
{
    Frame frame;
    ctx.frame = &frame;
    while (!r.atEnd()) {
        TagHeader h;
        if (!readTagHeader(r, h)) {
            warn(ctx, "a tag header or body is cut short");
            return false;
        }
        if (++ctx.tagCount > ctx.limits.maxTags) {
            warn(ctx, "more tags than allowed");
            return false;
        }
        ByteReader body = r.sub(h.length);
        if (h.code == 0)
            return true;
        if (h.code == 1) {
            ctx.timeline->frames.push_back(std::move(frame));
            frame = {};
            if (ctx.timeline->frames.size() > ctx.limits.maxFrames) {
                warn(ctx, "more frames than allowed");
                return false;
            }
            continue;
        }
        if (TagHandler handler = tagHandler(h.code)) {
            Status s = handler(body, ctx, h.code);
            if (!s.ok())
                warn(ctx, std::string(tagName(h.code)) + " skipped: " + s.error().message);
        }
    }
    // No End tag: complete if the declared frames are all there.
    return ctx.timeline->frames.size() >= ctx.timeline->declaredFrameCount;
}

namespace {

void collectCodes(ByteReader& r, int depth, std::vector<std::uint16_t>& codes)
{
    TagHeader h;
    while (!r.atEnd() && readTagHeader(r, h)) {
        ByteReader body = r.sub(h.length);
        codes.push_back(h.code);
        if (h.code == 39 && depth < 8) {
            body.skip(4);
            collectCodes(body, depth + 1, codes);
        }
        if (h.code == 0)
            break;
    }
}

} // namespace

} // namespace detail

Result<std::vector<std::uint16_t>> listTagCodes(std::span<const std::uint8_t> file, const Limits& limits)
{
    bool incomplete = false;
    auto body = detail::decompressBody(file, limits, incomplete);
    SWF_TRY(body);
    ByteReader r(*body);
    (void)detail::readRect(r);
    r.skip(4);
    std::vector<std::uint16_t> codes;
    detail::collectCodes(r, 0, codes);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

namespace {

Compression compressionOf(std::uint8_t signature)
{
    return signature == 'C' ? Compression::Zlib : signature == 'Z' ? Compression::Lzma : Compression::None;
}

Status readHeaderFields(std::span<const std::uint8_t> file, ByteReader& body, Header& h)
{
    h.compression = compressionOf(file[0]);
    h.version = file[3];
    h.fileLength = std::uint32_t(file[4]) | (std::uint32_t(file[5]) << 8) | (std::uint32_t(file[6]) << 16) |
                   (std::uint32_t(file[7]) << 24);
    h.stageRect = detail::readRect(body);
    h.frameRate = body.u16();
    h.frameCount = body.u16();
    if (body.failed())
        return makeError(ErrorCode::Truncated, "the movie header is cut short");
    return Ok{};
}

} // namespace

Result<Header> readHeader(std::span<const std::uint8_t> file, const Limits& limits)
{
    bool incomplete = false;
    auto body = detail::decompressBody(file, limits, incomplete);
    SWF_TRY(body);
    ByteReader r(*body);
    Header h;
    SWF_TRY(readHeaderFields(file, r, h));
    return h;
}

Result<Movie> readMovie(std::span<const std::uint8_t> file, const Limits& limits)
{
    bool incomplete = false;
    auto body = detail::decompressBody(file, limits, incomplete);
    SWF_TRY(body);
    ByteReader r(*body);
    Movie movie;
    SWF_TRY(readHeaderFields(file, r, movie.header));
    std::size_t tagCount = 0;
    detail::TagContext ctx{movie, limits, tagCount};
    ctx.timeline = &movie.timeline;
    movie.timeline.declaredFrameCount = movie.header.frameCount;
    const bool complete = detail::readTagList(r, ctx);
    if (!complete || incomplete) {
        movie.truncated = true;
        detail::warn(ctx, incomplete ? "the compressed data of the movie breaks off" : "the movie breaks off");
    }
    if (movie.truncated && movie.timeline.frames.empty())
        return makeError(ErrorCode::Truncated, "the movie breaks off before its first frame is complete");
    return movie;
}

Result<Movie> readMovieFile(const std::string& path, const Limits& limits)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return makeError(ErrorCode::Io, "cannot open " + path);
    const std::streamoff size = in.tellg();
    if (size < 0 || std::uint64_t(size) > limits.maxUncompressedBytes)
        return makeError(ErrorCode::LimitExceeded, path + " is larger than allowed");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(data.data()), size))
        return makeError(ErrorCode::Io, "cannot read " + path);
    return readMovie(data, limits);
}

} // namespace swf
