#pragma once

#include "clock/timecontrol.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

#include <array>

namespace settings {

// "Spill > Tidskontroll...": the presets and the user's own controls in one list, and a form for an
// own control (up to three stages, each a time, a number of moves and an increment or delay, and
// time odds for B). OK hands the chosen control on as chosen; whoever opened the window applies it
// and closes the window, or says why not with refuse. Own controls are kept by name and removed.
class frmtid : public QWidget {
    Q_OBJECT
public:
    // current: the control the next game is played under, selected at the start.
    explicit frmtid(const gameclock::TimeControl &current, QWidget *parent = nullptr);
    ~frmtid() override;

    // ---- controls, named as the game knows them ----
    QGroupBox *rammeliste, *rammeegen;
    QListWidget *liste;
    QLineEdit *navn;
    std::array<QLineEdit *, 3> tid, trekk, sek;
    std::array<QComboBox *, 3> type;
    QCheckBox *odds;
    QLineEdit *tidb, *sekb;
    toolkit::CommandButton *Lagre, *Fjern, *OK, *Avbryt;
    toolkit::ReasonLabel *melding;
    static toolkit::ControlTable controlTable();

    // ---- handlers ----
    void liste_Change();
    void Lagre_Click();
    void Fjern_Click();
    void OK_Click();
    void Avbryt_Click();

    void refuse(const QString &why);
    // The control the form describes, or why not, naming the field.
    std::optional<gameclock::TimeControl> formControl(QString *why) const;

Q_SIGNALS:
    void chosen(const gameclock::TimeControl &control);

private:
    void fillList(const QString &select);
    void showInForm(const gameclock::TimeControl &control);
    // The control of the selected entry, if any.
    std::optional<gameclock::TimeControl> selected() const;
    bool selectedIsOwn() const;

    std::vector<gameclock::TimeControl> m_entries;
    std::size_t m_presetCount = 0;
};

frmtid *showTimeControls(const gameclock::TimeControl &current, bool *created = nullptr);

} // namespace settings
