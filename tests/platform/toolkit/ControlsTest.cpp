#include "Controls.h"

#include <gtest/gtest.h>

namespace {

// A graphic control that paints its area in one colour and records its messages.
struct Swatch : TGraphicControl {
    uint32_t colour = 0xFF00FF00;
    std::vector<uint32_t> messages;
    void Paint() override
    {
        TCanvasTarget t = CanvasTarget();
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) {
                int px = t.x + x, py = t.y + y;
                if (px >= 0 && py >= 0 && px < t.surface.width && py < t.surface.height)
                    t.surface.pixels[py * (t.surface.stride / 4) + px] = colour;
            }
    }
    void WndProc(TMessage& m) override
    {
        messages.push_back(m.Msg);
        TGraphicControl::WndProc(m);
    }
};

} // namespace

TEST(ControlsTest, ChildrenPaintOnTheParentAndIntoOtherSurfaces)
{
    TWinControl panel;
    panel.SetBounds(0, 0, 10, 8);
    panel.SetColor(clBlack);
    Swatch swatch;
    swatch.SetBounds(-2, 3, 4, 2);  // partly outside: clipped
    swatch.SetParent(&panel);
    panel.Repaint();
    TSurface s = panel.Surface();
    EXPECT_EQ(s.pixels[3 * 10 + 0], 0xFF00FF00u);
    EXPECT_EQ(s.pixels[3 * 10 + 2], 0xFF000000u);

    // PaintTo draws the window with its children at an offset into another surface.
    std::vector<uint32_t> other(20 * 20, 0);
    TSurface target{other.data(), 20, 20, 80};
    panel.PaintTo(target, 5, 5);
    EXPECT_EQ(other[(5 + 3) * 20 + 5], 0xFF00FF00u);
    EXPECT_EQ(other[5 * 20 + 5], 0xFF000000u);
    EXPECT_EQ(other[0], 0u);
}

TEST(ControlsTest, MouseGoesToTheChildUnderThePointerInItsCoordinates)
{
    TWinControl panel;
    panel.SetBounds(0, 0, 50, 50);
    Swatch a, b;
    a.SetBounds(0, 0, 30, 30);
    b.SetBounds(20, 20, 30, 30);  // on top of a where they overlap
    a.SetParent(&panel);
    b.SetParent(&panel);
    int clicks = 0, downX = -1, downY = -1;
    b.OnClick = [&](TControl*) { ++clicks; };
    b.OnMouseDown = [&](TControl*, TMouseButton, TShiftState, int x, int y) { downX = x, downY = y; };
    panel.MouseMessage(wm::LButtonDown, 0, 25, 26);
    panel.MouseMessage(wm::LButtonUp, 0, 25, 26);
    EXPECT_EQ(downX, 5);
    EXPECT_EQ(downY, 6);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(a.messages.empty());
    panel.MouseMessage(wm::MouseMove, 0, 5, 5);
    EXPECT_EQ(a.messages, std::vector<uint32_t>{wm::MouseMove});
}
