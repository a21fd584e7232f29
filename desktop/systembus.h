#pragma once

#include <QDBusConnection>

#include <functional>

class QObject;
class QThread;

namespace desktop {

// Connects to the system bus on a thread of its own and runs subscribe there with the connection:
// saying hello to the bus and looking up a service's owner for a signal subscription both wait
// for the bus daemon, which must never hold up the clock. ready then runs on receiver's thread
// with whether the bus is there. The receiver must wait for the returned thread before it dies.
QThread *connectSystemBus(QObject *receiver, std::function<void(QDBusConnection &bus)> subscribe,
                          std::function<void(bool connected)> ready);

} // namespace desktop
