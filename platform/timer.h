#pragma once

#include <QObject>

#include <cstdint>
#include <vector>

namespace platform {

class Timer;

// Where timers take their ticks from. Production uses real precise timers; tests install a
// ManualClock so that an hour of play runs in milliseconds, deterministically.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    // Starts a fresh period of intervalMs for the timer, dropping any period already running.
    virtual void arm(Timer *timer, int intervalMs) = 0;
    virtual void disarm(Timer *timer) = 0;

    static TimeSource &current();
    // nullptr restores the real time source.
    static void setCurrent(TimeSource *source);
};

class RealTimeSource final : public TimeSource {
public:
    void arm(Timer *timer, int intervalMs) override;
    void disarm(Timer *timer) override;
};

// Virtual time. Ticks are delivered synchronously, in the order they fall due, from advance().
class ManualClock final : public TimeSource {
public:
    ManualClock();
    ~ManualClock() override;

    void arm(Timer *timer, int intervalMs) override;
    void disarm(Timer *timer) override;

    qint64 now() const { return m_now; }
    // Moves time on by ms, delivering every tick that falls due on the way.
    void advance(qint64 ms);
    // Moves time on by ms as if the event loop had been blocked: every overdue timer ticks once
    // at the end, and its next period starts then.
    void stall(qint64 ms);
    // How many timers are running.
    int armedCount() const { return int(m_entries.size()); }

private:
    struct Entry {
        Timer *timer;
        int interval;
        qint64 due;
        std::uint64_t order;
    };
    Entry *find(Timer *timer);
    bool fireNext(qint64 limit);

    std::vector<Entry> m_entries;
    qint64 m_now = 0;
    std::uint64_t m_order = 0;
};

// A timer with the effects the program relies on: interval and enabled flag set separately,
// interval 0 never fires, enabling starts a fresh period, disabling drops the part already run,
// a late tick comes once and nothing is caught up.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject *parent = nullptr, int intervalMs = 0, bool enabled = false);
    ~Timer() override;

    int interval() const { return m_interval; }
    void setInterval(int ms);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Called by the time source when a period ends.
    void deliverTick();

    // Enabled with a non-zero interval: the timer is counting towards its next tick.
    bool isActive() const { return m_armed; }

Q_SIGNALS:
    void timeout();
    void activeChanged(bool active);

private:
    void rearm();

    int m_interval = 0;
    bool m_enabled = false;
    bool m_armed = false;
    TimeSource *m_source = nullptr;
};

} // namespace platform
