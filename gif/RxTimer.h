// The animator's timer. Its event runs from the message loop of the program's one
// scheduler, like every other timer, so that virtual time drives it in tests. As with
// a worker that sleeps, runs the event and sleeps again, the next count starts when
// the event has returned, and no event starts while one is running.
#pragma once

#include "Timer.h"

#include <functional>

class Scheduler;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TRxTimer {
public:
    explicit TRxTimer(Scheduler* scheduler = nullptr);  // null: the current scheduler
    TRxTimer(const TRxTimer&) = delete;
    TRxTimer& operator=(const TRxTimer&) = delete;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return m_interval; }
    void SetInterval(unsigned ms);
    const std::function<void()>& OnTimer() const { return m_onTimer; }
    void SetOnTimer(std::function<void()> handler);

    // Kept for the component's stored values. Events always run on the message loop:
    // there is no second thread to run them on or to hand them over from.
    bool SyncEvent = true;
    bool Threaded = true;
    TThreadPriority ThreadPriority = tpNormal;

    // True while the timer counts towards its next event.
    bool Running() const { return m_timer.Active(); }

private:
    // Suspends the count, then resumes it when there is an interval, the timer is
    // enabled and it has a handler (and no event is running).
    void applyRules();
    void fire();

    TTimer m_timer;
    bool m_enabled = true;
    unsigned m_interval = 1000;
    std::function<void()> m_onTimer;
    bool m_inEvent = false;
};
