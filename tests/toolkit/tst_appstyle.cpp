#include "toolkit/appstyle.h"
#include "tests/support/procmaps.h"

#include <QApplication>
#include <QGroupBox>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QRegularExpression kImagePlugin(QStringLiteral("/imageformats/"));

QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

// Which way a picture of chevrons points across: its first and last inked columns are an open end
// (tall) and a tip (short). Right for 1, left for -1, 0 when it cannot be told.
int pointsAcross(const QImage &image)
{
    const auto height = [&image](int x) {
        int top = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            if (qAlpha(image.pixel(x, y)) > 128) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        return top < 0 ? -1 : bottom - top + 1;
    };
    int first = 0, last = image.width() - 1;
    while (first < image.width() && height(first) < 0)
        ++first;
    while (last >= 0 && height(last) < 0)
        --last;
    if (first >= last)
        return 0;
    return height(first) > height(last) ? 1 : height(first) < height(last) ? -1 : 0;
}

} // namespace

class tst_appstyle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // First in this process, before anything has read an image: once loaded, a plug-in stays.
    void mainWindowLoadsNoImagePlugin()
    {
        QCOMPARE(support::mappedFiles(kImagePlugin), QStringList());
        toolkit::installApplicationStyle();
        QVERIFY(qobject_cast<toolkit::ApplicationStyle *>(QApplication::style()));
        {
            // What the clock's window holds: a menu bar (whose constructor asks for its arrows), a
            // titled and an untitled group box, a status bar.
            QMainWindow window;
            window.menuBar()->addMenu(QStringLiteral("&Spill"));
            auto *central = new QWidget(&window);
            auto *titled = new QGroupBox(QStringLiteral("Klaff"), central);
            titled->setGeometry(10, 10, 200, 60);
            auto *plain = new QGroupBox(central);
            plain->setGeometry(10, 80, 200, 30);
            window.setCentralWidget(central);
            window.statusBar()->showMessage(QStringLiteral("Klar"));
            window.resize(300, 200);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(!rendered(window).isNull());
            QCOMPARE(support::mappedFiles(kImagePlugin), QStringList());
        }
        // The check sees them: the desktop style's own arrows come from an image file.
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        QVERIFY(!fusion->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16, 16).isNull());
        QVERIFY(support::mapsFile(kImagePlugin));
    }

    // Installed twice, the style is not wrapped in itself.
    void installedOnce()
    {
        toolkit::installApplicationStyle();
        auto *style = qobject_cast<toolkit::ApplicationStyle *>(QApplication::style());
        QVERIFY(style);
        QVERIFY(!qobject_cast<toolkit::ApplicationStyle *>(style->baseStyle()));
    }

    // The frame drawn from the PNG read without plug-ins is the one its base style draws, pixel
    // for pixel, wherever the title puts it; other styles draw their own.
    void groupBoxAsItsBaseDrawsIt_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QSize>("size");
        for (const char *base : {"Fusion", "Windows"}) {
            QTest::addRow("%s, no title", base) << base << QString() << false << false << QSize(169, 17);
            QTest::addRow("%s, title", base) << base << "Klaffen har falt for Kari" << false << false << QSize(200, 60);
            QTest::addRow("%s, bold title", base) << base << "Klaffen har falt" << false << true << QSize(200, 60);
            QTest::addRow("%s, check box", base) << base << "Valg" << true << false << QSize(120, 80);
            QTest::addRow("%s, check box, no title", base) << base << QString() << true << false << QSize(120, 80);
            QTest::addRow("%s, large", base) << base << QString() << false << false << QSize(900, 500);
        }
    }
    void groupBoxAsItsBaseDrawsIt()
    {
        QFETCH(QString, base);
        QFETCH(QString, title);
        QFETCH(bool, checkable);
        QFETCH(bool, bold);
        QFETCH(QSize, size);
        std::unique_ptr<QStyle> plain(QStyleFactory::create(base));
        toolkit::ApplicationStyle ours(QStyleFactory::create(base));
        QVERIFY(plain);
        const auto draw = [&](QStyle *style) {
            QGroupBox box(title);
            box.setStyle(style);
            box.setCheckable(checkable);
            QFont font(QStringLiteral("DejaVu Sans Condensed"));
            font.setPixelSize(11);
            font.setBold(bold);
            box.setFont(font);
            box.resize(size);
            return rendered(box);
        };
        const QImage expected = draw(plain.get());
        const QImage actual = draw(&ours);
        QCOMPARE(actual.size(), expected.size());
        QVERIFY(actual == expected);
    }

    // The arrows of a menu bar too narrow for its menus: drawn at the device's own resolution,
    // in the shape and direction of the style's own, in the palette's colour.
    void extensionArrowsAtAnyScale_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("logical");
        const int across = QStyle::SP_ToolBarHorizontalExtensionButton;
        const int down = QStyle::SP_ToolBarVerticalExtensionButton;
        QTest::newRow("across, 16") << across << Qt::LeftToRight << QSize(16, 16) << 1.0 << QSize(16, 10);
        QTest::newRow("across, 16 at 2x") << across << Qt::LeftToRight << QSize(16, 16) << 2.0 << QSize(16, 10);
        QTest::newRow("across, 16 at 1.5x") << across << Qt::LeftToRight << QSize(16, 16) << 1.5 << QSize(16, 10);
        QTest::newRow("across, right to left") << across << Qt::RightToLeft << QSize(16, 16) << 1.0 << QSize(16, 10);
        QTest::newRow("across, 32") << across << Qt::LeftToRight << QSize(32, 32) << 1.0 << QSize(32, 20);
        QTest::newRow("down, 16") << down << Qt::LeftToRight << QSize(16, 16) << 1.0 << QSize(10, 16);
        QTest::newRow("down, 16 at 3x") << down << Qt::LeftToRight << QSize(16, 16) << 3.0 << QSize(10, 16);
    }
    void extensionArrowsAtAnyScale()
    {
        QFETCH(int, which);
        QFETCH(Qt::LayoutDirection, direction);
        QFETCH(QSize, asked);
        QFETCH(qreal, ratio);
        QFETCH(QSize, logical);
        toolkit::ApplicationStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
        QWidget widget;
        widget.setLayoutDirection(direction);
        const QIcon icon = style.standardIcon(QStyle::StandardPixmap(which), nullptr, &widget);
        QVERIFY(!icon.isNull());
        const QPixmap pixmap = icon.pixmap(asked, ratio);
        QCOMPARE(pixmap.deviceIndependentSize().toSize(), logical);
        QCOMPARE(pixmap.size(), (QSizeF(logical) * ratio).toSize());

        const QImage image = pixmap.toImage();
        int ink = 0;
        QColor darkest = Qt::white;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 200) {
                    ++ink;
                    const QColor c = image.pixelColor(x, y);
                    if (c.lightness() < darkest.lightness())
                        darkest = c;
                }
        // Strokes, not a filled box and not nothing.
        QVERIFY2(ink > image.width() * image.height() / 8 && ink < image.width() * image.height() / 2,
                 qPrintable(QString::number(ink)));
        QCOMPARE(darkest.rgb(), QApplication::palette().color(QPalette::ButtonText).rgb());

        // The tips lie where the arrows point: right, left in a right-to-left layout, down.
        const bool down = which == QStyle::SP_ToolBarVerticalExtensionButton;
        const int way = pointsAcross(down ? image.transformed(QTransform().rotate(-90)) : image);
        QCOMPARE(way, direction == Qt::RightToLeft ? -1 : 1);
        QCOMPARE(icon.pixmap(asked, ratio, QIcon::Disabled).size(), pixmap.size());
    }
};

QTEST_MAIN(tst_appstyle)
#include "tst_appstyle.moc"
