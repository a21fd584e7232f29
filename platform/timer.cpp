#include "timer.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace platform {

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

// ---- virtual time ----------------------------------------------------------------------------

ManualClock::ManualClock() = default;
ManualClock::~ManualClock() = default;

ManualClock::Entry *ManualClock::find(Timer *timer)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [timer](const Entry &e) { return e.timer == timer; });
    return it == m_entries.end() ? nullptr : &*it;
}

void ManualClock::arm(Timer *timer, int intervalMs)
{
    disarm(timer);
    m_entries.push_back({timer, intervalMs, m_now + intervalMs, m_order++});
}

void ManualClock::disarm(Timer *timer)
{
    std::erase_if(m_entries, [timer](const Entry &e) { return e.timer == timer; });
}

bool ManualClock::fireNext(qint64 limit)
{
    const Entry *next = nullptr;
    for (const Entry &e : m_entries) {
        if (e.due > limit)
            continue;
        if (!next || e.due < next->due || (e.due == next->due && e.order < next->order))
            next = &e;
    }
    if (!next)
        return false;
    Timer *timer = next->timer;
    m_now = std::max(m_now, next->due);
    // The next period is booked before the handler runs, so a handler that re-arms wins.
    Entry *e = find(timer);
    e->due = m_now + e->interval;
    e->order = m_order++;
    timer->deliverTick();
    return true;
}

void ManualClock::advance(qint64 ms)
{
    const qint64 target = m_now + ms;
    while (fireNext(target)) {
    }
    m_now = target;
}

void ManualClock::stall(qint64 ms)
{
    m_now += ms;
    // Each overdue timer fires once; its next period starts now.
    std::vector<Timer *> overdue;
    for (const Entry &e : m_entries)
        if (e.due <= m_now)
            overdue.push_back(e.timer);
    for (Entry &e : m_entries)
        if (e.due <= m_now)
            e.due = std::numeric_limits<qint64>::min() + e.order; // keep their order, fire first
    for (std::size_t i = 0; i < overdue.size(); ++i) {
        if (!fireNext(m_now))
            break;
    }
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

} // namespace platform
