#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QSocketNotifier;
class QWidget;

namespace desktop {

// The name of the local server that answers for the clock of one working directory, for one user:
// the same directory reached through a symbolic link or a relative path gives the same name.
QString instanceServerName(const QString &workingDir);

// Keeps one running program per working directory, so that two clocks never write the same
// backup. The first start in a directory listens on a local socket in the user's runtime
// directory (or a private directory of the user's in the temporary directory); a later start asks
// it to come to the front and ends. A socket left behind by a program that was killed answers
// nobody and is taken over. Only a clock of the same user is obeyed, and only in a directory no
// other user can write to; anywhere else the program runs unguarded.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // runtimeDir holds the socket and its lock; empty means the user's runtime directory. Either
    // must be the user's own, not a symbolic link, and writable by nobody else.
    explicit SingleInstance(const QString &workingDir, const QString &runtimeDir = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Asks the clock running in the directory, if any, to come to the front; true when it did, and
    // this start is to end. Needs no application object, so a start that hands over ends before it
    // so much as connects to the display. Otherwise the directory stays locked until listen().
    bool handOver();
    // Becomes the directory's clock and answers later starts from the event loop. False where that
    // is impossible (no socket can be made, or a clock is there but does not answer): the program
    // then runs unguarded.
    bool listen();

    // The socket's full path.
    QString serverPath() const { return m_path; }
    // Whether this program is the directory's clock and answers later starts.
    bool isGuarded() const { return m_listenFd >= 0; }
    // Why the directory could not be guarded, in the system's words; empty while it can be.
    QString failure() const { return m_failure; }

    // What the user is told when a second clock might be running in the same directory.
    static QString unguardedMessage();

Q_SIGNALS:
    // A later start in the same directory asked for the clock to come to the front.
    void raiseRequested();

private:
    enum class Answer { Raised, NoServer, Stale, Silent, Foreign, Unreachable };
    Answer askRunning() const;

    QString m_path;
    QString m_failure;
    std::unique_ptr<QLockFile> m_lock;
    int m_listenFd = -1;
    QSocketNotifier *m_acceptor = nullptr;
};

// Brings a top-level window to the front and out of a minimised state.
void bringToFront(QWidget *window);

} // namespace desktop
