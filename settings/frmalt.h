#pragma once

#include "platform/controls.h"
#include "platform/textbox.h"
#include "platform/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QWidget>

namespace gameclock {
class frmhoved;
}

namespace settings {

// The options window: edits the stored names and time limit. It never writes the main window's
// boxes; OK saves the settings file and lets the main window's start-up take the values up.
class frmalt : public QWidget {
    Q_OBJECT
public:
    explicit frmalt(gameclock::frmhoved &main);
    ~frmalt() override;

    // ---- controls, named as the game knows them ----
    QGroupBox *Frame1, *Frame2, *Frame3;
    platform::TextBox *spillera, *spillerb, *stans;
    platform::CommandButton *standar, *ok, *Avbryt;
    // Why the settings could not be read or saved; hidden while there is nothing to say.
    platform::ReasonLabel *melding;

    // ---- handlers ----
    void Form_Load();
    void standar_Click();
    void ok_Click();
    void Avbryt_Click();

private:
    QPointer<gameclock::frmhoved> m_main;
};

// Opens the options window, or brings the open one to the front with its edits kept.
frmalt *showOptions(gameclock::frmhoved &main);

} // namespace settings
