#include "ControlFixture.h"
#include "WindowMessages.h"

TEST_F(ControlTest, UnregisteredControlLeavesTheHostItsInertPath)
{
    CoRevokeClassObject(cookie);
    cookie = 0;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, &out),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ControlTest, OffersEveryInterfaceTheHostAsksFor)
{
    create();
    EXPECT_TRUE(object.as<IOleControl>());
    EXPECT_TRUE(object.as<IOleInPlaceObject>());
    EXPECT_TRUE(object.as<IOleInPlaceObjectWindowless>());
    EXPECT_TRUE(object.as<IOleInPlaceActiveObject>());
    EXPECT_TRUE(object.as<IViewObject>());
    EXPECT_TRUE(object.as<IViewObject2>());
    EXPECT_FALSE(object.as<IPerPropertyBrowsing>());
    ComPtr<IOleClientSite> back;
    ASSERT_EQ(object->GetClientSite(back.put()), S_OK);
    EXPECT_EQ(back.get(), static_cast<IOleClientSite*>(site.get()));
    LONG version = 0;
    ASSERT_EQ(flash->FlashVersion(&version), S_OK);
    EXPECT_EQ(version >> 16, 10);
}

TEST_F(ControlTest, NaturalExtentGivesTheDefaultStageAtNinetySixDots)
{
    create();
    SIZEL extent;
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    // The host converts HIMETRIC to pixels with MulDiv(extent, 96, 2540), rounding.
    auto toPixels = [](LONG himetric) { return LONG((int64_t(himetric) * 96 + 1270) / 2540); };
    EXPECT_EQ(toPixels(extent.cx), 550);
    EXPECT_EQ(toPixels(extent.cy), 400);
    EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &extent), DV_E_DVASPECT);
}

TEST_F(ControlTest, ActivatesInPlaceWithoutAWindowInTheSitesOrder)
{
    create();
    site->take();
    activate();
    std::vector<std::string> expected{"CanInPlaceActivate", "CanWindowlessActivate", "OnInPlaceActivateEx 1",
        "GetWindowContext", "InvalidateRect null"};
    EXPECT_EQ(site->take(), expected);
    HWND hwnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(windowless->GetWindow(&hwnd), E_FAIL);
    EXPECT_EQ(hwnd, nullptr);
    // The object rectangle sets the view the engine fits the stage into.
    EXPECT_EQ(engine.viewWidth, 40);
    EXPECT_EQ(engine.viewHeight, 30);
    RECT r{0, 0, 64, 48};
    ASSERT_EQ(windowless->SetObjectRects(&r, &r), S_OK);
    EXPECT_EQ(engine.viewWidth, 64);
    EXPECT_EQ(windowless->SetObjectRects(nullptr, &r), E_INVALIDARG);

    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site->take(), std::vector<std::string>{"OnInPlaceDeactivateEx"});
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);  // the host closes twice
    EXPECT_TRUE(site->take().empty());
}

TEST_F(ControlTest, UiActivationHandsTheFrameTheActiveObject)
{
    create();
    RECT pos = site->position;
    site->take();
    ASSERT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.get(), 0, nullptr, &pos), S_OK);
    auto log = site->take();
    EXPECT_NE(std::find(log.begin(), log.end(), "OnUIActivate"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "SetActiveObject object"), log.end());
    object.as<IOleInPlaceObject>()->InPlaceDeactivate();
    EXPECT_EQ(site->take(),
        (std::vector<std::string>{"SetActiveObject null", "OnUIDeactivate", "OnInPlaceDeactivateEx"}));
}

TEST_F(ControlTest, RefusesASiteThatCannotHoldAWindowlessControl)
{
    create();
    class PlainSite final : public ComObject<IOleClientSite> {
    public:
        HRESULT SaveObject() override { return S_OK; }
        HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
        HRESULT GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
        HRESULT ShowObject() override { return S_OK; }
        HRESULT OnShowWindow(BOOL) override { return S_OK; }
        HRESULT RequestNewObjectLayout() override { return S_OK; }
    };
    auto plain = MakeCom<PlainSite>();
    RECT pos{0, 0, 10, 10};
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, plain.get(), 0, nullptr, &pos), E_FAIL);
}

TEST_F(ControlTest, MouseMessagesReachTheEngineInViewCoordinates)
{
    create();
    site->position = RECT{5, 5, 45, 35};
    activate();
    site->take();
    LRESULT result = 7;
    EXPECT_EQ(windowless->OnWindowMessage(WM_MOUSEMOVE, 0, MAKELPARAM(15, 9), &result), S_OK);
    EXPECT_EQ(windowless->OnWindowMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 9), &result), S_OK);
    EXPECT_EQ(windowless->OnWindowMessage(WM_LBUTTONUP, 0, MAKELPARAM(16, 9), &result), S_OK);
    std::vector<std::string> expected{"move 10,4", "move 10,4", "down 10,4", "up 11,4"};
    EXPECT_EQ(engine.calls, expected);
    EXPECT_EQ(site->take(), (std::vector<std::string>{"SetCapture 1", "SetCapture 0"}));
    // The right button asks the site for the window that owns the context menu.
    EXPECT_EQ(windowless->OnWindowMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1), &result), S_OK);
    EXPECT_EQ(site->take(), std::vector<std::string>{"GetWindow"});
    EXPECT_EQ(windowless->OnWindowMessage(WM_SETCURSOR, 0, MAKELONG(HTCLIENT, WM_MOUSEMOVE), &result), S_OK);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(windowless->OnWindowMessage(WM_KEYDOWN, 'A', 0, &result), S_FALSE);
}

TEST_F(ControlTest, FrameChangesAskTheSiteToRepaint)
{
    create();
    engine.callbacks.repaint();  // not in place yet: nobody to ask
    EXPECT_EQ(site->invalidations, 0);
    activate();
    int before = site->invalidations;
    engine.callbacks.repaint();
    engine.callbacks.repaint();
    EXPECT_EQ(site->invalidations, before + 2);
}

TEST_F(ControlTest, EngineEventsArriveAtTheSinkInDeclaredOrderUnlessFrozen)
{
    create();
    events->events.clear();
    engine.callbacks.fsCommand("quit", "now");
    ASSERT_EQ(events->summary(), std::vector<std::string>{"150:quit,now"});
    auto control = object.as<IOleControl>();
    control->FreezeEvents(1);
    engine.callbacks.fsCommand("lost", "");
    control->FreezeEvents(0);
    engine.callbacks.fsCommand("kept", "");
    EXPECT_EQ(events->summary(), (std::vector<std::string>{"150:quit,now", "150:kept,"}));
}
