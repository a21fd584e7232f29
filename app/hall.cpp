#include "hall.h"

#include "clock/frmhoved.h"
#include "clock/numbers.h"
#include "hall/frmturnering.h"
#include "hall/joinchoice.h"
#include "hall/publisher.h"

#include <QPointer>

#include <optional>

namespace app {

using gameclock::frmhoved;

hall::BoardState boardState(const frmhoved &main)
{
    hall::BoardState s;
    s.control = main.timeControl().name;
    switch (main.phase()) {
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
    // The classic clock counts up towards its limit: what is left is the limit less the time used.
    const qint64 limitMs = qint64(gameclock::numericValue(main.stans->text()) * 60000);
    const gameclock::SideView a = main.side(true), b = main.side(false);
    for (const auto &[view, other, side, who] :
         {std::tuple{&a, &b, &s.a, hall::Side::A}, std::tuple{&b, &a, &s.b, hall::Side::B}}) {
        side->name = view->name;
        side->leftMs = view->countsDown ? view->leftMs : limitMs - (view->minutes * 60 + view->seconds) * 1000;
        side->moves = view->moves;
        side->flag = view->flagFallen ? (other->flagFallen && !view->fellFirst ? 2 : 1) : 0;
        if (s.phase != hall::GamePhase::SetUp && view->toMove)
            s.toMove = who;
    }
    return s;
}

namespace {

// The hall's side of the clock: the publisher while joined, and what it needs that the main window
// does not say (which flag fell first under the classic clock).
class HallWiring : public QObject {
public:
    explicit HallWiring(frmhoved &main) : QObject(&main), m_main(main), m_heartbeat(nullptr, 1000)
    {
        connect(&main, &frmhoved::hallRequested, this, &HallWiring::showWindow);
        connect(&main, &frmhoved::gameStarted, this, [this] {
            m_firstFallenA.reset();
            publish();
        });
        connect(&main, &frmhoved::ticked, this, [this](bool playerA, bool flagFell) {
            if (flagFell && !m_firstFallenA)
                m_firstFallenA = playerA;
            publish();
        });
        // A switch, a pause and a resume start or stop a clock's timer.
        connect(main.tida, &toolkit::Timer::activeChanged, this, &HallWiring::publish);
        connect(main.tidb, &toolkit::Timer::activeChanged, this, &HallWiring::publish);
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
        hall::BoardState state = boardState(m_main);
        // Both flags down under the classic clock: the order is the one the ticks saw.
        if (state.a.flag && state.b.flag && m_firstFallenA) {
            state.a.flag = *m_firstFallenA ? 1 : 2;
            state.b.flag = *m_firstFallenA ? 2 : 1;
        }
        m_publisher->publish(state);
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
        if (!note.isEmpty())
            m_main.report(note);
        else if (joined)
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
    std::optional<bool> m_firstFallenA;
};

} // namespace

void connectHall(frmhoved &main)
{
    new HallWiring(main);
}

} // namespace app
