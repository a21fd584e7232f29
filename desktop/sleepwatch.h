#pragma once

#include <QObject>
#include <QPointer>

class QDBusPendingCallWatcher;
class QThread;

namespace desktop {

// Holds off the machine's sleep for a moment while the program wants it, and says when the
// machine is about to sleep, through systemd-logind on the system bus: a "delay" inhibitor lock
// (a file descriptor; sleep waits until it is closed, for a few seconds at most) and the manager's
// PrepareForSleep signal. The system bus is first touched when the lock is first wanted, and
// every call is asynchronous. Without logind, or without a system bus, nothing happens.
class SleepWatch : public QObject {
    Q_OBJECT
public:
    explicit SleepWatch(QObject *parent = nullptr);
    // Closes a lock still held.
    ~SleepWatch() override;

    // Idempotent. Changes made in one go reach logind as their end result only, when control
    // returns to the event loop.
    void setInhibited(bool on);
    bool isInhibited() const { return m_wanted; }
    // Whether logind granted the lock and the program holds it.
    bool isHeld() const { return m_fd >= 0; }
    // Whether the system bus was asked for at all.
    bool hasTouchedBus() const { return m_busAsked; }

Q_SIGNALS:
    // The machine is about to sleep. Receivers run at once, while the lock is still held; the lock
    // is closed when they have all returned, and the machine then sleeps.
    void aboutToSleep();
    // The machine is awake again.
    void awake();
    void heldChanged(bool held);

private Q_SLOTS:
    void prepareForSleep(bool start);

private:
    void busReady(bool connected);
    void scheduleSync();
    void sync();
    void sendInhibit();
    void inhibitFinished(QDBusPendingCallWatcher *watcher);
    void closeLock();

    bool m_wanted = false;
    bool m_busAsked = false;
    bool m_busReady = false;
    bool m_syncQueued = false;
    // Between the announcement of sleep and the wake-up no new lock is taken.
    bool m_sleeping = false;
    // An Inhibit for the current wish has been sent; a refused one is not repeated until the
    // next wish.
    bool m_attempted = false;
    QDBusPendingCallWatcher *m_pending = nullptr;
    int m_fd = -1;
    QPointer<QThread> m_connector;
};

} // namespace desktop
