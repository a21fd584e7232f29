// The board view: the time read across the room, the running side and the last minute seen at a
// glance, a tap on one's own half, the sides swapped with the keys.

#include "tests/support/clockfixture.h"
#include "tests/support/keys.h"
#include "tests/support/pixels.h"
#include "tests/support/screen.h"

#include "clock/boardview.h"
#include "toolkit/controls.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

using gameclock::BoardHalf;
using gameclock::BoardView;
using gameclock::frmhoved;
using gameclock::Phase;
using gameclock::SideView;

namespace {

// The window in the board view with the game brought to a state: "setup", "A" or "B" running for
// three seconds, or "paused" after A ran.
BoardView &boardIn(ClockFixture &f, frmhoved &w, const QString &state)
{
    w.Tavlevisning->trigger();
    if (state != QLatin1String("setup")) {
        state == QLatin1String("B") ? w.startb_Click() : w.starta_Click();
        f.clock.advance(3000);
    }
    if (state == QLatin1String("paused"))
        w.pause_Click();
    return *w.board();
}

// Which clock runs, whose turn it is and the read-outs: what a tap must change or leave.
QString game(const frmhoved &w)
{
    return QStringLiteral("%1 %2%3 %4")
        .arg(phaseOf(w), w.tida->isEnabled() ? "A" : "-", w.tidb->isEnabled() ? "B" : "-", w.Label1->text());
}

QPoint centreIn(QWidget *widget, QWidget *window)
{
    return widget->mapTo(window, widget->rect().center());
}

// A click as the window system delivers it, through the window: open popups see it first.
void click(QWidget *window, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(window->windowHandle(), button, {}, at);
}

SideView sideOf(const QString &name, const QString &time)
{
    SideView side;
    side.name = name;
    side.time = time;
    return side;
}

} // namespace

