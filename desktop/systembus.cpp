#include "systembus.h"

#include <QObject>
#include <QThread>

namespace desktop {

QThread *connectSystemBus(QObject *receiver, std::function<void(QDBusConnection &bus)> subscribe,
                          std::function<void(bool connected)> ready)
{
    auto connected = std::make_shared<bool>(false);
    QThread *connector = QThread::create([connected, subscribe = std::move(subscribe)] {
        QDBusConnection bus = QDBusConnection::systemBus();
        *connected = bus.isConnected();
        if (*connected)
            subscribe(bus);
    });
    QObject::connect(connector, &QThread::finished, receiver,
                     [connected, ready = std::move(ready)] { ready(*connected); });
    QObject::connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connector->start();
    return connector;
}

} // namespace desktop
