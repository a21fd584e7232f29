#include "timecontrolstore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace gameclock {

namespace {

const QString kChosen = QStringLiteral("tidskontroll/valgt");
const QString kOwn = QStringLiteral("tidskontroll/egne");
const QString kName = QStringLiteral("navn");
const QString kRules = QStringLiteral("regler");

QString outcome(QSettings &settings)
{
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return {};
    return QStringLiteral("Tidskontrollen kan ikke lagres i %1.").arg(settings.fileName());
}

std::vector<TimeControl> readOwn(QSettings &settings)
{
    std::vector<TimeControl> own;
    const int count = settings.beginReadArray(kOwn);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        // One damaged entry costs that entry, not the others.
        if (auto control = parseRules(settings.value(kName).toString(), settings.value(kRules).toString()))
            own.push_back(*control);
    }
    settings.endArray();
    return own;
}

void writeOwn(QSettings &settings, const std::vector<TimeControl> &own)
{
    settings.remove(kOwn);
    settings.beginWriteArray(kOwn, int(own.size()));
    for (int i = 0; i < int(own.size()); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kName, own[std::size_t(i)].name);
        settings.setValue(kRules, rulesText(own[std::size_t(i)]));
    }
    settings.endArray();
}

std::optional<TimeControl> find(QSettings &settings, const QString &name)
{
    if (auto preset = presetNamed(name))
        return preset;
    for (const TimeControl &c : readOwn(settings))
        if (c.name == name)
            return c;
    return std::nullopt;
}

} // namespace

QString settingsFile()
{
    // Where QSettings keeps the user's preferences on this system, found without opening them.
    QString organization = QCoreApplication::organizationName();
    if (organization.isEmpty())
        organization = QStringLiteral("Unknown Organization");
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + organization +
           QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral(".conf");
}

ChosenControl chosenControl()
{
    // Opening the settings costs a start more than all the rest of the time rules: a user who never
    // kept a preference has no file, and plays Klassisk.
    if (!QFileInfo::exists(settingsFile()))
        return {classicControl(), {}};
    QSettings settings;
    const QString name = settings.value(kChosen).toString();
    if (name.isEmpty())
        return {classicControl(), {}};
    if (auto control = find(settings, name))
        return {*control, {}};
    return {classicControl(),
            QStringLiteral("Tidskontrollen «%1» finnes ikke lenger; Klassisk brukes.").arg(name.left(60))};
}

QString chooseControl(const QString &name)
{
    QSettings settings;
    settings.setValue(kChosen, name);
    return outcome(settings);
}

std::vector<TimeControl> ownControls()
{
    QSettings settings;
    return readOwn(settings);
}

QString keepOwnControl(const TimeControl &control)
{
    QSettings settings;
    std::vector<TimeControl> own = readOwn(settings);
    std::erase_if(own, [&control](const TimeControl &c) { return c.name == control.name; });
    own.push_back(control);
    writeOwn(settings, own);
    return outcome(settings);
}

QString removeOwnControl(const QString &name)
{
    QSettings settings;
    std::vector<TimeControl> own = readOwn(settings);
    std::erase_if(own, [&name](const TimeControl &c) { return c.name == name; });
    writeOwn(settings, own);
    // The control chosen is gone with it: the next game is classic, as a new user's.
    if (settings.value(kChosen).toString() == name)
        settings.remove(kChosen);
    return outcome(settings);
}

} // namespace gameclock
