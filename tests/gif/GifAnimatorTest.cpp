// The animator in virtual time: display times, stepping and its notifications, the
// composition by disposal and transparent colour, painting, damaged and huge images;
// and its timer.
#include "GIFCtrl.h"
#include "GifTestSupport.h"

#include "Canvas.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Scheduler.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace gif_test;

namespace {

TBitmap solid(int width, int height, TColor colour)
{
    return MakeBitmap(width, height, [&](int, int) { return colour; });
}

// An image of frames of the given colours and delays, each w x h at (0, 0).
std::unique_ptr<TGIFImage> animation(const std::vector<TColor>& colours, const std::vector<uint16_t>& delays, int w = 8,
                                     int h = 6)
{
    auto image = std::make_unique<TGIFImage>();
    for (size_t i = 0; i < colours.size(); ++i) {
        TBitmap b = solid(w, h, colours[i]);
        image->AddFrame(&b);
        image->Frames(int(i))->SetAnimateInterval(delays[i % delays.size()]);
    }
    return image;
}

TColor pixelOf(const TBitmap& b, int x, int y) { return b.GetPixel(x, y); }

TColor surfaceColour(TWinControl& host, int x, int y)
{
    const TSurface s = host.Surface();
    const uint32_t p = s.pixels[size_t(y) * size_t(s.width) + size_t(x)];
    return RGB(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p));
}

struct AnimatorFixture : ::testing::Test {
    VirtualClock clock;
    ScopedScheduler useClock{clock};
    TWinControl host;
    TRxGIFAnimator animator;
    std::vector<std::string> events;

    AnimatorFixture()
    {
        host.SetBounds(0, 0, 40, 30);
        host.SetColor(RGB(1, 2, 3));
        animator.SetParent(&host);
        animator.OnStart = [this](TRxGIFAnimator*) { events.push_back("start"); };
        animator.OnStop = [this](TRxGIFAnimator*) { events.push_back("stop"); };
        animator.OnChange = [this](TRxGIFAnimator*) { events.push_back("change"); };
        animator.OnFrameChanged = [this](TRxGIFAnimator* a) { events.push_back("frame " + std::to_string(a->FrameIndex())); };
    }
};

} // namespace

TEST_F(AnimatorFixture, DelaysAreHeldTo50Through10000Milliseconds)
{
    const std::vector<uint16_t> delays = {0, 30, 100, 20000, 49, 50, 10000, 10001};
    const std::vector<unsigned> shown = {50, 50, 100, 10000, 50, 50, 10000, 10000};
    auto image = animation(std::vector<TColor>(delays.size(), clRed), delays);
    animator.SetImage(image.get());
    for (size_t i = 0; i < delays.size(); ++i)
        EXPECT_EQ(animator.DisplayTime(int(i)), shown[i]) << "delay " << delays[i];
    EXPECT_EQ(animator.DisplayTime(-1), 0u);
    EXPECT_EQ(animator.DisplayTime(int(delays.size())), 0u);

    // Played, each frame stays for its own display time, counted from the step that showed it.
    animator.SetFrameIndex(0);
    animator.SetAnimate(true);
    int64_t at = 0;
    for (int i = 0; i < 4; ++i) {
        at += shown[size_t(i)];
        clock.AdvanceTo(at - 1);
        EXPECT_EQ(animator.FrameIndex(), i) << "before " << at;
        clock.AdvanceTo(at);
        EXPECT_EQ(animator.FrameIndex(), i + 1) << "at " << at;
    }
}

TEST_F(AnimatorFixture, OneFrameNeverAdvances)
{
    auto image = animation({clRed}, {100});
    animator.SetImage(image.get());
    EXPECT_EQ(animator.DisplayTime(0), 0u);
    animator.SetAnimate(true);
    EXPECT_TRUE(animator.Animate());
    EXPECT_FALSE(animator.Timer().Running());
    clock.AdvanceBy(60000);
    EXPECT_EQ(animator.FrameIndex(), 0);
    EXPECT_EQ(surfaceColour(host, 4, 3), clRed);
    EXPECT_EQ(events, (std::vector<std::string>{"change", "start"}));
}

TEST_F(AnimatorFixture, WithoutLoopPlaysOnceAndStopsOnTheFirstFrame)
{
    auto image = animation({clRed, clLime, clBlue}, {100});
    animator.SetImage(image.get());
    animator.SetFrameIndex(0);
    animator.SetLoop(false);
    events.clear();
    std::vector<TColor> shown;
    animator.OnFrameChanged = [&](TRxGIFAnimator* a) { events.push_back("frame " + std::to_string(a->FrameIndex())); };
    animator.SetAnimate(true);
    for (int i = 0; i < 5; ++i) {
        shown.push_back(surfaceColour(host, 0, 0));
        clock.AdvanceBy(100);
    }
    EXPECT_FALSE(animator.Animate());
    EXPECT_EQ(animator.FrameIndex(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"start", "frame 1", "frame 2", "frame 0", "stop"}));
    EXPECT_EQ(shown, (std::vector<TColor>{clRed, clLime, clBlue, clRed, clRed}));
    EXPECT_FALSE(animator.Timer().Running());
}

