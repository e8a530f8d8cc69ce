// A message-loop timer: fires OnTimer every Interval milliseconds while Enabled.
// An interval of 0 never fires; setting a different interval restarts the count.
#pragma once

#include <functional>

class Scheduler;

class TTimer {
public:
    explicit TTimer(Scheduler* scheduler = nullptr);  // null: the current scheduler
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return m_interval; }
    void SetInterval(unsigned ms);
    void SetOnTimer(std::function<void()> handler);
    const std::function<void()>& OnTimer() const { return m_onTimer; }

    // True when the timer should be armed: enabled, interval above 0, a handler set.
    bool Active() const { return m_enabled && m_interval > 0 && m_onTimer; }
    // Called by the scheduler when the timer falls due.
    void Fire();
    Scheduler& Owner() const { return *m_scheduler; }

private:
    Scheduler* m_scheduler;
    bool m_enabled = true;
    unsigned m_interval = 1000;
    std::function<void()> m_onTimer;
};
