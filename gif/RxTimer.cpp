#include "RxTimer.h"

#include "Dialogs.h"
#include "Exceptions.h"

TRxTimer::TRxTimer(Scheduler* scheduler) : m_timer(scheduler)
{
    m_timer.SetEnabled(false);
    m_timer.SetOnTimer([this] { fire(); });
    applyRules();
}

void TRxTimer::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    applyRules();
}

void TRxTimer::SetInterval(unsigned ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    applyRules();
}

void TRxTimer::SetOnTimer(std::function<void()> handler)
{
    m_onTimer = std::move(handler);
    applyRules();
}

void TRxTimer::applyRules()
{
    // Disarming first makes every change start a fresh count, as a suspended and
    // resumed sleep would.
    m_timer.SetEnabled(false);
    m_timer.SetInterval(m_interval);
    if (!m_inEvent && m_enabled && m_interval > 0 && m_onTimer)
        m_timer.SetEnabled(true);
}

void TRxTimer::fire()
{
    if (m_inEvent || !m_enabled || !m_onTimer)
        return;
    m_inEvent = true;
    m_timer.SetEnabled(false);
    auto handler = m_onTimer;  // the handler may replace itself while it runs
    try {
        handler();
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        m_inEvent = false;
        applyRules();
        ErrorBox(error.what());
        return;
    }
    m_inEvent = false;
    applyRules();
}
