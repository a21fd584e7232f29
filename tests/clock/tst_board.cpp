// The main window at the board: its scale, a key for each player, the running side and a fallen
// flag plain to see, and where the focus goes after a pause.

#include "tests/support/clockfixture.h"
#include "tests/support/keys.h"
#include "tests/support/pixels.h"
#include "tests/support/screen.h"

#include "clock/boardview.h"

#include "display/face.h"
#include "toolkit/gamemarks.h"
#include "toolkit/playerkeys.h"
#include "toolkit/windows.h"
#include "toolkit/zoom.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

using gameclock::frmhoved;

namespace {

using Key = support::NativeKey;

// Whether the widget's own picture shows the colour in a band along its left edge.
bool leftEdgeShows(QWidget *w, const QColor &colour)
{
    const QImage image = w->grab().toImage();
    const int y = image.height() / 2;
    for (int x = 0; x < std::min(8, image.width()); ++x)
        if (image.pixelColor(int(x * image.devicePixelRatio()), int(y * image.devicePixelRatio())) == colour)
            return true;
    return false;
}

// The radius of a face's disc in device pixels, read along its middle row from the red rim.
int discRadiusOnScreen(const toolkit::PictureBox &face)
{
    const QImage &canvas = face.canvas();
    const qreal ratio = canvas.devicePixelRatio();
    const int row = int(display::kCentreY * ratio);
    int left = -1, right = -1;
    for (int x = 0; x < canvas.width(); ++x) {
        if (canvas.pixelColor(x, row) == display::kRimColour) {
            if (left < 0)
                left = x;
            right = x;
        }
    }
    return left < 0 ? -1 : (right - left + 1) / 2;
}

} // namespace

