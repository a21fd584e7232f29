#pragma once

#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/textbox.h"
#include "toolkit/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QWidget>

namespace settings {

// The options window: edits the stored names and time limit. It never writes the main window's
// boxes; OK saves the settings file and says so (saved), and the main window's start-up takes the
// values up.
class frmalt : public QWidget {
    Q_OBJECT
public:
    explicit frmalt(QWidget *parent = nullptr);
    ~frmalt() override;

    // ---- controls, named as the game knows them ----
    QGroupBox *Frame1, *Frame2, *Frame3;
    toolkit::TextBox *spillera, *spillerb, *stans;
    toolkit::CommandButton *standar, *ok, *Avbryt;
    // Why the settings could not be read or saved; hidden while there is nothing to say.
    toolkit::ReasonLabel *melding;
    // Those controls as the window was drawn.
    static toolkit::ControlTable controlTable();

    // ---- handlers ----
    void Form_Load();
    void standar_Click();
    void ok_Click();
    void Avbryt_Click();

Q_SIGNALS:
    // The settings file holds the new values.
    void saved();
};

// Opens the options window, or brings the open one to the front with its edits kept. The window
// is new when created is set.
frmalt *showOptions(bool *created = nullptr);

} // namespace settings
