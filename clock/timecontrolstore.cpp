#include "timecontrolstore.h"

#include "toolkit/preferences.h"

#include <QSettings>

namespace gameclock {

namespace {

const QString kChosen = QStringLiteral("tidskontroll/valgt");
const QString kOwn = QStringLiteral("tidskontroll/egne");
const QString kName = QStringLiteral("navn");
const QString kRules = QStringLiteral("regler");

const QString kWhat = QStringLiteral("Tidskontrollen");

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

ChosenControl chosenControl()
{
    // A user who never kept a preference plays Klassisk.
    ChosenControl chosen{classicControl(), {}};
    toolkit::readPreferences([&chosen](QSettings &settings) {
        const QString name = settings.value(kChosen).toString();
        if (name.isEmpty())
            return;
        if (auto control = find(settings, name))
            chosen.control = *control;
        else
            chosen.note = QStringLiteral("Tidskontrollen «%1» finnes ikke lenger; Klassisk brukes.").arg(name.left(60));
    });
    return chosen;
}

QString chooseControl(const QString &name)
{
    return toolkit::keepPreferences(kWhat, [&name](QSettings &settings) { settings.setValue(kChosen, name); });
}

std::vector<TimeControl> ownControls()
{
    std::vector<TimeControl> own;
    toolkit::readPreferences([&own](QSettings &settings) { own = readOwn(settings); });
    return own;
}

QString keepOwnControl(const TimeControl &control)
{
    return toolkit::keepPreferences(kWhat, [&control](QSettings &settings) {
        std::vector<TimeControl> own = readOwn(settings);
        std::erase_if(own, [&control](const TimeControl &c) { return c.name == control.name; });
        own.push_back(control);
        writeOwn(settings, own);
    });
}

QString removeOwnControl(const QString &name)
{
    return toolkit::keepPreferences(kWhat, [&name](QSettings &settings) {
        std::vector<TimeControl> own = readOwn(settings);
        std::erase_if(own, [&name](const TimeControl &c) { return c.name == name; });
        writeOwn(settings, own);
        // The control chosen is gone with it: the next game is classic, as a new user's.
        if (settings.value(kChosen).toString() == name)
            settings.remove(kChosen);
    });
}

} // namespace gameclock
