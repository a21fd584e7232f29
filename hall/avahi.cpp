#include "netmodule.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>

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

// One Avahi client on a threaded poll of its own; its callbacks report through events.
struct AvahiRun : DnsSd {
    DnsSdEvents events;
    AvahiThreadedPoll *poll = nullptr;
    AvahiClient *client = nullptr;
    AvahiServiceBrowser *browser = nullptr;
    // Announcing only.
    QByteArray name, hallTxt, webTxt;
    int port = 0;
    AvahiEntryGroup *group = nullptr;

    ~AvahiRun() override
    {
        if (!poll)
            return;
        // Stops the thread: nothing is reported after.
        avahi_threaded_poll_stop(poll);
        if (client)
            avahi_client_free(client);
        avahi_threaded_poll_free(poll);
    }

    // Starts the client; false, having told why, where no daemon answers.
    bool start(AvahiClientCallback changed)
    {
        poll = avahi_threaded_poll_new();
        int error = 0;
        if (poll)
            client = avahi_client_new(avahi_threaded_poll_get(poll), AvahiClientFlags(0), changed, this, &error);
        if (!client) {
            events.unavailable(noDaemon(error));
            return false;
        }
        return true;
    }
};

static void resolved(AvahiServiceResolver *r, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event, const char *name,
                     const char *, const char *, const char *, const AvahiAddress *address, uint16_t port,
                     AvahiStringList *txt, AvahiLookupResultFlags, void *data)
{
    auto *d = static_cast<AvahiRun *>(data);
    if (event == AVAHI_RESOLVER_FOUND) {
        char text[AVAHI_ADDRESS_STR_MAX];
        avahi_address_snprint(text, sizeof text, address);
        FoundHall found{QString::fromUtf8(name), txtValue(txt, "hall"), QString::fromUtf8(text), port};
        if (found.hall.isEmpty())
            found.hall = found.service;
        d->events.found(found);
    }
    avahi_service_resolver_free(r);
}

static void browsed(AvahiServiceBrowser *, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
                    const char *name, const char *type, const char *domain, AvahiLookupResultFlags, void *data)
{
    auto *d = static_cast<AvahiRun *>(data);
    if (event == AVAHI_BROWSER_NEW) {
        avahi_service_resolver_new(d->client, interface, protocol, name, type, domain, AVAHI_PROTO_INET,
                                   AvahiLookupFlags(0), resolved, d);
    } else if (event == AVAHI_BROWSER_REMOVE) {
        d->events.lost(QString::fromUtf8(name));
    }
}

static void finderClientChanged(AvahiClient *client, AvahiClientState state, void *data)
{
    auto *d = static_cast<AvahiRun *>(data);
    if (state == AVAHI_CLIENT_FAILURE)
        d->events.unavailable(noDaemon(avahi_client_errno(client)));
}

static void announce(AvahiRun *d, AvahiClient *client);

static void groupChanged(AvahiEntryGroup *, AvahiEntryGroupState state, void *data)
{
    auto *d = static_cast<AvahiRun *>(data);
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) {
        d->events.announced(QString::fromUtf8(d->name));
    } else if (state == AVAHI_ENTRY_GROUP_COLLISION) {
        // Another hall of the same name on the network: ours takes the next free one.
        char *next = avahi_alternative_service_name(d->name.constData());
        d->name = next;
        avahi_free(next);
        avahi_entry_group_reset(d->group);
        announce(d, d->client);
    }
}

static void announce(AvahiRun *d, AvahiClient *client)
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
    auto *d = static_cast<AvahiRun *>(data);
    if (state == AVAHI_CLIENT_S_RUNNING) {
        d->client = client;
        announce(d, client);
    } else if (state == AVAHI_CLIENT_FAILURE) {
        d->events.unavailable(noDaemon(avahi_client_errno(client)));
    } else if ((state == AVAHI_CLIENT_S_COLLISION || state == AVAHI_CLIENT_S_REGISTERING) && d->group) {
        avahi_entry_group_reset(d->group);
    }
}

DnsSd *browseAvahi(DnsSdEvents events)
{
    auto *d = new AvahiRun;
    d->events = std::move(events);
    if (d->start(finderClientChanged)) {
        d->browser = avahi_service_browser_new(d->client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, kServiceType, nullptr,
                                               AvahiLookupFlags(0), browsed, d);
        avahi_threaded_poll_start(d->poll);
    }
    return d;
}

DnsSd *announceAvahi(const QString &hall, int port, int webPort, DnsSdEvents events)
{
    auto *d = new AvahiRun;
    d->events = std::move(events);
    d->name = hall.toUtf8();
    d->hallTxt = "hall=" + hall.toUtf8();
    if (webPort)
        d->webTxt = "web=" + QByteArray::number(webPort);
    d->port = port;
    // The client is kept by the callback once the daemon runs; the group is made then.
    if (d->start(announcerClientChanged))
        avahi_threaded_poll_start(d->poll);
    return d;
}

} // namespace hall
