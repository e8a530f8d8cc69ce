#include "ControlFixture.h"

#include <vector>

namespace {
struct Surface {
    int width, height;
    std::vector<uint8_t> pixels;
    DeviceContext dc;
    Surface(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * h * 4)
    {
        for (size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = uint8_t(fill);
            pixels[i + 1] = uint8_t(fill >> 8);
            pixels[i + 2] = uint8_t(fill >> 16);
            pixels[i + 3] = uint8_t(fill >> 24);
        }
        dc = DeviceContext{pixels.data(), w, h, w * 4, {}};
    }
    uint32_t at(int x, int y) const
    {
        const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
};

// What the fake engine paints at view position (x, y).
uint32_t viewPixel(int x, int y)
{
    return uint32_t(x) | uint32_t(y) << 8 | 0x80u << 16 | 0xFFu << 24;
}

constexpr uint32_t kUntouched = 0x11223344;
}

TEST_F(ControlTest, DrawPutsTheObjectRectangleOnTheSurfaceWithBothAspects)
{
    create();
    serve("m.swf", "FWS\x0a");
    flash->LoadMovie(0, BSTR(u"m.swf"));
    activate();
    RECT r{0, 0, 40, 30};
    windowless->SetObjectRects(&r, &r);
    for (DWORD aspect : {DVASPECT_CONTENT, DVASPECT_TRANSPARENT}) {
        Surface s(50, 40, kUntouched);
        ASSERT_EQ(view->Draw(aspect, -1, nullptr, nullptr, nullptr, &s.dc, nullptr, nullptr, nullptr, 0), S_OK);
        EXPECT_EQ(s.at(0, 0), viewPixel(0, 0));
        EXPECT_EQ(s.at(39, 29), viewPixel(39, 29));
        EXPECT_EQ(s.at(40, 0), kUntouched);  // outside the object rectangle
        EXPECT_EQ(s.at(0, 30), kUntouched);
    }
    Surface s(4, 4, kUntouched);
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, &s.dc, nullptr, nullptr, nullptr, 0),
        DV_E_DVASPECT);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, 0, nullptr, nullptr, nullptr, &s.dc, nullptr, nullptr, nullptr, 0),
        DV_E_LINDEX);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0),
        E_INVALIDARG);
}

TEST_F(ControlTest, PartialRepaintWithAMovedOriginDrawsThatPartUnscaled)
{
    create();
    serve("m.swf", "FWS\x0a");
    flash->LoadMovie(0, BSTR(u"m.swf"));
    activate();
    RECT full{0, 0, 40, 30};
    windowless->SetObjectRects(&full, &full);
    // The host's partial repaint of R: origin moved by (-R.left, -R.top), bounds
    // (0, 0, R.right, R.bottom), into a scratch buffer whose (0, 0) is R's corner.
    RECT part{10, 5, 18, 12};
    Surface work(40, 30, kUntouched);
    MoveWindowOrg(&work.dc, -part.left, -part.top);
    RECTL bounds{0, 0, part.right, part.bottom};
    ASSERT_EQ(view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, &work.dc, &bounds, nullptr, nullptr, 0),
        S_OK);
    MoveWindowOrg(&work.dc, part.left, part.top);
    EXPECT_EQ(work.at(0, 0), viewPixel(10, 5));
    EXPECT_EQ(work.at(7, 6), viewPixel(17, 11));
    EXPECT_EQ(engine.renderViewWidth, 40);  // not squeezed into the bounds
    // Bounds clip: nothing beyond them in the scratch buffer.
    EXPECT_EQ(work.at(8, 0), kUntouched);
    EXPECT_EQ(work.at(0, 7), kUntouched);
}

TEST_F(ControlTest, OutOfPlaceDrawingScalesToTheBounds)
{
    create();
    serve("m.swf", "FWS\x0a");
    flash->LoadMovie(0, BSTR(u"m.swf"));
    view = object.as<IViewObject>();
    Surface s(20, 20, kUntouched);
    RECTL bounds{2, 3, 12, 13};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &s.dc, &bounds, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(engine.renderViewWidth, 10);
    EXPECT_EQ(s.at(2, 3), viewPixel(0, 0));
    EXPECT_EQ(s.at(1, 3), kUntouched);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &s.dc, nullptr, nullptr, nullptr, 0),
        E_INVALIDARG);
}

TEST_F(ControlTest, WithoutAMovieOpaqueModesFillTheBackgroundAndTransparentLeavesIt)
{
    create();
    activate();
    flash->put_BackgroundColor(0x0000FF);  // red, as an OLE colour
    Surface s(40, 30, kUntouched);
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &s.dc, nullptr, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(s.at(3, 3), 0xFFFF0000u);  // bytes 00 00 FF FF: blue 0, green 0, red 255
    flash->put_WMode(BSTR(u"transparent"));
    Surface t(40, 30, kUntouched);
    ASSERT_EQ(view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, &t.dc, nullptr, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(t.at(3, 3), kUntouched);
}
