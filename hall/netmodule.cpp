#include "netmodule.h"
#include "linkshared.h"

extern "C" Q_DECL_EXPORT const hall::Network *partivakt_hall_network(int interfaceVersion, std::size_t configSize,
                                                                     std::size_t sharedSize)
{
    static const hall::Network network{hall::runMqttLink, hall::browseAvahi, hall::announceAvahi};
    if (interfaceVersion != hall::kNetworkInterfaceVersion || configSize != sizeof(hall::LinkConfig) ||
        sharedSize != sizeof(hall::LinkShared))
        return nullptr;
    return &network;
}
