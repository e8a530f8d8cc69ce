#include "ControlFixture.h"

#include <cstdio>
#include <fstream>

TEST_F(ControlTest, LoadMovieBindsThroughTheHostsBindService)
{
    create();
    activate();
    serve("http://host.invalid/C:/m/a.swf", "FWS\x0a-movie");
    site->take();
    events->events.clear();
    ASSERT_EQ(flash->LoadMovie(0, BSTR(u"http://host.invalid/C:/m/a.swf")), S_OK);
    auto log = site->take();
    std::vector<std::string> expected{"InvalidateRect null", "QueryService", "CreateMoniker http://host.invalid/C:/m/a.swf",
        "BindToStorage", "InvalidateRect null"};
    EXPECT_EQ(log, expected);
    ASSERT_TRUE(engine.loaded);
    EXPECT_EQ(std::string(engine.loadedBytes.begin(), engine.loadedBytes.end()), "FWS\x0a-movie");
    EXPECT_EQ(engine.loadedUrl, "http://host.invalid/C:/m/a.swf");
    // Ready state goes loading, interactive, complete; progress reaches 100 on the way.
    EXPECT_EQ(events->summary(), (std::vector<std::string>{"-609:0", "1958:100", "-609:3", "-609:4"}));
    LONG percent = 0;
    flash->PercentLoaded(&percent);
    EXPECT_EQ(percent, 100);
}

TEST_F(ControlTest, AFailedBindLeavesNoMovieAndNoError)
{
    create();
    serve("good.swf", "FWS\x0a");
    ASSERT_EQ(flash->LoadMovie(0, BSTR(u"good.swf")), S_OK);
    ASSERT_TRUE(engine.loaded);
    events->events.clear();
    // The host refuses the bind (nothing served under that name): quietly no movie.
    EXPECT_EQ(flash->LoadMovie(0, BSTR(u"missing.swf")), S_OK);
    EXPECT_FALSE(engine.loaded);
    EXPECT_EQ(events->summary(), (std::vector<std::string>{"-609:0", "-609:4"}));
    LONG frames = -1;
    flash->get_TotalFrames(&frames);
    EXPECT_EQ(frames, 0);
    // Bytes that are no movie are refused by the engine, also quietly.
    serve("junk.swf", "not a movie");
    EXPECT_EQ(flash->LoadMovie(0, BSTR(u"junk.swf")), S_OK);
    EXPECT_FALSE(engine.loaded);
}

TEST_F(ControlTest, WithoutABindServiceTheControlReadsLocalFilesItself)
{
    site->createMonikerNotImpl = true;
    create();
    std::string path = std::string(TOVRANE_BINARY_DIR) + "/control_local.swf";
    std::ofstream(path, std::ios::binary) << "FWS\x0a-local";
    ASSERT_EQ(flash->LoadMovie(0, BSTR::FromUtf8(path)), S_OK);
    ASSERT_TRUE(engine.loaded);
    EXPECT_EQ(std::string(engine.loadedBytes.begin(), engine.loadedBytes.end()), "FWS\x0a-local");
    std::remove(path.c_str());
    // Other URLs fail quietly.
    EXPECT_EQ(flash->LoadMovie(0, BSTR(u"http://example.invalid/x.swf")), S_OK);
    EXPECT_FALSE(engine.loaded);

    // A site without a service provider for the bind host takes the same path.
    site->createMonikerNotImpl = false;
    site->offerBindHost = false;
    std::ofstream(path, std::ios::binary) << "CWS\x0a";
    ASSERT_EQ(flash->LoadMovie(0, BSTR::FromUtf8("file://" + path)), S_OK);
    EXPECT_TRUE(engine.loaded);
    std::remove(path.c_str());
}

TEST_F(ControlTest, OtherLayersAreFetchedButDoNotReplaceTheMovie)
{
    create();
    serve("main.swf", "FWS\x0a-main");
    serve("volume.swf", "FWS\x0a-volume");
    flash->LoadMovie(0, BSTR(u"main.swf"));
    site->take();
    EXPECT_EQ(flash->LoadMovie(1, BSTR(u"volume.swf")), S_OK);
    auto log = site->take();
    EXPECT_NE(std::find(log.begin(), log.end(), "CreateMoniker volume.swf"), log.end());
    EXPECT_EQ(std::string(engine.loadedBytes.begin(), engine.loadedBytes.end()), "FWS\x0a-main");
    BSTR movie;
    flash->get_Movie(&movie);
    EXPECT_EQ(movie.str(), u"main.swf");
    EXPECT_EQ(flash->LoadMovie(-1, BSTR(u"x.swf")), E_INVALIDARG);
}

TEST_F(ControlTest, WritingMovieLoadsIt)
{
    create();
    serve("a.swf", "FWS\x0a");
    ASSERT_EQ(DispPutProperty(dispatch.get(), flashdispid::Movie, VariantFromString(u"a.swf")), S_OK);
    EXPECT_TRUE(engine.loaded);
    // An empty movie unloads, as the host's unload does.
    ASSERT_EQ(flash->put_Movie(BSTR()), S_OK);
    EXPECT_FALSE(engine.loaded);
}

TEST_F(ControlTest, FlashVarsReachTheRootAfterLoading)
{
    create();
    serve("v.swf", "FWS\x0a");
    flash->put_FlashVars(BSTR(u"name=Tov%20rane&n=2&broken"));
    flash->LoadMovie(0, BSTR(u"v.swf"));
    std::vector<std::string> sets;
    for (const auto& c : engine.calls)
        if (c.rfind("set ", 0) == 0)
            sets.push_back(c);
    EXPECT_EQ(sets, (std::vector<std::string>{"set _root.name=Tov rane", "set _root.n=2"}));
}
