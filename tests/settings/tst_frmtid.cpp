// "Spill > Tidskontroll...": the presets and the user's own controls, the bounds refused with the
// field named, and the choice taken by the main window and kept for the next start.

#include "settings/frmtid.h"

#include "app/wiring.h"
#include "clock/timecontrolstore.h"
#include "tests/support/clockfixture.h"
#include "tests/support/controltablecheck.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSettings>
#include <QSignalSpy>

using gameclock::frmhoved;
using settings::frmtid;

namespace {

// The form as typed: name, then per stage time, moves, bonus kind (0 none, 1 Fischer, 2 Bronstein,
// 3 delay) and seconds, then B's time and seconds when odds are on ("" leaves them off).
void fill(frmtid *w, const QStringList &form)
{
    w->navn->setText(form.value(0));
    for (int i = 0; i < 3; ++i) {
        w->tid[std::size_t(i)]->setText(form.value(1 + 4 * i));
        w->trekk[std::size_t(i)]->setText(form.value(2 + 4 * i));
        w->type[std::size_t(i)]->setCurrentIndex(form.value(3 + 4 * i, QStringLiteral("0")).toInt());
        w->sek[std::size_t(i)]->setText(form.value(4 + 4 * i));
    }
    w->odds->setChecked(!form.value(13).isEmpty());
    w->tidb->setText(form.value(13));
    w->sekb->setText(form.value(14));
}

QStringList listed(const frmtid *w)
{
    QStringList names;
    for (int i = 0; i < w->liste->count(); ++i)
        names << w->liste->item(i)->text();
    return names;
}

} // namespace

