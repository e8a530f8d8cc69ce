#include "HostFixture.h"

#include "Stream.h"
#include "sf_flashlist.h"

using LoadTest = HostFixture;

namespace {

struct LoadCase {
    LONG major;
    std::u16string url;
    std::u16string passed;  // what the control gets ("@" stands for the host prefix)
    std::u16string movie;
    bool flv;
};

std::u16string expand(const std::u16string& s)
{
    return s.size() && s[0] == u'@' ? HostUrlPrefix + s.substr(1) : s;
}

} // namespace

TEST_F(LoadTest, UrlsTravelThroughTheHostPrefixByVersionAndSeparator)
{
    const LoadCase cases[] = {
        {9, u"C:/m/a.swf", u"C:/m/a.swf", u"C:/m/a.swf", false},
        {10, u"C:/m/a.swf", u"@C:/m/a.swf", u"C:/m/a.swf", false},
        {9, u"C:\\m\\a.swf", u"@C:\\m\\a.swf", u"C:\\m\\a.swf", false},
        {9, u"/home/u/a.swf", u"@/home/u/a.swf", u"/home/u/a.swf", false},
        {10, u"clip.FLV", u"@clip.FLV", u"clip.FLV", false},  // the FLV test is case-sensitive
        {10, u"a.flv.swf", u"flvplayback.swf", u"a.flv.swf", true},
    };
    for (const LoadCase& c : cases) {
        configure = [&](ScriptedControl& s) { s.version = c.major << 16; };
        auto player = makePlayer();
        player->LoadMovie(0, c.url);
        ASSERT_EQ(control->loadedUrls.size(), 1u);
        EXPECT_EQ(control->loadedUrls[0], expand(c.passed)) << WideToUtf8(c.url);
        EXPECT_EQ(player->Movie(), c.movie);
        EXPECT_EQ(player->FlvMode(), c.flv);
    }
}

TEST_F(LoadTest, FlvVideosLoadThePlaybackMovieAndSetItsVariables)
{
    auto player = makePlayer();
    player->LoadMovie(0, u"C:\\v\\clip.flv");
    EXPECT_EQ(control->loadedUrls, std::vector<std::u16string>{u"flvplayback.swf"});
    using V = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(control->variables, (std::vector<V>{{u"flv.contentPath", HostUrlPrefix + u"C:/v/clip.flv"},
                                                  {u"flv.skin", u"clearoverall.swf"},
                                                  {u"flv.volume", u"100"}}));
    EXPECT_EQ(player->Movie(), u"C:/v/clip.flv");
    EXPECT_TRUE(player->FlvMode());
    control->calls.clear();
    player->Play();  // the playback movie is told to play as well
    ASSERT_EQ(control->calls.size(), 2u);
    EXPECT_EQ(control->calls[0], "Play");
    EXPECT_NE(control->calls[1].find("playflv"), std::string::npos);
}

TEST_F(LoadTest, MovieWritesLoadOnlyWhenTheValueChanges)
{
    auto player = makePlayer();
    player->SetMovie(u"/m/a.swf");
    player->SetMovie(u"/m/a.swf");
    EXPECT_EQ(control->loadedUrls.size(), 1u);
    player->SetMovie(u"");  // unloads: the bare prefix, which the bind service refuses
    EXPECT_EQ(control->loadedUrls.back(), HostUrlPrefix);
}

TEST_F(LoadTest, CallFunctionNeedsVersionEight)
{
    configure = [](ScriptedControl& s) { s.version = 7 << 16; };
    auto player = makePlayer();
    EXPECT_EQ(player->CallFunction(u"<invoke/>"), u"");
    for (const std::string& c : control->calls)
        EXPECT_EQ(c.find("CallFunction"), std::string::npos);
    control->version = 8 << 16;
    EXPECT_EQ(player->CallFunction(u"<invoke/>"), u"<string>ok</string>");
}

TEST_F(LoadTest, PropertiesGoToTheControlByDispatchId)
{
    auto player = makePlayer();
    control->invokes.clear();
    EXPECT_EQ(player->TotalFrames(), 12);
    EXPECT_TRUE(player->Playing());
    player->SetLoop(false);
    EXPECT_EQ(control->lastPut.vt, VT_BOOL);
    EXPECT_EQ(control->lastPut.boolVal, 0);
    player->SetBackgroundColor(0xFFFFFF);
    EXPECT_EQ(control->lastPut.lVal, 0xFFFFFF);
    player->SetProperty(flashdispid::SAlign, std::u16string());
    EXPECT_TRUE(control->lastPut.bstrVal.isNull());  // an empty string is sent as null
    using I = std::pair<DISPID, WORD>;
    EXPECT_EQ(control->invokes, (std::vector<I>{{124, DISPATCH_PROPERTYGET}, {125, DISPATCH_PROPERTYGET},
                                                {106, DISPATCH_PROPERTYPUT}, {123, DISPATCH_PROPERTYPUT},
                                                {134, DISPATCH_PROPERTYPUT}}));
    player->GotoFrame(5);
    EXPECT_EQ(player->CurrentFrame(), 5);
}

TEST_F(LoadTest, StreamsAndListEntriesLoadThroughTokens)
{
    auto player = makePlayer();
    TMemoryStream swf(std::vector<uint8_t>{'F', 'W', 'S', 10});
    swf.SetPosition(3);
    player->LoadMovieFromStream(0, swf);
    ASSERT_EQ(control->loadedUrls.size(), 1u);
    std::u16string url = control->loadedUrls[0];
    ASSERT_EQ(url.substr(0, HostUrlPrefix.size() + 8), HostUrlPrefix + u"<stream>");
    EXPECT_EQ(url.substr(url.size() - 4), u".swf");
    EXPECT_EQ(swf.Position(), 0);
    EXPECT_EQ(player->Movie(), u"");

    TsfFlashList list;
    for (int i = 0; i < 3; ++i) {
        TsfFlashStream& item = list.Flashs().Add();
        item.StoreName = "m" + std::to_string(i) + ".swf";
        item.Stream().WriteBuffer("FWS", 3);
    }
    player->SetFlashList(&list);
    player->SetFlashIndex(99);
    EXPECT_EQ(player->FlashIndex(), 2);
    EXPECT_EQ(control->loadedUrls.size(), 2u);
    player->SetFlashIndex(-1);
    EXPECT_EQ(player->FlashIndex(), -1);
    EXPECT_EQ(control->loadedUrls.size(), 2u);
    player->SetFlashList(nullptr);
}
