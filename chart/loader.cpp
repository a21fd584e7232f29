#include "loader.h"

#include "desktop/process.h"

#include <QElapsedTimer>
#include <QLibrary>
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
    // Never unloaded: the charts made from it may outlive any one window, and Qt keeps pointers into
    // its code (metaobjects, the style's caches).
    QLibrary library(module);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load()) {
        made.why = QStringLiteral("Diagrammet kan ikke vises: diagrammodulen kan ikke lastes (%1).")
                       .arg(library.errorString());
        return made;
    }
    const auto create = reinterpret_cast<CreateChart>(library.resolve(kCreateChartSymbol));
    made.chart = create ? create(kChartInterfaceVersion, sizeof(gameclock::MoveRecord), parent) : nullptr;
    if (!made.chart)
        made.why =
            QStringLiteral("Diagrammet kan ikke vises: diagrammodulen %1 hører til en annen utgave av Partivakt.")
                .arg(module);
    made.loadMs = timer.nsecsElapsed() / 1e6;
    return made;
}

} // namespace chart
