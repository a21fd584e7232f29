#include "linkshared.h"
#include "network.h"

#include "desktop/process.h"

#include <mutex>

namespace hall {

const QString &networkModule()
{
    static const QString module =
        desktop::locatePart(QStringLiteral(PARTIVAKT_NET_MODULE_FILE), QStringLiteral(PARTIVAKT_NET_BIN_TO_MODULE),
                            QStringLiteral(PARTIVAKT_NET_INSTALL_DIR), false);
    return module;
}

const Network *network(QString *why)
{
    static std::once_flag once;
    static const Network *loaded = nullptr;
    static QString failure;
    std::call_once(once, [] {
        const QString &module = networkModule();
        if (module.isEmpty()) {
            failure = QStringLiteral("nettverksmodulen partivakt-hall-net er ikke installert");
            return;
        }
        QString error;
        const auto entry = reinterpret_cast<NetworkEntry>(desktop::loadPart(module, kNetworkSymbol, &error));
        if (!error.isEmpty()) {
            failure = QStringLiteral("nettverksmodulen kan ikke lastes (%1)").arg(error);
            return;
        }
        loaded = entry ? entry(kNetworkInterfaceVersion, sizeof(LinkConfig), sizeof(LinkShared)) : nullptr;
        if (!loaded)
            failure = QStringLiteral("nettverksmodulen %1 hører til en annen utgave av Partivakt").arg(module);
    });
    if (!loaded && why)
        *why = failure;
    return loaded;
}

} // namespace hall
