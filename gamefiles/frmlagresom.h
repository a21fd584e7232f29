#pragma once

#include "platform/controls.h"
#include "platform/dirlist.h"
#include "platform/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

namespace gameclock {
class frmhoved;
}

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
    explicit frmlagresom(gameclock::frmhoved &main);
    ~frmlagresom() override;

    // ---- controls, named as the game knows them ----
    platform::DirList *Dir1;
    QLineEdit *filnavn;
    platform::CommandButton *Lagre, *Avbryt;
    QGroupBox *Frame1;
    QLabel *filbane, *label1;
    // Why the game could not be saved; hidden while there is nothing to say.
    platform::ReasonLabel *melding;

    // ---- handlers ----
    void Form_Load();
    void Dir1_Change();
    void Lagre_Click();
    void Avbryt_Click();

    // Where the window starts at every opening: the user's home directory.
    static QString startDirectory();

private:
    QPointer<gameclock::frmhoved> m_main;
};

// Opens the save-as window, or brings the open one to the front with its directory and name kept.
frmlagresom *showSaveAs(gameclock::frmhoved &main);

} // namespace gamefiles
