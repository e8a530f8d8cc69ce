#include "HostFixture.h"

#include "Bitmap.h"
#include "Canvas.h"
#include "Stream.h"
#include "sf_pngimage.h"
#include "sf_utils.h"

using PaintTest = HostFixture;

namespace {

uint32_t surfacePixel(TWinControl& panel, int x, int y) { return panel.Surface().pixels[y * panel.Width() + x]; }

} // namespace

TEST_F(PaintTest, FramesAreComposedOverTheBackgroundAndCopiedToTheParent)
{
    auto player = makePlayer();
    player->SetBounds(20, 10, 100, 50);
    player->SetColor(clWhite);
    player->SetTransparent(false);
    control->drawColour = 0xFFFF0000;  // opaque red over (10,10)-(30,20)
    control->windowlessSite()->InvalidateRect(nullptr, 0);

    TsfBitmap* frame = player->BackBuffer();
    EXPECT_EQ(frame->Pixel(0, 0), 0xFFFFFFFFu);   // `Color` white, alpha 255
    EXPECT_EQ(frame->Pixel(15, 15), 0xFFFF0000u);  // what the control drew
    EXPECT_EQ(surfacePixel(panel, 20 + 15, 10 + 15), 0xFFFF0000u);  // and on the parent, at our place

    // CopyFrameTo: a 1:1 copy; a larger canvas keeps its other pixels.
    TBitmap canvas(120, 60, pf32bit);
    canvas.Canvas().Brush.Color = clBlue;
    canvas.Canvas().FillRect(Rect(0, 0, 120, 60));
    player->CopyFrameTo(canvas.Canvas());
    EXPECT_EQ(canvas.GetPixel(0, 0), clWhite);
    EXPECT_EQ(canvas.GetPixel(15, 15), clRed);
    EXPECT_EQ(canvas.GetPixel(110, 55), clBlue);

    // SnapshotBitmap renders afresh, and shows what the frame shows.
    auto snapshot = player->SnapshotBitmap();
    EXPECT_EQ(snapshot->PixelFormat(), pf32bit);
    EXPECT_EQ(snapshot->GetPixel(0, 0), clWhite);
    EXPECT_EQ(snapshot->GetPixel(15, 15), clRed);
}

TEST_F(PaintTest, TheStageColourTheControlNamesIsTheBackdrop)
{
    auto player = makePlayer();
    player->SetBounds(0, 0, 100, 50);
    player->SetColor(clWhite);
    player->SetTransparent(false);
    control->backgroundColor = 0x00A03C14;  // #143CA0, as the loaded movie reports it
    control->drawColour = 0xFFFF0000;
    control->windowlessSite()->InvalidateRect(nullptr, 0);
    EXPECT_EQ(player->BackBuffer()->Pixel(0, 0), 0xFF143CA0u);
    EXPECT_EQ(player->SnapshotBitmap()->GetPixel(0, 0), TColor(0x00A03C14));
    // A later change of colour is seen at the next repaint, even one of a small area.
    control->backgroundColor = 0x0000FF00;
    RECT small{10, 10, 30, 20};
    control->windowlessSite()->InvalidateRect(&small, 0);
    EXPECT_EQ(player->BackBuffer()->Pixel(0, 0), 0xFF00FF00u);
    // PNG: clear where nothing is drawn, opaque when asked.
    EXPECT_EQ(player->SnapshotPNG()->AlphaRow(0)[0], 0);
    player->TransparentSnapshots = false;
    auto opaque = player->SnapshotPNG();
    EXPECT_EQ(opaque->AlphaRow(0)[0], 255);
    EXPECT_EQ(opaque->Pixels(0, 0), clLime);
}

TEST_F(PaintTest, TransparentPlayersCaptureTheParentBehindThem)
{
    panel.SetColor(clTeal);
    panel.ClientEdge = true;
    auto player = makePlayer();
    player->SetBounds(30, 40, 60, 60);
    control->drawRect = RECT{0, 0, 0, 0};
    control->windowlessSite()->InvalidateRect(nullptr, 0);
    // The background under the component is what the parent shows there.
    EXPECT_EQ(player->BackBuffer()->Pixel(5, 5), 0xFF008080u);  // teal as 0xAARRGGBB
}

TEST_F(PaintTest, AfterSetBoundsTheNextRepaintIsWhole)
{
    auto player = makePlayer();
    player->SetBounds(0, 0, 100, 50);
    control->draws.clear();
    RECT small{1, 1, 5, 5};
    auto site = control->windowlessSite();
    site->InvalidateRect(&small, 0);
    ASSERT_EQ(control->draws.size(), 1u);
    EXPECT_FALSE(control->draws[0].second);  // null bounds: the whole object rectangle
    site->InvalidateRect(&small, 0);
    EXPECT_TRUE(control->draws[1].second);  // now only the named rectangle
    EXPECT_EQ(control->draws[1].first, DVASPECT_TRANSPARENT);
}

