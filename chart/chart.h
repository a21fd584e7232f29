#pragma once

#include "clock/moverecord.h"

#include <QString>

#include <cstddef>

class QWidget;

// The narrow interface between the window of move times and its chart module (partivakt-chart),
// the only part of the program that links Qt Charts. The window loads the module when it is first
// opened, so that a clock that never shows the chart never maps the chart library.
namespace chart {

class Chart {
public:
    virtual ~Chart() = default;
    // The chart as a widget; it belongs to the parent it was made for, and goes with it.
    virtual QWidget *widget() = 0;
    virtual void setPlayers(const QString &nameA, const QString &nameB) = 0;
    // The whole record, in the order played. classic: whole seconds, the time left may run below zero.
    virtual void setRecord(const gameclock::MoveRecords &records, bool classic) = 0;
    // One more move, drawn at once.
    virtual void appendMove(const gameclock::MoveRecord &move) = 0;
};

// The module's one exported function: a new chart, or null when the module was built for another
// version of this interface or of the move record.
using CreateChart = Chart *(*)(int interfaceVersion, std::size_t recordSize, QWidget *parent);
inline constexpr char kCreateChartSymbol[] = "partivakt_chart_create";
inline constexpr int kChartInterfaceVersion = 1;

} // namespace chart
