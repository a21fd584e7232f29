#pragma once

#include "clock/moverecord.h"
#include "loader.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace chart {

// "Trekktider": where each player's time went, move by move, as a chart (bars for the time a move
// took, a line for the time left after it), each player's longest move in words, a summary a
// screen reader reads, and "Lagre trekktider..." for the record as CSV and the chart as PNG. The
// chart comes from the chart module, loaded when the first window is made; without it the window
// still gives the words and the CSV, and says why the chart is missing.
class frmtrekktider : public QWidget {
    Q_OBJECT
public:
    // module: the chart module to load; by default the one found beside the program.
    explicit frmtrekktider(const QString &module = locateChartModule(), QWidget *parent = nullptr);
    ~frmtrekktider() override;

    // ---- controls ----
    QWidget *diagram; // the chart, or the reason it cannot be shown
    QLabel *lengstea, *lengsteb, *sammendrag, *melding;
    QPushButton *lagre, *lukk;

    void setPlayers(const QString &nameA, const QString &nameB);
    // classic: the record of the classic clock, whole seconds.
    void setRecord(const gameclock::MoveRecords &records, bool classic);
    void appendMove(const gameclock::MoveRecord &move);
    const gameclock::MoveRecords &record() const { return m_records; }
    // The clock's zoom: the words and the chart's texts grow with it.
    void setZoom(qreal zoom);

    bool chartShown() const { return m_chart != nullptr; }
    // How long loading the module and making the chart took, in ms.
    double chartLoadMs() const { return m_loadMs; }

    // ---- handlers ----
    // Asks where to save, then saves there.
    void lagre_Click();
    // The record as CSV at csvPath and the chart as PNG beside it, under the same name with ".png";
    // each file replaced whole or not at all. Says in the window what was saved or why not, and
    // returns whether everything was.
    bool save(const QString &csvPath);

private:
    void follow();

    Chart *m_chart = nullptr;
    double m_loadMs = 0;
    QString m_names[2];
    gameclock::MoveRecords m_records;
    bool m_classic = true;
};

// Shows the window of move times, or brings the open one to the front; created, when given, tells
// whether this call made it (and loaded the chart module, the first time).
frmtrekktider *showMoveTimes(bool *created = nullptr);

} // namespace chart
