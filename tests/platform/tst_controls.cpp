#include "platform/controls.h"
#include "platform/picturebox.h"
#include "platform/process.h"
#include "platform/textbox.h"
#include "platform/twips.h"
#include "platform/windows.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

class tst_controls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twipsConvert_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("exact") << 1440 << 96;
        QTest::newRow("rounds down") << 1095 << 73;
        QTest::newRow("rounds half up") << 3487 << 232; // 232.47
        QTest::newRow("half") << 7 << 0;
        QTest::newRow("half up") << 8 << 1;
        QTest::newRow("window width") << 10065 << 671;
    }
    void twipsConvert()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(platform::twips(twips), pixels);
    }

    void announcedLabelJoinsRoleAndCaption()
    {
        platform::installAccessibility();
        QWidget window;
        auto *label = new platform::AnnouncedLabel(QStringLiteral("12"), &window);
        label->setAnnouncePrefix(QStringLiteral("Spiller A, minutter: "));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Spiller A, minutter: 12"));
        label->setText(QStringLiteral("13"));
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Spiller A, minutter: 13"));
    }

    void wideCaptionIsDrawnSmaller_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("smaller");
        const QSize readout(17, 17); // a read-out's 255 twips
        const QSize button(71, 29);  // a start button's 1095 x 495 twips, less the bevel
        const int wrap = Qt::AlignCenter | Qt::TextWordWrap;
        QTest::newRow("two digits fit") << "59" << readout << int(Qt::AlignRight) << false;
        QTest::newRow("three digits") << "123" << readout << int(Qt::AlignRight) << true;
        QTest::newRow("six digits") << "123456" << readout << int(Qt::AlignRight) << true;
        QTest::newRow("two lines fit") << "Spiller A begynner" << button << wrap << false;
        QTest::newRow("three lines do not") << "Kari Nordmann begynner" << button << wrap << true;
    }
    void wideCaptionIsDrawnSmaller()
    {
        QFETCH(QString, text);
        QFETCH(QSize, area);
        QFETCH(int, flags);
        QFETCH(bool, smaller);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        const QFont fitted = platform::fittedFont(font, text, area, flags);
        QCOMPARE(fitted.pixelSize() < font.pixelSize(), smaller);
        const QRect needed = QFontMetrics(fitted).boundingRect(QRect(QPoint(0, 0), area), flags, text);
        if (fitted.pixelSize() > 6)
            QVERIFY(needed.width() <= area.width() && needed.height() <= area.height());
    }

    void textBoxReportsOnlyUserFocus()
    {
        QWidget window;
        auto *first = new QLineEdit(&window);
        auto *box = new platform::TextBox(QStringLiteral("x"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus(Qt::OtherFocusReason);
        QSignalSpy spy(box, &platform::TextBox::gotFocus);
        QTest::keyClick(&window, Qt::Key_Tab);
        QCOMPARE(spy.count(), 1);
        first->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        // Coming back to the window is not the user moving into the box.
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(box, &back);
        QCOMPARE(spy.count(), 2);
    }

    void pictureBoxKeepsItsDrawingAndState()
    {
        platform::PictureBox box;
        box.resize(200, 200);
        const QColor background = box.pixelAt(5, 5);
        box.setFillStyle(platform::PictureBox::FillStyle::Solid);
        box.setFillColor(QColor(0, 128, 0));
        box.circle(100, 100, 50, QColor(255, 0, 0));
        QCOMPARE(box.pixelAt(100, 100), QColor(0, 128, 0));
        QCOMPARE(box.pixelAt(100, 50), QColor(255, 0, 0));
        QCOMPARE(box.pixelAt(5, 5), background);
        // Transparent fill draws the rim only; what was inside stays.
        box.setFillStyle(platform::PictureBox::FillStyle::Transparent);
        box.circle(100, 100, 20, QColor(255, 0, 0));
        QCOMPARE(box.pixelAt(100, 100), QColor(0, 128, 0));
        QCOMPARE(box.pixelAt(100, 80), QColor(255, 0, 0));
        // The drawing survives a resize.
        box.resize(250, 250);
        QCOMPARE(box.pixelAt(100, 100), QColor(0, 128, 0));
        // Lines use the foreground colour and the draw width.
        box.setDrawWidth(3);
        box.line(10, 150, 60, 150);
        for (int y : {149, 150, 151})
            QCOMPARE(box.pixelAt(30, y), box.foreColor());
        QCOMPARE(box.pixelAt(30, 148), background);
        QCOMPARE(box.pixelAt(30, 152), background);
    }

    void pictureBoxRepaintsOnlyRealChanges()
    {
        platform::PictureBox box;
        box.resize(120, 120);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const auto draw = [&box](int x) {
            box.setFillStyle(platform::PictureBox::FillStyle::Solid);
            box.setFillColor(QColor(0, 128, 0));
            box.circle(60, 60, 50, QColor(255, 0, 0));
            box.line(60, 60, float(x), 20);
        };
        draw(60);
        QTest::qWait(50); // the first picture reaches the screen
        int paints = 0;
        struct Counter : QObject {
            int *n;
            explicit Counter(int *count) : n(count) {}
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    ++*n;
                return false;
            }
        } counter(&paints);
        box.installEventFilter(&counter);
        draw(60); // the same picture again
        QTest::qWait(50);
        QCOMPARE(paints, 0);
        draw(80);
        QTRY_COMPARE(paints, 1);
    }

    void showOnceCreatesOneWindow()
    {
        QPointer<QWidget> slot;
        int created = 0;
        auto make = [&] {
            ++created;
            return new QWidget;
        };
        QWidget *first = platform::showOnce<QWidget>(slot, make);
        QWidget *second = platform::showOnce<QWidget>(slot, make);
        QCOMPARE(first, second);
        QCOMPARE(created, 1);
        first->close(); // destroyed on close
        QTRY_VERIFY(slot.isNull());
        platform::showOnce<QWidget>(slot, make);
        QCOMPARE(created, 2);
        delete slot.data();
    }

    void reasonLabelGrowsTheWindowFromItsLayout()
    {
        QWidget window(nullptr, Qt::Dialog);
        platform::setUpWindow(&window, 0, 0, 3000, 1500);
        auto *reason = new platform::ReasonLabel(&window, 3000, 1500);
        QVERIFY(reason->isHidden());
        QCOMPARE(window.size(), QSize(platform::twips(3000), platform::twips(1500)));

        reason->showReason(QStringLiteral("Filen kan ikke lagres fordi mappen er skrivebeskyttet. ").repeated(4));
        QVERIFY(!reason->isHidden());
        const int longHeight = window.height();
        QCOMPARE(window.width(), platform::twips(3000));
        QVERIFY(longHeight > platform::twips(1500));
        // Below the layout, and read whole inside the window.
        QCOMPARE(reason->y(), platform::twips(1500));
        QVERIFY(window.rect().contains(reason->geometry()));
        QVERIFY(reason->height() >= reason->heightForWidth(reason->width()));

        // A shorter reason shrinks the window again: it grows from the layout, not from the last reason.
        reason->showReason(QStringLiteral("Kort."));
        QVERIFY(window.height() < longHeight);
        QVERIFY(window.height() > platform::twips(1500));
        QVERIFY(window.rect().contains(reason->geometry()));
    }

    void programStarterIsReplaceableAndReportsFailure()
    {
        QList<platform::StartRequest> seen;
        platform::setProgramStarter([&](const platform::StartRequest &r) {
            seen << r;
            return QString();
        });
        QVERIFY(platform::startProgram({QStringLiteral("viewer"), {QStringLiteral("doc")}}).isEmpty());
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().arguments, QStringList{QStringLiteral("doc")});
        platform::setProgramStarter({});
        // The real starter says why a program cannot start.
        QVERIFY(!platform::startProgram({QStringLiteral("/nonexistent/partivakt-viewer"), {}}).isEmpty());
    }
};

QTEST_MAIN(tst_controls)
#include "tst_controls.moc"
