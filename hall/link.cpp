#include "link.h"

#include "linkshared.h"
#include "network.h"

#include <QMetaObject>

#include <sys/eventfd.h>
#include <thread>

namespace hall {

Link::Link(const LinkConfig &config, QObject *parent) : QObject(parent), m_shared(std::make_shared<LinkShared>())
{
    m_shared->receiver = this;
    m_shared->wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_shared->report = [s = m_shared.get()](LinkStatus status, const QString &detail) {
        const std::lock_guard lock(s->mutex);
        if (s->receiver)
            QMetaObject::invokeMethod(
                s->receiver, [r = s->receiver, status, detail] { r->setStatus(status, detail); }, Qt::QueuedConnection);
    };
    // Only found here; loaded on the link's thread, so that joining never waits for the disk.
    networkModule();
    std::thread([shared = m_shared, config] {
        QString why;
        if (const Network *net = network(&why))
            net->runLink(shared, config);
        else
            shared->report(LinkStatus::Missing, why);
    }).detach();
}

Link::~Link()
{
    {
        const std::lock_guard handing(m_shared->receiving);
        m_shared->stop = true;
    }
    const std::lock_guard lock(m_shared->mutex);
    m_shared->receiver = nullptr;
    m_shared->stop = true;
    m_shared->poke();
}

void Link::publish(std::function<QByteArray()> message)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->pending = std::move(message);
    }
    m_shared->poke();
}

void Link::setStatus(LinkStatus status, const QString &detail)
{
    if (status == m_status && detail == m_detail)
        return;
    m_status = status;
    m_detail = detail;
    Q_EMIT statusChanged(status, detail);
}

} // namespace hall
