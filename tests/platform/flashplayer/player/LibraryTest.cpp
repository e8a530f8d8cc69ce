// The ActionScript 1/2 library as movies call it: clip references, core classes,
// flash.geom and flash.filters on clips, attachMovie with registered classes, the
// scale properties, keyboard and focus, and the display rules of the timeline.
#include "ScriptActions.h"
#include "TestMovies.h"

#include "ButtonObject.h"

#include <gtest/gtest.h>

namespace flash::test {
namespace {

struct Script {
    Rig rig;
    explicit Script(MovieMaker& mm) { EXPECT_TRUE(rig.core->load(mm.done(), {})); }
    std::string var(const std::string& path) { return rig.core->getVariable(path); }
};

// One frame whose script is `s`, on an otherwise empty stage.
Script run(ScriptActions& s, MovieMaker mm = MovieMaker())
{
    mm.frame(0).tags.push_back(actions(s.done()));
    return Script(mm);
}

TEST(Library, ReferencesKeepTheirClipWhenClipsShareAName)
{
    // Two clips named "c": each reference moves its own one, and a removed clip's
    // reference falls back to the path (the clip that is left).
    ScriptActions s;
    s.call("_root", "createEmptyMovieClip", {std::string("c"), 1.0}, "r1")
        .call("_root", "createEmptyMovieClip", {std::string("c"), 2.0}, "r2")
        .set("r1", "_x", 10.0)
        .set("r2", "_x", 20.0)
        .call("r1", "removeMovieClip", {})
        .set("r1", "_y", 5.0);
    MovieMaker mm;
    Script p = run(s, mm);
    MovieClip& root = *p.rig.core->root();
    DisplayObject* second = root.objectAtDepth(MovieClip::displayDepth(2));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(root.objectAtDepth(MovieClip::displayDepth(1)), nullptr);
    EXPECT_EQ(second->matrix.tx, 400);
    EXPECT_EQ(second->matrix.ty, 100);
}

TEST(Library, ArraysAndStrings)
{
    ScriptActions s;
    s.set("_root", "text", std::string("pear,apple,fig"))
        .call("text", "split", {std::string(",")}, "parts")
        .call("parts", "sort", {})
        .call("parts", "join", {std::string("-")}, "sorted")
        .call("parts", "splice", {1.0, 1.0, std::string("kiwi"), std::string("lime")}, "removed")
        .call("parts", "join", {}, "spliced")
        .call("removed", "join", {}, "gone")
        .call("parts", "push", {std::string("plum")}, "count")
        .call("text", "toUpperCase", {}, "upper")
        .call("text", "substr", {-3.0, 2.0}, "tail")
        .call("text", "indexOf", {std::string("apple")}, "at")
        .call("text", "charCodeAt", {0.0}, "code");
    Script p = run(s);
    EXPECT_EQ(p.var("sorted"), "apple-fig-pear");
    EXPECT_EQ(p.var("spliced"), "apple,kiwi,lime,pear");
    EXPECT_EQ(p.var("gone"), "fig");
    EXPECT_EQ(p.var("count"), "5");
    EXPECT_EQ(p.var("upper"), "PEAR,APPLE,FIG");
    EXPECT_EQ(p.var("tail"), "fi");
    EXPECT_EQ(p.var("at"), "5");
    EXPECT_EQ(p.var("code"), "112");
}

TEST(Library, SortOnOrdersRecordsByFieldsAndOptions)
{
    ScriptActions s;
    s.construct("", "Array", {}, "list");
    for (const auto& [name, age] : std::vector<std::pair<std::string, double>>{{"b", 30}, {"a", 4}, {"c", 100}}) {
        s.construct("", "Object", {}, "o").set("o", "name", name).set("o", "age", age);
        s.call("list", "push", {ScriptActions::var("o")});
    }
    s.call("list", "sortOn", {std::string("age"), 16.0 + 2.0});   // NUMERIC | DESCENDING
    for (int i = 0; i < 3; ++i)
        s.get("list", std::to_string(i), "o").get("o", "name", "n" + std::to_string(i));
    s.call("list", "sortOn", {std::string("name")}).get("list", "0", "o").get("o", "name", "first");
    Script p = run(s);
    EXPECT_EQ(p.var("n0"), "c");
    EXPECT_EQ(p.var("n1"), "b");
    EXPECT_EQ(p.var("n2"), "a");
    EXPECT_EQ(p.var("first"), "a");
}

TEST(Library, TransformMatrixAndFiltersReachTheClip)
{
    ScriptActions s;
    s.call("_root", "createEmptyMovieClip", {std::string("c"), 1.0}, "c")
        .construct("flash.geom", "Matrix", {2.0, 0.0, 0.0, 3.0, 5.0, 6.0}, "m")
        .get("c", "transform", "t")
        .set("t", "matrix", ScriptActions::var("m"))
        .construct("flash.filters", "BlurFilter", {8.0, 2.0, 1.0}, "f")
        .construct("", "Array", {ScriptActions::var("f")}, "list")
        .set("c", "filters", ScriptActions::var("list"))
        .get("c", "filters", "back")
        .get("back", "0", "f0")
        .get("f0", "blurX", "bx")
        .get("t", "matrix", "m2")
        .get("m2", "d", "d")
        .set("c", "blendMode", std::string("multiply"))
        .get("c", "blendMode", "mode");
    Script p = run(s);
    MovieClip* c = p.rig.core->root()->findChildClip("c");
    ASSERT_NE(c, nullptr);
    EXPECT_DOUBLE_EQ(c->matrix.a, 2);
    EXPECT_DOUBLE_EQ(c->matrix.d, 3);
    EXPECT_EQ(c->matrix.tx, 100);
    EXPECT_EQ(c->matrix.ty, 120);
    ASSERT_EQ(c->filters.size(), 1u);
    EXPECT_EQ(c->filters[0].kind, swf::FilterKind::Blur);
    EXPECT_DOUBLE_EQ(c->filters[0].blurX, 8);
    EXPECT_EQ(p.var("bx"), "8");
    EXPECT_EQ(p.var("d"), "3");
    EXPECT_EQ(p.var("mode"), "multiply");
    EXPECT_EQ(c->blendMode, render::BlendMode::Multiply);
}

TEST(Library, ScalesSetByScriptReadBackWithTheirSign)
{
    ScriptActions s;
    s.call("_root", "createEmptyMovieClip", {std::string("c"), 1.0}, "c")
        .set("c", "_xscale", -100.0)
        .get("c", "_xscale", "sx")
        .get("c", "_rotation", "r")
        .set("c", "_rotation", 90.0)
        .get("c", "_xscale", "sx2");
    Script p = run(s);
    EXPECT_EQ(p.var("sx"), "-100");
    EXPECT_EQ(p.var("r"), "0");
    EXPECT_EQ(p.var("sx2"), "-100");
    MovieClip* c = p.rig.core->root()->findChildClip("c");
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(c->matrix.b, -1, 1e-9);   // -1 * sin(90)
}

TEST(Library, AttachMovieMakesTheRegisteredClass)
{
    MovieMaker mm;
    const uint16_t box = mm.rect({0, 200, 0, 200}, {255, 0, 0, 255});
    swf::Frame inner;
    inner.tags = {place(box, 1)};
    const uint16_t symbol = mm.sprite({inner});
    mm.m.exports.push_back({symbol, "Box"});
    // function Box() { this.made = 1; }  Box.prototype.size = 7;
    // Object.registerClass("Box", Box); b = attachMovie("Box", "b", 3, {tag: "x"});
    ScriptActions s;
    s.construct("", "Object", {}, "Box")   // stands in for the constructor's prototype holder
        .construct("", "Object", {}, "proto")
        .set("proto", "size", 7.0)
        .set("Box", "prototype", ScriptActions::var("proto"))
        .call("Object", "registerClass", {std::string("Box"), ScriptActions::var("Box")})
        .construct("", "Object", {}, "init")
        .set("init", "tag", std::string("x"))
        .call("_root", "attachMovie", {std::string("Box"), std::string("b"), 3.0, ScriptActions::var("init")}, "b")
        .get("b", "size", "size")
        .get("b", "tag", "tag")
        .call("b", "getDepth", {}, "depth")
        .get("b", "_width", "width");
    Script p = run(s, mm);
    EXPECT_EQ(p.var("size"), "7");
    EXPECT_EQ(p.var("tag"), "x");
    EXPECT_EQ(p.var("depth"), "3");
    EXPECT_EQ(p.var("width"), "10");
    EXPECT_EQ(p.var("b"), "_level0.b");
}

TEST(Library, TabMovesTheFocusInReadingOrderAndDrawsItsRectangle)
{
    // Two clips with onRelease handlers: Tab focuses the upper one first, then the
    // lower one, and each gets rolled over; Key.isDown follows the keys.
    MovieMaker mm;
    const uint16_t box = mm.rect({0, 200, 0, 200}, {0, 0, 255, 255});
    swf::Frame inner;
    inner.tags = {place(box, 1)};
    const uint16_t symbol = mm.sprite({inner});
    ScriptActions s;
    s.set("lower", "onRelease", ScriptActions::var("Object"))
        .set("upper", "onRelease", ScriptActions::var("Object"));
    mm.frame(0).tags = {place(symbol, 1, swf::Matrix::translate(400, 1000), "lower"),
                        place(symbol, 2, swf::Matrix::translate(1000, 200), "upper"), actions(s.done())};
    Script p(mm);
    PlayerCore& core = *p.rig.core;
    const size_t unfocused = p.rig.draw().size();
    core.keyDown(9, 9);
    const avm1::Value first = core.focusedValue();
    core.keyUp(9, 9);
    core.keyDown(9, 9);
    const avm1::Value second = core.focusedValue();
    EXPECT_TRUE(core.isKeyDown(9));
    core.keyUp(9, 9);
    EXPECT_FALSE(core.isKeyDown(9));
    EXPECT_EQ(avm1::toString(first, 10), "_level0.upper");
    EXPECT_EQ(avm1::toString(second, 10), "_level0.lower");
    // The rectangle: four parts drawn after the movie; a click takes it away.
    EXPECT_EQ(p.rig.draw().size(), unfocused + 4);
    core.mouseDown(1, 1);
    core.mouseUp(1, 1);
    EXPECT_EQ(p.rig.draw().size(), unfocused);
}

TEST(Library, DatesCountMillisecondsAndCarryFields)
{
    ScriptActions s;
    s.call("Date", "UTC", {2020.0, 1.0, 29.0}, "t")
        .construct("", "Date", {ScriptActions::var("t")}, "d")
        .call("d", "getUTCDay", {}, "weekday")
        .call("d", "setUTCDate", {31.0})   // February 31st is March 2nd
        .call("d", "getUTCMonth", {}, "month")
        .call("d", "getUTCDate", {}, "day")
        .call("d", "getTime", {}, "later");
    Script p = run(s);
    EXPECT_EQ(p.var("t"), "1582934400000");
    EXPECT_EQ(p.var("weekday"), "6");
    EXPECT_EQ(p.var("month"), "2");
    EXPECT_EQ(p.var("day"), "2");
    EXPECT_EQ(p.var("later"), "1583107200000");
}

TEST(Library, SharedObjectsKeepTheirDataForTheRunAndEscapeRoundTrips)
{
    ScriptActions s;
    s.call("SharedObject", "getLocal", {std::string("scores")}, "a")
        .get("a", "data", "data")
        .set("data", "best", 42.0)
        .call("a", "flush", {}, "flushed")
        .call("SharedObject", "getLocal", {std::string("scores")}, "b")
        .get("b", "data", "again")
        .get("again", "best", "best")
        .call("_global", "escape", {std::string("a b&c")}, "escaped")
        .call("_global", "unescape", {ScriptActions::var("escaped")}, "plain")
        .get("flash.external.ExternalInterface", "available", "external");
    Script p = run(s);
    EXPECT_EQ(p.var("best"), "42");
    EXPECT_EQ(p.var("flushed"), "true");
    EXPECT_EQ(p.var("escaped"), "a%20b%26c");
    EXPECT_EQ(p.var("plain"), "a b&c");
    EXPECT_EQ(p.var("external"), "false");
}

TEST(Library, LoadVarsDecodesWhatItLoadsOnALaterFrame)
{
    ScriptActions s;
    s.construct("", "LoadVars", {}, "lv").call("lv", "load", {std::string("vars.txt")});
    MovieMaker mm;
    mm.frame(0).tags.push_back(actions(s.done()));
    Rig rig;
    std::string asked;
    rig.core->callbacks().fetch = [&](const std::string& url, size_t) -> std::optional<std::vector<uint8_t>> {
        asked = url;
        const std::string text = "name=two+words&count=3&odd=%26";
        return std::vector<uint8_t>(text.begin(), text.end());
    };
    ASSERT_TRUE(rig.core->load(mm.done(), "dir/movie.swf"));
    EXPECT_EQ(rig.core->getVariable("lv.name"), "");   // nothing before the next frame
    rig.core->advanceFrame();
    EXPECT_EQ(asked, "dir/vars.txt");
    EXPECT_EQ(rig.core->getVariable("lv.name"), "two words");
    EXPECT_EQ(rig.core->getVariable("lv.count"), "3");
    EXPECT_EQ(rig.core->getVariable("lv.odd"), "&");
    EXPECT_EQ(rig.core->getVariable("lv.loaded"), "true");
}

TEST(Library, OnlyTheFirstBackgroundColourCounts)
{
    MovieMaker mm;
    mm.frame(0).tags = {swf::SetBackgroundColor{{10, 20, 30, 255}}};
    mm.frame(1).tags = {swf::SetBackgroundColor{{200, 0, 0, 255}}};
    Script p(mm);
    p.rig.core->advanceFrame();
    EXPECT_EQ(p.rig.core->backgroundColor(), 0x0A141Eu);
}

TEST(Library, PlainPlaceOnAnOccupiedDepthReplacesTheObject)
{
    MovieMaker mm;
    const uint16_t red = mm.rect({0, 200, 0, 200}, {255, 0, 0, 255});
    const uint16_t blue = mm.rect({0, 200, 0, 200}, {0, 0, 255, 255});
    mm.frame(0).tags = {place(red, 1)};
    mm.frame(1).tags = {place(blue, 1, swf::Matrix::translate(100, 0))};
    Script p(mm);
    p.rig.core->advanceFrame();
    const DisplayObject* at = p.rig.core->root()->objectAtDepth(1);
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->characterId(), blue);
    EXPECT_EQ(at->matrix.tx, 100);
}

}  // namespace
}  // namespace flash::test
