#include "GIFCtrl.h"

#include <algorithm>
#include <vector>

namespace {

constexpr unsigned MinDisplayTime = 50;
constexpr unsigned MaxDisplayTime = 10000;

uint32_t surfacePixel(TColor colour)
{
    const TColor c = ColorToRGB(colour);
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

} // namespace

TRxImageControl::TRxImageControl()
{
    SetBounds(0, 0, 105, 105);
}

void TRxImageControl::SetParent(TWinControl* parent)
{
    TGraphicControl::SetParent(parent);
    if (parent)
        SetColor(parent->Color());
}

void TRxImageControl::SetAlign(TAlign value)
{
    m_align = value;
    TWinControl* parent = Parent();
    if (!parent)
        return;
    const int pw = parent->Width(), ph = parent->Height();
    switch (value) {
    case alClient: SetBounds(0, 0, pw, ph); break;
    case alTop: SetBounds(0, 0, pw, Height()); break;
    case alBottom: SetBounds(0, ph - Height(), pw, Height()); break;
    case alLeft: SetBounds(0, 0, Width(), ph); break;
    case alRight: SetBounds(pw - Width(), 0, Width(), ph); break;
    case alNone: break;
    }
}

void TRxImageControl::Paint()
{
    const TCanvasTarget target = CanvasTarget();
    const TSurface& s = target.surface;
    if (!s.pixels)
        return;
    // Only the part of the control on its parent is drawn: an auto-sized control may
    // be far larger than the window showing it.
    const TRect visible = IntersectRect(Rect(0, 0, Width(), Height()),
                                        Rect(-target.x, -target.y, s.width - target.x, s.height - target.y));
    if (visible.IsEmpty())
        return;
    const int w = visible.Width(), h = visible.Height();
    std::vector<uint32_t> pixels(size_t(w) * size_t(h), surfacePixel(Color()));
    PaintImage(TSurface{pixels.data(), w, h, w * 4}, visible.Left, visible.Top);
    // One copy onto the parent.
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(s.pixels) +
                                                ptrdiff_t(target.y + visible.Top + y) * s.stride);
        std::copy_n(&pixels[size_t(y) * size_t(w)], w, out + target.x + visible.Left);
    }
}

void TRxImageControl::PictureChanged()
{
    AdjustSize();
    Invalidate();
}

TRxGIFAnimator::TRxGIFAnimator(Scheduler* scheduler) : m_image(std::make_unique<TGIFImage>()), m_timer(scheduler)
{
    m_timer.SetEnabled(false);
    m_image->OnChange = [this](TGraphic*) { imageChanged(); };
}

TRxGIFAnimator::~TRxGIFAnimator()
{
    OnStart = OnStop = OnChange = OnFrameChanged = nullptr;
    SetAnimate(false);
    m_cache.Forget();
    m_image->OnChange = nullptr;
}

void TRxGIFAnimator::SetImage(const TGIFImage* value)
{
    // The own image's change notification does the rest.
    m_image->Assign(value);
}

unsigned TRxGIFAnimator::DisplayTime(int index) const
{
    if (index < 0 || index >= m_image->Count() || m_image->Count() < 2)
        return 0;
    return std::clamp<unsigned>(m_image->Frames(index)->AnimateInterval(), MinDisplayTime, MaxDisplayTime);
}

void TRxGIFAnimator::imageChanged()
{
    m_cache.Forget();
    m_frameIndex = m_image->FrameIndex();
    if (m_image->Count() > 0)
        m_timer.SetInterval(DisplayTime(m_frameIndex));
    PictureChanged();
    if (OnChange)
        OnChange(this);
}

void TRxGIFAnimator::SetFrameIndex(int value)
{
    if (value == m_frameIndex || value < 0 || value >= m_image->Count())
        return;
    m_frameIndex = value;
    m_timer.SetInterval(DisplayTime(value));
    if (OnFrameChanged)
        OnFrameChanged(this);
    PictureChanged();
}

