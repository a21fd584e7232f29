// The window of move times with the real chart module: the chart follows the game as moves come,
// "Lagre trekktider..." writes the CSV and the picture on a real disk and says why when the kernel
// refuses, the keyboard alone works it, and without the module the words and the CSV still come.

#include "chart/frmtrekktider.h"
#include "chart/records.h"
#include "tests/support/files.h"
#include "tests/support/smalldisk.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLibraryInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using gameclock::MoveRecords;
using gameclock::Player;

namespace {

const QString kModule = QStringLiteral(PARTIVAKT_CHART_MODULE);

const MoveRecords kTwoMoves = {{Player::A, 1, 4210, 179790, 0}, {Player::B, 1, 6020, 177980, 1}};
const QByteArray kTwoMovesCsv = "trekk,spiller,navn,brukt_ms,brukt,igjen_ms,igjen\r\n"
                                "1,A,Kari,4210,0:04,179790,2:59\r\n"
                                "1,B,Ola,6020,0:06,177980,2:57\r\n";

// How many pixels of the picture are in the player's colour.
int pixelsOf(const QImage &picture, Player player)
{
    const QRgb colour = chart::playerColour(player);
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        n += int(std::count(line, line + image.width(), colour));
    }
    return n;
}

int shownPixelsOf(chart::frmtrekktider &window, Player player)
{
    QCoreApplication::processEvents();
    return pixelsOf(window.diagram->grab().toImage(), player);
}

struct Window {
    chart::frmtrekktider window{kModule};
    Window(const MoveRecords &record = kTwoMoves)
    {
        window.setPlayers(QStringLiteral("Kari"), QStringLiteral("Ola"));
        window.setRecord(record, false);
        window.show();
        QCoreApplication::processEvents();
    }
};

} // namespace

