#pragma once

#include <QObject>

namespace toolkit {

class Timer;

// Where timers take their ticks from. Production uses real precise timers; tests install a manual
// clock of their own so that an hour of play runs in milliseconds, deterministically.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    // Starts a fresh period of intervalMs for the timer, dropping any period already running.
    virtual void arm(Timer *timer, int intervalMs) = 0;
    virtual void disarm(Timer *timer) = 0;
    // A monotonic reading in milliseconds, from an arbitrary start: what the clocks that count to
    // the millisecond measure time with, on the same time line as the timers' ticks.
    virtual qint64 nowMs() const = 0;

    static TimeSource &current();
    // nullptr restores the real time source.
    static void setCurrent(TimeSource *source);
};

class RealTimeSource final : public TimeSource {
public:
    void arm(Timer *timer, int intervalMs) override;
    void disarm(Timer *timer) override;
    qint64 nowMs() const override;
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

} // namespace toolkit