class tst_boardview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { support::freshSettings(); }

    void aTapEndsOnlyOwnMove_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("tapA");
        QTest::addColumn<bool>("swapped");
        QTest::addColumn<bool>("switches");
        for (const char *state : {"setup", "A", "B", "paused"})
            for (const bool tapA : {true, false})
                for (const bool swapped : {false, true}) {
                    const bool own = QLatin1String(state) == QLatin1String(tapA ? "A" : "B");
                    QTest::addRow("%s, tap on %s's half%s", state, tapA ? "A" : "B", swapped ? ", sides swapped" : "")
                        << state << tapA << swapped << own;
                }
    }
    void aTapEndsOnlyOwnMove()
    {
        QFETCH(QString, state);
        QFETCH(bool, tapA);
        QFETCH(bool, swapped);
        QFETCH(bool, switches);
        ClockFixture f;
        frmhoved &w = f.start();
        if (swapped)
            w.ByttSide->trigger();
        BoardView &board = boardIn(f, w, state);
        const QString before = game(w), shown = readouts(w);
        click(&w, centreIn(board.half(gameclock::playerOf(tapA)), &w));
        if (!switches) {
            QCOMPARE(game(w), before);
            return;
        }
        // What "Bytt spiller" does, and no more: never a pause, never a second counted.
        QCOMPARE(game(w), QString(tapA ? "running -B 0" : "running A- 1"));
        QCOMPARE(readouts(w), shown);
        // The next tap on the same half finds the other clock running.
        click(&w, centreIn(board.half(gameclock::playerOf(tapA)), &w));
        QCOMPARE(game(w), QString(tapA ? "running -B 0" : "running A- 1"));
    }

    void onlyATapOnTheHalfCounts_data()
    {
        // Where the button goes down and where it comes up again, A's clock running.
        QTest::addColumn<QString>("down");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("after");
        const struct {
            const char *row, *down, *up, *after;
        } rows[] = {
            {"switch button", "switch", "switch", "running -B 0"},
            {"pause button", "pause", "pause", "paused -- 1"},
            {"leave button", "leave", "leave", "running A- 1 window"},
            {"between the buttons", "gap", "gap", "running A- 1"},
            {"pressed on the half, released on the other", "own", "other", "running A- 1"},
            {"pressed on the switch, released on the half", "switch", "own", "running A- 1"},
            {"pointer resting on the half", "", "", "running A- 1"},
            {"right click, then a click that closes the menu", "menu", "own", "running A- 1"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.row) << QString(r.down) << QString(r.up) << QString(r.after);
    }
    void onlyATapOnTheHalfCounts()
    {
        QFETCH(QString, down);
        QFETCH(QString, up);
        QFETCH(QString, after);
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        BoardView &board = boardIn(f, w, "A");
        const QRect s = board.switchButton->geometry(), p = board.pauseButton->geometry();
        const QMap<QString, QPoint> at{
            {"switch", centreIn(board.switchButton, &w)},
            {"pause", centreIn(board.pauseButton, &w)},
            {"leave", centreIn(board.leaveButton, &w)},
            {"gap", board.mapTo(&w, QPoint(s.center().x(), (s.bottom() + p.top()) / 2))},
            {"other", centreIn(board.half(gameclock::Player::B), &w)},
            // Away from the centre, where a menu opened at the centre is not.
            {"own", board.half(gameclock::Player::A)
                        ->mapTo(&w, QPoint(board.half(gameclock::Player::A)->width() / 10,
                                           board.half(gameclock::Player::A)->height() / 10))}};
        QVERIFY(!board.childAt(board.mapFrom(&w, at["gap"])));
        if (down == "menu") {
            click(&w, centreIn(board.half(gameclock::Player::A), &w), Qt::RightButton);
            QTRY_VERIFY(board.menu()->isVisible());
            down = up;
        }
        if (down.isEmpty()) {
            for (int i = 0; i < 5; ++i)
                QTest::mouseMove(w.windowHandle(), centreIn(board.half(gameclock::Player::A), &w) + QPoint(i, i));
            f.clock.advance(500);
        } else {
            // A hand's click: the release comes after the events of the press were handled.
            QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, at[down]);
            QCoreApplication::processEvents();
            QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, at[up]);
        }
        QVERIFY(!board.menu() || !board.menu()->isVisible());
        QCOMPARE(game(w) + (w.boardShown() ? "" : " window"), after);
    }

    void theKeysFollowTheSides_data()
    {
        QTest::addColumn<bool>("board");
        QTest::addColumn<bool>("swapped");
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("leftKey");
        QTest::addColumn<bool>("switches");
        for (const bool board : {true, false})
            for (const bool swapped : {false, true})
                for (const char *running : {"A", "B"})
                    for (const bool leftKey : {true, false}) {
                        // Only the board swaps: the window's own layout keeps A on the left.
                        const bool leftIsA = !(board && swapped);
                        const bool keyIsA = leftKey == leftIsA;
                        QTest::addRow("%s%s, %s runs, %s Shift", board ? "board" : "window", swapped ? " swapped" : "",
                                      running, leftKey ? "left" : "right")
                            << board << swapped << QString(running) << leftKey
                            << (keyIsA == (QLatin1String(running) == QLatin1String("A")));
                    }
    }
    void theKeysFollowTheSides()
    {
        QFETCH(bool, board);
        QFETCH(bool, swapped);
        QFETCH(QString, running);
        QFETCH(bool, leftKey);
        QFETCH(bool, switches);
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.ByttSide->trigger();
        if (!swapped)
            w.ByttSide->trigger();
        QCOMPARE(w.ByttSide->isChecked(), swapped);
        if (board) {
            boardIn(f, w, running);
            // The player on the left is shown on the left.
            QCOMPARE(w.board()->half(gameclock::Player::B)->x() < w.board()->half(gameclock::Player::A)->x(), swapped);
        } else {
            running == "B" ? w.startb_Click() : w.starta_Click();
        }
        const QString before = game(w);
        support::tap(leftKey ? support::NativeKey::LeftShift : support::NativeKey::RightShift);
        if (switches)
            QCOMPARE(game(w), QString(running == "A" ? "running -B 0" : "running A- 1"));
        else
            QCOMPARE(game(w), before);
    }

    // The menu bar is hidden in the board view, so the window carries every shortcut: no two the same,
    // or neither would work.
    void everyShortcutWorksWithoutTheMenuBar()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        QMap<QString, QString> taken;
        for (QAction *action : w.actions())
            for (const QKeySequence &key : action->shortcuts()) {
                const QString k = key.toString(QKeySequence::PortableText);
                QVERIFY2(!taken.contains(k), qPrintable(k + ": " + taken.value(k) + ", " + action->objectName()));
                taken.insert(k, action->objectName());
            }
    }

    void sidesAreKeptForTheUser()
    {
        ClockFixture f;
        f.start().ByttSide->trigger();
        f.w.reset();
        frmhoved &w = f.start();
        QVERIFY(w.sidesSwapped());
        w.Fullskjerm->trigger();
        const auto facesOutwards = [&w] {
            for (BoardHalf *half : {w.board()->half(gameclock::Player::A), w.board()->half(gameclock::Player::B)}) {
                const bool onLeft = half->x() < w.board()->width() / 2;
                if ((half->faceArea().center().x() < half->width() / 2) != onLeft)
                    return false;
            }
            return true;
        };
        QVERIFY(w.board()->half(gameclock::Player::B)->x() < w.board()->half(gameclock::Player::A)->x());
        QVERIFY(facesOutwards());
        // Turned back while shown: the halves trade places, each face to its new outer edge.
        w.ByttSide->trigger();
        QVERIFY(w.board()->half(gameclock::Player::A)->x() < w.board()->half(gameclock::Player::B)->x());
        QVERIFY(facesOutwards());
        f.w.reset();
        QVERIFY(!f.start().sidesSwapped());
    }

    void readableAcrossTheRoom_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("name");
        const QString longName = QStringLiteral("Kristoffer Bjørnstad-Fjellheim Wilhelmsen");
        for (const QSize screen : {QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160)}) {
            QTest::addRow("%d x %d", screen.width(), screen.height()) << screen << QString("12:05") << QString("Kari");
            QTest::addRow("%d x %d, an hour left", screen.width(), screen.height())
                << screen << QString("1:30:00") << QString("Ola");
        }
        QTest::newRow("1366 x 768, a long name") << QSize(1366, 768) << QString("0:00") << longName;
        QTest::newRow("1366 x 768, 125 minutes") << QSize(1366, 768) << QString("125:00") << QString("Ola");
        QTest::newRow("1920 x 1080, tenths") << QSize(1920, 1080) << QString("0:09.3") << QString("Ola");
        QTest::newRow("a small window") << QSize(640, 400) << QString("12:05") << longName;
    }
    void readableAcrossTheRoom()
    {
        QFETCH(QSize, screen);
        QFETCH(QString, time);
        QFETCH(QString, name);
        BoardView board;
        board.resize(screen);
        board.show();
        SideView a = sideOf(name, time), b = sideOf(QStringLiteral("Ola"), QStringLiteral("8:40"));
        a.running = true;
        board.setState(a, b, Phase::Running);
        int heights[2] = {};
        for (const bool playerA : {true, false}) {
            BoardHalf *half = board.half(gameclock::playerOf(playerA));
            const QImage picture = support::pictureOf(half);
            const QRect area = half->timeArea();
            const QRect digits = support::inkBounds(picture, area, half->look().figures);
            heights[playerA] = digits.height();
            QVERIFY2(digits.height() >= 0.15 * screen.height(),
                     qPrintable(QStringLiteral("%1 px of %2").arg(digits.height()).arg(screen.height())));
            // Nothing cut off: the figures end inside their area on every side.
            QVERIFY2(area.adjusted(1, 1, -1, -1).contains(digits), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                                  .arg(digits.x())
                                                                                  .arg(digits.y())
                                                                                  .arg(digits.width())
                                                                                  .arg(digits.height())));
            const QRect nameInk = support::inkBounds(picture, half->nameArea(), half->look().figures);
            QVERIFY(!nameInk.isEmpty());
            QVERIFY(half->nameArea().adjusted(1, 1, -1, -1).contains(nameInk));
        }
        // One size for both players.
        QVERIFY(std::abs(heights[0] - heights[1]) <= 1);
    }

    void theStateSeenAtAGlance_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("lookA");
        QTest::addColumn<QString>("lookB");
        const struct {
            const char *row, *state, *a, *b;
        } rows[] = {
            {"set-up", "setup", "plain", "plain"},
            {"A runs", "A", "running", "plain"},
            {"B runs", "B", "plain", "running"},
            {"paused", "paused", "striped", "striped"},
            {"A's last minute, running", "A low", "low", "plain"},
            {"B's last minute, waiting", "A, B low waits", "running", "framed"},
            {"A's flag fallen", "A fallen", "fallen", "plain"},
            {"both flags fallen, A's first (1 min)", "A both fallen", "fallen first", "fallen"},
        };
        for (const auto &r : rows)
            QTest::newRow(r.row) << QString(r.state) << QString(r.a) << QString(r.b);
    }
    void theStateSeenAtAGlance()
    {
        QFETCH(QString, state);
        QFETCH(QString, lookA);
        QFETCH(QString, lookB);
        ClockFixture f;
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), "Kari\r\nOla\r\n2\r\n"));
        frmhoved &w = f.start();
        // Only a count-down clock tells which flag fell first.
        const bool both = state == "A both fallen";
        if (both)
            QVERIFY(!w.applyTimeControl(*gameclock::presetNamed(QStringLiteral("1 min"))));
        // Started by B, the limit would be at least 10 minutes.
        BoardView &board = boardIn(f, w, state.section(u' ', 0, 0).remove(u','));
        if (state == "A low")
            f.clock.advance(57'000);
        if (state.endsWith("fallen"))
            f.clock.advance(both ? 57'100 : 117'000);
        if (both) {
            w.Command1_Click();
            f.clock.advance(60'100);
        }
        if (state == "A, B low waits") {
            w.Command1_Click();
            f.clock.advance(60'000);
            w.Command1_Click();
        }
        const QColor window = w.palette().color(QPalette::Window);
        const QColor accent = w.palette().color(QPalette::Highlight);
        for (const bool playerA : {true, false}) {
            BoardHalf *half = board.half(gameclock::playerOf(playerA));
            const QString want = playerA ? lookA : lookB;
            const QImage picture = support::pictureOf(half);
            // A band of plain ground: between the name and the time, away from the edges.
            const QRect band(half->width() / 4, half->nameArea().bottom() + 2, half->width() / 2,
                             std::max(1, half->timeArea().top() - half->nameArea().bottom() - 3));
            const QColor ground = picture.pixelColor(band.topLeft());
            const double windowShare = support::shareOf(picture, band, window);
            if (want.startsWith("running"))
                QCOMPARE(support::shareOf(picture, band, accent), 1.0);
            else if (want.startsWith("fallen")) // the whole half, never the running blue
                QCOMPARE(support::shareOf(picture, band, toolkit::FlagStrip::fallenBackground()), 1.0);
            else if (want == "low")
                QVERIFY(ground != accent && ground != window && ground.red() > 200 && ground.blue() < 60);
            else if (want == "striped") // the ground shows between broad stripes
                QVERIFY2(windowShare > 0.3 && windowShare < 0.9, qPrintable(QString::number(windowShare)));
            else
                QCOMPARE(windowShare, 1.0);
            // The waiting player's last minute frames the half in amber.
            const QColor edge = picture.pixelColor(1, half->height() / 2);
            QCOMPARE(edge.red() > 200 && edge.blue() < 60 && edge != ground, want == "framed");
            // On the red half the flag's strip is white, lettered in red; the first of two marked so.
            QCOMPARE(support::shareOf(picture, half->flagArea(), Qt::white) > 0.5, want.startsWith("fallen"));
            QCOMPARE(support::inkBounds(picture, half->flagArea(), toolkit::FlagStrip::fallenBackground()).isEmpty(),
                     !want.startsWith("fallen"));
            QCOMPARE(BoardHalf::flagCaption(half->side()).endsWith(QStringLiteral("(først)")), want == "fallen first");
            // The figures stand out from whatever ground they are on.
            QVERIFY(gameclock::contrastRatio(half->look().figures, half->look().ground) >= 4.5);
        }
    }

    // A popup takes the desktop's font unless told otherwise: the board's own menu grows with it.
    void theMenuTakesTheBoardsScale_data()
    {
        QTest::addColumn<QSize>("screen");
        for (const QSize screen : {QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160)})
            QTest::addRow("%d x %d", screen.width(), screen.height()) << screen;
    }
    void theMenuTakesTheBoardsScale()
    {
        QFETCH(QSize, screen);
        BoardView board;
        QAction swap(QStringLiteral("Bytt side")), leave(QStringLiteral("Vanlig visning"));
        board.setMenuActions({&swap, &leave});
        board.resize(screen);
        board.show();
        QVERIFY(QTest::qWaitForWindowExposed(&board));
        click(&board, board.rect().center(), Qt::RightButton);
        QTRY_VERIFY(board.menu()->isVisible());
        const int line = board.menu()->actionGeometry(&swap).height();
        board.menu()->close();
        QVERIFY2(line >= 0.02 * screen.height(), qPrintable(QStringLiteral("%1 px").arg(line)));
    }

    void theRunningColourStandsOut_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("accent");
        QTest::newRow("light theme") << QColor(239, 239, 239) << QColor(48, 140, 198);
        QTest::newRow("dark theme") << QColor(53, 53, 53) << QColor(42, 130, 218);
        QTest::newRow("pale accent on light") << QColor(239, 239, 239) << QColor(225, 225, 235);
        QTest::newRow("dark accent on dark") << QColor(30, 30, 30) << QColor(40, 40, 48);
        QTest::newRow("yellow accent") << QColor(255, 255, 255) << QColor(250, 220, 40);
    }
    void theRunningColourStandsOut()
    {
        QFETCH(QColor, window);
        QFETCH(QColor, accent);
        QPalette palette;
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, window.lightness() > 128 ? Qt::black : Qt::white);
        palette.setColor(QPalette::Highlight, accent);
        SideView running;
        running.running = true;
        const gameclock::HalfLook look = gameclock::halfLook(running, Phase::Running, palette);
        const gameclock::HalfLook waiting = gameclock::halfLook(SideView{}, Phase::Running, palette);
        QVERIFY2(gameclock::contrastRatio(look.ground, waiting.ground) >= 2.0, qPrintable(look.ground.name()));
        QVERIFY(gameclock::contrastRatio(look.figures, look.ground) >= 4.5);
        running.lowTime = true;
        const gameclock::HalfLook low = gameclock::halfLook(running, Phase::Running, palette);
        QVERIFY(gameclock::contrastRatio(low.figures, low.ground) >= 4.5);
        QVERIFY(low.ground != look.ground);
    }

    void aSecondRedrawsItsFigureAndFaceOnly()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.resize(1280, 720);
        BoardView &board = boardIn(f, w, "A");
        QRegion painted[2];
        struct Recorder : QObject {
            QRegion *into;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    *into += static_cast<QPaintEvent *>(e)->region();
                return false;
            }
        } recordA, recordB;
        recordA.into = &painted[0];
        recordB.into = &painted[1];
        QCoreApplication::processEvents();
        board.half(gameclock::Player::A)->installEventFilter(&recordA);
        board.half(gameclock::Player::B)->installEventFilter(&recordB);
        // 0:03 to 0:04, on to 0:09, then 0:10: one figure, the same one, then two; then the second hand
        // slanting across the face.
        for (const auto &[ms, changed] :
             {std::pair{1000, 1}, std::pair{5000, 1}, std::pair{1000, 2}, std::pair{1000, 1}, std::pair{1000, 1}}) {
            painted[0] = painted[1] = QRegion();
            f.clock.advance(ms);
            QCoreApplication::processEvents();
            BoardHalf *half = board.half(gameclock::Player::A);
            const QRegion allowed = QRegion(half->timeArea()) + half->faceArea();
            QVERIFY2((painted[0] - allowed).isEmpty(), qPrintable(w.mina->text() + ':' + w.seka->text()));
            // The time area is drawn again only in the cells of the figures that changed.
            const QRegion time = painted[0] & half->timeArea();
            const qreal cell = half->timeCells().cells.back().width();
            QVERIFY(!time.isEmpty());
            QVERIFY2(time.boundingRect().width() <= changed * cell + 4,
                     qPrintable(QString::number(time.boundingRect().width())));
            QVERIFY(painted[1].isEmpty());
            // What the screen holds after the partial redraws is what a whole drawing of the half shows:
            // no trace of a hand or a figure left behind.
            const QRect at(half->mapTo(&w, QPoint()), half->size());
            const QImage shown = w.screen()->grabWindow(w.winId(), at.x(), at.y(), at.width(), at.height()).toImage();
            QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), support::pictureOf(half));
        }
    }

    // The board follows the game by its handlers, not by polling: a name typed shows at once.
    void aNameTypedShowsAtOnce()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        BoardView &board = boardIn(f, w, "setup");
        w.spillerb->setText(QStringLiteral("Ola"));
        QCOMPARE(board.half(gameclock::Player::B)->side().name, QStringLiteral("Ola"));
        QCOMPARE(board.startB->text(), QStringLiteral("Ola begynner"));
    }
};

int main(int argc, char *argv[])
{
    // A full HD screen, as at a club.
    const auto screen = support::useOffscreenScreen(1920, 1080);
    if (!screen)
        return 1;
    QApplication app(argc, argv);
    tst_boardview test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_boardview.moc"
