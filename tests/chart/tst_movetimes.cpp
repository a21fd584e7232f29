// The chart of move times in the program: Qt Charts and the chart module stay out of a clock's memory
// until "Vis > Trekktider" opens the window, which is made once and then follows the game.

#include "app/movetimes.h"
#include "app/wiring.h"
#include "tests/support/clockfixture.h"
#include "tests/support/procmaps.h"

#include <QRegularExpression>

using gameclock::MoveRecords;
using gameclock::Player;

namespace {

QStringList chartLibraries()
{
    return support::mappedFiles(QRegularExpression(QStringLiteral("/(partivakt-chart\\.so|libQt6Charts\\.so)")));
}

} // namespace

class tst_movetimes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadedWhenFirstOpened()
    {
        support::freshSettings();
        ClockFixture f;
        gameclock::frmhoved &w = f.start();
        app::connectWindows(w);
        // A game played for a while, switched and paused: nothing of the chart is mapped.
        w.spillera->setText(QStringLiteral("Kari"));
        w.starta->click();
        for (int i = 0; i < 6; ++i) {
            f.clock.advance(2500);
            w.Command1->click();
        }
        w.pause->click();
        QCOMPARE(chartLibraries(), QStringList());

        QVERIFY(windowsOf<chart::frmtrekktider>().isEmpty());
        auto *window = openedBy<chart::frmtrekktider>(w.Trekktider);
        QVERIFY(window);
        QVERIFY(!window->isHidden());
        QVERIFY(window->chartShown());
        QCOMPARE(chartLibraries().size(), 2);
        QCOMPARE(window->lengstea->accessibleName(), QStringLiteral("Lengste trekk: Kari, ingen trekk ennå"));
        // Shown once: the menu again brings the same window forward.
        QCOMPARE(openedBy<chart::frmtrekktider>(w.Trekktider), window);
        delete window;
    }

    // The game's moves reach an open window as they come; another game replaces what it shows.
    void followsTheGame()
    {
        const MoveRecords first = {{Player::A, 1, 3000, 57000, 0}, {Player::B, 1, 5000, 55000, 0}};
        app::MoveTimesGame game{QStringLiteral("Kari"), QStringLiteral("Ola"), first, true};
        app::MoveTimes moveTimes([&game] { return game; }, nullptr);
        // Nothing open: a move goes nowhere and opens nothing.
        moveTimes.moveFinished({Player::A, 2, 1000, 56000, 0});
        QVERIFY(windowsOf<chart::frmtrekktider>().isEmpty());

        chart::frmtrekktider *window = moveTimes.show();
        QCOMPARE(window->record(), first);
        const gameclock::MoveRecord next{Player::A, 2, 9000, 48000, 1};
        moveTimes.moveFinished(next);
        QCOMPARE(window->record(), (MoveRecords{first[0], first[1], next}));
        QCOMPARE(window->lengstea->accessibleName(), QStringLiteral("Lengste trekk: Kari, trekk 2, 9 s"));

        game = {QStringLiteral("Per"), QStringLiteral("Pål"), {}, false};
        moveTimes.gameChanged();
        QCOMPARE(window->record(), MoveRecords{});
        QCOMPARE(window->lengstea->accessibleName(), QStringLiteral("Lengste trekk: Per, ingen trekk ennå"));

        // Closed, it is gone; moves after that find no window.
        window->close();
        QTRY_VERIFY(!moveTimes.window());
        moveTimes.moveFinished(next);
        QVERIFY(windowsOf<chart::frmtrekktider>().isEmpty());
    }
};

QTEST_MAIN(tst_movetimes)
#include "tst_movetimes.moc"
