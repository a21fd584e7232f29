#pragma once

#include "gamefiles/linefiles.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/dirlist.h"
#include "toolkit/filelist.h"
#include "toolkit/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace gamefiles {

// The file of the given name in the directory, the separator always added.
QString openPath(const QString &directory, const QString &name);

// Why a game file read from path cannot be restored, or nothing when it can: it must have seven
// lines, and the four read-outs must be whole numbers the clock can count on (isReadoutText;
// seconds above 59 are a state the clock carries on from). Names and limit are free text.
std::optional<QString> checkGame(const GameRead &read, const QString &path);

// The open window: the user browses to a directory, picks a game file and opens it with "Åpne" or
// a double-click. Only a whole, good file is handed on, as gameChosen.
class frmopne : public QWidget {
    Q_OBJECT
public:
    explicit frmopne(QWidget *parent = nullptr);
    ~frmopne() override;

    // ---- controls, named as the game knows them ----
    toolkit::DirList *Dir1;
    QGroupBox *Frame1;
    QLabel *filbane;
    toolkit::CommandButton *Avbryt, *opne;
    toolkit::FileList *File1;
    // Why the game could not be opened; hidden while there is nothing to say.
    toolkit::ReasonLabel *melding;
    // Those controls as the window was drawn.
    static toolkit::ControlTable controlTable();

    // ---- handlers ----
    void Form_Load();
    void Dir1_Change();
    void opne_Click();
    void File1_DblClick();
    void Avbryt_Click();

    // Where the window starts at every opening: the user's home directory.
    static QString startDirectory();

    // The game handed on as gameChosen cannot be taken: the window stays open and says why.
    void refuse(const QString &why);

Q_SIGNALS:
    // Just before a file is read: whoever is still writing one finishes, so the newest is read.
    void aboutToRead();
    // A checked game the user chose to open.
    void gameChosen(const gamefiles::GameValues &values);

private:
    bool m_refused = false;
};

// Opens the open window, or brings the open one to the front with its directory and choice kept.
// The window is new when created is set.
frmopne *showOpen(bool *created = nullptr);

} // namespace gamefiles
