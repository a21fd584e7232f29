#pragma once

#include "hall/boardstate.h"
#include "hall/message.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace hall {

// The monotonic clock, which every process of the machine shares.
qint64 monotonicNs();
inline qint64 monotonicMs()
{
    return monotonicNs() / 1000000;
}

// A board as it came off the network, and when.
struct Arrival {
    BoardState state;
    qint64 receivedNs = 0; // monotonicNs()
    qint64 receivedMs() const { return receivedNs / 1000000; }
};

// The latest arrival of each board since the last take: a board that changed twice meanwhile is
// taken once, as it stands. Safe from any thread.
class Coalescer {
public:
    // Returns true when this is the first arrival since the last take: the reader is to be told.
    bool put(const Arrival &arrival);
    // In the order the boards first arrived.
    std::vector<Arrival> take();

private:
    std::mutex m_mutex;
    std::vector<Arrival> m_pending;
    std::vector<int> m_slot = std::vector<int>(kMaxBoard + 1, -1); // board -> index in m_pending
};

// The hall read off the network: every message decoded on the link's thread where it arrives, so
// that a thousand boards never keep the window's thread from drawing. The window takes the boards
// that changed, the latest of each; a second reader (the spectators' page) is handed every board as
// it comes, on the link's thread.
class HallFeed : public QObject {
    Q_OBJECT
public:
    explicit HallFeed(const QString &hall, QObject *parent = nullptr);

    // For LinkConfig::receive: runs on the link's thread.
    void receive(const QString &topic, const QByteArray &payload);
    // The boards that changed since the last call.
    std::vector<Arrival> take() { return m_boards.take(); }
    // The dropped messages, counted by kind.
    RejectCounts rejects() const;
    // Called on the link's thread for every board taken, and with none for a message dropped; with
    // the count of messages dropped so far. Set before the link starts.
    void setForward(std::function<void(const Arrival *, quint64 dropped)> forward) { m_forward = std::move(forward); }

Q_SIGNALS:
    // Boards wait in take(): one signal however many came meanwhile.
    void arrived();
    void rejectsChanged();

private:
    const QString m_hall;
    Coalescer m_boards;
    mutable std::mutex m_rejectMutex;
    RejectCounts m_rejects;
    std::atomic<bool> m_rejectsPosted{false};
    std::function<void(const Arrival *, quint64)> m_forward;
};

// Runs an action at most once an interval, and at the latest an interval after it was asked for:
// at once when it last ran long enough ago, else when the interval is over. Under load the reader
// takes many boards at a time; a quiet hall's one board goes through at once.
class Pacer : public QObject {
    Q_OBJECT
public:
    Pacer(int intervalMs, std::function<void()> action, QObject *parent = nullptr);
    // On the pacer's thread.
    void poke();

private:
    void run();

    const int m_interval;
    std::function<void()> m_action;
    qint64 m_last = -1;
    QTimer m_later;
};

} // namespace hall
