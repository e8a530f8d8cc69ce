// The frame clock: a scheduler timer that calls back once per due frame. Frame times
// are computed from the start time and the frame count (start + n * 1000 / fps), so
// rates that are not whole milliseconds keep their exact pace: 24 fps gives 24
// frames in every virtual second, not 25 or 23.
#pragma once

#include "Timer.h"

#include <cstdint>
#include <functional>

class Scheduler;

namespace flash {

class FrameClock {
public:
    FrameClock(Scheduler& scheduler, std::function<void()> onFrame);

    // Frames per second; values outside 0.01..120 are clamped (the original player
    // caps rates at 120 as well), and 0 means 12.
    void setRate(double fps);
    double rate() const { return m_fps; }
    void start();
    void stop();
    bool running() const { return m_running; }
    // At most this many frames are run for one late timer tick; the rest are dropped.
    void setMaxCatchUp(int frames) { m_maxCatchUp = frames; }

private:
    void onTimer();
    int64_t dueTime(int64_t frame) const;
    void arm();

    Scheduler& m_scheduler;
    TTimer m_timer;
    std::function<void()> m_onFrame;
    double m_fps = 12;
    bool m_running = false;
    int64_t m_startMs = 0;
    int64_t m_framesRun = 0;
    int m_maxCatchUp = 8;
};

}  // namespace flash
