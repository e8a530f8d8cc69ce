#include "HostFixture.h"

#include "Bitmap.h"
#include "Exceptions.h"
#include "JPEGImage.h"
#include "sf_pngimage.h"

using SiteTest = HostFixture;

TEST_F(SiteTest, CreationOrderAndNaturalSize)
{
    auto player = makePlayer();
    EXPECT_FALSE(player->CreateFailed());
    ASSERT_NE(control, nullptr);
    // The client site comes first (misc status asks so), then initialisation, then
    // the in-place verb; the control's extent gives the component's size.
    std::vector<std::string> want = {"SetClientSite", "InitNew", "Ambient -1", "DoVerb -5"};
    std::vector<std::string> got;
    for (const std::string& c : control->calls)
        if (c != "Ambient -702")
            got.push_back(c);
    EXPECT_EQ(got, want);
    EXPECT_EQ(player->Width(), 440);
    EXPECT_EQ(player->Height(), 316);
    EXPECT_EQ(control->messages.front(), WM_SETFOCUS);
    ASSERT_FALSE(control->invokes.empty());
    EXPECT_EQ(control->invokes.front().first, 133);  // WMode, the first property access
    EXPECT_EQ(control->lastPut.bstrVal.str(), u"Transparent");
    // Every set-bounds tells the control its object rectangle in our coordinates.
    player->SetBounds(7, 9, 200, 100);
    EXPECT_EQ(control->objectRect, (RECT{0, 0, 200, 100}));
}

TEST_F(SiteTest, SiteAnswers)
{
    auto player = makePlayer();
    IUnknown* site = player->SiteUnknown();
    auto client = QueryAs<IOleClientSite>(site);
    ComPtr<IMoniker> moniker;
    EXPECT_EQ(client->GetMoniker(0, 0, moniker.put()), E_NOTIMPL);
    EXPECT_FALSE(moniker);
    ComPtr<IOleContainer> container;
    EXPECT_EQ(client->GetContainer(container.put()), E_NOINTERFACE);
    EXPECT_EQ(client->SaveObject(), S_OK);

    auto controlSite = QueryAs<IOleControlSite>(site);
    EXPECT_EQ(controlSite->OnControlInfoChanged(), E_NOTIMPL);
    POINTL himetric{2540, 5080};
    POINTF pixels;
    EXPECT_EQ(controlSite->TransformCoords(&himetric, &pixels, XFORMCOORDS_HIMETRICTOCONTAINER), S_OK);
    EXPECT_EQ(pixels.x, 96);
    EXPECT_EQ(pixels.y, 192);

    HWND window = reinterpret_cast<HWND>(1);
    auto plain = QueryAs<IOleInPlaceSite>(site);
    EXPECT_EQ(plain->GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);
    auto frame = QueryAs<IOleInPlaceFrame>(site);
    EXPECT_EQ(frame->GetWindow(&window), E_FAIL);
    RECT border;
    EXPECT_EQ(frame->GetBorder(&border), INPLACE_E_NOTOOLSPACE);
    EXPECT_EQ(frame->RequestBorderSpace(nullptr), INPLACE_E_NOTOOLSPACE);
    EXPECT_EQ(frame->SetBorderSpace(nullptr), E_NOTIMPL);
    EXPECT_EQ(frame->TranslateAccelerator(nullptr, 0), S_FALSE);
    EXPECT_EQ(QueryAs<IOleWindow>(site)->GetWindow(&window), E_FAIL);

    auto windowless = QueryAs<IOleInPlaceSiteWindowless>(site);
    EXPECT_EQ(windowless->GetWindow(&window), E_FAIL);
    EXPECT_EQ(windowless->GetCapture(), S_FALSE);
    EXPECT_EQ(windowless->SetCapture(1), S_OK);
    EXPECT_EQ(windowless->GetCapture(), S_OK);
    RECT adjusted{5, 5, 9, 9};
    EXPECT_EQ(windowless->AdjustRect(&adjusted), S_OK);
    EXPECT_EQ(adjusted, (RECT{0, 0, 440, 316}));
    EXPECT_EQ(windowless->Scroll(SIZE{}), E_NOTIMPL);

    ComPtr<IMoniker> other;
    EXPECT_EQ(QueryAs<IParseDisplayName>(site)->ParseDisplayName(nullptr, nullptr, nullptr, other.put()), E_NOTIMPL);
    EXPECT_EQ(QueryAs<IMoniker>(site)->Inverse(other.put()), E_NOTIMPL);
    EXPECT_FALSE(other);
    // The object's life is its owner's: Release only counts.
    ULONG before = player->RefCount();
    site->AddRef();
    site->Release();
    EXPECT_EQ(player->RefCount(), before);
}

