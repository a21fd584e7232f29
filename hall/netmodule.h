#pragma once

#include "network.h"

// Inside the network module: what its exported Network points to.
namespace hall {

void runMqttLink(std::shared_ptr<LinkShared> shared, LinkConfig config);
DnsSd *browseAvahi(DnsSdEvents events);
DnsSd *announceAvahi(const QString &hall, int port, int webPort, DnsSdEvents events);

} // namespace hall
