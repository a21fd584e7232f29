#pragma once

#include <QObject>

class QSocketNotifier;

namespace desktop {

// Turns the signals that ask a program to end (SIGTERM at logout or shutdown, SIGHUP when its
// terminal goes, SIGINT from Ctrl+C) into a Qt signal on the thread that created this object, so
// that the program can finish its work first. The signal handler only writes the signal's number
// into a socket that the event loop watches. One instance at a time; its destruction restores the
// default actions.
class EndRequests : public QObject {
    Q_OBJECT
public:
    explicit EndRequests(QObject *parent = nullptr);
    ~EndRequests() override;

    // Whether the handlers are in place.
    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void requested(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace desktop
