#include "Timer.h"

#include "Scheduler.h"

TTimer::TTimer(Scheduler* scheduler) : m_scheduler(scheduler ? scheduler : &Scheduler::Current()) {}

TTimer::~TTimer() { m_scheduler->TimerDestroyed(*this); }

void TTimer::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    m_scheduler->TimerChanged(*this);
}

void TTimer::SetInterval(unsigned ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    m_scheduler->TimerChanged(*this);
}

void TTimer::SetOnTimer(std::function<void()> handler)
{
    m_onTimer = std::move(handler);
    m_scheduler->TimerChanged(*this);
}

void TTimer::Fire()
{
    if (Active()) {
        // Copy the handler: it may replace itself while running.
        auto handler = m_onTimer;
        handler();
    }
}
