// Frames as pictures: the bitmap, JPEG and PNG snapshots. Each shows what the composed
// frame shows; the PNG keeps the movie's transparency where it paints nothing.
#include "Bitmap.h"
#include "JPEGImage.h"
#include "sf_flash.h"
#include "sf_pngimage.h"

std::unique_ptr<TJPEGImage> TsfOleControl::RenderJPEG()
{
    std::unique_ptr<TBitmap> b = RenderBitmap();
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->SetPixelFormat(jf24Bit);
    jpeg->Assign(b.get());  // a null bitmap raises the toolkit's assignment error
    return jpeg;
}

std::unique_ptr<TBitmap> TsfFlashPlayer::SnapshotBitmap()
{
    auto result = std::make_unique<TBitmap>();
    if (std::unique_ptr<TBitmap> b = RenderBitmap())
        result->Assign(b.get());
    return result;
}

std::unique_ptr<TJPEGImage> TsfFlashPlayer::SnapshotJPEG() { return RenderJPEG(); }

std::unique_ptr<TsfBitmap> TsfFlashPlayer::SnapshotBitmap32()
{
    auto r = std::make_unique<TsfBitmap>();
    refreshBackground();
    if (!TransparentSnapshots) {
        m_hasPendingRect = false;
        Paint();
        r->Assign(m_backBuffer.get());
        r->AlphaBlend = true;
        return r;
    }
    m_alphaCapture = true;
    try {
        Paint();
        r->Assign(m_backBuffer.get());  // a missing buffer raises the assignment error
    } catch (...) {
        m_alphaCapture = false;
        throw;
    }
    r->AlphaBlend = true;
    m_alphaCapture = false;
    applyBounds();
    Paint();
    return r;
}

std::unique_ptr<TsfPngImage> TsfFlashPlayer::SnapshotPNG()
{
    std::unique_ptr<TsfBitmap> s = SnapshotBitmap32();
    auto p = TsfPngImage::CreateSized(2, 16, s->Width(), s->Height());
    p->AddAlpha();
    for (int y = 0; y < s->Height(); ++y) {
        uint8_t* alpha = p->AlphaRow(y);
        for (int x = 0; x < s->Width(); ++x) {
            uint32_t pixel = s->Pixel(x, y);
            p->SetPixels(x, y, PixelToColor(pixel));
            alpha[x] = static_cast<uint8_t>(pixel >> 24);
        }
    }
    return p;
}
