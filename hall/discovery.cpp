#include "discovery.h"

#include "network.h"

#include <QMetaObject>

namespace hall {

namespace {

// Reports from Avahi's thread as signals on the object's own thread. The object's destructor stops
// Avahi's thread first, and what was posted goes with the object.
template <typename Object, typename... Args>
std::function<void(Args...)> posted(Object *q, void (Object::*signal)(Args...))
{
    return [q, signal](Args... args) {
        QMetaObject::invokeMethod(
            q, [q, signal, args...] { (q->*signal)(args...); }, Qt::QueuedConnection);
    };
}

// The module's DNS-SD, or its absence said as unavailable.
DnsSd *start(QObject *q, DnsSdEvents events, const std::function<DnsSd *(const Network &, DnsSdEvents)> &run)
{
    QString why;
    if (const Network *net = network(&why))
        return run(*net, std::move(events));
    why[0] = why[0].toUpper();
    QMetaObject::invokeMethod(
        q, [unavailable = events.unavailable, why] { unavailable(why + QLatin1Char('.')); }, Qt::QueuedConnection);
    return nullptr;
}

} // namespace

struct HallFinder::Private {
    std::unique_ptr<DnsSd> avahi;
};

HallFinder::HallFinder(QObject *parent) : QObject(parent), d(new Private)
{
    DnsSdEvents events;
    events.found = posted(this, &HallFinder::found);
    events.lost = posted(this, &HallFinder::lost);
    events.unavailable = posted(this, &HallFinder::unavailable);
    d->avahi.reset(start(this, std::move(events), [](const Network &net, DnsSdEvents e) { return net.browse(e); }));
}

HallFinder::~HallFinder()
{
    delete d;
}

struct HallAnnouncer::Private {
    std::unique_ptr<DnsSd> avahi;
};

HallAnnouncer::HallAnnouncer(const QString &hall, int port, int webPort, QObject *parent)
    : QObject(parent), d(new Private)
{
    DnsSdEvents events;
    events.announced = posted(this, &HallAnnouncer::announced);
    events.unavailable = posted(this, &HallAnnouncer::unavailable);
    d->avahi.reset(start(this, std::move(events),
                         [&](const Network &net, DnsSdEvents e) { return net.announce(hall, port, webPort, e); }));
}

HallAnnouncer::~HallAnnouncer()
{
    delete d;
}

} // namespace hall
