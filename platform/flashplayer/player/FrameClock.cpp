#include "FrameClock.h"

#include "Scheduler.h"

#include <algorithm>
#include <cmath>

namespace flash {

FrameClock::FrameClock(Scheduler& scheduler, std::function<void()> onFrame)
    : m_scheduler(scheduler), m_timer(&scheduler), m_onFrame(std::move(onFrame))
{
    m_timer.SetEnabled(false);
    m_timer.SetOnTimer([this] { onTimer(); });
}

void FrameClock::setRate(double fps)
{
    if (!(fps > 0))
        fps = 12;
    fps = std::clamp(fps, 0.01, 120.0);
    if (fps == m_fps)
        return;
    m_fps = fps;
    if (m_running) {
        stop();
        start();
    }
}

int64_t FrameClock::dueTime(int64_t frame) const
{
    return m_startMs + static_cast<int64_t>(std::ceil(frame * 1000.0 / m_fps - 1e-9));
}

void FrameClock::start()
{
    if (m_running)
        return;
    m_running = true;
    m_startMs = m_scheduler.NowMs();
    m_framesRun = 0;
    arm();
}

void FrameClock::stop()
{
    m_running = false;
    m_timer.SetEnabled(false);
}

void FrameClock::arm()
{
    const int64_t wait = std::max<int64_t>(1, dueTime(m_framesRun + 1) - m_scheduler.NowMs());
    m_timer.SetEnabled(false);
    m_timer.SetInterval(static_cast<unsigned>(std::min<int64_t>(wait, 1'000'000)));
    m_timer.SetEnabled(true);
}

void FrameClock::onTimer()
{
    if (!m_running)
        return;
    const int64_t now = m_scheduler.NowMs();
    int ran = 0;
    while (m_running && dueTime(m_framesRun + 1) <= now) {
        ++m_framesRun;
        if (++ran > m_maxCatchUp) {
            // Too late to catch up: skip the missed frames instead of running a burst.
            while (dueTime(m_framesRun + 1) <= now)
                ++m_framesRun;
            break;
        }
        m_onFrame();
    }
    if (m_running)
        arm();
}

}  // namespace flash
