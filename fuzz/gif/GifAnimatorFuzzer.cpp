// Reads arbitrary bytes as a GIF file and plays it in the animator: every frame
// composed in order (the kept picture reused), a few composed afresh, and painted on
// a window, as the preview does with a damaged or hostile file.
#include "Controls.h"
#include "GIFCtrl.h"
#include "RxGIF.h"
#include "Scheduler.h"
#include "Stream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    VirtualClock clock;
    ScopedScheduler useClock(clock);
    TGIFImage image;
    image.Limits.MaxFramePixels = 1 << 20;
    image.Limits.MaxFrames = 256;
    TMemoryStream input(std::vector<uint8_t>(data, data + size));
    try {
        image.LoadFromStream(input);
    } catch (const std::exception&) {
    }
    TWinControl window;
    window.SetBounds(0, 0, 64, 48);
    TRxGIFAnimator animator;
    animator.SetParent(&window);
    animator.SetCenter(true);
    animator.Image().Limits = image.Limits;
    animator.SetImage(&image);
    for (int i = 0; i < animator.Image().Count(); ++i)
        animator.ComposedFrame(i);
    for (int i = animator.Image().Count() - 1; i >= 0; i -= 7)
        animator.ComposedFrame(i);
    animator.SetFrameIndex(0);
    animator.SetAnimate(true);
    clock.AdvanceBy(int64_t(animator.Image().Count()) * 60);  // about one step a frame
    return 0;
}
