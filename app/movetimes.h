#pragma once

#include "chart/frmtrekktider.h"
#include "clock/moverecord.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace gameclock {
class frmhoved;
}

namespace app {

// What the window of move times shows of the game in the window.
struct MoveTimesGame {
    QString nameA, nameB;
    gameclock::MoveRecords records;
    bool classic = true;
};

// The window of move times as a view of the game: it takes the game from the source when it opens
// or when the game is replaced, and each finished move as it comes. The chart module is loaded with
// the first window, never before.
class MoveTimes : public QObject {
    Q_OBJECT
public:
    using Source = std::function<MoveTimesGame()>;
    MoveTimes(Source source, QObject *parent);

    // Where the game is read from when the window opens or the game is replaced.
    void setSource(Source source);
    // "Vis > Trekktider": the window, made on the first show and brought to the front after.
    chart::frmtrekktider *show();
    // A move was finished: an open window draws it at once.
    void moveFinished(const gameclock::MoveRecord &move);
    // A new game, an opened one, a restored one, names changed: an open window shows it from the source.
    void gameChanged();
    // The open window, if any.
    chart::frmtrekktider *window() const { return m_window; }

private:
    void fill();

    Source m_source;
    QPointer<chart::frmtrekktider> m_window;
};

// Connects "Vis > Trekktider" to the window, and the window to the main window's game: its names,
// kind of clock and record when it opens or the game is replaced, each move as it is finished.
MoveTimes *connectMoveTimes(gameclock::frmhoved &main);

} // namespace app