TEST_F(AnimatorFixture, FrameChangedComesBeforeThePaintOfTheStep)
{
    auto image = animation({clRed, clLime}, {100});
    animator.SetImage(image.get());
    animator.SetFrameIndex(0);
    std::vector<TColor> seenDuringNotification;
    animator.OnFrameChanged = [&](TRxGIFAnimator*) { seenDuringNotification.push_back(surfaceColour(host, 0, 0)); };
    animator.SetAnimate(true);
    clock.AdvanceBy(100);
    EXPECT_EQ(seenDuringNotification, std::vector<TColor>{clRed});
    EXPECT_EQ(surfaceColour(host, 0, 0), clLime);
}

TEST_F(AnimatorFixture, FrameIndexRules)
{
    auto recording = animation(std::vector<TColor>(10, clRed), {100});
    animator.SetImage(recording.get());
    EXPECT_EQ(animator.FrameIndex(), 9);  // the recording's last-added frame
    events.clear();
    for (int ignored : {9, -1, 10}) {
        animator.SetFrameIndex(ignored);
        EXPECT_EQ(animator.FrameIndex(), 9);
    }
    EXPECT_TRUE(events.empty());
    animator.SetFrameIndex(0);
    EXPECT_EQ(events, std::vector<std::string>{"frame 0"});
    EXPECT_EQ(animator.Timer().Interval(), 100u);
    // Stop and replay: the step after the replay shows frame 1.
    animator.SetAnimate(true);
    clock.AdvanceBy(250);
    EXPECT_EQ(animator.FrameIndex(), 2);
    animator.SetAnimate(false);
    animator.SetFrameIndex(0);
    animator.SetAnimate(true);
    clock.AdvanceBy(100);
    EXPECT_EQ(animator.FrameIndex(), 1);
}

TEST_F(AnimatorFixture, ClearingTheImageWhilePlayingStopsStepping)
{
    auto image = animation({clRed, clLime}, {50});
    animator.SetImage(image.get());
    animator.SetAnimate(true);
    animator.SetImage(nullptr);
    clock.AdvanceBy(1000);
    EXPECT_EQ(animator.Image().Count(), 0);
    EXPECT_EQ(surfaceColour(host, 0, 0), RGB(1, 2, 3));
}

TEST_F(AnimatorFixture, AnimatorCopiesTheImageAndNeverChangesIt)
{
    auto image = animation({clRed, clLime}, {100});
    animator.SetImage(image.get());
    animator.Image().Grayscale(false);
    EXPECT_EQ(image->Frames(0)->Bitmap()->GetPixel(0, 0), clRed);
}

TEST_F(AnimatorFixture, DisposalTwoLeavesBackgroundAndThreeIsNeverKept)
{
    // A 6 x 4 screen: a full red frame, then small frames at (1, 1) with each disposal,
    // then a frame at (4, 2) that shows what the previous disposal left.
    auto image = std::make_unique<TGIFImage>();
    TBitmap red = solid(6, 4, clRed), blue = solid(2, 2, clBlue), lime = solid(1, 1, clLime);
    image->AddFrame(&red);
    image->Frames(0)->Disposal = 1;
    for (uint8_t disposal : {2, 3, 1}) {
        image->AddFrame(&blue);
        image->Frames(image->Count() - 1)->Origin = {1, 1};
        image->Frames(image->Count() - 1)->Disposal = disposal;
        image->AddFrame(&lime);
        image->Frames(image->Count() - 1)->Origin = {4, 2};
        image->Frames(image->Count() - 1)->Disposal = 1;
    }
    image->RecalcScreenSize();
    animator.SetImage(image.get());
    const TColor window = ColorToRGB(clWindow);
    struct Row {
        int frame;
        TColor at11, at42;
    };
    const Row rows[] = {
        {0, clRed, clRed},   {1, clBlue, clRed},  {2, window, clLime},  // disposal 2: background where it was
        {3, clBlue, clLime}, {4, window, clLime},                       // the background of frame 2 stays
        {5, clBlue, clLime}, {6, clBlue, clLime},
    };
    // In order (the cached picture reused) and each on its own (composed afresh).
    for (bool inOrder : {true, false}) {
        for (const Row& row : rows) {
            if (!inOrder)
                animator.SetImage(image.get());
            const TBitmap* picture = animator.ComposedFrame(row.frame);
            ASSERT_NE(picture, nullptr);
            SCOPED_TRACE("frame " + std::to_string(row.frame) + (inOrder ? " in order" : " afresh"));
            EXPECT_EQ(pixelOf(*picture, 1, 1), row.at11);
            EXPECT_EQ(pixelOf(*picture, 4, 2), row.at42);
            EXPECT_EQ(pixelOf(*picture, 0, 0), clRed);
        }
    }
}

