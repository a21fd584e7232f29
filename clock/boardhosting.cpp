#include "frmhoved.h"

#include "boardview.h"

#include "toolkit/preferences.h"
#include "toolkit/zoom.h"

#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>

// The board view in the main window's place: shown and left, its sides, its preference.
namespace gameclock {

namespace {

// The user's choice of sides in the board view, kept with the other preferences.
const QString kSidesSwappedKey = QStringLiteral("tavle/byttSide");

} // namespace

void frmhoved::Fullskjerm_Click(bool on)
{
    if (on) {
        showBoard(true);
        showFullScreen();
    } else {
        if (isFullScreen())
            showNormal();
        showBoard(false);
    }
    Fullskjerm->setChecked(on);
}

void frmhoved::Tavlevisning_Click(bool on)
{
    if (!on && isFullScreen())
        showNormal();
    showBoard(on);
}

void frmhoved::showBoard(bool on)
{
    Tavlevisning->setChecked(on);
    // The layout's own scale means nothing to the board.
    for (QAction *zoom : {Storre, Mindre, VanligStorrelse})
        zoom->setEnabled(!on);
    if (on == m_boardShown)
        return;
    m_boardShown = on;
    // The view taken out stays the window's child, hidden, with its state: the layout's controls
    // remain the game's state, and the board comes back as it was left.
    QWidget *shown = takeCentralWidget();
    shown->setParent(this);
    shown->hide();
    if (on) {
        makeBoard();
        m_board->setSwapped(sidesSwapped());
        setCentralWidget(m_board);
        m_board->show();
        menuBar()->hide();
        followBoard();
        m_board->takeFocus();
    } else {
        setCentralWidget(m_stage);
        m_stage->show();
        menuBar()->show();
        focusClassic();
        Timer2_Timer();
    }
    followStatusBar();
}

void frmhoved::followStatusBar()
{
    // A status bar with nothing to say takes no room from the board.
    const bool empty = reportedMessage().isEmpty() && lastingText().isEmpty();
    if (statusBar()->isHidden() != (m_boardShown && empty))
        statusBar()->setHidden(m_boardShown && empty);
}

void frmhoved::makeBoard()
{
    if (m_board)
        return;
    m_board = new BoardView(this);
    m_board->hide();
    connect(m_board, &BoardView::tapped, this, [this](Player p, qint64 pressedAt) { playerKey(p, pressedAt); });
    // The board's buttons are shown in their phase only; a click that comes as the phase changes
    // must not run a handler made for another one.
    connect(m_board, &BoardView::startClicked, this, [this](Player p) {
        if (phase() == Phase::SetUp)
            startGame(p);
    });
    connect(m_board->switchButton, &QPushButton::pressed, this, &frmhoved::switchPressed);
    connect(m_board, &BoardView::switchClicked, this, [this] {
        if (phase() == Phase::Running)
            Command1_Click();
    });
    connect(m_board, &BoardView::pauseClicked, this, [this] {
        if (phase() == Phase::Running)
            pause_Click();
    });
    connect(m_board, &BoardView::resumeClicked, this, [this](Player p) {
        if (phase() == Phase::Paused)
            resume(p);
    });
    connect(m_board, &BoardView::leaveClicked, this, [this] { Fullskjerm_Click(false); });
    m_board->setMenuActions({Tavlevisning, Fullskjerm, ByttSide});
}

void frmhoved::focusClassic()
{
    // A button, never a box: a box that receives the focus empties itself.
    switch (phase()) {
    case Phase::SetUp:
        starta->setFocus(Qt::OtherFocusReason);
        break;
    case Phase::Running:
        Command1->setFocus(Qt::OtherFocusReason);
        break;
    case Phase::Paused:
        (m_game->turn() == Player::B ? pauseb : pausea)->setFocus(Qt::OtherFocusReason);
        break;
    }
}

void frmhoved::followBoard()
{
    if (!m_boardShown)
        return;
    m_board->setState(side(Player::A), side(Player::B), phase());
    // The handlers give the focus to the layout's buttons, hidden behind the board.
    QWidget *focus = focusWidget();
    if (!focus || !m_board->isAncestorOf(focus))
        m_board->takeFocus();
}

bool frmhoved::sidesSwapped()
{
    if (!m_sidesSwapped) {
        bool swapped = false;
        toolkit::readPreferences([&swapped](QSettings &s) { swapped = s.value(kSidesSwappedKey, false).toBool(); });
        m_sidesSwapped = swapped;
    }
    return *m_sidesSwapped;
}

void frmhoved::ByttSide_Click(bool)
{
    // The entry's mark may not have been read yet: the choice turns from what is kept.
    const bool swapped = !sidesSwapped();
    m_sidesSwapped = swapped;
    ByttSide->setChecked(swapped);
    if (m_board)
        m_board->setSwapped(swapped);
    const QString failed = toolkit::keepPreferences(QStringLiteral("Valget av side"),
                                                    [swapped](QSettings &s) { s.setValue(kSidesSwappedKey, swapped); });
    if (!failed.isEmpty())
        report(failed + QStringLiteral(" Det gjelder til programmet avsluttes."));
}

void frmhoved::sideKey(bool left, qint64 pressedAt)
{
    // The key on the left belongs to the player shown on the left.
    playerKey(playerOf(left != (m_boardShown && m_sidesSwapped.value_or(false))), pressedAt);
}

} // namespace gameclock