TEST_F(PaintTest, ZeroSizeRendersNothingButStillCallsOnPaint)
{
    auto player = makePlayer();
    int paints = 0;
    player->OnPaint = [&](TsfOleControl*) { ++paints; };
    player->SetBounds(0, 0, 0, 10);
    control->draws.clear();
    control->windowlessSite()->InvalidateRect(nullptr, 0);
    EXPECT_EQ(paints, 1);
    EXPECT_TRUE(control->draws.empty());
}

TEST_F(PaintTest, SnapshotPngReconstructsAlphaAndStraightColour)
{
    auto player = makePlayer();
    player->SetBounds(0, 0, 40, 30);
    control->drawColour = 0x80FF0000;  // half-transparent red
    auto png = player->SnapshotPNG();
    EXPECT_EQ(png->Width(), 40);
    EXPECT_EQ(png->Height(), 30);
    EXPECT_EQ(png->Pixels(15, 15), clRed);
    EXPECT_EQ(png->AlphaRow(15)[15], 0x80);
    EXPECT_EQ(png->AlphaRow(0)[0], 0);  // nothing drawn: fully transparent
    TMemoryStream out;
    png->SaveToStream(out);
    const uint8_t* ihdr = out.Memory() + 16;
    EXPECT_EQ(ihdr[3], 40);
    EXPECT_EQ(ihdr[7], 30);
    EXPECT_EQ(ihdr[8], 16);
    EXPECT_EQ(ihdr[9], 6);
    // The screen shows the normal frame again afterwards.
    control->windowlessSite()->InvalidateRect(nullptr, 0);
    EXPECT_EQ(player->BackBuffer()->Pixel(0, 0) >> 24, 0xFFu);
}

TEST(CombineTest, ClearAndBackdropRenderingsGiveAlphaAndColour)
{
    struct Case {
        uint32_t clear, seen, backdrop, want;
    } cases[] = {
        {0xFF123456, 0xFF123456, 0xFFFFFFFF, 0xFF123456},  // opaque: as seen
        {0xFF102030, 0xFF405060, 0xFF143CA0, 0xFF405060},  // opaque but blended with the stage: as seen
        {0x00000000, 0xFF143CA0, 0xFF143CA0, 0x00000000},  // nothing drawn
        {0x80800000, 0xFFFF7F7F, 0xFFFFFFFF, 0x80FF0000},  // half-transparent red over white
        {0x80800000, 0xFF8A1E50, 0xFF143CA0, 0x80FF0000},  // the same over a blue stage
        // Half-covering a stage it multiplies with: the colour that gives the seen
        // picture again over the stage, not the colour drawn over clear pixels.
        {0x80800000, 0xFF0A1E4F, 0xFF143CA0, 0x80000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CombineWithBackdrop(c.clear, c.seen, c.backdrop), c.want) << std::hex << c.clear << " " << c.seen;
}

TEST_F(PaintTest, RightButtonAndCursorRules)
{
    auto player = makePlayer();
    auto site = control->windowlessSite();
    HWND window = nullptr;
    TMessage down{WM_RBUTTONDOWN, 0, 0, 0};
    player->WndProc(down);
    EXPECT_EQ(site->GetWindow(&window), S_OK);  // once, right after the press
    EXPECT_EQ(window, panel.Handle());
    EXPECT_EQ(site->GetWindow(&window), E_FAIL);

    control->messages.clear();
    player->DisableFlashPopup = true;
    player->WndProc(down);
    TMessage up{WM_RBUTTONUP, 0, 0, 0};
    player->WndProc(up);
    EXPECT_EQ(control->messages, (std::vector<UINT>{WM_RBUTTONUP, WM_SETCURSOR}));

    control->messages.clear();
    player->DisableFlashCursor = true;
    player->SetCursor(crHandPoint);
    TMessage move{WM_MOUSEMOVE, 0, 0, 0};
    player->WndProc(move);
    EXPECT_EQ(control->messages, std::vector<UINT>{WM_MOUSEMOVE});
    EXPECT_EQ(player->ScreenCursor(), crHandPoint);

    // Messages the control refuses are not followed by a cursor query.
    control->messages.clear();
    control->messageAnswer = S_FALSE;
    player->DisableFlashCursor = false;
    player->WndProc(move);
    EXPECT_EQ(control->messages, std::vector<UINT>{WM_MOUSEMOVE});
}
