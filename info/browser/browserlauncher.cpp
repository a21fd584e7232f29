#include "browserlauncher.h"

#include "desktop/process.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace info {

namespace {

constexpr qsizetype kKeptErrors = 4096;
// The exit status of a program the system could not link: its libraries are missing.
constexpr int kLibrariesMissing = 127;

QString programFileName()
{
    return QStringLiteral(PARTIVAKT_BROWSER_PROGRAM_FILE);
}

QString lastLine(const QByteArray &text)
{
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return lines.isEmpty() ? QString() : QString::fromLocal8Bit(lines.last().trimmed());
}

} // namespace

QString locateBrowserProgram()
{
    return desktop::locatePart(programFileName(), QStringLiteral(PARTIVAKT_BROWSER_BIN_TO_PROGRAM),
                               QStringLiteral(PARTIVAKT_BROWSER_INSTALL_DIR), true);
}

BrowserLauncher::BrowserLauncher(QObject *parent) : BrowserLauncher(locateBrowserProgram(), parent)
{
    m_locates = true;
}

BrowserLauncher::BrowserLauncher(const QString &program, QObject *parent) : QObject(parent), m_program(program)
{
    m_answer.setSingleShot(true);
    connect(&m_answer, &QTimer::timeout, this, &BrowserLauncher::answerOverdue);
}

BrowserLauncher::~BrowserLauncher()
{
    if (!running())
        return;
    m_process->disconnect(this);
    // The end of its input tells the browser to close; one that does not listen is stopped.
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(1500))
        m_process->kill();
}

QString BrowserLauncher::unavailableReason() const
{
#if !PARTIVAKT_BROWSER_BUILT
    return QStringLiteral("Nettleseren er ikke med i denne utgaven av Partivakt: den ble bygd uten Qt WebEngine.");
#else
    if (!m_unusable.isEmpty())
        return m_unusable;
    if (m_program.isEmpty() || !QFileInfo(m_program).isExecutable())
        return QStringLiteral("Nettleseren er ikke installert: fant ikke nettleserprogrammet %1.")
            .arg(programFileName());
    return {};
#endif
}

QString BrowserLauncher::show(const QString &startingAddress)
{
    // The browser's package may have been installed since the clock started.
    if (m_locates && (m_program.isEmpty() || !QFileInfo(m_program).isExecutable()))
        m_program = locateBrowserProgram();
    if (const QString why = unavailableReason(); !why.isEmpty())
        return why;
    if (running()) {
        m_process->write("raise\n");
    } else {
        start(startingAddress);
        if (!running())
            return QStringLiteral("Nettleseren kan ikke åpnes: %1.").arg(m_process->errorString());
    }
    // A browser still starting has the longer start's time to answer.
    if (!m_answer.isActive())
        m_answer.start(m_everShown ? m_answerTimeoutMs : 6 * m_answerTimeoutMs);
    return {};
}

void BrowserLauncher::start(const QString &startingAddress)
{
    if (m_process)
        m_process->deleteLater();
    m_process = new QProcess(this);
    m_output.clear();
    m_errors.clear();
    m_everShown = false;
    m_windowsOpen = 0;
    m_stoppedAsHung = false;
    QStringList arguments{QStringLiteral("--parent"), QString::number(QCoreApplication::applicationPid())};
    if (!startingAddress.isEmpty())
        arguments << startingAddress;
    connect(m_process, &QProcess::readyReadStandardOutput, this, &BrowserLauncher::readOutput);
    connect(m_process, &QProcess::readyReadStandardError, this, [this] {
        m_errors.append(m_process->readAllStandardError());
        if (m_errors.size() > kKeptErrors)
            m_errors.remove(0, m_errors.size() - kKeptErrors);
    });
    connect(m_process, &QProcess::finished, this, &BrowserLauncher::finished);
    // No shell: the program and its arguments go to the system as they are.
    m_process->start(m_program, arguments);
    m_process->waitForStarted(5000);
}

void BrowserLauncher::readOutput()
{
    m_output.append(m_process->readAllStandardOutput());
    qsizetype end;
    while ((end = m_output.indexOf('\n')) >= 0) {
        const QByteArray line = m_output.left(end);
        m_output.remove(0, end + 1);
        if (line.startsWith("shown ")) {
            m_everShown = true;
            m_windowsOpen = line.mid(6).trimmed().toInt();
            m_answer.stop();
            Q_EMIT shown();
        }
    }
}

void BrowserLauncher::answerOverdue()
{
    if (!running())
        return;
    m_stoppedAsHung = true;
    m_process->kill();
}

void BrowserLauncher::finished(int exitCode, QProcess::ExitStatus status)
{
    m_answer.stop();
    m_windowsOpen = 0;
    m_errors.append(m_process->readAllStandardError());
    if (m_stoppedAsHung) {
        Q_EMIT stopped(QStringLiteral("Nettleseren svarte ikke og ble stoppet. Velg Hjelp > Nettleser for å åpne "
                                      "den på nytt."));
        return;
    }
    // Closed by the user, or ended because the clock asked it to.
    if (status == QProcess::NormalExit && exitCode == 0)
        return;
    if (!m_everShown && status == QProcess::NormalExit && exitCode == kLibrariesMissing) {
        m_unusable = QStringLiteral("Nettleseren kan ikke åpnes: nettleserprogrammet kunne ikke starte (%1). "
                                    "Kanskje mangler Qt WebEngine på denne maskinen.")
                         .arg(lastLine(m_errors));
        Q_EMIT stopped(m_unusable);
        Q_EMIT becameUnavailable();
        return;
    }
    const QString how = status == QProcess::CrashExit ? QStringLiteral("avbrutt av signal %1").arg(exitCode)
                                                      : QStringLiteral("avsluttet med kode %1").arg(exitCode);
    Q_EMIT stopped(
        QStringLiteral("Nettleseren stoppet uventet (%1). Velg Hjelp > Nettleser for å åpne den på nytt.").arg(how));
}

} // namespace info