class tst_board : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menu()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        QStringList seen;
        for (QAction *a : w.Vis->actions())
            seen << a->text() + u'|' + a->shortcuts().value(0).toString(QKeySequence::PortableText);
        QCOMPARE(seen, (QStringList{"&Fullskjerm|F11", "T&avlevisning|F10", "&Bytt side|", "Stø&rre|Ctrl++",
                                    "&Mindre|Ctrl+-", "&Vanlig størrelse|Ctrl+0", "|", "Les &opp tiden|",
                                    "&Tale raskere|", "Tale &saktere|", "|", "Tr&ekktider|"}));
        QVERIFY(w.LesOpp->isCheckable());
        QVERIFY(w.Fullskjerm->isCheckable());
        QVERIFY(w.Storre->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+="))));
        // "Vis" comes after "Spill".
        QCOMPARE(w.menuBar()->actions().indexOf(w.Vis->menuAction()),
                 w.menuBar()->actions().indexOf(w.Spill->menuAction()) + 1);
    }

    void scalesEverything_data()
    {
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("125 %") << 1.25;
        QTest::newRow("150 %") << 1.5;
        QTest::newRow("200 %") << 2.0;
        QTest::newRow("286 %, full HD") << 2.86;
    }
    void scalesEverything()
    {
        QFETCH(qreal, zoom);
        ClockFixture f;
        frmhoved &w = f.start();
        const QString names = w.spillera->text() + w.spillerb->text();
        auto *stage = qobject_cast<toolkit::ZoomStage *>(w.centralWidget());
        QVERIFY(stage);
        // The frame's size, as a person dragging it would give, with room to spare on one side.
        stage->resize(stage->sizeFor(zoom) + QSize(40, 0));
        // Whole pixels: the window's size can only come near a zoom like 2.86.
        QVERIFY2(std::abs(w.zoom() - zoom) < 0.005, qPrintable(QString::number(w.zoom())));
        zoom = w.zoom();
        QWidget *client = stage->client();
        QCOMPARE(client->size(), stage->sizeFor(zoom));
        QCOMPARE(client->x(), 20); // centred
        for (QWidget *c : client->findChildren<QWidget *>()) {
            const QRect base = toolkit::baseTwips(c);
            if (base.isEmpty())
                continue;
            const QRectF want(base.x() * zoom / 15, base.y() * zoom / 15, base.width() * zoom / 15,
                              base.height() * zoom / 15);
            QVERIFY2(std::abs(c->x() - want.x()) <= 1 && std::abs(c->width() - want.width()) <= 1.5 &&
                         std::abs(c->y() - want.y()) <= 1 && std::abs(c->height() - want.height()) <= 1.5,
                     qPrintable(c->objectName()));
        }
        QCOMPARE(w.Label2->font().pixelSize(), int(std::lround(toolkit::layoutFont().pixelSize() * zoom)));
        // The figures grow at least as fast as the rest.
        QVERIFY(w.mina->font().pixelSize() >= w.Label2->font().pixelSize());
        // The faces are drawn afresh at the new scale: the disc's radius is 80 face units.
        f.clock.advance(100);
        for (toolkit::PictureBox *face : {w.ura, w.urb}) {
            const int radius = discRadiusOnScreen(*face);
            QVERIFY2(std::abs(radius - 80 * zoom * face->devicePixelRatioF()) <= 2,
                     qPrintable(QString::number(radius)));
            QCOMPARE(face->pixelAt(display::kCentreX - 40, display::kCentreY), display::kDiscColour);
        }
        // Nothing else changes: names, texts, the game.
        QCOMPARE(w.spillera->text() + w.spillerb->text(), names);
        QCOMPARE(phaseOf(w), QStringLiteral("setup"));
    }

    void zoomStepsAndBack()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.Storre->trigger();
        const auto near = [&w](qreal want) { return std::abs(w.zoom() - want) < 0.01; };
        QVERIFY(near(1.25));
        w.Storre->trigger();
        QVERIFY(near(1.5));
        w.Mindre->trigger();
        QVERIFY(near(1.25));
        for (int i = 0; i < 40; ++i)
            w.Storre->trigger();
        // Up to what fits the screen, and not past it: the whole window inside the screen's room,
        // filling it from side to side or from top to bottom.
        const QSize room = w.screen()->availableGeometry().size();
        const QSize used = w.frameGeometry().size();
        const QString sizes = QStringLiteral("%1x%2 in %3x%4 at zoom %5")
                                  .arg(used.width())
                                  .arg(used.height())
                                  .arg(room.width())
                                  .arg(room.height())
                                  .arg(w.zoom());
        QVERIFY2(used.width() <= room.width() && used.height() <= room.height(), qPrintable(sizes));
        QVERIFY2(room.width() - used.width() <= 2 || room.height() - used.height() <= 2, qPrintable(sizes));
        w.VanligStorrelse->trigger();
        QCOMPARE(w.zoom(), 1.0);
        QCOMPARE(w.centralWidget()->size(), QSize(toolkit::twips(10065), toolkit::twips(5160)));
        w.Mindre->trigger();
        QCOMPARE(w.zoom(), 1.0);
    }

    void fullScreenFillsTheScreen()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Fullskjerm->trigger();
        QTRY_VERIFY(w.isFullScreen());
        QVERIFY(w.Fullskjerm->isChecked());
        QTRY_COMPARE(w.size(), w.screen()->geometry().size());
        // Full screen is the board view: the times fill the screen, the menu bar is out of the way.
        QCOMPARE(w.centralWidget(), w.board());
        QVERIFY(w.Tavlevisning->isChecked());
        QVERIFY(w.menuBar()->isHidden());
        // A status bar with nothing to say takes no strip of the screen; a note brings it back.
        w.setLasting(frmhoved::Lasting::Settings, QString()); // no settings file here
        w.report(QString());
        QVERIFY(w.statusBar()->isHidden());
        w.report(QStringLiteral("Lagret."));
        QVERIFY(!w.statusBar()->isHidden());
        w.report(QString());
        w.setLasting(frmhoved::Lasting::Battery, QStringLiteral("Lavt batteri."));
        QVERIFY(!w.statusBar()->isHidden());
        w.setLasting(frmhoved::Lasting::Battery, QString());
        QVERIFY(w.statusBar()->isHidden());
        f.clock.advance(100);
        gameclock::BoardHalf *half = w.board()->half(gameclock::Player::A);
        const QRect digits = support::inkBounds(support::pictureOf(half), half->timeArea(), half->look().figures);
        QVERIFY2(digits.height() >= 0.15 * w.screen()->geometry().height(),
                 qPrintable(QString::number(digits.height())));
        // The shortcuts still work without the menu bar.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
        f.clock.advance(1);
        QCOMPARE(phaseOf(w), QStringLiteral("setup"));
        // Escape leaves full screen and the board, as F11 does: the window's layout comes back.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!w.isFullScreen());
        QVERIFY(!w.Fullskjerm->isChecked());
        QVERIFY(!w.Tavlevisning->isChecked());
        QVERIFY(!w.menuBar()->isHidden());
        QCOMPARE(w.centralWidget()->objectName(), QStringLiteral("stage"));
        QTRY_COMPARE(w.zoom(), 1.0);
        // The focus is on a button, never in a box that would empty itself.
        QCOMPARE(QApplication::focusWidget(), w.starta);
        QCOMPARE(w.spillera->text(), QStringLiteral("Spiller A"));
    }

    void playerKeys_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("switches");
        const QList<std::pair<const char *, Key>> keys = {{"Left Shift", Key::LeftShift},
                                                          {"Z", Key::Z},
                                                          {"Right Shift", Key::RightShift},
                                                          {"-", Key::Minus},
                                                          {"/", Key::Slash}};
        for (const auto &[name, key] : keys) {
            const bool sideA = key == Key::LeftShift || key == Key::Z;
            QTest::addRow("A runs, %s", name) << "A" << int(key) << sideA;
            QTest::addRow("B runs, %s", name) << "B" << int(key) << !sideA;
            QTest::addRow("paused, %s", name) << "paused" << int(key) << false;
            QTest::addRow("set-up, %s", name) << "setup" << int(key) << false;
        }
    }
    void playerKeys()
    {
        QFETCH(QString, phase);
        QFETCH(int, key);
        QFETCH(bool, switches);
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (phase != QLatin1String("setup")) {
            (phase == QLatin1String("B") ? w.startb : w.starta)->click();
            f.clock.advance(3000);
        }
        if (phase == QLatin1String("paused"))
            w.pause->click();
        const QString turn = w.Label1->text();
        const QString before = readouts(w);
        const QByteArray backup = readRaw(f.file(gamefiles::kBackupFile));
        const bool aRan = w.tida->isEnabled(), bRan = w.tidb->isEnabled();
        // Whatever has the focus in the window.
        for (QWidget *focus : {static_cast<QWidget *>(w.Command1), static_cast<QWidget *>(w.ura)}) {
            if (focus->isHidden() || !focus->isEnabled())
                continue;
            focus->setFocus();
            QVERIFY(QApplication::focusWidget() == focus);
            support::tap(Key(key));
            if (switches) {
                // Exactly what "Bytt spiller" does.
                QCOMPARE(w.tida->isEnabled(), !aRan);
                QCOMPARE(w.tidb->isEnabled(), !bRan);
                QCOMPARE(w.Label1->text(), QLatin1String(turn == QLatin1String("1") ? "0" : "1"));
                QCOMPARE(phaseOf(w), QStringLiteral("running"));
                return;
            }
            QCOMPARE(w.Label1->text(), turn);
            QCOMPARE(w.tida->isEnabled(), aRan);
            QCOMPARE(w.tidb->isEnabled(), bRan);
            QCOMPARE(readouts(w), before);
            QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)), backup);
        }
    }

    void shiftInACombinationIsNoMove()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->click();
        // Shift held for Shift+Tab: the Tab comes between, so the release is no move.
        QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 0, 0xffe1, 0);
        QApplication::sendEvent(QApplication::focusWidget(), &shift);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, 0, 0xffe1, 0);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
        QVERIFY(w.tida->isEnabled());
        QCOMPARE(w.Label1->text(), QStringLiteral("1"));
    }

    void runningSideIsPlainToSee()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        const QColor accent = w.Shape1_0->accent();
        QVERIFY(accent != w.palette().color(QPalette::WindowText));
        const auto frames = [&] {
            return QString(QChar(leftEdgeShows(w.Shape1_0, accent) ? 'A' : '-')) +
                   QChar(leftEdgeShows(w.Shape1_1, accent) ? 'B' : '-');
        };
        QCOMPARE(frames(), QStringLiteral("--"));
        w.starta->click();
        QCOMPARE(frames(), QStringLiteral("A-"));
        w.Command1->click();
        QCOMPARE(frames(), QStringLiteral("-B"));
        w.pause->click();
        QCOMPARE(frames(), QStringLiteral("--"));
        w.pauseb->click();
        QCOMPARE(frames(), QStringLiteral("-B"));
        w.Nytt->trigger();
        f.clock.advance(1);
        QCOMPARE(frames(), QStringLiteral("--"));
    }

    void fallenFlagFillsItsStrip_data()
    {
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("200 %") << 2.0;
    }
    void fallenFlagFillsItsStrip()
    {
        QFETCH(qreal, zoom);
        ClockFixture f;
        frmhoved &w = f.start();
        auto *stage = qobject_cast<toolkit::ZoomStage *>(w.centralWidget());
        stage->resize(stage->sizeFor(zoom));
        w.stans->setText(QStringLiteral("1"));
        w.starta->click();
        const auto strip = [](QWidget *flag) {
            const QImage image = flag->grab().toImage();
            int red = 0, white = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red += c == toolkit::FlagStrip::fallenBackground();
                    white += c == toolkit::FlagStrip::fallenText();
                }
            return std::pair{double(red) / (image.width() * image.height()), white};
        };
        QCOMPARE(strip(w.klaffa).first, 0.0);
        f.clock.advance(60'000);
        QCOMPARE(w.klaffa->title(), QStringLiteral("Klaffen har falt for Spiller A"));
        const auto [redShare, whitePixels] = strip(w.klaffa);
        QVERIFY2(redShare > 0.6, qPrintable(QString::number(redShare)));
        QVERIFY(whitePixels > 20); // the caption is there, in white
        QCOMPARE(strip(w.klaffb).first, 0.0);
    }

    void focusAfterPauseFollowsTheMove_data()
    {
        QTest::addColumn<bool>("bHadTheMove");
        QTest::newRow("A had the move") << false;
        QTest::newRow("B had the move") << true;
    }
    void focusAfterPauseFollowsTheMove()
    {
        QFETCH(bool, bHadTheMove);
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->setFocus();
        QTest::keyClick(w.starta, Qt::Key_Space);
        if (bHadTheMove)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        w.pause->setFocus();
        QTest::keyClick(w.pause, Qt::Key_Space);
        QCOMPARE(QApplication::focusWidget(), bHadTheMove ? w.pauseb : w.pausea);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(w.tidb->isEnabled(), bHadTheMove);
        QCOMPARE(w.tida->isEnabled(), !bHadTheMove);
    }

    void newGameFromPauseLeavesNamesWhole()
    {
        ClockFixture f;
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), "Kari\r\nOla\r\n30\r\n"));
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->click();
        w.pause->click();
        QCOMPARE(QApplication::focusWidget(), w.pausea);
        QTest::keyClick(w.pausea, Qt::Key_N, Qt::ControlModifier);
        f.clock.advance(1);
        QCOMPARE(phaseOf(w), QStringLiteral("setup"));
        // The focus lands on a button, never in a box that would empty itself.
        QCOMPARE(QApplication::focusWidget(), w.starta);
        QCOMPARE(w.spillera->text(), QStringLiteral("Kari"));
        QCOMPARE(w.spillerb->text(), QStringLiteral("Ola"));
        QCOMPARE(w.stans->text(), QStringLiteral("30"));
    }
};

int main(int argc, char *argv[])
{
    // A full HD screen, as at a club.
    const auto screen = support::useOffscreenScreen(1920, 1080);
    if (!screen)
        return 1;
    QApplication app(argc, argv);
    tst_board test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_board.moc"
