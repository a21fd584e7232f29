#include "preferences.h"

#include "toolkit/preferences.h"

#include <QSettings>

#include <algorithm>

namespace speech {

namespace {

const QString kAnnounce = QStringLiteral("speech/announce");
const QString kRate = QStringLiteral("speech/rate");

} // namespace

Preferences loadPreferences()
{
    Preferences p;
    toolkit::readPreferences([&p](QSettings &settings) {
        p.announce = settings.value(kAnnounce, p.announce).toBool();
        bool ok = false;
        const double rate = settings.value(kRate, p.rate).toDouble(&ok);
        if (ok)
            p.rate = std::clamp(rate, -1.0, 1.0);
    });
    return p;
}

QString savePreferences(const Preferences &preferences)
{
    return toolkit::keepPreferences(QStringLiteral("Innstillingene for tale"), [&preferences](QSettings &settings) {
        settings.setValue(kAnnounce, preferences.announce);
        settings.setValue(kRate, preferences.rate);
    });
}

} // namespace speech
