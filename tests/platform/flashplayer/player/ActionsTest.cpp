// Frame actions: the SWF 3 set, unknown actions, and the stack machine of SWF 4-7.
#include "TestMovies.h"

#include <gtest/gtest.h>

namespace flash::test {
namespace {

// Writes action records by hand, as a compiler would.
struct Asm {
    std::vector<uint8_t> b;
    Asm& op(uint8_t code) { b.push_back(code); return *this; }
    Asm& op(uint8_t code, const std::vector<uint8_t>& payload)
    {
        b.push_back(code);
        b.push_back(uint8_t(payload.size()));
        b.push_back(uint8_t(payload.size() >> 8));
        b.insert(b.end(), payload.begin(), payload.end());
        return *this;
    }
    static std::vector<uint8_t> str(const std::string& s)
    {
        std::vector<uint8_t> v(s.begin(), s.end());
        v.push_back(0);
        return v;
    }
    Asm& pushStr(const std::string& s)
    {
        std::vector<uint8_t> p{0};
        auto t = str(s);
        p.insert(p.end(), t.begin(), t.end());
        return op(0x96, p);
    }
    Asm& pushInt(int32_t v)
    {
        return op(0x96, {7, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    Asm& u16op(uint8_t code, int v) { return op(code, {uint8_t(v), uint8_t(v >> 8)}); }
    Asm& s16op(uint8_t code, int v) { return u16op(code, v & 0xFFFF); }
    Asm& append(const Asm& other) { b.insert(b.end(), other.b.begin(), other.b.end()); return *this; }
    std::vector<uint8_t> done() { b.push_back(0); return b; }
};

constexpr uint8_t kStop = 0x07, kPlay = 0x06, kNextFrame = 0x04, kGotoFrame = 0x81, kGotoLabel = 0x8C,
                  kGetURL = 0x83, kSetTarget = 0x8B, kWaitForFrame = 0x8A, kSetVariable = 0x1D,
                  kGetVariable = 0x1C, kAdd = 0x0A, kLess = 0x0F, kNot = 0x12, kIf = 0x9D, kJump = 0x99,
                  kIncrement = 0x50, kCallFunction = 0x3D, kReturn = 0x3E, kDefineFunction = 0x9B,
                  kMultiply = 0x0C, kCallMethod = 0x52, kPop = 0x17, kNewObject = 0x40;

struct Played {
    Rig rig;
    std::vector<std::pair<std::string, std::string>> commands;
    explicit Played(MovieMaker& mm)
    {
        rig.core->callbacks().fsCommand = [this](const std::string& c, const std::string& a) { commands.push_back({c, a}); };
        EXPECT_TRUE(rig.core->load(mm.done(), {}));
    }
    void advance(int n) { for (int i = 0; i < n; ++i) rig.core->advanceFrame(); }
    std::string var(const std::string& path) { return rig.core->getVariable(path); }
};

TEST(Actions, StopHoldsThePlayheadAndPlayResumes)
{
    MovieMaker mm;
    mm.frame(2).tags = {actions(Asm().op(kStop).done())};
    mm.frame(5);
    Played p(mm);
    p.advance(10);
    EXPECT_EQ(p.rig.core->currentFrame(), 2);
    EXPECT_FALSE(p.rig.core->isPlaying());
    p.rig.core->play();
    p.advance(1);
    EXPECT_EQ(p.rig.core->currentFrame(), 3);
}

TEST(Actions, GotoFrameAndGotoLabel)
{
    MovieMaker mm;
    mm.frame(0).tags = {actions(Asm().u16op(kGotoFrame, 3).op(kStop).done())};
    mm.frame(3).tags = {actions(Asm().op(kGotoLabel, Asm::str("end")).done())};
    mm.frame(6);
    mm.label(6, "end");
    Played p(mm);
    // Frame 1's goto lands on frame 4, whose actions jump on to the label.
    EXPECT_EQ(p.rig.core->currentFrame(), 6);
    EXPECT_FALSE(p.rig.core->isPlaying());
}

TEST(Actions, GetUrlWithFsCommandPrefixReachesTheHost)
{
    MovieMaker mm;
    mm.frame(0).tags = {actions(Asm().op(kGetURL, [] {
        auto v = Asm::str("FSCommand:quit");
        auto t = Asm::str("now");
        v.insert(v.end(), t.begin(), t.end());
        return v;
    }()).done())};
    Played p(mm);
    ASSERT_EQ(p.commands.size(), 1u);
    EXPECT_EQ(p.commands[0].first, "quit");
    EXPECT_EQ(p.commands[0].second, "now");
}

TEST(Actions, SetTargetDirectsFrameActionsAtASprite)
{
    MovieMaker mm;
    swf::Frame s0, s1, s2;
    const uint16_t clip = mm.sprite({s0, s1, s2});
    mm.frame(0).tags = {place(clip, 1, {}, "inner"),
                        actions(Asm().op(kSetTarget, Asm::str("inner")).op(kStop).op(kSetTarget, Asm::str("")).done())};
    mm.frame(3);
    Played p(mm);
    p.advance(2);
    EXPECT_EQ(p.rig.core->currentFrame(), 2);   // the root kept playing
    EXPECT_EQ(p.rig.core->root()->findChildClip("inner")->frame(), 0);
}

TEST(Actions, WaitForFrameSkipsWhenTheFrameIsMissing)
{
    MovieMaker mm;
    // WaitForFrame(50) skips the Stop after it; WaitForFrame(0) does not skip NextFrame.
    mm.frame(0).tags = {actions(Asm().op(kWaitForFrame, {50, 0, 1}).op(kStop).done())};
    mm.frame(1).tags = {actions(Asm().op(kWaitForFrame, {0, 0, 1}).op(kStop).done())};
    mm.frame(3);
    Played p(mm);
    EXPECT_TRUE(p.rig.core->isPlaying());
    p.advance(1);
    EXPECT_FALSE(p.rig.core->isPlaying());
}

TEST(Actions, UnknownActionsAreSkippedByTheirLength)
{
    MovieMaker mm;
    mm.frame(0).tags = {actions(Asm().op(0x77).op(0xFE, {1, 2, 3, 4, 5}).op(kStop).done())};
    mm.frame(2);
    Played p(mm);
    EXPECT_FALSE(p.rig.core->isPlaying());
}

TEST(Actions, TruncatedActionIsHarmless)
{
    MovieMaker mm;
    std::vector<uint8_t> bytes{kStop, 0x96, 0x40, 0x00, 0x00, 'a'};   // push claims 64 bytes
    mm.frame(0).tags = {actions(bytes)};
    mm.frame(2);
    Played p(mm);
    EXPECT_FALSE(p.rig.core->isPlaying());
}

TEST(Avm1, VariablesArithmeticAndLoops)
{
    MovieMaker mm;
    // i = 0; while (i < 10) i++;  total = i + 32
    Asm a;
    a.pushStr("i").pushInt(0).op(kSetVariable);
    const size_t loop = a.b.size();
    a.pushStr("i").op(kGetVariable).pushInt(10).op(kLess).op(kNot);
    a.u16op(kIf, 0);                       // patched below
    const size_t ifEnd = a.b.size();
    a.pushStr("i").pushStr("i").op(kGetVariable).op(kIncrement).op(kSetVariable);
    a.u16op(kJump, 0);
    const size_t jumpEnd = a.b.size();
    const int16_t back = int16_t(int(loop) - int(jumpEnd));
    a.b[jumpEnd - 2] = uint8_t(back);
    a.b[jumpEnd - 1] = uint8_t(back >> 8);
    const int16_t out = int16_t(int(jumpEnd) - int(ifEnd));
    a.b[ifEnd - 2] = uint8_t(out);
    a.b[ifEnd - 1] = uint8_t(out >> 8);
    a.pushStr("total").pushStr("i").op(kGetVariable).pushInt(32).op(kAdd).op(kSetVariable);
    mm.frame(0).tags = {actions(a.done())};
    Played p(mm);
    EXPECT_EQ(p.var("i"), "10");
    EXPECT_EQ(p.var("total"), "42");
}

TEST(Avm1, EndlessLoopIsCutByTheBudgetAndPlayGoesOn)
{
    MovieMaker mm;
    mm.frame(0).tags = {actions(Asm().u16op(kJump, -5).done())};
    mm.frame(1).tags = {actions(Asm().pushStr("reached").pushInt(1).op(kSetVariable).done())};
    Played p(mm);
    p.advance(1);
    EXPECT_EQ(p.var("reached"), "1");
}

TEST(Avm1, FunctionsAndClipMethods)
{
    MovieMaker mm;
    swf::Frame s0, s1, s2, s3;
    const uint16_t clip = mm.sprite({s0, s1, s2, s3});
    // function twice(a) { return a * 2; }  r = twice(21);  inner.gotoAndStop(3);
    Asm body;
    body.pushStr("a").op(kGetVariable).pushInt(2).op(kMultiply).op(kReturn);
    std::vector<uint8_t> def = Asm::str("twice");
    def.insert(def.end(), {1, 0});
    auto param = Asm::str("a");
    def.insert(def.end(), param.begin(), param.end());
    def.insert(def.end(), {uint8_t(body.b.size()), 0});
    Asm a;
    a.op(kDefineFunction, def);
    a.b.insert(a.b.end(), body.b.begin(), body.b.end());
    a.pushStr("r").pushInt(21).pushInt(1).pushStr("twice").op(kCallFunction).op(kSetVariable);
    a.pushInt(3).pushInt(1).pushStr("inner").op(kGetVariable).pushStr("gotoAndStop").op(kCallMethod).op(kPop);
    mm.frame(0).tags = {place(clip, 1, {}, "inner"), actions(a.done())};
    mm.frame(1);
    Played p(mm);
    EXPECT_EQ(p.var("r"), "42");
    MovieClip* inner = p.rig.core->root()->findChildClip("inner");
    EXPECT_EQ(inner->frame(), 2);
    EXPECT_FALSE(inner->isPlaying());
}

TEST(Avm1, HostVariablesByPath)
{
    MovieMaker mm;
    swf::Frame s0;
    const uint16_t clip = mm.sprite({s0});
    mm.frame(0).tags = {place(clip, 1, {}, "box")};
    Played p(mm);
    EXPECT_TRUE(p.rig.core->setVariable("box.count", "7"));
    EXPECT_EQ(p.var("_root.box.count"), "7");
    EXPECT_EQ(p.var("/box:count"), "7");
    EXPECT_TRUE(p.rig.core->setVariable("/box:name", "x"));
    EXPECT_EQ(p.var("box.name"), "x");
    EXPECT_EQ(p.var("box._currentframe"), "1");
}

TEST(Avm1, ColorObjectTintsItsClip)
{
    MovieMaker mm;
    swf::Frame s0;
    const uint16_t clip = mm.sprite({s0});
    // c = new Color(box); c.setRGB(0xFF8000); rgb = c.getRGB();
    Asm a;
    a.pushStr("c").pushStr("box").op(kGetVariable).pushInt(1).pushStr("Color").op(kNewObject).op(kSetVariable);
    a.pushInt(0xFF8000).pushInt(1).pushStr("c").op(kGetVariable).pushStr("setRGB").op(kCallMethod).op(kPop);
    a.pushStr("rgb").pushInt(0).pushStr("c").op(kGetVariable).pushStr("getRGB").op(kCallMethod).op(kSetVariable);
    mm.frame(0).tags = {place(clip, 1, {}, "box"), actions(a.done())};
    Played p(mm);
    const swf::ColorTransform& cx = p.rig.core->root()->findChildClip("box")->colorTransform;
    EXPECT_EQ(cx.rMul, 0);
    EXPECT_EQ(cx.gMul, 0);
    EXPECT_EQ(cx.aMul, 256);
    EXPECT_EQ(cx.rAdd, 255);
    EXPECT_EQ(cx.gAdd, 128);
    EXPECT_EQ(cx.bAdd, 0);
    EXPECT_EQ(p.var("rgb"), std::to_string(0xFF8000));
}

TEST(Avm1, FunctionsKeepTheirConstantPoolAndPreloadedRegisters)
{
    // constants ["result"]; function f(a) { r1.result = a } with r1 preloaded with
    // _root (flags 0x6a: _root, this, arguments and super suppressed); f(5)
    Asm a;
    std::vector<uint8_t> pool{1, 0};
    const auto result = Asm::str("result");
    pool.insert(pool.end(), result.begin(), result.end());
    a.op(0x88, pool);
    Asm body;
    body.op(0x96, {4, 1, 8, 0, 4, 2}).op(0x4F);   // push r1, "result", r2; SetMember
    std::vector<uint8_t> def = Asm::str("f");
    def.insert(def.end(), {1, 0, 3, 0x6a, 0x00, 2, 'a', 0, uint8_t(body.b.size()), 0});
    a.op(0x8E, def).append(body);
    a.pushInt(5).pushInt(1).pushStr("f").op(kCallFunction).op(kPop);
    MovieMaker mm(100, 100, 12, 8);
    mm.frame(0).tags = {actions(a.done())};
    Played p(mm);
    EXPECT_EQ(p.var("result"), "5");
}

TEST(Avm1, ForInGivesTheNewestPropertyFirst)
{
    // o = new Object(); o.x = 1; o.y = 2; s = ""; for (k in o) s += k;
    Asm a;
    a.pushStr("o").pushInt(0).pushStr("Object").op(kNewObject).op(kSetVariable);
    a.pushStr("o").op(kGetVariable).pushStr("x").pushInt(1).op(0x4F);
    a.pushStr("o").op(kGetVariable).pushStr("y").pushInt(2).op(0x4F);
    a.pushStr("s").pushStr("").op(kSetVariable);
    a.pushStr("o").op(kGetVariable).op(0x55);   // Enumerate2
    Asm head, body;
    head.op(0x87, {0}).op(0x96, {2}).op(0x49);   // r0 = key; key == null?
    body.pushStr("s").pushStr("s").op(kGetVariable).op(0x96, {4, 0}).op(0x47).op(kSetVariable);
    a.append(head).s16op(kIf, int(body.b.size()) + 5).append(body);
    a.s16op(kJump, -int(head.b.size() + 5 + body.b.size() + 5));
    MovieMaker mm(100, 100, 12, 8);
    mm.frame(0).tags = {actions(a.done())};
    Played p(mm);
    EXPECT_EQ(p.var("s"), "yx");
}

TEST(Avm1, ColorTransformWrapsAndIgnoresInheritedMembers)
{
    MovieMaker mm;
    swf::Frame s0;
    const uint16_t clip = mm.sprite({s0});
    // Object.prototype.ab = -66; c = new Color(box);
    // c.setTransform({ra: 12800, rb: 65546}); t = c.getTransform();
    Asm a;
    a.pushStr("Object").op(kGetVariable).pushStr("prototype").op(0x4E).pushStr("ab").pushInt(-66).op(0x4F);
    a.pushStr("c").pushStr("box").op(kGetVariable).pushInt(1).pushStr("Color").op(kNewObject).op(kSetVariable);
    a.pushStr("ra").pushInt(12800).pushStr("rb").pushInt(65546).pushInt(2).op(0x43);
    a.pushInt(1).pushStr("c").op(kGetVariable).pushStr("setTransform").op(kCallMethod).op(kPop);
    a.pushStr("t").pushInt(0).pushStr("c").op(kGetVariable).pushStr("getTransform").op(kCallMethod).op(kSetVariable);
    mm.frame(0).tags = {place(clip, 1, {}, "box"), actions(a.done())};
    Played p(mm);
    EXPECT_EQ(p.var("t.ra"), "-12800");   // 12800 % is 32768 in 8.8 fixed point: -32768
    EXPECT_EQ(p.var("t.rb"), "10");
    EXPECT_EQ(p.var("t.ab"), "0");
}

}  // namespace
}  // namespace flash::test
