// The clock that speaks, as the program wires it: the Ctrl keys read both clocks, the announcements
// come when they are due and only when chosen, and the choices are kept per user. What would be
// said is recorded, not heard.

#include "app/speaking.h"
#include "clock/timecontrol.h"
#include "speech/speaker.h"
#include "tests/support/clockfixture.h"
#define PARTIVAKT_SYSTEM_KEYS
#include "tests/support/keys.h"

#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QWheelEvent>

#include <map>
#include <optional>

using gameclock::frmhoved;
using support::NativeKey;

namespace {

struct Speaking : ClockFixture {
    support::Replaced backend{speech::Speaker::setDefaultBackend, speech::Speaker::Backend::Record,
                              speech::Speaker::Backend::Module};
    speech::Speaker *speaker = nullptr;

    explicit Speaking(const QByteArray &settings = "Kari\r\nOla\r\n30\r\n")
    {
        QSettings().clear();
        writeRaw(file(gamefiles::kSettingsFile), settings);
    }
    frmhoved &startSpeaking()
    {
        frmhoved &w = start();
        speaker = app::connectSpeech(w);
        return w;
    }
    void choose(bool announce) { QSettings().setValue(QStringLiteral("speech/announce"), announce); }
};

} // namespace

class tst_speaking : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keysReadBothClocks_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("sentence");
        const int left = int(NativeKey::LeftControl), right = int(NativeKey::RightControl);
        QTest::newRow("set-up, left, start button") << "setup" << left << "starta"
                                                    << "Kari 0 minutter 0. Ola 0 minutter 0.";
        // A box that takes the focus empties itself: the name is read as it stands then.
        QTest::newRow("set-up, right, name box") << "setup" << right << "spillera"
                                                 << "Spiller A 0 minutter 0. Ola 0 minutter 0.";
        QTest::newRow("A runs, left, switch button") << "A" << left << "Command1"
                                                     << "Kari 0 minutter 3. Ola 0 minutter 0. Kari trekker.";
        QTest::newRow("A runs, right, face") << "A" << right << "ura"
                                             << "Kari 0 minutter 3. Ola 0 minutter 0. Kari trekker.";
        QTest::newRow("B runs, right") << "B" << right << "Command1"
                                       << "Kari 0 minutter 0. Ola 1 minutt 2. Ola trekker.";
        QTest::newRow("paused, left, resume button") << "paused" << left << "pausea"
                                                     << "Kari 0 minutter 3. Ola 0 minutter 0. Pause.";
        QTest::newRow("full screen, A runs, left") << "full" << left << "Command1"
                                                   << "Kari 0 minutter 3. Ola 0 minutter 0. Kari trekker.";
    }
    void keysReadBothClocks()
    {
        QFETCH(QString, phase);
        QFETCH(int, key);
        QFETCH(QString, focus);
        QFETCH(QString, sentence);
        Speaking f;
        frmhoved &w = f.startSpeaking();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (phase != "setup") {
            (phase == "B" ? w.startb : w.starta)->click();
            f.clock.advance(phase == "B" ? 62'000 : 3000);
        }
        if (phase == "paused")
            w.pause->click();
        if (phase == "full") {
            w.Fullskjerm->trigger();
            QTRY_VERIFY(w.isFullScreen());
        }
        w.findChild<QWidget *>(focus)->setFocus();
        const QString turn = w.Label1->text();
        const bool aRan = w.tida->isEnabled(), bRan = w.tidb->isEnabled();
        support::tap(NativeKey(key));
        QCOMPARE(f.speaker->said(), QStringList{sentence});
        // Asking for the time never ends a move.
        QCOMPARE(w.Label1->text(), turn);
        QCOMPARE(w.tida->isEnabled(), aRan);
        QCOMPARE(w.tidb->isEnabled(), bRan);
        // Asked again, it is said again: a newer request replaces the one being said.
        support::tap(NativeKey(key == int(NativeKey::LeftControl) ? NativeKey::RightControl : NativeKey::LeftControl));
        QCOMPARE(f.speaker->said(), (QStringList{sentence, sentence}));
    }

    // What counts as a Ctrl tapped alone, through the window's real key handling: the menu's
    // shortcuts take their keys before the focus sees them. Steps: L+/L- and R+/R- press and
    // release a Ctrl key, N, 0 and S are keys tapped meanwhile, click and wheel the mouse's, away
    // the window losing the focus; between [ and ] a screen reader holds the keys' deliveries back.
    void ctrlAloneAsks_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<int>("silences");
        QTest::addColumn<QString>("phase"); // after the steps: a shortcut did its work
        const QString running = QStringLiteral("Kari 0 minutter 2. Ola 0 minutter 0. Kari trekker.");
        const QString setup = QStringLiteral("Kari 0 minutter 0. Ola 0 minutter 0.");
        QTest::newRow("left Ctrl alone") << "L+ L-" << QStringList{running} << 1 << "running";
        QTest::newRow("right Ctrl alone") << "R+ R-" << QStringList{running} << 1 << "running";
        QTest::newRow("tapped twice") << "L+ L- R+ R-" << QStringList{running, running} << 2 << "running";
        QTest::newRow("left Ctrl+N") << "L+ N L-" << QStringList() << 1 << "setup";
        QTest::newRow("right Ctrl+N") << "R+ N R-" << QStringList() << 1 << "setup";
        QTest::newRow("Ctrl+0") << "R+ 0 R-" << QStringList() << 1 << "running";
        QTest::newRow("Ctrl+S") << "L+ S L-" << QStringList() << 1 << "running";
        QTest::newRow("both Ctrl keys") << "L+ R+ R- L-" << QStringList() << 1 << "running";
        QTest::newRow("Ctrl+click") << "L+ click L-" << QStringList() << 1 << "running";
        QTest::newRow("Ctrl+wheel") << "R+ wheel R-" << QStringList() << 1 << "running";
        QTest::newRow("released in another window") << "L+ away L-" << QStringList() << 1 << "running";
        QTest::newRow("screen reader, alone") << "[ L+ L- ]" << QStringList{running} << 1 << "running";
        QTest::newRow("screen reader, Ctrl+N") << "[ L+ N L- ]" << QStringList() << 1 << "setup";
        QTest::newRow("screen reader, Ctrl+N, then alone") << "[ L+ N L- ] [ R+ R- ]" << QStringList{setup} << 2
                                                           << "setup";
    }
    void ctrlAloneAsks()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, said);
        QFETCH(int, silences);
        QFETCH(QString, phase);
        Speaking f;
        frmhoved &w = f.startSpeaking();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->click();
        f.clock.advance(2000);
        QSignalSpy silence(&w, &frmhoved::silenceRequested);
        QWindow *window = w.windowHandle();
        const support::SystemKey left = support::systemKey(NativeKey::LeftControl);
        const support::SystemKey right = support::systemKey(NativeKey::RightControl);
        const std::map<QString, support::SystemKey> letters{{"N", support::systemKey(NativeKey::N)},
                                                            {"0", {Qt::Key_0, '0', QStringLiteral("0")}},
                                                            {"S", {Qt::Key_S, 's', QStringLiteral("s")}}};
        Qt::KeyboardModifiers held;
        std::optional<support::HeldKeys> screenReader;
        for (const QString &step : steps.split(u' ')) {
            const support::SystemKey &control = step.startsWith(u'L') ? left : right;
            if (step.endsWith(u'+')) {
                held |= Qt::ControlModifier;
                support::systemKeyEvent(window, QEvent::KeyPress, control, held);
            } else if (step.endsWith(u'-')) {
                held &= ~Qt::ControlModifier;
                support::systemKeyEvent(window, QEvent::KeyRelease, control, held);
            } else if (step == "[") {
                screenReader.emplace();
            } else if (step == "]") {
                screenReader.reset();
            } else if (step == "click") {
                QTest::mouseClick(w.ura, Qt::LeftButton, held);
            } else if (step == "wheel") {
                QWheelEvent wheel(QPointF(5, 5), w.ura->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, Qt::NoButton, held,
                                  Qt::NoScrollPhase, false);
                QApplication::sendEvent(w.ura, &wheel);
            } else if (step == "away") {
                QEvent deactivate(QEvent::WindowDeactivate);
                QApplication::sendEvent(&w, &deactivate);
            } else {
                support::systemKeyEvent(window, QEvent::KeyPress, letters.at(step), held);
                support::systemKeyEvent(window, QEvent::KeyRelease, letters.at(step), held);
            }
            // A new game's start-up runs a millisecond after its command.
            f.clock.advance(1);
        }
        QCOMPARE(f.speaker->said(), said);
        QCOMPARE(silence.count(), silences);
        QCOMPARE(phaseOf(w), phase);
    }

    // A Shift tapped alone still ends a move after a Ctrl was used.
    void shiftAfterCtrl()
    {
        Speaking f;
        frmhoved &w = f.startSpeaking();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->click();
        support::chord(NativeKey::LeftControl, Qt::Key_N);
        f.clock.advance(1);
        w.starta->click();
        support::tap(NativeKey::LeftControl);
        support::tap(NativeKey::LeftShift);
        QVERIFY(w.tidb->isEnabled());
    }

    void announcements_data()
    {
        QTest::addColumn<bool>("announce");
        QTest::addColumn<bool>("playerA");
        QTest::addColumn<QStringList>("said");
        const QStringList kari{"Kari 5 minutter igjen.", "Kari 4 minutter igjen.", "Kari 3 minutter igjen.",
                               "Kari 2 minutter igjen.", "Kari 1 minutt igjen.", "Klaffen har falt for Kari."};
        const QStringList ola{"Ola 5 minutter igjen.", "Ola 4 minutter igjen.", "Ola 3 minutter igjen.",
                              "Ola 2 minutter igjen.", "Ola 1 minutt igjen.", "Klaffen har falt for Ola."};
        QTest::newRow("on, A plays to the flag and on")
            << true << true << QStringList{"Kari begynner. 10 minutter per spiller."} + kari;
        QTest::newRow("on, B plays to the flag and on")
            << true << false << QStringList{"Ola begynner. 10 minutter per spiller."} + ola;
        QTest::newRow("off: silent") << false << true << QStringList();
    }
    void announcements()
    {
        QFETCH(bool, announce);
        QFETCH(bool, playerA);
        QFETCH(QStringList, said);
        Speaking f("Kari\r\nOla\r\n10\r\n");
        f.choose(announce);
        frmhoved &w = f.startSpeaking();
        (playerA ? w.starta : w.startb)->click();
        QCOMPARE(w.LesOpp->isChecked(), announce);
        // With announcements on, the module is asked for as the game starts.
        QCOMPARE(f.speaker->moduleRequested(), announce);
        // Past the flag by two minutes, the other clock never running.
        f.clock.advance(12 * 60'000);
        QCOMPARE((playerA ? w.klaffa : w.klaffb)->hasFallen(), true);
        QCOMPARE(f.speaker->said(), said);
    }

    // The limit box empties itself when Tab enters it; the start says what the game became.
    void startSaysTheGame_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("announce");
        QTest::addColumn<bool>("playerA");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("A starts") << "" << true << true << QStringList{"Kari begynner. 1 minutt per spiller."};
        QTest::newRow("B starts") << "" << true << false << QStringList{"Ola begynner. 10 minutter per spiller."};
        QTest::newRow("off: silent") << "" << false << true << QStringList();
        // The increment comes once before the first move.
        QTest::newRow("5 min + 3 s") << "5 min + 3 s" << true << false
                                     << QStringList{"Ola begynner. 5 minutter 3 sekunder per spiller."};
        QTest::newRow("time odds") << "Armageddon: A 5 min, B 4 min" << true << true
                                   << QStringList{"Kari begynner. Kari 5 minutter, Ola 4 minutter."};
    }
    void startSaysTheGame()
    {
        QFETCH(QString, control);
        QFETCH(bool, announce);
        QFETCH(bool, playerA);
        QFETCH(QStringList, said);
        Speaking f;
        f.choose(announce);
        frmhoved &w = f.startSpeaking();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (!control.isEmpty()) {
            // No limit box under a count-down control.
            QCOMPARE(w.applyTimeControl(*gameclock::presetNamed(control)), std::nullopt);
            (playerA ? w.starta : w.startb)->click();
            QCOMPARE(f.speaker->said(), said);
            return;
        }
        w.startb->setFocus();
        QTest::keyClick(w.startb, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.stans);
        QCOMPARE(w.stans->text(), QString());
        // Back to a start button, and Space.
        for (int i = 0; i < (playerA ? 2 : 1); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(w.tida->isEnabled(), playerA);
        QCOMPARE(w.tidb->isEnabled(), !playerA);
        QCOMPARE(f.speaker->said(), said);
    }

    void warningsOnceWhenTheyAppear_data()
    {
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<int>("times");
        // The battery's warning follows each change of its percentage, and goes with the charger.
        QTest::newRow("battery, changes, goes, comes back") << "battery" << "Lavt batteri: 12 % igjen – koble til strøm." << 2;
        QTest::newRow("sleep") << "sleep" << "Spillet ble satt på pause fordi maskinen gikk i dvale." << 1;
        QTest::newRow("backup the kernel refuses, three seconds") << "backup" << "Sikkerhetskopien kan ikke lagres." << 1;
    }
    void warningsOnceWhenTheyAppear()
    {
        QFETCH(QString, warning);
        QFETCH(QString, sentence);
        QFETCH(int, times);
        Speaking f;
        f.choose(true);
        frmhoved &w = f.startSpeaking();
        if (warning == "battery") {
            for (const QString &text : {sentence, QStringLiteral("Lavt batteri: 11 % igjen – koble til strøm."), QString(), sentence})
                w.setLasting(frmhoved::Lasting::Battery, text);
        } else if (warning == "sleep") {
            w.starta->click();
            QVERIFY(w.pauseForSleep());
        } else {
            // A directory where the file should be: the rename of every write fails.
            QVERIFY(QDir(f.dir.path()).mkdir(gamefiles::kBackupFile));
            w.starta->click();
            f.clock.advance(3000);
        }
        QVERIFY(!w.lastingText().isEmpty());
        // A game started for the sleep and the backup is said first.
        const QStringList started{QStringLiteral("Kari begynner. 30 minutter per spiller.")};
        QCOMPARE(f.speaker->said(), (warning == "battery" ? QStringList() : started) + QStringList(times, sentence));
    }

    void choicesAreKept_data()
    {
        QTest::addColumn<int>("faster");
        QTest::addColumn<int>("slower");
        QTest::addColumn<double>("rate");
        QTest::newRow("as it was") << 0 << 0 << speech::kDefaultRate;
        QTest::newRow("three steps faster") << 3 << 0 << 0.7;
        QTest::newRow("never past the fastest") << 10 << 0 << 1.0;
        QTest::newRow("never past the slowest") << 0 << 20 << -1.0;
    }
    void choicesAreKept()
    {
        QFETCH(int, faster);
        QFETCH(int, slower);
        QFETCH(double, rate);
        Speaking f;
        {
            frmhoved &w = f.startSpeaking();
            w.Vis->popup(QPoint());
            QTRY_VERIFY(w.Vis->isVisible());
            QVERIFY(!w.LesOpp->isChecked()); // silent unless chosen
            w.Vis->hide();
            w.LesOpp->trigger();
            for (int i = 0; i < faster; ++i)
                w.TaleRaskere->trigger();
            for (int i = 0; i < slower; ++i)
                w.TaleSaktere->trigger();
            // Each change of rate reads the time at the new rate.
            QStringList said{QStringLiteral("Opplesing på.")};
            for (int i = 0; i < faster + slower; ++i)
                said << QStringLiteral("Kari 0 minutter 0. Ola 0 minutter 0.");
            QCOMPARE(f.speaker->said(), said);
        }
        // The next start of the program has them, from the user's configuration, not from def.dur.
        const QByteArray settingsFile = readRaw(f.file(gamefiles::kSettingsFile));
        frmhoved &again = f.startSpeaking();
        // The menu shows them as it opens.
        again.Vis->popup(QPoint());
        QTRY_VERIFY(again.Vis->isVisible());
        QVERIFY(again.LesOpp->isChecked());
        QVERIFY(qAbs(f.speaker->rate() - rate) < 1e-9);
        again.Vis->hide();
        QCOMPARE(readRaw(f.file(gamefiles::kSettingsFile)), settingsFile);
        QVERIFY(QSettings().fileName().startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
    }

    // The real speech module with no speech service to talk to.
    void noServiceSaidOnce()
    {
        Speaking f;
        const support::Replaced module{speech::Speaker::setDefaultBackend, speech::Speaker::Backend::Module,
                                       speech::Speaker::Backend::Record};
        if (speech::locateSpeechModule().isEmpty())
            QSKIP("the speech module was not built (no libspeechd)");
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + f.file(QStringLiteral("no-speechd")).toUtf8());
        frmhoved &w = f.startSpeaking();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->click();
        support::tap(NativeKey::LeftControl);
        QTRY_VERIFY_WITH_TIMEOUT(w.reportedMessage().startsWith(QStringLiteral("Tale er ikke tilgjengelig")), 10000);
        w.report({});
        support::tap(NativeKey::RightControl);
        QTest::qWait(500);
        QCOMPARE(w.reportedMessage(), QString());
        // Nothing else changes: the clock runs on.
        f.clock.advance(2000);
        QCOMPARE(readouts(w), QStringLiteral("0:2 0:0"));
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        qunsetenv("SPEECHD_ADDRESS");
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Partivakt"));
    tst_speaking test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_speaking.moc"
