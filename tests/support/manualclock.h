#pragma once

// The tests' time source: virtual time, advanced by the test.

#include "toolkit/timer.h"

#include <cstdint>
#include <vector>

namespace support {

// Virtual time. Ticks are delivered synchronously, in the order they fall due, from advance().
class ManualClock final : public toolkit::TimeSource {
public:
    ManualClock();
    ~ManualClock() override;

    void arm(toolkit::Timer *timer, int intervalMs) override;
    void disarm(toolkit::Timer *timer) override;

    qint64 now() const { return m_now; }
    qint64 nowMs() const override { return m_now; }
    // Moves time on by ms, delivering every tick that falls due on the way.
    void advance(qint64 ms);
    // Moves time on by ms as if the event loop had been blocked: every overdue timer ticks once
    // at the end, and its next period starts then.
    void stall(qint64 ms);
    // How many timers are running.
    int armedCount() const { return int(m_entries.size()); }

private:
    struct Entry {
        toolkit::Timer *timer;
        int interval;
        qint64 due;
        std::uint64_t order;
    };
    Entry *find(toolkit::Timer *timer);
    bool fireNext(qint64 limit);

    std::vector<Entry> m_entries;
    qint64 m_now = 0;
    std::uint64_t m_order = 0;
};

} // namespace support
