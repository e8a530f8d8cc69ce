// Composition of an animation's frames as the animator shows them: each frame drawn
// over the ones before it by their disposal methods and transparent colours, into one
// picture of the logical screen that is kept and reused for the next frame.
#pragma once

#include "Bitmap.h"
#include "Controls.h"
#include "Types.h"

#include <cstdint>
#include <memory>

class TGIFImage;

// The one composed picture an animator keeps.
struct TComposedFrame {
    std::unique_ptr<TBitmap> Bitmap;  // pf32bit, the logical screen's size
    int Index = -1;                   // the frame it shows; -1 = none
    TColor TransparentColor = clNone; // the colour standing for "nothing drawn"
    TColor Background = clNone;       // what restore-to-background fills with

    void Forget()
    {
        Bitmap.reset();
        Index = -1;
        TransparentColor = clNone;
        Background = clNone;
    }
};

// Logical screens above this many pixels are not composed: the picture alone would
// take more memory than a preview may (4096 x 4096 at 4 bytes a pixel).
inline constexpr int64_t MaxComposedPixels = int64_t(1) << 24;

// Composes frame index (clamped to the last frame) into cache, reusing the cached
// picture of the frame before it where the disposal allows. A frame that cannot be
// decoded draws nothing; frames decoded here are dropped again once drawn, so the
// cache is the only picture kept. False, with the cache forgotten, when the image is
// empty or its logical screen is smaller than 1 x 1 or larger than MaxComposedPixels.
bool ComposeFrame(TGIFImage& image, int index, bool transparent, TComposedFrame& cache);

// Draws source stretched into rect of target (nearest pixel, clipped), leaving
// target unchanged where the source has the colour key (clNone: a plain copy).
void StretchOnto(const TSurface& target, const TRect& rect, const TBitmap& source, TColor key);
