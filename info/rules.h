#pragma once

#include <QString>
#include <QStringList>

namespace info {

// The file name of the rules document shipped with the program.
inline const QString kRulesDocument = QStringLiteral("regler.html");

// Where the rules command looks. Tests change them.
struct RulesPlaces {
    // The Windows help viewer; where it exists it is started on "regler.hlp".
    QString helpViewer;
    // Searched in order for the rules document when the help viewer is missing.
    QStringList documentDirs;
};
RulesPlaces &rulesPlaces();

// The system's own viewer for a document of the rules' kind, started where there is no help viewer.
QString systemOpener();

// The rules command: starts a viewer on the rules and does not wait for it. Returns why the rules
// cannot be shown, or nothing when the viewer started; the clocks are never touched.
[[nodiscard]] QString showRules();

} // namespace info
