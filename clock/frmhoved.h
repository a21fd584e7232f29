#pragma once

#include "countdown.h"
#include "game.h"
#include "lastingstatus.h"
#include "player.h"
#include "sideview.h"
#include "toolkit/controls.h"
#include "toolkit/controltable.h"
#include "toolkit/gamemarks.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"
#include "toolkit/timer.h"

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>

#include <optional>

class QAction;
class QMenu;

namespace gamefiles {
struct GameValues;
struct Readouts;
struct FileError;
} // namespace gamefiles

namespace toolkit {
class PlayerKeys;
class ZoomStage;
} // namespace toolkit

namespace gameclock {

class BackupWriter;
class BoardView;
class LastingStatus;

// The game clock's main window: the controls that show the game (its model, game()) and take the
// players' commands. The read-outs, the turn indicator and the flags keep the names and texts the
// game is known by; a text written into one of them by name is the game's from then on. The clock
// timers run the side the game says runs.
class frmhoved : public QMainWindow {
    Q_OBJECT
public:
    explicit frmhoved(QWidget *parent = nullptr);
    ~frmhoved() override;

    // ---- controls, named as the game knows them ----
    toolkit::AnnouncedLabel *mina, *seka, *minb, *sekb;
    toolkit::TextBox *spillera, *spillerb, *stans;
    toolkit::FitLabel *Label1; // turn indicator, never shown: "1" A, "0" B
    toolkit::FlagStrip *klaffa, *klaffb;
    toolkit::Timer *tida, *tidb, *Timer1, *Timer2;
    toolkit::CommandButton *starta, *startb, *Command1, *pause, *pausea, *pauseb;
    toolkit::PictureBox *ura, *urb;
    QLabel *Label2, *mina2, *seka2, *minb2, *sekb2;
    toolkit::Shape *Shape4, *Shape2, *Shape3;
    toolkit::PlayerFrame *Shape1_0, *Shape1_1; // A's and B's frame: thick in the accent while that clock runs
    // A count-down game's own controls, hidden under the classic clock: the control's name in the
    // limit's place, each player's time left and moves made below the faces.
    toolkit::FitLabel *kontroll;
    toolkit::AnnouncedLabel *igjena, *igjenb;
    toolkit::AnnouncedLabel *trekka, *trekkb;
    // The controls on the window's face (not its timers) as the window was drawn.
    static toolkit::ControlTable controlTable();

    // ---- menus ----
    QMenu *Spill, *Vis, *hjelp1;
    QAction *Nytt, *Apne, *Juster, *Lagre, *LagreSom, *Tidskontroll, *Turnering, *Alternativer, *Avslutt;
    QAction *Fullskjerm, *Tavlevisning, *ByttSide, *Storre, *Mindre, *VanligStorrelse;
    QAction *LesOpp, *TaleRaskere, *TaleSaktere; // spoken announcements (checkable), speech rate
    QAction *Trekktider;                         // the chart of the moves' times
    QAction *Regler, *Om, *Nettleser;

    // ---- handlers ----
    void Timer1_Timer();
    void Timer2_Timer();
    void tida_Timer();
    void tidb_Timer();
    void starta_Click();
    void startb_Click();
    void Command1_Click();
    void pause_Click();
    void pausea_Click();
    void pauseb_Click();
    void Nytt_Click();
    void Avslutt_Click();
    void Alternativer_Click();
    void Regler_Click();
    void Om_Click();
    void Nettleser_Click();
    void opengame();
    void Juster_Click();
    void Tidskontroll_Click();
    void Turnering_Click();
    void Trekktider_Click();
    void saveas();
    void quicksave();

    // ---- commands the other windows' requests are connected to at program start ----
    // Puts a checked game into the window and leaves it paused, as a pause during the game would:
    // no clock runs, and the resume buttons continue it. Turn indicator and flags stay.
    // A count-down game comes back with its control and exact state from the lines after the seventh;
    // further lines that are not ours open the classic game of the seven, with a note. Returns why
    // nothing was changed: lines of ours that are damaged.
    std::optional<QString> restoreGame(const gamefiles::GameValues &values);
    // The arbiter's correction of a paused game: the read-outs take the checked values, as a restore
    // puts them in, the faces and the backup follow at once, and a flag falls where the counting
    // would have dropped it. The game stays paused; a fallen flag stays down. Returns why nothing
    // was changed, when the game is no longer paused.
    std::optional<QString> correctTime(const gamefiles::Readouts &readouts);
    // The arbiter's correction of a paused count-down game: each player's time left and moves made;
    // the stage follows the moves. Returns why nothing was changed.
    struct CountdownCorrection {
        std::array<qint64, 2> leftMs;
        std::array<int, 2> moves;
    };
    std::optional<QString> correctCountdown(const CountdownCorrection &correction);
    // The game the window shows.
    Game &game() const { return *m_game; }
    // The count-down game in the window, nothing under the classic clock.
    const Countdown *countdown() const { return m_game->countdown(); }
    // The control the game in the window is played under.
    TimeControl timeControl() const;
    // In set-up, the next game is played under the control; the names typed stay. Returns why not.
    std::optional<QString> applyTimeControl(const TimeControl &control);
    // Runs the start-up again, so that newly saved settings are taken up.
    void reloadSettings();

