// Shapes: shape records, DefineShape 1-4 and DefineMorphShape 1-2.
#pragma once

#include "swf/Styles.h"
#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace swf {

// STYLECHANGERECORD. Absent members keep the current value. Indices are 1-based
// into the current style arrays (0 = no style); when `newStyles` is present it
// replaces the arrays before the indices of this record apply.
struct StyleChange {
    std::optional<Point> moveTo; // absolute position in the shape's coordinates
    std::optional<std::uint32_t> fill0;
    std::optional<std::uint32_t> fill1;
    std::optional<std::uint32_t> line;
    std::optional<StyleArrays> newStyles;
    friend bool operator==(const StyleChange&, const StyleChange&) = default;
};

// STRAIGHTEDGERECORD: a line from the current point by (dx, dy).
struct StraightEdge {
    Twips dx = 0;
    Twips dy = 0;
    friend bool operator==(const StraightEdge&, const StraightEdge&) = default;
};

// CURVEDEDGERECORD: a quadratic Bézier; the control point is relative to the
// current point, the anchor relative to the control point.
struct CurvedEdge {
    Twips controlDx = 0;
    Twips controlDy = 0;
    Twips anchorDx = 0;
    Twips anchorDy = 0;
    friend bool operator==(const CurvedEdge&, const CurvedEdge&) = default;
};

// The end-of-shape record is implied by the end of the vector.
using ShapeRecord = std::variant<StyleChange, StraightEdge, CurvedEdge>;

// DefineShape, DefineShape2 (more styles, new styles in change records),
// DefineShape3 (RGBA colours) and DefineShape4 (LINESTYLE2, edge bounds, focal
// gradients).
struct Shape {
    std::uint16_t id = 0;
    std::uint8_t version = 1; // 1..4
    Rect bounds;
    Rect edgeBounds;          // DefineShape4; equals `bounds` otherwise
    bool usesFillWindingRule = false; // DefineShape4 flags
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    StyleArrays styles;
    std::vector<ShapeRecord> records;
    friend bool operator==(const Shape&, const Shape&) = default;
};

// Morph styles hold both ends; the renderer interpolates every member by ratio
// (0 = start, 65535 = end). The `kind`, bitmap and flag members are those of
// `start`; `end` repeats them.
struct MorphFillStyle {
    FillStyle start;
    FillStyle end;
    friend bool operator==(const MorphFillStyle&, const MorphFillStyle&) = default;
};

struct MorphLineStyle {
    LineStyle start;
    LineStyle end;
    friend bool operator==(const MorphLineStyle&, const MorphLineStyle&) = default;
};

// DefineMorphShape / DefineMorphShape2. `startRecords` carry the style changes;
// `endRecords` have the same edges in the same order (a straight edge may pair
// with a curved one) and only move-to style changes.
struct MorphShape {
    std::uint16_t id = 0;
    std::uint8_t version = 1; // 1 or 2
    Rect startBounds;
    Rect endBounds;
    Rect startEdgeBounds; // version 2
    Rect endEdgeBounds;   // version 2
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    std::vector<MorphFillStyle> fills;
    std::vector<MorphLineStyle> lines;
    std::vector<ShapeRecord> startRecords;
    std::vector<ShapeRecord> endRecords;
    friend bool operator==(const MorphShape&, const MorphShape&) = default;
};

} // namespace swf
