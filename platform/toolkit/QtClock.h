// The real-time clock: each armed timer is a QTimer on Qt's event loop.
#pragma once

#include "Scheduler.h"

#include <QElapsedTimer>
#include <QObject>
#include <map>

class QTimer;

class RealTimeClock : public QObject, public Scheduler {
    Q_OBJECT
public:
    RealTimeClock();
    ~RealTimeClock() override;

    int64_t NowMs() const override { return m_elapsed.elapsed(); }
    void TimerChanged(TTimer& timer) override;
    void TimerDestroyed(TTimer& timer) override;
    void Post(std::function<void()> fn) override;
    void ProcessMessages() override;

private:
    QElapsedTimer m_elapsed;
    std::map<TTimer*, QTimer*> m_timers;
};
