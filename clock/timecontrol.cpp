#include "timecontrol.h"

#include <QRegularExpression>
#include <QStringList>

namespace gameclock {

namespace {

constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;

Stages suddenDeath(qint64 minutes, qint64 incrementSeconds, Bonus bonus = Bonus::Fischer)
{
    return {{minutes * kMinute, 0, incrementSeconds ? bonus : Bonus::None, incrementSeconds * kSecond}};
}

TimeControl same(const char *name, const Stages &stages)
{
    return {QString::fromUtf8(name), stages, stages};
}

const char kBonusLetters[] = {'N', 'F', 'B', 'D'};

QString stageText(const Stage &s)
{
    return QStringLiteral("%1/%2/%3/%4")
        .arg(s.baseMs)
        .arg(s.moves)
        .arg(QLatin1Char(kBonusLetters[int(s.bonus)]))
        .arg(s.bonusMs);
}

std::optional<Stages> parseStages(const QString &text)
{
    static const QRegularExpression stage(QStringLiteral("^(\\d{1,9})/(\\d{1,3})/([NFBD])/(\\d{1,9})$"));
    Stages stages;
    for (const QString &part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = stage.match(part);
        if (!m.hasMatch())
            return std::nullopt;
        const QChar letter = m.captured(3).front();
        int bonus = 0;
        while (QLatin1Char(kBonusLetters[bonus]) != letter)
            ++bonus;
        stages.push_back({m.captured(1).toLongLong(), m.captured(2).toInt(), Bonus(bonus), m.captured(4).toLongLong()});
    }
    return stages;
}

std::optional<QString> whyStagesInvalid(const Stages &stages, const QString &whose)
{
    if (stages.empty() || stages.size() > std::size_t(kMaxStages))
        return QStringLiteral("En tidskontroll har fra 1 til %1 faser%2.").arg(kMaxStages).arg(whose);
    for (std::size_t i = 0; i < stages.size(); ++i) {
        const Stage &s = stages[i];
        const QString stage = QStringLiteral("fase %1%2").arg(i + 1).arg(whose);
        const bool last = i + 1 == stages.size();
        if (s.baseMs < (i == 0 ? kSecond : 0) || s.baseMs > kMaxBaseMs)
            return QStringLiteral("Tiden i %1 skal være fra %2 til 9:59:59.")
                .arg(stage, i == 0 ? QStringLiteral("0:01") : QStringLiteral("0:00"));
        if (s.baseMs % kSecond != 0)
            return QStringLiteral("Tiden i %1 skal være hele sekunder.").arg(stage);
        if (last && s.moves != 0)
            return QStringLiteral("Den siste fasen (%1) gjelder resten av partiet og har ikke et antall trekk.")
                .arg(stage);
        if (!last && (s.moves < 1 || s.moves > kMaxStageMoves))
            return QStringLiteral("Antall trekk i %1 skal være fra 1 til %2.").arg(stage).arg(kMaxStageMoves);
        if (s.bonusMs < 0 || s.bonusMs > kMaxBonusMs || s.bonusMs % kSecond != 0)
            return QStringLiteral("Tillegget i %1 skal være fra 0 til %2 hele sekunder.")
                .arg(stage)
                .arg(kMaxBonusMs / kSecond);
    }
    return std::nullopt;
}

} // namespace

TimeControl classicControl()
{
    return {QStringLiteral("Klassisk"), {}, {}};
}

const std::vector<TimeControl> &presets()
{
    static const std::vector<TimeControl> table = [] {
        const Stages fide{{90 * kMinute, 40, Bonus::Fischer, 30 * kSecond},
                          {30 * kMinute, 0, Bonus::Fischer, 30 * kSecond}};
        return std::vector<TimeControl>{
            classicControl(),
            same("90/40 + 30 min, 30 s per trekk", fide),
            same("90 min + 30 s", suddenDeath(90, 30)),
            same("25 min + 10 s", suddenDeath(25, 10)),
            same("15 min + 10 s", suddenDeath(15, 10)),
            same("10 min + 5 s", suddenDeath(10, 5)),
            same("5 min + 3 s", suddenDeath(5, 3)),
            same("3 min + 2 s", suddenDeath(3, 2)),
            same("1 min", suddenDeath(1, 0)),
            same("5 min, Bronstein 3 s", suddenDeath(5, 3, Bonus::Bronstein)),
            same("5 min, forsinkelse 5 s", suddenDeath(5, 5, Bonus::Delay)),
            {QStringLiteral("Armageddon: A 5 min, B 4 min"), suddenDeath(5, 0), suddenDeath(4, 0)},
        };
    }();
    return table;
}

std::optional<TimeControl> presetNamed(const QString &name)
{
    for (const TimeControl &c : presets())
        if (c.name == name)
            return c;
    return std::nullopt;
}

std::optional<QString> whyInvalid(const TimeControl &control)
{
    if (control.classic())
        return control.b.empty() ? std::nullopt
                                 : std::optional<QString>(QStringLiteral("Spiller A mangler tidskontroll."));
    const bool odds = control.a != control.b;
    if (auto why = whyStagesInvalid(control.a, odds ? QStringLiteral(" for spiller A") : QString()))
        return why;
    return whyStagesInvalid(control.b, odds ? QStringLiteral(" for spiller B") : QString());
}

int stageAfter(const Stages &stages, int moves)
{
    int stage = 0;
    int boundary = 0;
    while (stage + 1 < int(stages.size()) && stages[stage].moves > 0) {
        boundary += stages[stage].moves;
        if (moves < boundary)
            break;
        ++stage;
    }
    return stage;
}

qint64 stageTimeAfter(const Stages &stages, int moves)
{
    qint64 added = 0;
    for (int s = 1; s <= stageAfter(stages, moves); ++s)
        added += stages[s].baseMs;
    return added;
}

qint64 startingTime(const Stages &stages)
{
    if (stages.empty())
        return 0;
    // As the tournament clocks do: the increment of move 1 is on the clock before it is played,
    // so that a first move is never played on the bare base time.
    const Stage &first = stages.front();
    return first.baseMs + (first.bonus == Bonus::Fischer ? first.bonusMs : 0);
}

QString rulesText(const TimeControl &control)
{
    const auto player = [](const Stages &stages) {
        QStringList parts;
        for (const Stage &s : stages)
            parts << stageText(s);
        return parts.join(QLatin1Char(' '));
    };
    return QStringLiteral("A ") + player(control.a) + QStringLiteral(" | B ") + player(control.b);
}

std::optional<TimeControl> parseRules(const QString &name, const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^A ([^|]*) \\| B ([^|]*)$"));
    const QRegularExpressionMatch m = whole.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const std::optional<Stages> a = parseStages(m.captured(1));
    const std::optional<Stages> b = parseStages(m.captured(2));
    if (!a || !b || a->empty())
        return std::nullopt;
    TimeControl control{name, *a, *b};
    if (whyInvalid(control))
        return std::nullopt;
    return control;
}

QString clockText(qint64 ms)
{
    ms = std::max<qint64>(ms, 0);
    if (ms >= 10 * kSecond)
        return durationText(ms);
    return durationText(ms) + QLatin1Char('.') + QString::number(ms % kSecond / 100);
}

std::optional<qint64> parseDuration(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,3}$"));
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    for (const QString &part : parts)
        if (!digits.match(part).hasMatch())
            return std::nullopt;
    // "90" is minutes; "1:30" minutes and seconds; "1:30:00" hours, minutes and seconds.
    qint64 total = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const qint64 value = parts[i].toLongLong();
        // Only the first part may exceed what a clock shows in its place.
        if (i > 0 && (value > 59 || parts[i].size() != 2))
            return std::nullopt;
        total = total * 60 + value;
    }
    return (parts.size() == 1 ? total * 60 : total) * kSecond;
}

QString durationText(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(ms, 0) / kSecond;
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace gameclock
