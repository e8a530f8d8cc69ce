// Basic records of the SWF format: twips, rectangles, matrices, colours and colour
// transforms. Coordinates stay in twips (1/20 pixel) everywhere in this layer; the
// renderer divides by 20 once, at the top of its transform chain.
#pragma once

#include <cstdint>

namespace swf {

// One twentieth of a pixel. Signed because edge deltas and translations are.
using Twips = std::int32_t;

constexpr Twips kTwipsPerPixel = 20;
constexpr Twips toTwips(double pixels) { return static_cast<Twips>(pixels * kTwipsPerPixel + (pixels < 0 ? -0.5 : 0.5)); }
constexpr double toPixels(Twips t) { return static_cast<double>(t) / kTwipsPerPixel; }

struct Point {
    Twips x = 0;
    Twips y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// RECT: note the file order xMin, xMax, yMin, yMax.
struct Rect {
    Twips xMin = 0;
    Twips xMax = 0;
    Twips yMin = 0;
    Twips yMax = 0;
    Twips width() const { return xMax - xMin; }
    Twips height() const { return yMax - yMin; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// RGB and RGBA records. RGB records read as alpha 255.
struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    // 0xAARRGGBB, not premultiplied.
    std::uint32_t argb() const { return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b; }
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

// MATRIX: x' = a*x + c*y + tx, y' = b*x + d*y + ty (a = ScaleX, b = RotateSkew0,
// c = RotateSkew1, d = ScaleY), the same meaning as QTransform(m11=a, m12=b,
// m21=c, m22=d, dx=tx, dy=ty). The file stores a..d as 16.16 fixed point, so
// values read from a file are exact doubles; the writer rounds to 16.16.
struct Matrix {
    double a = 1.0;
    double b = 0.0;
    double c = 0.0;
    double d = 1.0;
    Twips tx = 0;
    Twips ty = 0;

    static Matrix translate(Twips x, Twips y) { Matrix m; m.tx = x; m.ty = y; return m; }
    static Matrix scale(double sx, double sy) { Matrix m; m.a = sx; m.d = sy; return m; }
    bool isIdentity() const { return a == 1.0 && b == 0.0 && c == 0.0 && d == 1.0 && tx == 0 && ty == 0; }
    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// CXFORM / CXFORMWITHALPHA: channel' = clamp(channel * mul / 256 + add).
// Multipliers are 8.8 fixed point (256 = 1.0); CXFORM without alpha reads as
// aMul 256, aAdd 0.
struct ColorTransform {
    std::int16_t rMul = 256;
    std::int16_t gMul = 256;
    std::int16_t bMul = 256;
    std::int16_t aMul = 256;
    std::int16_t rAdd = 0;
    std::int16_t gAdd = 0;
    std::int16_t bAdd = 0;
    std::int16_t aAdd = 0;

    bool isIdentity() const { return *this == ColorTransform{}; }
    Rgba apply(Rgba c) const {
        auto ch = [](int v, int mul, int add) {
            int r = v * mul / 256 + add;
            return static_cast<std::uint8_t>(r < 0 ? 0 : r > 255 ? 255 : r);
        };
        return {ch(c.r, rMul, rAdd), ch(c.g, gMul, gAdd), ch(c.b, bMul, bAdd), ch(c.a, aMul, aAdd)};
    }
    friend bool operator==(const ColorTransform&, const ColorTransform&) = default;
};

// Composition: the result applies `inner` first, then `outer` (a child's transform
// inside its parent's).
ColorTransform concat(const ColorTransform& outer, const ColorTransform& inner);
Matrix concat(const Matrix& outer, const Matrix& inner);

} // namespace swf
