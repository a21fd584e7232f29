// Every writer of the program on a disk that is really full: the kernel refuses the bytes (ENOSPC on
// a small tmpfs), and each writer must keep the old file whole, say why, change nothing else, and
// write once there is room again. Needs root to mount; skips with the reason elsewhere.

#include "tests/support/filewindowfixture.h"
#include "gamefiles/linefiles.h"
#include "settings/frmalt.h"
#include "tests/support/smalldisk.h"

#include <QDirIterator>
#include <QLabel>
#include <QStatusBar>

using gameclock::frmhoved;
using gamefiles::frmlagresom;
using settings::frmalt;

namespace {

const QString kNoRoom = QStringLiteral("Det er ikke mer plass på disken");

// What the user reads once a game is on the disk.
QString savedIn(const QString &path)
{
    return QStringLiteral("Partiet er lagret i «%1».").arg(QDir::toNativeSeparators(path));
}

QByteArray gameBytes(const QStringList &values)
{
    return gamefiles::encodeLines(values);
}

// The game as the main window holds it: names, limit and read-outs, the flags and which clock runs.
QString gameState(const frmhoved &w)
{
    return QStringLiteral("%1 %2|%3|%4|%5|%6|%7")
        .arg(readouts(w), w.spillera->text(), w.spillerb->text(), w.stans->text(), w.klaffa->title(), w.klaffb->title(),
             w.tida->isEnabled() ? QStringLiteral("A") : QStringLiteral("B"));
}

} // namespace

