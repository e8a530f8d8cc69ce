// The one scheduler behind every timer of the program, with two clocks:
// RealTimeClock (Qt's event loop, QtClock.h) for the GUI, and VirtualClock for tests
// and the headless converter, which fires due timers in order when advanced.
// Nothing else in the program reads the wall clock.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

class TTimer;

class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Milliseconds since the clock started.
    virtual int64_t NowMs() const = 0;
    // A timer's Enabled, Interval or OnTimer changed: (re)arm or disarm it.
    virtual void TimerChanged(TTimer& timer) = 0;
    virtual void TimerDestroyed(TTimer& timer) = 0;
    // Runs fn later from the message loop, after what is running now (a posted message).
    virtual void Post(std::function<void()> fn) = 0;
    // Runs what is due now (posted messages, then due timers) without waiting: the
    // modal loops of dialogs call it so that timers keep running.
    virtual void ProcessMessages() = 0;

    // The scheduler timers attach to. A VirtualClock is the default until a
    // RealTimeClock is installed.
    static Scheduler& Current();
    static void SetCurrent(Scheduler* scheduler);
};

class VirtualClock : public Scheduler {
public:
    VirtualClock() = default;
    ~VirtualClock() override;

    int64_t NowMs() const override { return m_now; }
    void TimerChanged(TTimer& timer) override;
    void TimerDestroyed(TTimer& timer) override;
    void Post(std::function<void()> fn) override;
    void ProcessMessages() override;

    // Moves time forward by ms, firing every timer that falls due on the way, in order
    // of due time (timers due at the same moment in the order they were armed), and
    // delivering posted messages before each timer.
    void AdvanceBy(int64_t ms);
    void AdvanceTo(int64_t timeMs);
    // Advances until done() is true (checked after every event) or limitMs passed;
    // returns whether done() became true.
    bool RunUntil(const std::function<bool()>& done, int64_t limitMs);
    // The next moment a timer falls due, or -1 when none is armed.
    int64_t NextDue() const;
    size_t PendingPosts() const { return m_posted.size(); }

private:
    struct Armed {
        int64_t due;
        uint64_t order;
    };
    void deliverPosted();
    bool fireNextDueBy(int64_t limit);

    int64_t m_now = 0;
    uint64_t m_order = 0;
    std::map<TTimer*, Armed> m_armed;
    std::deque<std::function<void()>> m_posted;
};

// Installs a scheduler as current for the life of the object.
class ScopedScheduler {
public:
    explicit ScopedScheduler(Scheduler& scheduler);
    ~ScopedScheduler();

private:
    Scheduler* m_previous;
};
