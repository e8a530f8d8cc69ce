// The GIF animator: a graphic control (no window of its own; it paints on its
// parent) that plays a TGIFImage, composing each frame over the ones before it and
// moving on after the frame's delay. Its timer is a TRxTimer on the program's one
// scheduler, so every step runs from the message loop, one at a time.
#pragma once

#include "Controls.h"
#include "GifComposition.h"
#include "RxGIF.h"
#include "RxTimer.h"

#include <functional>
#include <memory>

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The base of the image controls: takes its parent's colour and paints double-buffered,
// into an off-screen picture of the client size copied onto the parent in one step.
class TRxImageControl : public TGraphicControl {
public:
    TRxImageControl();

    void SetParent(TWinControl* parent) override;
    void Paint() override;

    TAlign Align() const { return m_align; }
    void SetAlign(TAlign value);

protected:
    // Draws the control into buffer, already filled with the control's colour; the
    // buffer's top-left pixel is the control's pixel (left, top).
    virtual void PaintImage(const TSurface& buffer, int left, int top) = 0;
    // Sizes the control to its picture where the alignment lets it.
    virtual void AdjustSize() {}
    // Auto-size, then repaint.
    void PictureChanged();

private:
    TAlign m_align = alNone;
};

class TRxGIFAnimator : public TRxImageControl {
public:
    using TNotifyEvent = std::function<void(TRxGIFAnimator* sender)>;

    explicit TRxGIFAnimator(Scheduler* scheduler = nullptr);  // null: the current scheduler
    ~TRxGIFAnimator() override;

    // The animator's own image. Setting it shares the given image's data (nullptr
    // clears it); the recording it came from never changes through the animator.
    TGIFImage& Image() { return *m_image; }
    void SetImage(const TGIFImage* value);

    int FrameIndex() const { return m_frameIndex; }
    // Ignored when equal to the current index, negative or not below the frame count.
    void SetFrameIndex(int value);
    bool Animate() const { return m_animate; }
    void SetAnimate(bool value);
    bool Loop() const { return m_loop; }
    void SetLoop(bool value) { m_loop = value; }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    bool Center() const { return m_center; }
    void SetCenter(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    // Steps always run from the message loop; the value only decides the timer's
    // SyncEvent, as it is stored with the component.
    bool AsyncDrawing() const { return m_asyncDrawing; }
    void SetAsyncDrawing(bool value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);

    TNotifyEvent OnStart, OnStop, OnChange, OnFrameChanged;

    // How long frame index is shown: its delay held to 50 ... 10000 ms; 0 (never
    // advancing) outside the frame list or with fewer than two frames.
    unsigned DisplayTime(int index) const;
    const TRxTimer& Timer() const { return m_timer; }

    // The picture of frame index as the animator composes it (the one cached picture),
    // or null when there is nothing to compose. transparentColour receives the colour
    // that stands for "nothing drawn" (clNone for none).
    const TBitmap* ComposedFrame(int index, TColor* transparentColour = nullptr);
    // Where Paint puts the composed picture in the client area.
    TRect DestinationRect(int pictureWidth, int pictureHeight) const;

protected:
    void PaintImage(const TSurface& buffer, int left, int top) override;
    void AdjustSize() override;

private:
    void imageChanged();
    void step();

    std::unique_ptr<TGIFImage> m_image;
    TRxTimer m_timer;
    TComposedFrame m_cache;
    int m_frameIndex = 0;
    bool m_animate = false;
    bool m_loop = true;
    bool m_stretch = false;
    bool m_center = false;
    bool m_transparent = true;
    bool m_asyncDrawing = false;
    bool m_autoSize = true;
    bool m_stepPainting = false;
};
