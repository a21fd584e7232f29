#include "rules.h"

#include "captions.h"
#include "countdown.h"
#include "countdownfile.h"
#include "limits.h"
#include "numbers.h"

#include <cmath>
#include <utility>

namespace gameclock {

namespace {

// The classic clock: whole seconds of its clock timers counted up on read-outs that are texts, as
// a game file holds them, so that whatever a file or the arbiter puts in is counted on exactly.
class ClassicRules final : public Rules {
public:
    explicit ClassicRules(Player turn) : m_turn(turn) {}

    TimeControl control() const override { return classicControl(); }
    Player turn() const override { return m_turn; }
    bool fallen(Player p) const override { return !m_flags[at(p)].isEmpty(); }
    int fellAs(Player p) const override { return m_fellAs[at(p)]; }
    QString flagCaption(Player p, const QString &) const override { return m_flags[at(p)]; }

    // The fraction of a second run before a switch or a pause is not counted: only the timers'
    // whole seconds are.
    void resume(Player p, qint64) override
    {
        // Resumed with the other player, the move under way ends uncompleted.
        if (p != m_turn)
            m_moveMs = 0;
        m_turn = p;
    }
    MoveTaken finishMove(qint64) override
    {
        const MoveTaken taken{std::exchange(m_moveMs, 0), ++m_moves[at(m_turn)]};
        m_turn = other(m_turn);
        return taken;
    }
    void stop(qint64) override {}
    void settle(qint64) override {}

    std::optional<QString> countSecond(Player p, const QString &limit, const QString &name) override
    {
        QString &min = m_readouts[at(p)].minutes;
        QString &sek = m_readouts[at(p)].seconds;
        const std::optional<double> seconds = strictNumber(sek);
        const std::optional<double> minutes = strictNumber(min);
        // Only a damaged file could bring this; counting on from a guess would corrupt the game.
        if (!seconds || !minutes)
            return QStringLiteral("Klokken kan ikke telle videre: avlesningen «%1:%2» er ikke et tall.").arg(min, sek);
        if (p == m_turn)
            m_moveMs += 1000;
        sek = numberToText(*seconds + 1);
        if (strictNumber(sek) == 60.0) {
            min = numberToText(*minutes + 1);
            sek = QStringLiteral("0");
        }
        // Written again at every second of the limit's minute.
        if (numericValue(limit) == strictNumber(min))
            setFlagCaption(p, gameclock::flagCaption(name));
        return std::nullopt;
    }

    void fill(SideView &view, Player p, qint64, const QString &limit) const override
    {
        // A read-out that is not a number (only a damaged file brings one) shows as it stands.
        const Readout &r = m_readouts[at(p)];
        const std::optional<double> minutes = strictNumber(r.minutes);
        const std::optional<double> seconds = strictNumber(r.seconds);
        if (minutes && seconds && *minutes >= 0 && *seconds >= 0 && *seconds < 60) {
            view.minutes = qint64(*minutes);
            view.seconds = int(*seconds);
            view.time = QStringLiteral("%1:%2").arg(view.minutes).arg(view.seconds, 2, 10, QLatin1Char('0'));
        } else {
            view.time = r.minutes + QLatin1Char(':') + r.seconds;
            view.timeKnown = false;
        }
        view.handMinutes = minutes;
        view.handSeconds = seconds;
        view.flagFallen = fallen(p);
        view.fellFirst = m_fellAs[at(p)] == 1 && m_fellAs[at(other(p))] == 2;
        const double limitMinutes = numericValue(limit);
        view.lowTime = !view.flagFallen && minutes && *minutes + 1 == limitMinutes;
        // What is left of the limit, for those who count down (the hall): negative past it.
        if (minutes && seconds && std::isfinite(limitMinutes))
            view.leftMs = qint64(std::llround((limitMinutes * 60 - *minutes * 60 - *seconds) * 1000));
    }

    void fillValues(gamefiles::GameValues &values, const QString &limit, const MoveRecords &, qint64) const override
    {
        values.mina = m_readouts[0].minutes;
        values.seka = m_readouts[0].seconds;
        values.minb = m_readouts[1].minutes;
        values.sekb = m_readouts[1].seconds;
        values.stans = limit;
    }

    QString startingLimit(Player first, const QString &typed) const override
    {
        // Within the bounds, the longer minimum when B begins; then as plain digits.
        double limit = numericValue(typed);
        if (limit > kLimitHighest)
            limit = kLimitHighest;
        const double lowest = first == Player::A ? kLimitLowestA : kLimitLowestB;
        if (limit < lowest)
            limit = lowest;
        return numberToText(limit);
    }

