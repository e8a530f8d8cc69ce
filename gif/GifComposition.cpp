#include "GifComposition.h"

#include "PixelRows.h"
#include "RxGIF.h"

#include <algorithm>
#include <vector>

namespace {

void fillRect(TBitmap& picture, const TRect& rect, TColor colour)
{
    const TRect r = IntersectRect(rect, Rect(0, 0, picture.Width(), picture.Height()));
    const TColor c = ColorToRGB(colour);
    const uint8_t quad[4] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
    for (int y = r.Top; y < r.Bottom; ++y) {
        uint8_t* row = picture.ScanLine(y);
        for (int x = r.Left; x < r.Right; ++x)
            std::copy_n(quad, 4, row + 4 * x);
    }
}

TRect frameRect(TGIFFrame& frame)
{
    return Bounds(frame.Origin.X, frame.Origin.Y, frame.Width(), frame.Height());
}

bool sameRgb(const uint8_t* bgra, TColor rgb)
{
    return bgra[2] == GetRValue(rgb) && bgra[1] == GetGValue(rgb) && bgra[0] == GetBValue(rgb);
}

// Draws a frame at its origin, its transparent colour left out.
void drawFrame(TBitmap& picture, TGIFFrame& frame)
{
    const bool decodedHere = !frame.HasBitmap() && frame.SharedItem().HasCodedData();
    try {
        const TBitmap& source = *frame.Bitmap();
        // Two-colour frames decode to 1-bit pictures; their key is still the frame's own
        // transparent colour, or a 2-colour GIF would draw its transparent pixels.
        TColor key = frame.TransparentColor();
        if (key != clNone)
            key = ColorToRGB(key);
        const int w = source.Width();
        std::vector<uint8_t> row(size_t(std::max(w, 0)) * 4);
        for (int y = 0; y < source.Height(); ++y) {
            const int dy = frame.Origin.Y + y;
            if (dy < 0 || dy >= picture.Height())
                continue;
            pixel_rows::ReadRow(source.PixelFormat(), source.ScanLine(y), w, source.Palette(), row.data());
            uint8_t* out = picture.ScanLine(dy);
            const int x0 = std::max(0, -frame.Origin.X), x1 = std::min(w, picture.Width() - frame.Origin.X);
            for (int x = x0; x < x1; ++x) {
                const uint8_t* p = &row[4 * size_t(x)];
                if (key == clNone || !sameRgb(p, key))
                    std::copy_n(p, 4, out + 4 * (frame.Origin.X + x));
            }
        }
    } catch (const std::exception&) {
        // A frame that cannot be decoded shows nothing; the ones around it still do.
    }
    if (decodedHere)
        frame.FreeBitmap();
}

// Where a full composition of frame i starts: the last frame at or before i that
// covers the whole screen and hides everything under it.
int startingFrame(TGIFImage& image, int i)
{
    const int w = image.LogicalScreenWidth(), h = image.LogicalScreenHeight();
    for (int m = i; m >= 1; --m) {
        TGIFFrame& f = *image.Frames(m);
        // A frame restored to what was under it hides nothing from the frames after it.
        if (f.Disposal == 3 && m < i)
            continue;
        if (f.Width() == w && f.Height() == h && (f.TransparentColor() == clNone || (f.Disposal == 2 && m < i)))
            return m;
    }
    return 0;
}

void composeAfresh(TGIFImage& image, int i, bool transparent, TComposedFrame& cache)
{
    const int w = image.LogicalScreenWidth(), h = image.LogicalScreenHeight();
    auto picture = std::make_unique<TBitmap>(w, h, pf32bit);
    TColor composedTransparent = clNone;
    TColor background;
    const TGIFFrame& current = *image.Frames(std::clamp(image.FrameIndex(), 0, image.Count() - 1));
    if (current.TransparentColor() != clNone) {
        background = ColorToRGB(current.TransparentColor());
        composedTransparent = background;
    } else if (image.BackgroundColor() != clNone && image.Transparent()) {
        background = ColorToRGB(image.BackgroundColor());
    } else {
        background = ColorToRGB(clWindow);
    }
    fillRect(*picture, Rect(0, 0, w, h), background);
    const int j = startingFrame(image, i);
    for (int k = j; k < i; ++k) {
        TGIFFrame& f = *image.Frames(k);
        if (f.Disposal == 0 || f.Disposal == 1)
            drawFrame(*picture, f);
        else if (f.Disposal == 2 && k > j)
            fillRect(*picture, frameRect(f), background);
    }
    drawFrame(*picture, *image.Frames(i));
    if (composedTransparent != clNone && transparent) {
        picture->SetTransparentColor(composedTransparent);
        picture->SetTransparent(true);
    }
    cache.Bitmap = std::move(picture);
    cache.TransparentColor = composedTransparent;
    cache.Background = background;
}

} // namespace

bool ComposeFrame(TGIFImage& image, int index, bool transparent, TComposedFrame& cache)
{
    const int64_t w = image.LogicalScreenWidth(), h = image.LogicalScreenHeight();
    if (image.Count() == 0 || image.Empty() || w < 1 || h < 1 || w * h > MaxComposedPixels) {
        cache.Forget();
        return false;
    }
    const int i = std::clamp(index, 0, image.Count() - 1);
    if (cache.Bitmap && cache.Index == i)
        return true;
    const bool incremental = cache.Bitmap && i >= 1 && cache.Index == i - 1 && image.Frames(i - 1)->Disposal != 3 &&
                             cache.Bitmap->Width() == w && cache.Bitmap->Height() == h;
    if (incremental) {
        TGIFFrame& previous = *image.Frames(i - 1);
        if (previous.Disposal == 2)
            fillRect(*cache.Bitmap, frameRect(previous), cache.Background);
        drawFrame(*cache.Bitmap, *image.Frames(i));
    } else {
        composeAfresh(image, i, transparent, cache);
    }
    cache.Index = i;
    return true;
}

void StretchOnto(const TSurface& target, const TRect& rect, const TBitmap& source, TColor key)
{
    const int dw = rect.Width(), dh = rect.Height();
    const int sw = source.Width(), sh = source.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !target.pixels || source.PixelFormat() != pf32bit)
        return;
    const TRect clip = IntersectRect(rect, Rect(0, 0, target.width, target.height));
    const TColor rgb = key == clNone ? clNone : ColorToRGB(key);
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        const int sy = int(int64_t(y - rect.Top) * sh / dh);
        const uint8_t* in = source.ScanLine(sy);
        auto* out = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target.pixels) + ptrdiff_t(y) * target.stride);
        for (int x = clip.Left; x < clip.Right; ++x) {
            const uint8_t* p = in + 4 * size_t(int64_t(x - rect.Left) * sw / dw);
            if (rgb != clNone && sameRgb(p, rgb))
                continue;
            out[x] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
    }
}
