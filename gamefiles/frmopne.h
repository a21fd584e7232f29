#pragma once

#include "gamefiles/linefiles.h"
#include "platform/controls.h"
#include "platform/dirlist.h"
#include "platform/filelist.h"
#include "platform/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace gameclock {
class frmhoved;
}

namespace gamefiles {

// The file of the given name in the directory, the separator always added.
QString openPath(const QString &directory, const QString &name);

// Why a game file read from path cannot be restored, or nothing when it can: it must have seven
// lines, and the four read-outs must be whole numbers the clock can count on (digits only, at
// most nine; seconds above 59 are a state the clock carries on from). Names and limit are free text.
std::optional<QString> checkGame(const GameRead &read, const QString &path);

// Puts a checked game into the main window and leaves it paused, as a pause during the game
// would: no clock runs, and the resume buttons continue it. Turn indicator and flags stay.
void restoreGame(gameclock::frmhoved &main, const GameValues &values);

// The open window: the user browses to a directory, picks a game file and opens it with "Åpne" or
// a double-click. Nothing in the main window changes unless the whole file is good.
class frmopne : public QWidget {
    Q_OBJECT
public:
    explicit frmopne(gameclock::frmhoved &main);
    ~frmopne() override;

    // ---- controls, named as the game knows them ----
    platform::DirList *Dir1;
    QGroupBox *Frame1;
    QLabel *filbane;
    platform::CommandButton *Avbryt, *opne;
    platform::FileList *File1;
    // Why the game could not be opened; hidden while there is nothing to say.
    platform::ReasonLabel *melding;

    // ---- handlers ----
    void Form_Load();
    void Dir1_Change();
    void opne_Click();
    void File1_DblClick();
    void Avbryt_Click();

    // Where the window starts at every opening: the user's home directory.
    static QString startDirectory();

private:
    QPointer<gameclock::frmhoved> m_main;
};

// Opens the open window, or brings the open one to the front with its directory and choice kept.
frmopne *showOpen(gameclock::frmhoved &main);

} // namespace gamefiles
