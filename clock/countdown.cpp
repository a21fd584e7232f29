#include "countdown.h"

#include <algorithm>

namespace gameclock {

namespace {

// No game is longer: a bound that keeps every sum of times far from overflowing.
constexpr qint64 kMaxLeftMs = 1000LL * 3600 * 1000;
constexpr int kMaxMoves = 99999;

} // namespace

Dial mechanicalDial(qint64 leftMs)
{
    const qint64 secondsLeft = std::max<qint64>(leftMs, 0) / 1000 % 3600;
    const qint64 shown = (3600 - secondsLeft) % 3600;
    return {double(shown) / 60.0, int(shown % 60)};
}

Countdown::Countdown(const TimeControl &control) : m_control(control)
{
    m_left = {startingTime(control.a), startingTime(control.b)};
}

std::optional<QString> Countdown::whyNot(const TimeControl &control, const CountdownState &state)
{
    if (control.classic())
        return QStringLiteral("Tidskontrollen teller ikke ned.");
    if (const std::optional<QString> why = whyInvalid(control))
        return why;
    if (state.usedMs < 0 || state.usedMs > kMaxLeftMs)
        return QStringLiteral("Tiden brukt på trekket er utenfor grensene.");
    for (const Player p : kPlayers) {
        const QString who = p == Player::A ? QStringLiteral("A") : QStringLiteral("B");
        if (state.leftMs[at(p)] < 0 || state.leftMs[at(p)] > kMaxLeftMs)
            return QStringLiteral("Tiden igjen for spiller %1 er utenfor grensene.").arg(who);
        if (state.moves[at(p)] < 0 || state.moves[at(p)] > kMaxMoves)
            return QStringLiteral("Antall trekk for spiller %1 er utenfor grensene.").arg(who);
        // The stage follows the moves; a file that says otherwise was not written by the clock.
        if (state.stages[at(p)] != stageAfter(control.stages(p == Player::A), state.moves[at(p)]))
            return QStringLiteral("Fasen til spiller %1 passer ikke med antall trekk.").arg(who);
    }
    const auto &f = state.fellAs;
    const bool orderSound =
        (f[0] == 0 && f[1] <= 1) || (f[1] == 0 && f[0] <= 1) || (f[0] == 1 && f[1] == 2) || (f[0] == 2 && f[1] == 1);
    if (!orderSound)
        return QStringLiteral("Rekkefølgen klaffene falt i er ugyldig.");
    return std::nullopt;
}

std::optional<Countdown> Countdown::restore(const TimeControl &control, const CountdownState &state)
{
    if (whyNot(control, state))
        return std::nullopt;
    Countdown game(control);
    game.m_moves = state.moves;
    game.m_stage = state.stages;
    game.m_fellAs = state.fellAs;
    game.m_turn = state.turn;
    game.m_used = state.usedMs;
    game.m_left = state.leftMs;
    // The mover's clock is kept as it stood when the move began.
    game.m_left[at(state.turn)] += game.charged(state.turn, state.usedMs);
    return game;
}

const Stage &Countdown::currentStage(Player player) const
{
    const Stages &stages = m_control.stages(player == Player::A);
    return stages[std::min<std::size_t>(std::size_t(m_stage[at(player)]), stages.size() - 1)];
}

qint64 Countdown::charged(Player player, qint64 usedMs) const
{
    const Stage &s = currentStage(player);
    return s.bonus == Bonus::Delay ? std::max<qint64>(0, usedMs - s.bonusMs) : usedMs;
}

qint64 Countdown::usedNow(qint64 now) const
{
    return m_used + (m_running ? std::max<qint64>(0, now - m_since) : 0);
}

qint64 Countdown::leftMs(Player player, qint64 now) const
{
    if (player != m_turn)
        return std::max<qint64>(0, m_left[at(player)]);
    return std::max<qint64>(0, m_left[at(player)] - charged(player, usedNow(now)));
}

void Countdown::fall(Player player)
{
    m_fellAs[at(player)] = m_fellAs[at(other(player))] != 0 ? 2 : 1;
}

std::optional<Player> Countdown::settle(qint64 now)
{
    if (!m_running || fallen(m_turn))
        return std::nullopt;
    if (m_left[at(m_turn)] - charged(m_turn, usedNow(now)) > 0)
        return std::nullopt;
    fall(m_turn);
    return m_turn;
}

void Countdown::resume(Player player, qint64 now)
{
    if (m_running)
        stop(now);
    if (player != m_turn) {
        // The move under way was not completed: what it took stays taken, nothing is given.
        m_left[at(m_turn)] = std::max<qint64>(0, m_left[at(m_turn)] - charged(m_turn, m_used));
        m_used = 0;
        m_turn = player;
    }
    m_since = now;
    m_running = true;
    settle(now);
}

void Countdown::finishMove(qint64 now)
{
    if (!m_running)
        return;
    settle(now);
    const Player p = m_turn;
    const Stage &played = currentStage(p);
    const qint64 used = usedNow(now);
    // The clock stops at zero: a fallen flag is no debt to pay back later.
    qint64 left = std::max<qint64>(0, m_left[at(p)] - charged(p, used));
    // No increment or give-back rescues a fallen flag.
    if (!fallen(p)) {
        if (played.bonus == Bonus::Fischer)
            left += played.bonusMs;
        else if (played.bonus == Bonus::Bronstein)
            left += std::min(used, played.bonusMs);
    }
    int &moves = m_moves[at(p)];
    moves = std::min(moves + 1, kMaxMoves);
    // The next stage's time comes with the move that completes the stage, fallen flag or not, as
    // on the tournament clocks; the flag stays down.
    const Stages &stages = m_control.stages(p == Player::A);
    const int reached = stageAfter(stages, moves);
    int &stage = m_stage[at(p)];
    while (stage < reached)
        left += stages[std::size_t(++stage)].baseMs;
    m_left[at(p)] = std::min(left, kMaxLeftMs);
    m_turn = other(p);
    m_used = 0;
    m_since = now;
    settle(now);
}

void Countdown::stop(qint64 now)
{
    if (!m_running)
        return;
    settle(now);
    m_used = usedNow(now);
    m_running = false;
}

CountdownState Countdown::state(qint64 now) const
{
    CountdownState s;
    s.leftMs = {leftMs(Player::A, now), leftMs(Player::B, now)};
    s.usedMs = usedNow(now);
    s.moves = m_moves;
    s.stages = m_stage;
    s.turn = m_turn;
    s.fellAs = m_fellAs;
    return s;
}

void Countdown::correct(Player player, qint64 leftMs, int moves)
{
    if (m_running)
        return;
    const std::size_t i = at(player);
    m_moves[i] = std::clamp(moves, 0, kMaxMoves);
    m_stage[i] = stageAfter(m_control.stages(player == Player::A), m_moves[i]);
    leftMs = std::clamp<qint64>(leftMs, 0, kMaxLeftMs);
    m_left[i] = leftMs + (player == m_turn ? charged(player, m_used) : 0);
    if (leftMs == 0 && !fallen(player))
        fall(player);
}

} // namespace gameclock