TEST_F(AnimatorFixture, RestorePreviousFrameIsDroppedBeforeTheNext)
{
    auto image = std::make_unique<TGIFImage>();
    TBitmap red = solid(4, 4, clRed), blue = solid(4, 4, clBlue), lime = solid(1, 1, clLime);
    image->AddFrame(&red);
    image->AddFrame(&blue);
    image->Frames(1)->Disposal = 3;
    image->AddFrame(&lime);
    animator.SetImage(image.get());
    animator.ComposedFrame(1);
    const TBitmap* picture = animator.ComposedFrame(2);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(pixelOf(*picture, 0, 0), clLime);
    EXPECT_EQ(pixelOf(*picture, 3, 3), clRed);
}

TEST_F(AnimatorFixture, CentredFrameLargerThanTheClientAreaStartsAtNegativeHalfTheDifference)
{
    auto image = std::make_unique<TGIFImage>();
    TBitmap picture = MakeBitmap(60, 45, [](int x, int y) { return RGB(uint8_t(x * 4), uint8_t(y * 5), 0); });
    image->AddFrame(&picture);
    animator.SetAutoSize(false);
    animator.SetAlign(alClient);
    animator.SetCenter(true);
    animator.SetImage(image.get());
    EXPECT_EQ(animator.DestinationRect(60, 45), Bounds(-10, -7, 60, 45));  // (40 - 60) / 2, (30 - 45) / 2
    EXPECT_EQ(surfaceColour(host, 0, 0), RGB(40, 35, 0));
    EXPECT_EQ(surfaceColour(host, 39, 29), RGB(49 * 4, 36 * 5, 0));
    // Smaller than the client area: centred, the control's colour around it.
    animator.SetStretch(false);
    EXPECT_EQ(animator.DestinationRect(10, 10), Bounds(15, 10, 10, 10));
    animator.SetStretch(true);
    EXPECT_EQ(animator.DestinationRect(10, 10), Rect(0, 0, 40, 30));
}

TEST_F(AnimatorFixture, AutoSizeTakesTheLogicalScreen)
{
    auto image = animation({clRed}, {0}, 17, 11);
    animator.SetImage(image.get());
    EXPECT_EQ(animator.Width(), 17);
    EXPECT_EQ(animator.Height(), 11);
    animator.SetAlign(alTop);  // the width follows the parent; the height the image
    animator.SetImage(nullptr);
    animator.SetImage(image.get());
    EXPECT_EQ(animator.Width(), 40);
    EXPECT_EQ(animator.Height(), 11);
}

