// Buttons: the mouse moves them between up, over and down, and the release runs
// their actions.
#include "TestMovies.h"

#include "ButtonObject.h"

#include <gtest/gtest.h>

namespace flash::test {
namespace {

swf::ButtonRecord record(bool up, bool over, bool down, bool hit, uint16_t id, uint16_t depth)
{
    swf::ButtonRecord r;
    r.up = up;
    r.over = over;
    r.down = down;
    r.hitTest = hit;
    r.characterId = id;
    r.depth = depth;
    return r;
}

struct ButtonMovie {
    MovieMaker mm{100, 100};
    uint16_t up, over, down, hit, button;
    ButtonMovie()
    {
        up = mm.rect({0, 1000, 0, 1000}, {255, 0, 0, 255});
        over = mm.rect({0, 1000, 0, 1000}, {0, 255, 0, 255});
        down = mm.rect({0, 1000, 0, 1000}, {0, 0, 255, 255});
        hit = mm.rect({0, 1000, 0, 1000}, {0, 0, 0, 255});
        swf::Button b;
        b.records.push_back(record(true, false, false, false, up, 1));
        b.records.push_back(record(false, true, false, false, over, 1));
        b.records.push_back(record(false, false, true, false, down, 1));
        b.records.push_back(record(false, false, false, true, hit, 2));
        swf::ButtonAction release;
        release.transitions = swf::OverDownToOverUp;
        // getURL("FSCommand:clicked", "")
        release.actions = {0x83, 19, 0};
        for (char c : std::string("FSCommand:clicked"))
            release.actions.push_back(uint8_t(c));
        release.actions.insert(release.actions.end(), {0, 0, 0x07, 0});   // + Stop
        b.actions.push_back(release);
        button = mm.add(b);
        mm.frame(0).tags = {place(button, 1, swf::Matrix::translate(400, 400))};   // 20..70 px
        mm.frame(3);
    }
};

TEST(Buttons, MouseMovesThroughTheStatesAndReleaseRunsActions)
{
    ButtonMovie bm;
    Rig rig;
    rig.renderer->hitAreas[bm.hit] = {0, 1000, 0, 1000};
    std::vector<std::string> commands;
    rig.core->callbacks().fsCommand = [&](const std::string& c, const std::string&) { commands.push_back(c); };
    ASSERT_TRUE(rig.core->load(bm.mm.done(), {}));
    rig.draw();   // registers the shapes, so hit tests can ask the renderer
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.up}));
    rig.core->mouseMove(30, 30);
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.over}));
    rig.core->mouseDown(30, 30);
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.down}));
    EXPECT_TRUE(commands.empty());
    rig.core->mouseUp(30, 30);
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.over}));
    EXPECT_EQ(commands, (std::vector<std::string>{"clicked"}));
    EXPECT_FALSE(rig.core->isPlaying());
    rig.core->mouseMove(90, 90);
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.up}));
}

TEST(Buttons, ReleaseOutsideDoesNotClick)
{
    ButtonMovie bm;
    Rig rig;
    rig.renderer->hitAreas[bm.hit] = {0, 1000, 0, 1000};
    int clicks = 0;
    rig.core->callbacks().fsCommand = [&](const std::string&, const std::string&) { ++clicks; };
    ASSERT_TRUE(rig.core->load(bm.mm.done(), {}));
    rig.draw();
    rig.core->mouseDown(30, 30);
    rig.core->mouseMove(95, 95);
    rig.core->mouseUp(95, 95);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.up}));
    EXPECT_TRUE(rig.core->isPlaying());
}

TEST(Buttons, ViewScalingMapsMouseCoordinates)
{
    ButtonMovie bm;
    Rig rig;
    rig.renderer->hitAreas[bm.hit] = {0, 1000, 0, 1000};
    ASSERT_TRUE(rig.core->load(bm.mm.done(), {}));
    rig.core->setViewSize(200, 200);   // stage drawn twice as large
    rig.draw();
    rig.core->mouseMove(30, 30);       // stage (15, 15): outside the button
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.up}));
    rig.core->mouseMove(60, 60);       // stage (30, 30)
    EXPECT_EQ(rig.draw(), (std::vector<uint16_t>{bm.over}));
}

}  // namespace
}  // namespace flash::test
