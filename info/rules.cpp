#include "rules.h"

#include "desktop/process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace info {

namespace {

RulesPlaces defaultPlaces()
{
    RulesPlaces places;
#ifdef Q_OS_WIN
    places.helpViewer = QStringLiteral("c:\\Windows\\Winhlp32.exe");
#endif
    // Next to the program first, so that a program run from its build directory finds its own copy.
    const QString programDir = QCoreApplication::applicationDirPath();
    places.documentDirs << programDir << QDir::cleanPath(programDir + QStringLiteral("/" PARTIVAKT_BIN_TO_DATA));
    const QString installed = QStringLiteral(PARTIVAKT_DATA_DIR);
    if (!places.documentDirs.contains(installed))
        places.documentDirs << installed;
    return places;
}

} // namespace

QString systemOpener()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("explorer.exe");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("open");
#else
    return QStringLiteral("xdg-open");
#endif
}

RulesPlaces &rulesPlaces()
{
    static RulesPlaces places = defaultPlaces();
    return places;
}

QString showRules()
{
    const RulesPlaces &places = rulesPlaces();
    desktop::StartRequest request;
    if (!places.helpViewer.isEmpty() && QFileInfo(places.helpViewer).isFile()) {
        // The viewer finds the document itself, so it is named without a directory.
        request.program = places.helpViewer;
        request.arguments = {QStringLiteral("regler.hlp")};
    } else {
        QString document;
        for (const QString &dir : places.documentDirs) {
            const QFileInfo candidate(QDir(dir), kRulesDocument);
            if (candidate.isFile()) {
                document = candidate.absoluteFilePath();
                break;
            }
        }
        if (document.isEmpty()) {
            return QStringLiteral("Sjakkreglene finnes ikke: «%1» ligger verken ved programmet eller i %2.")
                .arg(kRulesDocument, QDir::toNativeSeparators(QStringLiteral(PARTIVAKT_DATA_DIR)));
        }
        request.program = systemOpener();
        request.arguments = {QDir::toNativeSeparators(document)};
    }
    // Not waited for and not kept: each choice starts one more viewer.
    const QString failure = desktop::startProgram(request);
    if (failure.isEmpty())
        return {};
    return QStringLiteral("Sjakkreglene kan ikke vises: «%1» kunne ikke startes (%2).")
        .arg(QDir::toNativeSeparators(request.program), failure);
}

} // namespace info
