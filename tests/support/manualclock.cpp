#include "manualclock.h"

#include <algorithm>
#include <limits>

namespace support {

ManualClock::ManualClock() = default;
ManualClock::~ManualClock() = default;

ManualClock::Entry *ManualClock::find(toolkit::Timer *timer)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [timer](const Entry &e) { return e.timer == timer; });
    return it == m_entries.end() ? nullptr : &*it;
}

void ManualClock::arm(toolkit::Timer *timer, int intervalMs)
{
    disarm(timer);
    m_entries.push_back({timer, intervalMs, m_now + intervalMs, m_order++});
}

void ManualClock::disarm(toolkit::Timer *timer)
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
    toolkit::Timer *timer = next->timer;
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
    std::vector<toolkit::Timer *> overdue;
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

} // namespace support