TEST_F(SiteTest, AmbientProperties)
{
    auto player = makePlayer();
    player->SetName("FlashPlayer");
    auto ambient = QueryAs<IDispatch>(player->SiteUnknown());
    struct Case {
        DISPID id;
        VARTYPE vt;
        int value;
    } cases[] = {{-701, VT_I4, clWindow}, {-706, VT_BOOL, -1}, {-709, VT_BOOL, -1}, {-710, VT_BOOL, 0},
                 {-711, VT_BOOL, 0},     {-712, VT_BOOL, 0},  {-714, VT_BOOL, -1}, {-715, VT_BOOL, -1}};
    for (const Case& c : cases) {
        VARIANT v;
        ASSERT_EQ(DispGetProperty(ambient.get(), c.id, &v), S_OK) << c.id;
        EXPECT_EQ(v.vt, c.vt) << c.id;
        EXPECT_EQ(c.vt == VT_BOOL ? v.boolVal : v.lVal, c.value) << c.id;
    }
    VARIANT name;
    ASSERT_EQ(DispGetProperty(ambient.get(), -702, &name), S_OK);
    EXPECT_EQ(name.bstrVal.str(), u"FlashPlayer");
    // A write, a read without a result, and an unknown id are not members.
    EXPECT_EQ(DispPutProperty(ambient.get(), -701, VariantFromInt32(1)), DISP_E_MEMBERNOTFOUND);
    DISPPARAMS none;
    EXPECT_EQ(ambient->Invoke(-701, IID{}, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    VARIANT v;
    EXPECT_EQ(DispGetProperty(ambient.get(), -999, &v), DISP_E_MEMBERNOTFOUND);
}

TEST_F(SiteTest, EventsArriveWithArgumentsInDeclaredOrder)
{
    auto player = makePlayer();
    int state = -1, percent = -1;
    std::u16string request;
    TsfFlashPlayer* sender = nullptr;
    player->OnReadyStateChange = [&](TsfFlashPlayer* s, int v) {
        sender = s;
        state = v;
    };
    player->OnProgress = [&](TsfFlashPlayer*, int v) { percent = v; };
    player->OnFlashCall = [&](TsfFlashPlayer*, const std::u16string& r) { request = r; };
    ASSERT_EQ(control->events.connectionCount(), 1u);
    control->fire(-609, {VariantFromInt32(4)});
    control->fire(1958, {VariantFromInt32(55)});
    control->fire(197, {VariantFromString(u"<invoke/>")});
    EXPECT_EQ(state, 4);
    EXPECT_EQ(sender, player.get());
    EXPECT_EQ(percent, 55);
    EXPECT_EQ(request, u"<invoke/>");
    // A handler's exception goes to the error box, not to the control.
    player->OnProgress = [](TsfFlashPlayer*, int) { throw Exception("handler failed"); };
    control->fire(1958, {VariantFromInt32(1)});
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].text, "handler failed");
}

TEST_F(SiteTest, FSCommandsAreDeliveredFromTheMessageLoop)
{
    auto player = makePlayer();
    std::vector<std::pair<std::u16string, std::u16string>> got;
    player->OnHandleFSCommand = [&](TsfFlashPlayer*, const std::u16string& c, const std::u16string& a) {
        got.emplace_back(c, a);
    };
    control->fire(150, {VariantFromString(u"first"), VariantFromString(u"1")});
    control->fire(150, {VariantFromString(u"second"), VariantFromString(u"2")});
    EXPECT_TRUE(got.empty());  // nothing during the control's call
    clock.ProcessMessages();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], (std::pair<std::u16string, std::u16string>{u"second", u"2"}));
    EXPECT_EQ(got[1], (std::pair<std::u16string, std::u16string>{u"", u""}));

    // A player destroyed with a command still queued: the delivery finds nobody.
    control->fire(150, {VariantFromString(u"late"), VariantFromString(u"")});
    player.reset();
    EXPECT_NO_THROW(clock.ProcessMessages());
    EXPECT_EQ(got.size(), 2u);
}

TEST(InertPlayerTest, NoRegisteredControlMakesTheComponentInert)
{
    TWinControl panel;
    panel.SetBounds(0, 0, 100, 100);
    TsfFlashPlayer player(&panel);
    EXPECT_TRUE(player.CreateFailed());
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(player.CurrentFrame(), 0);
    EXPECT_EQ(player.TotalFrames(), 0);
    EXPECT_NO_THROW(player.Play());
    EXPECT_NO_THROW(player.LoadMovie(0, u"/tmp/a.swf"));
    EXPECT_EQ(player.CallFunction(u"x"), u"");
    EXPECT_EQ(player.RenderBitmap(), nullptr);
    EXPECT_TRUE(player.SnapshotBitmap()->Empty());
}

TEST_F(SiteTest, ActivationWithoutAnInPlaceObjectFails)
{
    configure = [](ScriptedControl& c) { c.activates = false; };
    try {
        makePlayer();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "OLE control activation failed");
    }
}

TEST_F(SiteTest, ControlDataIsKeptAsOpaqueBytes)
{
    auto player = makePlayer();
    EXPECT_EQ(player->WriteControlData(), control->savedState);
    player->ReadControlData({1, 2, 3});
    EXPECT_EQ(player->WriteControlData(), (std::vector<uint8_t>{1, 2, 3}));  // stored, not applied
}
