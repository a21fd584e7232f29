#pragma once

#include <QObject>

class QKeyEvent;

namespace toolkit {

// A key on each player's side of the keyboard, so that each player ends only their own move:
// Left Shift and Z on the left for player A, Right Shift and the key beside it ("-" on a Norwegian
// keyboard, "/" on a US one) on the right for player B. The two Shift keys are told apart by the
// key's native code. A Shift counts when it is tapped alone (released with no other key between),
// so Shift+Tab and capitals never count as a move.
//
// The two Ctrl keys, one in each bottom corner, ask for the time, in every phase of the game: they
// never end a move. They too count only when tapped alone, so Ctrl+N and the other shortcuts stay.
//
// Tapped alone means nothing between the press and the release: no other key pressed or released,
// no shortcut looked up, no mouse button, no wheel step.
class PlayerKeys : public QObject {
    Q_OBJECT
public:
    enum class Side { None, A, B };

    // Watches the keys pressed anywhere in window while it is the active window.
    explicit PlayerKeys(QWidget *window);

    // Which side a Shift key belongs to, from its native codes; None for anything else.
    static Side shiftSide(const QKeyEvent &event);
    // Which side a Ctrl key belongs to, from its native codes; None for anything else.
    static Side controlSide(const QKeyEvent &event);
    // Which side a letter key belongs to; None for anything else.
    static Side letterSide(const QKeyEvent &event);

    // While false, no key is taken (a letter goes where it would go anyway).
    void setArmed(bool armed);
    bool isArmed() const { return m_armed; }

Q_SIGNALS:
    // A player's key ended a move; downAtMs: when it went down, on the timers' time source (a Shift
    // counts at its release, but the move ended when the finger went down).
    void pressed(bool playerA, qint64 downAtMs);
    // A Ctrl key went down, alone or not: what the clock says stops, as a screen reader's speech does.
    void controlPressed();
    // A Ctrl key tapped alone, on player A's side or on B's.
    void timeRequested(bool playerA);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One pair of modifier keys (the Shifts or the Ctrls), and whether the one held is still alone.
    class Tap {
    public:
        // A press, seen as the shortcut lookup or as the key press: returns whether it began a new
        // press (the same press arrives once as each, in either order).
        bool press(Side side, bool lookup);
        // Something else happened while the key is held.
        void interrupt() { m_alone = false; }
        // A key released; returns whether it was this pair's key, tapped alone.
        bool release(Side side);
        void reset() { *this = Tap(); }
        qint64 downAt() const { return m_downAt; }

    private:
        Side m_down = Side::None;
        qint64 m_downAt = 0;
        bool m_alone = false;
        bool m_lookupSeen = false, m_pressSeen = false;
    };

    QWidget *m_window;
    bool m_armed = false;
    Tap m_shift, m_control;
};

} // namespace toolkit
