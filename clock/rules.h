#pragma once

// What one kind of clock counts, behind one interface: the classic clock counting whole seconds up
// to its limit, and the count-down clocks of the time controls. The game (game.h) owns one and
// gives it the time it read once for each event; nothing here reads a clock or holds a widget.

#include "moverecord.h"
#include "player.h"
#include "sideview.h"
#include "timecontrol.h"

#include "gamefiles/linefiles.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

namespace gameclock {

class Countdown;

// What a completed move took and left, for the game's record.
struct MoveTaken {
    qint64 usedMs = 0; // pauses left out; the classic clock's whole seconds
    int number = 0;    // the mover's own move number
};

class Rules {
public:
    virtual ~Rules() = default;

    virtual TimeControl control() const = 0;
    // Whose move it is: running, or paused with the move (or last had it).
    virtual Player turn() const = 0;
    virtual bool fallen(Player p) const = 0;
    // 0 while the flag stands, 1 when it fell first, 2 second.
    virtual int fellAs(Player p) const = 0;
    // The flag's caption; name is the player's name as typed.
    virtual QString flagCaption(Player p, const QString &name) const = 0;

    // The game begins, or goes on after a pause, with p's clock at now.
    virtual void resume(Player p, qint64 now) = 0;
    // The mover completes a move at `at`, and the other clock starts.
    virtual MoveTaken finishMove(qint64 at) = 0;
    // Both clocks stop at now.
    virtual void stop(qint64 now) = 0;
    // A second of p's clock timer. Returns why the clock cannot count, for the user.
    virtual std::optional<QString> countSecond(Player p, const QString &limit, const QString &name) = 0;
    // The running clock checked at now: a flag that ran out falls.
    virtual void settle(qint64 now) = 0;

    // One side as the views show it at now (the name and the phase are the game's).
    virtual void fill(SideView &view, Player p, qint64 now, const QString &limit) const = 0;
    // The file's values beyond the names: read-outs, limit, further lines (a count-down game keeps
    // its record of moves there; a classic game's file has room for none).
    virtual void fillValues(gamefiles::GameValues &values, const QString &limit, const MoveRecords &record,
                            qint64 now) const = 0;
    // Before the first move: the limit the game starts with, from what was typed.
    virtual QString startingLimit(Player first, const QString &typed) const = 0;

    // The read-outs, the turn indicator and the flags written as texts: a restore or the arbiter
    // puts them in, and the classic clock counts on from them. A count-down clock keeps its own.
    virtual void setReadouts(const gamefiles::Readouts &readouts) = 0;
    virtual void setTurn(Player p) = 0;
    virtual void setFlagCaption(Player p, const QString &caption) = 0;
    virtual gamefiles::Readouts readouts() const = 0;

    // The count-down model behind these rules; nothing for the classic clock.
    virtual const Countdown *countdown() const { return nullptr; }
    Countdown *countdown() { return const_cast<Countdown *>(std::as_const(*this).countdown()); }
};

std::unique_ptr<Rules> classicRules(Player turn);
// Nothing when control is Klassisk.
std::unique_ptr<Rules> countdownRules(const TimeControl &control);
std::unique_ptr<Rules> countdownRules(const Countdown &restored);

} // namespace gameclock