class tst_frmtrekktider : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Opened as the game starts, the window draws each move as it is made.
    void followsTheGameLive()
    {
        Window w(MoveRecords{});
        QVERIFY(w.window.chartShown());
        // Only the legend's marks are in the players' colours before the first move.
        const int legendA = shownPixelsOf(w.window, Player::A);
        const int legendB = shownPixelsOf(w.window, Player::B);
        QVERIFY(!w.window.lagre->isEnabled());

        w.window.appendMove({Player::A, 1, 12000, 171000, 0});
        const int a = shownPixelsOf(w.window, Player::A);
        QVERIFY2(a > legendA + 1000,
                 qPrintable(QStringLiteral("%1 of A's colour, %2 in the legend").arg(a).arg(legendA)));
        QCOMPARE(shownPixelsOf(w.window, Player::B), legendB);
        w.window.appendMove({Player::B, 1, 30000, 153000, 0});
        QVERIFY(shownPixelsOf(w.window, Player::B) > legendB + 1000);
        QCOMPARE(w.window.lengsteb->accessibleName(), QStringLiteral("Lengste trekk: Ola, trekk 1, 30 s"));
        QVERIFY(w.window.sammendrag->accessibleName().contains(QStringLiteral("Ola: 1 trekk, i alt 30 sekunder")));
        QVERIFY(w.window.lagre->isEnabled());
    }

    void savesTheRecordAndTheChart()
    {
        Window w;
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("parti 1.csv"));
        // The chart as it stood when saved; the message below it takes some of its room afterwards.
        const QSize shown = w.window.diagram->size() * w.window.devicePixelRatioF();
        QVERIFY(w.window.save(csv));
        QCOMPARE(readRaw(csv), kTwoMovesCsv);
        const QString png = dir.filePath(QStringLiteral("parti 1.png"));
        const QImage picture(png);
        QCOMPARE(picture.size(), shown);
        QVERIFY(pixelsOf(picture, Player::A) > 0 && pixelsOf(picture, Player::B) > 0);
        QVERIFY2(w.window.melding->text().contains(csv) && w.window.melding->text().contains(png),
                 qPrintable(w.window.melding->text()));
        QVERIFY(!w.window.melding->isHidden());
    }

    // The kernel refuses the bytes: what was on the disk stays whole, and the window says why.
    void failedSaveSaysWhy_data()
    {
        QTest::addColumn<QString>("disk");    // how the disk refuses
        QTest::addColumn<QString>("said");    // in the window's message
        QTest::addColumn<bool>("csvWritten"); // the record went, the picture did not
        QTest::newRow("no such directory") << "missing"
                                           << "Trekktidene er ikke lagret. Kan ikke skrive filen" << false;
        QTest::newRow("read-only file system") << "readonly"
                                               << "Filsystemet er skrivebeskyttet" << false;
        QTest::newRow("full disk") << "full"
                                   << "Det er ikke mer plass på disken" << false;
        QTest::newRow("room for the record, not for the picture")
            << "almost"
            << "men diagrammet ikke. Kan ikke skrive filen" << true;
    }
    void failedSaveSaysWhy()
    {
        QFETCH(QString, disk);
        QFETCH(QString, said);
        QFETCH(bool, csvWritten);
        Window w;
        QTemporaryDir scratch;
        std::optional<SmallDisk> small;
        QString dir = scratch.filePath(QStringLiteral("finnes-ikke"));
        const QByteArray oldCsv = "trekk\r\n";
        if (disk != QLatin1String("missing")) {
            small.emplace(64);
            if (!small->mounted())
                QSKIP(qPrintable(small->whyNot()));
            dir = small->path();
            QVERIFY(writeRaw(small->file(QStringLiteral("parti.csv")), oldCsv));
            if (disk == QLatin1String("readonly")) {
                QVERIFY(small->setReadOnly(true));
            } else {
                QVERIFY(small->fill());
                // Two pages: the record's few lines fit, the picture does not.
                if (disk == QLatin1String("almost"))
                    QVERIFY(QFile::resize(small->file(QStringLiteral("fyll")),
                                          QFileInfo(small->file(QStringLiteral("fyll"))).size() - 8192));
            }
        }
        const auto before = snapshot(dir);
        const QString csv = QDir(dir).filePath(QStringLiteral("parti.csv"));

        QVERIFY(!w.window.save(csv));
        const QString message = w.window.melding->text();
        QVERIFY2(message.contains(said), qPrintable(message));
        QVERIFY(!w.window.melding->isHidden());
        auto after = snapshot(dir);
        if (csvWritten) {
            QVERIFY2(message.startsWith(QStringLiteral("Trekktidene er lagret i «%1»").arg(csv)), qPrintable(message));
            QCOMPARE(after.take(csv), kTwoMovesCsv);
            after.insert(csv, before.value(csv));
        }
        QCOMPARE(after, before);
        if (small)
            small->setReadOnly(false);
    }

    // Tab reaches the summary, the save button and the close button in turn; Enter on the save button
    // asks where; Escape closes.
    void keyboardAlone()
    {
        bool created = false;
        QPointer<chart::frmtrekktider> window = chart::showMoveTimes(&created);
        QVERIFY(created);
        window->setPlayers(QStringLiteral("Kari"), QStringLiteral("Ola"));
        window->setRecord(kTwoMoves, false);
        QApplication::setActiveWindow(window);
        QCOMPARE(QApplication::focusWidget(), window->sammendrag);
        QTest::keyClick(window->sammendrag, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window->lagre);
        QTest::keyClick(window->lagre, Qt::Key_Return);
        auto *dialog = window->findChild<QFileDialog *>(QStringLiteral("lagredialog"));
        QVERIFY(dialog && dialog->isVisible());
        dialog->reject();
        QTest::keyClick(window->lagre, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window->lukk);
        QTest::keyClick(window->lukk, Qt::Key_Escape);
        QTRY_VERIFY(window.isNull());
    }

    // Without a chart the window still says the words and writes the CSV, and tells why the chart is not there.
    void withoutTheModule_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("why");
        QTest::newRow("not installed") << ""
                                       << "diagrammodulen partivakt-chart er ikke installert";
        QTest::newRow("not a library") << PARTIVAKT_SOURCE_DIR "/chart/chart.h"
                                       << "diagrammodulen kan ikke lastes";
        QTest::newRow("another library") << QLibraryInfo::path(QLibraryInfo::LibrariesPath) +
                                                QStringLiteral("/libQt6Core.so.6")
                                         << "hører til en annen utgave av Partivakt";
    }
    void withoutTheModule()
    {
        QFETCH(QString, module);
        QFETCH(QString, why);
        chart::frmtrekktider window(module);
        QVERIFY(!window.chartShown());
        const auto *reason = qobject_cast<QLabel *>(window.diagram);
        QVERIFY(reason);
        QVERIFY2(reason->text().startsWith(QStringLiteral("Diagrammet kan ikke vises: ")) &&
                     reason->text().contains(why),
                 qPrintable(reason->text()));
        window.setPlayers(QStringLiteral("Kari"), QStringLiteral("Ola"));
        window.setRecord(kTwoMoves, false);
        QCOMPARE(window.lengstea->accessibleName(), QStringLiteral("Lengste trekk: Kari, trekk 1, 4,210 s"));

        QTemporaryDir dir;
        QVERIFY(!window.save(dir.filePath(QStringLiteral("parti.csv"))));
        QCOMPARE(readRaw(dir.filePath(QStringLiteral("parti.csv"))), kTwoMovesCsv);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("parti.png"))));
        QVERIFY2(window.melding->text().contains(QStringLiteral("Diagrammet kunne ikke vises, og er ikke lagret.")),
                 qPrintable(window.melding->text()));
    }
};

QTEST_MAIN(tst_frmtrekktider)
#include "tst_frmtrekktider.moc"
