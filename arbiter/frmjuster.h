#pragma once

#include "clock/timecontrol.h"
#include "gamefiles/linefiles.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/windows.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace arbiter {

// What the arbiter corrects in a count-down game: each player's time left and moves made (A first).
struct CountdownValues {
    std::array<qint64, 2> leftMs{};
    std::array<int, 2> moves{};
    bool operator==(const CountdownValues &) const = default;
};
// A paused count-down game as the window starts from, with its control: the stage follows the
// moves, and the time typed follows the stage.
struct CountdownGame {
    CountdownValues values;
    gameclock::TimeControl control;
};

// The arbiter's correction: both players' minutes and seconds, prefilled with the paused game's
// read-outs. OK hands on only values that hold, as correctionChosen; whoever opened the window
// applies them and closes it, or says why not with refuse.
class frmjuster : public QWidget {
    Q_OBJECT
public:
    // With a count-down game, the fields are each player's time left and moves made instead.
    explicit frmjuster(const gamefiles::GameValues &game, const std::optional<CountdownGame> &countdown = {},
                       QWidget *parent = nullptr);
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
    // Checked times (to the millisecond where the arbiter left them) and moves of a count-down game.
    void countdownChosen(const arbiter::CountdownValues &values);

private:
    void countdownOK();
    // The moves typed moved the player into another stage: its time comes, or goes, with it.
    void followStage(int player);
    // What the player's fields hold: the time left (exact while it reads as it was put there) and
    // the moves; nothing when the field cannot be read.
    std::optional<qint64> typedLeftMs(int player) const;
    std::optional<int> typedMoves(int player) const;

    QString m_nameA, m_nameB;
    std::optional<CountdownGame> m_countdown;
    // Each player's exact time while the field still shows it as it was put there, and the moves the
    // time field stands for.
    std::array<qint64, 2> m_exactMs{};
    std::array<QString, 2> m_timeShown;
    std::array<int, 2> m_movesShown{};
};

// Opens the correction window for the game given, or brings the open one to the front with what
// was typed kept. The window is new when created is set.
frmjuster *showCorrection(const gamefiles::GameValues &game, const std::optional<CountdownGame> &countdown = {},
                          bool *created = nullptr);

} // namespace arbiter