TEST_F(AnimatorFixture, AquaTransparencyShowsTheParent)
{
    auto image = std::make_unique<TGIFImage>();
    TBitmap picture = MakeBitmap(4, 4, [](int x, int) { return x < 2 ? clAqua : clRed; });
    image->AddFrame(&picture);
    image->Frames(0)->SetTransparentColor(clAqua);
    TBitmap second = MakeBitmap(4, 4, [](int, int y) { return y < 2 ? clAqua : clBlue; });
    image->AddFrame(&second);
    image->Frames(1)->SetTransparentColor(clAqua);
    animator.SetImage(image.get());
    animator.SetFrameIndex(0);
    EXPECT_EQ(surfaceColour(host, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(surfaceColour(host, 3, 0), clRed);
    animator.SetFrameIndex(1);  // frame 0 shows through where frame 1 is aqua
    EXPECT_EQ(surfaceColour(host, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(surfaceColour(host, 3, 0), clRed);
    EXPECT_EQ(surfaceColour(host, 0, 3), clBlue);
    // Not transparent: the aqua is drawn.
    animator.SetTransparent(false);
    EXPECT_EQ(surfaceColour(host, 0, 0), clAqua);
}

TEST_F(AnimatorFixture, ThousandsOfReadFramesKeepOnlyTheComposedPicture)
{
    GiflibWriteFrame frame{32, 32, false, std::vector<uint8_t>(32 * 32, 1), {clBlack, clRed}, 0, -1, 1};
    const std::vector<uint8_t> bytes = EncodeWithGiflib(32, 32, std::vector<GiflibWriteFrame>(10000, frame), 0, "");
    TGIFImage read;
    LoadBytes(read, bytes);
    ASSERT_EQ(read.Count(), 10000);
    animator.SetImage(&read);
    animator.SetFrameIndex(1);
    animator.SetFrameIndex(0);
    animator.SetAnimate(true);
    clock.AdvanceBy(50 * 10000);
    EXPECT_EQ(animator.FrameIndex(), 0);  // once round
    int decoded = 0;
    for (int i = 0; i < animator.Image().Count(); ++i)
        decoded += animator.Image().Frames(i)->HasBitmap() ? 1 : 0;
    EXPECT_LE(decoded, 1);  // at most the image's own current frame
    EXPECT_EQ(surfaceColour(host, 5, 5), clRed);
}

TEST_F(AnimatorFixture, HugeScreenIsNotComposed)
{
    // 10000 x 10000 logical screen holding one small frame.
    GiflibWriteFrame frame{2, 2, false, {0, 1, 1, 0}, {clBlack, clRed}, 0, -1, 0};
    std::vector<uint8_t> bytes = EncodeWithGiflib(10000, 10000, {frame, frame}, 0, "");
    TGIFImage read;
    LoadBytes(read, bytes);
    animator.SetImage(&read);
    EXPECT_EQ(animator.ComposedFrame(0), nullptr);
    animator.SetAnimate(true);
    clock.AdvanceBy(1000);
    EXPECT_EQ(surfaceColour(host, 0, 0), RGB(1, 2, 3));
}

TEST_F(AnimatorFixture, DamagedFilesShowWhatCouldBeRead)
{
    const std::vector<TColor> colours = {clRed, clBlue, clLime};
    std::vector<GiflibWriteFrame> frames;
    for (TColor c : colours)
        frames.push_back({8, 8, false, std::vector<uint8_t>(64, 1), {clBlack, c}, 10, -1, 1});
    const std::vector<uint8_t> whole = EncodeWithGiflib(8, 8, frames, 0, "");
    int framesSeen = 0;
    for (size_t cut = 13; cut <= whole.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        TGIFImage read;
        try {
            LoadBytes(read, std::vector<uint8_t>(whole.begin(), whole.begin() + ptrdiff_t(cut)));
        } catch (const std::exception&) {
        }
        animator.SetImage(&read);
        animator.SetAnimate(true);
        clock.AdvanceBy(200);
        animator.SetAnimate(false);
        // Every frame before the cut shows whole; the one it went through, what it holds.
        for (int i = 0; i < read.Count(); ++i) {
            const TBitmap* picture = animator.ComposedFrame(i);
            ASSERT_NE(picture, nullptr);
            if (i == read.Count() - 1 && cut < whole.size())
                continue;  // the frame the cut went through
            ++framesSeen;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    ASSERT_EQ(picture->GetPixel(x, y), colours[size_t(i)]) << "frame " << i << " at " << x << ", " << y;
        }
    }
    EXPECT_GT(framesSeen, 20);
}

TEST(RxTimer, NextCountStartsWhenTheEventHasReturned)
{
    VirtualClock clock;
    ScopedScheduler useClock(clock);
    TRxTimer timer;
    timer.SetInterval(100);
    std::vector<int64_t> times;
    timer.SetOnTimer([&] {
        times.push_back(clock.NowMs());
        if (times.size() == 1)
            clock.AdvanceBy(250);  // a message box open in the event: no second event meanwhile
    });
    clock.AdvanceTo(600);
    EXPECT_EQ(times, (std::vector<int64_t>{100, 450, 550}));
}

TEST(RxTimer, RunsOnlyWithAnIntervalEnabledAndAHandler)
{
    VirtualClock clock;
    ScopedScheduler useClock(clock);
    TRxTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.Running());  // no handler
    int fired = 0;
    timer.SetOnTimer([&] { ++fired; });
    EXPECT_TRUE(timer.Running());
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Running());
    timer.SetInterval(100);
    clock.AdvanceBy(50);
    timer.SetEnabled(false);
    timer.SetEnabled(true);  // a fresh count
    clock.AdvanceBy(99);
    EXPECT_EQ(fired, 0);
    clock.AdvanceBy(1);
    EXPECT_EQ(fired, 1);
}

TEST(RxTimer, AnErrorInTheEventIsShownAndTheTimerGoesOn)
{
    VirtualClock clock;
    ScopedScheduler useClock(clock);
    ScriptedDialogService dialogs;
    ScopedDialogService useDialogs(dialogs);
    TRxTimer timer;
    timer.SetInterval(100);
    int fired = 0;
    timer.SetOnTimer([&] {
        if (++fired == 1)
            throw EInvalidGraphicOperation("broken frame");
        if (fired == 2)
            throw EAbort("quiet");
    });
    clock.AdvanceBy(300);
    EXPECT_EQ(fired, 3);
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].text, "broken frame");
}
