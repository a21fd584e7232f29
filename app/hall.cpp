#include "hall.h"

#include "clock/frmhoved.h"
#include "hall/frmturnering.h"
#include "hall/joinchoice.h"
#include "hall/publisher.h"

#include <QPointer>

#include <algorithm>
#include <optional>

namespace app {

using gameclock::frmhoved;

hall::BoardState boardState(const gameclock::Game &game)
{
    using gameclock::Player;
    hall::BoardState s;
    s.control = game.control().name;
    switch (game.phase()) {
    case gameclock::Phase::SetUp:
        s.phase = hall::GamePhase::SetUp;
        break;
    case gameclock::Phase::Running:
        s.phase = hall::GamePhase::Running;
        break;
    case gameclock::Phase::Paused:
        s.phase = hall::GamePhase::Paused;
        break;
    }
    const auto sideOf = [](Player p) { return p == Player::A ? hall::Side::A : hall::Side::B; };
    for (const Player p : gameclock::kPlayers) {
        const gameclock::SideView view = game.side(p);
        hall::SideState &side = p == Player::A ? s.a : s.b;
        side.name = view.name;
        side.leftMs = view.leftMs;
        // The classic clock shows no moves, but the game counts them all the same.
        side.moves =
            view.moves
                ? view.moves
                : std::optional<int>(int(std::count_if(game.record().begin(), game.record().end(),
                                                       [p](const gameclock::MoveRecord &m) { return m.player == p; })));
        side.flag = game.fellAs(p);
    }
    if (s.phase != hall::GamePhase::SetUp)
        s.toMove = sideOf(game.turn());
    if (!game.record().empty()) {
        s.lastPlayer = sideOf(game.record().back().player);
        s.lastMoveMs = game.record().back().usedMs;
    }
    return s;
}

namespace {

// The hall's side of the clock: the publisher while joined, one more view of the game.
class HallWiring : public QObject {
public:
    explicit HallWiring(frmhoved &main) : QObject(&main), m_main(main), m_heartbeat(nullptr, 1000)
    {
        connect(&main, &frmhoved::hallRequested, this, &HallWiring::showWindow);
        // Every change of the game is a message; the running time between them is the overview's
        // to count, as the clock would.
        connect(&main.game(), &gameclock::Game::changed, this, &HallWiring::publish);
        connect(&main.game(), &gameclock::Game::flagFell, this, &HallWiring::publish);
        // Once a second whatever the phase: the overview tells a quiet board from a paused one.
        connect(&m_heartbeat, &toolkit::Timer::timeout, this, &HallWiring::publish);
        const hall::JoinChoice chosen = hall::loadJoinChoice();
        if (chosen.joined)
            join(chosen);
    }

private:
    void publish()
    {
        if (!m_publisher)
            return;
        m_publisher->publish(boardState(m_main.game()));
        // The heartbeat speaks only after a second without a message.
        m_heartbeat.setEnabled(false);
        m_heartbeat.setEnabled(true);
    }

    void join(const hall::JoinChoice &choice)
    {
        // The old board's connection is dropped: its will marks it gone.
        delete m_publisher;
        m_publisher = new hall::Publisher(choice, this);
        connect(m_publisher, &hall::Publisher::noteChanged, this, &HallWiring::showNote);
        m_heartbeat.setEnabled(true);
        publish();
        showNote(m_publisher->note());
    }

    void leave()
    {
        delete m_publisher;
        m_heartbeat.setEnabled(false);
        showNote({});
    }

    void showNote(const QString &note)
    {
        const bool joined = m_publisher;
        if (m_window)
            m_window->showState(joined, note);
        // While the hall cannot be reached the status bar says so, until it can.
        m_main.setLasting(gameclock::Lasting::Hall, note);
        if (!note.isEmpty())
            return;
        if (joined)
            m_main.report(QStringLiteral("Brett %1 er med i turneringssalen %2.")
                              .arg(m_publisher->choice().board)
                              .arg(m_publisher->choice().hall));
        else
            m_main.report(QStringLiteral("Klokka er ikke lenger med i turneringssalen."));
    }

    void showWindow()
    {
        bool created = false;
        const hall::JoinChoice current = m_publisher ? m_publisher->choice() : hall::loadJoinChoice();
        m_window = hall::showHallWindow(current, &created);
        if (!created)
            return;
        m_window->showState(bool(m_publisher), m_publisher ? m_publisher->note() : QString());
        connect(m_window, &hall::frmturnering::joinRequested, this, [this](const hall::JoinChoice &choice) {
            if (const QString failed = hall::saveJoinChoice(choice); !failed.isEmpty())
                m_window->refuse(failed + QStringLiteral(" Klokka blir med nå, men ikke ved neste start."));
            join(choice);
        });
        connect(m_window, &hall::frmturnering::leaveRequested, this, [this] {
            hall::JoinChoice choice = m_publisher ? m_publisher->choice() : hall::loadJoinChoice();
            choice.joined = false;
            if (const QString failed = hall::saveJoinChoice(choice); !failed.isEmpty())
                m_window->refuse(failed);
            leave();
        });
    }

    frmhoved &m_main;
    toolkit::Timer m_heartbeat;
    QPointer<hall::Publisher> m_publisher;
    QPointer<hall::frmturnering> m_window;
};

} // namespace

void connectHall(frmhoved &main)
{
    new HallWiring(main);
}

} // namespace app
