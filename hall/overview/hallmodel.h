#pragma once

#include "hall/boardstate.h"
#include "hall/message.h"

#include <QAbstractTableModel>
#include <QJsonArray>
#include <QSortFilterProxyModel>

#include <vector>

namespace hall {

// Every board of a hall as the overview shows it, sorted by board: the latest message of each, and
// the times counted down between messages as the clocks do. A screen reader reads the table through
// the view, cell by cell.
class HallModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Board, NameA, TimeA, MovesA, NameB, TimeB, MovesB, ToMove, State, ColumnCount };
    static constexpr int FlagRole = Qt::UserRole + 1; // a flag has fallen on the board
    // A board that said nothing for this long is marked: its clock publishes once a second.
    static constexpr qint64 kQuietMs = 3000;

    explicit HallModel(const QString &hall, QObject *parent = nullptr);

    // Reads one message off the hall's topics and shows it; a bad one is counted by kind and
    // dropped. now: the monotonic time in ms. Returns the board taken, if any.
    std::optional<BoardState> take(const QString &topic, const QByteArray &payload, qint64 now);
    // The times and the quiet marks as they stand at now.
    void tick(qint64 now);
    const RejectCounts &rejects() const { return m_rejects; }
    QString hall() const { return m_hall; }

    // The boards for the spectators' page: each message as received, with its age in ms at now.
    QJsonArray boardsJson(qint64 now, const std::vector<int> &only = {}) const;

    // A side's time left as the clock shows it at now: counting down from the message while that
    // side's clock runs; a clock that had time left stops at zero until its clock says more.
    static qint64 leftAt(const BoardState &state, Side side, qint64 age);
    // A time as a clock shows it: H:MM:SS from an hour, M:SS, tenths in the last ten seconds.
    static QString timeText(qint64 ms);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    void rejectsChanged();

private:
    struct Row {
        BoardState state;
        qint64 received = 0;
        bool quiet = false;
    };
    QString stateText(const Row &row) const;
    QString flagText(const BoardState &s, Side side) const;

    QString m_hall;
    std::vector<Row> m_rows;
    RejectCounts m_rejects;
    qint64 m_now = 0;
};

// "Bare klaffer": only the boards where a flag has fallen.
class FlagFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setOnlyFlags(bool on);
    bool onlyFlags() const { return m_onlyFlags; }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override;

private:
    bool m_onlyFlags = false;
};

} // namespace hall
