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

    // SnapshotBitmap renders afresh over black: no background.
    auto snapshot = player->SnapshotBitmap();
    EXPECT_EQ(snapshot->PixelFormat(), pf32bit);
    EXPECT_EQ(snapshot->GetPixel(0, 0), clBlack);
    EXPECT_EQ(snapshot->GetPixel(15, 15), clRed);
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

TEST(CombineTest, BlackAndWhiteRenderingsGiveAlphaAndColour)
{
    struct Case {
        uint32_t k, w, want;
    } cases[] = {
        {0xFF123456, 0xFF123456, 0xFF123456},  // opaque: unchanged
        {0xFF000000, 0xFFFFFFFF, 0x00000000},  // nothing drawn
        {0xFF800000, 0xFFFF7F7F, 0x80FF0000},  // half-transparent red
    };
    for (const Case& c : cases)
        EXPECT_EQ(CombineBlackWhite(c.k, c.w), c.want) << std::hex << c.k;
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
