#pragma once

#include "gamefiles/linefiles.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/dirlist.h"
#include "toolkit/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace gamefiles {

// Where a game typed as name goes in the directory: the separator and ".sur" are always added, so
// a root directory gives a doubled separator ("//Spill.sur", which the system reads as one) and
// "Spill.sur" gives "Spill.sur.sur". That path, as built, is what the quick save uses again.
QString saveAsPath(const QString &directory, const QString &name);

// The save-as window: the user picks a directory, types a name, and "Lagre" writes the game there
// and remembers the path for the quick save.
class frmlagresom : public QWidget {
    Q_OBJECT
public:
    // currentGame gives the game as it stands at the moment "Lagre" is pressed.
    explicit frmlagresom(std::function<GameValues()> currentGame, QWidget *parent = nullptr);
    ~frmlagresom() override;

    // ---- controls, named as the game knows them ----
    toolkit::DirList *Dir1;
    QLineEdit *filnavn;
    toolkit::CommandButton *Lagre, *Avbryt;
    QGroupBox *Frame1;
    QLabel *filbane, *label1;
    // Why the game could not be saved; hidden while there is nothing to say.
    toolkit::ReasonLabel *melding;
    // Those controls as the window was drawn.
    static toolkit::ControlTable controlTable();

    // ---- handlers ----
    void Form_Load();
    void Dir1_Change();
    void Lagre_Click();
    void Avbryt_Click();

    // Where the window starts at every opening: the user's home directory.
    static QString startDirectory();

Q_SIGNALS:
    // The game is saved at path, and the path remembered for the quick save.
    void saved(const QString &path);

private:
    std::function<GameValues()> m_currentGame;
};

// Opens the save-as window, or brings the open one to the front with its directory and name kept.
// The window is new when created is set.
frmlagresom *showSaveAs(const std::function<GameValues()> &currentGame, bool *created = nullptr);

} // namespace gamefiles