    // The whole window at another scale: zoom steps of a quarter. Full screen shows the board view.
    void Fullskjerm_Click(bool on);
    // The board view in place of the window's layout, the menu bar out of the way; off, the layout
    // comes back (and full screen ends).
    void Tavlevisning_Click(bool on);
    // Turns the sides of the board view: B's half on the left, and the player keys with it (or back);
    // kept per user. The argument, the entry's new mark, is not relied on.
    void ByttSide_Click(bool);
    bool boardShown() const { return m_boardShown; }
    // The board view, once it was first shown.
    BoardView *board() const { return m_board; }
    // Whether the board shows B on the left (read from the user's choice when first needed).
    bool sidesSwapped();
    void Storre_Click();
    void Mindre_Click();
    void VanligStorrelse_Click();
    qreal zoom() const;
    // The largest zoom at which the window fits the available screen.
    qreal largestZoom() const;
    // Sets the window to show the layout at the zoom given (within 1 and what fits the screen).
    void setZoom(qreal zoom);

    void drawhanda(double x, double y, std::optional<double> value, double length);
    void drawhandb(double x, double y, std::optional<double> value, double length);

    // The first step of every command that opens another window.
    void timeLimitCheck();

    // What each player's side shows and the phase of the game, from the state as it stands now.
    SideView side(Player p) const { return m_game->side(p); }
    Phase phase() const { return m_game->phase(); }

    // The values a game file holds, at this moment.
    gamefiles::GameValues gameValues() const;

    // Waits (a bounded time) until the last backup write has reached the disk.
    bool finishBackup(int timeoutMs = 2000);

    // The machine is about to sleep: a running game is paused as by "Pause", its backup written
    // and waited for, and a lasting message says since when. Returns whether a game was paused;
    // in set-up or paused nothing changes.
    bool pauseForSleep();

    // A message for the user in the status bar; it stays until replaced or cleared.
    void report(const QString &message);
    QString reportedMessage() const;

    // States that last until they end (the backup cannot be written, the settings file is missing,
    // the machine slept, the battery is low, ...). Shown in a permanent part of the status bar that
    // neither a menu's status tip nor a passing note wipes; an empty message ends the state.
    using Lasting = gameclock::Lasting;
    void setLasting(Lasting state, const QString &message);
    QString lastingMessage(Lasting state) const;
    // All lasting states as the status bar shows them, in the order of the enum.
    QString lastingText() const;

Q_SIGNALS:
    // Emitted after the time-limit check where the command has one; the windows that answer them
    // are connected at program start.
    void optionsRequested();
    void aboutRequested();
    void rulesRequested();
    void browserRequested();
    void openRequested();
    void correctionRequested();
    void timeControlRequested();
    void hallRequested();
    void moveTimesRequested();
    void saveAsRequested();
    // The window's layout was drawn at another scale.
    void zoomed(qreal zoom);
    // The permanent part of the status bar changed; text is all lasting states as shown.
    void lastingChanged(const QString &text);
    // A player asked to hear both clocks (a Ctrl key tapped alone; playerA: the left one).
    void timeRequested(bool playerA);
    // A Ctrl key went down: the key that silences a screen reader silences the clock too.
    void silenceRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildControls(QWidget *client);
    void buildMenus();
    // The controls show the game: boxes, read-outs, turn indicator, flags, the count-down's own
    // controls, the clock timers, the board.
    void showGame();
    void showTimes();
    // Writing a read-out, the turn indicator or a flag by name writes the game.
    void bindToGame();
    void startGame(Player first);
    // The face refresh of one player's face, from the game's hands.
    void refreshFace(Player p, bool setFillColour);
    void resume(Player p);
    // The paused look of the game buttons, from a pause or a restore.
    void showPaused();
    // Paused, with no new game on its way: the one phase in which the time may be corrected.
    bool paused() const;
    // The commands that belong to one phase follow it.
    void followPhase();
    // The controls of the kind of clock in the window shown, the others hidden.
    void showClockKind();
    // A move ended by a key or a finger: the press, where one came first, ends it.
    void switchPressed();
    void writeBackup();
    // The game is left: by "Avslutt", the title bar or the session's end, the same way.
    void leaveGame();
    // The running side shown in the frames, the player keys armed, from the clock timers.
    void followClocks();
    void playerKey(Player p, std::optional<qint64> pressedAt = std::nullopt);
    // A player key or a tap on a half, by where it is: the left one belongs to the player shown on the left.
    void sideKey(bool left, qint64 pressedAt);
    // The board view shows the state as it stands now (nothing when it is not shown).
    void followBoard();
    void showBoard(bool on);
    void makeBoard();
    void followStatusBar();
    // The controls of the window that the game's phase gives the focus.
    void focusClassic();
    void zoomChanged(qreal zoom);
    void countdownFonts(qreal zoom);
    // What a screen reader reads of each face follows the game's state; a change of state (not of
    // the time) is announced.
    void followAccessible();
    void backupWritten(const std::optional<gamefiles::FileError> &error);

    Game *m_game;
    BackupWriter *m_backup;
    toolkit::ZoomStage *m_stage;
    toolkit::PlayerKeys *m_keys;
    LastingStatus *m_lasting;
    BoardView *m_board = nullptr;
    bool m_boardShown = false;
    std::optional<bool> m_sidesSwapped; // read when first needed: a start reads no configuration
    // When the switch button went down, until its click ends the move.
    std::optional<qint64> m_pressedAt;
    // What each face (A, B) was last drawn from, and its canvas's count right after.
    struct FaceDrawn {
        std::optional<double> minutes, seconds;
        QColor fill, fore;
        quint64 drawCount = 0;
        bool operator==(const FaceDrawn &) const = default;
    };
    FaceDrawn m_faceDrawn[2];
    struct FaceState {
        QString name;
        bool running = false, toMove = false, flagFallen = false, fellFirst = false, lowTime = false;
        Phase phase = Phase::SetUp;
        bool operator==(const FaceState &) const = default;
    };
    FaceState m_faceState[2];
};

} // namespace gameclock
