// What one animation step of the preview costs: composing the next frame into the
// kept picture (a recording's frames as bitmaps, or a file's frames decoded on
// demand and dropped again), against composing a frame afresh, and the paint of the
// picture centred on a window. A step must stay well below the shortest display time
// of 50 ms.
#include "GIFCtrl.h"
#include "GifComposition.h"
#include "RxGIF.h"
#include "Scheduler.h"
#include "Stream.h"
#include "SyntheticFrames.h"

#include <benchmark/benchmark.h>

#include <memory>

using synthetic::FrameSet;

namespace {

std::unique_ptr<TGIFImage> recording(FrameSet set)
{
    auto image = std::make_unique<TGIFImage>();
    for (int i = 0; i < synthetic::kFrames; ++i) {
        TBitmap frame = synthetic::MakeFrame(set, i);
        image->AddFrame(&frame);
        image->Frames(i)->SetAnimateInterval(100);
    }
    return image;
}

// The recording written and read back: frames with coded data only.
std::unique_ptr<TGIFImage> readBack(FrameSet set)
{
    auto written = recording(set);
    TMemoryStream bytes;
    written->SaveToStream(bytes);
    bytes.SetPosition(0);
    auto read = std::make_unique<TGIFImage>();
    read->LoadFromStream(bytes);
    return read;
}

void BM_ComposeInOrder(benchmark::State& state, FrameSet set, bool fromFile)
{
    auto image = fromFile ? readBack(set) : recording(set);
    TComposedFrame cache;
    int i = 0;
    for (auto _ : state) {
        ComposeFrame(*image, i, true, cache);
        benchmark::DoNotOptimize(cache.Bitmap.get());
        i = (i + 1) % image->Count();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ComposeAfresh(benchmark::State& state, FrameSet set)
{
    auto image = readBack(set);
    TComposedFrame cache;
    int i = 0;
    for (auto _ : state) {
        cache.Forget();
        ComposeFrame(*image, i, true, cache);
        benchmark::DoNotOptimize(cache.Bitmap.get());
        i = (i + 1) % image->Count();
    }
    state.SetItemsProcessed(state.iterations());
}

// A whole step: the next frame composed and painted centred on a preview-sized window.
void BM_AnimatorStep(benchmark::State& state, FrameSet set)
{
    VirtualClock clock;
    ScopedScheduler useClock(clock);
    auto image = readBack(set);
    TWinControl window;
    window.SetBounds(0, 0, 528, 347);
    TRxGIFAnimator animator;
    animator.SetParent(&window);
    animator.SetAlign(alClient);
    animator.SetCenter(true);
    animator.SetImage(image.get());
    animator.SetAnimate(true);
    for (auto _ : state)
        clock.AdvanceBy(100);
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK_CAPTURE(BM_ComposeInOrder, recording_cartoon, FrameSet::Cartoon, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ComposeInOrder, recording_rich, FrameSet::Rich, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ComposeInOrder, file_cartoon, FrameSet::Cartoon, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ComposeInOrder, file_rich, FrameSet::Rich, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ComposeAfresh, file_cartoon, FrameSet::Cartoon)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AnimatorStep, file_cartoon, FrameSet::Cartoon)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