void TRxGIFAnimator::SetAnimate(bool value)
{
    if (value == m_animate)
        return;
    if (value) {
        m_timer.SetOnTimer([this] { step(); });
        m_timer.SetEnabled(true);
        m_animate = m_timer.Enabled();
        if (OnStart)
            OnStart(this);
    } else {
        m_timer.SetEnabled(false);
        m_timer.SetOnTimer(nullptr);
        m_animate = false;
        if (OnStop)
            OnStop(this);
        PictureChanged();
    }
}

void TRxGIFAnimator::SetStretch(bool value)
{
    if (value == m_stretch)
        return;
    m_stretch = value;
    PictureChanged();
}

void TRxGIFAnimator::SetCenter(bool value)
{
    if (value == m_center)
        return;
    m_center = value;
    PictureChanged();
}

void TRxGIFAnimator::SetTransparent(bool value)
{
    if (value == m_transparent)
        return;
    m_transparent = value;
    m_cache.Forget();
    PictureChanged();
}

void TRxGIFAnimator::SetAsyncDrawing(bool value)
{
    if (value == m_asyncDrawing)
        return;
    m_timer.SyncEvent = !value;
    m_asyncDrawing = value;
}

void TRxGIFAnimator::SetAutoSize(bool value)
{
    if (value == m_autoSize)
        return;
    m_autoSize = value;
    PictureChanged();
}

void TRxGIFAnimator::AdjustSize()
{
    if (!m_autoSize || Loading() || m_image->Empty())
        return;
    const TAlign align = Align();
    const int w = (align == alNone || align == alLeft || align == alRight) ? m_image->LogicalScreenWidth() : Width();
    const int h = (align == alNone || align == alTop || align == alBottom) ? m_image->LogicalScreenHeight() : Height();
    if (w != Width() || h != Height())
        SetBounds(Left(), Top(), w, h);
}

void TRxGIFAnimator::step()
{
    if (!Visible() || m_stepPainting || m_image->Count() <= 1 || !Parent())
        return;
    m_frameIndex = m_frameIndex >= m_image->Count() - 1 ? 0 : m_frameIndex + 1;
    struct PaintingFlag {
        TRxGIFAnimator& self;
        ~PaintingFlag()
        {
            self.m_stepPainting = false;
            self.m_timer.SetInterval(self.DisplayTime(self.m_frameIndex));
        }
    };
    {
        m_stepPainting = true;
        PaintingFlag after{*this};
        if (OnFrameChanged)
            OnFrameChanged(this);
        Invalidate();
    }
    if (!m_loop && m_frameIndex == 0)
        SetAnimate(false);
}

const TBitmap* TRxGIFAnimator::ComposedFrame(int index, TColor* transparentColour)
{
    if (!ComposeFrame(*m_image, index, m_transparent, m_cache))
        return nullptr;
    if (transparentColour)
        *transparentColour = m_cache.TransparentColor;
    return m_cache.Bitmap.get();
}

TRect TRxGIFAnimator::DestinationRect(int pictureWidth, int pictureHeight) const
{
    if (m_stretch)
        return Rect(0, 0, Width(), Height());
    if (m_center)  // C++ division truncates toward zero, as the placement wants
        return Bounds((Width() - pictureWidth) / 2, (Height() - pictureHeight) / 2, pictureWidth, pictureHeight);
    return Bounds(0, 0, pictureWidth, pictureHeight);
}

void TRxGIFAnimator::PaintImage(const TSurface& buffer, int left, int top)
{
    // Behind a transparent or empty image the parent shows: its colour, which the
    // buffer already holds, as the control takes its parent's colour.
    if (m_image->Empty() || m_image->LogicalScreenWidth() < 1 || m_image->LogicalScreenHeight() < 1)
        return;
    TColor key = clNone;
    const TBitmap* picture = ComposedFrame(m_frameIndex, &key);
    if (!picture)
        return;
    TRect dest = DestinationRect(picture->Width(), picture->Height());
    dest = Rect(dest.Left - left, dest.Top - top, dest.Right - left, dest.Bottom - top);
    StretchOnto(buffer, dest, *picture, m_transparent ? key : clNone);
}
