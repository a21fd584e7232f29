#include "hallmodel.h"

#include <QColor>
#include <QFont>

#include <algorithm>
#include <array>

namespace hall {

HallModel::HallModel(const QString &hall, QObject *parent) : QAbstractTableModel(parent), m_hall(hall) {}

void HallModel::apply(const std::vector<Arrival> &arrivals, qint64 now)
{
    m_now = now;
    const auto rowOf = [this](int board) {
        return std::lower_bound(m_rows.begin(), m_rows.end(), board,
                                [](const Row &r, int b) { return r.state.board < b; });
    };
    std::vector<const Arrival *> added;
    for (const Arrival &a : arrivals) {
        const auto at = rowOf(a.state.board);
        if (at != m_rows.end() && at->state.board == a.state.board) {
            *at = {a.state, a.receivedMs(), false};
            const int row = int(at - m_rows.begin());
            Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
        } else {
            added.push_back(&a);
        }
    }
    // The whole hall at once (the broker's retained boards when the overview starts) is one reset,
    // not a thousand insertions each moving the rows after it.
    if (added.size() > 50) {
        beginResetModel();
        for (const Arrival *a : added)
            m_rows.push_back({a->state, a->receivedMs(), false});
        std::sort(m_rows.begin(), m_rows.end(),
                  [](const Row &x, const Row &y) { return x.state.board < y.state.board; });
        endResetModel();
    } else {
        for (const Arrival *a : added) {
            const auto at = rowOf(a->state.board);
            const int row = int(at - m_rows.begin());
            beginInsertRows({}, row, row);
            m_rows.insert(at, {a->state, a->receivedMs(), false});
            endInsertRows();
        }
    }
    if (!added.empty())
        fitTimes();
}

void HallModel::setRejects(const RejectCounts &rejects)
{
    m_rejects = rejects;
    Q_EMIT rejectsChanged();
}

void HallModel::tick(qint64 now)
{
    m_now = now;
    if (m_rows.empty())
        return;
    for (Row &r : m_rows)
        r.quiet = !r.state.gone && now - r.received >= kQuietMs;
    // Between messages the times count and a board goes quiet, which fades its whole row.
    Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1),
                       {Qt::DisplayRole, Qt::ForegroundRole});
    fitTimes();
}

void HallModel::fitTimes()
{
    std::array<QString, 2> widest;
    for (const Side side : {Side::A, Side::B}) {
        qint64 longest = 0;
        bool negative = false, flag = false, first = false;
        for (const Row &r : m_rows) {
            if (r.state.gone)
                continue;
            const SideState &p = side == Side::A ? r.state.a : r.state.b;
            const SideState &other = side == Side::A ? r.state.b : r.state.a;
            // Shown times only fall between messages: the message's own is the longest.
            longest = std::max(longest, p.leftMs < 0 ? -p.leftMs : p.leftMs);
            negative = negative || p.leftMs < 0;
            flag = flag || p.flag;
            first = first || (p.flag == 1 && other.flag);
        }
        QString &text = widest[side == Side::A ? 0 : 1];
        text = longest < 3600000 ? QStringLiteral("00:00,0") : timeText(longest);
        for (QChar &c : text)
            if (c.isDigit())
                c = QLatin1Char('0');
        if (negative)
            text.prepend(QStringLiteral("−"));
        text += first ? QStringLiteral(" ⚑ først") : flag ? QStringLiteral(" ⚑") : QString();
    }
    if (widest == m_widestTime)
        return;
    m_widestTime = widest;
    Q_EMIT widestTimeChanged();
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
        return index.column() == NameA || index.column() == NameB || index.column() == ToMove || index.column() == State
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    // Seen across the hall as on the clocks: a fallen flag in red, the time on move in bold, a board
    // that says nothing faded.
    const bool timeColumn = index.column() == TimeA || index.column() == TimeB;
    const Side side = index.column() == TimeA ? Side::A : Side::B;
    const bool fallen = timeColumn && !s.gone && (side == Side::A ? s.a.flag : s.b.flag);
    if (role == Qt::BackgroundRole)
        return fallen ? QVariant(QColor(0xc0, 0, 0)) : QVariant();
    if (role == Qt::ForegroundRole)
        return fallen ? QVariant(QColor(Qt::white)) : s.gone || r.quiet ? QVariant(QColor(Qt::gray)) : QVariant();
    if (role == Qt::FontRole) {
        if (!timeColumn || s.gone || s.phase == GamePhase::SetUp || s.toMove != side)
            return {};
        QFont bold; // only the weight: the view's own size stays
        bold.setBold(true);
        return bold;
    }
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
