#pragma once

// Shared set-up for tests of the main window and the windows it opens: virtual time, a temporary
// working directory, a freshly started window, and helpers for the other windows and their files.

#include "clock/backupwriter.h"
#include "clock/frmhoved.h"
#include "toolkit/controls.h"
#include "toolkit/timer.h"
#include "toolkit/twips.h"
#include "tests/support/files.h"
#include "tests/support/manualclock.h"
#include "tests/support/replaced.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace support {

// The user's preferences as the tests keep them: in Qt's test location, under the program's own
// organisation (without one QSettings reports a good write as failed), and empty.
inline void freshSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Partivakt"));
    QSettings().clear();
}

} // namespace support

struct ClockFixture {
    support::ManualClock clock;
    support::Replaced time{toolkit::TimeSource::setCurrent, &clock, nullptr};
    // Each tick's backup is on disk when the tick returns, so a test can read it at once.
    support::Replaced backupMode{gameclock::BackupWriter::setDefaultMode, gameclock::BackupWriter::Mode::Immediate,
                                 gameclock::BackupWriter::Mode::Background};
    QTemporaryDir dir;
    QString oldCwd = QDir::currentPath();
    std::unique_ptr<gameclock::frmhoved> w;

    ClockFixture()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir::setCurrent(dir.path());
    }
    ~ClockFixture()
    {
        w.reset();
        QDir::setCurrent(oldCwd);
    }
    // Creates the window and lets its start-up run, as the program does.
    gameclock::frmhoved &start()
    {
        w = std::make_unique<gameclock::frmhoved>();
        w->show();
        clock.advance(1);
        return *w;
    }
    QString file(const QString &name) const { return dir.filePath(name); }
};

// Starts the window with its backup written on the writer's thread, as in the program; the windows
// made later write at once again.
inline gameclock::frmhoved &startInBackground(ClockFixture &f)
{
    const support::Replaced mode{gameclock::BackupWriter::setDefaultMode, gameclock::BackupWriter::Mode::Background,
                                 gameclock::BackupWriter::Mode::Immediate};
    return f.start();
}

// Starts the window and sets the next game to be played under the control, as "Spill >
// Tidskontroll..." does in set-up.
inline gameclock::frmhoved &startUnder(ClockFixture &f, const gameclock::TimeControl &control)
{
    gameclock::frmhoved &w = f.start();
    const std::optional<QString> refused = w.applyTimeControl(control);
    if (refused)
        qFatal("startUnder: %s", qPrintable(*refused));
    return w;
}

// The phase of the main window, read from its controls alone.
inline QString phaseOf(const gameclock::frmhoved &w)
{
    const bool setup = !w.starta->isHidden() && !w.startb->isHidden() && w.Command1->isHidden() &&
                       w.Command1->isEnabled() && !w.pause->isHidden() && !w.pause->isEnabled() &&
                       w.pausea->isHidden() && w.pauseb->isHidden() && w.spillera->isEnabled() &&
                       w.spillerb->isEnabled() && w.stans->isEnabled() && !w.tida->isEnabled() &&
                       !w.tidb->isEnabled() && w.Label1->text() == QLatin1String("1");
    const bool running =
        w.starta->isHidden() && w.startb->isHidden() && !w.Command1->isHidden() && w.Command1->isEnabled() &&
        !w.pause->isHidden() && w.pause->isEnabled() && w.pausea->isHidden() && w.pauseb->isHidden() &&
        !w.spillera->isEnabled() && !w.spillerb->isEnabled() && !w.stans->isEnabled() &&
        (w.tida->isEnabled() != w.tidb->isEnabled()) && w.tida->interval() == 1000 && w.tidb->interval() == 1000 &&
        w.Label1->text() == QLatin1String(w.tida->isEnabled() ? "1" : "0");
    const bool paused = w.starta->isHidden() && w.startb->isHidden() && !w.Command1->isHidden() &&
                        !w.Command1->isEnabled() && w.pause->isHidden() && !w.pausea->isHidden() &&
                        !w.pauseb->isHidden() && !w.spillera->isEnabled() && !w.spillerb->isEnabled() &&
                        !w.stans->isEnabled() && !w.tida->isEnabled() && !w.tidb->isEnabled();
    if (setup + running + paused != 1)
        return QStringLiteral("mixed");
    return setup ? QStringLiteral("setup") : running ? QStringLiteral("running") : QStringLiteral("paused");
}

inline QString readouts(const gameclock::frmhoved &w)
{
    return QStringLiteral("%1:%2 %3:%4").arg(w.mina->text(), w.seka->text(), w.minb->text(), w.sekb->text());
}

template <typename W> QList<W *> windowsOf()
{
    QList<W *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<W *>(w))
            found << window;
    return found;
}

// Triggers a command of the main window and returns the one window of type W it leaves open.
template <typename W> W *openedBy(QAction *command)
{
    command->trigger();
    const QList<W *> windows = windowsOf<W>();
    return windows.size() == 1 ? windows.first() : nullptr;
}

// A closed window is destroyed when control returns to the event loop; tests go there at once.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
