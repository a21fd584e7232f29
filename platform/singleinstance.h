#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace platform {

// The name of the local server that answers for the clock of one working directory, for one user:
// the same directory reached through a symbolic link or a relative path gives the same name.
QString instanceServerName(const QString &workingDir);

// Keeps one running program per working directory, so that two clocks never write the same
// backup. The first start in a directory listens on a local socket in the user's runtime
// directory; a later start asks it to come to the front and ends. A socket left behind by a
// program that was killed answers nobody and is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        First,      // this program is the clock of the directory and answers later starts
        HandedOver, // the clock already running here has come to the front; end now
        Unguarded,  // neither answer nor guard is possible: run, but say so
    };

    // runtimeDir holds the socket and its lock; empty means the user's runtime directory.
    explicit SingleInstance(const QString &workingDir, const QString &runtimeDir = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    Claim claim();

    // The socket's full path.
    QString serverPath() const { return m_path; }
    // Whether this program is the directory's clock and answers later starts.
    bool isGuarded() const { return m_server != nullptr; }
    // Why the directory could not be guarded, in the system's words; empty while guarded.
    QString failure() const { return m_failure; }

    // What the user is told when a second clock might be running in the same directory.
    static QString unguardedMessage();

Q_SIGNALS:
    // A later start in the same directory asked for the clock to come to the front.
    void raiseRequested();

private:
    enum class Answer { Raised, NoServer, Stale, Silent, Unreachable };
    Answer askRunning() const;
    bool listen();
    void serve(QLocalSocket *peer);

    QString m_path;
    QString m_failure;
    QLocalServer *m_server = nullptr;
};

// Brings a top-level window to the front and out of a minimised state.
void bringToFront(QWidget *window);

} // namespace platform
