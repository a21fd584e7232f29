#include "game.h"

#include "captions.h"
#include "countdown.h"
#include "countdownfile.h"
#include "limits.h"
#include "numbers.h"
#include "rules.h"

#include "toolkit/timer.h"

#include <QTime>

#include <algorithm>
#include <cmath>
#include <utility>

namespace gameclock {

namespace {

// Names of a new window and of an empty box, as the settings file has them.
const gamefiles::SettingsValues kDefaults;

QString correctedAt()
{
    return QStringLiteral("Tiden ble justert kl. %1.").arg(QTime::currentTime().toString(QStringLiteral("HH:mm")));
}

QString stillFallen(const QString &name)
{
    return QStringLiteral("Klaffen har fortsatt falt for %1: en justering hever den ikke.").arg(name);
}

} // namespace

Game::Game(QObject *parent) : QObject(parent), m_rules(classicRules(Player::A)), m_limit(kDefaults.stans)
{
    m_names[0] = kDefaults.spillera;
    m_names[1] = kDefaults.spillerb;
}

Game::~Game() = default;

void Game::read()
{
    m_now = toolkit::TimeSource::current().nowMs();
}

template <typename Step> void Game::watchingFlags(Step step)
{
    const bool stood[2] = {!m_rules->fallen(Player::A), !m_rules->fallen(Player::B)};
    step();
    // Two flags cannot fall in one step: only the running clock runs out.
    for (const Player p : kPlayers)
        if (stood[at(p)] && m_rules->fallen(p))
            Q_EMIT flagFell(p);
}

void Game::replaceRules(std::unique_ptr<Rules> rules)
{
    m_rules = std::move(rules);
}

// ---- what the players typed ------------------------------------------------------------------

void Game::setName(Player p, const QString &name)
{
    if (m_names[at(p)] == name)
        return;
    m_names[at(p)] = name;
    Q_EMIT changed();
}

QString Game::name(Player p) const
{
    const QString &typed = m_names[at(p)];
    if (!typed.isEmpty())
        return typed;
    return p == Player::A ? kDefaults.spillera : kDefaults.spillerb;
}

void Game::setLimit(const QString &text)
{
    if (m_limit == text)
        return;
    m_limit = text;
    Q_EMIT changed();
}

// ---- the state -------------------------------------------------------------------------------

Player Game::turn() const
{
    return m_rules->turn();
}

TimeControl Game::control() const
{
    return m_rules->control();
}

bool Game::countsDown() const
{
    return m_rules->countdown() != nullptr;
}

const Countdown *Game::countdown() const
{
    return m_rules->countdown();
}

bool Game::fallen(Player p) const
{
    return m_rules->fallen(p);
}

int Game::fellAs(Player p) const
{
    return m_rules->fellAs(p);
}

QString Game::flagCaption(Player p) const
{
    return m_rules->flagCaption(p, m_names[at(p)]);
}

gamefiles::Readouts Game::readouts() const
{
    return m_rules->readouts();
}

SideView Game::side(Player p) const
{
    SideView view;
    view.name = name(p);
    m_rules->fill(view, p, m_now, m_limit);
    view.running = running(p);
    view.toMove = m_phase != Phase::SetUp && turn() == p;
    return view;
}

gamefiles::GameValues Game::values() const
{
    gamefiles::GameValues values;
    values.spillera = m_names[0];
    values.spillerb = m_names[1];
    m_rules->fillValues(values, m_limit, m_record, m_now);
    return values;
}

// ---- commands --------------------------------------------------------------------------------

void Game::newGame(const TimeControl &control)
{
    read();
    std::unique_ptr<Rules> rules = countdownRules(control);
    replaceRules(rules ? std::move(rules) : classicRules(Player::A));
    m_phase = Phase::SetUp;
    m_pausesInMove = 0;
    m_record.clear();
    Q_EMIT reset();
    Q_EMIT changed();
}

void Game::setControl(const TimeControl &control)
{
    if (m_phase != Phase::SetUp)
        return;
    newGame(control);
}

void Game::start(Player first)
{
    if (m_phase != Phase::SetUp)
        return;
    read();
    m_limit = m_rules->startingLimit(first, m_limit);
    for (const Player p : kPlayers)
        if (m_names[at(p)].isEmpty())
            m_names[at(p)] = name(p);
    m_phase = Phase::Running;
    m_runningSince = m_now;
    watchingFlags([&] { m_rules->resume(first, m_now); });
    Q_EMIT started(first);
    Q_EMIT changed();
    if (countsDown())
        Q_EMIT backupDue();
}

void Game::finishMove(std::optional<qint64> pressedAt)
{
    if (m_phase != Phase::Running)
        return;
    read();
    // The move ends when the finger went down, never before the clock started nor after now.
    const qint64 end = std::clamp(pressedAt.value_or(m_now), m_runningSince, m_now);
    const Player mover = turn();
    MoveTaken taken;
    watchingFlags([&] { taken = m_rules->finishMove(end); });
    m_runningSince = end;
    SideView after;
    m_rules->fill(after, mover, m_now, m_limit);
    const MoveRecord move{mover, taken.number, taken.usedMs, after.leftMs, std::exchange(m_pausesInMove, 0)};
    m_record.push_back(move);
    Q_EMIT moveFinished(move);
    Q_EMIT changed();
    // A crash after a switch loses no move.
    if (countsDown())
        Q_EMIT backupDue();
}

void Game::pause()
{
    if (m_phase != Phase::Running)
        return;
    read();
    watchingFlags([&] { m_rules->stop(m_now); });
    m_phase = Phase::Paused;
    ++m_pausesInMove;
    Q_EMIT paused();
    Q_EMIT changed();
    // The milliseconds run so far stay with the move, and in the backup.
    if (countsDown())
        Q_EMIT backupDue();
}

void Game::resume(Player p)
{
    if (m_phase != Phase::Paused)
        return;
    read();
    const bool otherPlayer = p != turn();
    watchingFlags([&] { m_rules->resume(p, m_now); });
    m_phase = Phase::Running;
    m_runningSince = m_now;
    // Resumed with the other player, the move under way ends uncompleted: no move to record.
    if (otherPlayer)
        m_pausesInMove = 0;
    Q_EMIT resumed(p);
    Q_EMIT changed();
}

void Game::countSecond(Player p)
{
    // Only the running clock's timer ticks.
    if (!running(p))
        return;
    read();
    std::optional<QString> failed;
    watchingFlags([&] {
        failed = m_rules->countSecond(p, m_limit, m_names[at(p)]);
        m_rules->settle(m_now);
    });
    if (failed) {
        Q_EMIT countingFailed(*failed);
        return;
    }
    Q_EMIT backupDue();
    Q_EMIT secondCounted(p);
    Q_EMIT changed();
}

void Game::refresh()
{
    read();
    watchingFlags([&] { m_rules->settle(m_now); });
    Q_EMIT refreshed();
}

void Game::readTime()
{
    read();
}

std::optional<QString> Game::restore(const gamefiles::GameValues &values, QString *note)
{
    // The whole file is judged before anything changes: a game is never half restored.
    const CountdownRead further = readCountdownLines(values.further);
    if (further.kind == CountdownRead::Kind::Damaged)
        return further.reason;
    std::unique_ptr<Rules> rules;
    if (further.kind == CountdownRead::Kind::Countdown) {
        const std::optional<Countdown> game = Countdown::restore(further.control, further.state);
        if (!game)
            return QStringLiteral("Tilstanden i nedtellingen kan ikke gjenopprettes.");
        rules = countdownRules(*game);
    } else {
        // A classic game keeps the turn indicator and the flags, as a pause would; what belonged to a
        // count-down game goes with it.
        rules = classicRules(turn());
        if (!countsDown())
            for (const int order : {1, 2})
                for (const Player p : kPlayers)
                    if (m_rules->fellAs(p) == order)
                        rules->setFlagCaption(p, m_rules->flagCaption(p, m_names[at(p)]));
    }
    read();
    replaceRules(std::move(rules));
    m_rules->setReadouts({values.mina, values.seka, values.minb, values.sekb});
    m_names[0] = values.spillera;
    m_names[1] = values.spillerb;
    m_limit = values.stans;
    m_phase = Phase::Paused;
    m_pausesInMove = 0;
    // A count-down file keeps the record of its moves; a classic one has none.
    m_record = further.records;
    if (note)
        *note = further.kind == CountdownRead::Kind::Unknown
                    ? QStringLiteral("Linjene etter den sjuende er ukjente for Partivakt og ble ikke lest: partiet er "
                                     "åpnet som et klassisk parti.")
                    : further.recordNote;
    Q_EMIT restored();
    Q_EMIT changed();
    return std::nullopt;
}

QStringList Game::correctReadouts(const gamefiles::Readouts &readouts)
{
    read();
    m_rules->setReadouts(readouts);
    QStringList notes{correctedAt()};
    const double limit = numericValue(m_limit);
    const gamefiles::Readouts now = m_rules->readouts();
    for (const Player p : kPlayers) {
        const QString &typed = m_names[at(p)];
        // The counting that brought a player to these minutes passed the limit's minute on its way
        // and dropped the flag there: a correction past the limit drops it too. A limit the minutes
        // can never equal (a fraction, below zero) never drops it, as in the counting.
        const double minutes = strictNumber(p == Player::A ? now.mina : now.minb).value_or(-1);
        const bool reached = limit >= 0 && limit == std::floor(limit) && minutes >= limit;
        // A fallen flag is a fact the arbiter rules on; a correction does not undo it, and says so.
        if (reached && !m_rules->fallen(p))
            notes << gameclock::flagCaption(typed) + QLatin1Char('.');
        else if (!reached && m_rules->fallen(p))
            notes << stillFallen(typed);
        if (reached)
            m_rules->setFlagCaption(p, gameclock::flagCaption(typed));
    }
    Q_EMIT corrected();
    Q_EMIT changed();
    Q_EMIT backupDue();
    return notes;
}

QStringList Game::correctCountdown(const std::array<qint64, 2> &leftMs, const std::array<int, 2> &moves)
{
    Countdown *game = m_rules->countdown();
    if (!game)
        return {};
    read();
    QStringList notes{correctedAt()};
    for (const Player p : kPlayers) {
        const bool fallenBefore = game->fallen(p);
        game->correct(p, leftMs[at(p)], moves[at(p)]);
        const QString &typed = m_names[at(p)];
        if (!fallenBefore && game->fallen(p))
            notes << gameclock::flagCaption(typed) + QLatin1Char('.');
        else if (fallenBefore && leftMs[at(p)] > 0)
            notes << stillFallen(typed);
    }
    Q_EMIT corrected();
    Q_EMIT changed();
    Q_EMIT backupDue();
    return notes;
}

// ---- the classic controls' texts -------------------------------------------------------------

void Game::setReadouts(const gamefiles::Readouts &readouts)
{
    if (m_rules->readouts() == readouts || countsDown())
        return;
    m_rules->setReadouts(readouts);
    Q_EMIT changed();
}

void Game::setTurn(Player p)
{
    if (turn() == p || countsDown())
        return;
    m_rules->setTurn(p);
    Q_EMIT changed();
}

void Game::setFlagCaption(Player p, const QString &caption)
{
    if (flagCaption(p) == caption || countsDown())
        return;
    m_rules->setFlagCaption(p, caption);
    Q_EMIT changed();
}

} // namespace gameclock
