// Shared pieces of the writer. Not part of the public interface.
#pragma once

#include "swf/ByteWriter.h"
#include "swf/Movie.h"

#include <cstdint>
#include <vector>

namespace swf::detail {

// Record writers: the mirror images of the readers in ReaderInternal.h.
void writeRect(ByteWriter& w, const Rect& r);
void writeMatrix(ByteWriter& w, const Matrix& m);
void writeColorTransform(ByteWriter& w, const ColorTransform& cx, bool withAlpha);
void writeRgb(ByteWriter& w, Rgba c);
void writeRgba(ByteWriter& w, Rgba c);
void writeColor(ByteWriter& w, Rgba c, bool withAlpha);
void writeFillStyle(ByteWriter& w, const FillStyle& f, int shapeVersion);
void writeStyleArrays(ByteWriter& w, const StyleArrays& s, int shapeVersion);
void writeMorphFillStyle(ByteWriter& w, const MorphFillStyle& m);
void writeMorphLineStyle(ByteWriter& w, const MorphLineStyle& m, int morphVersion);
void writeFilterList(ByteWriter& w, const std::vector<Filter>& filters);
void writeSoundInfo(ByteWriter& w, const SoundInfo& s);
void writeSoundFormat(ByteWriter& w, const SoundFormatInfo& f);

// Shape records with the end record; bit widths as given (new styles reset them).
void writeShapeRecords(ByteWriter& w, const std::vector<ShapeRecord>& records, int shapeVersion, int fillBits,
                       int lineBits);
// A SHAPE whose bit widths cover the indices its records use (glyphs, morph ends).
void writeGlyphShape(ByteWriter& w, const std::vector<ShapeRecord>& records);
int styleBits(std::size_t count);

// Tag framing: RECORDHEADER then body. `longForm` forces the 32-bit length
// (players expect it on bitmap and stream tags).
void writeTag(ByteWriter& out, std::uint16_t code, const ByteWriter& body, bool longForm = false);

struct WriteContext {
    const Movie& movie;
    ByteWriter& out;
    std::uint8_t swfVersion() const { return movie.header.version; }
};

void writeCharacter(WriteContext& ctx, const Character& c);
void writeTimeline(WriteContext& ctx, const Timeline& t);
void writeControlTag(WriteContext& ctx, const ControlTag& tag);
void writeShape(WriteContext& ctx, const Shape& s);
void writeMorphShape(WriteContext& ctx, const MorphShape& m);
void writeFont(WriteContext& ctx, const Font& f);
void writeText(WriteContext& ctx, const Text& t);
void writeEditText(WriteContext& ctx, const EditText& e);

} // namespace swf::detail
