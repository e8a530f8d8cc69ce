#include "QtClock.h"

#include "Timer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

RealTimeClock::RealTimeClock() { m_elapsed.start(); }

RealTimeClock::~RealTimeClock()
{
    for (auto& [timer, qtimer] : m_timers)
        delete qtimer;
}

void RealTimeClock::TimerChanged(TTimer& timer)
{
    auto it = m_timers.find(&timer);
    if (!timer.Active()) {
        if (it != m_timers.end()) {
            it->second->stop();
            it->second->deleteLater();
            m_timers.erase(it);
        }
        return;
    }
    QTimer* qtimer;
    if (it == m_timers.end()) {
        qtimer = new QTimer(this);
        qtimer->setTimerType(Qt::PreciseTimer);
        TTimer* target = &timer;
        connect(qtimer, &QTimer::timeout, this, [target] { target->Fire(); });
        m_timers[&timer] = qtimer;
    } else {
        qtimer = it->second;
    }
    qtimer->start(static_cast<int>(timer.Interval()));  // restarting resets the count
}

void RealTimeClock::TimerDestroyed(TTimer& timer)
{
    auto it = m_timers.find(&timer);
    if (it != m_timers.end()) {
        it->second->stop();
        it->second->disconnect();
        it->second->deleteLater();
        m_timers.erase(it);
    }
}

void RealTimeClock::Post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void RealTimeClock::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
