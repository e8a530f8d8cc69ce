// The control over the real player: a movie made with the SWF writer, loaded through
// the site's bind service, played on virtual time and drawn into a surface.
#include "ConnectionPoint.h"
#include "Registration.h"
#include "ShockwaveFlash.h"
#include "TestSite.h"
#include "WindowMessages.h"

#include "Scheduler.h"
#include "swf/Writer.h"

#include <gtest/gtest.h>

namespace {
// A 40 x 30 stage on blue; a red square over its left half, moved right on frame 2.
std::vector<uint8_t> twoFrameMovie()
{
    swf::MovieBuilder b(40, 30, 10.0);
    b.setBackground({0, 0, 255, 255});
    auto box = b.addRectangle({0, 400, 0, 600}, {255, 0, 0, 255});
    b.place(box, 1);
    b.showFrame();
    b.move(1, swf::Matrix::translate(400, 0));
    b.showFrame();
    auto bytes = b.build();
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? *bytes : std::vector<uint8_t>{};
}

// A stage-sized button on a stopped first frame; releasing it goes to the next frame.
std::vector<uint8_t> buttonMovie()
{
    swf::MovieBuilder b(40, 30, 10.0);
    auto box = b.addRectangle({0, 800, 0, 600}, {0, 255, 0, 255});
    swf::Button button;
    swf::ButtonRecord record;
    record.up = record.over = record.down = record.hitTest = true;
    record.characterId = box;
    record.depth = 1;
    button.records.push_back(record);
    button.actions.push_back(swf::ButtonAction{swf::OverDownToOverUp, 0, {0x04, 0x00}});  // NextFrame
    auto id = b.add(swf::Character(button));
    b.place(id, 1);
    b.action({0x07, 0x00});  // Stop
    b.showFrame();
    b.showFrame();
    auto bytes = b.build();
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? *bytes : std::vector<uint8_t>{};
}

struct Surface {
    std::vector<uint8_t> pixels;
    DeviceContext dc;
    Surface(int w, int h, uint8_t fill) : pixels(size_t(w) * h * 4, fill), dc{pixels.data(), w, h, w * 4, {}} {}
    // 0xAARRGGBB of the pixel, from its bytes blue, green, red, alpha.
    uint32_t at(int x, int y) const
    {
        const uint8_t* p = &pixels[size_t(y) * dc.stride + size_t(x) * 4];
        return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

class ControlEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HRESULT hr = flashcontrol::RegisterFlashControlClass(&cookie);
        ASSERT_EQ(hr, S_OK);
        site = MakeCom<TestSite>();
        site->served["movie.swf"] = twoFrameMovie();
        ASSERT_EQ(CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                      object.putVoid()),
            S_OK);
        object->SetClientSite(site.get());
        object.as<IPersistStreamInit>()->InitNew();
        flash = object.as<IShockwaveFlash>();
        RECT pos = site->position;
        ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, &pos), S_OK);
        view = object.as<IViewObject>();
    }
    void TearDown() override
    {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object.reset();
        CoRevokeClassObject(cookie);
    }

    VirtualClock clock;
    ScopedScheduler scoped{clock};
    DWORD cookie = 0;
    ComPtr<TestSite> site;
    ComPtr<IOleObject> object;
    ComPtr<IShockwaveFlash> flash;
    ComPtr<IViewObject> view;
};
}

TEST_F(ControlEngineTest, PlaysAndDrawsARealMovie)
{
    ASSERT_EQ(flash->LoadMovie(0, BSTR(u"movie.swf")), S_OK);
    LONG frames = 0;
    flash->get_TotalFrames(&frames);
    EXPECT_EQ(frames, 2);
    flash->Stop();
    flash->Rewind();
    Surface s(40, 30, 0);
    ASSERT_EQ(view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, &s.dc, nullptr, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(s.at(10, 15), 0xFFFF0000u);  // red square
    EXPECT_EQ(s.at(30, 15), 0xFF0000FFu);  // blue stage

    // A partial repaint as the host does it: the part (16, 10)-(24, 20) into a
    // scratch buffer, origin moved so the part's corner lands at (0, 0).
    Surface part(8, 10, 0);
    MoveWindowOrg(&part.dc, -16, -10);
    RECTL bounds{0, 0, 24, 20};
    ASSERT_EQ(view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, &part.dc, &bounds, nullptr, nullptr, 0),
        S_OK);
    EXPECT_EQ(part.at(0, 0), 0xFFFF0000u);  // stage x 16: still the square
    EXPECT_EQ(part.at(7, 9), 0xFF0000FFu);  // stage x 23: the blue beside it

    int before = site->invalidations;
    flash->Play();
    clock.AdvanceBy(100);  // one frame at 10 frames per second
    LONG frame = -1;
    flash->CurrentFrame(&frame);
    EXPECT_EQ(frame, 1);
    EXPECT_GT(site->invalidations, before);
    Surface t(40, 30, 0);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &t.dc, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(t.at(10, 15), 0xFF0000FFu);
    EXPECT_EQ(t.at(30, 15), 0xFFFF0000u);
}

TEST_F(ControlEngineTest, TransparentModeLeavesWhatLiesBehind)
{
    ASSERT_EQ(flash->put_WMode(BSTR(u"Transparent")), S_OK);
    ASSERT_EQ(flash->LoadMovie(0, BSTR(u"movie.swf")), S_OK);
    flash->Stop();
    Surface s(40, 30, 0);
    view->Draw(DVASPECT_TRANSPARENT, -1, nullptr, nullptr, nullptr, &s.dc, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(s.at(10, 15), 0xFFFF0000u);
    EXPECT_EQ(s.at(30, 15), 0x00000000u);  // the stage background is not painted
}

TEST_F(ControlEngineTest, ForwardedMouseMessagesMakeButtonsReact)
{
    site->served["button.swf"] = buttonMovie();
    ASSERT_EQ(flash->LoadMovie(0, BSTR(u"button.swf")), S_OK);
    LONG frame = -1;
    flash->CurrentFrame(&frame);
    ASSERT_EQ(frame, 0);
    auto windowless = object.as<IOleInPlaceObjectWindowless>();
    LRESULT result = 0;
    EXPECT_EQ(windowless->OnWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 15), &result), S_OK);
    EXPECT_EQ(windowless->OnWindowMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 15), &result), S_OK);
    EXPECT_EQ(windowless->OnWindowMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 15), &result), S_OK);
    clock.AdvanceBy(100);
    flash->CurrentFrame(&frame);
    EXPECT_EQ(frame, 1);
}
