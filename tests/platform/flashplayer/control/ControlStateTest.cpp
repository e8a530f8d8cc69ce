#include "ControlFixture.h"
#include "ControlState.h"

using flashcontrol::ControlState;

TEST(ControlState, RoundTripsEveryStoredProperty)
{
    ControlState state;
    state.movie = u"C:/m/影片.swf";
    state.wmode = u"Transparent";
    state.flashVars = u"a=1";
    state.quality = 4;
    state.scaleMode = 3;
    state.alignMode = 9;
    state.backgroundColor = 0x123456;
    state.loop = false;
    state.playing = false;
    state.deviceFont = true;
    auto bytes = flashcontrol::SaveControlState(state);
    ControlState read;
    ASSERT_TRUE(flashcontrol::LoadControlState(bytes, read));
    EXPECT_EQ(read, state);
}

TEST(ControlState, HostileBytesFailCleanlyAndChangeNothing)
{
    ControlState state;
    state.movie = u"movie.swf";
    auto bytes = flashcontrol::SaveControlState(state);
    ControlState target;
    target.base = u"untouched";
    const ControlState before = target;
    // Every truncation fails.
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + ptrdiff_t(n));
        EXPECT_FALSE(flashcontrol::LoadControlState(cut, target)) << n;
    }
    EXPECT_EQ(target, before);
    // A string claiming more characters than the limit is refused before allocating.
    std::vector<uint8_t> huge{'T', 'V', 'F', 'C', 1, 0, 1, 0, 102, 0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_FALSE(flashcontrol::LoadControlState(huge, target));
    std::vector<uint8_t> badKind{'T', 'V', 'F', 'C', 1, 0, 1, 0, 102, 0, 0, 0, 9, 0};
    EXPECT_FALSE(flashcontrol::LoadControlState(badKind, target));
    std::vector<uint8_t> tooMany{'T', 'V', 'F', 'C', 1, 0, 0xFF, 0xFF};
    EXPECT_FALSE(flashcontrol::LoadControlState(tooMany, target));
    EXPECT_EQ(target, before);
    // Unknown ids are skipped.
    std::vector<uint8_t> unknown{'T', 'V', 'F', 'C', 1, 0, 1, 0, 0x39, 0x30, 0, 0, 2, 1};
    EXPECT_TRUE(flashcontrol::LoadControlState(unknown, target));
    EXPECT_EQ(target, before);
}

TEST_F(ControlTest, PersistedStateIsRestoredIntoANewControl)
{
    create();
    flash->put_WMode(BSTR(u"Transparent"));
    flash->put_Loop(VARIANT_FALSE);
    flash->put_BackgroundColor(0x00FF00);
    auto persist = object.as<IPersistStreamInit>();
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, true, stream.put()), S_OK);
    ASSERT_EQ(persist->Save(stream.get(), 1), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ULARGE_INTEGER max = 0;
    persist->GetSizeMax(&max);
    STATSTG stat;
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(max, stat.cbSize);

    ComPtr<IOleObject> second;
    ASSERT_EQ(CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, second.putVoid()), S_OK);
    auto secondPersist = second.as<IPersistStreamInit>();
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(secondPersist->Load(stream.get()), S_OK);
    auto secondFlash = second.as<IShockwaveFlash>();
    BSTR wmode;
    secondFlash->get_WMode(&wmode);
    EXPECT_EQ(wmode.str(), u"Transparent");
    VARIANT_BOOL loop = -1;
    secondFlash->get_Loop(&loop);
    EXPECT_EQ(loop, VARIANT_FALSE);
    LONG colour = 0;
    secondFlash->get_BackgroundColor(&colour);
    EXPECT_EQ(colour, 0x00FF00);

    auto junk = SHCreateMemStream(reinterpret_cast<const BYTE*>("garbage!"), 8);
    EXPECT_EQ(secondPersist->Load(junk.get()), E_FAIL);
    secondFlash->get_WMode(&wmode);
    EXPECT_EQ(wmode.str(), u"Transparent");
}
