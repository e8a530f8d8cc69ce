// The pixels of a script bitmap (BitmapData): premultiplied ARGB as the renderer
// takes them, straight ARGB in and out for scripts. Every operation clamps its
// rectangles to the bitmap, so hostile arguments never reach outside the pixels.
#pragma once

#include "avm1/Value.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "swf/Filters.h"
#include <vector>

namespace flash {

// Largest side and pixel count a script bitmap may have.
inline constexpr int kMaxBitmapSide = 2880;
inline constexpr int64_t kMaxBitmapPixels = 16777215;

struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
};

class BitmapSurface : public avm1::NativeState {
public:
    // Null when the size is out of bounds.
    static std::shared_ptr<BitmapSurface> make(int width, int height, bool transparent, uint32_t fillArgb);
    // Takes decoded premultiplied pixels (loadBitmap); null when out of bounds.
    static std::shared_ptr<BitmapSurface> fromPremultiplied(int width, int height, std::vector<uint32_t> pixels,
                                                            bool transparent);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool transparent() const { return m_transparent; }
    bool disposed() const { return m_disposed; }
    void dispose();
    // Grows with every change, for whoever caches the pixels.
    uint64_t version() const { return m_version; }
    const std::vector<uint32_t>& premultiplied() const { return m_pixels; }
    // Replaces the pixels with ones drawn elsewhere (same size, premultiplied).
    void replacePixels(std::vector<uint32_t> pixels);

    uint32_t getPixel32(int x, int y) const;   // straight ARGB, 0 outside
    void setPixel32(int x, int y, uint32_t argb);
    void setPixel(int x, int y, uint32_t rgb);  // keeps the alpha
    void fillRect(PixelBox box, uint32_t argb);
    // (mult r g b a, add r g b a) as flash.geom.ColorTransform holds them.
    void colorTransform(PixelBox box, const std::array<double, 8>& t);
    // Copies `box` of `source` to (dx, dy); `alpha`, when given, multiplies the
    // source alpha by its own at (ax, ay) onward; mergeAlpha blends over the pixels.
    void copyPixels(const BitmapSurface& source, PixelBox box, int dx, int dy, const BitmapSurface* alpha, int ax,
                    int ay, bool mergeAlpha);
    // Replaces `count` pixels of `box` (placed at dx, dy) in a pseudo-random order
    // given by `seed`, with the source's pixels or, when the source is this bitmap,
    // with `fillArgb`. Returns the seed that continues the sequence.
    int32_t pixelDissolve(const BitmapSurface& source, PixelBox box, int dx, int dy, int32_t seed, int64_t count,
                          uint32_t fillArgb);
    void floodFill(int x, int y, uint32_t argb);
    std::shared_ptr<BitmapSurface> clone() const;

    // noise: every pixel random in low..high on the channels (1 red, 2 green, 4 blue,
    // 8 alpha; gray: one value for red, green and blue).
    void noise(int32_t seed, int low, int high, int channels, bool gray);
    // perlinNoise: octaves of gradient noise, `fractal` summed or turbulent
    // (absolute values), `offsets` per octave in pixels.
    void perlinNoise(double baseX, double baseY, int octaves, int32_t seed, bool stitch, bool fractal, int channels,
                     bool gray, const std::vector<std::array<double, 2>>& offsets);
    enum class ThresholdTest { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };
    // threshold: source pixels (masked) passing the test against `threshold` become
    // `colour` at (dx, dy); the others are copied when `copySource`. Returns how many
    // passed.
    int64_t threshold(const BitmapSurface& source, PixelBox box, int dx, int dy, ThresholdTest test,
                      uint32_t threshold, uint32_t colour, uint32_t mask, bool copySource);
    // getColorBoundsRect: the box around the pixels whose masked value is (or, with
    // `find` false, is not) the masked colour; empty when none.
    PixelBox colorBounds(uint32_t mask, uint32_t colour, bool find) const;
    // hitTest: any pixel of `box` with at least that alpha; or, against another
    // bitmap placed at (ox, oy) relative to this one at (x, y), overlapping such pixels.
    bool hitAlpha(PixelBox box, uint32_t alphaThreshold) const;
    bool hitBitmap(int x, int y, uint32_t threshold, const BitmapSurface& other, int ox, int oy,
                   uint32_t otherThreshold) const;
    // scroll: the pixels move by (dx, dy); what nothing moves onto keeps its pixels.
    void scroll(int dx, int dy);
    // merge: per channel (red, green, blue, alpha) source * m + this * (256 - m) / 256.
    void merge(const BitmapSurface& source, PixelBox box, int dx, int dy, const std::array<int, 4>& mult);
    // paletteMap: the sum of the entries each channel (red, green, blue, alpha) picks
    // from its array; a channel without an array keeps its value.
    void paletteMap(const BitmapSurface& source, PixelBox box, int dx, int dy,
                    const std::array<std::optional<std::array<uint32_t, 256>>, 4>& maps);
    // applyFilter: `box` of the source, filtered, lands at (dx, dy).
    void applyFilter(const BitmapSurface& source, PixelBox box, int dx, int dy, const swf::Filter& filter);

    // The box clipped to the bitmap.
    PixelBox clip(PixelBox box) const;

private:
    static uint32_t premultiply(uint32_t argb);
    static uint32_t unpremultiply(uint32_t pm);
    uint32_t stored(uint32_t argb) const;   // opaque bitmaps drop the alpha

    int m_width = 0;
    int m_height = 0;
    bool m_transparent = true;
    bool m_disposed = false;
    uint64_t m_version = 1;
    std::vector<uint32_t> m_pixels;
};

}  // namespace flash
