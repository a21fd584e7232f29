#include "timer.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>

namespace toolkit {

namespace {
RealTimeSource g_realSource;
TimeSource *g_current = &g_realSource;
} // namespace

TimeSource &TimeSource::current()
{
    return *g_current;
}

void TimeSource::setCurrent(TimeSource *source)
{
    g_current = source ? source : &g_realSource;
}

// ---- real time -------------------------------------------------------------------------------

static QTimer *realTimerOf(Timer *timer)
{
    auto *qt = timer->findChild<QTimer *>(QStringLiteral("platformRealTimer"), Qt::FindDirectChildrenOnly);
    if (!qt) {
        qt = new QTimer(timer);
        qt->setObjectName(QStringLiteral("platformRealTimer"));
        // Precise: a one-second clock must not drift by the coarse timer's 5 % slack.
        qt->setTimerType(Qt::PreciseTimer);
        QObject::connect(qt, &QTimer::timeout, timer, &Timer::deliverTick);
    }
    return qt;
}

void RealTimeSource::arm(Timer *timer, int intervalMs)
{
    realTimerOf(timer)->start(intervalMs);
}

void RealTimeSource::disarm(Timer *timer)
{
    if (auto *qt = timer->findChild<QTimer *>(QStringLiteral("platformRealTimer"), Qt::FindDirectChildrenOnly))
        qt->stop();
}

qint64 RealTimeSource::nowMs() const
{
    // CLOCK_MONOTONIC: untouched by changes of the wall clock, and standing still while the machine
    // sleeps, which pauses a running game anyway.
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---- timer -----------------------------------------------------------------------------------

Timer::Timer(QObject *parent, int intervalMs, bool enabled)
    : QObject(parent), m_interval(intervalMs), m_enabled(enabled)
{
    rearm();
}

Timer::~Timer()
{
    if (m_armed && m_source)
        m_source->disarm(this);
}

void Timer::setInterval(int ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    rearm();
}

void Timer::setEnabled(bool enabled)
{
    // Enabling a running timer leaves its period alone; only a real change starts a fresh one.
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    rearm();
}

void Timer::rearm()
{
    const bool wasArmed = m_armed;
    if (m_armed && m_source)
        m_source->disarm(this);
    m_armed = false;
    if (m_enabled && m_interval > 0) {
        m_source = &TimeSource::current();
        m_source->arm(this, m_interval);
        m_armed = true;
    }
    if (m_armed != wasArmed)
        Q_EMIT activeChanged(m_armed);
}

void Timer::deliverTick()
{
    if (m_armed)
        Q_EMIT timeout();
}

} // namespace toolkit
