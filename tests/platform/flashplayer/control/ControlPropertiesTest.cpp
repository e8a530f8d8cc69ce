#include "ControlFixture.h"

namespace d = flashdispid;

namespace {
VARIANT get(IDispatch* target, DISPID id, HRESULT expected = S_OK)
{
    VARIANT v;
    EXPECT_EQ(DispGetProperty(target, id, &v), expected) << "dispatch id " << id;
    return v;
}
}

TEST_F(ControlTest, PropertiesReadAndWriteByDispatchId)
{
    create();
    serve("movie.swf", "FWS\x0a....");
    ASSERT_EQ(flash->LoadMovie(0, BSTR(u"movie.swf")), S_OK);

    EXPECT_EQ(get(dispatch.get(), d::TotalFrames).lVal, 12);
    VARIANT playing = get(dispatch.get(), d::Playing);
    EXPECT_EQ(playing.vt, VT_BOOL);
    EXPECT_EQ(playing.boolVal, VARIANT_TRUE);

    ASSERT_EQ(DispPutProperty(dispatch.get(), d::Loop, VariantFromBool(false)), S_OK);
    EXPECT_FALSE(engine.loop);
    EXPECT_EQ(get(dispatch.get(), d::Loop).boolVal, VARIANT_FALSE);

    ASSERT_EQ(DispPutProperty(dispatch.get(), d::WMode, VariantFromString(u"Transparent")), S_OK);
    EXPECT_TRUE(engine.transparent);
    EXPECT_EQ(get(dispatch.get(), d::WMode).bstrVal.str(), u"Transparent");

    // Colours are OLE colours (0x00BBGGRR): red is 0x0000FF, the engine gets 0xFF0000.
    EXPECT_EQ(get(dispatch.get(), d::BackgroundColor).lVal, 0x996633);  // the movie's own, 0x336699
    ASSERT_EQ(DispPutProperty(dispatch.get(), d::BackgroundColor, VariantFromInt32(0x0000FF)), S_OK);
    EXPECT_EQ(engine.background, 0xFF0000);
    EXPECT_EQ(get(dispatch.get(), d::BGColor).bstrVal.str(), u"#FF0000");
    ASSERT_EQ(DispPutProperty(dispatch.get(), d::BGColor, VariantFromString(u"#00ff00")), S_OK);
    EXPECT_EQ(get(dispatch.get(), d::BackgroundColor).lVal, 0x00FF00);

    ASSERT_EQ(DispPutProperty(dispatch.get(), d::Quality2, VariantFromString(u"low")), S_OK);
    EXPECT_EQ(get(dispatch.get(), d::Quality).lVal, 0);
    EXPECT_EQ(engine.quality, 0);
    ASSERT_EQ(DispPutProperty(dispatch.get(), d::Scale, VariantFromString(u"exactfit")), S_OK);
    EXPECT_EQ(get(dispatch.get(), d::ScaleMode).lVal, 2);
    ASSERT_EQ(DispPutProperty(dispatch.get(), d::SAlign, VariantFromString(u"TL")), S_OK);
    EXPECT_EQ(get(dispatch.get(), d::AlignMode).lVal, 5);
    EXPECT_EQ(get(dispatch.get(), d::SAlign).bstrVal.str(), u"LT");

    ASSERT_EQ(DispPutProperty(dispatch.get(), d::FrameNum, VariantFromInt32(4)), S_OK);
    EXPECT_EQ(get(dispatch.get(), d::FrameNum).lVal, 4);
    EXPECT_EQ(get(dispatch.get(), d::Movie).bstrVal.str(), u"movie.swf");
    EXPECT_EQ(get(dispatch.get(), d::ReadyState).lVal, 4);
}

TEST_F(ControlTest, EveryTableStringPropertyKeepsWhatIsWritten)
{
    create();
    const DISPID texts[] = {d::Base, d::SWRemote, d::FlashVars, d::AllowScriptAccess, d::MovieData};
    for (DISPID id : texts) {
        ASSERT_EQ(DispPutProperty(dispatch.get(), id, VariantFromString(u"v" + std::u16string(1, char16_t('0' + id % 10)))), S_OK);
        EXPECT_EQ(get(dispatch.get(), id).bstrVal.str(), u"v" + std::u16string(1, char16_t('0' + id % 10))) << id;
    }
    const DISPID flags[] = {d::Menu, d::DeviceFont, d::EmbedMovie, d::SeamlessTabbing};
    for (DISPID id : flags) {
        bool before = get(dispatch.get(), id).boolVal != 0;
        ASSERT_EQ(DispPutProperty(dispatch.get(), id, VariantFromBool(!before)), S_OK);
        EXPECT_EQ(get(dispatch.get(), id).boolVal != 0, !before) << id;
    }
}

