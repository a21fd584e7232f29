#include "countdownfile.h"

#include <QRegularExpression>

namespace gameclock {

namespace {

const QString kHeader = QStringLiteral("Partivakt nedtelling 1");
const QString kHeaderStart = QStringLiteral("Partivakt nedtelling");
const QString kEnd = QStringLiteral("slutt");
// The keys in the order the lines come, between the header and the end.
const QString kKeys[] = {QStringLiteral("kontroll"), QStringLiteral("regler"), QStringLiteral("igjen"),
                         QStringLiteral("brukt"),    QStringLiteral("trekk"),  QStringLiteral("faser"),
                         QStringLiteral("tur"),      QStringLiteral("klaffer")};
constexpr int kKeyCount = int(std::size(kKeys));
constexpr int kMaxNameLength = 200;

QString pair(qint64 a, qint64 b)
{
    return QStringLiteral("%1 %2").arg(a).arg(b);
}

// Two whole numbers, each of at most `digits` digits.
std::optional<std::array<qint64, 2>> readPair(const QString &text, int digits)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+) (\\d+)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || m.capturedLength(1) > digits || m.capturedLength(2) > digits)
        return std::nullopt;
    return std::array<qint64, 2>{m.captured(1).toLongLong(), m.captured(2).toLongLong()};
}

CountdownRead damaged(const QString &reason)
{
    CountdownRead read;
    read.kind = CountdownRead::Kind::Damaged;
    read.reason = reason;
    return read;
}

} // namespace

ClassicView classicView(const CountdownState &state)
{
    // A classic reader counts up to the limit: the limit is the whole minutes that hold both
    // players' time left, and each player's time used is the rest of it, so that the time left
    // reads the same to the second and the flag falls where it would.
    const qint64 leftA = state.leftMs[kA] / 1000;
    const qint64 leftB = state.leftMs[kB] / 1000;
    const qint64 limit = std::max<qint64>(1, (std::max(leftA, leftB) + 59) / 60);
    const qint64 usedA = limit * 60 - leftA;
    const qint64 usedB = limit * 60 - leftB;
    const auto text = [](qint64 n) { return QString::number(n); };
    return {text(usedA / 60), text(usedA % 60), text(usedB / 60), text(usedB % 60), text(limit)};
}

QStringList countdownLines(const TimeControl &control, const CountdownState &state)
{
    // A name is one line of the file: line breaks in it would shift every later line.
    QString name = control.name.left(kMaxNameLength);
    name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString values[kKeyCount] = {
        name,
        rulesText(control),
        pair(state.leftMs[kA], state.leftMs[kB]),
        QString::number(state.usedMs),
        pair(state.moves[kA], state.moves[kB]),
        pair(state.stages[kA], state.stages[kB]),
        state.turn == kA ? QStringLiteral("A") : QStringLiteral("B"),
        pair(state.fellAs[kA], state.fellAs[kB]),
    };
    QStringList lines{kHeader};
    for (int i = 0; i < kKeyCount; ++i)
        lines << kKeys[i] + QLatin1Char('=') + values[i];
    lines << kEnd;
    return lines;
}

CountdownRead readCountdownLines(const QStringList &further)
{
    CountdownRead read;
    if (further.isEmpty())
        return read;
    if (!further.front().startsWith(kHeaderStart)) {
        read.kind = CountdownRead::Kind::Unknown;
        return read;
    }
    if (further.front() != kHeader)
        return damaged(QStringLiteral("Linje 8 sier «%1», en nedtelling denne versjonen ikke kjenner.")
                           .arg(further.front().left(60)));
    QString values[kKeyCount];
    for (int i = 0; i < kKeyCount; ++i) {
        const int index = i + 1;
        const int lineNumber = 8 + index;
        if (index >= further.size())
            return damaged(
                QStringLiteral("Filen slutter ved linje %1; nedtellingen er ikke hel.").arg(7 + further.size()));
        const QString prefix = kKeys[i] + QLatin1Char('=');
        if (!further[index].startsWith(prefix))
            return damaged(QStringLiteral("Linje %1 skulle begynne med «%2».").arg(lineNumber).arg(prefix));
        values[i] = further[index].mid(prefix.size());
    }
    if (further.size() <= kKeyCount + 1 || further[kKeyCount + 1] != kEnd)
        return damaged(
            QStringLiteral("Linje %1 skulle være «%2»; nedtellingen er ikke hel.").arg(9 + kKeyCount).arg(kEnd));

    const auto bad = [](int i) {
        return damaged(QStringLiteral("Linje %1 («%2») kan ikke leses.").arg(9 + i).arg(kKeys[i]));
    };
    if (values[0].trimmed().isEmpty() || values[0].size() > kMaxNameLength)
        return bad(0);
    const std::optional<TimeControl> control = parseRules(values[0], values[1]);
    if (!control)
        return bad(1);
    const auto left = readPair(values[2], 13);
    if (!left)
        return bad(2);
    static const QRegularExpression number(QStringLiteral("^\\d{1,13}$"));
    if (!number.match(values[3]).hasMatch())
        return bad(3);
    const auto moves = readPair(values[4], 5);
    if (!moves)
        return bad(4);
    const auto stages = readPair(values[5], 1);
    if (!stages)
        return bad(5);
    if (values[6] != QLatin1String("A") && values[6] != QLatin1String("B"))
        return bad(6);
    const auto fell = readPair(values[7], 1);
    if (!fell)
        return bad(7);

    read.control = *control;
    read.state.leftMs = *left;
    read.state.usedMs = values[3].toLongLong();
    read.state.moves = {int((*moves)[0]), int((*moves)[1])};
    read.state.stages = {int((*stages)[0]), int((*stages)[1])};
    read.state.turn = values[6] == QLatin1String("A") ? kA : kB;
    read.state.fellAs = {int((*fell)[0]), int((*fell)[1])};
    if (const std::optional<QString> why = Countdown::whyNot(read.control, read.state))
        return damaged(*why);
    read.kind = CountdownRead::Kind::Countdown;
    return read;
}

} // namespace gameclock
