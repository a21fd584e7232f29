#include "message.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace hall {

namespace {

const QLatin1String kRoot("partivakt");

QString sideText(Side side)
{
    switch (side) {
    case Side::A:
        return QStringLiteral("A");
    case Side::B:
        return QStringLiteral("B");
    case Side::None:
        break;
    }
    return {};
}

const char *phaseText(GamePhase phase)
{
    switch (phase) {
    case GamePhase::Running:
        return "running";
    case GamePhase::Paused:
        return "paused";
    case GamePhase::SetUp:
        break;
    }
    return "setup";
}

QJsonObject sideObject(const SideState &side)
{
    return {{QStringLiteral("name"), side.name},
            {QStringLiteral("leftMs"), double(side.leftMs)},
            {QStringLiteral("moves"), side.moves ? QJsonValue(*side.moves) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("flag"), side.flag}};
}

// A reading that stops at the first field it cannot vouch for.
struct Reader {
    QString failed;

    bool fail(const QString &field)
    {
        if (failed.isEmpty())
            failed = field;
        return false;
    }

    std::optional<qint64> integer(const QJsonObject &o, const char *key, qint64 low, qint64 high)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        const double d = v.toDouble();
        if (!v.isDouble() || !std::isfinite(d) || d != std::floor(d) || d < double(low) || d > double(high)) {
            fail(QLatin1String(key));
            return std::nullopt;
        }
        return qint64(d);
    }

    std::optional<QString> text(const QJsonObject &o, const char *key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isString() || v.toString().size() > kMaxTextLength) {
            fail(QLatin1String(key));
            return std::nullopt;
        }
        return v.toString();
    }

    std::optional<Side> side(const QJsonValue &v, const char *key, bool noneAllowed)
    {
        if (noneAllowed && v.isNull())
            return Side::None;
        if (v == QLatin1String("A"))
            return Side::A;
        if (v == QLatin1String("B"))
            return Side::B;
        fail(QLatin1String(key));
        return std::nullopt;
    }

    std::optional<SideState> player(const QJsonObject &o, const char *key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isObject()) {
            fail(QLatin1String(key));
            return std::nullopt;
        }
        const QJsonObject p = v.toObject();
        SideState s;
        const auto name = text(p, "name");
        const auto left = integer(p, "leftMs", -kMaxTimeMs, kMaxTimeMs);
        const auto flag = integer(p, "flag", 0, 2);
        if (!name || !left || !flag)
            return std::nullopt;
        s.name = *name;
        s.leftMs = *left;
        s.flag = int(*flag);
        if (!p.value(QLatin1String("moves")).isNull()) {
            const auto moves = integer(p, "moves", 0, kMaxMoves);
            if (!moves)
                return std::nullopt;
            s.moves = int(*moves);
        }
        return s;
    }
};

Decoded refused(Reject reason, const QString &detail = {})
{
    return {std::nullopt, reason, detail};
}

} // namespace

bool validHallName(const QString &name)
{
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_-]{1,40}$"));
    return allowed.match(name).hasMatch();
}

QString boardTopic(const QString &hall, int board)
{
    return QStringLiteral("%1/%2/board/%3").arg(kRoot, hall).arg(board);
}

QString hallFilter(const QString &hall)
{
    return QStringLiteral("%1/%2/board/+").arg(kRoot, hall);
}

QByteArray encode(const BoardState &s)
{
    if (s.gone)
        return goneMessage(s.hall, s.board);
    QJsonObject o{{QStringLiteral("v"), kVersion},
                  {QStringLiteral("hall"), s.hall},
                  {QStringLiteral("board"), s.board},
                  {QStringLiteral("seq"), double(s.seq)},
                  {QStringLiteral("phase"), QLatin1String(phaseText(s.phase))},
                  {QStringLiteral("toMove"), s.toMove == Side::None ? QJsonValue() : QJsonValue(sideText(s.toMove))},
                  {QStringLiteral("control"), s.control},
                  {QStringLiteral("a"), sideObject(s.a)},
                  {QStringLiteral("b"), sideObject(s.b)}};
    o.insert(QStringLiteral("last"), s.lastPlayer == Side::None
                                         ? QJsonValue()
                                         : QJsonObject{{QStringLiteral("player"), sideText(s.lastPlayer)},
                                                       {QStringLiteral("ms"), double(s.lastMoveMs)}});
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray goneMessage(const QString &hall, int board)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("v"), kVersion},
                                     {QStringLiteral("hall"), hall},
                                     {QStringLiteral("board"), board},
                                     {QStringLiteral("gone"), true}})
        .toJson(QJsonDocument::Compact);
}

