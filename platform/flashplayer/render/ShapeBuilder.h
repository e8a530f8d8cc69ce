// Assembles SWF edge records into drawable paths.
//
// Every edge separates two fills: fill1 lies on its left, fill0 on its right (the
// file's coordinates have y pointing down). The edges of one fill style, fill0 edges
// reversed, are joined end to start into closed contours, so each region is bounded
// by contours that keep it on the same side; the fill rule then only decides overlaps
// (even-odd unless a DefineShape4 asks for the non-zero rule). A change record with
// new styles closes the current group: its fills and then its strokes draw before
// anything of the next group.
#pragma once

#include "render/BuiltShape.h"
#include "swf/Shape.h"

#include <span>

namespace render {

struct ShapeSource {
    const swf::StyleArrays* styles = nullptr;
    std::span<const swf::ShapeRecord> records;
    bool nonZeroWinding = false;
};

BuiltShape buildShape(const ShapeSource& source);

// A glyph: every edge of the outline, on either fill side, bounds the one filled area.
BuiltShape buildGlyph(std::span<const swf::ShapeRecord> records);

}  // namespace render
