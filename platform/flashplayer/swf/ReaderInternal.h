// Shared pieces of the reader: record readers and the tag dispatch context.
// Not part of the public interface.
#pragma once

#include "swf/ByteReader.h"
#include "swf/Limits.h"
#include "swf/Movie.h"
#include "swf/Result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace swf::detail {

Result<std::vector<std::uint8_t>> decompressBody(std::span<const std::uint8_t> file, const Limits& limits,
                                                bool& incomplete);

inline Error malformed(std::string what) { return makeError(ErrorCode::Malformed, std::move(what)); }
inline Error truncatedRecord(const char* what) { return makeError(ErrorCode::Truncated, std::string(what) + " is cut short"); }

// Basic records.
Rect readRect(ByteReader& r);
Matrix readMatrix(ByteReader& r);
ColorTransform readColorTransform(ByteReader& r, bool withAlpha);
Rgba readRgb(ByteReader& r);
Rgba readRgba(ByteReader& r);
inline Rgba readColor(ByteReader& r, bool withAlpha) { return withAlpha ? readRgba(r) : readRgb(r); }

// Styles. `shapeVersion` is 1..4 (DefineShape N); morph styles read both ends.
Status readFillStyle(ByteReader& r, int shapeVersion, FillStyle& out);
Status readStyleArrays(ByteReader& r, int shapeVersion, const Limits& limits, StyleArrays& out);
Status readMorphFillStyle(ByteReader& r, MorphFillStyle& out);
Status readMorphLineStyle(ByteReader& r, int morphVersion, MorphLineStyle& out);
std::size_t readStyleCount(ByteReader& r, bool extended);

// Shape records up to the end record, with the bit widths given; `shapeVersion`
// 0 means glyph or morph-end records (no new styles allowed).
Status readShapeRecords(ByteReader& r, int shapeVersion, int fillBits, int lineBits, const Limits& limits,
                        std::vector<ShapeRecord>& out);
// A SHAPE (glyph outline): bit widths then records.
Status readGlyphShape(ByteReader& r, const Limits& limits, std::vector<ShapeRecord>& out);

Status readFilterList(ByteReader& r, std::vector<Filter>& out);
SoundInfo readSoundInfo(ByteReader& r);
SoundFormatInfo readSoundFormat(ByteReader& r);

// Tag dispatch.
struct TagContext {
    Movie& movie;
    const Limits& limits;
    std::size_t& tagCount;
    Timeline* timeline = nullptr; // the timeline being read (root or sprite)
    Frame* frame = nullptr;       // its open frame
    int spriteDepth = 0;
    std::uint8_t swfVersion() const { return movie.header.version; }
};

using TagHandler = Status (*)(ByteReader& body, TagContext& ctx, std::uint16_t code);

// nullptr for tags that are skipped (unknown, ActionScript 3, purely informative).
TagHandler tagHandler(std::uint16_t code);
const char* tagName(std::uint16_t code);

// Reads tags from `r` into ctx.timeline until End or the data runs out.
// Returns false when the data broke off (the caller marks the movie truncated).
bool readTagList(ByteReader& r, TagContext& ctx);

// Adds a definition; the first definition of an id wins, as players do.
void define(TagContext& ctx, Character character);
void warn(TagContext& ctx, std::string message);

// Individual tag handlers, grouped by file.
Status readDefineShape(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineMorphShape(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineFont(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineFont2(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineFontInfo(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineText(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineEditText(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineBits(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readJpegTables(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineBitsLossless(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineSprite(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineButton(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineButton2(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineButtonCxform(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineButtonSound(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineVideoStream(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readVideoFrame(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineSound(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readStartSound(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readSoundStreamHead(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readSoundStreamBlock(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readPlaceObject(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readPlaceObject2(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readRemoveObject(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDoAction(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDoInitAction(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readSetBackgroundColor(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readFrameLabel(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readSetTabIndex(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readMovieAttributes(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readAssets(ByteReader& r, TagContext& ctx, std::uint16_t code);
Status readDefineScalingGrid(ByteReader& r, TagContext& ctx, std::uint16_t code);

} // namespace swf::detail
