// A script bitmap shown in a clip (attachBitmap): it shares the BitmapData's pixels,
// so changes show at the next render.
#pragma once

#include "BitmapSurface.h"
#include "DisplayObject.h"

namespace flash {

class AttachedBitmap : public DisplayObject {
public:
    AttachedBitmap(std::shared_ptr<BitmapSurface> pixels, bool smoothing)
        : DisplayObject(ObjectKind::Bitmap, 0), m_pixels(std::move(pixels)), m_smoothing(smoothing) {}
    const BitmapSurface& pixels() const { return *m_pixels; }
    bool smoothing() const { return m_smoothing; }

private:
    std::shared_ptr<BitmapSurface> m_pixels;
    bool m_smoothing;
};

}  // namespace flash
