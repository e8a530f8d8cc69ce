// Fill and line styles (FILLSTYLE, LINESTYLE, LINESTYLE2) and gradients.
#pragma once

#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace swf {

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : std::uint8_t { Normal = 0, LinearRgb = 1 };

struct GradientRecord {
    std::uint8_t ratio = 0; // 0..255 along the gradient square
    Rgba color;
    friend bool operator==(const GradientRecord&, const GradientRecord&) = default;
};

// GRADIENT / FOCALGRADIENT. The gradient square spans -16384..16384 twips in
// gradient space before the fill's matrix: linear runs left to right, radial has
// radius 16384 around the origin.
struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientRecord> records;
    // Focal point along the x axis, -1..1 of the radius (8.8 fixed in the file);
    // only meaningful for FillKind::FocalGradient.
    double focalPoint = 0.0;
    friend bool operator==(const Gradient&, const Gradient&) = default;
};

enum class FillKind : std::uint8_t {
    Solid,          // 0x00
    LinearGradient, // 0x10
    RadialGradient, // 0x12
    FocalGradient,  // 0x13 (DefineShape4)
    Bitmap,         // 0x40..0x43
};

// FILLSTYLE. Only the members of `kind` are meaningful.
struct FillStyle {
    FillKind kind = FillKind::Solid;
    Rgba color;           // Solid
    Matrix matrix;        // gradient and bitmap fills: gradient/bitmap space -> shape space
    Gradient gradient;    // gradient fills
    std::uint16_t bitmapId = 0; // Bitmap; 0xFFFF (or any unknown id) means "no bitmap"
    bool repeating = true;      // Bitmap: 0x40/0x42 repeat, 0x41/0x43 clip (edge pixels extend)
    bool smoothed = true;       // Bitmap: 0x42/0x43 are the non-smoothed kinds

    static FillStyle solid(Rgba c) { FillStyle f; f.color = c; return f; }
    // Type byte as written in the file.
    std::uint8_t typeCode() const;
    friend bool operator==(const FillStyle&, const FillStyle&) = default;
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

// LINESTYLE (DefineShape 1-3) and LINESTYLE2 (DefineShape4). For the older
// record the LINESTYLE2-only members keep their defaults (round caps and joins,
// scaling strokes), which is how those strokes were drawn.
struct LineStyle {
    std::uint16_t width = 20; // twips; 0 and anything thinner than a pixel draw as a hairline
    Rgba color;               // used when `fill` is empty
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3.0;  // JoinStyle::Miter only (8.8 fixed in the file)
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;     // open paths whose ends meet are not joined
    std::optional<FillStyle> fill; // LINESTYLE2 HasFillFlag: stroke painted with a fill

    static LineStyle solid(std::uint16_t widthTwips, Rgba c) { LineStyle l; l.width = widthTwips; l.color = c; return l; }
    friend bool operator==(const LineStyle&, const LineStyle&) = default;
};

// The fill and line style arrays of a shape, or a "new styles" change record.
// Style indices in shape records are 1-based into these; 0 means none.
struct StyleArrays {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    friend bool operator==(const StyleArrays&, const StyleArrays&) = default;
};

} // namespace swf
