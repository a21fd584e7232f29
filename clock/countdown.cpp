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
    if (state.turn != kA && state.turn != kB)
        return QStringLiteral("Det står ikke hvem som er i trekket.");
    if (state.usedMs < 0 || state.usedMs > kMaxLeftMs)
        return QStringLiteral("Tiden brukt på trekket er utenfor grensene.");
    for (int p : {kA, kB}) {
        const QString who = p == kA ? QStringLiteral("A") : QStringLiteral("B");
        if (state.leftMs[p] < 0 || state.leftMs[p] > kMaxLeftMs)
            return QStringLiteral("Tiden igjen for spiller %1 er utenfor grensene.").arg(who);
        if (state.moves[p] < 0 || state.moves[p] > kMaxMoves)
            return QStringLiteral("Antall trekk for spiller %1 er utenfor grensene.").arg(who);
        // The stage follows the moves; a file that says otherwise was not written by the clock.
        if (state.stages[p] != stageAfter(control.stages(p == kA), state.moves[p]))
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
    game.m_left[state.turn] += game.charged(state.turn, state.usedMs);
    return game;
}

const Stage &Countdown::currentStage(int player) const
{
    const Stages &stages = m_control.stages(player == kA);
    return stages[std::min<std::size_t>(std::size_t(m_stage[player]), stages.size() - 1)];
}

qint64 Countdown::charged(int player, qint64 usedMs) const
{
    const Stage &s = currentStage(player);
    return s.bonus == Bonus::Delay ? std::max<qint64>(0, usedMs - s.bonusMs) : usedMs;
}

qint64 Countdown::usedNow(qint64 now) const
{
    return m_used + (m_running ? std::max<qint64>(0, now - m_since) : 0);
}

qint64 Countdown::leftMs(int player, qint64 now) const
{
    if (player != m_turn)
        return std::max<qint64>(0, m_left[player]);
    return std::max<qint64>(0, m_left[player] - charged(player, usedNow(now)));
}

void Countdown::fall(int player)
{
    m_fellAs[player] = m_fellAs[1 - player] != 0 ? 2 : 1;
}

int Countdown::settle(qint64 now)
{
    if (!m_running || fallen(m_turn))
        return -1;
    if (m_left[m_turn] - charged(m_turn, usedNow(now)) > 0)
        return -1;
    fall(m_turn);
    return m_turn;
}

void Countdown::resume(int player, qint64 now)
{
    if (m_running)
        stop(now);
    if (player != m_turn) {
        // The move under way was not completed: what it took stays taken, nothing is given.
        m_left[m_turn] = std::max<qint64>(0, m_left[m_turn] - charged(m_turn, m_used));
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
    const int p = m_turn;
    const Stage &played = currentStage(p);
    const qint64 used = usedNow(now);
    // The clock stops at zero: a fallen flag is no debt to pay back later.
    qint64 left = std::max<qint64>(0, m_left[p] - charged(p, used));
    // No increment or give-back rescues a fallen flag.
    if (!fallen(p)) {
        if (played.bonus == Bonus::Fischer)
            left += played.bonusMs;
        else if (played.bonus == Bonus::Bronstein)
            left += std::min(used, played.bonusMs);
    }
    m_moves[p] = std::min(m_moves[p] + 1, kMaxMoves);
    // The next stage's time comes with the move that completes the stage, fallen flag or not, as
    // on the tournament clocks; the flag stays down.
    const Stages &stages = m_control.stages(p == kA);
    const int reached = stageAfter(stages, m_moves[p]);
    while (m_stage[p] < reached)
        left += stages[std::size_t(++m_stage[p])].baseMs;
    m_left[p] = std::min(left, kMaxLeftMs);
    m_turn = 1 - p;
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
    s.leftMs = {leftMs(kA, now), leftMs(kB, now)};
    s.usedMs = usedNow(now);
    s.moves = m_moves;
    s.stages = m_stage;
    s.turn = m_turn;
    s.fellAs = m_fellAs;
    return s;
}

void Countdown::correct(int player, qint64 leftMs, int moves)
{
    if (m_running)
        return;
    m_moves[player] = std::clamp(moves, 0, kMaxMoves);
    m_stage[player] = stageAfter(m_control.stages(player == kA), m_moves[player]);
    leftMs = std::clamp<qint64>(leftMs, 0, kMaxLeftMs);
    m_left[player] = leftMs + (player == m_turn ? charged(player, m_used) : 0);
    if (leftMs == 0 && !fallen(player))
        fall(player);
}

} // namespace gameclock
