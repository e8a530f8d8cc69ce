#include "Scheduler.h"
#include "Timer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Fixture : ::testing::Test {
    VirtualClock clock;
    std::vector<std::string> fired;

    std::unique_ptr<TTimer> timer(const std::string& name, unsigned interval, bool enabled = true)
    {
        auto t = std::make_unique<TTimer>(&clock);
        t->SetEnabled(enabled);
        t->SetInterval(interval);
        t->SetOnTimer([this, name] { fired.push_back(name + "@" + std::to_string(clock.NowMs())); });
        return t;
    }
};

using TimerTest = Fixture;

TEST_F(TimerTest, FiresDueTimersInOrderOfDueTimeThenArming)
{
    auto a = timer("a", 30);
    auto b = timer("b", 20);
    auto c = timer("c", 10);
    clock.AdvanceBy(60);
    EXPECT_EQ(fired, (std::vector<std::string>{"c@10", "b@20", "c@20", "a@30", "c@30", "b@40", "c@40", "c@50",
                                               "a@60", "b@60", "c@60"}));
    EXPECT_EQ(clock.NowMs(), 60);
}

TEST_F(TimerTest, IntervalZeroNeverFiresAndDisabledStaysDisabled)
{
    auto zero = timer("zero", 0);
    auto off = timer("off", 10, false);
    off->SetInterval(5);  // changing the interval of a disabled timer does not enable it
    clock.AdvanceBy(1000);
    EXPECT_TRUE(fired.empty());
    EXPECT_FALSE(off->Enabled());
}

TEST_F(TimerTest, ChangingTheIntervalRestartsTheCount)
{
    auto t = timer("t", 100);
    clock.AdvanceBy(70);
    t->SetInterval(50);  // counts from 70 now
    t->SetInterval(50);  // the same value changes nothing
    clock.AdvanceBy(100);
    EXPECT_EQ(fired, (std::vector<std::string>{"t@120", "t@170"}));
}

TEST_F(TimerTest, HandlerCanStopItselfAndOthers)
{
    TTimer a(&clock);
    a.SetInterval(10);
    auto b = timer("b", 10);
    a.SetOnTimer([&] {  // armed after b: setting the handler restarts the count
        fired.push_back("a");
        a.SetEnabled(false);
        b->SetEnabled(false);
    });
    clock.AdvanceBy(10);
    EXPECT_EQ(fired, (std::vector<std::string>{"b@10", "a"}));
    fired.clear();
    clock.AdvanceBy(100);
    EXPECT_TRUE(fired.empty());
}

TEST_F(TimerTest, PostedMessagesRunBeforeLaterTimersAndInOrder)
{
    auto t = timer("t", 10);
    clock.Post([&] { fired.push_back("p1"); });
    clock.Post([&] {
        fired.push_back("p2");
        clock.Post([&] { fired.push_back("p3"); });
    });
    clock.AdvanceBy(10);
    EXPECT_EQ(fired, (std::vector<std::string>{"p1", "p2", "p3", "t@10"}));
}

TEST_F(TimerTest, RunUntilStopsAtTheConditionOrTheLimit)
{
    int ticks = 0;
    TTimer t(&clock);
    t.SetInterval(25);
    t.SetOnTimer([&] { ++ticks; });
    EXPECT_TRUE(clock.RunUntil([&] { return ticks == 3; }, 1000));
    EXPECT_EQ(clock.NowMs(), 75);
    EXPECT_FALSE(clock.RunUntil([&] { return ticks == 100; }, 100));
    EXPECT_EQ(clock.NowMs(), 175);
    EXPECT_EQ(ticks, 7);
}

TEST_F(TimerTest, DestroyedTimerIsForgotten)
{
    auto t = timer("t", 10);
    t.reset();
    clock.AdvanceBy(100);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(clock.NextDue(), -1);
}

} // namespace
