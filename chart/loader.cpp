#include "loader.h"

#include "desktop/process.h"

#include <QElapsedTimer>
#include <QWidget>

namespace chart {

QString locateChartModule()
{
    return desktop::locatePart(QStringLiteral(PARTIVAKT_CHART_MODULE_FILE),
                               QStringLiteral(PARTIVAKT_CHART_BIN_TO_MODULE),
                               QStringLiteral(PARTIVAKT_CHART_INSTALL_DIR), false);
}

MadeChart makeChart(const QString &module, QWidget *parent)
{
    QElapsedTimer timer;
    timer.start();
    MadeChart made;
    if (module.isEmpty()) {
        made.why = QStringLiteral("Diagrammet kan ikke vises: diagrammodulen partivakt-chart er ikke installert.");
        return made;
    }
    QString error;
    const auto create = reinterpret_cast<CreateChart>(desktop::loadPart(module, kCreateChartSymbol, &error));
    if (!error.isEmpty()) {
        made.why = QStringLiteral("Diagrammet kan ikke vises: diagrammodulen kan ikke lastes (%1).").arg(error);
        return made;
    }
    made.chart = create ? create(kChartInterfaceVersion, sizeof(gameclock::MoveRecord), parent) : nullptr;
    if (!made.chart)
        made.why =
            QStringLiteral("Diagrammet kan ikke vises: diagrammodulen %1 hører til en annen utgave av Partivakt.")
                .arg(module);
    made.loadMs = timer.nsecsElapsed() / 1e6;
    return made;
}

} // namespace chart
