#include "movetimes.h"

#include "chart/frmtrekktider.h"
#include "clock/frmhoved.h"
#include "clock/game.h"

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
    using gameclock::Game;
    using gameclock::Player;
    Game &game = main.game();
    auto *moveTimes = new MoveTimes(
        [&game] {
            return MoveTimesGame{game.name(Player::A), game.name(Player::B), game.record(), !game.countsDown()};
        },
        &main);
    // The window follows the clock's zoom, as the clock's own windows do.
    QObject::connect(&main, &gameclock::frmhoved::moveTimesRequested, moveTimes,
                     [moveTimes, &main] { moveTimes->show()->setZoom(main.zoom()); });
    QObject::connect(&main, &gameclock::frmhoved::zoomed, moveTimes, [moveTimes](qreal zoom) {
        if (chart::frmtrekktider *window = moveTimes->window())
            window->setZoom(zoom);
    });
    QObject::connect(&game, &Game::moveFinished, moveTimes, &MoveTimes::moveFinished);
    QObject::connect(&game, &Game::restored, moveTimes, &MoveTimes::gameChanged);
    QObject::connect(&game, &Game::reset, moveTimes, &MoveTimes::gameChanged);
    // Names typed in set-up, and the defaults that empty ones take at the start.
    QObject::connect(&game, &Game::changed, moveTimes, [moveTimes, &game] {
        if (chart::frmtrekktider *window = moveTimes->window())
            window->setPlayers(game.name(Player::A), game.name(Player::B));
    });
    return moveTimes;
}

} // namespace app
