// "Spill > Tidskontroll...": the presets and the user's own controls, the bounds refused with the
// field named, and the choice taken by the main window and kept for the next start.

#include "settings/frmtid.h"

#include "app/wiring.h"
#include "clock/timecontrolstore.h"
#include "tests/support/clockfixture.h"
#include "tests/support/controltablecheck.h"

#include <QSettings>

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
