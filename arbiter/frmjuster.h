#pragma once

#include "gamefiles/linefiles.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace arbiter {

// The arbiter's correction: both players' minutes and seconds, prefilled with the paused game's
// read-outs. OK hands on only values that hold, as correctionChosen; whoever opened the window
// applies them and closes it, or says why not with refuse.
class frmjuster : public QWidget {
    Q_OBJECT
public:
    explicit frmjuster(const gamefiles::GameValues &game, QWidget *parent = nullptr);
    ~frmjuster() override;

    // ---- controls, named as the game knows them ----
    QGroupBox *rammea, *rammeb; // captioned with the players' names
    QLineEdit *mina, *seka, *minb, *sekb;
    QLabel *mina2, *seka2, *minb2, *sekb2;
    toolkit::CommandButton *OK, *Avbryt;
    // Why the time was not corrected; hidden while there is nothing to say.
    toolkit::ReasonLabel *melding;
    // Those controls as the window was drawn.
    static toolkit::ControlTable controlTable();

    // ---- handlers ----
    void OK_Click();
    void Avbryt_Click();

    // The correction could not be applied: the window stays open and says why.
    void refuse(const QString &why);

Q_SIGNALS:
    // Checked read-outs, as plain digits, that the user chose.
    void correctionChosen(const gamefiles::Readouts &readouts);

private:
    QString m_nameA, m_nameB;
};

// Opens the correction window for the game given, or brings the open one to the front with what
// was typed kept. The window is new when created is set.
frmjuster *showCorrection(const gamefiles::GameValues &game, bool *created = nullptr);

} // namespace arbiter