class tst_frmtid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { support::freshSettings(); }
    void cleanup()
    {
        qDeleteAll(windowsOf<frmtid>());
        QSettings().clear();
    }

    void stateAfterCreation()
    {
        frmtid w(gameclock::classicControl());
        checkBuiltAsTable(&w, frmtid::controlTable());
        QCOMPARE(w.windowTitle(), QStringLiteral("Tidskontroll"));
        QCOMPARE(listed(&w).first(), QStringLiteral("Klassisk"));
        QVERIFY(listed(&w).contains(QStringLiteral("90/40 + 30 min, 30 s per trekk")));
        QCOMPARE(w.liste->currentRow(), 0);
        QVERIFY(!w.Fjern->isEnabled());
        QVERIFY(w.melding->isHidden());
        // A preset shown in the form: the FIDE control's two stages.
        w.liste->setCurrentRow(1);
        QCOMPARE((QStringList{w.tid[0]->text(), w.trekk[0]->text(), w.sek[0]->text(), w.tid[1]->text(),
                              w.trekk[1]->text(), w.tid[2]->text()}),
                 (QStringList{"1:30:00", "40", "30", "30:00", "", ""}));
    }

    // Own controls as typed: kept by name, or refused with the field and the reason.
    void ownControl_data()
    {
        QTest::addColumn<QStringList>("form");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, const QStringList &form, const char *said) {
            QTest::newRow(name) << form << QString::fromUtf8(said);
        };
        row("kept", {"Klubb 45+15", "45", "", "1", "15"}, "«Klubb 45+15» er lagret.");
        row("three stages and odds",
            {"Tre faser", "1:00:00", "30", "3", "10", "30:00", "20", "1", "5", "15:00", "", "2", "5", "55:00", "10"},
            "er lagret");
        row("no name", {"", "5"}, "Navnet er ikke fylt ut.");
        row("a preset's name", {"15 min + 10 s", "15", "", "1", "10"}, "navnet på et forvalg");
        row("no time", {"Tom"}, "Tiden i fase 1 er ikke fylt ut.");
        row("time unreadable", {"X", "1 time"}, "Tiden i fase 1 kan ikke leses");
        row("ten hours", {"X", "10:00:00"}, "Tiden i fase 1 skal være fra 0:01 til 9:59:59.");
        row("increment 601 s", {"X", "5", "", "1", "601"}, "Tillegget i fase 1 skal være fra 0 til 600");
        row("increment not whole", {"X", "5", "", "1", "1.5"}, "Tillegget i fase 1 skal være et helt antall sekunder");
        row("a first stage without moves before a second", {"X", "5", "", "0", "", "5"}, "Antall trekk i fase 1");
        row("moves in the last stage", {"X", "5", "40"}, "Den siste fasen (fase 1)");
        row("B's time unreadable", {"X", "5", "", "0", "", "", "", "", "", "", "", "", "", "5 min"},
            "Tiden i fase 1 for spiller B kan ikke leses");
        row("B's delay too long", {"X", "5", "", "3", "5", "", "", "", "", "", "", "", "", "4", "700"},
            "Tillegget i fase 1 for spiller B");
    }
    void ownControl()
    {
        QFETCH(QStringList, form);
        QFETCH(QString, said);
        frmtid w(gameclock::classicControl());
        fill(&w, form);
        const QStringList before = listed(&w);
        w.Lagre->click();
        QVERIFY2(w.melding->text().contains(said), qPrintable(w.melding->text()));
        const bool kept = said.contains(QStringLiteral("lagret"));
        const std::vector<gameclock::TimeControl> own = gameclock::ownControls();
        QCOMPARE(own.size(), std::size_t(kept ? 1 : 0));
        if (!kept) {
            QCOMPARE(listed(&w), before);
            return;
        }
        QCOMPARE(listed(&w).last(), form[0] + QStringLiteral(" (egen)"));
        QCOMPARE(w.liste->currentRow(), w.liste->count() - 1);
        // What is kept is what the form said, read back from the settings.
        QString why;
        QCOMPARE(own.front(), *w.formControl(&why));
        QVERIFY(w.Fjern->isEnabled());
        w.Fjern->click();
        QVERIFY(gameclock::ownControls().empty());
        QCOMPARE(listed(&w), before);
    }

    // OK plays what the window shows: the entry as the list filled the form, or what was typed over
    // it, which is then kept by its name; what cannot be played is refused with the field named.
    void okPlaysWhatIsShown_data()
    {
        QTest::addColumn<QString>("entry");    // selected first; empty: nothing selected
        QTest::addColumn<QStringList>("form"); // then typed over it, as for fill(); empty: untouched
        QTest::addColumn<QString>("rules");    // of the control played; empty: none
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, const char *entry, const QStringList &form, const char *rules,
                            const char *said) {
            QTest::newRow(name) << QString(entry) << form << QString(rules) << QString::fromUtf8(said);
        };
        row("a preset as listed", "3 min + 2 s", {}, "A 180000/0/F/2000 | B 180000/0/F/2000", "");
        row("typed over a preset", "3 min + 2 s", {"Lyn 3+3", "3", "", "1", "3"},
            "A 180000/0/F/3000 | B 180000/0/F/3000", "");
        row("typed with nothing selected", "", {"Klubb 45+15", "45", "", "1", "15"},
            "A 2700000/0/F/15000 | B 2700000/0/F/15000", "");
        row("nothing selected, nothing typed", "", {}, "", "Velg en tidskontroll i listen");
        row("a third stage below an empty second", "3 min + 2 s", {"X", "5", "40", "0", "", "", "", "0", "", "15:00"},
            "", "Fase 2 er tom, men fase 3 er fylt ut");
        row("a preset's name on other rules", "3 min + 2 s", {"3 min + 2 s", "3", "", "1", "5"}, "",
            "navnet på et forvalg");
    }
    void okPlaysWhatIsShown()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, form);
        QFETCH(QString, rules);
        QFETCH(QString, said);
        frmtid w(gameclock::classicControl());
        if (entry.isEmpty())
            w.liste->clearSelection();
        else
            w.liste->setCurrentRow(listed(&w).indexOf(entry));
        if (!form.isEmpty())
            fill(&w, form);
        QSignalSpy chosen(&w, &frmtid::chosen);
        w.OK->click();
        if (rules.isEmpty()) {
            QVERIFY2(w.melding->text().contains(said), qPrintable(w.melding->text()));
            QCOMPARE(chosen.count(), 0);
            QVERIFY(gameclock::ownControls().empty());
            return;
        }
        QCOMPARE(chosen.count(), 1);
        const auto played = chosen.front().front().value<gameclock::TimeControl>();
        QCOMPARE(played.name, form.value(0, entry));
        QCOMPARE(gameclock::rulesText(played), rules);
        // A typed control is kept, so that the choice, kept by name, is found at the next start.
        QCOMPARE(gameclock::ownControls().size(), std::size_t(form.isEmpty() ? 0 : 1));
        if (!form.isEmpty())
            QCOMPARE(gameclock::ownControls().front(), played);
    }

    // On Linux a combo box reads as its value; the screen reader finds its name in the label that
    // has it as buddy (Orca leaves out labels that are the box's own frame).
    void eachBonusKindIsNamed()
    {
        frmtid w(gameclock::classicControl());
        w.type[1]->setCurrentIndex(2);
        QStringList heard;
        for (QComboBox *box : w.type) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box);
            QStringList names;
            for (const auto &[label, relation] : iface->relations(QAccessible::Label)) {
                const auto *widget = qobject_cast<QWidget *>(label->object());
                if (widget && !widget->isAncestorOf(box))
                    names << label->text(QAccessible::Name);
            }
            heard << names.join(u' ') + QStringLiteral(", ") + iface->text(QAccessible::Name);
        }
        QCOMPARE(heard,
                 (QStringList{"Tillegg i fase 1, Ingen", "Tillegg i fase 2, Bronstein", "Tillegg i fase 3, Ingen"}));
    }

    // An entry chosen through the accessibility interface, as a screen reader or switch access does,
    // fills the form and is played exactly as one clicked.
    void anEntryChosenAnyWayIsPlayed_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("a click") << "click";
        QTest::newRow("the list's row selection") << "row";
        QTest::newRow("the entry's own action") << "action";
    }
    void anEntryChosenAnyWayIsPlayed()
    {
        QFETCH(QString, how);
        frmtid w(gameclock::classicControl());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int row = listed(&w).indexOf(QStringLiteral("5 min, forsinkelse 5 s"));
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(w.liste);
        if (how == "click") {
            QTest::mouseClick(w.liste->viewport(), Qt::LeftButton, {},
                              w.liste->visualItemRect(w.liste->item(row)).center());
        } else if (how == "row") {
            QVERIFY(list->tableInterface()->selectRow(row));
        } else {
            QAccessibleActionInterface *action = list->tableInterface()->cellAt(row, 0)->actionInterface();
            QVERIFY(action->actionNames().contains(QAccessibleActionInterface::toggleAction()));
            action->doAction(QAccessibleActionInterface::toggleAction());
        }
        QCOMPARE(list->tableInterface()->selectedRows(), QList<int>{row});
        QCOMPARE((QStringList{w.tid[0]->text(), w.type[0]->currentText(), w.sek[0]->text()}),
                 (QStringList{"5:00", "Forsinkelse", "5"}));
        QSignalSpy chosen(&w, &frmtid::chosen);
        w.OK->click();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.front().front().value<gameclock::TimeControl>(),
                 *gameclock::presetNamed(QStringLiteral("5 min, forsinkelse 5 s")));
    }

    // OK in set-up: the main window plays the control and the choice is kept; once the game has
    // begun, the window says why not and changes nothing.
    void chosenByTheMainWindow_data()
    {
        QTest::addColumn<bool>("gameBegun");
        QTest::newRow("set-up") << false;
        QTest::newRow("game begun meanwhile") << true;
    }
    void chosenByTheMainWindow()
    {
        QFETCH(bool, gameBegun);
        ClockFixture f;
        frmhoved &w = f.start();
        app::connectTimeControls(w);
        frmtid *t = openedBy<frmtid>(w.Tidskontroll);
        QVERIFY(t);
        QCOMPARE(t->liste->currentRow(), 0);
        t->liste->setCurrentRow(listed(t).indexOf(QStringLiteral("3 min + 2 s")));
        if (gameBegun)
            w.starta->click();
        t->OK->click();
        flushDeletes();
        if (gameBegun) {
            QCOMPARE(windowsOf<frmtid>().size(), 1);
            QVERIFY(t->melding->text().contains(QStringLiteral("før partiet begynner")));
            QVERIFY(!w.countdown());
            QCOMPARE(QSettings().value(QStringLiteral("tidskontroll/valgt")), QVariant());
            return;
        }
        QVERIFY(windowsOf<frmtid>().isEmpty());
        QCOMPARE(w.kontroll->text(), QStringLiteral("3 min + 2 s"));
        QCOMPARE(w.igjena->text(), QStringLiteral("3:02"));
        QCOMPARE(gameclock::chosenControl().control.name, QStringLiteral("3 min + 2 s"));
        // Opened again, the window starts at the control in play.
        t = openedBy<frmtid>(w.Tidskontroll);
        QCOMPARE(t->liste->currentItem()->text(), QStringLiteral("3 min + 2 s"));
    }
};

QTEST_MAIN(tst_frmtid)
#include "tst_frmtid.moc"
