#include "tests/support/clockfixture.h"
#include "tests/support/controltablecheck.h"
#include "tests/support/filewindowfixture.h"

#include "info/frmom.h"
#include "settings/frmalt.h"

#include "display/face.h"
#include "clock/timecontrol.h"
#include "gamefiles/linefiles.h"
#include "toolkit/picturebox.h"
#include "toolkit/twips.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>

using gameclock::frmhoved;

namespace {

// What the table of windows opened once does with each: the command that opens it, a change the
// user may make, how the window shows it, the button that closes it.
struct WindowUse {
    QAction *command;
    std::function<void(QWidget *)> change;
    std::function<QString(QWidget *)> state;
    std::function<QWidget *(QWidget *)> closer;
};

template <typename W> W *as(QWidget *window)
{
    return static_cast<W *>(window);
}

WindowUse useOf(const QString &window, FileWindowFixture &f)
{
    using gamefiles::frmlagresom;
    using gamefiles::frmopne;
    // Directories as the paths below the working directory.
    const auto dir = [&f](const QString &path) {
        return QDir(f.base.dir.path()).relativeFilePath(QDir::fromNativeSeparators(path));
    };
    if (window == QLatin1String("settings::frmalt"))
        return {f.main().Alternativer,
                [](QWidget *x) { as<settings::frmalt>(x)->spillera->setText(QStringLiteral("under arbeid")); },
                [](QWidget *x) { return as<settings::frmalt>(x)->spillera->text(); },
                [](QWidget *x) -> QWidget * { return as<settings::frmalt>(x)->Avbryt; }};
    if (window == QLatin1String("info::frmom"))
        return {f.main().Om, [](QWidget *x) { as<info::frmom>(x)->rotateLabel1(); },
                [](QWidget *x) { return as<info::frmom>(x)->Label1->text(); },
                [](QWidget *x) -> QWidget * { return as<info::frmom>(x)->Command1; }};
    if (window == QLatin1String("gamefiles::frmlagresom"))
        return {f.main().LagreSom,
                [&f](QWidget *x) {
                    as<frmlagresom>(x)->filnavn->setText(QStringLiteral("under arbeid"));
                    QVERIFY(as<frmlagresom>(x)->Dir1->setPath(f.games));
                },
                [dir](QWidget *x) {
                    const frmlagresom *w = as<frmlagresom>(x);
                    return QStringLiteral("%1 in %2, %3")
                        .arg(w->filnavn->text(), dir(w->Dir1->path()), dir(w->filbane->text()));
                },
                [](QWidget *x) -> QWidget * { return as<frmlagresom>(x)->Avbryt; }};
    return {f.main().Apne, [&f](QWidget *x) { QVERIFY(as<frmopne>(x)->Dir1->setPath(f.games)); },
            [dir](QWidget *x) {
                const frmopne *w = as<frmopne>(x);
                return QStringLiteral("%1, %2, %3")
                    .arg(dir(w->Dir1->path()), dir(w->filbane->text()), dir(w->File1->path()));
            },
            [](QWidget *x) -> QWidget * { return as<frmopne>(x)->Avbryt; }};
}

} // namespace