    void setReadouts(const gamefiles::Readouts &r) override
    {
        m_readouts[0] = {r.mina, r.seka};
        m_readouts[1] = {r.minb, r.sekb};
    }
    void setTurn(Player p) override { m_turn = p; }
    void setFlagCaption(Player p, const QString &caption) override
    {
        // The order the flags fell in follows their captions: a flag raised again gives up its place.
        int &mine = m_fellAs[at(p)], &theirs = m_fellAs[at(other(p))];
        if (caption.isEmpty()) {
            mine = 0;
            theirs = std::min(theirs, 1);
        } else if (mine == 0) {
            mine = theirs != 0 ? 2 : 1;
        }
        m_flags[at(p)] = caption;
    }
    gamefiles::Readouts readouts() const override
    {
        return {m_readouts[0].minutes, m_readouts[0].seconds, m_readouts[1].minutes, m_readouts[1].seconds};
    }

private:
    struct Readout {
        QString minutes = QStringLiteral("0"), seconds = QStringLiteral("0");
    };
    Readout m_readouts[2];
    QString m_flags[2];
    int m_fellAs[2] = {};
    Player m_turn;
    qint64 m_moveMs = 0; // the seconds counted on the move under way
    int m_moves[2] = {};
};

// A count-down control: the model counts to the millisecond, and the timers' seconds only keep the
// backup and the announcements within a second of it.
class CountdownRules final : public Rules {
public:
    explicit CountdownRules(Countdown game) : m_game(std::move(game)) {}

    TimeControl control() const override { return m_game.control(); }
    Player turn() const override { return m_game.turn(); }
    bool fallen(Player p) const override { return m_game.fallen(p); }
    int fellAs(Player p) const override { return m_game.fellAs(p); }
    QString flagCaption(Player p, const QString &name) const override
    {
        if (!fallen(p))
            return {};
        return gameclock::flagCaption(name, m_game.fellFirst(p));
    }

    void resume(Player p, qint64 now) override { m_game.resume(p, now); }
    MoveTaken finishMove(qint64 at) override
    {
        const Player mover = m_game.turn();
        const qint64 used = m_game.state(at).usedMs;
        m_game.finishMove(at);
        return {used, m_game.moves(mover)};
    }
    void stop(qint64 now) override { m_game.stop(now); }
    std::optional<QString> countSecond(Player, const QString &, const QString &) override { return std::nullopt; }
    void settle(qint64 now) override { m_game.settle(now); }

    void fill(SideView &view, Player p, qint64 now, const QString &) const override
    {
        const qint64 left = m_game.leftMs(p, now);
        view.time = clockText(left);
        view.minutes = left / 60000;
        view.seconds = int(left / 1000 % 60);
        view.countsDown = true;
        view.flagFallen = fallen(p);
        view.fellFirst = m_game.fellFirst(p);
        view.lowTime = !view.flagFallen && left < 60000;
        view.moves = m_game.moves(p);
        view.leftMs = left;
        const Dial dial = mechanicalDial(left);
        view.handMinutes = dial.minutes;
        view.handSeconds = dial.seconds;
    }

    void fillValues(gamefiles::GameValues &values, const QString &, const MoveRecords &record,
                    qint64 now) const override
    {
        // The seven lines a classic reader opens, the count-down game's whole state after them.
        const CountdownState state = m_game.state(now);
        const ClassicView seven = classicView(state);
        values.mina = seven.mina;
        values.seka = seven.seka;
        values.minb = seven.minb;
        values.sekb = seven.sekb;
        values.stans = seven.stans;
        values.further = countdownLines(m_game.control(), state, record);
    }

    // The control has its own times; the limit box is not used.
    QString startingLimit(Player, const QString &typed) const override { return typed; }

    void setReadouts(const gamefiles::Readouts &) override {}
    void setTurn(Player) override {}
    void setFlagCaption(Player, const QString &) override {}
    gamefiles::Readouts readouts() const override { return {}; }

    const Countdown *countdown() const override { return &m_game; }

private:
    Countdown m_game;
};

} // namespace

std::unique_ptr<Rules> classicRules(Player turn)
{
    return std::make_unique<ClassicRules>(turn);
}

std::unique_ptr<Rules> countdownRules(const TimeControl &control)
{
    if (control.classic())
        return nullptr;
    return std::make_unique<CountdownRules>(Countdown(control));
}

std::unique_ptr<Rules> countdownRules(const Countdown &restored)
{
    return std::make_unique<CountdownRules>(restored);
}

} // namespace gameclock
