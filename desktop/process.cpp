#include "process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace desktop {

namespace {

QString realStart(const StartRequest &request)
{
    QProcess process;
    process.setProgram(request.program);
    process.setArguments(request.arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return process.errorString();
    return {};
}

ProgramStarter &starter()
{
    static ProgramStarter s;
    return s;
}

ProgramEnder &ender()
{
    static ProgramEnder e;
    return e;
}

} // namespace

QString startProgram(const StartRequest &request)
{
    return starter() ? starter()(request) : realStart(request);
}

void setProgramStarter(ProgramStarter s)
{
    starter() = std::move(s);
}

void endProgramNow(int code)
{
    // Only the program's own output: fflush(nullptr) takes every stream's lock, and a library's
    // thread may hold one for ever (the speech service's client waits for its answers on a stream).
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(code);
}

void setProgramEnder(ProgramEnder e)
{
    ender() = std::move(e);
}

bool endProgram(int code)
{
    if (ender()) {
        ender()(code);
        return false;
    }
    endProgramNow(code);
}

QString locatePart(const QString &file, const QString &binToDir, const QString &installDir, bool executable)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString &dir : {programDir, QDir::cleanPath(programDir + QLatin1Char('/') + binToDir), installDir}) {
        const QFileInfo candidate(QDir(dir).filePath(file));
        if (candidate.isFile() && (!executable || candidate.isExecutable()))
            return candidate.filePath();
    }
    return {};
}

QFunctionPointer loadPart(const QString &module, const char *symbol, QString *error)
{
    QLibrary library(module);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (library.load())
        return library.resolve(symbol);
    *error = library.errorString();
    return nullptr;
}

} // namespace desktop
