#pragma once

#include <QObject>

class QKeyEvent;

namespace toolkit {

// A key on each player's side of the keyboard, so that each player ends only their own move:
// Left Shift and Z on the left for player A, Right Shift and the key beside it ("-" on a Norwegian
// keyboard, "/" on a US one) on the right for player B. The two Shift keys are told apart by the
// key's native code. A Shift counts when it is tapped alone (released with no other key between),
// so Shift+Tab and capitals never count as a move.
class PlayerKeys : public QObject {
    Q_OBJECT
public:
    enum class Side { None, A, B };

    // Watches the keys pressed anywhere in window while it is the active window.
    explicit PlayerKeys(QWidget *window);

    // Which side a Shift key belongs to, from its native codes; None for anything else.
    static Side shiftSide(const QKeyEvent &event);
    // Which side a letter key belongs to; None for anything else.
    static Side letterSide(const QKeyEvent &event);

    // While false, no key is taken (a letter goes where it would go anyway).
    void setArmed(bool armed);
    bool isArmed() const { return m_armed; }

Q_SIGNALS:
    void pressed(bool playerA);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    bool m_armed = false;
    Side m_shiftDown = Side::None;
};

} // namespace toolkit
