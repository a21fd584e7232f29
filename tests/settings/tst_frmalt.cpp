#include "app/wiring.h"
#include "settings/frmalt.h"

#include "toolkit/twips.h"
#include "tests/support/clockfixture.h"
#include "tests/support/controltablecheck.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>

using gameclock::frmhoved;
using settings::frmalt;

namespace {

// The main window in set-up, with its options command answered as the program answers it.
struct Fixture {
    ClockFixture base;
    frmhoved &main = base.start();

    Fixture() { app::connectOptions(main); }
    frmalt *open() { return openedBy<frmalt>(main.Alternativer); }
};

} // namespace

class tst_frmalt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qDeleteAll(windowsOf<frmalt>()); }

    void stateWhenCreated()
    {
        Fixture f;
        QVERIFY(writeRaw(QStringLiteral("def.dur"), "Kari\r\nOla\r\n45\r\n"));
        frmalt *w = f.open();
        QVERIFY(w);
        checkBuiltAsTable(w, frmalt::controlTable());
        QCOMPARE(w->windowTitle(), QStringLiteral("Alternativer"));
        QVERIFY(w->isWindow());
        QCOMPARE(w->parentWidget(), nullptr);
        QCOMPARE(w->windowModality(), Qt::NonModal);
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(w->geometry(), toolkit::twipsRect(2715, 3990, 3375, 2385));
        QCOMPARE(w->font(), f.main.centralWidget()->font());
        // The boxes' design texts never show: the file's values replace them as the window loads.
        QCOMPARE(w->spillera->text(), QStringLiteral("Kari"));
        QCOMPARE(w->spillerb->text(), QStringLiteral("Ola"));
        QCOMPARE(w->stans->text(), QStringLiteral("45"));
        QVERIFY(w->melding->isHidden());
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->ok);
        // The main window goes on: the options window blocks nothing.
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void loading_data()
    {
        QTest::addColumn<QByteArray>("file"); // "<none>": no file
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("reported");
        QTest::newRow("as stored") << QByteArray(" Kari \r\n\"Ola\", jr.\r\n45 min\r\n")
                                   << QStringList{" Kari ", "\"Ola\", jr.", "45 min"} << false;
        QTest::newRow("Windows-1252") << QByteArray("Bj\xF8rn\r\n\xC5se\r\n30\r\n") << QStringList{"Bjørn", "Åse", "30"}
                                      << false;
        QTest::newRow("no file yet") << QByteArray("<none>") << QStringList{"Spiller A", "Spiller B", "60"} << false;
        QTest::newRow("short file") << QByteArray("Kari\r\n") << QStringList{"Kari", "Spiller B", "60"} << true;
    }
    void loading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, boxes);
        QFETCH(bool, reported);
        Fixture f;
        if (file != "<none>")
            QVERIFY(writeRaw(QStringLiteral("def.dur"), file));
        frmalt *w = f.open();
        QVERIFY(w);
        QCOMPARE((QStringList{w->spillera->text(), w->spillerb->text(), w->stans->text()}), boxes);
        QCOMPARE(!w->melding->isHidden(), reported);
        if (reported) {
            QVERIFY2(w->melding->text().contains(QStringLiteral("def.dur")), qPrintable(w->melding->text()));
            QVERIFY(w->rect().contains(w->melding->geometry()));
        }
        // Reading is all it does: the file stays as it was.
        QCOMPARE(readRaw(QStringLiteral("def.dur")), file);
    }

    void tabOrderAndFocusClearing()
    {
        Fixture f;
        frmalt *w = f.open();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->ok);
        const QList<QWidget *> order{w->spillera, w->spillerb, w->stans, w->Avbryt, w->standar, w->ok};
        for (QWidget *next : order) {
            const QString bBefore = w->spillerb->text();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            if (next == w->spillera) {
                // Only the box that is entered is cleared.
                QCOMPARE(w->spillera->text(), QString());
                QCOMPARE(w->spillerb->text(), bBefore);
            }
        }
        QCOMPARE(w->spillerb->text(), QString());
        QCOMPARE(w->stans->text(), QString());
        // Going back with Shift+Tab clears as well.
        w->stans->setText(QStringLiteral("30"));
        QTest::keyClick(w->ok, Qt::Key_Backtab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), w->stans);
        QCOMPARE(w->stans->text(), QString());
    }

    void ok_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QStringList>("reloaded"); // the main window's boxes after its start-up
        const QString a = QStringLiteral("Kari");
        const QString b = QStringLiteral("Ola");
        const auto limited = [&](const char *limit) { return QStringList{a, b, QString::fromUtf8(limit)}; };
        QTest::newRow("75") << a << b << "75" << QByteArray("Kari\r\nOla\r\n60\r\n") << limited("60");
        QTest::newRow("61 min") << a << b << "61 min" << QByteArray("Kari\r\nOla\r\n60\r\n") << limited("60");
        QTest::newRow("60.5") << a << b << "60.5" << QByteArray("Kari\r\nOla\r\n60\r\n") << limited("60");
        QTest::newRow("hex 80") << a << b << "&H50" << QByteArray("Kari\r\nOla\r\n60\r\n") << limited("60");
        QTest::newRow("60") << a << b << "60" << QByteArray("Kari\r\nOla\r\n60\r\n") << limited("60");
        QTest::newRow("45 min as typed") << a << b << "45 min" << QByteArray("Kari\r\nOla\r\n45 min\r\n")
                                         << limited("45 min");
        QTest::newRow("45") << a << b << "45" << QByteArray("Kari\r\nOla\r\n45\r\n") << limited("45");
        QTest::newRow("1") << a << b << "1" << QByteArray("Kari\r\nOla\r\n1\r\n") << limited("1");
        QTest::newRow("0.5") << a << b << "0.5" << QByteArray("Kari\r\nOla\r\n1\r\n") << limited("1");
        QTest::newRow("0") << a << b << "0" << QByteArray("Kari\r\nOla\r\n1\r\n") << limited("1");
        QTest::newRow("empty") << a << b << "" << QByteArray("Kari\r\nOla\r\n1\r\n") << limited("1");
        QTest::newRow("abc") << a << b << "abc" << QByteArray("Kari\r\nOla\r\n1\r\n") << limited("1");
        QTest::newRow("-5") << a << b << "-5" << QByteArray("Kari\r\nOla\r\n1\r\n") << limited("1");
        QTest::newRow("empty names") << "" << "" << "30" << QByteArray("Spiller A\r\nSpiller B\r\n30\r\n")
                                     << QStringList{"Spiller A", "Spiller B", "30"};
        QTest::newRow("blank names") << "  " << " " << "30" << QByteArray("  \r\n \r\n30\r\n")
                                     << QStringList{"  ", " ", "30"};
        QTest::newRow("comma, quotes") << " \"Kari\", jr. " << "Ola" << "30"
                                       << QByteArray(" \"Kari\", jr. \r\nOla\r\n30\r\n")
                                       << QStringList{" \"Kari\", jr. ", "Ola", "30"};
        QTest::newRow("Norwegian letters") << "Bjørn" << "Åse" << "30" << QByteArray("Bj\xF8rn\r\n\xC5se\r\n30\r\n")
                                           << QStringList{"Bjørn", "Åse", "30"};
    }
    void ok()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, limit);
        QFETCH(QByteArray, saved);
        QFETCH(QStringList, reloaded);
        Fixture f;
        f.main.stans->setText(QStringLiteral("25"));
        frmalt *w = f.open();
        QVERIFY(w);
        w->spillera->setText(a);
        w->spillerb->setText(b);
        w->stans->setText(limit);
        QTest::mouseClick(w->ok, Qt::LeftButton);
        QCOMPARE(readRaw(QStringLiteral("def.dur")), saved);
        QVERIFY(!w->isVisible());
        QPointer<frmalt> closed(w);
        flushDeletes();
        QVERIFY(closed.isNull());
        // The main window's boxes are never written from the options window...
        QCOMPARE(f.main.stans->text(), QStringLiteral("25"));
        QVERIFY(f.main.Timer1->isEnabled());
        // ...its start-up takes the saved values at Timer1's tick.
        f.base.clock.advance(1);
        QVERIFY(!f.main.Timer1->isEnabled());
        QCOMPARE((QStringList{f.main.spillera->text(), f.main.spillerb->text(), f.main.stans->text()}), reloaded);
    }

    void typedValuesAndUntouchedEmptyBox()
    {
        Fixture f;
        QVERIFY(writeRaw(QStringLiteral("def.dur"), "Kari\r\nOla\r\n45\r\n"));
        frmalt *w = f.open();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::mouseClick(w->spillera, Qt::LeftButton);
        QTest::keyClicks(w->spillera, QStringLiteral("Per"));
        // Clicked into, left empty: the player gets the standard name.
        QTest::mouseClick(w->spillerb, Qt::LeftButton);
        QCOMPARE(w->spillerb->text(), QString());
        QTest::mouseClick(w->stans, Qt::LeftButton);
        QTest::keyClicks(w->stans, QStringLiteral("75"));
        QTest::mouseClick(w->ok, Qt::LeftButton);
        QCOMPARE(readRaw(QStringLiteral("def.dur")), QByteArray("Per\r\nSpiller B\r\n60\r\n"));
    }

    void standarThenCancel_data()
    {
        QTest::addColumn<bool>("titleBar");
        QTest::newRow("Avbryt") << false;
        QTest::newRow("title bar close") << true;
    }
    void standarThenCancel()
    {
        QFETCH(bool, titleBar);
        Fixture f;
        const QByteArray stored("Kari\r\nOla\r\n45 min\r\n");
        QVERIFY(writeRaw(QStringLiteral("def.dur"), stored));
        f.main.Timer1->setEnabled(true);
        f.base.clock.advance(1);
        f.main.starta->click();
        f.base.clock.advance(3000);
        frmalt *w = f.open();
        QVERIFY(w);
        QTest::mouseClick(w->standar, Qt::LeftButton);
        QCOMPARE((QStringList{w->spillera->text(), w->spillerb->text(), w->stans->text()}),
                 (QStringList{"Spiller A", "Spiller B", "60"}));
        QVERIFY(w->isVisible());
        if (titleBar)
            QVERIFY(w->close());
        else
            QTest::mouseClick(w->Avbryt, Qt::LeftButton);
        QPointer<frmalt> closed(w);
        flushDeletes();
        QVERIFY(closed.isNull());
        QCOMPARE(readRaw(QStringLiteral("def.dur")), stored);
        QVERIFY(!f.main.Timer1->isEnabled());
        f.base.clock.advance(2000);
        QCOMPARE(phaseOf(f.main), QStringLiteral("running"));
        QCOMPARE(readouts(f.main), QStringLiteral("0:5 0:0"));
        QCOMPARE(f.main.spillera->text(), QStringLiteral("Kari"));
        QCOMPARE(f.main.stans->text(), QStringLiteral("45"));
    }

    void okDuringAGameResetsAtTheNextTick()
    {
        Fixture f;
        f.main.starta->click();
        f.base.clock.advance(61'000);
        f.main.Command1->click();
        f.base.clock.advance(2000);
        QCOMPARE(readouts(f.main), QStringLiteral("1:1 0:2"));
        frmalt *w = f.open();
        QVERIFY(w);
        w->spillera->setText(QStringLiteral("Kari"));
        w->stans->setText(QStringLiteral("30"));
        QTest::mouseClick(w->ok, Qt::LeftButton);
        // Nothing in the main window changes before its start-up runs.
        QCOMPARE(phaseOf(f.main), QStringLiteral("running"));
        QCOMPARE(readouts(f.main), QStringLiteral("1:1 0:2"));
        f.base.clock.advance(1);
        QCOMPARE(phaseOf(f.main), QStringLiteral("setup"));
        QCOMPARE(readouts(f.main), QStringLiteral("0:0 0:0"));
        QCOMPARE(f.main.spillera->text(), QStringLiteral("Kari"));
        QCOMPARE(f.main.stans->text(), QStringLiteral("30"));
        f.base.clock.advance(5000);
        QCOMPARE(readouts(f.main), QStringLiteral("0:0 0:0"));
    }

    void unwritableFileKeepsTheWindowOpen()
    {
        Fixture f;
        // A directory in the file's place cannot be replaced, whoever runs the test.
        QVERIFY(QDir().mkdir(QStringLiteral("def.dur")));
        frmalt *w = f.open();
        QVERIFY(w);
        // It cannot be read either: the window says so and shows the standard values.
        QVERIFY(!w->melding->isHidden());
        QCOMPARE(w->spillera->text(), QStringLiteral("Spiller A"));
        w->spillera->setText(QStringLiteral("Kari"));
        w->stans->setText(QStringLiteral("75"));
        QTest::mouseClick(w->ok, Qt::LeftButton);
        flushDeletes();
        QCOMPARE(windowsOf<frmalt>(), QList<frmalt *>{w});
        QVERIFY(w->isVisible());
        QVERIFY(!w->melding->isHidden());
        QVERIFY2(w->melding->text().contains(QStringLiteral("def.dur")), qPrintable(w->melding->text()));
        QVERIFY2(w->melding->text().contains(QStringLiteral("ikke lagret")), qPrintable(w->melding->text()));
        QVERIFY(w->rect().contains(w->melding->geometry()));
        QVERIFY(w->height() > toolkit::twips(2385));
        // What the user typed stays for another try; the main window is not asked to reload.
        QCOMPARE(w->stans->text(), QStringLiteral("75"));
        QVERIFY(!f.main.Timer1->isEnabled());
        QVERIFY(QFileInfo(QStringLiteral("def.dur")).isDir());

        QVERIFY(QDir().rmdir(QStringLiteral("def.dur")));
        QTest::mouseClick(w->ok, Qt::LeftButton);
        QCOMPARE(readRaw(QStringLiteral("def.dur")), QByteArray("Kari\r\nSpiller B\r\n60\r\n"));
        flushDeletes();
        QVERIFY(windowsOf<frmalt>().isEmpty());
        QVERIFY(f.main.Timer1->isEnabled());
    }

    void keys_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("open");
        QTest::newRow("Enter on OK") << "ok" << int(Qt::Key_Return) << true << false;
        QTest::newRow("keypad Enter on OK") << "ok" << int(Qt::Key_Enter) << true << false;
        QTest::newRow("Enter on Avbryt") << "Avbryt" << int(Qt::Key_Return) << false << false;
        QTest::newRow("Enter in a box") << "stans" << int(Qt::Key_Return) << false << true;
        QTest::newRow("Escape") << "ok" << int(Qt::Key_Escape) << false << true;
        QTest::newRow("Escape in a box") << "spillera" << int(Qt::Key_Escape) << false << true;
    }
    void keys()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(bool, saved);
        QFETCH(bool, open);
        Fixture f;
        frmalt *w = f.open();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto *target = w->findChild<QWidget *>(focus);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(key));
        flushDeletes();
        QCOMPARE(QFileInfo::exists(QStringLiteral("def.dur")), saved);
        QCOMPARE(windowsOf<frmalt>().size(), open ? 1 : 0);
    }

};

QTEST_MAIN(tst_frmalt)
#include "tst_frmalt.moc"
