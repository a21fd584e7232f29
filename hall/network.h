#pragma once

#include "discovery.h"
#include "link.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

// The narrow interface to the hall's network module (partivakt-hall-net), the only part of the
// programs linked with libmosquitto and Avahi, and through them with OpenSSL: loaded when a clock
// first joins or looks for a hall, so that a clock that never does maps none of it.
namespace hall {

struct LinkShared;

// What DNS-SD reports, on Avahi's thread, until its handle is deleted.
struct DnsSdEvents {
    std::function<void(const FoundHall &hall)> found;
    std::function<void(const QString &service)> lost;      // a hall found before is gone
    std::function<void(const QString &service)> announced; // our hall is on the network
    std::function<void(const QString &why)> unavailable;   // no daemon: why, in Norwegian
};

// Browsing or announcing; deleting it stops Avahi's thread, after which nothing is reported.
class DnsSd {
public:
    virtual ~DnsSd() = default;
};

struct Network {
    // The MQTT link's whole life, on the calling thread, until shared says stop.
    void (*runLink)(std::shared_ptr<LinkShared> shared, LinkConfig config);
    DnsSd *(*browse)(DnsSdEvents events);
    DnsSd *(*announce)(const QString &hall, int port, int webPort, DnsSdEvents events);
};

// The module's one exported function: its network, or null when it was built for another version
// of this interface.
using NetworkEntry = const Network *(*)(int interfaceVersion, std::size_t configSize, std::size_t sharedSize);
inline constexpr char kNetworkSymbol[] = "partivakt_hall_network";
inline constexpr int kNetworkInterfaceVersion = 1;

// Where the module is (beside the program, or where it was installed); empty when there is none.
// Found once, on the first call: make that on the program's main thread.
const QString &networkModule();
// The module, loaded on the first call from any thread and kept; null, with why in Norwegian, when
// it is missing or does not fit.
const Network *network(QString *why = nullptr);

} // namespace hall
