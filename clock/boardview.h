#pragma once

#include "player.h"
#include "sideview.h"

#include <QFont>
#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

class QMenu;

namespace toolkit {
class CommandButton;
}

namespace gameclock {

class FigureCache;

// How one half of the board is coloured: its ground, its figures (time, name), and a frame.
struct HalfLook {
    QColor ground;
    QColor figures;
    QColor frame;         // invalid: no frame
    bool striped = false; // paused: stripes over the ground
    bool operator==(const HalfLook &) const = default;
};

// A fallen flag fills its whole half in the flag's red; otherwise the running side is filled in the
// desktop's accent (a fixed blue where the accent is too close to the window's own ground to be seen
// from afar), in its last minute in amber; the waiting side is plain, framed in amber in its last
// minute; paused, both are striped. Figures are black or white, whichever stands out more from the
// ground.
HalfLook halfLook(const SideView &side, Phase phase, const QPalette &palette);

// WCAG's contrast ratio of two colours, 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);

// The cells the time is drawn in: each character in a cell of its own, every digit as wide as the
// widest, so that a change of one figure is drawn again in its own cell alone.
struct TimeCells {
    QFont font;
    std::vector<QRectF> cells; // one per character of the time
    qreal baseline = 0;
    qreal inkTop = 0, inkBottom = 0; // the band the figures' ink may touch
};

// One player's half of the board: the flag strip, the name, the time as large as the view makes it,
// the face and what the state adds (pause, moves). A tap or a click on it, or Space while it has
// the focus, asks to end this player's move; whether that counts is the clock's business.
class BoardHalf : public QWidget {
    Q_OBJECT
public:
    // The figures of the time are drawn from the cache, which the view shares between its halves.
    BoardHalf(Player player, FigureCache *figures, QWidget *parent);

    const SideView &side() const { return m_side; }
    HalfLook look() const { return m_look; }
    // Draws again only the parts that change.
    void setSide(const SideView &side, Phase phase);
    // On the left the face goes to the left edge, on the right to the right one: outwards.
    void setOnLeft(bool onLeft);
    // The font of the time, chosen by the view so that both halves show it alike.
    void setTimeFont(const QFont &font);
    // The room the time is fitted to, and where its characters are drawn now.
    QRect timeArea() const { return m_timeArea; }
    const TimeCells &timeCells() const { return m_cells; }
    QRect faceArea() const { return m_faceArea; }
    QRect nameArea() const { return m_nameArea; }
    QRect flagArea() const { return m_flagArea; }
    // What the flag's strip says: whose flag fell, and "(først)" on the first when both did.
    static QString flagCaption(const SideView &side);

Q_SIGNALS:
    // pressedAt: when the finger or key went down, on the timers' time source.
    void tapped(qint64 pressedAt);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void layOut();
    void placeCells();
    QString statusText() const;
    QRect cellRect(int index) const;

    FigureCache *m_figures;
    SideView m_side;
    Phase m_phase = Phase::SetUp;
    HalfLook m_look;
    QRect m_flagArea, m_nameArea, m_timeArea, m_faceArea, m_statusArea;
    TimeCells m_cells;
    QImage m_disc; // the face without its hands, at its size
    bool m_onLeft;
    bool m_pressed = false;
    qint64 m_pressedAt = 0;
};

// The board view: each player's half of the screen with their time as large as it fits, the game
// buttons in the middle. It shows what it is given (both sides and the phase) and says what the user
// asked for; the main window decides what that does.
class BoardView : public QWidget {
    Q_OBJECT
public:
    explicit BoardView(QWidget *parent = nullptr);
    ~BoardView() override;

    void setState(const SideView &a, const SideView &b, Phase phase);
    Phase phase() const { return m_phase; }
    // B's half on the left, A's on the right.
    void setSwapped(bool swapped);
    BoardHalf *half(Player p) const { return p == Player::A ? m_halfA : m_halfB; }
    // The keyboard focus to the button the phase calls for: the switch, whoever resumes, the first start.
    void takeFocus();
    // What a right click (or the menu key) on the board offers: the view's own commands.
    void setMenuActions(const QList<QAction *> &actions);
    QMenu *menu() const { return m_menu; }

    toolkit::CommandButton *startA, *startB, *switchButton, *pauseButton, *resumeA, *resumeB, *leaveButton;

Q_SIGNALS:
    void tapped(gameclock::Player p, qint64 pressedAt);
    void startClicked(gameclock::Player p);
    void switchClicked();
    void pauseClicked();
    void resumeClicked(gameclock::Player p);
    void leaveClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void layOut();
    void fitTime();
    void followPhase();
    QFont menuFont() const;

    std::unique_ptr<FigureCache> m_figures;
    QMenu *m_menu = nullptr;
    BoardHalf *m_halfA, *m_halfB;
    Phase m_phase = Phase::SetUp;
    bool m_shown = false; // a state was given
    bool m_swapped = false;
    QString m_names[2]; // A's and B's, as the buttons show them
    QString m_pattern;  // the time shapes and the area the font was fitted to
};

} // namespace gameclock
