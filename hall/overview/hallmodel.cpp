#include "hallmodel.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace hall {

HallModel::HallModel(const QString &hall, QObject *parent) : QAbstractTableModel(parent), m_hall(hall) {}

std::optional<BoardState> HallModel::take(const QString &topic, const QByteArray &payload, qint64 now)
{
    Decoded d = decode(topic, payload, m_hall);
    if (!d.state) {
        m_rejects.add(d.reason);
        Q_EMIT rejectsChanged();
        return std::nullopt;
    }
    m_now = now;
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), d.state->board,
                                     [](const Row &r, int board) { return r.state.board < board; });
    const int row = int(at - m_rows.begin());
    if (at != m_rows.end() && at->state.board == d.state->board) {
        *at = {*d.state, now, false};
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
    } else {
        beginInsertRows({}, row, row);
        m_rows.insert(at, {*d.state, now, false});
        endInsertRows();
    }
    return d.state;
}

void HallModel::tick(qint64 now)
{
    m_now = now;
    if (m_rows.empty())
        return;
    for (Row &r : m_rows)
        r.quiet = !r.state.gone && now - r.received >= kQuietMs;
    // Only the times and the state change between messages.
    Q_EMIT dataChanged(index(0, TimeA), index(int(m_rows.size()) - 1, State), {Qt::DisplayRole});
}

qint64 HallModel::leftAt(const BoardState &s, Side side, qint64 age)
{
    const SideState &p = side == Side::A ? s.a : s.b;
    if (s.gone || s.phase != GamePhase::Running || s.toMove != side || age <= 0)
        return p.leftMs;
    const qint64 left = p.leftMs - age;
    // A count-down clock stops at zero with its flag; the classic clock's own message says when it
    // runs past its limit.
    return p.leftMs >= 0 ? std::max<qint64>(left, 0) : left;
}

QString HallModel::timeText(qint64 ms)
{
    const QString sign = ms < 0 ? QStringLiteral("−") : QString();
    const qint64 a = ms < 0 ? -ms : ms;
    const qint64 s = a / 1000;
    QString text;
    if (s >= 3600)
        text = QStringLiteral("%1:%2:%3")
                   .arg(s / 3600)
                   .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                   .arg(s % 60, 2, 10, QLatin1Char('0'));
    else
        text = QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    if (ms >= 0 && ms < 10000)
        text += QLatin1Char(',') + QString::number(a % 1000 / 100);
    return sign + text;
}

QString HallModel::flagText(const BoardState &s, Side side) const
{
    const int flag = (side == Side::A ? s.a : s.b).flag;
    const int other = (side == Side::A ? s.b : s.a).flag;
    if (!flag)
        return {};
    return flag == 1 && other ? QStringLiteral(" ⚑ først") : QStringLiteral(" ⚑");
}

QString HallModel::stateText(const Row &r) const
{
    const BoardState &s = r.state;
    if (s.gone)
        return QStringLiteral("Borte");
    QStringList parts;
    if (r.quiet)
        parts << QStringLiteral("Stille i %1 s").arg((m_now - r.received) / 1000);
    if (s.phase == GamePhase::Paused)
        parts << QStringLiteral("Pause");
    else if (s.phase == GamePhase::SetUp)
        parts << QStringLiteral("Oppsett");
    if (s.a.flag || s.b.flag) {
        const QString first = s.a.flag == 1 ? s.a.name : s.b.name;
        parts << (s.a.flag && s.b.flag ? QStringLiteral("Klaff: %1 først").arg(first)
                                       : QStringLiteral("Klaff: %1").arg(first));
    }
    return parts.join(QStringLiteral(", "));
}

int HallModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HallModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HallModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= m_rows.size())
        return {};
    const Row &r = m_rows[std::size_t(index.row())];
    const BoardState &s = r.state;
    if (role == FlagRole)
        return !s.gone && (s.a.flag || s.b.flag);
    if (role == Qt::TextAlignmentRole)
        return index.column() == NameA || index.column() == NameB || index.column() == State
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const qint64 age = m_now - r.received;
    const auto moves = [](const SideState &p) { return p.moves ? QString::number(*p.moves) : QString(); };
    switch (index.column()) {
    case Board:
        return s.board;
    case NameA:
        return s.a.name;
    case TimeA:
        return s.gone ? QString() : timeText(leftAt(s, Side::A, age)) + flagText(s, Side::A);
    case MovesA:
        return moves(s.a);
    case NameB:
        return s.b.name;
    case TimeB:
        return s.gone ? QString() : timeText(leftAt(s, Side::B, age)) + flagText(s, Side::B);
    case MovesB:
        return moves(s.b);
    case ToMove:
        return s.gone || s.toMove == Side::None ? QString() : (s.toMove == Side::A ? s.a.name : s.b.name);
    case State:
        return stateText(r);
    default:
        return {};
    }
}

QVariant HallModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const kHeaders[] = {"Brett", "Spiller A", "Tid A",     "Trekk A", "Spiller B",
                                           "Tid B", "Trekk B",   "I trekket", "Status"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(kHeaders[section]) : QVariant();
}

QJsonArray HallModel::boardsJson(qint64 now, const std::vector<int> &only) const
{
    QJsonArray boards;
    for (const Row &r : m_rows) {
        if (!only.empty() && std::find(only.begin(), only.end(), r.state.board) == only.end())
            continue;
        QJsonObject o = QJsonDocument::fromJson(encode(r.state)).object();
        o.insert(QStringLiteral("ageMs"), double(now - r.received));
        boards.append(o);
    }
    return boards;
}

void FlagFilter::setOnlyFlags(bool on)
{
    m_onlyFlags = on;
    invalidateFilter();
}

bool FlagFilter::filterAcceptsRow(int row, const QModelIndex &parent) const
{
    return !m_onlyFlags || sourceModel()->index(row, 0, parent).data(HallModel::FlagRole).toBool();
}

} // namespace hall
