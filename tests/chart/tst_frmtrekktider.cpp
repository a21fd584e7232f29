// The window of move times with the real chart module: it draws each move as it comes, "Lagre
// trekktider..." writes the CSV and the picture on a real disk and says why when the kernel refuses,
// and the keyboard alone works it.

#include "chart/frmtrekktider.h"
#include "chart/records.h"
#include "tests/support/files.h"
#include "tests/support/smalldisk.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QTest>

using gameclock::MoveRecords;
using gameclock::Player;

namespace {

const MoveRecords kTwoMoves = {{Player::A, 1, 4210, 179790, 0}, {Player::B, 1, 6020, 177980, 1}};
const QByteArray kTwoMovesCsv = "trekk,spiller,navn,brukt_ms,brukt,igjen_ms,igjen\r\n"
                                "1,A,Kari,4210,0:04,179790,2:59\r\n1,B,Ola,6020,0:06,177980,2:57\r\n";

// The pixels of a picture in the player's colour.
int pixelsOf(const QImage &picture, Player player)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
    return int(std::count(pixels, pixels + image.sizeInBytes() / 4, chart::playerColour(player)));
}

void open(chart::frmtrekktider &window, const MoveRecords &record)
{
    window.setPlayers(QStringLiteral("Kari"), QStringLiteral("Ola"));
    window.setRecord(record, false);
    window.show();
    QCoreApplication::processEvents();
}

} // namespace

class tst_frmtrekktider : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Opened as the game starts, the chart draws each move as it is made; before, only the legend's
    // marks are in the players' colours.
    void drawsEachMoveAsItComes()
    {
        chart::frmtrekktider window(QStringLiteral(PARTIVAKT_CHART_MODULE));
        open(window, {});
        const auto shown = [&window](Player p) { return pixelsOf(window.diagram->grab().toImage(), p); };
        const int legendA = shown(Player::A), legendB = shown(Player::B);
        window.appendMove({Player::A, 1, 12000, 171000, 0});
        QVERIFY(shown(Player::A) > legendA + 1000);
        QCOMPARE(shown(Player::B), legendB);
        window.appendMove({Player::B, 1, 30000, 153000, 0});
        QVERIFY(shown(Player::B) > legendB + 1000);
        QCOMPARE(window.lengsteb->accessibleName(), QStringLiteral("Lengste trekk: Ola, trekk 1, 30 s"));
    }

    // Refused by the kernel, what was on the disk stays whole and the window says why.
    void save_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::addColumn<bool>("csvWritten");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("pngWritten");
        QTest::newRow("room") << "room" << true << "diagrammet i" << true;
        QTest::newRow("read-only") << "readonly" << false << "Filsystemet er skrivebeskyttet" << false;
        QTest::newRow("full disk") << "full" << false << "ikke mer plass på disken" << false;
        QTest::newRow("room for the CSV only") << "8k" << true << "men diagrammet ikke. Kan ikke" << false;
    }
    void save()
    {
        QFETCH(QString, disk);
        QFETCH(QString, said);
        QFETCH(bool, csvWritten);
        QFETCH(bool, pngWritten);
        chart::frmtrekktider window(QStringLiteral(PARTIVAKT_CHART_MODULE));
        open(window, kTwoMoves);
        SmallDisk small(128);
        if (!small.mounted())
            QSKIP(qPrintable(small.whyNot()));
        QVERIFY(writeRaw(small.file(QStringLiteral("parti.csv")), "trekk\r\n"));
        if (disk == QLatin1String("readonly"))
            QVERIFY(small.setReadOnly(true));
        if (disk == QLatin1String("full") || disk == QLatin1String("8k"))
            QVERIFY(small.fill());
        if (disk == QLatin1String("8k")) // two pages: the CSV fits, the picture does not
            QVERIFY(QFile::resize(small.file("fyll"), QFileInfo(small.file("fyll")).size() - 8192));
        auto expected = snapshot(small.path());
        const QSize chartShown = window.diagram->size() * window.devicePixelRatioF();

        QCOMPARE(window.save(small.file(QStringLiteral("parti.csv"))), pngWritten);
        QVERIFY2(window.melding->text().contains(said) && !window.melding->isHidden(),
                 qPrintable(window.melding->text()));
        if (csvWritten)
            expected[small.file(QStringLiteral("parti.csv"))] = kTwoMovesCsv;
        if (pngWritten) {
            const QImage png(small.file(QStringLiteral("parti.png")));
            QVERIFY(png.size() == chartShown && pixelsOf(png, Player::A) > 0 && pixelsOf(png, Player::B) > 0);
            expected[small.file(QStringLiteral("parti.png"))] = readRaw(small.file(QStringLiteral("parti.png")));
        }
        QCOMPARE(snapshot(small.path()), expected);
        small.setReadOnly(false);
    }

    // Tab goes from the summary to the save button, whose Enter asks where, and on; Escape closes.
    void keyboardAlone()
    {
        QPointer<chart::frmtrekktider> window = chart::showMoveTimes();
        open(*window, kTwoMoves);
        QApplication::setActiveWindow(window);
        QCOMPARE(QApplication::focusWidget(), window->sammendrag);
        QTest::keyClick(window->sammendrag, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window->lagre);
        QTest::keyClick(window->lagre, Qt::Key_Return);
        QTRY_VERIFY(window->findChild<QFileDialog *>(QStringLiteral("lagredialog")));
        window->findChild<QFileDialog *>(QStringLiteral("lagredialog"))->reject();
        QTest::keyClick(window->lagre, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window->lukk);
        QTest::keyClick(window->lukk, Qt::Key_Escape);
        QTRY_VERIFY(window.isNull());
    }
};

QTEST_MAIN(tst_frmtrekktider)
#include "tst_frmtrekktider.moc"
