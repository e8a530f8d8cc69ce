// The display list across frames: place, move, replace, remove, masks, gotos both
// ways, looping, and the frame clock's pace.
#include "TestMovies.h"

#include "ButtonObject.h"

#include <gtest/gtest.h>

namespace flash::test {
namespace {

swf::Matrix at(int xPx, int yPx) { return swf::Matrix::translate(xPx * 20, yPx * 20); }

TEST(Timeline, PlacesMovesAndRemovesByDepth)
{
    MovieMaker mm;
    const uint16_t a = mm.rect({0, 200, 0, 200}, {255, 0, 0, 255});
    const uint16_t b = mm.rect({0, 200, 0, 200}, {0, 0, 255, 255});
    mm.frame(0).tags = {place(b, 2), place(a, 1)};
    mm.frame(1).tags = {moveTo(1, at(5, 0))};
    mm.frame(2).tags = {removeAt(2)};
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{a, b}));   // depth order, not file order
    EXPECT_EQ(rig.renderer->calls[0].matrix.tx, 0);
    rig.core->advanceFrame();
    rig.draw();
    EXPECT_EQ(rig.renderer->calls[0].matrix.tx, 100);
    rig.core->advanceFrame();
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{a}));
    EXPECT_EQ(rig.core->currentFrame(), 2);
    EXPECT_EQ(rig.core->totalFrames(), 3);
}

TEST(Timeline, ReplaceKeepsTransformAndSwapsCharacter)
{
    MovieMaker mm;
    const uint16_t a = mm.rect({0, 200, 0, 200}, {255, 0, 0, 255});
    const uint16_t b = mm.rect({0, 200, 0, 200}, {0, 0, 255, 255});
    mm.frame(0).tags = {place(a, 1, at(7, 3))};
    swf::PlaceObject replace;
    replace.depth = 1;
    replace.move = true;
    replace.characterId = b;
    mm.frame(1).tags = {replace};
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    rig.core->advanceFrame();
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{b}));
    EXPECT_EQ(rig.renderer->calls[0].matrix.tx, 140);
    EXPECT_EQ(rig.renderer->calls[0].matrix.ty, 60);
}

TEST(Timeline, BackwardGotoKeepsSurvivorsAndRebuildsTheRest)
{
    MovieMaker mm;
    const uint16_t dot = mm.rect({0, 20, 0, 20}, {0, 0, 0, 255});
    const uint16_t box = mm.rect({0, 40, 0, 40}, {0, 0, 0, 255});
    swf::Frame s0, s1, s2;
    s0.tags = {place(dot, 1)};
    const uint16_t spin = mm.sprite({s0, s1, s2});
    mm.frame(0).tags = {place(spin, 1, {}, "spin"), place(box, 5)};
    mm.frame(1).tags = {place(box, 2), removeAt(5)};
    mm.frame(2).tags = {removeAt(2)};
    mm.frame(3).tags = {};
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    MovieClip* root = rig.core->root();
    DisplayObject* spinBefore = root->children().at(1).get();
    rig.core->advanceFrame();
    rig.core->advanceFrame();
    rig.core->advanceFrame();
    ASSERT_EQ(rig.core->currentFrame(), 3);
    EXPECT_EQ(spinBefore->asClip()->frame(), 0);   // 3 frames of its own: it wrapped
    spinBefore->asClip()->gotoFrameIndex(2, false);
    rig.core->gotoFrame(0);
    // The sprite placed on frame 0 survives with its own state; depth 5 comes back.
    ASSERT_EQ(root->children().count(1), 1u);
    EXPECT_EQ(root->children().at(1).get(), spinBefore);
    EXPECT_EQ(spinBefore->asClip()->frame(), 2);
    EXPECT_EQ(root->children().count(5), 1u);
    EXPECT_EQ(root->children().count(2), 0u);
    rig.core->gotoFrame(1);
    EXPECT_EQ(root->children().count(2), 1u);
    EXPECT_EQ(root->children().count(5), 0u);
}

TEST(Timeline, BackwardGotoRecreatesAnInstancePlacedAgainLater)
{
    MovieMaker mm;
    swf::Frame s0;
    const uint16_t dot = mm.rect({0, 20, 0, 20}, {0, 0, 0, 255});
    s0.tags = {place(dot, 1)};
    const uint16_t clip = mm.sprite({s0});
    mm.frame(0).tags = {place(clip, 1)};
    mm.frame(1).tags = {removeAt(1)};
    mm.frame(2).tags = {place(clip, 1)};
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    rig.core->gotoFrame(2);
    DisplayObject* later = rig.core->root()->children().at(1).get();
    EXPECT_EQ(later->placeFrame, 2);
    rig.core->gotoFrame(0);
    EXPECT_EQ(rig.core->root()->children().at(1)->placeFrame, 0);
}

TEST(Timeline, LoopOffStopsTheRootOnItsLastFrameWhileSpritesGoOn)
{
    MovieMaker mm;
    const uint16_t dot = mm.rect({0, 20, 0, 20}, {0, 0, 0, 255});
    swf::Frame s0, s1;
    s0.tags = {place(dot, 1)};
    const uint16_t clip = mm.sprite({s0, s1});
    mm.frame(0).tags = {place(clip, 1, {}, "c")};
    mm.frame(2);
    Rig rig;
    rig.core->setLoop(false);
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    MovieClip* c = rig.core->root()->findChildClip("c");
    ASSERT_NE(c, nullptr);
    for (int i = 0; i < 5; ++i)
        rig.core->advanceFrame();
    EXPECT_EQ(rig.core->currentFrame(), 2);
    EXPECT_FALSE(rig.core->isPlaying());
    const int spriteFrame = c->frame();
    rig.core->advanceFrame();
    EXPECT_NE(c->frame(), spriteFrame);
    rig.core->play();
    rig.core->setLoop(true);
    rig.core->advanceFrame();
    EXPECT_EQ(rig.core->currentFrame(), 0);
}

