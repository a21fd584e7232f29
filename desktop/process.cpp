#include "process.h"

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
    std::fflush(nullptr);
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

} // namespace desktop