TEST_F(ControlTest, InvokeRefusesWhatAutomationWouldRefuse)
{
    create();
    VARIANT v;
    EXPECT_EQ(DispGetProperty(dispatch.get(), 9999, &v), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(DispPutProperty(dispatch.get(), d::TotalFrames, VariantFromInt32(3)), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(DispPutProperty(dispatch.get(), d::Quality, VariantFromString(u"high!")), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(DispPutProperty(dispatch.get(), d::Quality, VariantFromInt32(9)), E_INVALIDARG);
    // A put must name its value -3.
    VARIANT arg = VariantFromBool(true);
    DISPPARAMS unnamed{&arg, nullptr, 1, 0};
    EXCEPINFO excep;
    EXPECT_EQ(dispatch->Invoke(d::Loop, IID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr, &excep, nullptr),
        DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(dispatch->Invoke(d::Loop, IID_IDispatch, 0, DISPATCH_PROPERTYGET, nullptr, &v, &excep, nullptr),
        DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(DispInvokeMethod(dispatch.get(), d::GotoFrame, {}), DISP_E_BADPARAMCOUNT);
}

TEST_F(ControlTest, NamesResolveToTheDispatchIds)
{
    create();
    std::u16string names[] = {u"totalframes", u"WMode", u"LoadMovie", u"NoSuchThing"};
    const DISPID expected[] = {d::TotalFrames, d::WMode, d::LoadMovie, DISPID_UNKNOWN};
    for (int i = 0; i < 4; ++i) {
        LPOLESTR name = names[i].data();
        DISPID id = 0;
        HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
        EXPECT_EQ(id, expected[i]);
        EXPECT_EQ(hr, i < 3 ? S_OK : DISP_E_UNKNOWNNAME);
    }
}

TEST_F(ControlTest, MethodsThroughInvokeAndThroughTheirSlots)
{
    create();
    serve("m.swf", "CWS\x0a....");
    ASSERT_EQ(DispInvokeMethod(dispatch.get(), d::LoadMovie, {VariantFromInt32(0), VariantFromString(u"m.swf")}), S_OK);
    ASSERT_TRUE(engine.loaded);
    // The slots as a caller of the dual interface reaches them: 3 IUnknown and 4
    // IDispatch slots first, Play at 28, Stop at 29, CurrentFrame at 35, FlashVersion at 39.
    auto* raw = flash.get();
    void** vtable = *reinterpret_cast<void***>(raw);
    using NoArgs = HRESULT (*)(IShockwaveFlash*);
    using OutLong = HRESULT (*)(IShockwaveFlash*, LONG*);
    engine.calls.clear();
    EXPECT_EQ(reinterpret_cast<NoArgs>(vtable[29])(raw), S_OK);
    EXPECT_EQ(reinterpret_cast<NoArgs>(vtable[28])(raw), S_OK);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"stop", "play"}));
    engine.current = 7;
    LONG frame = 0, version = 0;
    EXPECT_EQ(reinterpret_cast<OutLong>(vtable[35])(raw, &frame), S_OK);
    EXPECT_EQ(frame, 7);
    EXPECT_EQ(reinterpret_cast<OutLong>(vtable[39])(raw, &version), S_OK);
    EXPECT_EQ(version, kFlashVersion);

    VARIANT result;
    ASSERT_EQ(DispInvokeMethod(dispatch.get(), d::CurrentFrame, {}, &result), S_OK);
    EXPECT_EQ(result.lVal, 7);
    ASSERT_EQ(flash->Rewind(), S_OK);
    ASSERT_EQ(flash->GotoFrame(3), S_OK);
    ASSERT_EQ(flash->StopPlay(), S_OK);
    EXPECT_EQ(engine.calls.back(), "stopPlay");
    ASSERT_EQ(flash->SetVariable(BSTR(u"flv.volume"), BSTR(u"100")), S_OK);
    EXPECT_EQ(engine.calls.back(), "set flv.volume=100");
    BSTR answer;
    EXPECT_EQ(flash->CallFunction(BSTR(u"<invoke name=\"known\" returntype=\"xml\"></invoke>"), &answer), S_OK);
    EXPECT_EQ(answer.str(), u"<string>ok</string>");
    EXPECT_EQ(flash->CallFunction(BSTR(u"<invoke name=\"playflv\" returntype=\"xml\"></invoke>"), &answer), E_FAIL);
}

TEST_F(ControlTest, PropertyWritesNotifyConnectedSinks)
{
    create();
    class Notified final : public ComObject<IPropertyNotifySink> {
    public:
        std::vector<DISPID> changed;
        HRESULT OnChanged(DISPID id) override
        {
            changed.push_back(id);
            return S_OK;
        }
        HRESULT OnRequestEdit(DISPID) override { return S_OK; }
    };
    auto sink = MakeCom<Notified>();
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(object.as<IConnectionPointContainer>()->FindConnectionPoint(IID_IPropertyNotifySink, point.put()), S_OK);
    DWORD c = 0;
    ASSERT_EQ(point->Advise(sink.get(), &c), S_OK);
    DispPutProperty(dispatch.get(), d::BackgroundColor, VariantFromInt32(0xFFFFFF));
    DispPutProperty(dispatch.get(), d::Loop, VariantFromBool(false));
    EXPECT_EQ(sink->changed, (std::vector<DISPID>{d::BackgroundColor, d::Loop}));
    point->Unadvise(c);
}
