#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

// The clock's side of the browser window. The window and its engine run in a program of their own,
// partivakt-browser, started when the window is first asked for: the clock starts and runs without
// the engine, and a browser that crashes or hangs cannot stop or slow a game.
namespace info {

// Where partivakt-browser is: beside the program (a build directory), in the installation the
// program runs from (wherever its prefix), or where it was built to be installed. Empty when there
// is none.
QString locateBrowserProgram();

class BrowserLauncher : public QObject {
    Q_OBJECT
public:
    // program: the browser program to start; by default the one found beside the clock.
    explicit BrowserLauncher(QObject *parent = nullptr);
    BrowserLauncher(const QString &program, QObject *parent);
    // The browser ends with the clock.
    ~BrowserLauncher() override;

    // Empty when the browser can be opened, else why not, for the user.
    QString unavailableReason() const;

    // Starts the browser, or brings its window to the front when it runs already; never a second
    // window. A non-empty startingAddress is opened instead of the home address when the browser
    // starts. Returns at once: empty when asked, else why the browser cannot open.
    QString show(const QString &startingAddress = {});

    bool running() const { return m_process && m_process->state() != QProcess::NotRunning; }
    qint64 processId() const { return m_process ? m_process->processId() : 0; }
    // How many browser windows the browser said it had open when it last showed one.
    int windowsOpen() const { return m_windowsOpen; }

    // How long a running browser may take to answer before it counts as hung and is stopped.
    void setAnswerTimeout(int ms) { m_answerTimeoutMs = ms; }

Q_SIGNALS:
    // The window is on the screen (after each show).
    void shown();
    // The browser ended other than by the user closing it: why, for the user.
    void stopped(const QString &why);
    // The browser turned out to be unusable on this machine: unavailableReason() says why.
    void becameUnavailable();

private:
    void start(const QString &startingAddress);
    void readOutput();
    void finished(int exitCode, QProcess::ExitStatus status);
    void answerOverdue();

    QString m_program;
    bool m_locates = false; // looks for the program again while it is missing
    QString m_unusable; // why a browser program that was found cannot run here
    QProcess *m_process = nullptr;
    QByteArray m_output;
    QByteArray m_errors; // the end of what the browser said on its error output
    bool m_everShown = false;
    int m_windowsOpen = 0;
    bool m_stoppedAsHung = false;
    int m_answerTimeoutMs = 10000;
    QTimer m_answer;
};

} // namespace info
