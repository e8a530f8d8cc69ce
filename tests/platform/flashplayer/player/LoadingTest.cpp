// Loads from scripts: MovieClipLoader and loadMovie put fetched pictures into clips
// and movies into _level0, one frame after the request, through the owner's handler.
#include "MediaUrl.h"
#include "Player.h"
#include "TestMovies.h"

#include "swf/Writer.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

#include <map>

namespace flash::test {
namespace {

// Action records, as a compiler writes them.
struct Code {
    std::vector<uint8_t> b;
    Code& op(uint8_t code) { b.push_back(code); return *this; }
    Code& op(uint8_t code, const std::vector<uint8_t>& payload)
    {
        b.insert(b.end(), {code, uint8_t(payload.size()), uint8_t(payload.size() >> 8)});
        b.insert(b.end(), payload.begin(), payload.end());
        return *this;
    }
    Code& str(const std::string& s)
    {
        std::vector<uint8_t> p{0};
        p.insert(p.end(), s.begin(), s.end());
        p.push_back(0);
        return op(0x96, p);
    }
    Code& num(int32_t v) { return op(0x96, {7, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
    // An anonymous function without parameters around `body`.
    Code& function(const Code& body)
    {
        op(0x9B, {0, 0, 0, uint8_t(body.b.size()), uint8_t(body.b.size() >> 8)});
        b.insert(b.end(), body.b.begin(), body.b.end());
        return *this;
    }
    std::vector<uint8_t> done() { b.push_back(0); return b; }
};
constexpr uint8_t kSetVariable = 0x1D, kGetVariable = 0x1C, kSetMember = 0x4F, kNewObject = 0x40,
                  kCallMethod = 0x52, kPop = 0x17, kTrace = 0x26, kGetURL2 = 0x9A;

const char* const kEvents[] = {"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit", "onLoadError"};

// l = new MovieClipLoader(); o = {}; o.onX = function() { trace("onX"); } for every
// event; l.addListener(o); l.loadClip(url, "pic");
std::vector<uint8_t> loadClipScript(const std::string& url)
{
    Code c;
    c.str("l").num(0).str("MovieClipLoader").op(kNewObject).op(kSetVariable);
    c.str("o").num(0).str("Object").op(kNewObject).op(kSetVariable);
    for (const char* event : kEvents)
        c.str("o").op(kGetVariable).str(event).function(Code().str(event).op(kTrace)).op(kSetMember);
    c.str("o").op(kGetVariable).num(1).str("l").op(kGetVariable).str("addListener").op(kCallMethod).op(kPop);
    c.str("pic").str(url).num(2).str("l").op(kGetVariable).str("loadClip").op(kCallMethod).op(kPop);
    return c.done();
}

std::vector<uint8_t> png(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return {bytes.begin(), bytes.end()};
}

struct Loading {
    VirtualClock clock;
    Player player{&clock};
    std::map<std::string, std::vector<uint8_t>> files;
    std::vector<std::string> asked;
    std::vector<std::string> traces;
    Loading()
    {
        player.setOnTrace([this](const std::string& m) { traces.push_back(m); });
        player.setFetchHandler([this](const std::string& url, size_t maxBytes) -> std::optional<std::vector<uint8_t>> {
            asked.push_back(url);
            const auto it = files.find(url);
            if (it == files.end() || it->second.size() > maxBytes)
                return std::nullopt;
            return it->second;
        });
    }
    QImage picture()
    {
        QImage image(player.stageWidth(), player.stageHeight(), QImage::Format_ARGB32_Premultiplied);
        player.render({image.bits(), image.width(), image.height(), int(image.bytesPerLine())});
        return image;
    }
};

// A stage with an empty clip "pic" at (20, 10) pixels and `script` on frame 1.
std::shared_ptr<const swf::Movie> stageWithClip(const std::vector<uint8_t>& script)
{
    MovieMaker mm(100, 60);
    swf::Frame empty;
    const uint16_t clip = mm.sprite({empty});
    mm.frame(0).tags = {place(clip, 1, swf::Matrix::translate(400, 200), "pic"), actions(script)};
    mm.frame(1);
    return mm.done();
}

TEST(Loading, MovieClipLoaderPutsAPictureInItsClipOnALaterFrame)
{
    Loading l;
    l.files["/movies/media/red.png"] = png(30, 20, qRgb(255, 0, 0));
    ASSERT_TRUE(l.player.load(stageWithClip(loadClipScript("media/red.png")), "/movies/main.swf"));
    EXPECT_TRUE(l.asked.empty()) << "fetched inside the action that asked";
    EXPECT_EQ(l.picture().pixel(25, 15), qRgb(255, 255, 255));
    l.player.advanceFrame();
    EXPECT_EQ(l.asked, std::vector<std::string>{"/movies/media/red.png"});
    EXPECT_EQ(l.traces, (std::vector<std::string>{"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit"}));
    const QImage shown = l.picture();
    EXPECT_EQ(shown.pixel(20, 10), qRgb(255, 0, 0));    // the clip's origin
    EXPECT_EQ(shown.pixel(49, 29), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(51, 15), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(19, 9), qRgb(255, 255, 255));
    EXPECT_EQ(l.player.getVariable("pic._width"), "30");
    EXPECT_EQ(l.player.getVariable("pic._height"), "20");
}

TEST(Loading, OneAdvanceServesOnlyAHandfulOfLoads)
{
    Code c;
    c.str("l").num(0).str("MovieClipLoader").op(kNewObject).op(kSetVariable);
    for (int i = 0; i < 10; ++i)
        c.str("pic").str("p" + std::to_string(i) + ".png").num(2).str("l").op(kGetVariable).str("loadClip")
            .op(kCallMethod).op(kPop);
    Loading l;
    ASSERT_TRUE(l.player.load(stageWithClip(c.done())));
    l.player.advanceFrame();
    EXPECT_EQ(l.asked.size(), 4u);
    l.player.advanceFrame();   // the rest wait their turn, in the order asked
    std::vector<std::string> expected;
    for (int i = 0; i < 8; ++i)
        expected.push_back("p" + std::to_string(i) + ".png");
    EXPECT_EQ(l.asked, expected);
}

TEST(Loading, FailedLoadsTellTheListenerAndShowNothing)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;   // served for the URL; empty: not there
        bool handler;
    };
    const std::vector<Case> cases = {
        {"no such file", {}, true},
        {"not a picture", {'n', 'o', 'p', 'e'}, true},
        {"truncated png", [] { auto b = png(8, 8, qRgb(0, 0, 255)); b.resize(40); return b; }(), true},
        {"no fetch handler", png(8, 8, qRgb(0, 0, 255)), false},
    };
    for (const Case& c : cases) {
        Loading l;
        if (!c.bytes.empty())
            l.files["x.png"] = c.bytes;
        if (!c.handler)
            l.player.setFetchHandler({});
        ASSERT_TRUE(l.player.load(stageWithClip(loadClipScript("x.png"))));
        l.player.advanceFrame();
        ASSERT_FALSE(l.traces.empty()) << c.what;
        EXPECT_EQ(l.traces.back(), "onLoadError") << c.what;
        EXPECT_EQ(l.picture().pixel(22, 12), qRgb(255, 255, 255)) << c.what;
    }
}

TEST(Loading, LoadMovieIntoLevelZeroReplacesTheMovieAndUnloadMovieEmptiesAClip)
{
    swf::MovieBuilder second(100, 60);
    second.setBackground({0, 128, 0, 255});
    second.action(Code().str("loaded").str("yes").op(kSetVariable).done());
    second.showFrame();
    Loading l;
    l.files["second.swf"] = second.build().value();
    l.files["blue.png"] = png(10, 10, qRgb(0, 0, 255));
    // loadMovie("blue.png", "pic"); then, a frame later, unloadMovie("pic")
    // and loadMovieNum("second.swf", 0).
    MovieMaker mm(100, 60);
    swf::Frame empty;
    const uint16_t clip = mm.sprite({empty});
    mm.frame(0).tags = {place(clip, 1, swf::Matrix::translate(400, 200), "pic"),
                        actions(Code().str("blue.png").str("pic").op(kGetURL2, {0x40}).done())};
    mm.frame(1).tags = {actions(Code().str("").str("pic").op(kGetURL2, {0x40}).done())};
    mm.frame(2).tags = {actions(Code().str("second.swf").str("_level0").op(kGetURL2, {0}).done())};
    mm.frame(3);
    ASSERT_TRUE(l.player.load(mm.done()));
    l.player.advanceFrame();   // the picture arrives as frame 2 runs
    EXPECT_EQ(l.picture().pixel(25, 15), qRgb(0, 0, 255));
    l.player.advanceFrame();   // the unload asked by frame 2 happens
    EXPECT_EQ(l.picture().pixel(25, 15), qRgb(255, 255, 255));
    l.player.advanceFrame();
    EXPECT_EQ(l.player.getVariable("loaded"), "yes");
    EXPECT_EQ(l.player.backgroundColor(), 0x008000u);
    EXPECT_EQ(l.player.url(), "second.swf");
}

TEST(Loading, UrlsResolveAgainstTheMovie)
{
    struct Case {
        const char* base;
        const char* url;
        const char* resolved;
    };
    const Case cases[] = {
        {"", "a.png", "a.png"},
        {"/m/main.swf", "a.png", "/m/a.png"},
        {"/m/main.swf?x=1", "sub/a.png", "/m/sub/a.png"},
        {"file:///m/main.swf", "a.png", "file:///m/a.png"},
        {"file:///m/main.swf", "/b/a.png", "file:///b/a.png"},
        {"/m/main.swf", "/b/a.png", "/b/a.png"},
        {"http://host/m/main.swf", "/b/a.png", "http://host/b/a.png"},
        {"/m/main.swf", "file:///c/a.png", "file:///c/a.png"},
        {"main.swf", "a.png", "a.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveMediaUrl(c.base, c.url), c.resolved) << c.base << " + " << c.url;
    EXPECT_EQ(localPathOf("file:///m/a%20b.png").value_or("?"), "/m/a b.png");
    EXPECT_EQ(localPathOf("/m/a.png").value_or("?"), "/m/a.png");
    EXPECT_FALSE(localPathOf("http://host/a.png").has_value());
}

}  // namespace
}  // namespace flash::test