TEST(Timeline, LoopOffStopsAOneFrameMovieToo)
{
    MovieMaker mm;
    mm.frame(0);
    Rig rig;
    rig.core->setLoop(false);
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    EXPECT_TRUE(rig.core->isPlaying());
    rig.core->advanceFrame();
    EXPECT_FALSE(rig.core->isPlaying());
    EXPECT_EQ(rig.core->currentFrame(), 0);
}

TEST(Timeline, ControlCallsMoveThePlayhead)
{
    MovieMaker mm;
    mm.frame(9);
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    EXPECT_TRUE(rig.core->isPlaying());
    rig.core->gotoFrame(4);
    EXPECT_EQ(rig.core->currentFrame(), 4);
    rig.core->gotoFrame(99);
    EXPECT_EQ(rig.core->currentFrame(), 9);
    rig.core->stop();
    rig.core->advanceFrame();
    EXPECT_EQ(rig.core->currentFrame(), 9);
    rig.core->rewind();
    EXPECT_EQ(rig.core->currentFrame(), 0);
    EXPECT_FALSE(rig.core->isPlaying());
    rig.core->play();
    rig.core->advanceFrame();
    EXPECT_EQ(rig.core->currentFrame(), 1);
}

TEST(Timeline, ClipDepthMasksTheDepthsUpToIt)
{
    MovieMaker mm;
    const uint16_t mask = mm.rect({0, 20, 0, 20}, {0, 0, 0, 255});
    const uint16_t a = mm.rect({0, 40, 0, 40}, {0, 0, 0, 255});
    const uint16_t b = mm.rect({0, 60, 0, 60}, {0, 0, 0, 255});
    swf::PlaceObject m = place(mask, 1);
    m.clipDepth = 2;
    mm.frame(0).tags = {m, place(a, 2), place(b, 3)};
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    rig.draw();
    std::vector<std::string> seq;
    for (const auto& c : rig.renderer->calls)
        seq.push_back(c.what + (c.what == "shape" ? std::to_string(c.characterId) : ""));
    EXPECT_EQ(seq, (std::vector<std::string>{"beginMask", "shape" + std::to_string(mask), "endMask",
                                             "shape" + std::to_string(a), "popMask", "shape" + std::to_string(b)}));
}

TEST(Timeline, NestedTransformsCompose)
{
    MovieMaker mm;
    const uint16_t dot = mm.rect({0, 20, 0, 20}, {0, 0, 0, 255});
    swf::Frame s0;
    swf::PlaceObject inner = place(dot, 1, at(1, 2));
    inner.colorTransform = swf::ColorTransform{128, 256, 256, 256, 0, 0, 0, 0};
    s0.tags = {inner};
    const uint16_t clip = mm.sprite({s0});
    swf::PlaceObject outer = place(clip, 1, swf::Matrix{2, 0, 0, 2, 200, 0});
    outer.colorTransform = swf::ColorTransform{256, 256, 256, 128, 10, 0, 0, 0};
    mm.frame(0).tags = {outer};
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    rig.draw();
    ASSERT_EQ(rig.renderer->calls.size(), 1u);
    const auto& c = rig.renderer->calls[0];
    EXPECT_DOUBLE_EQ(c.matrix.a, 2);
    EXPECT_DOUBLE_EQ(c.matrix.tx, 240);   // 200 + 2 * 20
    EXPECT_DOUBLE_EQ(c.matrix.ty, 80);
    EXPECT_FLOAT_EQ(c.cx.rMul, 0.5f);
    EXPECT_FLOAT_EQ(c.cx.rAdd, 10.0f);
    EXPECT_FLOAT_EQ(c.cx.aMul, 0.5f);
}

TEST(FrameClock, TwentyFourFpsGivesTwentyFourFramesPerVirtualSecond)
{
    MovieMaker mm(100, 100, 24);
    mm.frame(999);
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    rig.clock.AdvanceBy(1000);
    EXPECT_EQ(rig.core->currentFrame(), 24);
    rig.clock.AdvanceBy(9000);
    EXPECT_EQ(rig.core->currentFrame(), 240);
}

TEST(FrameClock, StoppedRootStillTicksItsSprites)
{
    MovieMaker mm(100, 100, 10);
    const uint16_t dot = mm.rect({0, 20, 0, 20}, {0, 0, 0, 255});
    swf::Frame s0, s1, s2;
    s0.tags = {place(dot, 1)};
    const uint16_t clip = mm.sprite({s0, s1, s2});
    mm.frame(0).tags = {place(clip, 1, {}, "c")};
    mm.frame(4);
    Rig rig;
    ASSERT_TRUE(rig.core->load(mm.done(), {}));
    rig.core->stop();
    rig.clock.AdvanceBy(200);   // two frames at 10 fps
    EXPECT_EQ(rig.core->currentFrame(), 0);
    EXPECT_EQ(rig.core->root()->findChildClip("c")->frame(), 2);
}

}  // namespace
}  // namespace flash::test
