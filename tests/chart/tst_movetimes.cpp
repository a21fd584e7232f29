// Nothing of Qt Charts is in a clock's memory until "Vis > Trekktider" opens the window, made once,
// which shows the game's moves and each new one as it is made.

#include "app/movetimes.h"
#include "app/wiring.h"
#include "tests/support/clockfixture.h"
#include "tests/support/procmaps.h"

#include <QRegularExpression>

class tst_movetimes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadedWhenFirstOpened()
    {
        const QRegularExpression chartLibraries(QStringLiteral("/(partivakt-chart|libQt6Charts)\\.so"));
        support::freshSettings();
        ClockFixture f;
        gameclock::frmhoved &w = f.start();
        app::connectWindows(w);
        w.starta->click();
        for (int i = 0; i < 6; ++i) {
            f.clock.advance(2500);
            w.Command1->click();
        }
        QCOMPARE(support::mappedFiles(chartLibraries), QStringList());

        auto *window = openedBy<chart::frmtrekktider>(w.Trekktider);
        QVERIFY(window && !window->isHidden() && window->chartShown());
        QCOMPARE(support::mappedFiles(chartLibraries).size(), 2);
        // The game's six moves, and the seventh as it is made.
        QCOMPARE(window->record().size(), 6u);
        f.clock.advance(4000);
        w.Command1->click();
        // The classic clock's whole seconds: three moves of 2.5 s counted 2 s each, then 4 s, of 60 min.
        QCOMPARE(window->record().back(), (gameclock::MoveRecord{gameclock::Player::A, 4, 4000, 3590000, 0}));
        QCOMPARE(openedBy<chart::frmtrekktider>(w.Trekktider), window);
        // It grows with the clock's zoom, chart texts included.
        const int before = window->font().pixelSize();
        w.Storre->trigger();
        QVERIFY(w.zoom() > 1.0);
        QCOMPARE(window->font().pixelSize(), qRound(before * w.zoom()));
        QCOMPARE(window->diagram->font().pixelSize(), window->font().pixelSize());
        delete window;
    }
};

QTEST_MAIN(tst_movetimes)
#include "tst_movetimes.moc"