class tst_fulldisk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        qDeleteAll(windowsOf<frmalt>());
        qDeleteAll(windowsOf<frmlagresom>());
    }

    void everyWriterKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::newRow("backup tick") << "tick";
        QTest::newRow("quick save (Lagre)") << "quicksave";
        QTest::newRow("Lagre som onto the full disk") << "saveas";
        QTest::newRow("Lagre som elsewhere, bane.ban on the full disk") << "pathfile";
        QTest::newRow("options OK") << "options";
    }

    void everyWriterKeepsTheOldFile()
    {
        QFETCH(QString, writer);

        SmallDisk disk(64);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.whyNot()));
        FileWindowFixture f;
        frmhoved &w = f.main();
        app::connectOptions(w);
        QVERIFY(QDir::setCurrent(disk.path()));

        // The files of a game under way: a saved game the path file names, settings, the backup.
        const QString saved = disk.file(QStringLiteral("Parti1.sur"));
        const QByteArray oldGame = gameBytes({"5", "1", "4", "2", "Ola", "Kari", "30"});
        QVERIFY(writeRaw(saved, oldGame));
        QVERIFY(writeRaw(QStringLiteral("bane.ban"), QFile::encodeName(saved) + "\r\n"));
        QVERIFY(writeRaw(QStringLiteral("def.dur"), "Ola\r\nKari\r\n30\r\n"));
        w.starta->click();
        f.base.clock.advance(3000);
        QCOMPARE(readRaw(gamefiles::kBackupFile), gameBytes({"0", "3", "0", "0", "Spiller A", "Spiller B", "60"}));
        QVERIFY(disk.fill());
        const auto before = snapshot(disk.path());
        const QString game = gameState(w);
        const QString elsewhere = f.games;

        // One try of the writer; returns where it reports, for the checks below.
        frmlagresom *saveAs = nullptr;
        frmalt *options = nullptr;
        const auto attempt = [&] {
            if (writer == QLatin1String("tick")) {
                f.base.clock.advance(1000);
            } else if (writer == QLatin1String("quicksave")) {
                w.Lagre->trigger();
            } else if (writer == QLatin1String("saveas") || writer == QLatin1String("pathfile")) {
                if (!saveAs) {
                    saveAs = f.openSaveAs();
                    QVERIFY(saveAs);
                    QVERIFY(saveAs->Dir1->setPath(writer == QLatin1String("saveas") ? disk.path() : elsewhere));
                    saveAs->filnavn->setText(QStringLiteral("Parti1"));
                }
                QTest::mouseClick(saveAs->Lagre, Qt::LeftButton);
            } else {
                if (!options) {
                    options = openedBy<frmalt>(w.Alternativer);
                    QVERIFY(options);
                    options->spillera->setText(QStringLiteral("Per"));
                }
                QTest::mouseClick(options->ok, Qt::LeftButton);
            }
            flushDeletes();
        };

        attempt();
        if (QTest::currentTestFailed())
            return;
        // The old files are all there, byte for byte, and nothing new beside them.
        QCOMPARE(snapshot(disk.path()), before);
        QString said;
        if (writer == QLatin1String("tick")) {
            // The clock goes on; the failure stays in view.
            QCOMPARE(readouts(w), QStringLiteral("0:4 0:0"));
            said = w.lastingMessage(frmhoved::Lasting::Backup);
            QVERIFY2(said.contains(gamefiles::kBackupFile), qPrintable(said));
            const QLabel *lasting = w.findChild<QLabel *>(QStringLiteral("lasting"));
            QVERIFY(!lasting->isHidden() && lasting->text().contains(said));
        } else {
            QCOMPARE(gameState(w), game);
            if (writer == QLatin1String("quicksave")) {
                said = w.reportedMessage();
                QVERIFY2(said.contains(QDir::toNativeSeparators(saved)), qPrintable(said));
            } else if (writer == QLatin1String("options")) {
                QCOMPARE(windowsOf<frmalt>(), QList<frmalt *>{options});
                said = options->melding->text();
                QVERIFY2(said.contains(QStringLiteral("def.dur")) && said.contains(QStringLiteral("ikke lagret")),
                         qPrintable(said));
                QVERIFY(!w.Timer1->isEnabled());
                QCOMPARE(options->spillera->text(), QStringLiteral("Per"));
            } else {
                // The window stays open with the reason, so that the user reads it.
                QCOMPARE(windowsOf<frmlagresom>(), QList<frmlagresom *>{saveAs});
                said = saveAs->melding->text();
                if (writer == QLatin1String("pathfile")) {
                    // The game itself went where there was room; only the path file did not.
                    const QString there = elsewhere + QStringLiteral("/Parti1.sur");
                    QVERIFY2(said.contains(savedIn(there)), qPrintable(said));
                    QVERIFY2(said.contains(QStringLiteral("«bane.ban»")), qPrintable(said));
                    QCOMPARE(readRaw(there),
                             gamefiles::encodeLines({"0", "3", "0", "0", "Spiller A", "Spiller B", "60"}));
                } else {
                    QVERIFY2(said.contains(QStringLiteral("ikke lagret")), qPrintable(said));
                }
            }
        }
        QVERIFY2(said.contains(kNoRoom), qPrintable(said));

        // Room again: the same command writes, and a lasting message goes.
        disk.makeRoom();
        attempt();
        if (QTest::currentTestFailed())
            return;
        const QStringList now = {w.mina->text(),     w.seka->text(),     w.minb->text(), w.sekb->text(),
                                 w.spillera->text(), w.spillerb->text(), w.stans->text()};
        if (writer == QLatin1String("tick")) {
            QCOMPARE(readRaw(gamefiles::kBackupFile), gameBytes({"0", "5", "0", "0", "Spiller A", "Spiller B", "60"}));
            QCOMPARE(w.lastingMessage(frmhoved::Lasting::Backup), QString());
            QVERIFY(!w.findChild<QLabel *>(QStringLiteral("lasting"))->text().contains(gamefiles::kBackupFile));
        } else if (writer == QLatin1String("quicksave")) {
            QCOMPARE(readRaw(saved), gameBytes(now));
            QCOMPARE(w.reportedMessage(), savedIn(saved));
        } else if (writer == QLatin1String("options")) {
            QCOMPARE(readRaw(QStringLiteral("def.dur")), QByteArray("Per\r\nKari\r\n30\r\n"));
            QVERIFY(windowsOf<frmalt>().isEmpty());
        } else {
            QVERIFY(windowsOf<frmlagresom>().isEmpty());
            const QString target =
                writer == QLatin1String("saveas") ? saved : elsewhere + QStringLiteral("/Parti1.sur");
            QCOMPARE(readRaw(target), gameBytes(now));
            QCOMPARE(readRaw(QStringLiteral("bane.ban")), QFile::encodeName(QDir::toNativeSeparators(target)) + "\r\n");
        }
    }
};

QTEST_MAIN(tst_fulldisk)
#include "tst_fulldisk.moc"