class tst_frmhoved : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A refresh draws a face only when its picture would differ, and then as a whole redraw would.
    void refreshDrawsOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("aRedrawn");
        QTest::addColumn<bool>("bRedrawn");
        QTest::newRow("nothing") << "nothing" << false << false;
        QTest::newRow("A's seconds") << "A's seconds" << true << false;
        QTest::newRow("B's minutes") << "B's minutes" << false << true;
        QTest::newRow("A's canvas drawn on") << "A's canvas drawn on" << true << false;
        QTest::newRow("B's fill colour") << "B's fill colour" << false << true;
        QTest::newRow("A's read-out not a number") << "A's read-out not a number" << true << false;
    }
    void refreshDrawsOnlyWhatChanged()
    {
        QFETCH(QString, change);
        QFETCH(bool, aRedrawn);
        QFETCH(bool, bRedrawn);
        ClockFixture f;
        frmhoved &w = f.start();
        w.Timer2_Timer();
        if (change == QLatin1String("A's seconds"))
            w.seka->setText(QStringLiteral("7"));
        else if (change == QLatin1String("B's minutes"))
            w.minb->setText(QStringLiteral("3"));
        else if (change == QLatin1String("A's canvas drawn on"))
            w.drawhanda(display::kCentreX, display::kCentreY, 15.0, display::kRadius / 2.0);
        else if (change == QLatin1String("B's fill colour"))
            w.urb->setFillColor(Qt::blue);
        else if (change == QLatin1String("A's read-out not a number"))
            w.mina->setText(QStringLiteral("x"));
        const quint64 a = w.ura->drawCount(), b = w.urb->drawCount();
        w.Timer2_Timer();
        QCOMPARE(w.ura->drawCount() != a, aRedrawn);
        QCOMPARE(w.urb->drawCount() != b, bRedrawn);

        // Either way each face shows what a face drawn afresh from its read-outs shows.
        for (bool playerA : {true, false}) {
            toolkit::PictureBox *shown = playerA ? w.ura : w.urb;
            toolkit::PictureBox fresh;
            fresh.resize(shown->size());
            fresh.setFillColor(playerA ? display::kDiscColour : shown->fillColor());
            const auto number = [](QLabel *l) {
                bool ok = false;
                const double v = l->text().toDouble(&ok);
                return ok ? std::optional<double>(v) : std::nullopt;
            };
            display::faceRefresh(
                fresh, number(playerA ? w.mina : w.minb), number(playerA ? w.seka : w.sekb),
                [&fresh](double x, double y, std::optional<double> v, double l) {
                    display::drawHand(fresh, x, y, v, l);
                },
                false);
            QVERIFY2(fresh.canvas() == shown->canvas(), playerA ? "face A" : "face B");
        }
    }

    void stateWhenCreated()
    {
        ClockFixture f;
        frmhoved w;
        const QWidget *client = w.findChild<QWidget *>(QStringLiteral("client"));
        QVERIFY(client);
        checkBuiltAsTable(client, frmhoved::controlTable());
        QCOMPARE(w.windowTitle(), QStringLiteral("Partivakt v" PARTIVAKT_VERSION));
        QCOMPARE(w.centralWidget()->size(), QSize(toolkit::twips(10065), toolkit::twips(5160)));
        for (QLabel *l : {w.mina, w.seka, w.minb, w.sekb})
            QCOMPARE(l->text(), QStringLiteral("0"));
        QCOMPARE(w.spillera->text(), QStringLiteral("Spiller A"));
        QCOMPARE(w.spillerb->text(), QStringLiteral("Spiller B"));
        QCOMPARE(w.stans->text(), QStringLiteral("60"));
        QCOMPARE(w.klaffa->title(), QString());
        QCOMPARE(w.tida->interval(), 0);
        QVERIFY(w.tida->isEnabled());
        QCOMPARE(w.Timer1->interval(), 1);
        QCOMPARE(w.Timer2->interval(), 100);
        // Before any start the clock timers never tick.
        w.Timer1->setEnabled(false);
        f.clock.advance(10'000);
        QCOMPARE(readouts(w), QStringLiteral("0:0 0:0"));
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("Spill")
            << "Spill"
            << QStringList{
                   "&Nytt spill|Ctrl+N", "-", "&Åpne...|Ctrl+O", "&Juster tid...|Ctrl+J", "&Lagre|Ctrl+S",
                   "Lagre &som...|Ctrl+Shift+S", "-", "&Tidskontroll...|Ctrl+T", "T&urnering...|", "&Alternativer...|", "-",
                   "&Avslutt|Ctrl+Q"};
        QTest::newRow("hjelp1") << "hjelp1" << QStringList{"&Sjakk regler|", "&Nettleser|", "-", "&Om Partivakt|"};
    }
    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        ClockFixture f;
        frmhoved w;
        auto *m = w.findChild<QMenu *>(menu);
        QVERIFY(m);
        QStringList seen;
        for (QAction *a : m->actions())
            seen << (a->isSeparator() ? QStringLiteral("-")
                                      : a->text() + u'|' + a->shortcut().toString(QKeySequence::PortableText));
        QCOMPARE(seen, items);
        QCOMPARE(w.Spill->title(), QStringLiteral("&Spill"));
        QCOMPARE(w.hjelp1->title(), QStringLiteral("&Hjelp"));
    }

    void startBounds_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("afterA");
        QTest::addColumn<QString>("afterB");
        QTest::newRow("empty") << ""
                               << "1"
                               << "10";
        QTest::newRow("letters") << "abc"
                                 << "1"
                                 << "10";
        QTest::newRow("zero") << "0"
                              << "1"
                              << "10";
        QTest::newRow("negative") << "-5"
                                  << "1"
                                  << "10";
        QTest::newRow("above") << "75"
                               << "60"
                               << "60";
        QTest::newRow("exactly 60") << "60"
                                    << "60"
                                    << "60";
        QTest::newRow("just above 60") << "60.5"
                                       << "60"
                                       << "60";
        QTest::newRow("exactly 1") << "1"
                                   << "1"
                                   << "10";
        QTest::newRow("below 1") << "0.9"
                                 << "1"
                                 << "10";
        QTest::newRow("five") << "5"
                              << "5"
                              << "10";
        QTest::newRow("exactly 10") << "10"
                                    << "10"
                                    << "10";
        QTest::newRow("just below 10") << "9.99"
                                       << "9.99"
                                       << "10";
        QTest::newRow("trailing word") << "30 min"
                                       << "30"
                                       << "30";
        QTest::newRow("leading blanks") << "  45"
                                        << "45"
                                        << "45";
        QTest::newRow("fraction inside") << "30.5"
                                         << "30.5"
                                         << "30.5";
        QTest::newRow("hex") << "&H1E"
                             << "30"
                             << "30";
        QTest::newRow("exponent") << "2e1"
                                  << "20"
                                  << "20";
    }
    void startBounds()
    {
        QFETCH(QString, limit);
        QFETCH(QString, afterA);
        QFETCH(QString, afterB);
        for (bool a : {true, false}) {
            ClockFixture f;
            frmhoved &w = f.start();
            w.stans->setText(limit);
            (a ? w.starta : w.startb)->click();
            QCOMPARE(w.stans->text(), a ? afterA : afterB);
            QCOMPARE(phaseOf(w), QStringLiteral("running"));
        }
    }

    void startFillsEmptyNamesOnly_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("afterA");
        QTest::addColumn<QString>("afterB");
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "Spiller A"
                                    << "Spiller B";
        QTest::newRow("one blank stays") << " "
                                         << ""
                                         << " "
                                         << "Spiller B";
        QTest::newRow("names kept") << "Kari"
                                    << "Ola"
                                    << "Kari"
                                    << "Ola";
    }
    void startFillsEmptyNamesOnly()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, afterA);
        QFETCH(QString, afterB);
        ClockFixture f;
        frmhoved &w = f.start();
        w.spillera->setText(a);
        w.spillerb->setText(b);
        w.startb->click();
        QCOMPARE(w.spillera->text(), afterA);
        QCOMPARE(w.spillerb->text(), afterB);
    }

    void startAndSwitch_data()
    {
        QTest::addColumn<bool>("startA");
        QTest::newRow("A starts") << true;
        QTest::newRow("B starts") << false;
    }
    void startAndSwitch()
    {
        QFETCH(bool, startA);
        ClockFixture f;
        frmhoved &w = f.start();
        QCOMPARE(phaseOf(w), QStringLiteral("setup"));
        (startA ? w.starta : w.startb)->click();
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        QCOMPARE(w.tida->isEnabled(), startA);
        QCOMPARE(w.Label1->text(), QLatin1String(startA ? "1" : "0"));
        QCOMPARE(w.Command1->text(), QStringLiteral("Bytt spiller"));
        // Each switch hands the clock to the other player and changes nothing else.
        for (int i = 1; i <= 3; ++i) {
            const QString before = readouts(w);
            w.Command1->click();
            const bool aRuns = (i % 2 == 0) == startA;
            QCOMPARE(w.tida->isEnabled(), aRuns);
            QCOMPARE(w.tidb->isEnabled(), !aRuns);
            QCOMPARE(phaseOf(w), QStringLiteral("running"));
            QCOMPARE(readouts(w), before);
        }
    }

    void switchFollowsTheTurnIndicatorAlone()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.starta->click();
        // Whatever timer runs, an indicator of 0 means B had the turn: A's clock starts.
        w.Label1->setText(QStringLiteral("0"));
        w.Command1->click();
        QVERIFY(w.tida->isEnabled());
        QVERIFY(!w.tidb->isEnabled());
        QCOMPARE(w.Label1->text(), QStringLiteral("1"));
    }

    void startLeavesReadoutsAndFlags()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.mina->setText(QStringLiteral("3"));
        w.seka->setText(QStringLiteral("7"));
        w.klaffb->setTitle(QStringLiteral("x"));
        w.starta->click();
        QCOMPARE(readouts(w), QStringLiteral("3:7 0:0"));
        QCOMPARE(w.klaffb->title(), QStringLiteral("x"));
    }

    // The time-limit check, the first step of every command that opens a window: in set-up a limit
    // worth 0 becomes 60 and the focus goes to A's start button; during a game, for the rules and for
    // a quick save to a known file, nothing happens. The command's request goes out after it.
    void timeLimitCheck_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("toStart"); // the focus moves to starta
        const std::pair<const char *, const char *> limits[] = {{"", "60"},   {"0", "60"},  {"00", "60"},  {"abc", "60"},
                                                                {"45", "45"}, {"3x", "3x"}, {"0.5", "0.5"}};
        for (const char *command : {"Om", "Alternativer", "Apne", "LagreSom"}) {
            for (const auto &[limit, after] : limits)
                QTest::addRow("%s, set-up, '%s'", command, limit) << command << "setup" << limit << after << true;
            // The box is disabled during a game: even an empty one stays as it is.
            for (const char *phase : {"running", "paused"})
                QTest::addRow("%s, %s", command, phase) << command << phase << "" << "" << false;
        }
        for (const char *command : {"Regler", "Lagre"}) {
            for (const char *limit : {"", "0"})
                QTest::addRow("%s, set-up, '%s'", command, limit) << command << "setup" << limit << limit << false;
            QTest::addRow("%s, running", command) << command << "running" << "" << "" << false;
        }
    }
    void timeLimitCheck()
    {
        QFETCH(QString, command);
        QFETCH(QString, phase);
        QFETCH(QString, limit);
        QFETCH(QString, after);
        QFETCH(bool, toStart);
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // A quick save has a file to go to, so it opens no window.
        const QString saved = f.file(QStringLiteral("Parti.sur"));
        QVERIFY(writeRaw(f.file(QStringLiteral("bane.ban")), QFile::encodeName(saved) + "\r\n"));
        w.startb->setFocus(); // a box would empty itself
        if (phase != QLatin1String("setup"))
            w.starta->click();
        if (phase == QLatin1String("paused"))
            w.pause->click();
        w.stans->setText(limit);
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        // What each request finds when it goes out.
        QStringList heard;
        const auto hear = [&](const char *request) {
            return [&heard, &w, request] {
                heard << QStringLiteral("%1 %2 %3").arg(QLatin1String(request), w.stans->text(),
                                                         QApplication::focusWidget()->objectName());
            };
        };
        connect(&w, &frmhoved::aboutRequested, &w, hear("Om"));
        connect(&w, &frmhoved::optionsRequested, &w, hear("Alternativer"));
        connect(&w, &frmhoved::openRequested, &w, hear("Apne"));
        connect(&w, &frmhoved::saveAsRequested, &w, hear("LagreSom"));
        connect(&w, &frmhoved::rulesRequested, &w, hear("Regler"));

        w.findChild<QAction *>(command)->trigger();
        QWidget *focusAfter = toStart ? w.starta : focus;
        QCOMPARE(w.stans->text(), after);
        QCOMPARE(QApplication::focusWidget(), focusAfter);
        QCOMPARE(phaseOf(w), phase);
        if (command == QLatin1String("Lagre")) {
            QCOMPARE(heard, QStringList());
            QCOMPARE(readRaw(saved), crlfLines({"0", "0", "0", "0", "Spiller A", "Spiller B", qPrintable(after)}));
        } else {
            QCOMPARE(heard, QStringList{command + u' ' + after + u' ' + focusAfter->objectName()});
        }
    }

    // Each window a command opens exists once: asked for again it comes to the front as the user
    // left it; closed, it is gone, and the next opening starts afresh.
    void windowsOpenOnce_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("changed");
        QTest::newRow("Alternativer") << "settings::frmalt"
                                      << "Spiller A"
                                      << "under arbeid";
        QTest::newRow("Om Partivakt") << "info::frmom"
                                      << "Postboks 0"
                                      << "ostboks 0P";
        QTest::newRow("Lagre som") << "gamefiles::frmlagresom"
                                   << "Spill in hjem, hjem"
                                   << "under arbeid in partier, partier";
        QTest::newRow("Åpne") << "gamefiles::frmopne"
                              << "hjem, hjem, hjem"
                              << "partier, partier, partier";
    }
    void windowsOpenOnce()
    {
        QFETCH(QString, window);
        QFETCH(QString, fresh);
        QFETCH(QString, changed);
        FileWindowFixture f;
        frmhoved &w = f.main();
        app::connectOptions(w);
        app::connectInfo(w);
        const auto opened = [&window] {
            QList<QWidget *> found;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (QLatin1String(top->metaObject()->className()) == window)
                    found << top;
            return found;
        };
        const WindowUse use = useOf(window, f);
        QAction *command = use.command;
        const auto &state = use.state;

        command->trigger();
        QCOMPARE(opened().size(), 1);
        QWidget *first = opened().first();
        QCOMPARE(state(first), fresh);
        use.change(first);
        QCOMPARE(state(first), changed);
        // The main window in front, then the command again: the same window comes back to the front.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        command->trigger();
        QCOMPARE(opened(), QList<QWidget *>{first});
        QVERIFY(QTest::qWaitForWindowActive(first));
        QCOMPARE(state(first), changed);

        QTest::mouseClick(use.closer(first), Qt::LeftButton);
        QVERIFY(!first->isVisible());
        flushDeletes();
        QCOMPARE(opened(), QList<QWidget *>());
        command->trigger();
        QCOMPARE(opened().size(), 1);
        QCOMPARE(state(opened().first()), fresh);
        qDeleteAll(opened());
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("announced");
        QTest::newRow("A minutes") << "mina"
                                   << "Spiller A, minutter: 0";
        QTest::newRow("A seconds") << "seka"
                                   << "Spiller A, sekunder: 0";
        QTest::newRow("B minutes") << "minb"
                                   << "Spiller B, minutter: 0";
        QTest::newRow("B seconds") << "sekb"
                                   << "Spiller B, sekunder: 0";
        QTest::newRow("limit box") << "stans"
                                   << "Tid per spiller i minutter";
        QTest::newRow("name A") << "spillera"
                                << "Navn på spiller A";
        QTest::newRow("start A") << "starta"
                                 << "Spiller A begynner";
        QTest::newRow("face B") << "urb"
                                << "Spiller B: 0 sekunder";
    }
    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, announced);
        ClockFixture f;
        frmhoved &w = f.start();
        f.clock.advance(100); // captions follow the names
        auto *c = w.findChild<QWidget *>(name);
        QVERIFY(c);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), announced);
    }

    // What a screen reader reads of each side, as the game goes: the name, the time in words and
    // the state, on the face; the name on the read-outs.
    void sidesInWords_data()
    {
        QTest::addColumn<QString>("play");
        QTest::addColumn<QString>("faceA");
        QTest::addColumn<QString>("faceB");
        QTest::addColumn<QString>("readoutB"); // B's seconds, or B's time left under a count-down control
        QTest::newRow("set-up") << "" << "Kari: 0 sekunder" << "Ola: 0 sekunder"
                                << "Ola, sekunder: 0";
        QTest::newRow("A runs 61 s") << "A61" << "Kari: 1 minutt 1 sekund, trekker" << "Ola: 0 sekunder"
                                     << "Ola, sekunder: 0";
        QTest::newRow("A runs into the last minute") << "A125"
                                                     << "Kari: 2 minutter 5 sekunder, trekker, siste minutt"
                                                     << "Ola: 0 sekunder" << "Ola, sekunder: 0";
        // B's start raises the limit to 10.
        QTest::newRow("B runs 9:01") << "B541"
                                     << "Kari: 0 sekunder"
                                     << "Ola: 9 minutter 1 sekund, trekker, siste minutt" << "Ola, sekunder: 1";
        QTest::newRow("paused with B to move") << "B5 pause"
                                               << "Kari: 0 sekunder, pause"
                                               << "Ola: 5 sekunder, pause, skal trekke"
                                               << "Ola, sekunder: 5";
        QTest::newRow("A's flag down, B to move") << "A180 switch"
                                                  << "Kari: 3 minutter, klaffen har falt"
                                                  << "Ola: 0 sekunder, trekker" << "Ola, sekunder: 0";
        QTest::newRow("empty name box") << "unnamed" << "Spiller A: 0 sekunder"
                                        << "Ola: 0 sekunder" << "Ola, sekunder: 0";
        QTest::newRow("5 min + 3 s, B runs 10 s") << "control B10"
                                                  << "Kari: 5 minutter 3 sekunder igjen"
                                                  << "Ola: 4 minutter 53 sekunder igjen, trekker"
                                                  << "Ola, tid igjen: 4:53";
    }
    void sidesInWords()
    {
        QFETCH(QString, play);
        QFETCH(QString, faceA);
        QFETCH(QString, faceB);
        QFETCH(QString, readoutB);
        ClockFixture f;
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), "Kari\r\nOla\r\n3\r\n"));
        frmhoved &w = f.start();
        for (const QString &step : play.split(u' ', Qt::SkipEmptyParts)) {
            if (step == "pause")
                w.pause->click();
            else if (step == "switch")
                w.Command1->click();
            else if (step == "unnamed")
                w.spillera->setText(QString());
            else if (step == "control")
                QCOMPARE(w.applyTimeControl(*gameclock::presetNamed(QStringLiteral("5 min + 3 s"))), std::nullopt);
            else {
                (step.startsWith(u'A') ? w.starta : w.startb)->click();
                f.clock.advance(step.mid(1).toInt() * 1000);
            }
        }
        const auto name = [](QWidget *c) { return QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name); };
        QCOMPARE(name(w.ura), faceA);
        QCOMPARE(name(w.urb), faceB);
        QCOMPARE(name(w.countdown() ? static_cast<QWidget *>(w.igjenb) : w.sekb), readoutB);
    }

    void fallenFlagIsAnnounced()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.klaffa->setTitle(QStringLiteral("Klaffen har falt for Kari"));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.klaffa);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Klaffen har falt for Kari"));
    }

    void keyboardPlaysAGame_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Space") << int(Qt::Key_Space);
        // Enter presses the button that has the focus, as Space does.
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void keyboardPlaysAGame()
    {
        QFETCH(int, key);
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        f.clock.advance(100);
        const auto press = [key] { QTest::keyClick(QApplication::focusWidget(), Qt::Key(key)); };
        w.starta->setFocus();
        press();
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        // The switch button holds the focus, so one key hands over the move.
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        press();
        QVERIFY(w.tidb->isEnabled());
        press();
        QVERIFY(w.tida->isEnabled());
        // A pause offers the first resume button, and resuming gives the switch button the focus again.
        w.pause->setFocus();
        press();
        QCOMPARE(phaseOf(w), QStringLiteral("paused"));
        QCOMPARE(QApplication::focusWidget(), w.pausea);
        press();
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        QVERIFY(w.tida->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w.Command1);
    }
};

QTEST_MAIN(tst_frmhoved)
#include "tst_frmhoved.moc"
