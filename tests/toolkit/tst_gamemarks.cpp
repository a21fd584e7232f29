#include "toolkit/gamemarks.h"
#include "toolkit/windows.h"
#include "tests/support/procmaps.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

namespace {

// A bold font file (FreeType maps a face's file while it is loaded).
const QRegularExpression kBoldFace(QStringLiteral("/[^/]*Bold[^/]*\\.(ttf|otf|ttc)$"));

// How wide the caption's white ink runs across a picture.
int inkWidth(const QImage &image)
{
    int left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == toolkit::FlagStrip::fallenText()) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right - left + 1;
}

QFont windowFont(int pixels)
{
    QFont font = toolkit::layoutFont();
    font.setPixelSize(pixels);
    return font;
}

} // namespace

class tst_gamemarks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // First in this process: a face once loaded stays mapped. A standing flag draws an empty frame;
    // only a fallen one needs the bold face, so starting the clock does not load it.
    void boldFaceWaitsForTheFall()
    {
        const QFontInfo face(windowFont(11));
        if (!QFontDatabase::styles(face.family()).contains(QStringLiteral("Bold")))
            QSKIP("the window's face has no bold file of its own here");
        QCOMPARE(support::mappedFiles(kBoldFace), QStringList());
        QWidget window;
        window.setFont(windowFont(11));
        window.resize(200, 40);
        auto *strip = new toolkit::FlagStrip(&window);
        strip->setGeometry(16, 0, 169, 17);
        QVERIFY(!window.grab().isNull());
        QCOMPARE(support::mappedFiles(kBoldFace), QStringList());

        strip->showFall(QStringLiteral("Klaffen har falt for Kari"));
        QVERIFY(!strip->grab().isNull());
        QVERIFY(support::mapsFile(kBoldFace));
    }

    // A fallen caption is bold in the window's face and size (at any zoom), shortened in bold when
    // long; the strip itself keeps the window's regular font.
    void fallenCaptionIsBold_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("whole");
        QTest::newRow("100 %") << 11 << QSize(169, 17) << "Kari" << true;
        QTest::newRow("125 %") << 14 << QSize(211, 21) << "Kari" << true;
        QTest::newRow("200 %") << 22 << QSize(338, 34) << "Kari" << true;
        QTest::newRow("long name") << 11 << QSize(169, 17) << QString(60, u'W') << false;
    }
    void fallenCaptionIsBold()
    {
        QFETCH(int, pixels);
        QFETCH(QSize, size);
        QFETCH(QString, name);
        QFETCH(bool, whole);
        QWidget window;
        window.setFont(windowFont(pixels));
        auto *strip = new toolkit::FlagStrip(&window);
        strip->resize(size);
        strip->showFall(QStringLiteral("Klaffen har falt for ") + name);
        const toolkit::FittedText &fit = strip->fittedText();
        QCOMPARE(fit.whole, whole);
        QVERIFY(fit.font.bold());
        QVERIFY(!strip->font().bold());
        QCOMPARE(QFontInfo(fit.font).family(), QFontInfo(window.font()).family());
        QVERIFY(QFontInfo(fit.font).pixelSize() <= pixels);
        if (whole)
            QCOMPARE(QFontInfo(fit.font).pixelSize(), pixels);
        // Drawn in bold: its white ink runs wider than the same caption's in the regular weight.
        QFont regular = fit.font;
        regular.setBold(false);
        QImage plain(strip->size(), QImage::Format_RGB32);
        plain.fill(toolkit::FlagStrip::fallenBackground());
        QPainter p(&plain);
        p.setFont(regular);
        p.setPen(toolkit::FlagStrip::fallenText());
        p.drawText(plain.rect(), Qt::AlignCenter, fit.shown);
        p.end();
        const int drawn = inkWidth(strip->grab().toImage());
        QVERIFY2(drawn > inkWidth(plain), qPrintable(QStringLiteral("%1 vs %2").arg(drawn).arg(inkWidth(plain))));
    }

    // A standing flag looks as an untitled frame always did, whatever the frame's own weight.
    void standingFlagIsAnEmptyFrame_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QSize>("size");
        QTest::newRow("100 %") << 11 << QSize(169, 17);
        QTest::newRow("200 %") << 22 << QSize(338, 34);
    }
    void standingFlagIsAnEmptyFrame()
    {
        QFETCH(int, pixels);
        QFETCH(QSize, size);
        QWidget window;
        window.setFont(windowFont(pixels));
        auto *strip = new toolkit::FlagStrip(&window);
        strip->resize(size);
        auto *frame = new QGroupBox(&window);
        QFont bold = frame->font();
        bold.setBold(true);
        frame->setFont(bold);
        frame->resize(size);
        QVERIFY(strip->grab().toImage() == frame->grab().toImage());
        // A flag that stood again after a fall is drawn the same.
        strip->showFall(QStringLiteral("Klaffen har falt for Kari"));
        strip->setTitle(QString());
        QVERIFY(strip->grab().toImage() == frame->grab().toImage());
    }
};

QTEST_MAIN(tst_gamemarks)
#include "tst_gamemarks.moc"
