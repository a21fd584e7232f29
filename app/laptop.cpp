#include "laptop.h"

#include "clock/frmhoved.h"
#include "desktop/battery.h"
#include "desktop/sleepwatch.h"
#include "toolkit/timer.h"

#include <QPointer>

#include <cmath>

namespace app {

namespace {

// Warn while there is still time to find a socket and finish the game.
constexpr int kLowPercent = 15;
constexpr qint64 kLowSeconds = 30 * 60;
// From here on the battery may die at any moment.
constexpr int kCriticalPercent = 5;

} // namespace

QString batteryWarning(const desktop::BatteryStatus &status)
{
    if (!status.present || !status.discharging)
        return {};
    // The percentage shown is the one compared, so that the text never contradicts the warning.
    const int percent = int(std::lround(status.percentage));
    const bool fewMinutes = status.secondsLeft > 0 && status.secondsLeft < kLowSeconds;
    if (percent > kLowPercent && !fewMinutes)
        return {};
    QString text;
    if (percent > kLowPercent) {
        // A worn battery: plenty of percent, little time. Say why the warning comes.
        const qint64 minutes = std::max<qint64>(1, status.secondsLeft / 60);
        text = QStringLiteral("Lavt batteri: %1 % igjen, omtrent %2 %3 – koble til strøm.")
                   .arg(percent)
                   .arg(minutes)
                   .arg(minutes == 1 ? QStringLiteral("minutt") : QStringLiteral("minutter"));
    } else {
        text = QStringLiteral("Lavt batteri: %1 % igjen – koble til strøm.").arg(percent);
    }
    if (percent <= kCriticalPercent)
        text += QStringLiteral(" Spillet lagres hvert sekund i Sikkerhetskopi.sur.");
    return text;
}

void followTheMachine(gameclock::frmhoved &main)
{
    auto *sleep = new desktop::SleepWatch(&main);
    auto *battery = new desktop::BatteryMonitor(&main);
    const QPointer<toolkit::Timer> tida = main.tida;
    const QPointer<toolkit::Timer> tidb = main.tidb;
    const auto follow = [sleep, battery, tida, tidb] {
        const bool running = (tida && tida->isActive()) || (tidb && tidb->isActive());
        // Sleep is held off only for as long as pausing the game needs, and only while a clock runs.
        sleep->setInhibited(running);
        if (running)
            battery->start();
    };
    QObject::connect(main.tida, &toolkit::Timer::activeChanged, sleep, follow);
    QObject::connect(main.tidb, &toolkit::Timer::activeChanged, sleep, follow);
    QObject::connect(sleep, &desktop::SleepWatch::aboutToSleep, &main, [&main] { main.pauseForSleep(); });
    QObject::connect(battery, &desktop::BatteryMonitor::statusChanged, &main,
                     [&main](const desktop::BatteryStatus &status) {
                         main.setLasting(gameclock::frmhoved::Lasting::Battery, batteryWarning(status));
                     });
    follow();
}

} // namespace app
