#pragma once

#include "discovery.h"
#include "joinchoice.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

#include <optional>
#include <vector>

namespace hall {

// "Spill > Turnering...": the halls found on the network, or one typed (machine and port), the
// hall's name, the board number and the hall's join code; "Bli med" and "Forlat". The window only
// asks: whoever opened it joins or leaves, and tells it how the connection stands.
class frmturnering : public QWidget {
    Q_OBJECT
public:
    explicit frmturnering(const JoinChoice &current, QWidget *parent = nullptr);
    ~frmturnering() override;

    // ---- controls, named as the game knows them ----
    QGroupBox *rammesaler;
    QListWidget *saler;
    QLineEdit *maskin, *port, *sal, *brett, *kode;
    QLabel *tilstand;
    toolkit::CommandButton *BliMed, *Forlat, *Lukk;
    toolkit::ReasonLabel *melding;
    static toolkit::ControlTable controlTable();

    // ---- handlers ----
    void saler_Change();
    void BliMed_Click();
    void Forlat_Click();
    void Lukk_Click();

    // The form's choice, or why not (naming the field).
    std::optional<JoinChoice> formChoice(QString *why) const;
    void refuse(const QString &why);
    // How the clock's board stands in its hall: joined or not, and the note while it cannot reach it.
    void showState(bool joined, const QString &note);
    // A hall found on the network, and one that went away (also for tests).
    void addHall(const FoundHall &found);
    void removeHall(const QString &service);

Q_SIGNALS:
    void joinRequested(const hall::JoinChoice &choice);
    void leaveRequested();

private:
    std::vector<FoundHall> m_found;
    HallFinder *m_finder = nullptr;
};

// Shows the window once; finder: whether to look for halls on the network (tests leave it out).
frmturnering *showHallWindow(const JoinChoice &current, bool *created = nullptr, bool finder = true);

} // namespace hall
