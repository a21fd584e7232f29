#include "frmhoved.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

// The main window's menus: each entry named as the game knows it, with its shortcut and handler.
namespace gameclock {

void frmhoved::buildMenus()
{
    auto add = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut,
                      void (frmhoved::*handler)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QLatin1String(name)); };

    Spill = menuBar()->addMenu(QStringLiteral("&Spill"));
    Spill->setObjectName(QStringLiteral("Spill"));
    Nytt = add(Spill, "Nytt", QStringLiteral("&Nytt spill"), QKeySequence(QStringLiteral("Ctrl+N")),
               &frmhoved::Nytt_Click);
    separator(Spill, "strek1");
    Apne = add(Spill, "Apne", QStringLiteral("&Åpne..."), QKeySequence(QStringLiteral("Ctrl+O")), &frmhoved::opengame);
    Juster = add(Spill, "Juster", QStringLiteral("&Juster tid..."), QKeySequence(QStringLiteral("Ctrl+J")),
                 &frmhoved::Juster_Click);
    // Only a paused game has times to correct.
    Juster->setEnabled(false);
    Lagre = add(Spill, "Lagre", QStringLiteral("&Lagre"), QKeySequence(QStringLiteral("Ctrl+S")), &frmhoved::quicksave);
    LagreSom = add(Spill, "LagreSom", QStringLiteral("Lagre &som..."), QKeySequence(QStringLiteral("Ctrl+Shift+S")),
                   &frmhoved::saveas);
    separator(Spill, "strek2");
    Tidskontroll = add(Spill, "Tidskontroll", QStringLiteral("&Tidskontroll..."),
                       QKeySequence(QStringLiteral("Ctrl+T")), &frmhoved::Tidskontroll_Click);
    // A hall is joined or left in any phase: it never touches the game.
    Turnering = add(Spill, "Turnering", QStringLiteral("T&urnering..."), {}, &frmhoved::Turnering_Click);
    Alternativer = add(Spill, "Alternativer", QStringLiteral("&Alternativer..."), {}, &frmhoved::Alternativer_Click);
    separator(Spill, "strek3");
    Avslutt = add(Spill, "Avslutt", QStringLiteral("&Avslutt"), QKeySequence(QStringLiteral("Ctrl+Q")),
                  &frmhoved::Avslutt_Click);

    Vis = menuBar()->addMenu(QStringLiteral("&Vis"));
    Vis->setObjectName(QStringLiteral("Vis"));
    Fullskjerm = Vis->addAction(QStringLiteral("&Fullskjerm"));
    Fullskjerm->setObjectName(QStringLiteral("Fullskjerm"));
    Fullskjerm->setCheckable(true);
    Fullskjerm->setShortcut(QKeySequence(Qt::Key_F11));
    connect(Fullskjerm, &QAction::triggered, this, &frmhoved::Fullskjerm_Click);
    Tavlevisning = Vis->addAction(QStringLiteral("T&avlevisning"));
    Tavlevisning->setObjectName(QStringLiteral("Tavlevisning"));
    Tavlevisning->setCheckable(true);
    // Ctrl+T is the time control's; F10 sits beside the full screen's F11.
    Tavlevisning->setShortcut(QKeySequence(Qt::Key_F10));
    connect(Tavlevisning, &QAction::triggered, this, &frmhoved::Tavlevisning_Click);
    ByttSide = Vis->addAction(QStringLiteral("&Bytt side"));
    ByttSide->setObjectName(QStringLiteral("ByttSide"));
    ByttSide->setCheckable(true);
    ByttSide->setStatusTip(
        QStringLiteral("Tavlevisningen viser spiller B til venstre, og tastene til venstre på tastaturet hører til B"));
    connect(ByttSide, &QAction::triggered, this, &frmhoved::ByttSide_Click);
    // The choice is read from the user's preferences when it is first shown, not at start.
    connect(Vis, &QMenu::aboutToShow, this, [this] { ByttSide->setChecked(sidesSwapped()); });
    Storre = add(Vis, "Storre", QStringLiteral("Stø&rre"), {}, &frmhoved::Storre_Click);
    // Ctrl++ needs Shift on many keyboards; Ctrl+= is the same key without it.
    Storre->setShortcuts({QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))});
    Mindre =
        add(Vis, "Mindre", QStringLiteral("&Mindre"), QKeySequence(QStringLiteral("Ctrl+-")), &frmhoved::Mindre_Click);
    VanligStorrelse = add(Vis, "VanligStorrelse", QStringLiteral("&Vanlig størrelse"),
                          QKeySequence(QStringLiteral("Ctrl+0")), &frmhoved::VanligStorrelse_Click);
    // Escape is the way out of full screen that everyone tries first.
    auto *leave = new QAction(this);
    leave->setObjectName(QStringLiteral("forlatFullskjerm"));
    leave->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(leave, &QAction::triggered, this, [this] {
        if (isFullScreen() || m_boardShown)
            Fullskjerm_Click(false);
    });
    addAction(leave);
    // Speech, for players who cannot see the faces; the wiring gives the entries their meaning.
    Vis->addSeparator()->setObjectName(QStringLiteral("strek5"));
    LesOpp = Vis->addAction(QStringLiteral("Les &opp tiden"));
    LesOpp->setObjectName(QStringLiteral("LesOpp"));
    LesOpp->setCheckable(true);
    TaleRaskere = Vis->addAction(QStringLiteral("&Tale raskere"));
    TaleRaskere->setObjectName(QStringLiteral("TaleRaskere"));
    TaleSaktere = Vis->addAction(QStringLiteral("Tale &saktere"));
    TaleSaktere->setObjectName(QStringLiteral("TaleSaktere"));
    Vis->addSeparator()->setObjectName(QStringLiteral("strek6"));
    Trekktider = add(Vis, "Trekktider", QStringLiteral("Tr&ekktider"), {}, &frmhoved::Trekktider_Click);

    hjelp1 = menuBar()->addMenu(QStringLiteral("&Hjelp"));
    hjelp1->setObjectName(QStringLiteral("hjelp1"));
    Regler = add(hjelp1, "Regler", QStringLiteral("&Sjakk regler"), {}, &frmhoved::Regler_Click);
    Nettleser = add(hjelp1, "Nettleser", QStringLiteral("&Nettleser"), {}, &frmhoved::Nettleser_Click);
    separator(hjelp1, "strek4");
    Om = add(hjelp1, "Om", QStringLiteral("&Om Partivakt"), {}, &frmhoved::Om_Click);
    // The board view hides the menu bar: the window itself carries the shortcuts then.
    for (QMenu *menu : {Spill, Vis, hjelp1})
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                addAction(action);
}

} // namespace gameclock
