#include "battery.h"

#include "systembus.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QThread>

namespace desktop {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");
const QString kPath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString kDevice = QStringLiteral("org.freedesktop.UPower.Device");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// UPower's device types and states, as far as they matter here.
constexpr uint kTypeBattery = 2;
constexpr uint kTypeUps = 3;
constexpr uint kStateDischarging = 2;
constexpr uint kStatePendingDischarge = 6;

} // namespace

BatteryMonitor::BatteryMonitor(QObject *parent) : QObject(parent) {}

BatteryMonitor::~BatteryMonitor()
{
    // The connector holds this object as the receiver of the signal it subscribes.
    if (m_connector)
        m_connector->wait();
}

void BatteryMonitor::start()
{
    if (m_started)
        return;
    m_started = true;
    m_connector = connectSystemBus(
        this,
        [this](QDBusConnection &bus) {
            bus.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                        SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        },
        [this](bool connected) {
            m_busReady = connected;
            m_known = !connected;
            if (!connected)
                return;
            // UPower restarted is asked again; UPower gone is the same as no battery.
            auto *watcher = new QDBusServiceWatcher(kService, QDBusConnection::systemBus(),
                                                    QDBusServiceWatcher::WatchForOwnerChange, this);
            connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &BatteryMonitor::fetchAll);
            connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
                m_properties.clear();
                update();
            });
            fetchAll();
        });
}

BatteryStatus BatteryMonitor::statusFrom(const QVariantMap &properties)
{
    BatteryStatus status;
    const uint type = properties.value(QStringLiteral("Type")).toUInt();
    status.present =
        properties.value(QStringLiteral("IsPresent")).toBool() && (type == kTypeBattery || type == kTypeUps);
    if (!status.present)
        return status;
    const uint state = properties.value(QStringLiteral("State")).toUInt();
    status.discharging = state == kStateDischarging || state == kStatePendingDischarge;
    status.percentage = properties.value(QStringLiteral("Percentage")).toDouble();
    status.secondsLeft = std::max<qint64>(0, properties.value(QStringLiteral("TimeToEmpty")).toLongLong());
    return status;
}

void BatteryMonitor::fetchAll()
{
    if (m_fetching) {
        m_fetchAgain = true;
        return;
    }
    m_fetching = true;
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("GetAll"));
    message << kDevice;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        m_fetching = false;
        const QDBusPendingReply<QVariantMap> reply = *w;
        // No UPower: the same as no battery.
        m_properties = reply.isError() ? QVariantMap() : reply.value();
        m_known = true;
        update();
        if (m_fetchAgain) {
            m_fetchAgain = false;
            fetchAll();
        }
    });
}

void BatteryMonitor::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                       const QStringList &invalidated)
{
    if (interface != kDevice || !m_busReady)
        return;
    for (auto it = changed.begin(); it != changed.end(); ++it)
        m_properties.insert(it.key(), it.value());
    if (!invalidated.isEmpty()) {
        // The new values were not sent along: ask for them.
        fetchAll();
        return;
    }
    update();
}

void BatteryMonitor::update()
{
    const BatteryStatus status = statusFrom(m_properties);
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged(m_status);
}

} // namespace desktop