QString rejectText(Reject reason)
{
    switch (reason) {
    case Reject::NotJson:
        return QStringLiteral("ikke JSON");
    case Reject::TooLarge:
        return QStringLiteral("for stor");
    case Reject::UnknownVersion:
        return QStringLiteral("ukjent versjon");
    case Reject::OtherHall:
        return QStringLiteral("annen sal");
    case Reject::Absurd:
        break;
    }
    return QStringLiteral("urimelige verdier");
}

Decoded decode(const QString &topic, const QByteArray &payload, const QString &hall)
{
    if (payload.size() > kMaxMessageBytes)
        return refused(Reject::TooLarge);
    const QStringList parts = topic.split(QLatin1Char('/'));
    if (parts.size() != 4 || parts[0] != kRoot || parts[2] != QLatin1String("board"))
        return refused(Reject::OtherHall, QStringLiteral("topic"));
    if (parts[1] != hall)
        return refused(Reject::OtherHall, QStringLiteral("topic"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return refused(Reject::NotJson, error.errorString());
    const QJsonObject o = document.object();
    const QJsonValue version = o.value(QLatin1String("v"));
    if (!version.isDouble() || version.toDouble() != kVersion)
        return refused(Reject::UnknownVersion);
    if (o.value(QLatin1String("hall")) != hall)
        return refused(Reject::OtherHall, QStringLiteral("hall"));

    Reader r;
    BoardState s;
    s.hall = hall;
    const auto board = r.integer(o, "board", 1, kMaxBoard);
    if (!board || QString::number(*board) != parts[3])
        return refused(Reject::Absurd, QStringLiteral("board"));
    s.board = int(*board);
    const QJsonValue gone = o.value(QLatin1String("gone"));
    if (gone == true) {
        s.gone = true;
        return {s, {}, {}};
    }
    if (!gone.isUndefined() && gone != false)
        return refused(Reject::Absurd, QStringLiteral("gone"));

    const auto seq = r.integer(o, "seq", 0, kMaxSeq);
    const auto control = r.text(o, "control");
    const auto a = r.player(o, "a");
    const auto b = r.player(o, "b");
    const auto toMove = r.side(o.value(QLatin1String("toMove")), "toMove", true);
    const QJsonValue phase = o.value(QLatin1String("phase"));
    if (phase == QLatin1String("running"))
        s.phase = GamePhase::Running;
    else if (phase == QLatin1String("paused"))
        s.phase = GamePhase::Paused;
    else if (phase != QLatin1String("setup"))
        r.fail(QStringLiteral("phase"));
    const QJsonValue last = o.value(QLatin1String("last"));
    if (last.isObject()) {
        const QJsonObject l = last.toObject();
        const auto player = r.side(l.value(QLatin1String("player")), "last.player", false);
        const auto ms = r.integer(l, "ms", 0, kMaxTimeMs);
        if (player && ms) {
            s.lastPlayer = *player;
            s.lastMoveMs = *ms;
        }
    } else if (!last.isNull() && !last.isUndefined()) {
        r.fail(QStringLiteral("last"));
    }
    if (!r.failed.isEmpty() || !seq || !control || !a || !b || !toMove)
        return refused(Reject::Absurd, r.failed);
    s.seq = quint64(*seq);
    s.control = *control;
    s.a = *a;
    s.b = *b;
    s.toMove = *toMove;
    // What no clock shows: flags in an order that cannot have happened, or a clock running for
    // nobody.
    const bool flagsOrdered =
        (s.a.flag == 0 && s.b.flag <= 1) || (s.b.flag == 0 && s.a.flag <= 1) || (s.a.flag + s.b.flag == 3);
    if (!flagsOrdered)
        return refused(Reject::Absurd, QStringLiteral("flag"));
    if (s.phase == GamePhase::Running && s.toMove == Side::None)
        return refused(Reject::Absurd, QStringLiteral("toMove"));
    return {s, {}, {}};
}

quint64 RejectCounts::total() const
{
    quint64 sum = 0;
    for (const quint64 n : byKind)
        sum += n;
    return sum;
}

QString RejectCounts::text() const
{
    QStringList parts;
    for (std::size_t i = 0; i < kRejectKinds; ++i)
        if (byKind[i])
            parts << QStringLiteral("%1 %2").arg(rejectText(Reject(i))).arg(byKind[i]);
    if (parts.isEmpty())
        return QStringLiteral("0");
    return QStringLiteral("%1 (%2)").arg(total()).arg(parts.join(QStringLiteral(", ")));
}

} // namespace hall
