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
// time odds for B). OK hands on what the window shows as chosen: the selected entry, or the control
// typed over it (kept as an own control, since the choice is kept by name). Whoever opened the
// window applies it and closes the window, or says why not with refuse. Own controls are kept by
// name and removed.
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
    // The one selected entry, or -1: followed however the selection was made.
    int selectedRow() const;
    // The control of the selected entry, if any.
    std::optional<gameclock::TimeControl> selected() const;
    bool selectedIsOwn() const;
    // Every field as it stands, to tell whether the user typed over what the list put there.
    QStringList formState() const;
    bool formIsEmpty() const;

    std::vector<gameclock::TimeControl> m_entries;
    std::size_t m_presetCount = 0;
    QStringList m_shown; // the form as the list's entry filled it
};

frmtid *showTimeControls(const gameclock::TimeControl &current, bool *created = nullptr);

} // namespace settings
