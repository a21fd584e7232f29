#pragma once

#include "chart.h"

#include <QString>

class QWidget;

namespace chart {

// Where the chart module is: beside the program (a build directory), in the installation the
// program runs from, or where it was built to be installed. Empty when there is none.
QString locateChartModule();

struct MadeChart {
    Chart *chart = nullptr; // a child of the parent given; null when it could not be made
    QString why;            // then why, for the user
    double loadMs = 0;      // loading the module (nothing the second time) and making the chart
};

// Loads the module (once in the process: it stays loaded) and makes a chart in parent.
MadeChart makeChart(const QString &module, QWidget *parent);

} // namespace chart
