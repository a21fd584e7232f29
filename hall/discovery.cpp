#include "discovery.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>

#include <QMetaObject>

namespace hall {

namespace {

QString noDaemon(int error)
{
    return QStringLiteral("Finner ingen Avahi-tjeneste (%1): skriv maskin og port selv.")
        .arg(QString::fromUtf8(avahi_strerror(error)));
}

QString txtValue(AvahiStringList *txt, const char *key)
{
    AvahiStringList *entry = avahi_string_list_find(txt, key);
    char *k = nullptr, *v = nullptr;
    if (!entry || avahi_string_list_get_pair(entry, &k, &v, nullptr) < 0)
        return {};
    const QString value = QString::fromUtf8(v ? v : "");
    avahi_free(k);
    avahi_free(v);
    return value;
}

} // namespace

struct HallFinder::Private {
    HallFinder *q = nullptr;
    AvahiThreadedPoll *poll = nullptr;
    AvahiClient *client = nullptr;
    AvahiServiceBrowser *browser = nullptr;
};

static void resolved(AvahiServiceResolver *r, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event, const char *name,
                     const char *, const char *, const char *, const AvahiAddress *address, uint16_t port,
                     AvahiStringList *txt, AvahiLookupResultFlags, void *data)
{
    auto *d = static_cast<HallFinder::Private *>(data);
    if (event == AVAHI_RESOLVER_FOUND) {
        char text[AVAHI_ADDRESS_STR_MAX];
        avahi_address_snprint(text, sizeof text, address);
        FoundHall found{QString::fromUtf8(name), txtValue(txt, "hall"), QString::fromUtf8(text), port};
        if (found.hall.isEmpty())
            found.hall = found.service;
        QMetaObject::invokeMethod(
            d->q, [q = d->q, found] { Q_EMIT q->found(found); }, Qt::QueuedConnection);
    }
    avahi_service_resolver_free(r);
}

static void browsed(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                    const char *name, const char *type, const char *domain, AvahiLookupResultFlags, void *data)
{
    auto *d = static_cast<HallFinder::Private *>(data);
    if (event == AVAHI_BROWSER_NEW) {
        avahi_service_resolver_new(d->client, interface, protocol, name, type, domain, AVAHI_PROTO_INET,
                                   AvahiLookupFlags(0), resolved, d);
    } else if (event == AVAHI_BROWSER_REMOVE) {
        const QString service = QString::fromUtf8(name);
        QMetaObject::invokeMethod(
            d->q, [q = d->q, service] { Q_EMIT q->lost(service); }, Qt::QueuedConnection);
    }
}

static void finderClientChanged(AvahiClient *client, AvahiClientState state, void *data)
{
    auto *d = static_cast<HallFinder::Private *>(data);
    if (state == AVAHI_CLIENT_FAILURE) {
        const QString why = noDaemon(avahi_client_errno(client));
        QMetaObject::invokeMethod(
            d->q, [q = d->q, why] { Q_EMIT q->unavailable(why); }, Qt::QueuedConnection);
    }
}

HallFinder::HallFinder(QObject *parent) : QObject(parent), d(new Private)
{
    d->q = this;
    d->poll = avahi_threaded_poll_new();
    int error = 0;
    if (d->poll)
        d->client =
            avahi_client_new(avahi_threaded_poll_get(d->poll), AvahiClientFlags(0), finderClientChanged, d, &error);
    if (!d->client) {
        QMetaObject::invokeMethod(
            this, [this, why = noDaemon(error)] { Q_EMIT unavailable(why); }, Qt::QueuedConnection);
        return;
    }
    d->browser = avahi_service_browser_new(d->client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, kServiceType, nullptr,
                                           AvahiLookupFlags(0), browsed, d);
    avahi_threaded_poll_start(d->poll);
}

HallFinder::~HallFinder()
{
    if (d->poll) {
        // Stops the thread: the callbacks that post to this object end here.
        avahi_threaded_poll_stop(d->poll);
        if (d->client)
            avahi_client_free(d->client);
        avahi_threaded_poll_free(d->poll);
    }
    delete d;
}

struct HallAnnouncer::Private {
    HallAnnouncer *q = nullptr;
    QByteArray name, hallTxt, webTxt;
    int port = 0;
    AvahiThreadedPoll *poll = nullptr;
    AvahiClient *client = nullptr;
    AvahiEntryGroup *group = nullptr;
};

static void announce(HallAnnouncer::Private *d, AvahiClient *client);

static void groupChanged(AvahiEntryGroup *, AvahiEntryGroupState state, void *data)
{
    auto *d = static_cast<HallAnnouncer::Private *>(data);
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) {
        const QString service = QString::fromUtf8(d->name);
        QMetaObject::invokeMethod(
            d->q, [q = d->q, service] { Q_EMIT q->announced(service); }, Qt::QueuedConnection);
    } else if (state == AVAHI_ENTRY_GROUP_COLLISION) {
        // Another hall of the same name on the network: ours takes the next free one.
        char *next = avahi_alternative_service_name(d->name.constData());
        d->name = next;
        avahi_free(next);
        avahi_entry_group_reset(d->group);
        announce(d, d->client);
    }
}

static void announce(HallAnnouncer::Private *d, AvahiClient *client)
{
    if (!d->group)
        d->group = avahi_entry_group_new(client, groupChanged, d);
    if (!d->group)
        return;
    if (avahi_entry_group_add_service(d->group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                      d->name.constData(), kServiceType, nullptr, nullptr, uint16_t(d->port), "v=1",
                                      d->hallTxt.constData(), d->webTxt.isEmpty() ? nullptr : d->webTxt.constData(),
                                      nullptr) == 0)
        avahi_entry_group_commit(d->group);
}

static void announcerClientChanged(AvahiClient *client, AvahiClientState state, void *data)
{
    auto *d = static_cast<HallAnnouncer::Private *>(data);
    if (state == AVAHI_CLIENT_S_RUNNING) {
        d->client = client;
        announce(d, client);
    } else if (state == AVAHI_CLIENT_FAILURE) {
        const QString why = noDaemon(avahi_client_errno(client));
        QMetaObject::invokeMethod(
            d->q, [q = d->q, why] { Q_EMIT q->unavailable(why); }, Qt::QueuedConnection);
    } else if ((state == AVAHI_CLIENT_S_COLLISION || state == AVAHI_CLIENT_S_REGISTERING) && d->group) {
        avahi_entry_group_reset(d->group);
    }
}

HallAnnouncer::HallAnnouncer(const QString &hall, int port, int webPort, QObject *parent)
    : QObject(parent), d(new Private)
{
    d->q = this;
    d->name = hall.toUtf8();
    d->hallTxt = "hall=" + hall.toUtf8();
    if (webPort)
        d->webTxt = "web=" + QByteArray::number(webPort);
    d->port = port;
    d->poll = avahi_threaded_poll_new();
    int error = 0;
    AvahiClient *client = nullptr;
    if (d->poll)
        client =
            avahi_client_new(avahi_threaded_poll_get(d->poll), AvahiClientFlags(0), announcerClientChanged, d, &error);
    if (!client) {
        QMetaObject::invokeMethod(
            this, [this, why = noDaemon(error)] { Q_EMIT unavailable(why); }, Qt::QueuedConnection);
        return;
    }
    d->client = client;
    avahi_threaded_poll_start(d->poll);
}

HallAnnouncer::~HallAnnouncer()
{
    if (d->poll) {
        avahi_threaded_poll_stop(d->poll);
        if (d->client)
            avahi_client_free(d->client);
        avahi_threaded_poll_free(d->poll);
    }
    delete d;
}

} // namespace hall
