#include "countdownfile.h"

#include "gamefiles/linefiles.h"

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

const QString kRecordHeader = QStringLiteral("trekktider 1");
const QString kRecordStart = QStringLiteral("trekktider");
const QString kRecordEnd = QStringLiteral("trekktider slutt");
// What a game file holds after the seventh line: the state's lines, then the record between its two.
constexpr int kStateLines = kKeyCount + 2;
constexpr int kMaxRecordedMoves = gamefiles::kMaxFurtherLines - kStateLines - 2;
static_assert(kMaxRecordedMoves >= 1000, "a long game's record must fit in its file");

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

QString recordLine(const MoveRecord &move)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(move.player == Player::A ? QLatin1Char('A') : QLatin1Char('B'))
        .arg(move.number)
        .arg(move.usedMs)
        .arg(move.leftMs)
        .arg(move.pauses);
}

std::optional<MoveRecord> readRecordLine(const QString &line)
{
    // The classic clock's time left runs below zero; it is kept the same way here.
    static const QRegularExpression form(QStringLiteral("^([AB]) (\\d{1,5}) (\\d{1,13}) (-?\\d{1,13}) (\\d{1,5})$"));
    const QRegularExpressionMatch m = form.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    return MoveRecord{m.captured(1) == QLatin1String("A") ? Player::A : Player::B, m.captured(2).toInt(),
                      m.captured(3).toLongLong(), m.captured(4).toLongLong(), m.captured(5).toInt()};
}

// The record after the state's lines, from further[from] on. Anything wrong in it costs the record,
// never the game.
void readRecord(const QStringList &further, qsizetype from, CountdownRead &read)
{
    // Nothing, or lines of a kind this version does not write: no record.
    if (from >= further.size() || !further[from].startsWith(kRecordStart))
        return;
    const QString without = QStringLiteral("; partiet er åpnet uten dem.");
    if (further[from] != kRecordHeader) {
        read.recordNote = QStringLiteral("Trekktidene i filen er skrevet av en annen versjon av Partivakt") + without;
        return;
    }
    MoveRecords records;
    for (qsizetype i = from + 1; i < further.size(); ++i) {
        if (further[i] == kRecordEnd) {
            read.records = std::move(records);
            return;
        }
        const std::optional<MoveRecord> move = readRecordLine(further[i]);
        if (!move) {
            read.recordNote = QStringLiteral("Trekktidene i filen kan ikke leses (linje %1)").arg(8 + i) + without;
            return;
        }
        records.push_back(*move);
    }
    read.recordNote =
        QStringLiteral("Trekktidene i filen er ikke hele (filen slutter ved linje %1)").arg(7 + further.size()) +
        without;
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
    const qint64 leftA = state.leftMs[0] / 1000;
    const qint64 leftB = state.leftMs[1] / 1000;
    const qint64 limit = std::max<qint64>(1, (std::max(leftA, leftB) + 59) / 60);
    const qint64 usedA = limit * 60 - leftA;
    const qint64 usedB = limit * 60 - leftB;
    const auto text = [](qint64 n) { return QString::number(n); };
    return {text(usedA / 60), text(usedA % 60), text(usedB / 60), text(usedB % 60), text(limit)};
}

QStringList countdownLines(const TimeControl &control, const CountdownState &state, const MoveRecords &records)
{
    // A name is one line of the file: line breaks in it would shift every later line.
    QString name = control.name.left(kMaxControlNameLength);
    name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString values[kKeyCount] = {
        name,
        rulesText(control),
        pair(state.leftMs[0], state.leftMs[1]),
        QString::number(state.usedMs),
        pair(state.moves[0], state.moves[1]),
        pair(state.stages[0], state.stages[1]),
        state.turn == Player::A ? QStringLiteral("A") : QStringLiteral("B"),
        pair(state.fellAs[0], state.fellAs[1]),
    };
    QStringList lines{kHeader};
    for (int i = 0; i < kKeyCount; ++i)
        lines << kKeys[i] + QLatin1Char('=') + values[i];
    lines << kEnd;
    // A game with no move yet writes exactly what a file held before there was a record.
    if (records.empty())
        return lines;
    lines << kRecordHeader;
    const std::size_t skipped =
        records.size() > std::size_t(kMaxRecordedMoves) ? records.size() - kMaxRecordedMoves : 0;
    for (auto move = records.begin() + qsizetype(skipped); move != records.end(); ++move)
        lines << recordLine(*move);
    lines << kRecordEnd;
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
    if (values[0].trimmed().isEmpty() || values[0].size() > kMaxControlNameLength)
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
    read.state.turn = values[6] == QLatin1String("A") ? Player::A : Player::B;
    read.state.fellAs = {int((*fell)[0]), int((*fell)[1])};
    if (const std::optional<QString> why = Countdown::whyNot(read.control, read.state))
        return damaged(*why);
    read.kind = CountdownRead::Kind::Countdown;
    readRecord(further, kStateLines, read);
    return read;
}

} // namespace gameclock
