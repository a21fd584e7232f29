#include "feed.h"

#include <QMetaObject>

#include <ctime>

namespace hall {

qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool Coalescer::put(const Arrival &arrival)
{
    const int board = arrival.state.board;
    if (board < 1 || board > kMaxBoard)
        return false;
    const std::lock_guard lock(m_mutex);
    int &slot = m_slot[std::size_t(board)];
    if (slot >= 0) {
        m_pending[std::size_t(slot)] = arrival;
        return false;
    }
    slot = int(m_pending.size());
    m_pending.push_back(arrival);
    return m_pending.size() == 1;
}

std::vector<Arrival> Coalescer::take()
{
    std::vector<Arrival> taken;
    const std::lock_guard lock(m_mutex);
    taken.swap(m_pending);
    for (const Arrival &a : taken)
        m_slot[std::size_t(a.state.board)] = -1;
    return taken;
}

HallFeed::HallFeed(const QString &hall, QObject *parent) : QObject(parent), m_hall(hall) {}

void HallFeed::receive(const QString &topic, const QByteArray &payload)
{
    const qint64 now = monotonicNs();
    Decoded d = decode(topic, payload, m_hall);
    if (!d.state) {
        quint64 dropped;
        {
            const std::lock_guard lock(m_rejectMutex);
            m_rejects.add(d.reason);
            dropped = m_rejects.total();
        }
        // A flood of bad messages is one signal at a time, not one each.
        if (!m_rejectsPosted.exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_rejectsPosted = false;
                    Q_EMIT rejectsChanged();
                },
                Qt::QueuedConnection);
        if (m_forward)
            m_forward(nullptr, dropped);
        return;
    }
    const Arrival arrival{std::move(*d.state), now};
    if (m_boards.put(arrival))
        QMetaObject::invokeMethod(this, &HallFeed::arrived, Qt::QueuedConnection);
    if (m_forward)
        m_forward(&arrival, rejects().total());
}

RejectCounts HallFeed::rejects() const
{
    const std::lock_guard lock(m_rejectMutex);
    return m_rejects;
}

Pacer::Pacer(int intervalMs, std::function<void()> action, QObject *parent)
    : QObject(parent), m_interval(intervalMs), m_action(std::move(action)), m_later(this)
{
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &Pacer::run);
}

void Pacer::poke()
{
    if (m_later.isActive())
        return;
    const qint64 since = m_last < 0 ? m_interval : monotonicMs() - m_last;
    if (since >= m_interval)
        run();
    else
        m_later.start(int(m_interval - since));
}

void Pacer::run()
{
    m_last = monotonicMs();
    m_action();
}

} // namespace hall
