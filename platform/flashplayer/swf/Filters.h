// Display-object filters (FILTERLIST of PlaceObject3 and BUTTONRECORD) and blend
// modes of SWF 8.
#pragma once

#include "swf/Types.h"

#include <array>
#include <cstdint>
#include <vector>

namespace swf {

enum class BlendMode : std::uint8_t {
    Normal = 1, Layer = 2, Multiply = 3, Screen = 4, Lighten = 5, Darken = 6, Difference = 7,
    Add = 8, Subtract = 9, Invert = 10, Alpha = 11, Erase = 12, Overlay = 13, HardLight = 14,
};

enum class FilterKind : std::uint8_t {
    DropShadow = 0, Blur = 1, Glow = 2, Bevel = 3, GradientGlow = 4, Convolution = 5,
    ColorMatrix = 6, GradientBevel = 7,
};

// One filter; only the members of its kind are meaningful.
struct Filter {
    FilterKind kind = FilterKind::Blur;
    // DropShadow, Glow: colors[0]. Bevel: colors[0] shadow, colors[1] highlight.
    // Gradient kinds: one per ratio.
    std::vector<Rgba> colors;
    std::vector<std::uint8_t> ratios; // gradient kinds
    double blurX = 0;    // pixels (16.16 fixed in the file)
    double blurY = 0;
    double angle = 0;    // radians (16.16)
    double distance = 0; // pixels (16.16)
    double strength = 1; // 8.8
    bool inner = false;
    bool knockout = false;
    bool compositeSource = true;
    bool onTop = false;  // bevel kinds
    std::uint8_t passes = 1;
    // Convolution.
    std::uint8_t matrixX = 0;
    std::uint8_t matrixY = 0;
    float divisor = 1;
    float bias = 0;
    std::vector<float> matrix; // matrixX * matrixY values, row by row
    Rgba defaultColor;
    bool clamp = true;
    bool preserveAlpha = false;
    // ColorMatrix: 4 rows of 5 (r, g, b, a, offset).
    std::array<float, 20> colorMatrix{};
    friend bool operator==(const Filter&, const Filter&) = default;
};

} // namespace swf
