#pragma once

#include "moverecord.h"
#include "player.h"
#include "sideview.h"
#include "timecontrol.h"

#include "gamefiles/linefiles.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

namespace gameclock {

class Countdown;
class Rules;

// The game: names, limit, phase, whose move it is, each side's time, the flags in the order they
// fell and the record of every move, for both kinds of clock. It is free of widgets; the window,
// the faces, the board view, the speech, the screen reader, the backup and the hall are its views:
// they read it and hear what happened from its signals. The time is read from the toolkit's time
// source once per event and once per refresh, so that every view of one moment agrees.
class Game : public QObject {
    Q_OBJECT
public:
    explicit Game(QObject *parent = nullptr);
    ~Game() override;

    // ---- what the players typed ----
    void setName(Player p, const QString &name);
    QString typedName(Player p) const { return m_names[at(p)]; }
    // As the game uses it: an empty name reads as the default.
    QString name(Player p) const;
    void setLimit(const QString &text);
    QString limit() const { return m_limit; }

    // ---- the state ----
    Phase phase() const { return m_phase; }
    Player turn() const;
    bool running(Player p) const { return m_phase == Phase::Running && turn() == p; }
    TimeControl control() const;
    bool countsDown() const;
    // The count-down model, nothing under the classic clock.
    const Countdown *countdown() const;
    bool fallen(Player p) const;
    // 0 while the flag stands, 1 when it fell first, 2 second.
    int fellAs(Player p) const;
    QString flagCaption(Player p) const;
    // The classic read-outs as texts (empty under a count-down control).
    gamefiles::Readouts readouts() const;
    // One side as every view shows it, at the last reading of the time.
    SideView side(Player p) const;
    // The game file's values at the last reading of the time.
    gamefiles::GameValues values() const;
    // Every completed move of this game, in order.
    const MoveRecords &record() const { return m_record; }
    // The time of the last reading, on the toolkit's time source.
    qint64 lastReading() const { return m_now; }

    // ---- commands ----
    // A new game in set-up under the control: read-outs at zero, flags standing, no record.
    void newGame(const TimeControl &control);
    // In set-up, the next game is played under the control.
    void setControl(const TimeControl &control);
    // The game begins with the player's clock: empty names take the defaults, the limit its bounds.
    void start(Player first);
    // The running player completes a move. pressedAt: when the key or finger went down, where it
    // came before the release that ends the move; a count-down clock charges the move up to it.
    void finishMove(std::optional<qint64> pressedAt = std::nullopt);
    void pause();
    void resume(Player p);
    // A second of the player's clock timer.
    void countSecond(Player p);
    // The display's refresh: the time read, a flag that ran out falls.
    void refresh();
    // Reads the time for an event that keeps the game (a save, the end).
    void readTime();
    // A game read from a file, paused. Nothing changes when the lines after the seventh are ours but
    // damaged: returns why. note: set when the further lines are not ours.
    std::optional<QString> restore(const gamefiles::GameValues &values, QString *note);
    // The arbiter's corrections of a paused game; each returns the notes for the user.
    QStringList correctReadouts(const gamefiles::Readouts &readouts);
    QStringList correctCountdown(const std::array<qint64, 2> &leftMs, const std::array<int, 2> &moves);

    // The classic clock's read-outs, turn indicator and flags, written as texts by those who write
    // the controls that show them: the game counts on from what they hold.
    void setReadouts(const gamefiles::Readouts &readouts);
    void setTurn(Player p);
    void setFlagCaption(Player p, const QString &caption);

Q_SIGNALS:
    // Something other than the running time changed.
    void changed();
    // The time was read for the display: a running clock moved on.
    void refreshed();
    // A second of a running clock: the backup and the announcements follow.
    void secondCounted(gameclock::Player p);
    // A flag fell, whatever the event that found it.
    void flagFell(gameclock::Player p);
    void started(gameclock::Player first);
    void moveFinished(const gameclock::MoveRecord &move);
    void paused();
    void resumed(gameclock::Player p);
    void corrected();
    void restored();
    void reset();
    // What a game file holds changed in a way the backup must keep at once.
    void backupDue();
    // The classic clock could not count a second on its read-outs: why, for the user.
    void countingFailed(const QString &why);

private:
    void read();
    // Runs a step of the rules and announces the flags it dropped, in the order they fell.
    template <typename Step> void watchingFlags(Step step);
    void replaceRules(std::unique_ptr<Rules> rules);

    std::unique_ptr<Rules> m_rules;
    QString m_names[2];
    QString m_limit;
    Phase m_phase = Phase::SetUp;
    qint64 m_now = 0;
    qint64 m_runningSince = 0;
    int m_pausesInMove = 0;
    MoveRecords m_record;
};

} // namespace gameclock
