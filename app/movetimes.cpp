#include "movetimes.h"

#include "chart/frmtrekktider.h"
#include "clock/frmhoved.h"

namespace app {

MoveTimes::MoveTimes(Source source, QObject *parent) : QObject(parent), m_source(std::move(source)) {}

void MoveTimes::setSource(Source source)
{
    m_source = std::move(source);
    gameChanged();
}

chart::frmtrekktider *MoveTimes::show()
{
    bool created = false;
    m_window = chart::showMoveTimes(&created);
    if (created)
        fill();
    return m_window;
}

void MoveTimes::moveFinished(const gameclock::MoveRecord &move)
{
    if (m_window)
        m_window->appendMove(move);
}

void MoveTimes::gameChanged()
{
    if (m_window)
        fill();
}

void MoveTimes::fill()
{
    const MoveTimesGame game = m_source ? m_source() : MoveTimesGame{};
    m_window->setPlayers(game.nameA, game.nameB);
    m_window->setRecord(game.records, game.classic);
}

MoveTimes *connectMoveTimes(gameclock::frmhoved &main)
{
    auto *moveTimes = new MoveTimes(
        [&main] {
            return MoveTimesGame{main.spillera->text(), main.spillerb->text(), {}, main.countdown() == nullptr};
        },
        &main);
    QObject::connect(&main, &gameclock::frmhoved::moveTimesRequested, moveTimes, &MoveTimes::show);
    return moveTimes;
}

} // namespace app
