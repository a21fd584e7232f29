#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantMap>

class QThread;

namespace desktop {

// The machine's battery as a whole, as UPower's display device reports it.
struct BatteryStatus {
    // A battery (or a UPS) is there at all.
    bool present = false;
    // The machine runs on it and it is being drained.
    bool discharging = false;
    double percentage = 0;
    // Estimated seconds until it is empty; 0 when unknown.
    qint64 secondsLeft = 0;

    friend bool operator==(const BatteryStatus &, const BatteryStatus &) = default;
};

// Follows the battery through UPower on the system bus: the display device's properties once, then
// every change it announces. The system bus is first touched by start(); every call is
// asynchronous. Without UPower or without a battery the status says no battery.
class BatteryMonitor : public QObject {
    Q_OBJECT
public:
    explicit BatteryMonitor(QObject *parent = nullptr);
    ~BatteryMonitor() override;

    // Idempotent.
    void start();
    bool isStarted() const { return m_started; }
    // Whether UPower has answered (or is known to be absent) since start().
    bool isKnown() const { return m_known; }
    BatteryStatus status() const { return m_status; }

    // The status that a set of the display device's properties describes.
    static BatteryStatus statusFrom(const QVariantMap &properties);

Q_SIGNALS:
    void statusChanged(const desktop::BatteryStatus &status);

private Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void fetchAll();
    void update();

    bool m_started = false;
    bool m_busReady = false;
    bool m_fetching = false;
    bool m_fetchAgain = false;
    bool m_known = false;
    QVariantMap m_properties;
    BatteryStatus m_status;
    QPointer<QThread> m_connector;
};

} // namespace desktop
