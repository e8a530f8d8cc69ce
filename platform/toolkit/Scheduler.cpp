#include "Scheduler.h"

#include "Timer.h"

#include <limits>

namespace {

Scheduler* g_current = nullptr;
constexpr size_t kMaxPostsPerRound = 1000000;

VirtualClock& defaultClock()
{
    static VirtualClock clock;
    return clock;
}

} // namespace

Scheduler& Scheduler::Current()
{
    return g_current ? *g_current : defaultClock();
}

void Scheduler::SetCurrent(Scheduler* scheduler) { g_current = scheduler; }

ScopedScheduler::ScopedScheduler(Scheduler& scheduler) : m_previous(g_current) { Scheduler::SetCurrent(&scheduler); }

ScopedScheduler::~ScopedScheduler() { Scheduler::SetCurrent(m_previous); }

VirtualClock::~VirtualClock() = default;

void VirtualClock::TimerChanged(TTimer& timer)
{
    m_armed.erase(&timer);
    if (timer.Active())
        m_armed[&timer] = Armed{m_now + timer.Interval(), m_order++};
}

void VirtualClock::TimerDestroyed(TTimer& timer) { m_armed.erase(&timer); }

void VirtualClock::Post(std::function<void()> fn) { m_posted.push_back(std::move(fn)); }

void VirtualClock::deliverPosted()
{
    // As in a message loop, posted messages (also those posted while delivering) all
    // come before the next timer; the cap only stops a message that reposts itself forever.
    for (size_t i = 0; i < kMaxPostsPerRound && !m_posted.empty(); ++i) {
        auto fn = std::move(m_posted.front());
        m_posted.pop_front();
        fn();
    }
}

void VirtualClock::ProcessMessages()
{
    deliverPosted();
    while (fireNextDueBy(m_now))
        deliverPosted();
}

int64_t VirtualClock::NextDue() const
{
    int64_t best = -1;
    for (const auto& [timer, armed] : m_armed)
        if (best < 0 || armed.due < best)
            best = armed.due;
    return best;
}

bool VirtualClock::fireNextDueBy(int64_t limit)
{
    TTimer* next = nullptr;
    Armed best{std::numeric_limits<int64_t>::max(), std::numeric_limits<uint64_t>::max()};
    for (const auto& [timer, armed] : m_armed) {
        if (armed.due < best.due || (armed.due == best.due && armed.order < best.order)) {
            best = armed;
            next = timer;
        }
    }
    if (!next || best.due > limit)
        return false;
    m_now = best.due;
    // Re-arm before firing, so a handler that changes the timer has the last word.
    m_armed[next] = Armed{best.due + next->Interval(), m_order++};
    next->Fire();
    return true;
}

void VirtualClock::AdvanceTo(int64_t timeMs)
{
    deliverPosted();
    while (fireNextDueBy(timeMs))
        deliverPosted();
    if (timeMs > m_now)
        m_now = timeMs;
    deliverPosted();
}

void VirtualClock::AdvanceBy(int64_t ms) { AdvanceTo(m_now + ms); }

bool VirtualClock::RunUntil(const std::function<bool()>& done, int64_t limitMs)
{
    int64_t end = m_now + limitMs;
    deliverPosted();
    while (!done()) {
        if (!m_posted.empty()) {
            deliverPosted();
            continue;
        }
        if (!fireNextDueBy(end)) {
            m_now = end;
            return done();
        }
    }
    return true;
}
