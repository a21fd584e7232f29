#include "app/wiring.h"
#include "info/frmom.h"

#include "toolkit/controls.h"
#include "toolkit/twips.h"
#include "tests/support/clockfixture.h"
#include "tests/support/controltablecheck.h"

#include <QAction>
#include <QApplication>
#include <QScreen>

using gameclock::frmhoved;
using info::frmom;

namespace {

struct Fixture {
    ClockFixture base;
    frmhoved &main = base.start();

    Fixture() { app::connectInfo(main); }
    frmom *open() { return openedBy<frmom>(main.Om); }
};

bool isBlack(QRgb p)
{
    return (p & 0xFFFFFF) == 0;
}

bool isWhite(QRgb p)
{
    return (p & 0xFFFFFF) == 0xFFFFFF;
}

} // namespace

class tst_frmom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qDeleteAll(windowsOf<frmom>()); }

    void stateWhenCreated()
    {
        Fixture f;
        frmom *w = f.open();
        QVERIFY(w);
        checkBuiltAsTable(w, frmom::controlTable());
        QCOMPARE(w->windowTitle(), QStringLiteral("Om spillet"));
        QVERIFY(w->isWindow());
        QCOMPARE(w->parentWidget(), nullptr);
        QCOMPARE(w->windowModality(), Qt::NonModal);
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(w->size(), QSize(toolkit::twips(4455), toolkit::twips(5460)));
        // Geometry is the client area; x() and y() of a window would count its frame.
        QCOMPARE(w->geometry().x(), toolkit::twips(3120));
        // Its place on the screen, unless that would cut it off at the bottom of a small screen.
        const QRect screen = w->screen()->availableGeometry();
        QCOMPARE(w->geometry().y(), qMin(toolkit::twips(3975), screen.bottom() + 1 - w->height()));
        QVERIFY(screen.contains(w->geometry()));
        QCOMPARE(w->font(), f.main.centralWidget()->font());
        QCOMPARE(w->Image2->pixmap().toImage(), info::chessboardPicture(w->devicePixelRatioF()));
        QCOMPARE(w->Image1->pixmap().toImage(), info::namePicture(w->devicePixelRatioF()));
        // The OK button is all that takes the focus.
        for (QWidget *child : w->findChildren<QWidget *>())
            QCOMPARE(child->focusPolicy() != Qt::NoFocus, child == w->Command1);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->Command1);
    }

    void contactTextsFitTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5"})
            QTest::newRow(name) << name;
    }
    void contactTextsFitTheirPlaces()
    {
        QFETCH(QString, name);
        Fixture f;
        frmom *w = f.open();
        QVERIFY(w);
        auto *label = w->findChild<QLabel *>(name);
        QVERIFY(label);
        QVERIFY(!label->text().isEmpty());
        // Drawn whole, in a smaller size of the face if the face is wider than the layout's.
        const std::optional<toolkit::FittedText> fit = toolkit::fittedTextOf(label);
        QVERIFY(fit);
        const int needed = QFontMetrics(fit->font).horizontalAdvance(fit->shown);
        QVERIFY2(fit->whole && needed <= label->contentsRect().width(),
                 qPrintable(QStringLiteral("«%1» needs %2 px of %3").arg(fit->shown).arg(needed).arg(label->width())));
        QCOMPARE(fit->shown, label->text());
    }

    void chessboard_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void chessboard()
    {
        QFETCH(qreal, ratio);
        const QImage board = info::chessboardPicture(ratio);
        QCOMPARE(board.size(), QSize(96, 96) * ratio);
        QCOMPARE(board.deviceIndependentSize(), QSizeF(96, 96));
        // Twelve logical pixels a square, white top left, alternating along rows and columns.
        for (int y = 0; y < board.height(); ++y) {
            for (int x = 0; x < board.width(); ++x) {
                const int row = int(y / ratio) / 12;
                const int col = int(x / ratio) / 12;
                const QRgb p = board.pixel(x, y);
                if ((row + col) % 2 == 0 ? !isWhite(p) : !isBlack(p))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 0, 16)));
            }
        }
    }

    void namePicture()
    {
        const QImage name = info::namePicture();
        QCOMPARE(name.size(), QSize(150, 75));
        QRect letters;
        bool grey = true;
        for (int y = 0; y < name.height(); ++y) {
            for (int x = 0; x < name.width(); ++x) {
                const QRgb p = name.pixel(x, y);
                grey = grey && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
                if (qGray(p) > 128)
                    letters |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(grey);
        // White letters across most of the black picture, centred, not touching its edges.
        QVERIFY2(letters.width() >= 110, qPrintable(QString::number(letters.width())));
        QVERIFY2(letters.height() >= 15, qPrintable(QString::number(letters.height())));
        QVERIFY(QRect(2, 2, 146, 71).contains(letters));
        QVERIFY(qAbs(letters.left() - (149 - letters.right())) <= 3);
        QVERIFY(isBlack(name.pixel(0, 0)) && isBlack(name.pixel(149, 74)));
    }

    void keyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("open");
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("Space") << int(Qt::Key_Space) << false;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
    }
    void keyboard()
    {
        QFETCH(int, key);
        QFETCH(bool, open);
        Fixture f;
        frmom *w = f.open();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        flushDeletes();
        QCOMPARE(windowsOf<frmom>().size(), open ? 1 : 0);
    }

    void rotateLabel1_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("address") << "Postboks 0"
                                 << "ostboks 0P";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one character") << "P"
                                       << "P";
        QTest::newRow("outside the basic plane")
            << QString::fromUtf8("\U0001D11Eab") << QString::fromUtf8("ab\U0001D11E");
    }
    void rotateLabel1()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        frmom w;
        w.Label1->setText(before);
        w.rotateLabel1();
        QCOMPARE(w.Label1->text(), after);
    }

};

QTEST_MAIN(tst_frmom)
#include "tst_frmom.moc"
