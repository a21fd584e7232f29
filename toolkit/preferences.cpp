#include "preferences.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace toolkit {

QString preferencesFile()
{
    QString organization = QCoreApplication::organizationName();
    if (organization.isEmpty())
        organization = QStringLiteral("Unknown Organization");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + organization +
           QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral(".conf");
}

bool readPreferences(const std::function<void(QSettings &)> &read)
{
    // Opening the settings costs a start more than everything else it reads.
    if (!QFileInfo::exists(preferencesFile()))
        return false;
    QSettings settings;
    read(settings);
    return true;
}

QString keepPreferences(const QString &what, const std::function<void(QSettings &)> &write)
{
    QSettings settings;
    write(settings);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return {};
    return QStringLiteral("%1 kan ikke lagres i %2.").arg(what, settings.fileName());
}

} // namespace toolkit
