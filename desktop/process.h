#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace desktop {

// A program to start, shown as the desktop shows a new window: normal size, with the focus.
struct StartRequest {
    QString program;
    QStringList arguments;
};

// Starts a program without waiting for it. Returns an empty string on success, otherwise the
// system's reason.
using ProgramStarter = std::function<QString(const StartRequest &)>;
QString startProgram(const StartRequest &request);
// Tests replace the starter; an empty function restores the real one.
void setProgramStarter(ProgramStarter starter);

// Where a part of ours that ships beside the program (the browser program, the speech module) is:
// beside the program (a build directory), at binToDir relative to the program's directory (the
// installation the program runs from, wherever its prefix), or in installDir, where it was built to
// be installed. Empty when there is none. executable: only a file that may be run counts.
QString locatePart(const QString &file, const QString &binToDir, const QString &installDir, bool executable);

// Loads a module of ours for good (Qt keeps pointers into its code: metaobjects, caches) and finds
// its one exported function. Null when it cannot be loaded, with the loader's words in error, or
// when it lacks the function (a module of another version), error untouched.
QFunctionPointer loadPart(const QString &module, const char *symbol, QString *error);

// Ends the program at once: no closing handling runs.
[[noreturn]] void endProgramNow(int code = 0);
// Tests replace the ending; the replacement must not return normally to a caller that expects
// the program gone, so it is only used by tests that check the call itself.
using ProgramEnder = std::function<void(int)>;
void setProgramEnder(ProgramEnder ender);
bool endProgram(int code = 0);

} // namespace desktop
