#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <algorithm>
#include <optional>

class QDBusPendingCallWatcher;

namespace desktop {

// Asks the desktop not to blank or lock the screen, through the freedesktop screen-saver
// interface on the session bus. Every call is asynchronous, so a slow bus never holds up the
// clock; a desktop without the interface, or without a session bus, simply changes nothing.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    explicit ScreenSaverInhibitor(QObject *parent = nullptr);
    // Releases a request still held.
    ~ScreenSaverInhibitor() override;

    // Idempotent. Changes made in one go (off and at once on again, as a switch of clocks does)
    // reach the desktop as their end result only, when control returns to the event loop.
    void setInhibited(bool on);
    // Whether the program wants the screen kept awake.
    bool isInhibited() const { return m_wanted; }
    // Whether the desktop has granted the request and the program holds its cookie.
    bool isHeld() const { return m_cookie.has_value(); }

Q_SIGNALS:
    void heldChanged(bool held);

private:
    void connectBus();
    void busReady();
    void scheduleSync();
    void sync();
    void sendInhibit(int pathIndex);
    void inhibitFinished(QDBusPendingCallWatcher *watcher, int pathIndex);
    void releaseCookie();

    bool m_wanted = false;
    bool m_busReady = false;
    bool m_connecting = false;
    bool m_syncQueued = false;
    // An Inhibit for the current request has been sent; a refused one is not repeated until the
    // next request.
    bool m_attempted = false;
    QDBusPendingCallWatcher *m_pending = nullptr;
    std::optional<uint> m_cookie;
    QString m_cookiePath;
};

// Keeps the screen awake while any of the timers runs: creates an inhibitor as a child of owner
// and follows the timers' activity. Any timer with isActive() and an activeChanged signal will
// do, so that the desktop's services need nothing of the window toolkit.
template <class Timer>
void keepScreenAwakeWhileRunning(QObject *owner, const QList<Timer *> &timers)
{
    auto *inhibitor = new ScreenSaverInhibitor(owner);
    QList<QPointer<Timer>> watched;
    for (Timer *timer : timers)
        watched.append(timer);
    const auto follow = [inhibitor, watched] {
        inhibitor->setInhibited(
            std::any_of(watched.begin(), watched.end(), [](const QPointer<Timer> &t) { return t && t->isActive(); }));
    };
    for (Timer *timer : timers)
        QObject::connect(timer, &Timer::activeChanged, inhibitor, follow);
    follow();
}

} // namespace desktop
